#include "core/kivo_mat.h"

#include <gtest/gtest.h>

namespace kivo {
namespace {

TEST(BinaryMatrixTest, CellsAreAddressedFromOneRowAfterRow) {
  BinaryMatrix m;
  SetCell(m, 1, 1, 7);
  SetCell(m, 2, 1, 8);
  SetCell(m, 200, 200, 9);
  EXPECT_EQ(m.cells[0], 7);
  EXPECT_EQ(m.cells[200], 8);
  EXPECT_EQ(m.cells[39999], 9);
  SetCell(m, 3, 5, 1);
  EXPECT_EQ(GetCell(m, 3, 5), 1);
  EXPECT_EQ(GetCell(m, 5, 3), 0);
}

TEST(BinaryMatrixTest, CopyTakesCellsOutsideThePartInUse) {
  BinaryMatrix big;
  for (int i = 1; i <= 10; ++i) SetCell(big, i, i, 1);
  BinaryMatrix copy;
  CopyMatrix(copy, big);
  EXPECT_EQ(GetCell(copy, 10, 10), 1);
}

TEST(BinaryMatrixTest, DefineMatrixLooksAtColumnsOnly) {
  BinaryMatrix m;
  EXPECT_EQ(DefineMatrix(m, 10, 200), "");
  EXPECT_EQ(DefineMatrix(m, 10, 201), "Matrix is defined out of bounds.");
  EXPECT_EQ(DefineMatrix(m, 250, 10), "");
}

TEST(BinaryMatrixTest, SumTotals) {
  TotalsVector totals{};
  totals[1] = 3;
  totals[2] = 0;
  totals[3] = 2;
  EXPECT_EQ(SumTotals(totals, 3), 5);
  EXPECT_EQ(SumTotals(totals, 0), 0);
}

}  // namespace
}  // namespace kivo
