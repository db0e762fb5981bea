#ifndef KIVO_ENUM_NUMBERS_H_
#define KIVO_ENUM_NUMBERS_H_

// Closed-form counts of the matrices the enumeration will find, printed to the
// log before the walk: the exact number of 0-1 matrices with given row and
// column totals, Bender's asymptotic approximation, and the exact number of
// directed graphs with given out- and in-degrees as an alternating sum over
// diagonal corrections.

#include <cstddef>
#include <cstdint>

#include "enum/functen.h"
#include "enum/kivoelib.h"
#include "platform/text_file.h"

namespace kivo::enumeration {

// Error codes of the exact counts.
inline constexpr int kCountOk = 0;
inline constexpr int kCountOutOfMemory = 2;  // the memory or work guard stopped it
inline constexpr int kCountFailed = 5;       // any other failure (bad totals, allocation)

// Bounds on the exact counts. The state lists of one count may hold at most
// `state_bytes` bytes (measured from the tables themselves, not asked of the
// allocator); the alternating sum may spend at most `work_steps` state
// transitions over all its terms and consider at most `max_terms` distinct
// correction patterns. Exceeding any bound ends the count with
// kCountOutOfMemory. The default work bound stops the hardest 15-vertex
// alternating sums after a few seconds. Tests inject lower bounds.
struct CountingLimits {
  std::size_t state_bytes = std::size_t{512} << 20;
  std::uint64_t work_steps = 100'000'000;
  std::uint64_t max_terms = 1'000'000;
};

// Number of 0-1 matrices with row totals r[1..k] and column totals c[1..k]
// (zeros beyond the real numbers of rows and columns). Exact while the
// counts stay below 2^53. Totals whose sums differ admit no matrix: 0.
// On error (totals outside 0 to 15, k outside 0 to 15, a guard) returns 0
// and sets `error`; otherwise `error` is kCountOk.
double SukhatmeCount(const EnumTotals& r, const EnumTotals& c, int k, const CountingLimits& limits,
                     int& error);

// Number of directed graphs (zero diagonal) on m vertices with out-degrees
// r[1..m] and in-degrees c[1..m]: the sum over the correction vectors D with
// 0 <= D[t] <= min(r[t], c[t]) of (-1)^(D[1] + ... + D[m]) times the count of
// 0-1 matrices with totals r - D and c - D. Vertices of equal (r, c) are
// grouped and equal sub-counts are computed once. Errors as SukhatmeCount;
// the work and term bounds of `limits` give kCountOutOfMemory.
double KatzPowellCount(const EnumTotals& r, const EnumTotals& c, int m,
                       const CountingLimits& limits, int& error);

// Natural logarithm of Bender's approximation of the number of 0-1 matrices
// with row totals r[1..n], column totals c[1..m] and the structural zeros of
// `zeros` (cells [i][j], i <= n, j <= m, equal to 1). 0 when the total is 0.
double BenderLogCount(int n, int m, const EnumTotals& r, const EnumMatrix& zeros,
                      const EnumTotals& c);

// ln 1 + ln 2 + ... + ln k; 0 for k <= 0.
double LogFactorial(int k);

// Writes to the log the counts that apply to the kind of matrix of `input`:
// the exact count for matrices without structural zeros, Bender's
// approximation for those and for directed graphs, and the alternating sum
// for directed graphs when requested and the mutual dyads are not fixed.
void PrintCountingFormulas(const EnumerationInput& input, const CountingLimits& limits,
                           TextWriter& log);

}  // namespace kivo::enumeration

#endif  // KIVO_ENUM_NUMBERS_H_
