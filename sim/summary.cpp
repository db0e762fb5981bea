#include "sim/summary.h"

#include <cmath>
#include <cstddef>

namespace kivo::sim {

MatrixCountEstimate EstimateMatrixCount(const WeightMoments& weight, double normalising_constant,
                                        int rows, bool stub_matching) {
  MatrixCountEstimate out;
  if (stub_matching || !(weight.mean > 0.0) || !(normalising_constant > 0.0) || rows < 2) {
    return out;
  }
  out.available = true;
  // k^(f-1) alone can overflow for large matrices; work with logarithms and
  // leave the overflow to the final power.
  const double log10_scale = (rows - 1) * std::log10(normalising_constant);
  const double spread = std::sqrt(weight.variance > 0.0 ? weight.variance : 0.0);
  out.log10_count = std::log10(weight.mean) + log10_scale;
  out.count = std::pow(10.0, out.log10_count);
  out.standard_error = spread > 0.0 ? std::pow(10.0, std::log10(spread) + log10_scale) : 0.0;
  out.log10_standard_error = spread / (weight.mean * std::log(10.0));
  return out;
}

std::vector<SummaryRow> SimulationSummaryRows(const EstimationResults& results,
                                              std::span<const ReportedStatistic> statistics,
                                              const WeightTable& weights,
                                              const MatrixCountEstimate& count,
                                              std::vector<std::string>& label_store) {
  std::vector<SummaryRow> rows;
  if (count.available) {
    rows.push_back(
        {"matrices", 0, "Estimated number of matrices", {}, count.count, count.standard_error});
    rows.push_back({"log10_matrices",
                    0,
                    "Estimated number of matrices",
                    {},
                    count.log10_count,
                    count.log10_standard_error});
  }
  for (std::size_t index = 0; index < statistics.size(); ++index) {
    const int j = static_cast<int>(index) + 1;
    const StatisticEstimate& e = results.statistic[static_cast<std::size_t>(j)];
    const ReportedStatistic& s = statistics[index];
    const double offset = s.offset;
    rows.push_back({"mean", j, s.label, {}, offset + e.estimate[1], e.standard_error[1]});
    rows.push_back({"variance", j, s.label, {}, e.estimate[0], {}});
    const ValueRange range = FindValueRange(e);
    for (int v = range.min; v <= range.max; ++v) {
      const auto i = static_cast<std::size_t>(v + 2);
      rows.push_back({"probability", j, s.label, offset + v, e.estimate[i], e.standard_error[i]});
    }
    for (int v = range.min; v <= range.max; ++v) {
      const auto i = static_cast<std::size_t>(v + 2);
      rows.push_back(
          {"cumulative", j, s.label, offset + v, e.cumulative[i], e.cumulative_error[i]});
    }
  }
  const int numl = results.numl;
  // The labels must outlive the rows that point at them.
  label_store.clear();
  label_store.reserve(static_cast<std::size_t>(numl));
  for (int k = 1; k <= numl; ++k) label_store.push_back("combination " + std::to_string(k));
  for (int k = 1; k <= numl; ++k) {
    const auto uk = static_cast<std::size_t>(k);
    rows.push_back({"combination_mean",
                    k,
                    label_store[uk - 1],
                    {},
                    results.combination_mean[uk],
                    results.combination_error[uk]});
  }
  for (int k = 1; k <= numl; ++k) {
    const auto uk = static_cast<std::size_t>(k);
    const auto up = static_cast<std::size_t>(numl + k);
    rows.push_back({"p_value", k, label_store[uk - 1], weights[uk][0], results.combination_mean[up],
                    results.combination_error[up]});
  }
  for (int i = 1; i <= numl; ++i) {
    for (int j = 1; j <= numl; ++j) {
      rows.push_back({"covariance",
                      i,
                      label_store[static_cast<std::size_t>(i) - 1],
                      j,
                      results.covariance[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)],
                      {}});
    }
  }
  return rows;
}

}  // namespace kivo::sim
