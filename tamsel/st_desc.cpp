#include "tamsel/st_desc.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

#include "tamsel/slib.h"

namespace kivo::tamsel {
namespace {

// Growth step for the cell stores: they grow as numbers arrive, so a header
// that announces more actors than the files hold costs no memory up front.
constexpr std::size_t kReserveLimit = std::size_t{1} << 22;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\r'; }

std::optional<std::int32_t> ParseInt(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size() || token.empty()) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> ParseReal(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return std::nullopt;
  // from_chars would also take "nan" and "inf", which are no numbers here.
  for (const char c : token) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != 'e' &&
        c != 'E') {
      return std::nullopt;
    }
  }
  double value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// The whitespace-separated tokens at the start of a line.
std::vector<std::string_view> Tokens(std::string_view line, std::size_t limit) {
  std::vector<std::string_view> tokens;
  std::size_t pos = 0;
  while (tokens.size() < limit) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size()) break;
    const std::size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    tokens.push_back(line.substr(start, pos - start));
  }
  return tokens;
}

std::string Quoted(std::string_view token) {
  std::string text = "\"";
  text.append(token.substr(0, 40));
  if (token.size() > 40) text += "...";
  return text + "\"";
}

// Numbers of a data file, taken one after the other across line ends.
class TokenScanner {
 public:
  Status Open(const std::string& name) { return reader_.Open(name); }

  // The next token, or false at the end of the file (or on a read failure,
  // which status() then holds).
  bool Next(std::string_view& token) {
    for (;;) {
      if (!have_line_) {
        if (!reader_.ReadLine(line_)) return false;
        have_line_ = true;
        pos_ = 0;
      }
      while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
      if (pos_ == line_.size()) {
        have_line_ = false;
        continue;
      }
      const std::size_t start = pos_;
      while (pos_ < line_.size() && !IsBlank(line_[pos_])) ++pos_;
      token = std::string_view(line_).substr(start, pos_ - start);
      return true;
    }
  }

  void SkipRestOfLine() { have_line_ = false; }

  // Skips whole lines; the end of the file ends the skipping quietly.
  void SkipLines(long long count) {
    std::string ignored;
    for (long long i = 0; i < count && reader_.ReadLine(ignored); ++i) {
    }
    have_line_ = false;
  }

  const std::string& name() const { return reader_.name(); }
  int line_number() const { return reader_.line_number(); }
  const Status& status() const { return reader_.status(); }

 private:
  TextReader reader_;
  std::string line_;
  std::size_t pos_ = 0;
  bool have_line_ = false;
};

Status EndOfFileError(const TokenScanner& scanner, const std::string& what) {
  if (!scanner.status().ok()) return scanner.status();
  return Status::IoError(scanner.name() + ": file ends after line " +
                         std::to_string(scanner.line_number()) + ", expected " + what);
}

Status BadNumberError(const TokenScanner& scanner, const std::string& what,
                      std::string_view token) {
  return Status::IoError(scanner.name() + ", line " + std::to_string(scanner.line_number()) +
                         ": expected " + what + ", found " + Quoted(token));
}

// Line-by-line reading of "tamsel.in".
class InputLines {
 public:
  Status Open() { return reader_.Open(kInputFileName); }

  // The next line; false at the end of the file.
  bool Next(std::string& line) {
    const bool got = reader_.ReadLine(line);
    if (got) last_line_ = reader_.line_number();
    return got;
  }

  // A line that must exist.
  Status Required(std::string& line, const std::string& what) {
    if (Next(line)) return Status::Ok();
    if (!reader_.status().ok()) return reader_.status();
    return Status::IoError(std::string(kInputFileName) + ": file ends after line " +
                           std::to_string(last_line_) + ", expected " + what);
  }

  // A line that holds at least `count` integers at its start.
  Status Integers(std::size_t count, const std::string& what, std::vector<std::int32_t>& values) {
    std::string line;
    if (Status s = Required(line, what); !s.ok()) return s;
    values.clear();
    for (const std::string_view token : Tokens(line, count)) {
      const std::optional<std::int32_t> value = ParseInt(token);
      if (!value) return Error("expected " + what + ", found " + Quoted(token));
      values.push_back(*value);
    }
    if (values.size() < count) return Error("expected " + what + ", found " + Quoted(line));
    return Status::Ok();
  }

  // A line that may be empty (or missing at the end of the file); otherwise it
  // starts with a number that `parse` accepts.
  template <typename T, typename Parse>
  Status OptionalNumber(const std::string& what, Parse parse, std::optional<T>& value) {
    value.reset();
    std::string line;
    if (!Next(line)) return reader_.status();
    if (line.empty()) return Status::Ok();
    const std::vector<std::string_view> tokens = Tokens(line, 1);
    if (tokens.empty())
      return Error("expected " + what + " or an empty line, found " + Quoted(line));
    value = parse(tokens[0]);
    if (!value) return Error("expected " + what + ", found " + Quoted(tokens[0]));
    return Status::Ok();
  }

  void SkipLines(long long count) {
    std::string ignored;
    for (long long i = 0; i < count && Next(ignored); ++i) {
    }
  }

  Status Error(const std::string& message) const {
    return Status::IoError(std::string(kInputFileName) + ", line " + std::to_string(last_line_) +
                           ": " + message);
  }

  const Status& status() const { return reader_.status(); }

 private:
  TextReader reader_;
  int last_line_ = 0;
};

constexpr const char* kStepTitles[] = {"",
                                       ": Data definition.",
                                       ": Transformation.",
                                       ": Selection.",
                                       ": Model specification.",
                                       ": Results and Output."};

void WriteBanner(TextWriter& report, const std::string& report_name, Env& env) {
  const std::string stars = std::string(24, ' ') + std::string(23, '*');
  report.WriteLine(stars);
  report.WriteLine(std::string(30, ' ') + report_name);
  report.WriteLine(stars);
  report.WriteLine();
  const std::string version =
      (std::string(" (Test version ") + std::string(kTamselVersion)).substr(0, 19);
  report.WriteLine("TAMSEL function of Vantor" + version + ").");
  report.WriteLine("Filename is " + report_name);
  report.WriteLine("Date and time: " + env.LocalDateTime());
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

Status ReadNetworkFile(DataDescription& data, int k, const std::string& file_name,
                       bool apply_missing, bool has_code, std::int32_t missing_code,
                       bool& too_many_values) {
  too_many_values = false;
  TokenScanner scanner;
  if (Status s = scanner.Open(file_name); !s.ok()) return s;
  const int n = data.num_actors;
  const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  std::vector<std::int32_t>& values = data.relations[k];
  std::vector<std::uint8_t>& missing = data.missing_tie[k];
  values.clear();
  missing.clear();
  values.reserve(std::min(cells, kReserveLimit));
  missing.reserve(std::min(cells, kReserveLimit));
  // Distinct values in order of first appearance; one more than can be kept
  // is enough to know that the limit is passed.
  std::vector<std::int32_t> distinct;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      // The words for the message are only put together when one is needed.
      const auto what = [i, j, n] {
        return "an integer for row " + std::to_string(i) + ", column " + std::to_string(j) +
               " of " + std::to_string(n) + " x " + std::to_string(n);
      };
      std::string_view token;
      if (!scanner.Next(token)) return EndOfFileError(scanner, what());
      const std::optional<std::int32_t> value = ParseInt(token);
      if (!value) return BadNumberError(scanner, what(), token);
      values.push_back(*value);
      missing.push_back(apply_missing && has_code && *value == missing_code ? 1 : 0);
      if (distinct.size() <= static_cast<std::size_t>(kMaxRelationValues) &&
          std::find(distinct.begin(), distinct.end(), *value) == distinct.end()) {
        distinct.push_back(*value);
      }
    }
    scanner.SkipRestOfLine();
  }
  if (!scanner.status().ok()) return scanner.status();
  ValueList& list = data.relation_values[k];
  list.fill(0);
  const std::size_t kept = std::min(distinct.size(), static_cast<std::size_t>(kMaxRelationValues));
  list[0] = static_cast<std::int32_t>(kept);
  for (std::size_t q = 0; q < kept; ++q) list[q + 1] = distinct[q];
  too_many_values = distinct.size() > static_cast<std::size_t>(kMaxRelationValues);
  return Status::Ok();
}

Status ReadAttributeFile(DataDescription& data, int c, int p, const std::string& file_name,
                         bool apply_missing) {
  TokenScanner scanner;
  if (Status s = scanner.Open(file_name); !s.ok()) return s;
  const int n = data.num_actors;
  if (c <= 0) {
    scanner.SkipLines(n);
    return scanner.status();
  }
  for (int q = 1; q <= c; ++q) {
    data.attribute_values[p + q].assign(1, 0.0);
    data.attribute_missing[p + q].assign(1, 0);
    data.attribute_values[p + q].reserve(std::min(static_cast<std::size_t>(n) + 1, kReserveLimit));
    data.attribute_missing[p + q].reserve(std::min(static_cast<std::size_t>(n) + 1, kReserveLimit));
  }
  for (int i = 1; i <= n; ++i) {
    for (int q = 1; q <= c; ++q) {
      const auto what = [&data, i, q, p] {
        return "a number for actor " + std::to_string(i) + ", attribute " + std::to_string(q) +
               " (" + data.attribute_names[p + q] + ")";
      };
      std::string_view token;
      if (!scanner.Next(token)) return EndOfFileError(scanner, what());
      const std::optional<double> value = ParseReal(token);
      if (!value) return BadNumberError(scanner, what(), token);
      data.attribute_values[p + q].push_back(*value);
      data.attribute_missing[p + q].push_back(
          apply_missing && *value == data.attribute_missing_codes[p + q] ? 1 : 0);
    }
    scanner.SkipRestOfLine();
  }
  return scanner.status();
}

bool ClassifyAttribute(DataDescription& data, int a) {
  data.is_categorical[a] = 1;
  std::vector<std::int32_t> distinct;
  const std::vector<double>& values = data.attribute_values[a];
  for (int i = 1; i <= data.num_actors; ++i) {
    const double x = values[static_cast<std::size_t>(i)];
    const double t = std::trunc(x);
    // A whole value beyond the 32-bit range cannot be held as a category.
    if (x != t || t < -2147483648.0 || t > 2147483647.0) {
      data.is_categorical[a] = 0;
      continue;
    }
    const auto value = static_cast<std::int32_t>(t);
    if (distinct.size() <= static_cast<std::size_t>(kMaxCategories) &&
        std::find(distinct.begin(), distinct.end(), value) == distinct.end()) {
      distinct.push_back(value);
    }
  }
  ValueList& list = data.categories[a];
  list.fill(0);
  if (data.is_categorical[a] == 0) return false;
  if (distinct.size() > static_cast<std::size_t>(kMaxCategories)) {
    data.is_categorical[a] = 0;
    return true;
  }
  list[0] = static_cast<std::int32_t>(distinct.size());
  for (std::size_t q = 0; q < distinct.size(); ++q) list[q + 1] = distinct[q];
  return false;
}

Status ReadDataDescription(DataDescription& data, TextWriter& report, bool append, Env& env) {
  InputLines input;
  if (Status s = input.Open(); !s.ok()) return s;

  if (Status s = input.Required(data.output_name, "the output name"); !s.ok()) return s;
  const std::string report_name = data.output_name + ".tam";
  if (append && env.FileExists(report_name)) {
    if (Status s = report.Append(report_name); !s.ok()) return s;
  } else {
    if (Status s = report.Create(report_name); !s.ok()) return s;
    WriteBanner(report, report_name, env);
  }

  std::vector<std::int32_t> numbers;
  if (Status s = input.Integers(1, "the step number", numbers); !s.ok()) return s;
  data.step = static_cast<std::uint8_t>(numbers[0] & 0xFF);

  report.WriteLine();
  report.WriteLine();
  report.WriteLine(std::string(65, '-'));
  const std::string step_line = "Vantor step " + ByteToText(data.step);
  if (data.step >= 1 && data.step <= 5) {
    report.WriteLine(step_line + kStepTitles[data.step]);
    report.WriteLine();
  } else {
    report.WriteLine(step_line);
  }

  if (Status s = input.Integers(
          3, "three integers (number of networks, number of actors, number of attribute files)",
          numbers);
      !s.ok()) {
    return s;
  }
  if (numbers[0] < 0 || numbers[1] < 0 || numbers[2] < 0) {
    return input.Error("the numbers of networks, actors and attribute files must not be negative");
  }
  data.num_networks = numbers[0];
  data.num_actors = numbers[1];
  data.num_attribute_files = numbers[2];
  const bool apply_missing = data.step != 1;

  // The per-network stores grow network by network, so that a count in the
  // header that the file does not back up costs nothing.
  data.relations.assign(1, {});
  data.missing_tie.assign(1, {});
  data.relation_values.assign(1, ValueList{});
  data.network_files.assign(1, {});
  bool has_code = false;  // no code read yet: no cell of the network is missing
  std::int32_t missing_code = 0;
  for (int k = 1; k <= data.num_networks; ++k) {
    std::string file_name;
    if (Status s = input.Required(file_name, "the data file name of network " + std::to_string(k));
        !s.ok()) {
      return s;
    }
    data.network_files.push_back(file_name);
    data.relations.emplace_back();
    data.missing_tie.emplace_back();
    data.relation_values.emplace_back();
    report.WriteLine("Network " + std::to_string(k) + ": " + file_name);
    std::optional<std::int32_t> code;
    if (Status s = input.OptionalNumber<std::int32_t>(
            "the missing-value code of network " + std::to_string(k), ParseInt, code);
        !s.ok()) {
      return s;
    }
    if (code) {
      has_code = true;
      missing_code = *code;
    }
    bool too_many = false;
    if (Status s =
            ReadNetworkFile(data, k, file_name, apply_missing, has_code, missing_code, too_many);
        !s.ok()) {
      return s;
    }
    if (too_many) {
      report.WriteLine("Number of relation values in network " + std::to_string(k) +
                       " larger than 10:");
      report.WriteLine("Only first 10 used in the descriptive analyses.");
    }
  }

  data.attribute_values.assign(kMaxAttributes + 1, {});
  data.attribute_missing.assign(kMaxAttributes + 1, {});
  data.attribute_missing_codes.fill(0.0);
  int p = 0;
  for (int file = 1; file <= data.num_attribute_files; ++file) {
    std::string file_name;
    if (Status s = input.Required(file_name, "the name of attribute file " + std::to_string(file));
        !s.ok()) {
      return s;
    }
    if (Status s = input.Integers(1, "the number of attributes in " + file_name, numbers);
        !s.ok()) {
      return s;
    }
    const int m = numbers[0];
    if (m < 0) return input.Error("the number of attributes must not be negative");
    int c = m;
    const bool beyond = p + static_cast<long long>(m) > kMaxAttributes;
    if (beyond) {
      report.WriteLine("Total number of attributes in all files is larger than 30.");
      report.WriteLine("Only the first 30 attributes are used in the descriptive analyses.");
      c = kMaxAttributes - p;
    }
    if (beyond && c == 0) {
      input.SkipLines(2LL * m);
      if (!input.status().ok()) return input.status();
      continue;
    }
    report.WriteLine("Attribute file " + file_name + " contains the following " +
                     (c == 1 ? std::string("attribute:") : std::to_string(c) + " attributes:"));
    for (int a = p + 1; a <= p + c; ++a) {
      if (Status s =
              input.Required(data.attribute_names[a],
                             "the name of attribute " + std::to_string(a - p) + " of " + file_name);
          !s.ok()) {
        return s;
      }
      report.WriteLine("  " + data.attribute_names[a]);
      std::optional<double> code;
      if (Status s = input.OptionalNumber<double>(
              "the missing-value code of attribute " + data.attribute_names[a], ParseReal, code);
          !s.ok()) {
        return s;
      }
      data.attribute_missing_codes[a] = code.value_or(0.0);
    }
    input.SkipLines(2LL * (m - c));
    if (!input.status().ok()) return input.status();
    if (Status s = ReadAttributeFile(data, c, p, file_name, apply_missing); !s.ok()) return s;
    p += c;
  }

  data.num_attributes = p;
  data.is_categorical.assign(static_cast<std::size_t>(p) + 1, 0);
  data.categories.assign(static_cast<std::size_t>(p) + 1, ValueList{});
  for (int a = 1; a <= p; ++a) {
    if (ClassifyAttribute(data, a)) {
      report.WriteLine("Number of categories of attribute " + data.attribute_names[a] +
                       " larger than 10:");
      report.WriteLine("variable treated as continuous.");
    }
  }
  report.WriteLine(std::string(65, '-'));

  const auto networks = static_cast<std::size_t>(data.num_networks) + 1;
  data.selected.assign(networks, 0);
  data.is_dichotomous.assign(networks, 0);
  data.is_symmetric.assign(networks, 0);
  data.has_missing = 0;
  data.selection_keyword.clear();
  std::string keyword;
  if (input.Next(keyword) && !keyword.empty()) {
    data.selection_keyword = LowerCase(keyword);
    if (Status s = input.Integers(1, "the number of selected data sets", numbers); !s.ok()) {
      return s;
    }
    for (int q = 1; q <= numbers[0]; ++q) {
      std::string name;
      if (Status s = input.Required(
              name, "selected data set " + std::to_string(q) + " of " + std::to_string(numbers[0]));
          !s.ok()) {
        return s;
      }
      for (int k = 1; k <= data.num_networks; ++k) {
        if (data.network_files[static_cast<std::size_t>(k)] == name) {
          data.selected[static_cast<std::size_t>(k)] = 1;
        }
      }
    }
  }
  if (!input.status().ok()) return input.status();
  report.WriteLine();
  report.WriteLine();
  return report.status();
}

}  // namespace kivo::tamsel
