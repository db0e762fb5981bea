#include "tamsel/slib.h"

#include <gtest/gtest.h>

namespace kivo::tamsel {
namespace {

TEST(SlibTest, GuardedSqrtAndSafeDivide) {
  struct Case {
    double x;
    double root;
  };
  const Case roots[] = {{4, 2},         {-4, 2},         {0, 1e-18},
                        {1e-36, 1e-18}, {-1e-36, 1e-18}, {1e-34, 1e-17}};
  for (const Case& c : roots) {
    SCOPED_TRACE(c.x);
    EXPECT_DOUBLE_EQ(GuardedSqrt(c.x), c.root);
  }
  struct Division {
    double x, y, result;
  };
  const Division divisions[] = {
      {1, 4, 0.25}, {1, 1e-12, 0}, {1, -1e-12, 0}, {3, 2e-12, 1.5e12}, {0, 0, 0}};
  for (const Division& d : divisions) {
    SCOPED_TRACE(d.y);
    EXPECT_DOUBLE_EQ(SafeDivide(d.x, d.y), d.result);
  }
  EXPECT_EQ(MaxOfTwo(-1, -2), -1);
  EXPECT_EQ(ByteToText(0), "0");
  EXPECT_EQ(ByteToText(255), "255");
}

}  // namespace
}  // namespace kivo::tamsel
