#ifndef KIVO_ENUM_ENUM_H_
#define KIVO_ENUM_ENUM_H_

// The enumeration tree: a depth-first walk that lists every 0-1 matrix with
// the prescribed totals and kind, cell by cell in a fixed scan order (rows
// ascending, within a row columns descending). A cell whose value is forced
// by the totals, by the mutual-dyad count or by symmetry is decided without
// branching; a cell that could still be 0 or 1 opens a level, first with 0.
// All state lives in fixed arrays; the walk allocates nothing.
//
// The run driver calls InitEnumeration, PrepareTree, then repeatedly
// DescendTree; after it BacktrackTree(false) when dead, BacktrackTree(true)
// when found; until finished, interrupted or had_to_stop.

#include <array>
#include <cstdint>
#include <string>

#include "enum/functen.h"
#include "enum/kivoelib.h"
#include "enum/numbers.h"
#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"

namespace kivo::enumeration {

// Levels 0 to kMaxLevel may be open; the per-level arrays have room for one more.
inline constexpr int kMaxLevel = 99;
// Decision level of a cell that is not decided.
inline constexpr std::uint8_t kUndecided = 100;
// The most matrices the tree counts before it stops.
inline constexpr std::int32_t kCountLimit = 2147483647;

using LineCounts = std::array<std::uint8_t, kMaxEnumSize + 1>;  // rows or columns, from 1

// The counters of one level: they describe exactly the cells decided at the
// levels 0 to this one. Opening a level copies them, so returning needs no undo.
struct TreeLevel {
  LineCounts row_zeros{};  // zeros still to be placed in each row
  LineCounts row_ones{};
  LineCounts column_zeros{};
  LineCounts column_ones{};
  std::uint8_t ones_left = 0;     // ones still to be placed in the whole matrix
  std::uint8_t mutual_count = 0;  // pairs {a, b}, a != b, with (a, b) and (b, a) both 1
  // Only with fixed mutual dyads:
  std::uint8_t half_dyads = 0;      // pairs with one cell 1 and the other undecided
  std::uint8_t open_dyads = 0;      // pairs with both cells undecided
  bool no_more_mutuals = false;     // a 1 facing a 1 is forced to 0
  bool zero_closes_dyad = false;    // a 0 forces its undecided mirror to 0
  bool one_completes_dyad = false;  // a 1 forces its undecided mirror to 1
  // The cell that opened this level (levels 1 and up).
  std::uint8_t branch_row = 0;
  std::uint8_t branch_column = 0;
  // The two-path counts kept for the statistics (AddTransitivity).
  PrimaryValues primary{};
};

struct EnumerationTree {
  // Copied from the input by PrepareTree.
  int n = 0;
  int m = 0;
  bool undirected = false;
  bool fix_mutuals = false;
  std::int32_t mutuals = 0;  // the prescribed number M
  bool connected_only = false;
  int numf = 0;  // statistics evaluated
  int nums = 0;  // statistics kept per level

  int level = 0;         // L: the number of open branch cells above the current state
  int row = 0;           // scan position: the cell looked at last
  int column = 0;        // (starts at (1, m + 1), before cell (1, m))
  EnumMatrix current{};  // value of every decided cell
  // The ones of `current` as masks: bit b of out_bits[a] and bit a of
  // in_bits[b] are set exactly when cell (a, b) holds 1.
  std::array<std::uint16_t, kMaxEnumSize + 1> out_bits{};
  std::array<std::uint16_t, kMaxEnumSize + 1> in_bits{};
  // 0 for a structural zero, kUndecided for an undecided cell, otherwise the
  // level at which the cell was decided. Shared by all levels: a cell is
  // decided at level L exactly when its decision level is at most L.
  EnumMatrix decision{};
  std::array<TreeLevel, kMaxLevel + 2> levels{};

  bool found = false;     // a complete matrix is in place
  bool finished = false;  // the tree is exhausted
  bool dead = false;      // the current state is contradictory

  // Counting stops when the count reaches this (tests inject a lower value).
  std::int32_t count_limit = kCountLimit;
  // Bounds of the closed-form counts printed by PrepareTree.
  CountingLimits counting_limits;
};

// What the tree reads and writes outside its own state.
struct TreeRun {
  EnumerationInput& input;      // n = m = 0 is set here when no matrix exists
  EnumerationTallies& tallies;  // count (raised by TallyMatrix) and disconnected
  MatrixListing& listing;       // opened by PrepareTree when every matrix is listed
  EnumRunStatus& status;        // had_to_stop
  EnumerationWindow& window;    // the counter
  TextWriter& log;
  Env& env;  // drive space for the listing's disk guard
  const std::string& project_name;
};

// Empties the walk state (cells, counters of every level, flags, position).
// Keeps count_limit and counting_limits.
void InitEnumeration(EnumerationTree& tree);

// Sets up level 0 from the accepted input, prints the counting formulas,
// decides everything the totals (and the mutual-dyad count) force, and opens
// the listing when every matrix is to be listed. Stops with the log lines
// and n = m = 0 when more than 15 statistics would be needed or no matrix
// exists. Returns the failure to open the listing.
// REQUIRES: run.input accepted (3 <= n, m <= 15, totals checked).
Status PrepareTree(EnumerationTree& tree, TreeRun& run);

// Scans to the next free cell and opens a level with it at 0. Ends with
// found (the matrix is complete), dead (a contradiction), or
// run.status.had_to_stop (a 100th level would be needed).
void DescendTree(EnumerationTree& tree, TreeRun& run);

// With record: counts, tallies and lists the complete matrix (when it passes
// the connectivity restriction). Then returns to the last open level and
// gives its cell the value 1, backing up further while that is
// contradictory. Sets finished when level 0 is exhausted, or
// run.status.had_to_stop when the count reaches count_limit.
void BacktrackTree(EnumerationTree& tree, TreeRun& run, bool record);

}  // namespace kivo::enumeration

#endif  // KIVO_ENUM_ENUM_H_
