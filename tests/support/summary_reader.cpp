#include "tests/support/summary_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kivo {
namespace {

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::optional<double> Number(const std::string& field) {
  if (field.empty()) return std::nullopt;
  return std::strtod(field.c_str(), nullptr);
}

}  // namespace

std::vector<SummaryRecord> ReadSummary(const std::string& file_name, std::string& header) {
  std::ifstream in(file_name);
  std::vector<SummaryRecord> records;
  header.clear();
  if (!std::getline(in, header)) {
    ADD_FAILURE() << file_name << " is missing or empty";
    return records;
  }
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = SplitFields(line);
    if (f.size() != 6) {
      ADD_FAILURE() << "not six fields: " << line;
      continue;
    }
    records.push_back({f[0], f[1].empty() ? 0 : std::atoi(f[1].c_str()), f[2], Number(f[3]),
                       Number(f[4]), Number(f[5])});
  }
  return records;
}

std::vector<SummaryRecord> Section(const std::vector<SummaryRecord>& records,
                                   const std::string& section) {
  std::vector<SummaryRecord> out;
  for (const SummaryRecord& r : records) {
    if (r.section == section) out.push_back(r);
  }
  return out;
}

std::vector<double> NumbersAfter(const std::string& line, std::size_t caption_length) {
  std::istringstream in(line.size() > caption_length ? line.substr(caption_length) : "");
  std::vector<double> numbers;
  for (double x = 0; in >> x;) numbers.push_back(x);
  return numbers;
}

}  // namespace kivo
