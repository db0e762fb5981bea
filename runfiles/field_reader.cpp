#include "runfiles/field_reader.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <utility>

namespace kivo {
namespace {

// Blanks and control characters separate tokens; bytes above 127 belong to
// tokens like any printable character.
bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [+-]digits, within the signed 32-bit range.
bool ParseInteger(std::string_view token, std::int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
    negative = token[i] == '-';
    ++i;
  }
  if (i == token.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < token.size(); ++i) {
    if (!IsDigit(token[i])) return false;
    magnitude = magnitude * 10 + (token[i] - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<std::int32_t>::max()) return false;
  value = static_cast<std::int32_t>(signed_value);
  return true;
}

// [+-]digits[.digits][(e|E)[+-]digits], also [+-].digits and [+-]digits.;
// no words such as "inf" or "nan", no hexadecimal.
bool ParseDecimalReal(const std::string& token, double& value) {
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < token.size() && IsDigit(token[i])) ++i, ++digits;
  if (i < token.size() && token[i] == '.') {
    ++i;
    while (i < token.size() && IsDigit(token[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < token.size() && IsDigit(token[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  if (i != token.size()) return false;
  errno = 0;
  const double parsed = std::strtod(token.c_str(), nullptr);
  if (errno == ERANGE && (parsed > 1.0 || parsed < -1.0)) return false;
  value = parsed;
  return true;
}

}  // namespace

bool ConvertInteger(std::string_view text, std::int32_t& value) {
  const auto is_blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return ParseInteger(text, value);
}

Status FieldReader::Open(const std::string& name) {
  Close();
  status_ = reader_.Open(name);
  if (!status_.ok()) return status_;
  // The position starts on line 1 (if there is one).
  FillLookahead();
  Advance();
  return status_;
}

void FieldReader::Close() {
  reader_.Close();
  line_.clear();
  next_line_.clear();
  position_ = 0;
  have_line_ = false;
  have_next_ = false;
  pending_empty_lines_ = 0;
  line_number_ = 0;
}

void FieldReader::FillLookahead() {
  have_next_ = false;
  pending_empty_lines_ = 0;
  while (reader_.ReadLine(next_line_)) {
    if (!next_line_.empty()) {
      have_next_ = true;
      return;
    }
    ++pending_empty_lines_;
  }
  if (status_.ok() && !reader_.status().ok()) status_ = reader_.status();
}

bool FieldReader::Advance() {
  position_ = 0;
  if (pending_empty_lines_ > 0) {
    --pending_empty_lines_;
    line_.clear();
    ++line_number_;
    have_line_ = true;
    return true;
  }
  if (have_next_) {
    line_ = std::move(next_line_);
    next_line_.clear();
    ++line_number_;
    have_line_ = true;
    FillLookahead();
    return true;
  }
  line_.clear();
  have_line_ = false;
  return false;
}

bool FieldReader::AtEnd() const {
  return !have_line_ || (position_ >= line_.size() && !have_next_);
}

std::string FieldReader::NextToken() {
  while (have_line_) {
    while (position_ < line_.size() && IsSeparator(line_[position_])) ++position_;
    if (position_ < line_.size()) break;
    if (!Advance()) return std::string();
  }
  if (!have_line_) return std::string();
  const std::size_t start = position_;
  while (position_ < line_.size() && !IsSeparator(line_[position_])) ++position_;
  return line_.substr(start, position_ - start);
}

Status FieldReader::NotANumber(const std::string& token, const char* what) const {
  return Status::IoError(reader_.name() + ", line " + std::to_string(line_number_) + ": \"" +
                         token + "\" is not " + what);
}

Status FieldReader::ReadInteger(std::int32_t& value) {
  value = 0;
  const std::string token = NextToken();
  if (!status_.ok()) return status_;
  if (token.empty()) return Status::Ok();
  if (!ParseInteger(token, value)) {
    value = 0;
    return NotANumber(token, "an integer");
  }
  return Status::Ok();
}

Status FieldReader::ReadReal(double& value) {
  value = 0.0;
  const std::string token = NextToken();
  if (!status_.ok()) return status_;
  if (token.empty()) return Status::Ok();
  if (!ParseDecimalReal(token, value)) {
    value = 0.0;
    return NotANumber(token, "a number");
  }
  return Status::Ok();
}

Status FieldReader::ReadIntegerField(std::int32_t& value) {
  Status s = ReadInteger(value);
  if (!s.ok()) return s;
  SkipLine();
  return status_;
}

Status FieldReader::ReadTextField(std::string& text) {
  text = RestOfLine();
  return status_;
}

std::string FieldReader::RestOfLine() {
  std::string rest;
  if (have_line_ && position_ < line_.size()) {
    rest = line_.substr(position_, kMaxFieldText);
  }
  SkipLine();
  return rest;
}

void FieldReader::SkipLine() {
  if (have_line_) Advance();
}

}  // namespace kivo
