#ifndef KIVO_ENUM_FUNCTEN_H_
#define KIVO_ENUM_FUNCTEN_H_

// The statistics kivo_enum evaluates on every enumerated matrix and on the
// observed data matrix, and their labels. Matrices are at most 15 x 15 and
// are addressed from 1. The counts of mutual dyads and of transitive and
// intransitive two-paths of an enumerated matrix are not recomputed: the tree
// keeps them per level, and AddTransitivity adds what one decided cell closes.

#include <array>
#include <cstdint>
#include <string>

namespace kivo::enumeration {

// Most rows and columns an enumerated matrix may have.
inline constexpr int kMaxEnumSize = 15;
// Most statistics evaluated per matrix.
inline constexpr int kNumfMax = 15;

// A 15 x 15 0-1 matrix, cells [row][column] addressed from 1 (index 0 unused).
using EnumMatrix = std::array<std::array<std::uint8_t, kMaxEnumSize + 1>, kMaxEnumSize + 1>;
// Values of statistics 1 to kNumfMax, addressed from 1.
using IntValues = std::array<std::int32_t, kNumfMax + 1>;
using RealValues = std::array<double, kNumfMax + 1>;
// Partial statistic values kept per tree level: [1] the transitive and [2]
// the intransitive two-paths closed so far.
using PrimaryValues = std::array<std::int32_t, kNumfMax + 1>;

// What the statistics need to know of the run; fixed once the input is read.
struct StatisticsSetup {
  int n = 0;                    // rows
  int m = 0;                    // columns
  bool undirected = false;      // the matrices are undirected graphs
  bool connected_only = false;  // only connected graphs are enumerated
  int version = 1;              // version of evaluated statistics
  int numf = 0;                 // StatisticCount(version, m)
  // Integer start-up repetitions of the eigenvector indices:
  // trunc(ln 2.147e9 / ln m) for actors, trunc(ln 2.147e9 / ln(n m)) for columns.
  int actor_repetitions = 0;
  int column_repetitions = 0;
};

// REQUIRES: 1 <= n, m <= 15.
StatisticsSetup MakeStatisticsSetup(int n, int m, bool undirected, bool connected_only,
                                    int version);

// Number of versions a matrix of this shape allows: 3 when square, else 2.
int VersionCount(int n, int m);
// Number of statistics of a version: 4 for versions 1 and 3, m for version 2,
// 0 for any other.
int StatisticCount(int version, int m);
// Number of statistics the tree keeps per level (the two-path counts).
int PrimaryCount();

// Adds to `primary` the transitive and intransitive two-paths of the triples
// {y < v < x} that the cell (x, y) completes, for a square matrix (nothing for
// a rectangular one). Every other cell of those triples must be decided: the
// tree calls this for the cell it has just scanned (rows ascending, columns
// descending), so every triple is counted exactly once.
// REQUIRES: 1 <= x <= setup.n, 1 <= y <= setup.m.
void AddTransitivity(const EnumMatrix& current, const StatisticsSetup& setup, int x, int y,
                     PrimaryValues& primary);

// Statistics 1 to setup.numf of a complete enumerated matrix, from its cells,
// the tree's mutual-dyad count and the two-path counts of the deepest level.
void EvaluateEnumerated(const EnumMatrix& current, std::int32_t mutual_count,
                        const PrimaryValues& primary, const StatisticsSetup& setup,
                        IntValues& int_values, RealValues& real_values);

// The same values as EvaluateEnumerated for that matrix, with the mutual and
// two-path counts computed directly.
void EvaluateObserved(const EnumMatrix& observed, const StatisticsSetup& setup,
                      IntValues& int_values, RealValues& real_values);

// Label of statistic k (1 to setup.numf) of setup.version; with
// note_rounding, statistics shown rounded carry " (rounded to integer)".
std::string StatisticLabel(const StatisticsSetup& setup, int k, bool note_rounding);

// Whether every vertex of the first n reaches every other; unless
// `undirected`, arcs are taken in both directions (weak connectivity).
// REQUIRES: 0 <= n <= 15.
bool IsConnected(const EnumMatrix& matrix, int n, bool undirected);

}  // namespace kivo::enumeration

#endif  // KIVO_ENUM_FUNCTEN_H_
