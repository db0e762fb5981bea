#ifndef KIVO_PLATFORM_TEXT_FILE_H_
#define KIVO_PLATFORM_TEXT_FILE_H_

// Line-oriented text files. A writer keeps the first failure (sticky), so a
// report can be written line by line and checked at the end of a stage; a
// reader strips one trailing carriage return from every line and counts lines
// for error messages.

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace kivo {

class TextWriter {
 public:
  TextWriter() = default;
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;
  ~TextWriter();

  // Creates the file, replacing an existing one.
  Status Create(const std::string& name);
  // Opens the file for appending, creating it when it does not exist.
  Status Append(const std::string& name);

  void Write(std::string_view text);
  void WriteLine(std::string_view text = {});

  // Flushes and closes; returns the first failure of any write or the close.
  // Closing a writer that is not open does nothing and returns the status.
  Status Close();

  bool is_open() const { return file_ != nullptr; }
  const std::string& name() const { return name_; }
  // Ok until a write fails; then the failure, naming the file.
  const Status& status() const { return status_; }

 private:
  Status Open(const std::string& name, const char* mode, const char* verb);
  std::FILE* file_ = nullptr;
  std::string name_;
  Status status_;
};

class TextReader {
 public:
  TextReader() = default;
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;
  ~TextReader();

  Status Open(const std::string& name);
  // Reads the next line without its line end (one trailing CR is removed too).
  // Returns false at the end of the file; a read failure sets status().
  bool ReadLine(std::string& line);
  void Close();

  bool is_open() const { return file_ != nullptr; }
  const std::string& name() const { return name_; }
  // Number of the line last returned by ReadLine, counted from 1.
  int line_number() const { return line_number_; }
  const Status& status() const { return status_; }

 private:
  std::FILE* file_ = nullptr;
  std::string name_;
  int line_number_ = 0;
  Status status_;
};

}  // namespace kivo

#endif  // KIVO_PLATFORM_TEXT_FILE_H_
