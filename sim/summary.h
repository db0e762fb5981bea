#ifndef KIVO_SIM_SUMMARY_H_
#define KIVO_SIM_SUMMARY_H_

// The rows of kivo_sim's CSV summary (--summary=FILE.csv), built from the
// finished estimates. Sections, one row each:
//   matrices          estimated number of matrices with the prescribed totals
//   log10_matrices    its base-10 logarithm (finite when the count overflows)
//   mean              statistic j: mean (offset added back) and its s.e.
//   variance          statistic j: variance
//   probability       statistic j, value v: P(t = v) and its s.e.
//   cumulative        statistic j, value v: P(t <= v) and its s.e.
//   combination_mean  combination k: mean and its s.e.
//   p_value           combination k, value = critical value: P(y_k >= value) and its s.e.
//   covariance        combination i, value = combination j: covariance
// The distribution rows cover the values the report tabulates (the smallest
// to the largest value with estimated probability above 1e-30).

#include <span>
#include <string>
#include <vector>

#include "runfiles/summary_csv.h"
#include "sim/kivosimlib.h"
#include "sim/kivosimlib_report.h"

namespace kivo::sim {

// The estimated number of matrices: the mean of 1 / probability over the
// drawn matrices. Each weight is w = 1 / (probability k^(f-1)), k the
// normalising constant, so the count is W k^(f-1) with standard error
// sqrt(V_W) k^(f-1). Not available for stub matching (every weight is 1).
struct MatrixCountEstimate {
  bool available = false;
  double count = 0.0;  // Inf when it exceeds the range of a double
  double standard_error = 0.0;
  double log10_count = 0.0;
  double log10_standard_error = 0.0;  // delta method: s.e. / (count ln 10)
};
MatrixCountEstimate EstimateMatrixCount(const WeightMoments& weight, double normalising_constant,
                                        int rows, bool stub_matching);

// The rows for one run. `statistics` describes statistics 1 to its size,
// which may be empty (the statistics estimated from the intermediate results
// file are not in the summary).
std::vector<SummaryRow> SimulationSummaryRows(const EstimationResults& results,
                                              std::span<const ReportedStatistic> statistics,
                                              const WeightTable& weights,
                                              const MatrixCountEstimate& count,
                                              std::vector<std::string>& label_store);

}  // namespace kivo::sim

#endif  // KIVO_SIM_SUMMARY_H_
