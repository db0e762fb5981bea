#ifndef KIVO_SIM_FUNCTSIM_H_
#define KIVO_SIM_FUNCTSIM_H_

// The statistics ("functions") evaluated on the observed data matrix and on
// every simulated matrix, and their labels. A "version of evaluated
// statistics" selects one of a few fixed catalogues; graphs may add linear
// combinations of triad counts with their exceedance indicators.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "core/kivo_mat.h"
#include "core/triads.h"
#include "sim/kivosimlib.h"

namespace kivo::sim {

// Most statistics of one evaluation: one per column for versions 2 and 3.
inline constexpr int kMaxStatistics = kMaxColumns;

// What the statistics need to know of the run. The input reader fills it from
// the project input (MakeStatisticsSetup); the sampler then sets the mutual
// offset and the reordering of the vertices before the first simulated matrix.
struct StatisticsSetup {
  int f = 0;                    // rows
  int g = 0;                    // columns
  int version = 1;              // version of evaluated statistics, in range
  bool undirected = false;      // the matrices are undirected graphs
  bool connected_only = false;  // connected-only flag of the evaluation
  int numl = 0;                 // linear combinations of triad counts, 0 to 18
  // Row k (1 to numl): element 0 the critical value, 1 to 16 the weights of
  // the triad types in TriadTypeOrder.
  WeightTable weights{};
  // Subtracted from the number of mutual dyads (statistic 1 of version 1).
  std::int32_t mutual_offset = 0;
  // Whether the vertices were reordered before sampling, and the positions
  // r1 and r2 that the input's vertices 1 and 2 now hold.
  bool reordered = false;
  int r1 = 1;
  int r2 = 2;

  bool square() const { return f == g; }
};

// The setup for the observed matrix of a project input: its shape, version,
// combinations and weights, undirected when the mode is an undirected graph,
// the connectivity field as connected-only flag, offset 0, no reordering.
StatisticsSetup MakeStatisticsSetup(const ProjectInput& input);

// Results of one evaluation, all indexed from 1 (entry 0 unused).
struct StatisticValues {
  // Statistics 1 to numf as integers: the values whose distribution is estimated.
  std::array<std::int32_t, kMaxStatistics + 1> int_values{};
  // The same statistics before rounding, for the matrix listing.
  std::array<double, kMaxStatistics + 1> real_values{};
  // 1 to numl: the combination sums; numl + 1 to 2 numl: 1.0 where the sum is
  // at least the critical value of its row, else 0.0.
  std::array<double, 2 * kMaxCombinations + 1> combination_values{};
};

// Versions a matrix allows: 4 when f = g, else 3.
int VersionCount(int f, int g);

// numf of a version: 3 for versions 1 and 4, g for versions 2 and 3, 0 for any
// other version.
int StatisticCount(int version, int g);

// Fills values.int_values and real_values 1 to numf and, for a square matrix
// with numl >= 1, combination_values 1 to 2 numl, for the matrix held in the
// first setup.f rows and setup.g columns of m. Allocates nothing.
// REQUIRES: 2 <= f, g <= 200; 1 <= setup.version <= VersionCount(f, g);
// 1 <= r1, r2 <= f.
void EvaluateStatistics(const BinaryMatrix& m, const StatisticsSetup& setup,
                        StatisticValues& values);

// Label of statistic i (1 to numf) of setup.version for the setup's shape,
// flags and reordering, with `mutual_offset` as the L of "Number of mutual
// dyads minus L". With note_rounding, the statistics that are shown rounded
// carry " (rounded to integer)". At most 255 characters; empty for an i
// outside the catalogue.
std::string StatisticLabel(const StatisticsSetup& setup, int i, std::int32_t mutual_offset,
                           bool note_rounding);

// Whether every vertex of the first n reaches every other. Unless `undirected`
// is set the arcs are taken in both directions (weak connectivity); with it
// set, the arcs are followed as they stand. True for n <= 1.
// REQUIRES: 0 <= n <= 200.
bool IsConnected(const BinaryMatrix& m, int n, bool undirected);
bool IsConnected(const PackedDigraph& g, bool undirected);

// Counts of a square matrix that statistic 1 and 2 of version 1 use: mutual
// dyads, and directed two-paths x to y to z (x, y, z distinct) that are closed
// by the arc x to z (transitive) or not (intransitive).
struct DyadTriadCounts {
  std::int32_t mutual = 0;
  std::int64_t transitive = 0;
  std::int64_t intransitive = 0;
};
DyadTriadCounts CountMutualsAndTwoPaths(const PackedDigraph& g);

// Eigenvector power index of the n actors of a square 0-1 matrix: the
// leading eigenvector of W + I, W the matrix made symmetric, of length 1.
// Cell (a, b), 1 <= a, b <= n, is cells[(a - 1) * stride + (b - 1)] and counts
// as a tie when not 0; diagonal cells are not read. Writes e[1] to e[n].
// Any store works: a BinaryMatrix is (m.cells, kMaxColumns); a matrix kept
// as std::array<std::array<std::uint8_t, 16>, 16> with cells [a][b] from 1 is
// (std::span(&x[1][1], 14 * 16 + 15), 16). Allocates nothing.
// REQUIRES: 1 <= n <= 200, stride >= n, cells.size() >= (n - 1) * stride + n,
// e.size() > n.
void ActorEigenvectorIndex(std::span<const std::uint8_t> cells, int stride, int n,
                           std::span<double> e);
void ActorEigenvectorIndex(const BinaryMatrix& m, int n, std::span<double> e);

// Eigenvector power index of the g columns of an f x g 0-1 matrix: the
// leading eigenvector, of length 1, of the column co-occurrence counts
// C(k, l) = number of rows with a 1 in both columns k and l. When every
// column total is 0 there is no such vector and every h_k is 0. Cells as for
// ActorEigenvectorIndex. Writes h[1] to h[g]. Allocates nothing.
// REQUIRES: 1 <= f, g <= 200, stride >= g, cells.size() >= (f - 1) * stride + g,
// h.size() > g.
void ColumnEigenvectorIndex(std::span<const std::uint8_t> cells, int stride, int f, int g,
                            std::span<double> h);
void ColumnEigenvectorIndex(const BinaryMatrix& m, int f, int g, std::span<double> h);

}  // namespace kivo::sim

#endif  // KIVO_SIM_FUNCTSIM_H_
