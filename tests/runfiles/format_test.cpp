#include "runfiles/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace kivo {
namespace {

TEST(RealTest, RoundsDecimalDigitsHalfAwayFromZero) {
  struct Case {
    double value;
    int width;
    int decimals;
    const char* expected;
  };
  const Case cases[] = {
      // Ties and doubles lying just below or above a decimal tie.
      {0.125, 0, 2, "0.13"},
      {6.25, 0, 1, "6.3"},
      {2.15, 0, 1, "2.2"},  // the double is 2.14999...
      {1.005, 0, 2, "1.01"},
      {0.045, 6, 2, "  0.05"},
      {2.5, 0, 0, "3"},
      {3.5, 0, 0, "4"},
      {0.5, 0, 0, "1"},
      {0.05, 0, 1, "0.1"},
      {0.0049999999, 0, 2, "0.00"},
      {0.12499999, 0, 2, "0.12"},
      {1.0 / 3.0, 10, 4, "    0.3333"},
      {2.0 / 3.0, 8, 4, "  0.6667"},
      {0.99995, 0, 4, "1.0000"},
      {9.99, 0, 1, "10.0"},
      {99.5, 3, 0, "100"},
      // Negative values: halves away from zero, the sign kept on a rounded zero.
      {-18.5, 0, 0, "-19"},
      {-0.125, 0, 2, "-0.13"},
      {-2.15, 7, 1, "   -2.2"},
      {-0.004, 6, 2, " -0.00"},
      {-0.5, 0, 0, "-1"},
      {-0.4, 3, 0, " -0"},
      // Zero (either sign) is written without a sign.
      {0.0, 8, 4, "  0.0000"},
      {-0.0, 8, 4, "  0.0000"},
      {0.0, 0, 0, "0"},
      // Fields widen when the value needs it; no decimals means no point.
      {123456789.5, 8, 0, "123456790"},
      {123456789.5, 12, 1, " 123456789.5"},
      {1e15, 0, 0, "1000000000000000"},
      {1e15, 0, 2, "1000000000000000.00"},
      {1e20, 6, 0, "100000000000000000000"},
      {12345.678, 6, 2, "12345.68"},
      {7.0, 8, 4, "  7.0000"},
      {1e-20, 6, 4, "0.0000"},
      {5e-5, 0, 4, "0.0001"},
      {0.00005, 6, 3, " 0.000"},
      {0.054, 6, 3, " 0.054"},
      {3.0, 0, -1, "3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.value << " width " << c.width << " decimals " << c.decimals);
    EXPECT_EQ(Real(c.value, c.width, c.decimals), c.expected);
  }
}

TEST(RealTest, HugeValuesAndManyDecimalsShowFifteenSignificantDigits) {
  EXPECT_EQ(Real(1e300, 0, 0), "1" + std::string(300, '0'));
  EXPECT_EQ(Real(-1.5e300, 0, 1), "-15" + std::string(299, '0') + ".0");
  EXPECT_EQ(Real(0.1, 0, 20), "0.10000000000000000000");
  EXPECT_EQ(Real(1.0 / 3.0, 0, 18), "0.333333333333333000");
}

TEST(RealTest, ValuesThatAreNotNumbersStayInTheirField) {
  EXPECT_EQ(Real(std::numeric_limits<double>::quiet_NaN(), 8, 4), "     NaN");
  EXPECT_EQ(Real(std::numeric_limits<double>::infinity(), 6, 2), "   Inf");
  EXPECT_EQ(Real(-std::numeric_limits<double>::infinity(), 6, 2), "  -Inf");
}

TEST(IntAndTextTest, RightAlignAndWidenButNeverCut) {
  EXPECT_EQ(Int(7, 3), "  7");
  EXPECT_EQ(Int(-12, 4), " -12");
  EXPECT_EQ(Int(123456, 3), "123456");
  EXPECT_EQ(Int(0, 0), "0");
  EXPECT_EQ(Int(9000000000LL, 0), "9000000000");
  EXPECT_EQ(Text("ab", 5), "   ab");
  EXPECT_EQ(Text("abcdef", 3), "abcdef");
  EXPECT_EQ(Text("", 2), "  ");
}

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
  struct Case {
    double value;
    double expected;
  };
  const Case cases[] = {
      {0.5, 0.0},   {1.5, 2.0},   {2.5, 2.0},           {3.5, 4.0},    {-0.5, 0.0},
      {-1.5, -2.0}, {-2.5, -2.0}, {2.4999, 2.0},        {2.5001, 3.0}, {-2.6, -3.0},
      {7.0, 7.0},   {1e16, 1e16}, {123456.5, 123456.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(RoundHalfEven(c.value), c.expected);
  }
}

}  // namespace
}  // namespace kivo
