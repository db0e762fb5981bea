#include "platform/text_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace kivo {
namespace {

std::string Describe(const std::string& name, const char* what, int error) {
  return name + ": " + what + ": " + std::strerror(error);
}

bool IsDirectory(const std::string& name) {
  struct stat info {};
  return ::stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

TextWriter::~TextWriter() { Close(); }

Status TextWriter::Open(const std::string& name, const char* mode, const char* verb) {
  Close();
  name_ = name;
  status_ = Status::Ok();
  if (IsDirectory(name)) {
    status_ = Status::IoError(name + ": cannot " + verb + " file: it is a directory");
    return status_;
  }
  file_ = std::fopen(name.c_str(), mode);
  if (file_ == nullptr) {
    status_ =
        Status::IoError(Describe(name, (std::string("cannot ") + verb + " file").c_str(), errno));
  }
  return status_;
}

Status TextWriter::Create(const std::string& name) { return Open(name, "wb", "create"); }

Status TextWriter::Append(const std::string& name) { return Open(name, "ab", "append to"); }

void TextWriter::Write(std::string_view text) {
  if (file_ == nullptr || !status_.ok() || text.empty()) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    status_ = Status::IoError(Describe(name_, "write failed", errno));
  }
}

void TextWriter::WriteLine(std::string_view text) {
  Write(text);
  Write("\n");
}

Status TextWriter::Close() {
  if (file_ != nullptr) {
    const bool flushed = std::fflush(file_) == 0;
    const int flush_error = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (status_.ok() && (!flushed || !closed)) {
      status_ = Status::IoError(Describe(name_, "write failed", flushed ? errno : flush_error));
    }
  }
  return status_;
}

TextReader::~TextReader() { Close(); }

Status TextReader::Open(const std::string& name) {
  Close();
  name_ = name;
  line_number_ = 0;
  status_ = Status::Ok();
  if (IsDirectory(name)) {
    status_ = Status::IoError(name + ": cannot read file: it is a directory");
    return status_;
  }
  file_ = std::fopen(name.c_str(), "rb");
  if (file_ == nullptr) status_ = Status::IoError(Describe(name, "cannot open file", errno));
  return status_;
}

bool TextReader::ReadLine(std::string& line) {
  line.clear();
  if (file_ == nullptr) return false;
  bool any = false;
  int c;
  while ((c = std::fgetc(file_)) != EOF) {
    any = true;
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  if (c == EOF && std::ferror(file_)) {
    status_ = Status::IoError(Describe(name_, "read failed", errno));
    return false;
  }
  if (!any) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ++line_number_;
  return true;
}

void TextReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace kivo
