#ifndef KIVO_SIM_SIMUL_H_
#define KIVO_SIM_SIMUL_H_

// The sequential matrix sampler of kivo_sim and its variants (a prescribed
// number of mutual dyads, the Molloy-Reed stub matching, the reordering of
// graph vertices), and the run that draws the requested matrices, evaluates
// them and writes the matrix listing and the intermediate results file.
//
// A matrix is built one cell at a time, row by row: every cell that the
// remaining totals do not force is decided by a uniform draw with a
// probability computed from the remaining totals, so the sampler knows the
// probability of the matrix it drew and gives it the weight
// constant / probability. A construction that runs into a contradiction is
// abandoned and started again; every start is an attempt.
//
// The sampler itself (SetupSampler, AttemptMatrix) knows nothing of windows,
// files or statistics, so it can be run and checked on its own.

#include <array>
#include <cstdint>
#include <string>

#include "core/kivo_mat.h"
#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"
#include "sim/functsim.h"
#include "sim/kivosimlib_report.h"
#include "sim/rand3.h"
#include "sim/sim_run.h"

namespace kivo::sim {

// At most this many statistics per matrix are held in the weighted sums;
// with more, their values go to the intermediate results file.
inline constexpr int kMaxStatisticsInMemory = 4;

// What a MatrixMode asks for.
struct ModeFlags {
  bool no_structural_zeros = false;       // 1
  bool general_structural_zeros = false;  // 4
  bool digraph = false;                   // 12, 15 (and the input codes 2, 5)
  bool undirected = false;                // 13 (and 3)
  bool fixed_mutuals = false;             // 15 (and 5)
  bool square = false;                    // 12 and above: reorder first
  bool molloy_reed = false;               // the value was above 100
};

// Decodes a MatrixMode. A value that names no implemented mode sets
// stop_message ("Mode 7 not implemented.", "Mode 0 less than 1; not
// implemented.") and leaves the flags as far as they were decoded.
ModeFlags DecodeMode(int matrix_mode, std::string& stop_message);

// The probability that an open cell (i, j) is 1. row_ones and row_free are the
// ones still to place and the open cells of row i, col_ones and col_free those
// of column j; rest_free and rest_ones are the sums of the open-cell counts and
// of the ones still to place of the columns k < j whose cell (i, k) is open.
// Sets failed (and returns 0) when the odds are degenerate.
double CellProbability(int row_ones, int row_free, int col_ones, int rest_free, int rest_ones,
                       int col_free, bool& failed);

// The problem one sampler works on; totals indexed from 1.
struct SamplerProblem {
  int f = 0;  // rows, at most 200
  int g = 0;  // columns, at most 200; f for graphs
  TotalsVector row_totals{};
  TotalsVector column_totals{};
  BinaryMatrix structural_zeros{};  // 1: the cell must be 0 (the diagonal of graphs)
  ModeFlags mode{};
  std::int32_t mutuals = 0;  // M, for a prescribed number of mutual dyads
};

using CountVector = std::array<std::int32_t, kMaxRows + 1>;

// Dyads {i, j}, i != j, of a digraph. The first four count dyads whose two
// cells are both decided; the rest serve a prescribed number of mutual dyads.
struct DyadCounts {
  std::int32_t mutual = 0;     // both cells 1
  std::int32_t asym = 0;       // one cell 1
  std::int32_t null = 0;       // both cells 0
  std::int32_t closed = 0;     // the three together
  std::int32_t dyads = 0;      // all dyads, g (g - 1) / 2
  std::int32_t open = 0;       // both cells open
  std::int32_t half_ones = 0;  // one cell decided as 1, the other open
  std::int32_t null_needed = 0;
  std::int32_t asym_needed = 0;
};

// When a cell is decided and its mirror is open, the mirror is decided too:
// once set, a flag stays set for the rest of the attempt.
struct MirrorFlags {
  bool zero_to_zero = false;
  bool zero_to_one = false;
  bool one_to_zero = false;
  bool one_to_one = false;
};

// Everything an attempt changes besides the masks; restored from a copy at
// every attempt.
struct SamplerCounts {
  CountVector row_ones_left{};
  CountVector row_zeros_left{};
  CountVector row_free{};  // row_ones_left + row_zeros_left
  CountVector col_ones_left{};
  CountVector col_zeros_left{};
  CountVector col_free{};
  DyadCounts dyad{};
  MirrorFlags flags{};
};

// Rows or columns 1 to 200 whose remaining counts force their open cells.
using LineSet = std::array<std::uint64_t, 4>;

// The working state of one run of the sampler: three masks, the counts and a
// few counters; nothing is allocated while drawing.
struct SamplerState {
  int f = 0;
  int g = 0;
  ModeFlags mode{};
  std::int32_t mutuals = 0;
  TotalsVector row_totals{};
  TotalsVector column_totals{};

  BinaryMatrix values{};    // the matrix being built; the drawn matrix after a draw
  BinaryMatrix decided{};   // 1 where the cell is decided (structural zeros included)
  BinaryMatrix start{};     // decided after the setup's propagation
  BinaryMatrix unforced{};  // decided before it: the structural zeros alone
  CountVector row_sz{};
  CountVector col_sz{};
  SamplerCounts counts{};
  SamplerCounts start_counts{};
  SamplerCounts unforced_counts{};

  bool failed = false;
  bool changed = false;

  // Bookkeeping that replaces rescans: the lines whose counts force their open
  // cells, and for the row being drawn the sums over its open cells (i, k) of
  // col_free(k) and col_ones_left(k).
  LineSet forcing_rows{};
  LineSet forcing_cols{};
  int current_row = 0;
  std::int32_t open_free_sum = 0;
  std::int32_t open_ones_sum = 0;

  // Molloy-Reed: stubs still to place per row, and the running sums of the
  // column stubs still free.
  CountVector stubs_left{};
  CountVector stub_sums{};
};

// Prepares the state for a problem: counts the structural zeros, checks that
// every total fits, and forces whatever the totals (and a prescribed number of
// mutual dyads) force. Returns the stop message, empty when the sampler is
// ready. For an undirected graph the column totals become the row totals.
// REQUIRES: 1 <= f, g <= 200; a square problem for the graph modes.
std::string SetupSampler(const SamplerProblem& problem, SamplerState& state);

// One construction attempt from the state SetupSampler left. True when it
// completed: the matrix is in state.values and weight holds its weight, the
// logarithm of its inverse probability for a normalisation draw, else
// 1 / (probability * k^(f - 1)). False after a contradiction (the attempt is
// lost). Consumes uniforms from rand exactly as the construction needs them.
bool AttemptMatrix(SamplerState& state, Rand3& rand, bool normalisation, double k, double& weight);

// Number of mutual dyads of the last matrix drawn (0 unless a digraph).
inline std::int32_t MutualDyads(const SamplerState& state) { return state.counts.dyad.mutual; }

// New position of every vertex (index 1 to g) when the vertices are put in
// ascending order of -|g - 1 - 2 r_v|, r_v the row total of v, ties keeping
// their order: the vertices whose totals are farthest from half the possible
// ties come first.
CountVector VertexRank(const TotalsVector& row_totals, int g);

// The reordering of the vertices of a graph before sampling.
struct Reordering {
  bool reordered = false;
  std::int32_t r1 = 1;  // new position of the input's vertex 1
  std::int32_t r2 = 2;  // new position of the input's vertex 2
};

// Permutes the row and column totals of a square problem by VertexRank and,
// when the order changed, writes the correspondence to the log.
Reordering ReorderVertices(TotalsVector& row_totals, TotalsVector& column_totals, int f,
                           TextWriter& log);

struct SimRun;

// Whether the main loop shows the counters after matrix n, for s = f + g:
// after each of the first 99 matrices, then ever more sparsely as s grows.
bool ShowCountsAfterMatrix(int s, std::int32_t n, std::uint64_t attempts);

// The mutual offset L from the smallest and largest number of mutual dyads
// of the normalisation draws: 2 lo - hi - 10, at least 0, cut down to a
// multiple of 10, so that the tabulated values L to L + 100 cover them.
std::int32_t MutualOffset(std::int32_t lo, std::int32_t hi);

// What the sampler keeps for one run besides the driver's SimRun: its state,
// the weighted sums and what the report needs to describe them. Owned by the
// run driver (about 200 KB: keep it off the stack).
struct SamplerRun {
  SamplerState state;
  ModeFlags mode;
  Reordering reordering;
  // The setup every simulated matrix is evaluated with; its labels are the
  // ones printed over the simulated values.
  StatisticsSetup statistics;
  StatisticValues values;
  WeightedSums sums;
  double k = 0.0;                  // the normalising constant
  std::int32_t mutual_offset = 0;  // L
  int numf = 0;
  int twice_numl = 0;
  // Statistics 1 to min(numf, 4) as the report shows them (entry j - 1 for
  // statistic j), filled once L is known.
  std::array<ReportedStatistic, kMaxStatisticsInMemory> reported;
  TextWriter intermediate;  // <project>.pqr in intermediate mode
  // Reused for every record line, so that listing a matrix allocates nothing.
  std::string line;
};

// Draws run.input.simulations matrices after the checks, the reordering of a
// graph's vertices, the seeding and the ten normalisation draws, keeping
// run.matrices and run.attempts current and letting the window process
// messages at the start of every attempt, after every matrix and after every
// normalisation draw. A problem sets run.status.stop_message and had_to_stop;
// a stop during the main loop ends it with the matrices drawn so far
// (run.input.simulations is lowered to them). Every matrix is evaluated,
// listed when every matrix is to be written, and added to sampler.sums (or,
// with more than 4 statistics, written to <project>.pqr).
// Returns an input/output error of the listing or the intermediate results
// file; the job is then abandoned where it stands.
// REQUIRES: run.input.f >= 2 and run.input.simulations >= 2.
Status RunSimulations(SimRun& run, SimulationWindow& window, SamplerRun& sampler);

// Draws one matrix: attempts until one completes or the run is interrupted
// (false). A normalisation draw adds the logarithm of its inverse probability
// to sampler.k; any other draw goes through RecordMatrix.
bool DrawMatrix(SimRun& run, SimulationWindow& window, SamplerRun& sampler, bool normalisation,
                Status& io);

// Evaluates the drawn matrix, lists it, and adds it to the sums or writes it
// to the intermediate results file.
Status RecordMatrix(SimRun& run, SamplerRun& sampler, double weight);

// The record of matrix n in the listing file, after the disk guard: at every
// 1000th matrix, when less than 5 % of the drive is free, the listing is
// closed (with an explanation in the log) and no further matrix is written.
Status WriteMatrixRecord(SimRun& run, SamplerRun& sampler, std::int32_t n, double weight);

}  // namespace kivo::sim

#endif  // KIVO_SIM_SIMUL_H_
