#include "runfiles/bar_chart.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_env.h"

namespace kivo {
namespace {

using Lines = std::vector<std::string>;

// Pads a chart row to the 79 characters every written row has.
std::string Row(std::string text) {
  text.resize(79, ' ');
  return text;
}

class BarChartTest : public testing::Test {
 protected:
  // The lines written by one chart, the leading empty line included.
  Lines Draw(int values_per_bar, int bars, int first_value, const std::vector<double>& heights) {
    TextWriter log;
    EXPECT_TRUE(log.Create("chart.txt").ok());
    DrawBarChart(log, values_per_bar, bars, first_value, heights);
    EXPECT_TRUE(log.Close().ok());
    return ReadLines("chart.txt");
  }

  ScopedTempDir dir_;
};

TEST_F(BarChartTest, ThreeBarsComeOutCharacterForCharacter) {
  const Lines expected = {
      "",
      Row("0.5400|"),
      Row("0.4500|  XX"),
      Row("0.3600|  XX"),
      Row("0.2700|  XX  XX"),
      Row("0.1800|  XX  XX  XX"),
      Row("0.0900|  XX  XX  XX"),
      Row("0.0000|  XX  XX  XX"),
      Row("      +------------"),
      Row("          4   5   6"),
  };
  EXPECT_EQ(Draw(1, 3, 4, {0.5, 0.3, 0.2}), expected);
}

TEST_F(BarChartTest, TwoBarsUseFourColumnsAndFourRows) {
  // w = 8, R = 4: raw = 0.15, step 0.15 (raw is not above 1.5 u).
  const Lines expected = {
      "",
      Row("0.6000|"),
      Row("0.4500|  XX"),
      Row("0.3000|  XX  XX"),
      Row("0.1500|  XX  XX"),
      Row("0.0000|  XX  XX"),
      Row("      +--------"),
      Row("          0   2"),
  };
  EXPECT_EQ(Draw(2, 2, 0, {0.6, 0.4}), expected);
}

TEST_F(BarChartTest, ThirtyOneBarsLabelEveryFifthBarAndEverySecondTick) {
  // c = 1, w = 31, R = 16: raw 0.01625, step 0.02, ticks 0 to 14.
  std::vector<double> heights(31, 0.01);
  heights[0] = 0.26;
  heights[4] = 1e-8;  // not drawn, but its base line and label are
  const Lines expected = {
      "",
      Row("0.2800|"),
      Row("      |"),
      Row("0.2400|X"),
      Row("      |X"),
      Row("0.2000|X"),
      Row("      |X"),
      Row("0.1600|X"),
      Row("      |X"),
      Row("0.1200|X"),
      Row("      |X"),
      Row("0.0800|X"),
      Row("      |X"),
      Row("0.0400|X"),
      Row("      |X"),
      Row("0.0000|XXXX XXXXXXXXXXXXXXXXXXXXXXXXXX"),
      Row("      +-------------------------------"),
      Row("           5   10   15   20   25   30"),
  };
  EXPECT_EQ(Draw(1, 31, 1, heights), expected);
}

TEST_F(BarChartTest, ValueLabelsShowTheirFirstTwoCharacters) {
  // 10 bars of one value from 95: the bar of value 100 shows "10".
  const Lines lines = Draw(1, 10, 95, std::vector<double>(10, 0.1));
  EXPECT_EQ(lines.back(), Row("         95  96  97  98  99  10  10  10  10  10"));
}

TEST_F(BarChartTest, HeightOf026OverTwentyOneRowsHasStep00125) {
  // 22 bars: c = 2, w = 44, R = 21, raw = 0.01238, step 0.0125, K = 21:
  // the top tick is on the top row, labels on every second tick.
  std::vector<double> heights(22, 0.0);
  heights[21] = 0.26;
  const Lines lines = Draw(1, 22, 0, heights);
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[1], Row("      |"));
  EXPECT_EQ(lines[2], Row("0.2500|                                           X"));
  EXPECT_EQ(lines[3], Row("      |                                           X"));
  EXPECT_EQ(lines[4], Row("0.2250|                                           X"));
  EXPECT_EQ(lines[22], Row("0.0000|                                           X"));
}

TEST_F(BarChartTest, TopTickAboveTheGridIsDropped) {
  // 0.2625 is exactly 21 steps of 0.0125: K = 22, and tick 22 would fall on
  // the row above the grid. It is left out; tick 21 is on the top row.
  std::vector<double> heights(22, 0.0);
  heights[0] = 0.2625;
  const Lines lines = Draw(1, 22, 0, heights);
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[1], Row("      |"));
  EXPECT_EQ(lines[2], Row("0.2500| X"));
  EXPECT_EQ(lines[22], Row("0.0000| X"));
  EXPECT_EQ(lines[23], Row("      +--------------------------------------------"));
}

TEST_F(BarChartTest, InputsTheReportsNeverProduce) {
  struct Case {
    const char* name;
    int values_per_bar;
    int bars;
    std::vector<double> heights;
    Lines expected;
  };
  const Case cases[] = {
      {"no values per bar", 0, 3, {0.5, 0.3, 0.2}, {""}},
      {"a single bar", 1, 1, {1.0}, {""}},
      {"no positive height",
       1,
       2,
       {0.0, -1.0},
       {"", Row("0.0000|"), Row("      +--------"), Row("          0   1")}},
      {"fewer heights than bars",
       1,
       3,
       {0.5},
       {"", Row("0.5400|"), Row("0.4500|  XX"), Row("0.3600|  XX"), Row("0.2700|  XX"),
        Row("0.1800|  XX"), Row("0.0900|  XX"), Row("0.0000|  XX"), Row("      +------------"),
        Row("          0   1   2")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Draw(c.values_per_bar, c.bars, 0, c.heights), c.expected);
  }
}

TEST_F(BarChartTest, MoreThanSeventyBarsDrawsTheFirstSeventy) {
  std::vector<double> heights(100, 0.01);
  heights[69] = 0.5;
  heights[99] = 0.9;  // beyond the 70 drawn bars
  const Lines lines = Draw(1, 100, 1, heights);
  for (const std::string& line : lines) EXPECT_LE(line.size(), 79u);
  // c = 1, R = 21, step 0.025: the top tick 21 is unlabelled, bar 70 ends
  // at 0.475 in column 76.
  EXPECT_EQ(lines[1], Row("      |"));
  EXPECT_EQ(lines[2], Row("0.5000|"));
  EXPECT_EQ(lines[3], Row("      |" + std::string(69, ' ') + "X"));
  EXPECT_EQ(lines[lines.size() - 2], Row("      +" + std::string(70, '-')));
  EXPECT_EQ(lines.back().substr(69), " 65   70  ");
}

}  // namespace
}  // namespace kivo
