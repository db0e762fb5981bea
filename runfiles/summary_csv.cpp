#include "runfiles/summary_csv.h"

#include <charconv>
#include <cmath>

namespace kivo {

std::string CsvText(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string CsvNumber(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
  // -0 reads back as 0 in every consumer; write it as 0.
  if (value == 0.0) return "0";
  char text[32];
  const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
  return std::string(text, end.ptr);
}

std::string SummaryLine(const SummaryRow& row) {
  std::string line = CsvText(row.section);
  line += ',';
  if (row.statistic != 0) line += std::to_string(row.statistic);
  line += ',';
  line += CsvText(row.label);
  for (const std::optional<double>& field : {row.value, row.estimate, row.standard_error}) {
    line += ',';
    if (field) line += CsvNumber(*field);
  }
  return line;
}

Status WriteSummaryFile(const std::string& file_name, const std::vector<SummaryRow>& rows) {
  TextWriter out;
  if (Status s = out.Create(file_name); !s.ok()) return s;
  out.WriteLine(kSummaryHeader);
  for (const SummaryRow& row : rows) out.WriteLine(SummaryLine(row));
  return out.Close();
}

Status ExtractSummaryOption(int argc, const char* const* argv, std::vector<const char*>& rest,
                            std::string& file_name) {
  constexpr std::string_view kOption = "--summary=";
  rest.clear();
  file_name.clear();
  if (argc > 0) rest.push_back(argv[0]);
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!argument.starts_with(kOption)) {
      rest.push_back(argv[i]);
      continue;
    }
    file_name = std::string(argument.substr(kOption.size()));
    if (file_name.empty()) {
      return Status::IoError("option --summary= needs a file name, e.g. --summary=results.csv");
    }
  }
  return Status::Ok();
}

}  // namespace kivo
