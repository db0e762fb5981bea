#include "sim/kivosimlib_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/fake_env.h"

namespace kivo::sim {
namespace {

using Lines = std::vector<std::string>;

// Pads a bar-chart row to the 79 characters every chart row has.
std::string Row(std::string text) {
  text.resize(79, ' ');
  return text;
}

class ReportTest : public testing::Test {
 protected:
  // The lines that `write` puts into a fresh log.
  Lines Written(const std::function<void(TextWriter&)>& write) {
    TextWriter log;
    EXPECT_TRUE(log.Create("report.txt").ok());
    write(log);
    EXPECT_TRUE(log.Close().ok());
    return ReadLines("report.txt");
  }

  // Adds matrices of weight 1 with the given values of one statistic.
  void AddValues(const std::vector<std::int32_t>& values) {
    for (std::int32_t v : values) AccumulateWeighted(sums_, std::span(&v, 1), {}, 1.0);
  }

  Lines Report(int n, int numf, const std::vector<ReportedStatistic>& statistics) {
    EstimateResults(sums_, n, numf, 0, results_);
    return Written(
        [&](TextWriter& log) { WriteEstimationReport(log, results_, statistics, weights_); });
  }

  ScopedTempDir dir_;
  WeightedSums sums_;
  EstimationResults results_;
  WeightTable weights_{};
};

TEST_F(ReportTest, EqualWeightsGivePlainAveragesWithSampleVarianceErrors) {
  AddValues({3, 5, 5, 7});
  EstimateResults(sums_, 4, 1, 0, results_);
  EXPECT_DOUBLE_EQ(results_.weight.mean, 1.0);
  EXPECT_DOUBLE_EQ(results_.weight.variance, 0.0);
  const StatisticEstimate& s = results_.statistic[1];
  EXPECT_DOUBLE_EQ(s.estimate[1], 5.0);
  EXPECT_DOUBLE_EQ(s.estimate[0], 2.0);  // mean of t^2 minus the squared mean
  EXPECT_NEAR(s.standard_error[1], std::sqrt(8.0 / 3.0 / 4.0), 1e-12);
  EXPECT_DOUBLE_EQ(s.estimate[2 + 5], 0.5);
  EXPECT_NEAR(s.standard_error[2 + 5], std::sqrt(0.25 / 3.0), 1e-12);
  EXPECT_DOUBLE_EQ(s.cumulative[2 + 4], 0.25);
  EXPECT_DOUBLE_EQ(s.cumulative[2 + 7], 1.0);
  EXPECT_EQ(s.cumulative_error[2 + 7], 0.0);
}

// The delta-method standard error of a ratio estimate sum(w x) / sum(w) is
// the standard error of the mean of z = w (x - r) divided by the mean weight.
double RatioError(const std::vector<double>& w, const std::vector<double>& x) {
  double sw = 0, swx = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    sw += w[i];
    swx += w[i] * x[i];
  }
  const double n = static_cast<double>(w.size());
  const double r = swx / sw;
  double sz2 = 0;
  for (std::size_t i = 0; i < w.size(); ++i) sz2 += std::pow(w[i] * (x[i] - r), 2);
  return std::sqrt(sz2 / (n * (n - 1))) / (sw / n);
}

double Ratio(const std::vector<double>& w, const std::vector<double>& x) {
  double sw = 0, swx = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    sw += w[i];
    swx += w[i] * x[i];
  }
  return swx / sw;
}

TEST_F(ReportTest, UnequalWeightsMatchDirectRatioEstimates) {
  const std::vector<double> w = {0.5, 2.0, 1.25, 3.0, 0.75, 1.0, 4.5};
  const std::vector<std::int32_t> t1 = {2, 4, 4, 1, 0, 2, 3};
  const std::vector<std::int32_t> t2 = {-2, 10, 120, 10, 11, 10, 12};
  const std::vector<std::vector<double>> y = {{1.5, 2, 0, 1}, {0.5, 1, 0, 1}, {3, 2, 1, 1},
                                              {2, 0, 1, 0},   {1, 1, 0, 1},   {0, 4, 0, 1},
                                              {2.5, 3, 1, 1}};
  for (std::size_t i = 0; i < w.size(); ++i) {
    const std::int32_t values[2] = {t1[i], t2[i]};
    AccumulateWeighted(sums_, values, y[i], w[i]);
  }
  const std::int32_t n = static_cast<std::int32_t>(w.size());
  EstimateResults(sums_, n, 2, 2, results_);

  // The same quantities straight from the matrices.
  const auto column = [&](auto f) {
    std::vector<double> x;
    for (std::size_t i = 0; i < w.size(); ++i) x.push_back(f(i));
    return x;
  };
  for (int j = 1; j <= 2; ++j) {
    SCOPED_TRACE(j);
    const auto t = [&](std::size_t i) { return std::max(0, j == 1 ? t1[i] : t2[i]); };
    const StatisticEstimate& s = results_.statistic[static_cast<std::size_t>(j)];
    const auto x = column([&](std::size_t i) { return double(t(i)); });
    const auto x2 = column([&](std::size_t i) { return double(t(i)) * t(i); });
    EXPECT_NEAR(s.estimate[1], Ratio(w, x), 1e-12);
    EXPECT_NEAR(s.standard_error[1], RatioError(w, x), 1e-12);
    EXPECT_NEAR(s.standard_error[0], RatioError(w, x2), 1e-9);
    EXPECT_NEAR(s.estimate[0], Ratio(w, x2) - Ratio(w, x) * Ratio(w, x), 1e-9);
    for (int v = 0; v <= 100; ++v) {
      SCOPED_TRACE(v);
      const auto is_v = column([&](std::size_t i) { return t(i) == v ? 1.0 : 0.0; });
      const auto up_to_v = column([&](std::size_t i) { return t(i) <= v ? 1.0 : 0.0; });
      const std::size_t e = static_cast<std::size_t>(v) + 2;
      EXPECT_NEAR(s.estimate[e], Ratio(w, is_v), 1e-12);
      EXPECT_NEAR(s.standard_error[e], RatioError(w, is_v), 1e-9);
      EXPECT_NEAR(s.cumulative[e], Ratio(w, up_to_v), 1e-12);
      // Where F = 1 the formula keeps a cancellation residue of about 1e-9.
      EXPECT_NEAR(s.cumulative_error[e], RatioError(w, up_to_v), 1e-8);
    }
  }
  // Statistic 2 had a value below 0 and one above 100, which stays out of
  // the distribution: its probabilities add up to the weight share of the rest.
  EXPECT_TRUE(results_.statistic[2].smaller);
  EXPECT_TRUE(results_.statistic[2].larger);
  EXPECT_FALSE(results_.statistic[1].smaller);
  EXPECT_NEAR(results_.statistic[2].cumulative[102], 1.0 - 1.25 / 13.0, 1e-12);

  for (int k = 1; k <= 4; ++k) {
    SCOPED_TRACE(k);
    const auto yk = column([&](std::size_t i) { return y[i][static_cast<std::size_t>(k) - 1]; });
    EXPECT_NEAR(results_.combination_mean[static_cast<std::size_t>(k)], Ratio(w, yk), 1e-12);
    EXPECT_NEAR(results_.combination_error[static_cast<std::size_t>(k)], RatioError(w, yk), 1e-9);
  }
  for (std::size_t a = 1; a <= 2; ++a) {
    for (std::size_t b = 1; b <= 2; ++b) {
      const auto ya = column([&](std::size_t i) { return y[i][a - 1]; });
      const auto yb = column([&](std::size_t i) { return y[i][a - 1] * y[i][b - 1]; });
      const auto yc = column([&](std::size_t i) { return y[i][b - 1]; });
      EXPECT_NEAR(results_.covariance[a][b], Ratio(w, yb) - Ratio(w, ya) * Ratio(w, yc), 1e-12);
    }
  }
}

TEST_F(ReportTest, TwoOrFewerMatricesLeaveEveryEstimateZero) {
  AddValues({3, 9});
  EstimateResults(sums_, 2, 1, 0, results_);
  EXPECT_EQ(results_.statistic[1].estimate[1], 0.0);
  EXPECT_EQ(results_.statistic[1].estimate[2 + 3], 0.0);
  EXPECT_EQ(results_.weight.mean, 0.0);
  const Lines lines = Report(2, 1, {{"S", "S", 0}});
  const Lines expected = {"",
                          "@3",
                          "S",
                          "",
                          "Estimated mean                 0.0000     (standard error   0.0000 )",
                          "Estimated variance             0.0000",
                          "Estimated standard deviation   0.0000"};
  EXPECT_EQ(lines, expected);
  EXPECT_TRUE(Report(0, 1, {{"S", "S", 0}}).empty());
}

TEST_F(ReportTest, StatisticSectionsWithChartTableAndConstantValue) {
  for (std::int32_t v : {3, 5, 5, 7}) {
    const std::int32_t values[2] = {v, 7};
    AccumulateWeighted(sums_, values, {}, 1.0);
  }
  const Lines expected = {
      "",
      "@3",
      "Stat one",
      "",
      "Estimated mean                 5.0000     (standard error   0.8165 )",
      "Estimated variance             2.0000",
      "Estimated standard deviation   1.4142",
      "",
      Row("      |"),
      Row("0.4800|          XX"),
      Row("      |          XX"),
      Row("0.3600|          XX"),
      Row("      |          XX"),
      Row("0.2400|  XX      XX      XX"),
      Row("      |  XX      XX      XX"),
      Row("0.1200|  XX      XX      XX"),
      Row("      |  XX      XX      XX"),
      Row("0.0000|  XX      XX      XX"),
      Row("      +--------------------"),
      Row("          3   4   5   6   7"),
      "",
      "Minimum value found 3; maximum 7 .",
      "",
      "Estimated cumulative ( <= ) probabilities with standard errors.",
      "    3      4      5      6      7",
      " 0.2500 0.2500 0.7500 0.7500 1.0000",
      " 0.2500 0.2500 0.2500 0.2500 0.0000",
      "",
      "",
      "",
      "@3",
      "Stat two",
      "",
      "Estimated mean                 7.0000     (standard error   0.0000 )",
      "Estimated variance             0.0000",
      "Estimated standard deviation   0.0000",
      "All observed values equal to 7.",
  };
  EXPECT_EQ(Report(4, 2, {{"Stat one", "unused", 0}, {"Stat two", "unused", 0}}), expected);
}

TEST_F(ReportTest, ValuesOutsideTheTableAreFlagged) {
  AddValues({-4, 2, 2, 130});
  const Lines lines = Report(4, 1, {{"S", "S", 0}});
  const Lines expected = {
      "Estimated mean                33.5000     (standard error  32.1701 )",
      "Estimated variance           3104.7500",
      "Estimated standard deviation  55.7203",
      "At least one function value was smaller than 0.",
      "All smaller values were set to 0.",
      "At least one function value was larger than 100 .",
      "Minimum value found 0; maximum 2 .",
  };
  ASSERT_GE(lines.size(), 11u);
  EXPECT_EQ(Lines(lines.begin() + 4, lines.begin() + 10),
            Lines(expected.begin(), expected.end() - 1));
  EXPECT_NE(std::find(lines.begin(), lines.end(), expected.back()), lines.end());
}

TEST_F(ReportTest, GroupSizeAndNumberOfBarsFollowTheSpread) {
  struct Case {
    int max;
    std::string base_line;
    std::string labels;
  };
  const Case cases[] = {
      // 0 to 100: two values per bar, 51 bars; labels under bars 5, 10, ...
      {100, "      +" + std::string(51, '-'),
       "           8   18   28   38   48   58   68   78   88   98"},
      // 0 to 69: one value per bar, 70 bars.
      {69, "      +" + std::string(70, '-'),
       "           4    9   14   19   24   29   34   39   44   49   54   59   64   69"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.max);
    sums_ = WeightedSums{};
    std::vector<std::int32_t> values;
    for (int v = 0; v <= c.max; ++v) values.push_back(v);
    AddValues(values);
    const Lines lines = Report(c.max + 1, 1, {{"S", "S", 0}});
    const auto base = std::find(lines.begin(), lines.end(), Row(c.base_line));
    ASSERT_NE(base, lines.end());
    EXPECT_EQ(*(base + 1), Row(c.labels));
  }
}

TEST_F(ReportTest, MutualOffsetAboveTheTableMovesTheChartLabels) {
  // Values 0 to 75 of the count minus 40: the chart (two values per bar) is
  // captioned with the offset label and labelled from 0, the rest shows the
  // counts themselves.
  std::vector<std::int32_t> values;
  for (int v = 0; v <= 75; ++v) values.push_back(v);
  AddValues(values);
  const Lines lines =
      Report(76, 1, {{"Number of mutual dyads", "Number of mutual dyads minus 40", 40}});
  ASSERT_GT(lines.size(), 12u);
  EXPECT_EQ(lines[4], "Estimated mean                77.5000     (standard error   2.5331 )");
  EXPECT_EQ(lines[7], "");
  EXPECT_EQ(lines[8], "Barchart for ");
  EXPECT_EQ(lines[9], "Number of mutual dyads minus 40");
  EXPECT_EQ(lines[10], "");
  const auto min_line =
      std::find(lines.begin(), lines.end(), "Minimum value found 40; maximum 115 .");
  ASSERT_NE(min_line, lines.end());
  EXPECT_EQ(*(min_line - 2), Row("           8   18   28   38   48   58   68"));
  EXPECT_EQ(*(min_line + 3),
            "   40     41     42     43     44     45     46     47     48     49");
  EXPECT_EQ(lines[lines.size() - 5], "  110    111    112    113    114    115");
}

TEST_F(ReportTest, CombinationReportWrapsAndBlocksTenCombinations) {
  for (int k = 1; k <= 10; ++k) {
    weights_[static_cast<std::size_t>(k)][0] = 0.1;
    weights_[static_cast<std::size_t>(k)][static_cast<std::size_t>(k)] = 1.0;
  }
  for (int m = 0; m < 5; ++m) {
    double y[20];
    for (int k = 0; k < 10; ++k) {
      y[k] = (m + k) % 3;
      y[10 + k] = y[k] >= 0.1 ? 1.0 : 0.0;
    }
    y[10] = 1.0;  // combination 1 reaches its critical value every time
    AccumulateWeighted(sums_, {}, y, 1.0);
  }
  EstimateResults(sums_, 5, 0, 10, results_);
  const Lines lines =
      Written([&](TextWriter& log) { WriteEstimationReport(log, results_, {}, weights_); });
  const Lines head = {
      "",
      "@3",
      "Linear combinations of triad counts",
      "",
      "",
      "Weights",
      "",
      " #         1      2      3      4      5      6      7      8",
      "            9     10",
      "003      1.000  0.000  0.000  0.000  0.000  0.000  0.000  0.000",
      "         0.000  0.000",
  };
  ASSERT_GT(lines.size(), 100u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 11), head);
  EXPECT_EQ(lines[27], "030C     0.000  0.000  0.000  0.000  0.000  0.000  0.000  0.000");
  EXPECT_EQ(lines[28], "         0.000  1.000");
  const Lines middle = {
      "",
      "Critical values",
      "          0.1000 0.1000 0.1000 0.1000 0.1000 0.1000 0.1000 0.1000",
      "        0.1000 0.1000",
      "Estimated means (with standard errors) of linear combinations.",
      "            1       2       3       4       5       6       7       8",
      "            9      10",
      "     ",
      "mean      0.8000  1.2000  1.0000  0.8000  1.2000  1.0000  0.8000  1.2000",
      "          1.0000  0.8000",
      "        ",
      "s.e.      0.3742  0.3742  0.4472  0.3742  0.3742  0.4472  0.3742  0.3742",
      "          0.4472  0.3742",
      "        ",
      "Covariance matrix of linear combinations",
      "           1         2         3         4         5         6         7         8",
      "                9        10",
      "       ",
      "  1      0.560000 -0.160000 -0.400000  0.560000 -0.160000 -0.400000  0.560000 -0.160000",
      "        -0.400000  0.560000",
      "       ",
  };
  EXPECT_EQ(Lines(lines.begin() + 41, lines.begin() + 62), middle);
  const Lines tail = {
      "",
      "Exceedance probabilities (p-values)",
      "(i.e., probabilities that linear combinations are at least as large",
      "       as the critical values)",
      "                    1      2      3      4      5      6      7      8",
      "                   9     10",
      "             ",
      "p-values          1.000  0.800  0.600  0.600  0.800  0.600  0.600  0.800",
      "                  0.600  0.600",
      "                ",
      "standard errors   0.000  0.200  0.245  0.245  0.200  0.245  0.245  0.200",
      "                  0.245  0.245",
      "                ",
  };
  EXPECT_EQ(Lines(lines.end() - 13, lines.end()), tail);
}

TEST_F(ReportTest, NoCombinationsNoCombinationReport) {
  AddValues({1, 1, 1});
  const Lines lines = Report(3, 1, {{"S", "S", 0}});
  EXPECT_EQ(lines.back(), "All observed values equal to 1.");
}

TEST_F(ReportTest, SimulationHeader) {
  TotalsVector rows{};
  TotalsVector columns{};
  rows[1] = 10;
  rows[2] = 5;
  for (int j = 1; j <= 21; ++j)
    columns[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(j % 2);
  SimulationSummary summary;
  summary.requested = 100;
  summary.drawn = 5;
  summary.attempts = 12345678901ULL;
  summary.reordered = true;
  summary.f = 2;
  summary.g = 21;
  summary.row_totals = &rows;
  summary.column_totals = &columns;
  // Weights 1, 1, 1, 1, 100: W = 20.8, V_W = 392.04, spread sqrt(5 V_W).
  summary.sw = 104.0;
  summary.sw2 = 10004.0;
  const Lines expected = {
      "For efficiency purposes, rows and columns are similarly reordered.",
      "Look below at the row and column sums to see the new order.",
      "",
      "",
      "@2",
      "Simulation results",
      "------------------",
      "",
      "Number of runs 5;  number of trials 12345678901 .",
      "",
      "Vertices : ",
      "  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 16 17 18 19 20",
      " 21",
      "Row totals : ",
      " 10  5",
      "Column totals : ",
      "  1  0  1  0  1  0  1  0  1  0  1  0  1  0  1  0  1  0  1  0",
      "  1",
      "The standard deviation of 1/probabilities is      44.27",
      "If this standard deviation is very high, then the simulation procedure",
      "can be unreliable.",
      "(50 is high; 100 is very high.)",
      "",
  };
  EXPECT_EQ(Written([&](TextWriter& log) { WriteSimulationHeader(log, summary); }), expected);

  // In intermediate mode the warning is left to the processing of the file;
  // a single matrix has no counts line.
  summary.intermediate_mode = true;
  Lines lines = Written([&](TextWriter& log) { WriteSimulationHeader(log, summary); });
  EXPECT_EQ(lines.back(), "  1");
  summary.drawn = 1;
  lines = Written([&](TextWriter& log) { WriteSimulationHeader(log, summary); });
  EXPECT_EQ(lines[8], "");
  EXPECT_EQ(lines[9], "Vertices : ");

  summary.requested = 0;
  EXPECT_EQ(Written([&](TextWriter& log) { WriteSimulationHeader(log, summary); }),
            Lines{"No simulations."});
}

}  // namespace
}  // namespace kivo::sim
