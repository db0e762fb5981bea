#ifndef KIVO_TAMSEL_ST_DESC_H_
#define KIVO_TAMSEL_ST_DESC_H_

// The description of the suite's current data: what "tamsel.in" says and
// every network and attribute file it names, read into one DataDescription
// that the run driver owns and every report reads.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"

namespace kivo::tamsel {

inline constexpr int kMaxRelationValues = 10;
inline constexpr int kMaxAttributes = 30;
inline constexpr int kMaxCategories = 10;
inline constexpr std::int32_t kSortSentinel = 2147483647;
inline constexpr const char* kInputFileName = "tamsel.in";

// [0] the count, [1..10] the values; slots beyond the count hold 0.
using ValueList = std::array<std::int32_t, kMaxRelationValues + 1>;

// Networks are numbered k = 1..num_networks, actors i, j = 1..num_actors and
// attributes a = 1..num_attributes; slot 0 of every per-network and
// per-attribute vector is unused.
struct DataDescription {
  std::int32_t num_networks = 0;
  std::int32_t num_actors = 0;
  std::int32_t num_attribute_files = 0;
  std::int32_t num_attributes = 0;
  std::uint8_t step = 0;
  std::string output_name;

  // relations[k]: the n x n cells of network k, row after row.
  std::vector<std::vector<std::int32_t>> relations;
  std::vector<std::string> network_files;
  std::vector<ValueList> relation_values;
  // missing_tie[k]: n x n flags like relations[k]; all 0 in step 1.
  std::vector<std::vector<std::uint8_t>> missing_tie;
  std::uint8_t has_missing = 0;
  std::vector<std::uint8_t> selected;

  // attribute_values[a][i] and attribute_missing[a][i], i = 1..n.
  std::vector<std::vector<double>> attribute_values;
  std::array<std::string, kMaxAttributes + 1> attribute_names;
  std::vector<std::vector<std::uint8_t>> attribute_missing;
  std::array<double, kMaxAttributes + 1> attribute_missing_codes{};
  std::vector<std::uint8_t> is_categorical;
  // For a categorical attribute: [a][0] the count, [a][1..] the values.
  std::vector<ValueList> categories;

  std::vector<std::uint8_t> is_dichotomous;
  std::vector<std::uint8_t> is_symmetric;
  std::string selection_keyword;

  // REQUIRES: 1 <= k <= num_networks, 1 <= i, j <= num_actors.
  std::int32_t Relation(int k, int i, int j) const { return relations[k][Cell(i, j)]; }
  bool IsMissing(int k, int i, int j) const { return missing_tie[k][Cell(i, j)] != 0; }
  std::size_t Cell(int i, int j) const {
    return static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(num_actors) +
           static_cast<std::size_t>(j - 1);
  }
};

// Reads "tamsel.in" from the current directory and every file it names into
// `data`, opens `report` (appending to an existing report when `append` is
// set, else creating it with its banner) and writes the step line, the
// reading messages and the limit messages. On failure the status names the
// file and line; the report keeps what was written before.
Status ReadDataDescription(DataDescription& data, TextWriter& report, bool append, Env& env);

// Fills relations[k], relation_values[k] and, when `apply_missing`, the
// missing flags of network k. `has_code` is false when no missing-value code
// is known, so that no cell is missing. Sets `too_many_values` when the file
// holds more than 10 distinct values (the first 10 are kept).
// REQUIRES: data.relations etc. sized for network k.
Status ReadNetworkFile(DataDescription& data, int k, const std::string& file_name,
                       bool apply_missing, bool has_code, std::int32_t missing_code,
                       bool& too_many_values);

// Fills attributes p+1..p+c of every actor from the file.
// REQUIRES: 0 <= c, p + c <= 30, attribute vectors sized to 31.
Status ReadAttributeFile(DataDescription& data, int c, int p, const std::string& file_name,
                         bool apply_missing);

// Sets is_categorical[a] and categories[a]; returns true when every value is
// whole but there are more than 10 distinct values.
bool ClassifyAttribute(DataDescription& data, int a);

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_ST_DESC_H_
