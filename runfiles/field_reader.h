#ifndef KIVO_RUNFILES_FIELD_READER_H_
#define KIVO_RUNFILES_FIELD_READER_H_

// Token-by-token reading of the plain-text input files of both windowed
// programs (project input files, data files, structural-zero patterns, weight
// files).
//
// A number is the next token: blanks, tabs, other control characters and line
// ends before it are skipped, and the token ends at the first blank or control
// character. A number that is missing because the file has ended reads as 0.
// A token that does not have the form of the number asked for is an
// input/output error whose message names the file, the line and the text.
//
// The reader keeps a position inside the current line. Whatever follows the
// position on that line stays there until SkipLine or RestOfLine takes it, so
// a data row can be read value by value and its comment dropped afterwards.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "platform/text_file.h"

namespace kivo {

inline constexpr std::size_t kMaxFieldText = 255;

// Whether a whole text (blanks and tabs around it allowed) is a signed 32-bit
// integer; used where a line may hold either a file name or a number.
bool ConvertInteger(std::string_view text, std::int32_t& value);

class FieldReader {
 public:
  FieldReader() = default;
  FieldReader(const FieldReader&) = delete;
  FieldReader& operator=(const FieldReader&) = delete;

  Status Open(const std::string& name);
  void Close();
  bool is_open() const { return reader_.is_open(); }
  const std::string& name() const { return reader_.name(); }

  // A numeric field of an input file: the next integer token, then the rest
  // of the line that holds it is skipped (a comment may follow the number).
  Status ReadIntegerField(std::int32_t& value);

  // A file-name field: the rest of the current line, which after a numeric
  // field is the whole next line, unchanged (blanks included, one trailing
  // CR removed), cut to 255 characters. Then the reader is at the next line.
  // At the end of the file the text is empty.
  Status ReadTextField(std::string& text);

  // The next token as a signed 32-bit integer (optional sign, decimal
  // digits). The rest of the line stays unread. 0 at the end of the file.
  Status ReadInteger(std::int32_t& value);

  // The next token as a decimal real (optional sign, digits with an optional
  // fraction, optional exponent). The rest of the line stays unread. 0 at the
  // end of the file.
  Status ReadReal(double& value);

  // What is left of the current line after the last token read (cut to 255
  // characters); the reader moves to the start of the next line.
  std::string RestOfLine();

  // Drops the rest of the current line; the reader is at the start of the
  // next line (or at the end of the file).
  void SkipLine();

  // True when nothing but line ends is left to read, so that every further
  // number would read as 0.
  bool AtEnd() const;

  // Line number (from 1) of the current position; 0 before the first line.
  int line_number() const { return line_number_; }

  // The first read failure of the underlying file, if any.
  const Status& status() const { return status_; }

 private:
  // Moves the position to the start of the next line; false at the end.
  bool Advance();
  // Reads ahead past empty lines so that AtEnd can tell whether anything is
  // left; remembers how many empty lines were passed.
  void FillLookahead();
  // Positions at the next token and returns it; empty at the end of the file.
  std::string NextToken();
  Status NotANumber(const std::string& token, const char* what) const;

  TextReader reader_;
  Status status_;
  std::string line_;
  std::size_t position_ = 0;
  bool have_line_ = false;
  int line_number_ = 0;
  // Lookahead: empty lines after the current one, then the next line with
  // text (when have_next_).
  int pending_empty_lines_ = 0;
  std::string next_line_;
  bool have_next_ = false;
};

}  // namespace kivo

#endif  // KIVO_RUNFILES_FIELD_READER_H_
