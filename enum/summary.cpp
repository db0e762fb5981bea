#include "enum/summary.h"

#include <cstddef>

namespace kivo::enumeration {

std::vector<SummaryRow> EnumerationSummaryRows(const EnumerationInput& input,
                                               const EnumerationTallies& tallies,
                                               std::vector<std::string>& label_store) {
  std::vector<SummaryRow> rows;
  const double total = tallies.count;
  rows.push_back({"matrices", 0, "Total number of matrices found", {}, total, {}});
  if (input.connected_only) {
    rows.push_back({"disconnected",
                    0,
                    "Number of disconnected matrices constructed",
                    {},
                    static_cast<double>(tallies.disconnected),
                    {}});
  }
  if (tallies.count <= 0) return rows;
  const int numf = input.statistics.numf;
  label_store.clear();
  label_store.reserve(static_cast<std::size_t>(numf > 0 ? numf : 0));
  for (int k = 1; k <= numf; ++k) label_store.push_back(StatisticLabel(input.statistics, k, true));
  for (int k = 1; k <= numf; ++k) {
    const StatisticTally& t = tallies.statistics[static_cast<std::size_t>(k)];
    const std::string& label = label_store[static_cast<std::size_t>(k) - 1];
    const double mean = t.sum / total;
    rows.push_back({"mean", k, label, {}, mean, {}});
    rows.push_back({"variance", k, label, {}, t.sum_of_squares / total - mean * mean, {}});
    for (int v = t.smallest; v <= t.largest; ++v) {
      rows.push_back({"count", k, label, v, t.outcome_count[static_cast<std::size_t>(v)], {}});
    }
    for (int v = t.smallest; v <= t.largest; ++v) {
      rows.push_back(
          {"probability", k, label, v, t.outcome_count[static_cast<std::size_t>(v)] / total, {}});
    }
    // Summed as counts and divided once, so the last value reads exactly 1
    // when no outcome lies outside 0 to 100.
    double below = 0.0;
    for (int v = 0; v < t.smallest; ++v) below += t.outcome_count[static_cast<std::size_t>(v)];
    for (int v = t.smallest; v <= t.largest; ++v) {
      below += t.outcome_count[static_cast<std::size_t>(v)];
      rows.push_back({"cumulative", k, label, v, below / total, {}});
    }
  }
  return rows;
}

Status WriteEnumerationSummary(const std::string& file_name, const EnumRun& run) {
  std::vector<std::string> labels;
  return WriteSummaryFile(file_name, EnumerationSummaryRows(run.input, run.tallies, labels));
}

}  // namespace kivo::enumeration
