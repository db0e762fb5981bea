#ifndef KIVO_SIM_KIVOSIMLIB_REPORT_H_
#define KIVO_SIM_KIVOSIMLIB_REPORT_H_

// Weighted sums over the simulated matrices, the ratio estimates built from
// them (with delta-method standard errors), and the simulation report.
//
// Every simulated matrix carries a weight w = constant / probability of
// drawing it; weighting by w turns averages over the drawn matrices into
// estimates of averages over all matrices with the prescribed totals. The
// sampler adds each matrix with AccumulateWeighted; after sampling the run
// driver writes the header, estimates and writes the report. The report
// functions take finished results and write lines; they compute nothing but
// the value range of each distribution.
//
// Arrays are indexed from 1 like the rest of the program: statistics 1 to 4,
// combination outputs 1 to 2 numl, combinations 1 to numl; entry 0 unused.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/text_file.h"
#include "sim/kivosimlib.h"

namespace kivo::sim {

// Statistics whose distributions are held in the weighted sums; with more,
// the values go to the intermediate results file.
inline constexpr int kMaxAccumulatedStatistics = 4;
// Values 0 to 100 of a statistic are tabulated.
inline constexpr int kMaxTabulatedValue = 100;
// Entries of a distribution row: [0] the t^2 entry, [1] the t entry and
// [2 + v] the entry of the value v.
inline constexpr int kDistributionEntries = kMaxTabulatedValue + 3;
// Combination outputs per matrix: the numl sums, then their numl indicators.
inline constexpr int kMaxCombinationOutputs = 2 * kMaxCombinations;

using DistributionRow = std::array<double, kDistributionEntries>;

// The sums of one statistic, t its value (negative values count as 0):
//   p: [0] sum w t^2,       [1] sum w t,     [2 + v] sum of w where t = v
//   q: [0] sum (w t^2)^2,   [1] sum (w t)^2, [2 + v] sum of w^2 where t = v
//   r: [0] sum w^2 t^2,     [1] sum w^2 t,   [2 + v] sum of w^2 where t = v
struct StatisticSums {
  DistributionRow p{};
  DistributionRow q{};
  DistributionRow r{};
  bool smaller = false;  // some value was below 0
  bool larger = false;   // some value was above 100 (counted in [0], [1] only)
};

// Everything the sampler adds to; all zero at the start of a run. A plain
// value of fixed size.
struct WeightedSums {
  double sw = 0.0;   // sum of w
  double sw2 = 0.0;  // sum of w^2
  std::array<StatisticSums, kMaxAccumulatedStatistics + 1> statistic{};
  std::array<double, kMaxCombinationOutputs + 1> sy{};   // sum of w y_k
  std::array<double, kMaxCombinationOutputs + 1> sy2{};  // sum of (w y_k)^2
  std::array<double, kMaxCombinationOutputs + 1> swy{};  // sum of w^2 y_k
  // cp[i][j]: sum of w y_i y_j over the combination sums.
  std::array<std::array<double, kMaxCombinations + 1>, kMaxCombinations + 1> cp{};
};

// Adds one matrix of weight w. `values` are the integer values of the
// statistics in order (values[0] is statistic 1; at most the first 4 are
// taken); `combinations` the 2 numl combination values in order
// (combinations[0] is output 1: the numl sums, then the numl indicators).
// In intermediate mode pass no values: the sums of w, w^2 and of the
// combinations are still added. Allocates nothing.
void AccumulateWeighted(WeightedSums& sums, std::span<const std::int32_t> values,
                        std::span<const double> combinations, double w);

// Adds value t of one matrix of weight w to the sums of one statistic.
void AccumulateStatistic(StatisticSums& sums, std::int32_t t, double w);

// Estimates of one statistic, rows like the sums:
//   estimate:         [0] variance of t, [1] mean of t, [2 + v] P(t = v)
//   standard_error:   [0] s.e. of the mean of t^2, [1] of the mean, [2 + v] of P(t = v)
//   cumulative:       [2 + v] P(t <= v)
//   cumulative_error: [2 + v] its standard error
struct StatisticEstimate {
  DistributionRow estimate{};
  DistributionRow standard_error{};
  DistributionRow cumulative{};
  DistributionRow cumulative_error{};
  bool smaller = false;
  bool larger = false;
};

// The mean weight W = SW / N and V_W = (SW2 / N - W^2) / (N - 1), the
// estimated variance of W. REQUIRES: n >= 2.
struct WeightMoments {
  double mean = 0.0;
  double variance = 0.0;
};
WeightMoments EstimateWeightMoments(double sw, double sw2, std::int32_t n);

// Ratio estimates of one statistic from its sums over n matrices: fills the
// four rows; estimate[0] becomes the estimated mean of t^2 minus the square
// of the estimated mean, 0 when that is negative or not a number.
// REQUIRES: n >= 2 and weight.mean > 0.
void EstimateStatistic(const StatisticSums& sums, std::int32_t n, const WeightMoments& weight,
                       StatisticEstimate& out);

struct EstimationResults {
  std::int32_t n = 0;  // matrices drawn
  int numf = 0;        // statistics (at most 4 are estimated)
  int numl = 0;        // linear combinations
  WeightMoments weight{};
  std::array<StatisticEstimate, kMaxAccumulatedStatistics + 1> statistic{};
  // Output k: for k <= numl the mean of combination k, above that the
  // exceedance probability of combination k - numl; and standard errors.
  std::array<double, kMaxCombinationOutputs + 1> combination_mean{};
  std::array<double, kMaxCombinationOutputs + 1> combination_error{};
  std::array<std::array<double, kMaxCombinations + 1>, kMaxCombinations + 1> covariance{};
};

// Fills `results` from the sums over n matrices. With n <= 2 only n, numf,
// numl and the flags are set; every estimate stays 0.
void EstimateResults(const WeightedSums& sums, std::int32_t n, int numf, int numl,
                     EstimationResults& results);

// SafeSqrt(N V_W): the standard deviation of the weights relative to their
// mean, shown as a warning above 2. 0 when n < 2.
double WeightSpread(double sw, double sw2, std::int32_t n);

// Writes the weight warning when the spread is above 2 (four lines and an
// empty line); nothing otherwise.
void WriteWeightWarning(TextWriter& log, double spread);

// What the results header shows of the run.
struct SimulationSummary {
  std::int32_t requested = 0;  // N asked for in the project input
  std::int32_t drawn = 0;      // N drawn (lower when the user stopped)
  std::uint64_t attempts = 0;  // sampling attempts
  bool reordered = false;      // vertices reordered before sampling
  bool intermediate_mode = false;
  int f = 0;  // rows
  int g = 0;  // columns
  // Index 1 to f and 1 to g, in their current (possibly reordered) order.
  const TotalsVector* row_totals = nullptr;
  const TotalsVector* column_totals = nullptr;
  double sw = 0.0;   // the run's sum of weights
  double sw2 = 0.0;  // and of squared weights
};

// The results header: "No simulations." alone when none were requested;
// else the reordering note, the level-2 header "Simulation results", the
// counts, the vertices and totals, and the weight warning (not in
// intermediate mode).
void WriteSimulationHeader(TextWriter& log, const SimulationSummary& summary);

// What the report prints of statistic j besides its estimates.
struct ReportedStatistic {
  std::string label;         // built with offset 0 and the note-rounding flag
  std::string offset_label;  // built with the statistic's offset (the chart's caption)
  std::int32_t offset = 0;   // the mutual offset L for the mutual-dyad count, else 0
};

// Smallest and largest v (0 to 100) whose estimated probability exceeds
// 1e-30; 100 and 0 when there is none.
struct ValueRange {
  int min = kMaxTabulatedValue;
  int max = 0;
};
ValueRange FindValueRange(const StatisticEstimate& estimate);

// The table of a distribution row for v = min to max (min < max) in blocks
// of 10 values: labels v + offset, the row and its errors, each in a field
// of `width` with 4 decimals (6 in the simulation report).
void WriteDistributionTable(TextWriter& log, int min, int max, std::int32_t offset,
                            const DistributionRow& row, const DistributionRow& error,
                            int width = 6);

// Mean, variance and standard deviation lines, the flag lines, the bar chart
// and the cumulative table of every statistic, then the combination report.
// Writes nothing when no matrix was drawn. REQUIRES: statistics[j - 1]
// describes statistic j for j = 1 to results.numf (at most 4 are reported).
void WriteEstimationReport(TextWriter& log, const EstimationResults& results,
                           std::span<const ReportedStatistic> statistics,
                           const WeightTable& weights);

// The report of the linear combinations of triad counts: their weights and
// critical values (row k of `weights`), means, covariances and p-values.
// Nothing when numl = 0.
void WriteCombinationReport(TextWriter& log, const EstimationResults& results,
                            const WeightTable& weights);

}  // namespace kivo::sim

#endif  // KIVO_SIM_KIVOSIMLIB_REPORT_H_
