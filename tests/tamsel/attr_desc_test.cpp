#include "tamsel/attr_desc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/tamsel/tamsel_fixture.h"

namespace kivo::tamsel {
namespace {

using testing::AddAttribute;
using testing::Block;
using testing::Contains;
using testing::MakeNetworks;
using testing::ReportLines;

std::vector<std::string> Report(DataDescription& data) {
  return ReportLines([&data](TextWriter& report) {
    WriteAttributeDescriptives(data, ComputeAttributeDescriptives(data), report);
  });
}

TEST(FrequencyTableTest, CategoricalWithOneMissingValue) {
  DataDescription data = MakeNetworks({});
  AddAttribute(data, "group", {2, 1, -1, 3, 2}, -1);
  const std::vector<std::string> lines = Report(data);
  EXPECT_FALSE(Contains(lines, "The following variable is continuous:"));
  EXPECT_FALSE(Contains(lines, "These variables are categorized into 7 categories."));
  EXPECT_EQ(Block(lines, "Attribute: group"), (std::vector<std::string>{
                                                  "Attribute: group",
                                                  "          freq.    perc.   val.perc.  cum.perc.",
                                                  "      1      1     20.0%     25.0%      25.0%",
                                                  "      2      2     40.0%     50.0%      75.0%",
                                                  "      3      1     20.0%     25.0%     100.0%",
                                                  "missing      1     20.0%    ",
                                                  "          ----    ------    ------",
                                                  "             5    100.0%    100.0%",
                                              }));
}

TEST(FrequencyTableTest, MissingCodeRemovesItsTruncatedCategory) {
  // Code 9.5 removes category 9; the values 9 stay valid but fall in no row.
  DataDescription data = MakeNetworks({});
  AddAttribute(data, "x", {1, 9, 9, 2}, 9.5);
  const std::vector<std::string> lines = Report(data);
  EXPECT_EQ(Block(lines, "Attribute: x"), (std::vector<std::string>{
                                              "Attribute: x",
                                              "          freq.    perc.   val.perc.  cum.perc.",
                                              "      1      1     25.0%     25.0%      25.0%",
                                              "      2      1     25.0%     25.0%      50.0%",
                                              "missing      0      0.0%    ",
                                              "          ----    ------    ------",
                                              "             4    100.0%     50.0%",
                                          }));
  // Every value missing: no category is left and the total has no last
  // cumulative percentage; the statistics show dashes.
  DataDescription none = MakeNetworks({});
  AddAttribute(none, "y", {4, 4, 4}, 4);
  const std::vector<std::string> empty = Report(none);
  EXPECT_TRUE(Contains(empty, "             3    100.0%        -"));
  EXPECT_TRUE(Contains(
      empty, "         y    0      0        -        -        -        -         -         -"));
}

TEST(FrequencyTableTest, ContinuousClassesOfEqualWidth) {
  DataDescription data = MakeNetworks({});
  AddAttribute(data, "score", {0, 10, 10.5, 60, 70, 35.5, -5}, -5);
  const std::vector<std::string> lines = Report(data);
  EXPECT_EQ(Block(lines, "The following variable is continuous:"),
            (std::vector<std::string>{"The following variable is continuous:", "  score",
                                      "These variables are categorized into 7 categories."}));
  EXPECT_EQ(Block(lines, "Attribute: score"),
            (std::vector<std::string>{
                "Attribute: score",
                "                   freq.    perc.   val.perc.  cum.perc.",
                "        <  10.00      2     28.6%     33.3%      33.3%",
                " 10.00  -  20.00      1     14.3%     16.7%      50.0%",
                " 20.00  -  30.00      0      0.0%      0.0%      50.0%",
                " 30.00  -  40.00      1     14.3%     16.7%      66.7%",
                " 40.00  -  50.00      0      0.0%      0.0%      66.7%",
                " 50.00  -  60.00      0      0.0%      0.0%      66.7%",
                "       =>  60.00      2     28.6%     33.3%     100.0%",
                "         missing      1     14.3%    ",
                "                   ----    ------    ------",
                "                      7    100.0%    100.0%",
            }));
}

TEST(FrequencyTableTest, ContinuousWithEqualValuesPutsAllInTheFirstClass) {
  const ContinuousTable table = [] {
    DataDescription data = MakeNetworks({});
    AddAttribute(data, "v", {2.5, 2.5, 2.5}, -1);
    return TabulateContinuous(data, 1);
  }();
  EXPECT_EQ(table.width, 0.0);
  EXPECT_EQ(table.frequencies[1], 3);
  EXPECT_EQ(table.valid, 3);
}

TEST(AttributeStatisticsTest, ModeAndMedian) {
  struct Case {
    const char* name;
    std::vector<double> values;
    double code;
    std::int32_t mode;
    double median;
  };
  std::vector<double> five_ten_ten;
  for (int q = 1; q <= 3; ++q) {
    for (int r = 0; r < (q == 1 ? 5 : 10); ++r) five_ten_ten.push_back(q);
  }
  const Case cases[] = {
      {"frequencies 5, 10, 10", five_ten_ten, -1, 2, 2},
      {"single category", {4, 4, 4}, -1, 4, 4},
      {"odd count, equal frequencies", {3, -1, 2}, 99, -1, 2},
      {"even count", {4, 1, 3, 2}, 99, 1, 2.5},
      {"missing left out", {4, 0, 1, 3, 0, 2}, 0, 1, 2.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DataDescription data = MakeNetworks({});
    AddAttribute(data, "a", c.values, c.code);
    const AttributeDescriptives figures = ComputeAttributeDescriptives(data);
    EXPECT_EQ(figures.figures[1].mode, c.mode);
    ASSERT_TRUE(figures.figures[1].median.has_value());
    EXPECT_DOUBLE_EQ(*figures.figures[1].median, c.median);
  }
}

TEST(AttributeStatisticsTest, LineOfTheStatisticsTable) {
  DataDescription data = MakeNetworks({});
  AddAttribute(data, "age", {20, 30, 40, 0}, 0);
  AddAttribute(data, "one", {0, 0, 7, 0}, 0);
  const std::vector<std::string> lines = Report(data);
  EXPECT_EQ(Block(lines, "              n   Mode"),
            (std::vector<std::string>{
                "              n   Mode   Median     Mean     Min.     Max.    St.dev.     Var.",
                " -------------------------------------------------------------------------------",
                "       age    3     20    30.00    30.00    20.00    40.00    10.000   100.000",
                // One valid value: no spread, so no standard deviation or variance.
                "       one    1      7     7.00     7.00     7.00     7.00         -         -",
            }));
}

TEST(CorrelationTest, PearsonAboveAndCovarianceBelowTheDiagonal) {
  const std::vector<double> x = {1.5, 2, 3.5, 4, 6.25};
  const std::vector<double> y = {2, 1, 4, 3.5, 9};
  DataDescription data = MakeNetworks({});
  AddAttribute(data, "x", x, -99);
  AddAttribute(data, "y", y, -99);
  const AttributeDescriptives figures = ComputeAttributeDescriptives(data);
  double mx = 0, my = 0;
  for (std::size_t i = 0; i < 5; ++i) mx += x[i] / 5, my += y[i] / 5;
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
  }
  EXPECT_NEAR(*figures.pairs[2][1], sxy / 4, 1e-12);
  EXPECT_NEAR(*figures.pairs[1][2], sxy / std::sqrt(sxx * syy), 1e-12);
  const std::vector<std::string> lines = Report(data);
  EXPECT_FALSE(Contains(
      lines, "Correlations and covariances are based on pairwise deletion of missing values."));
}

TEST(CorrelationTest, PairwiseCovarianceIsSymmetricAndShiftFree) {
  // a is missing for actor 4 and b for actor 1, so the common actors are
  // 2, 3 and 5; the means stay those over each attribute's valid values.
  const std::vector<double> a = {1, 2, 4, -1, 8};
  const std::vector<double> b = {-1, 3, 1, 2, 5};
  const auto covariances = [&a](double shift) {
    std::vector<double> shifted = {-1};
    shifted.insert(shifted.end(), {3 + shift, 1 + shift, 2 + shift, 5 + shift});
    DataDescription data = MakeNetworks({});
    AddAttribute(data, "a", a, -1);
    AddAttribute(data, "b", shifted, -1);
    const AttributeDescriptives figures = ComputeAttributeDescriptives(data);
    return std::pair(*figures.pairs[2][1], *figures.pairs[1][2]);
  };
  const double mean_a = 15.0 / 4, mean_b = 11.0 / 4;
  double s = 0;
  for (const std::size_t i : {1, 2, 4}) s += (a[i] - mean_a) * (b[i] - mean_b);
  const auto [cov, corr] = covariances(0);
  EXPECT_NEAR(cov, s / 2, 1e-12);
  const auto [shifted_cov, shifted_corr] = covariances(100);
  EXPECT_NEAR(shifted_cov, cov, 1e-9);
  EXPECT_NEAR(shifted_corr, corr, 1e-9);
}

TEST(CorrelationTest, PairsWithoutTwoCommonValidActorsShowDashes) {
  DataDescription data = MakeNetworks({});
  AddAttribute(data, "a", {1, 2, 0, 0}, 0);
  AddAttribute(data, "b", {0, 5, 6, 7}, 0);  // one actor valid in both
  AddAttribute(data, "c", {3, 3, 3, 3}, 0);  // no spread
  const std::vector<std::string> lines = Report(data);
  EXPECT_EQ(Block(lines, "Correlations and covariances are based"),
            (std::vector<std::string>{
                "Correlations and covariances are based on pairwise deletion of missing values."}));
  EXPECT_TRUE(Contains(lines, "         a     -      -      -  "));
  EXPECT_TRUE(Contains(lines, "         b     -      -      -  "));
  EXPECT_TRUE(Contains(lines, "         c    0.00   0.00    -  "));
}

TEST(AttributeDescriptivesTest, NoAttributesWritesTwoEmptyLines) {
  DataDescription data = MakeNetworks({});
  EXPECT_EQ(Report(data), (std::vector<std::string>{"", ""}));
}

}  // namespace
}  // namespace kivo::tamsel
