#include "sim/kivosimlib_report.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "core/triads.h"
#include "runfiles/bar_chart.h"
#include "runfiles/format.h"
#include "runfiles/kivolib.h"

namespace kivo::sim {
namespace {

constexpr double kRangeThreshold = 1e-30;
constexpr double kWarningSpread = 2.0;
constexpr int kEntriesPerLine = 8;
constexpr int kTableBlock = 10;
constexpr int kMaxBars = 70;

// SafeSqrt of an extended-precision argument.
double SafeRoot(long double x) { return SafeSqrt(static_cast<double>(x)); }

// Writes entries after `first` (the start of the first line) in lines of 8
// entries, each later line starting with `indent`; after the last line one
// more line holding only the indent. REQUIRES: count >= 1.
template <typename Entry>
void WriteBlocks(TextWriter& log, std::string_view first, std::string_view indent, int count,
                 Entry entry) {
  std::string line(first);
  for (int k = 1; k <= count; ++k) {
    line += entry(k);
    if (k % kEntriesPerLine == 0 || k == count) {
      log.WriteLine(line);
      line.assign(indent);
    }
  }
  log.WriteLine(indent);
}

// Writes entries after `first` on one line, broken once after the 8th entry
// and continued after `indent`.
template <typename Entry>
void WriteWrapped(TextWriter& log, std::string_view first, std::string_view indent, int count,
                  Entry entry) {
  std::string line(first);
  for (int k = 1; k <= count; ++k) {
    line += entry(k);
    if (k == kEntriesPerLine) {
      log.WriteLine(line);
      line.assign(indent);
    }
  }
  log.WriteLine(line);
}

std::string Blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

// A field preceded by one blank. (Built by appending: prepending to a
// temporary string trips a false warning of some compilers.)
std::string Spaced(const std::string& field) {
  std::string text(1, ' ');
  text += field;
  return text;
}

// Numbers 1 to count as I 3, 20 to a line, then the line is ended.
void WriteNumberList(TextWriter& log, const TotalsVector* totals, int count) {
  std::string line;
  for (int i = 1; i <= count; ++i) {
    line += Int(totals != nullptr ? (*totals)[static_cast<std::size_t>(i)] : i, 3);
    if (i % 20 == 0) {
      log.WriteLine(line);
      line.clear();
    }
  }
  log.WriteLine(line);
}

}  // namespace

void AccumulateStatistic(StatisticSums& sums, std::int32_t t, double w) {
  if (t < 0) {
    t = 0;
    sums.smaller = true;
  }
  if (t > kMaxTabulatedValue) {
    sums.larger = true;
  } else {
    const std::size_t entry = static_cast<std::size_t>(t) + 2;
    sums.p[entry] += w;
    sums.q[entry] += w * w;
    sums.r[entry] += w * w;
  }
  const double a = t * w;
  const double b = t * a;
  sums.p[1] += a;
  sums.p[0] += b;
  sums.q[1] += a * a;
  sums.q[0] += b * b;
  sums.r[1] += a * w;
  sums.r[0] += b * w;
}

void AccumulateWeighted(WeightedSums& sums, std::span<const std::int32_t> values,
                        std::span<const double> combinations, double w) {
  sums.sw += w;
  sums.sw2 += w * w;
  const std::size_t statistics =
      std::min(values.size(), static_cast<std::size_t>(kMaxAccumulatedStatistics));
  for (std::size_t j = 0; j < statistics; ++j)
    AccumulateStatistic(sums.statistic[j + 1], values[j], w);

  const std::size_t outputs =
      std::min(combinations.size(), static_cast<std::size_t>(kMaxCombinationOutputs));
  for (std::size_t k = 0; k < outputs; ++k) {
    const double u = combinations[k] * w;
    sums.sy[k + 1] += u;
    sums.sy2[k + 1] += u * u;
    sums.swy[k + 1] += u * w;
  }
  const std::size_t numl = outputs / 2;
  for (std::size_t i = 0; i < numl; ++i) {
    for (std::size_t j = 0; j < numl; ++j) {
      sums.cp[i + 1][j + 1] += w * combinations[i] * combinations[j];
    }
  }
}

WeightMoments EstimateWeightMoments(double sw, double sw2, std::int32_t n) {
  const long double count = n;
  const long double mean = sw / count;
  WeightMoments moments;
  moments.mean = static_cast<double>(mean);
  moments.variance = static_cast<double>((sw2 / count - mean * mean) / (count - 1));
  return moments;
}

void EstimateStatistic(const StatisticSums& sums, std::int32_t n, const WeightMoments& weight,
                       StatisticEstimate& out) {
  out.smaller = sums.smaller;
  out.larger = sums.larger;
  if (n < 2 || !(weight.mean > 0.0)) return;
  const long double count = n;
  const long double w = weight.mean;
  const long double v_w = weight.variance;
  long double t1 = 0.0L;  // running sum of the means of the value entries
  long double t2 = 0.0L;  // and of their squares' means
  long double c1 = 0.0L;  // and of their covariances with W
  for (std::size_t i = 0; i < static_cast<std::size_t>(kDistributionEntries); ++i) {
    const long double m = sums.p[i] / count;
    const long double c = (sums.r[i] / count - w * m) / (count - 1);
    if (i >= 2) {
      t2 += sums.q[i] / count;
      t1 += m;
      c1 += c;
      const long double s = (t2 - t1 * t1) / (count - 1);
      const long double f = t1 / w;
      out.cumulative[i] = static_cast<double>(f);
      out.cumulative_error[i] = SafeRoot(f * f * v_w + s - 2 * f * c1) / static_cast<double>(w);
    }
    const long double e = (sums.q[i] / count - m * m) / (count - 1);
    const long double r = m / w;
    out.estimate[i] = static_cast<double>(r);
    out.standard_error[i] = SafeRoot(r * r * v_w + e - 2 * c * r) / static_cast<double>(w);
  }
  const double variance = out.estimate[0] - out.estimate[1] * out.estimate[1];
  out.estimate[0] = variance > 0.0 ? variance : 0.0;
}

void EstimateResults(const WeightedSums& sums, std::int32_t n, int numf, int numl,
                     EstimationResults& results) {
  results = EstimationResults{};
  results.n = n;
  results.numf = numf;
  results.numl = std::clamp(numl, 0, kMaxCombinations);
  const int statistics = std::clamp(numf, 0, kMaxAccumulatedStatistics);
  for (int j = 1; j <= statistics; ++j) {
    results.statistic[static_cast<std::size_t>(j)].smaller =
        sums.statistic[static_cast<std::size_t>(j)].smaller;
    results.statistic[static_cast<std::size_t>(j)].larger =
        sums.statistic[static_cast<std::size_t>(j)].larger;
  }
  if (n <= 2) return;

  results.weight = EstimateWeightMoments(sums.sw, sums.sw2, n);
  if (!(results.weight.mean > 0.0)) return;
  for (int j = 1; j <= statistics; ++j) {
    const std::size_t index = static_cast<std::size_t>(j);
    EstimateStatistic(sums.statistic[index], n, results.weight, results.statistic[index]);
  }

  const long double count = n;
  const long double w = results.weight.mean;
  const long double v_w = results.weight.variance;
  for (int k = 1; k <= 2 * results.numl; ++k) {
    const std::size_t index = static_cast<std::size_t>(k);
    const long double m = sums.sy[index] / count;
    const long double e = (sums.sy2[index] / count - m * m) / (count - 1);
    const long double c = (sums.swy[index] / count - w * m) / (count - 1);
    const long double r = m / w;
    results.combination_mean[index] = static_cast<double>(r);
    results.combination_error[index] =
        SafeRoot(r * r * v_w + e - 2 * c * r) / static_cast<double>(w);
  }
  for (int i = 1; i <= results.numl; ++i) {
    for (int j = 1; j <= results.numl; ++j) {
      const std::size_t a = static_cast<std::size_t>(i);
      const std::size_t b = static_cast<std::size_t>(j);
      results.covariance[a][b] = static_cast<double>(
          sums.cp[a][b] / (count * w) -
          static_cast<long double>(results.combination_mean[a]) * results.combination_mean[b]);
    }
  }
}

double WeightSpread(double sw, double sw2, std::int32_t n) {
  if (n < 2) return 0.0;
  return SafeSqrt(n * EstimateWeightMoments(sw, sw2, n).variance);
}

void WriteWeightWarning(TextWriter& log, double spread) {
  if (!(spread > kWarningSpread)) return;
  log.WriteLine("The standard deviation of 1/probabilities is " + Real(spread, 10, 2));
  log.WriteLine("If this standard deviation is very high, then the simulation procedure");
  log.WriteLine("can be unreliable.");
  log.WriteLine("(50 is high; 100 is very high.)");
  log.WriteLine();
}

void WriteSimulationHeader(TextWriter& log, const SimulationSummary& summary) {
  if (summary.requested == 0) {
    log.WriteLine("No simulations.");
    return;
  }
  if (summary.reordered) {
    log.WriteLine("For efficiency purposes, rows and columns are similarly reordered.");
    log.WriteLine("Look below at the row and column sums to see the new order.");
  }
  log.WriteLine();
  WriteSectionHeader(2, log, "Simulation results");
  if (summary.drawn >= 2) {
    log.WriteLine("Number of runs " + std::to_string(summary.drawn) + ";  number of trials " +
                  std::to_string(summary.attempts) + " .");
  }
  log.WriteLine();
  const int f = std::clamp(summary.f, 0, kMaxRows);
  const int g = std::clamp(summary.g, 0, kMaxColumns);
  log.WriteLine("Vertices : ");
  WriteNumberList(log, nullptr, std::max(f, g));
  log.WriteLine("Row totals : ");
  WriteNumberList(log, summary.row_totals, summary.row_totals != nullptr ? f : 0);
  log.WriteLine("Column totals : ");
  WriteNumberList(log, summary.column_totals, summary.column_totals != nullptr ? g : 0);
  if (summary.drawn >= 2 && !summary.intermediate_mode) {
    WriteWeightWarning(log, WeightSpread(summary.sw, summary.sw2, summary.drawn));
  }
}

ValueRange FindValueRange(const StatisticEstimate& estimate) {
  ValueRange range;
  for (int v = 0; v <= kMaxTabulatedValue; ++v) {
    if (estimate.estimate[static_cast<std::size_t>(v) + 2] > kRangeThreshold) {
      range.min = std::min(range.min, v);
      range.max = std::max(range.max, v);
    }
  }
  return range;
}

void WriteDistributionTable(TextWriter& log, int min, int max, std::int32_t offset,
                            const DistributionRow& row, const DistributionRow& error, int width) {
  min = std::max(min, 0);
  max = std::min(max, kMaxTabulatedValue);
  for (int first = min; first <= max; first += kTableBlock) {
    const int last = std::min(first + kTableBlock - 1, max);
    std::string labels = "  ";
    labels += Int(static_cast<long long>(first) + offset, 3);
    std::string values;
    std::string errors;
    for (int v = first; v <= last; ++v) {
      if (v > first) labels += Int(static_cast<long long>(v) + offset, 7);
      values += ' ';
      values += Real(row[static_cast<std::size_t>(v) + 2], width, 4);
      errors += ' ';
      errors += Real(error[static_cast<std::size_t>(v) + 2], width, 4);
    }
    log.WriteLine(labels);
    log.WriteLine(values);
    log.WriteLine(errors);
    log.WriteLine();
  }
  log.WriteLine();
}

void WriteEstimationReport(TextWriter& log, const EstimationResults& results,
                           std::span<const ReportedStatistic> statistics,
                           const WeightTable& weights) {
  if (results.n < 1) return;
  const int reported =
      std::min({results.numf, kMaxAccumulatedStatistics, static_cast<int>(statistics.size())});
  for (int j = 1; j <= reported; ++j) {
    const StatisticEstimate& estimate = results.statistic[static_cast<std::size_t>(j)];
    const ReportedStatistic& statistic = statistics[static_cast<std::size_t>(j) - 1];
    const long long offset = statistic.offset;
    const ValueRange range = FindValueRange(estimate);
    const double variance = estimate.estimate[0];

    WriteSectionHeader(3, log, statistic.label);
    log.WriteLine("Estimated mean               " +
                  Real(static_cast<double>(offset) + estimate.estimate[1], 8, 4) +
                  "     (standard error " + Real(estimate.standard_error[1], 8, 4) + " )");
    log.WriteLine("Estimated variance           " + Real(variance, 8, 4));
    log.WriteLine("Estimated standard deviation " + Real(SafeSqrt(variance), 8, 4));
    if (estimate.smaller) {
      log.WriteLine("At least one function value was smaller than " + std::to_string(offset) + ".");
      log.WriteLine("All smaller values were set to " + std::to_string(offset) + ".");
    }
    if (estimate.larger) {
      log.WriteLine("At least one function value was larger than " +
                    std::to_string(offset + kMaxTabulatedValue) + " .");
    }
    if (range.min == range.max) {
      log.WriteLine("All observed values equal to " + std::to_string(range.min + offset) + ".");
    }
    if (range.min < range.max) {
      const int group = (range.max - range.min) / kMaxBars + 1;
      const int bars = (range.max - range.min + group) / group;
      std::array<double, kMaxBars + 1> heights{};
      for (int b = 1; b <= bars; ++b) {
        for (int v = range.min + (b - 1) * group; v <= range.min + b * group - 1; ++v) {
          if (v <= kMaxTabulatedValue) {
            heights[static_cast<std::size_t>(b) - 1] +=
                estimate.estimate[static_cast<std::size_t>(v) + 2];
          }
        }
      }
      long long first_label = range.min + offset;
      if (range.max + offset >= kMaxTabulatedValue) {
        first_label = range.min;
        if (offset != 0) {
          log.WriteLine();
          log.WriteLine("Barchart for ");
          log.WriteLine(statistic.offset_label);
        }
      }
      DrawBarChart(log, group, bars, static_cast<int>(first_label),
                   std::span<const double>(heights.data(), static_cast<std::size_t>(bars)));
      log.WriteLine();
      log.WriteLine("Minimum value found " + std::to_string(range.min + offset) + "; maximum " +
                    std::to_string(range.max + offset) + " .");
      log.WriteLine();
      log.WriteLine("Estimated cumulative ( <= ) probabilities with standard errors.");
      WriteDistributionTable(log, range.min, range.max, statistic.offset, estimate.cumulative,
                             estimate.cumulative_error);
    }
  }
  WriteCombinationReport(log, results, weights);
}

void WriteCombinationReport(TextWriter& log, const EstimationResults& results,
                            const WeightTable& weights) {
  const int numl = std::clamp(results.numl, 0, kMaxCombinations);
  if (numl < 1) return;
  const auto row = [&](int k) -> const WeightRow& { return weights[static_cast<std::size_t>(k)]; };
  const auto at = [](const auto& array, int k) { return array[static_cast<std::size_t>(k)]; };

  WriteSectionHeader(3, log, "Linear combinations of triad counts");
  log.WriteLine();
  log.WriteLine("Weights");
  log.WriteLine();
  WriteWrapped(log, " #   ", Blanks(6), numl, [](int k) { return Int(k, 7); });
  for (int t = 1; t <= kTriadTypeCount; ++t) {
    const std::string label(TriadLabel(TriadTypeOrder[static_cast<std::size_t>(t)]));
    WriteWrapped(log, label + "   ", Blanks(7), numl,
                 [&](int k) { return Spaced(Real(at(row(k), t), 6, 3)); });
  }
  log.WriteLine();
  log.WriteLine("Critical values");
  WriteWrapped(log, Blanks(9), Blanks(7), numl,
               [&](int k) { return Spaced(Real(row(k)[0], 6, 4)); });

  log.WriteLine("Estimated means (with standard errors) of linear combinations.");
  WriteBlocks(log, Blanks(5), Blanks(5), numl, [](int k) { return Int(k, 8); });
  WriteBlocks(log, "mean    ", Blanks(8), numl,
              [&](int k) { return Spaced(Real(at(results.combination_mean, k), 7, 4)); });
  WriteBlocks(log, "s.e.    ", Blanks(8), numl,
              [&](int k) { return Spaced(Real(at(results.combination_error, k), 7, 4)); });

  log.WriteLine("Covariance matrix of linear combinations");
  WriteBlocks(log, "  ", Blanks(7), numl, [](int k) { return Int(k, 10); });
  for (int i = 1; i <= numl; ++i) {
    WriteBlocks(log, Int(i, 3) + "    ", Blanks(7), numl,
                [&](int j) { return Spaced(Real(at(at(results.covariance, i), j), 9, 6)); });
  }

  log.WriteLine();
  log.WriteLine("Exceedance probabilities (p-values)");
  log.WriteLine("(i.e., probabilities that linear combinations are at least as large");
  log.WriteLine("       as the critical values)");
  WriteBlocks(log, Blanks(14), Blanks(13), numl, [](int k) { return Int(k, 7); });
  WriteBlocks(log, "p-values        ", Blanks(16), numl,
              [&](int k) { return Spaced(Real(at(results.combination_mean, numl + k), 6, 3)); });
  WriteBlocks(log, "standard errors ", Blanks(16), numl,
              [&](int k) { return Spaced(Real(at(results.combination_error, numl + k), 6, 3)); });
}

}  // namespace kivo::sim
