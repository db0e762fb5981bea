#ifndef KIVO_CORE_KIVO_MAT_H_
#define KIVO_CORE_KIVO_MAT_H_

// The 0-1 matrix store shared by every matrix-handling part of the suite:
// adjacency matrices, 0-1 tables with prescribed totals, patterns of
// structural zeros and the sampler's working masks.

#include <array>
#include <cstdint>
#include <string>

namespace kivo {

inline constexpr int kMaxRows = 200;
inline constexpr int kMaxColumns = 200;

// 200 x 200 byte cells addressed from 1, row after row, without a size field:
// the owner keeps the numbers of rows and columns in use. A plain value,
// copied whole.
struct BinaryMatrix {
  std::array<std::uint8_t, kMaxRows * kMaxColumns> cells{};
};

// Totals (row sums, column sums, remaining counts) indexed from 1; entry 0 is
// unused.
using TotalsVector = std::array<std::uint8_t, kMaxRows + 1>;

// REQUIRES: 1 <= i <= 200, 1 <= j <= 200. No checks.
inline std::uint8_t GetCell(const BinaryMatrix& m, int i, int j) {
  return m.cells[static_cast<std::size_t>((i - 1) * kMaxColumns + (j - 1))];
}

// REQUIRES: 1 <= i <= 200, 1 <= j <= 200. No checks.
inline void SetCell(BinaryMatrix& m, int i, int j, std::uint8_t value) {
  m.cells[static_cast<std::size_t>((i - 1) * kMaxColumns + (j - 1))] = value;
}

// Copies the whole store, also the cells outside the part in use.
inline void CopyMatrix(BinaryMatrix& destination, const BinaryMatrix& source) {
  destination = source;
}

// Changes no cell; reports whether the declared number of columns fits.
// The number of rows is checked by the caller.
inline std::string DefineMatrix(const BinaryMatrix& /*m*/, int /*f*/, int g) {
  return g <= kMaxColumns ? std::string() : std::string("Matrix is defined out of bounds.");
}

// Sum of entries 1 to n in 32-bit arithmetic; 0 when n is 0.
// REQUIRES: 0 <= n <= 200.
inline std::int32_t SumTotals(const TotalsVector& totals, int n) {
  std::int32_t sum = 0;
  for (int i = 1; i <= n; ++i) sum += totals[static_cast<std::size_t>(i)];
  return sum;
}

}  // namespace kivo

#endif  // KIVO_CORE_KIVO_MAT_H_
