#ifndef KIVO_TESTS_TAMSEL_TAMSEL_FIXTURE_H_
#define KIVO_TESTS_TAMSEL_TAMSEL_FIXTURE_H_

// Small data descriptions built in memory, and a report written to a file
// and read back as lines.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "tamsel/st_desc.h"
#include "tests/support/fake_env.h"

namespace kivo::tamsel::testing {

using Matrix = std::vector<std::vector<std::int32_t>>;

// Networks of equal size; a cell equal to `missing_code` is missing.
inline DataDescription MakeNetworks(const std::vector<Matrix>& networks,
                                    std::optional<std::int32_t> missing_code = std::nullopt,
                                    std::uint8_t step = 2) {
  DataDescription data;
  data.step = step;
  data.num_networks = static_cast<std::int32_t>(networks.size());
  data.num_actors = networks.empty() ? 0 : static_cast<std::int32_t>(networks[0].size());
  const auto slots = networks.size() + 1;
  data.relations.assign(slots, {});
  data.missing_tie.assign(slots, {});
  data.relation_values.assign(slots, ValueList{});
  data.network_files.assign(slots, {});
  data.selected.assign(slots, 0);
  data.is_dichotomous.assign(slots, 0);
  data.is_symmetric.assign(slots, 0);
  for (std::size_t k = 1; k < slots; ++k) {
    data.network_files[k] = "net" + std::to_string(k) + ".dat";
    for (const auto& row : networks[k - 1]) {
      for (const std::int32_t value : row) {
        data.relations[k].push_back(value);
        data.missing_tie[k].push_back(missing_code && value == *missing_code ? 1 : 0);
      }
    }
  }
  data.attribute_values.assign(kMaxAttributes + 1, {});
  data.attribute_missing.assign(kMaxAttributes + 1, {});
  return data;
}

// Adds an attribute; values equal to `code` are missing. Classifies it.
inline void AddAttribute(DataDescription& data, const std::string& name,
                         const std::vector<double>& values, double code = 0.0,
                         bool apply_missing = true) {
  const int a = ++data.num_attributes;
  data.attribute_names[static_cast<std::size_t>(a)] = name;
  data.attribute_missing_codes[static_cast<std::size_t>(a)] = code;
  auto& column = data.attribute_values[static_cast<std::size_t>(a)];
  auto& missing = data.attribute_missing[static_cast<std::size_t>(a)];
  column.assign(1, 0.0);
  missing.assign(1, 0);
  for (const double x : values) {
    column.push_back(x);
    missing.push_back(apply_missing && x == code ? 1 : 0);
  }
  data.num_actors = static_cast<std::int32_t>(values.size());
  data.is_categorical.resize(static_cast<std::size_t>(a) + 1, 0);
  data.categories.resize(static_cast<std::size_t>(a) + 1, ValueList{});
  ClassifyAttribute(data, a);
}

// Runs `write` on a report file in a fresh directory and returns its lines.
inline std::vector<std::string> ReportLines(const std::function<void(TextWriter&)>& write) {
  ScopedTempDir dir;
  TextWriter report;
  if (!report.Create("report.tam").ok()) return {"<cannot create report>"};
  write(report);
  if (!report.Close().ok()) return {"<cannot write report>"};
  return ReadLines("report.tam");
}

// The lines from the first one that starts with `first` up to (not including) the
// first empty line after it; empty when no line starts so.
inline std::vector<std::string> Block(const std::vector<std::string>& lines,
                                      const std::string& first) {
  std::vector<std::string> block;
  bool in = false;
  for (const std::string& line : lines) {
    if (!in && line.rfind(first, 0) == 0) in = true;
    if (in) {
      if (line.empty()) break;
      block.push_back(line);
    }
  }
  return block;
}

inline bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines) {
    if (l == line) return true;
  }
  return false;
}

}  // namespace kivo::tamsel::testing

#endif  // KIVO_TESTS_TAMSEL_TAMSEL_FIXTURE_H_
