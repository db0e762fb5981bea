#include "sim/simul.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "runfiles/format.h"
#include "sim/kivos_form.h"

namespace kivo::sim {
namespace {

inline bool IsDecided(const SamplerState& s, int i, int j) { return GetCell(s.decided, i, j) != 0; }

inline void MarkLine(LineSet& set, int index) {
  set[static_cast<std::size_t>(index >> 6)] |= std::uint64_t{1} << (index & 63);
}

inline void ClearLine(LineSet& set, int index) {
  set[static_cast<std::size_t>(index >> 6)] &= ~(std::uint64_t{1} << (index & 63));
}

// The first marked line at or after `from`, 0 when there is none.
inline int NextLine(const LineSet& set, int from) {
  int word = from >> 6;
  if (word > 3) return 0;
  std::uint64_t bits = set[static_cast<std::size_t>(word)] & (~std::uint64_t{0} << (from & 63));
  while (true) {
    if (bits != 0) return (word << 6) + std::countr_zero(bits);
    if (++word > 3) return 0;
    bits = set[static_cast<std::size_t>(word)];
  }
}

bool MutualInfeasible(const SamplerState& s) {
  const DyadCounts& d = s.counts.dyad;
  const std::int32_t m = s.mutuals;
  return d.mutual > m || d.null > d.null_needed || d.asym > d.asym_needed ||
         d.mutual + d.open + d.half_ones < m ||
         d.null + d.dyads - d.half_ones - d.closed < d.null_needed;
}

// Decides the open cell (i, j). Sets failed when the remaining counts (or the
// prescribed dyad counts) do not allow the value; the state is then spoiled and
// the attempt must be abandoned.
void SetValue(SamplerState& s, int i, int j, bool one) {
  SamplerCounts& c = s.counts;
  const auto ui = static_cast<std::size_t>(i);
  const auto uj = static_cast<std::size_t>(j);
  if (one) {
    if (c.row_ones_left[ui] == 0 || c.col_ones_left[uj] == 0) {
      s.failed = true;
      return;
    }
    --c.row_ones_left[ui];
    --c.col_ones_left[uj];
  } else {
    if (c.row_zeros_left[ui] == 0 || c.col_zeros_left[uj] == 0) {
      s.failed = true;
      return;
    }
    --c.row_zeros_left[ui];
    --c.col_zeros_left[uj];
  }
  if (i != j && (s.mode.digraph || s.mode.fixed_mutuals)) {
    const bool mirror_decided = IsDecided(s, j, i);
    const bool mirror_one = mirror_decided && GetCell(s.values, j, i) != 0;
    DyadCounts& d = c.dyad;
    if (s.mode.digraph && mirror_decided) {
      ++d.closed;
      if (one == mirror_one) {
        one ? ++d.mutual : ++d.null;
      } else {
        ++d.asym;
      }
    }
    if (s.mode.fixed_mutuals) {
      if (!mirror_decided) {
        --d.open;
        if (one) ++d.half_ones;
      } else if (mirror_one) {
        --d.half_ones;
      }
      if (MutualInfeasible(s)) {
        s.failed = true;
        return;
      }
    }
  }
  // The open-cell sums of the row being drawn: the cell leaves them when it is
  // in that row, else its column's counts inside them drop.
  if (i == s.current_row) {
    s.open_free_sum -= c.col_free[uj];
    s.open_ones_sum -= c.col_ones_left[uj] + (one ? 1 : 0);
  } else if (s.current_row != 0 && !IsDecided(s, s.current_row, j)) {
    --s.open_free_sum;
    if (one) --s.open_ones_sum;
  }
  SetCell(s.decided, i, j, 1);
  SetCell(s.values, i, j, one ? 1 : 0);
  --c.row_free[ui];
  --c.col_free[uj];
  if (c.row_free[ui] > 0 && (c.row_ones_left[ui] == 0 || c.row_zeros_left[ui] == 0)) {
    MarkLine(s.forcing_rows, i);
  }
  if (c.col_free[uj] > 0 && (c.col_ones_left[uj] == 0 || c.col_zeros_left[uj] == 0)) {
    MarkLine(s.forcing_cols, j);
  }
}

// Decides (i, j) and, where the mode ties the mirror cell to it, (j, i).
void AssignValue(SamplerState& s, int i, int j, bool one) {
  SetValue(s, i, j, one);
  if (s.failed || !(s.mode.undirected || s.mode.fixed_mutuals) || IsDecided(s, j, i)) return;
  if (s.mode.undirected) {
    SetValue(s, j, i, one);
  } else if (s.mode.fixed_mutuals) {
    const MirrorFlags& m = s.counts.flags;
    if (one) {
      if (m.one_to_zero) {
        SetValue(s, j, i, false);
      } else if (m.one_to_one) {
        SetValue(s, j, i, true);
      }
    } else {
      if (m.zero_to_zero) {
        SetValue(s, j, i, false);
      } else if (m.zero_to_one) {
        SetValue(s, j, i, true);
      }
    }
  }
}

inline void ForceValue(SamplerState& s, int i, int j, bool one) {
  AssignValue(s, i, j, one);
  s.changed = true;
}

// One pass of forcing by the remaining totals over rows r1 to r2, then columns
// c1 to c2, each in ascending order: a line with no ones left gets 0 in every
// open cell, a line with no zeros left gets 1. A line that becomes forcing
// during the pass is handled in this pass when it comes later in the order,
// else in the next one; only marked lines are visited.
void PropagateTotals(SamplerState& s, int r1, int r2, int c1, int c2) {
  s.changed = false;
  s.failed = false;
  SamplerCounts& c = s.counts;
  for (int i = NextLine(s.forcing_rows, r1); i != 0 && i <= r2;
       i = NextLine(s.forcing_rows, i + 1)) {
    const auto ui = static_cast<std::size_t>(i);
    if (c.row_free[ui] > 0) {
      const bool one = c.row_ones_left[ui] != 0;
      for (int j = s.g; j >= 1; --j) {
        if (IsDecided(s, i, j)) continue;
        ForceValue(s, i, j, one);
        if (s.failed) return;
      }
    }
    ClearLine(s.forcing_rows, i);
  }
  for (int j = NextLine(s.forcing_cols, c1); j != 0 && j <= c2;
       j = NextLine(s.forcing_cols, j + 1)) {
    const auto uj = static_cast<std::size_t>(j);
    if (c.col_free[uj] > 0) {
      const bool one = c.col_ones_left[uj] != 0;
      for (int i = s.f; i >= 1; --i) {
        if (IsDecided(s, i, j)) continue;
        ForceValue(s, i, j, one);
        if (s.failed) return;
      }
    }
    ClearLine(s.forcing_cols, j);
  }
}

enum class MirrorNeed { kDecidedOne, kDecidedZero, kDecidedAny };

// Forces every open cell (i, j), rows r to g, columns g down to 1, whose mirror
// is decided as `need` asks: to `value`, or to the mirror's value (kDecidedAny).
// With open_pairs, a cell whose mirror is open gets `value` and so does the
// mirror.
void SweepMirrors(SamplerState& s, int r, MirrorNeed need, bool value, bool open_pairs) {
  for (int i = r; i <= s.g; ++i) {
    for (int j = s.g; j >= 1; --j) {
      if (IsDecided(s, i, j)) continue;
      if (IsDecided(s, j, i)) {
        const bool mirror_one = GetCell(s.values, j, i) != 0;
        if (need == MirrorNeed::kDecidedOne && !mirror_one) continue;
        if (need == MirrorNeed::kDecidedZero && mirror_one) continue;
        ForceValue(s, i, j, need == MirrorNeed::kDecidedAny ? mirror_one : value);
        if (s.failed) return;
      } else if (open_pairs) {
        ForceValue(s, i, j, value);
        if (s.failed) return;
        if (!IsDecided(s, j, i)) {
          ForceValue(s, j, i, value);
          if (s.failed) return;
        }
      }
    }
  }
}

// Forces what the prescribed number of mutual dyads forces, from row r on,
// and sets the mirror flags that keep forcing it.
void MutualPropagate(SamplerState& s, int r) {
  s.changed = false;
  s.failed = MutualInfeasible(s);
  if (s.failed) return;
  MirrorFlags& m = s.counts.flags;
  const DyadCounts& d = s.counts.dyad;
  const std::int32_t mutuals = s.mutuals;
  // No further mutual dyad is allowed.
  if (!m.one_to_zero && d.mutual >= mutuals) {
    SweepMirrors(s, r, MirrorNeed::kDecidedOne, false, false);
    if (s.failed) return;
    m.one_to_zero = true;
  }
  // No further null dyad is allowed.
  if (!m.zero_to_one && d.null >= d.null_needed) {
    SweepMirrors(s, r, MirrorNeed::kDecidedZero, true, false);
    if (s.failed) return;
    m.zero_to_one = true;
  }
  // Every dyad that can still be null must be null.
  if (!m.zero_to_zero && d.null + d.dyads - d.closed - d.half_ones <= d.null_needed) {
    SweepMirrors(s, r, MirrorNeed::kDecidedZero, false, true);
    if (s.failed) return;
    m.zero_to_zero = true;
  }
  // No further asymmetric dyad is allowed.
  if (!(m.zero_to_zero && m.one_to_one) && d.asym >= d.asym_needed) {
    SweepMirrors(s, r, MirrorNeed::kDecidedAny, false, false);
    if (s.failed) return;
    m.zero_to_zero = true;
    m.one_to_one = true;
  }
  // Every dyad that can still be mutual must be mutual.
  if (!m.one_to_one && d.mutual + d.half_ones + d.open <= mutuals) {
    SweepMirrors(s, r, MirrorNeed::kDecidedOne, true, true);
    if (s.failed) return;
    m.one_to_one = true;
  }
}

// Repeats the forcing by the totals over rows r to f (and by the dyad counts
// from row r) until nothing changes. False on a contradiction.
bool Settle(SamplerState& s, int r) {
  // Most cells leave no line forcing anything: nothing to do then.
  if (!s.mode.fixed_mutuals &&
      ((s.forcing_rows[0] | s.forcing_rows[1] | s.forcing_rows[2] | s.forcing_rows[3] |
        s.forcing_cols[0] | s.forcing_cols[1] | s.forcing_cols[2] | s.forcing_cols[3]) == 0)) {
    return true;
  }
  while (true) {
    PropagateTotals(s, r, s.f, 1, s.g);
    if (s.failed) return false;
    bool changed = s.changed;
    if (s.mode.fixed_mutuals) {
      MutualPropagate(s, r);
      if (s.failed) return false;
      changed = changed || s.changed;
    }
    if (!changed) return true;
  }
}

void StartRowSums(SamplerState& s, int i) {
  s.current_row = i;
  std::int32_t free_sum = 0;
  std::int32_t ones_sum = 0;
  for (int k = 1; k <= s.g; ++k) {
    if (IsDecided(s, i, k)) continue;
    free_sum += s.counts.col_free[static_cast<std::size_t>(k)];
    ones_sum += s.counts.col_ones_left[static_cast<std::size_t>(k)];
  }
  s.open_free_sum = free_sum;
  s.open_ones_sum = ones_sum;
}

void Restore(SamplerState& s, const BinaryMatrix& mask, const SamplerCounts& counts) {
  std::memcpy(s.decided.cells.data(), mask.cells.data(),
              static_cast<std::size_t>(s.f) * static_cast<std::size_t>(kMaxColumns));
  s.counts = counts;
  s.forcing_rows = {};
  s.forcing_cols = {};
  s.current_row = 0;
  s.failed = false;
  s.changed = false;
}

// The sequential construction: rows 1 to f - 1, columns g down to 2, each open
// cell drawn with CellProbability after the forcing has settled; the last row
// and the first column are always forced.
bool SequentialAttempt(SamplerState& s, Rand3& rand, bool normalisation, double k, double& weight) {
  const SamplerCounts& c = s.counts;
  for (int i = 1; i <= s.f - 1; ++i) {
    const auto ui = static_cast<std::size_t>(i);
    double q = 1.0;
    StartRowSums(s, i);
    for (int j = s.g; j >= 2; --j) {
      if (!Settle(s, i)) return false;
      if (IsDecided(s, i, j)) continue;
      const auto uj = static_cast<std::size_t>(j);
      bool failed = false;
      const double p =
          CellProbability(c.row_ones_left[ui], c.row_free[ui], c.col_ones_left[uj],
                          s.open_free_sum - c.col_free[uj], s.open_ones_sum - c.col_ones_left[uj],
                          c.col_free[uj], failed);
      if (failed) return false;
      const double u = NextUniform(rand);
      if (u > p) {
        AssignValue(s, i, j, false);
        q = q / (1.0 - p);
      } else {
        AssignValue(s, i, j, true);
        q = q / p;
      }
      if (s.failed) return false;
    }
    s.current_row = 0;
    if (!IsDecided(s, i, 1)) {
      PropagateTotals(s, i, i, 1, 1);
      if (s.failed) return false;
    }
    if (!Settle(s, i + 1)) return false;
    if (normalisation) {
      weight = weight + std::log(q);
    } else {
      weight = weight * q / k;
    }
  }
  return true;
}

// The free in-stubs per column, kept as a Fenwick tree so that drawing a stub
// and using one cost O(log g) instead of a pass over the running sums.
void AddStubs(CountVector& tree, int g, int column, std::int32_t delta) {
  for (int k = column; k <= g; k += k & -k) tree[static_cast<std::size_t>(k)] += delta;
}

// The first column k whose running sum of free stubs exceeds t; g when none
// does.
int FindStubColumn(const CountVector& tree, int g, double t) {
  int position = 0;
  std::int32_t below = 0;
  for (int step = std::bit_floor(static_cast<unsigned>(g)); step > 0; step >>= 1) {
    const int next = position + step;
    if (next <= g && !(below + tree[static_cast<std::size_t>(next)] > t)) {
      position = next;
      below += tree[static_cast<std::size_t>(next)];
    }
  }
  return position < g ? position + 1 : g;
}

// Stub matching: every remaining out-stub of a row is paired with a stub drawn
// uniformly from the free in-stubs; a loop, a second tie between the same
// vertices or a structural zero rejects the attempt. The construction starts
// from the structural zeros alone, so that ties the totals force are drawn
// like any other.
bool MolloyReedAttempt(SamplerState& s, Rand3& rand) {
  CountVector& rem = s.stubs_left;
  CountVector& tree = s.stub_sums;
  const int g = s.g;
  std::int32_t total = 0;
  tree.fill(0);
  for (int k = 1; k <= g; ++k) {
    const std::int32_t stubs = s.column_totals[static_cast<std::size_t>(k)];
    total += stubs;
    AddStubs(tree, g, k, stubs);
  }
  for (int i = 1; i <= s.f; ++i) {
    rem[static_cast<std::size_t>(i)] = s.row_totals[static_cast<std::size_t>(i)];
  }
  const bool undirected = s.mode.undirected;
  for (int i = 1; i <= s.f; ++i) {
    while (rem[static_cast<std::size_t>(i)] > 0) {
      --rem[static_cast<std::size_t>(i)];
      if (undirected) {
        // The vertex's own stub leaves the pool.
        AddStubs(tree, g, i, -1);
        --total;
      }
      const double t = NextUniform(rand) * total;
      const int j = FindStubColumn(tree, g, t);
      if (IsDecided(s, i, j)) return false;
      AssignValue(s, i, j, true);
      if (s.failed) return false;
      AddStubs(tree, g, j, -1);
      --total;
      if (undirected) --rem[static_cast<std::size_t>(j)];
    }
  }
  if (!s.mode.fixed_mutuals) {
    // Every stub is placed, so every row and column has exactly as many zeros
    // left as open cells: the zeros cannot fail, and they change no count of
    // mutual dyads. Open cells may hold values of an earlier attempt.
    for (int i = 1; i <= s.f; ++i) {
      const std::size_t row = static_cast<std::size_t>(i - 1) * kMaxColumns;
      for (std::size_t c = row; c < row + static_cast<std::size_t>(g); ++c) {
        s.values.cells[c] &= s.decided.cells[c];
      }
    }
    return true;
  }
  for (int i = 1; i <= s.f; ++i) {
    for (int j = 1; j <= g; ++j) {
      if (IsDecided(s, i, j)) continue;
      AssignValue(s, i, j, false);
      if (s.failed) return false;
    }
  }
  return true;
}

}  // namespace

ModeFlags DecodeMode(int matrix_mode, std::string& stop_message) {
  ModeFlags flags;
  int v = matrix_mode;
  if (v > 100) {
    flags.molloy_reed = true;
    v -= 100;
  }
  if (v < 1) {
    stop_message = "Mode ";
    stop_message += std::to_string(matrix_mode);
    stop_message += " less than 1; not implemented.";
    return flags;
  }
  if ((v >= 6 && v <= 11) || v == 14 || v >= 16) {
    stop_message = "Mode ";
    stop_message += std::to_string(matrix_mode);
    stop_message += " not implemented.";
    return flags;
  }
  flags.no_structural_zeros = v == 1;
  flags.general_structural_zeros = v == 4;
  flags.digraph = v == 2 || v == 5 || v == 12 || v == 15;
  flags.undirected = v == 3 || v == 13;
  flags.fixed_mutuals = v == 5 || v == 15;
  flags.square = v >= 12;
  return flags;
}

double CellProbability(int row_ones, int row_free, int col_ones, int rest_free, int rest_ones,
                       int col_free, bool& failed) {
  const double x = static_cast<double>(row_ones) / row_free;
  const double y = static_cast<double>(col_ones) / col_free;
  const double z = static_cast<double>(rest_ones - row_ones + 1) / (rest_free - row_free + 2);
  const double den = (1.0 - x - y) * z + x * y;
  if (den <= 1e-12) {
    failed = true;
    return 0.0;
  }
  return (1.0 - z) * x * y / den;
}

std::string SetupSampler(const SamplerProblem& problem, SamplerState& s) {
  s.f = problem.f;
  s.g = problem.g;
  s.mode = problem.mode;
  s.mutuals = problem.mutuals;
  s.row_totals = problem.row_totals;
  s.column_totals = problem.mode.undirected ? problem.row_totals : problem.column_totals;
  const int f = s.f;
  const int g = s.g;

  s.row_sz = {};
  s.col_sz = {};
  for (int i = 1; i <= f; ++i) {
    for (int j = 1; j <= g; ++j) {
      if (GetCell(problem.structural_zeros, i, j) == 0) continue;
      ++s.row_sz[static_cast<std::size_t>(i)];
      ++s.col_sz[static_cast<std::size_t>(j)];
    }
  }
  s.values = BinaryMatrix{};
  s.decided = problem.structural_zeros;
  for (int i = 1; i <= f; ++i) {
    if (s.row_totals[static_cast<std::size_t>(i)] + s.row_sz[static_cast<std::size_t>(i)] > g) {
      return "A row total is impossible.";
    }
  }
  for (int j = 1; j <= g; ++j) {
    if (s.column_totals[static_cast<std::size_t>(j)] + s.col_sz[static_cast<std::size_t>(j)] > f) {
      return "A column total is impossible.";
    }
  }
  SamplerCounts& c = s.counts;
  c = SamplerCounts{};
  for (int i = 1; i <= f; ++i) {
    const auto ui = static_cast<std::size_t>(i);
    c.row_ones_left[ui] = s.row_totals[ui];
    c.row_free[ui] = g - s.row_sz[ui];
    c.row_zeros_left[ui] = c.row_free[ui] - s.row_totals[ui];
  }
  for (int j = 1; j <= g; ++j) {
    const auto uj = static_cast<std::size_t>(j);
    c.col_ones_left[uj] = s.column_totals[uj];
    c.col_free[uj] = f - s.col_sz[uj];
    c.col_zeros_left[uj] = c.col_free[uj] - s.column_totals[uj];
  }
  DyadCounts& d = c.dyad;
  const std::int32_t sr = SumTotals(s.row_totals, f);
  d.dyads = g * (g - 1) / 2;
  d.open = d.dyads;
  d.null_needed = d.dyads + s.mutuals - sr;
  d.asym_needed = d.dyads - s.mutuals - d.null_needed;

  s.failed = false;
  s.changed = false;
  s.current_row = 0;
  s.forcing_rows = {};
  s.forcing_cols = {};
  for (int i = 1; i <= f; ++i) {
    const auto ui = static_cast<std::size_t>(i);
    if (c.row_free[ui] > 0 && (c.row_ones_left[ui] == 0 || c.row_zeros_left[ui] == 0)) {
      MarkLine(s.forcing_rows, i);
    }
  }
  for (int j = 1; j <= g; ++j) {
    const auto uj = static_cast<std::size_t>(j);
    if (c.col_free[uj] > 0 && (c.col_ones_left[uj] == 0 || c.col_zeros_left[uj] == 0)) {
      MarkLine(s.forcing_cols, j);
    }
  }
  s.unforced = s.decided;
  s.unforced_counts = c;
  if (!Settle(s, 1)) return "There is no adjacency matrix subject to these restrictions.";
  s.start = s.decided;
  s.start_counts = c;
  return std::string();
}

bool AttemptMatrix(SamplerState& s, Rand3& rand, bool normalisation, double k, double& weight) {
  weight = normalisation ? 0.0 : 1.0;
  if (s.mode.molloy_reed) {
    Restore(s, s.unforced, s.unforced_counts);
    return MolloyReedAttempt(s, rand);
  }
  Restore(s, s.start, s.start_counts);
  return SequentialAttempt(s, rand, normalisation, k, weight);
}

CountVector VertexRank(const TotalsVector& row_totals, int g) {
  CountVector key{};
  CountVector rank{};
  for (int v = 1; v <= g; ++v) {
    const int r = row_totals[static_cast<std::size_t>(v)];
    key[static_cast<std::size_t>(v)] = -std::abs(g - 1 - 2 * r);
    rank[static_cast<std::size_t>(v)] = 1;
  }
  for (int a = 2; a <= g; ++a) {
    for (int b = 1; b < a; ++b) {
      if (key[static_cast<std::size_t>(b)] > key[static_cast<std::size_t>(a)]) {
        ++rank[static_cast<std::size_t>(b)];
      } else {
        ++rank[static_cast<std::size_t>(a)];
      }
    }
  }
  return rank;
}

Reordering ReorderVertices(TotalsVector& row_totals, TotalsVector& column_totals, int f,
                           TextWriter& log) {
  const CountVector rank = VertexRank(row_totals, f);
  Reordering result;
  for (int v = 1; v <= f; ++v) {
    if (rank[static_cast<std::size_t>(v)] != v) result.reordered = true;
  }
  const TotalsVector old_rows = row_totals;
  const TotalsVector old_columns = column_totals;
  for (int v = 1; v <= f; ++v) {
    const auto to = static_cast<std::size_t>(rank[static_cast<std::size_t>(v)]);
    row_totals[to] = old_rows[static_cast<std::size_t>(v)];
    column_totals[to] = old_columns[static_cast<std::size_t>(v)];
  }
  result.r1 = rank[1];
  result.r2 = rank[2];
  if (result.reordered) {
    const int width = f >= 100 ? 4 : 3;
    log.WriteLine("For efficiency purposes, rows and columns are similarly reordered.");
    log.WriteLine("Correspondence between old and new vertex numbers :");
    std::string old_line = "old  : ";
    std::string new_line = "new  : ";
    for (int v = 1; v <= f; ++v) {
      old_line += Int(v, width);
      new_line += Int(rank[static_cast<std::size_t>(v)], width);
    }
    log.WriteLine(old_line);
    log.WriteLine(new_line);
    log.WriteLine("Look below at the row and column sums to check the new order.");
  }
  return result;
}

bool ShowCountsAfterMatrix(int s, std::int32_t n, std::uint64_t attempts) {
  int big = 1000;
  int early = 100;
  if (s > 100) {
    big = 1;
    early = 1;
  } else if (s > 50) {
    big = 10;
    early = 10;
  } else if (s >= 20) {
    big = 100;
  }
  const auto ubig = static_cast<std::uint64_t>(big);
  return n < 100 || (n < big && n % early == 0) || n % big == 0 || attempts % ubig == 0;
}

std::int32_t MutualOffset(std::int32_t lo, std::int32_t hi) {
  std::int32_t offset = 2 * lo - hi - 10;
  if (offset < 0) offset = 0;
  return (offset / 10) * 10;
}

namespace {

// Whether statistic 1 of the setup is the number of mutual dyads (the only
// statistic shown with the mutual offset).
bool CountsMutualDyads(const StatisticsSetup& setup) {
  return setup.square() && setup.version == 1 && !(setup.undirected && !setup.connected_only);
}

void WriteIntermediateHeader(TextWriter& pqr, const SamplerRun& sampler) {
  pqr.WriteLine(std::to_string(sampler.numf));
  for (int k = 1; k <= sampler.numf; ++k) {
    pqr.WriteLine(StatisticLabel(sampler.statistics, k, 0, true));
  }
  pqr.WriteLine();
  pqr.WriteLine("@");
}

void WriteIntermediateRecord(TextWriter& pqr, SamplerRun& sampler, double weight) {
  std::string& line = sampler.line;
  line.clear();
  line += Real(weight, 12, 6);
  line += ' ';
  pqr.WriteLine(line);
  line.clear();
  for (int k = 1; k <= sampler.numf; ++k) {
    line += Int(sampler.values.int_values[static_cast<std::size_t>(k)], 5);
    line += ' ';
    if (k % 10 == 0) {
      pqr.WriteLine(line);
      line.clear();
    }
  }
  if (!line.empty()) pqr.WriteLine(line);
}

void WriteListingLegend(TextWriter& listing, const SamplerRun& sampler) {
  if (sampler.reordering.reordered) {
    listing.WriteLine("The vertex numbers for the statistics refer to the numbers in the");
    listing.WriteLine("original order; consult the main output file for the reordering.");
    std::string line = "The original vertex 1 now is ";
    line += std::to_string(sampler.reordering.r1);
    line += "; the original vertex 2 now is ";
    line += std::to_string(sampler.reordering.r2);
    line += '.';
    listing.WriteLine(line);
  }
  listing.WriteLine("Following each matrix are the following function values:");
  for (int k = 1; k <= sampler.numf; ++k) {
    listing.WriteLine(Int(k, 2) + ". " +
                      StatisticLabel(sampler.statistics, k, sampler.mutual_offset, false));
  }
  listing.WriteLine();
  listing.WriteLine("After this follows a constant divided by the probability");
  listing.WriteLine("for obtaining this matrix.");
  listing.WriteLine("For unbiased estimation, weights must be used");
  listing.WriteLine("that are proportional to these numbers.");
}

void FillReported(SamplerRun& sampler) {
  const int shown = sampler.numf < kMaxStatisticsInMemory ? sampler.numf : kMaxStatisticsInMemory;
  for (int j = 1; j <= shown; ++j) {
    ReportedStatistic& r = sampler.reported[static_cast<std::size_t>(j - 1)];
    r.label = StatisticLabel(sampler.statistics, j, 0, true);
    r.offset_label = StatisticLabel(sampler.statistics, j, sampler.mutual_offset, true);
    r.offset = j == 1 && CountsMutualDyads(sampler.statistics) ? sampler.mutual_offset : 0;
  }
}

// Ten draws whose mean log inverse probability per row fixes K, and whose
// numbers of mutual dyads fix the offset L. False on a stop.
bool NormalisationRuns(SimRun& run, SimulationWindow& window, SamplerRun& sampler, Status& io) {
  RunStatus& status = run.status;
  window.ProcessThem();
  if (status.interrupted) {
    // A stop before the first draw is a stop during the normalisation too.
    status.stop_message = "Program interrupted by user.";
    return false;
  }
  status.stop_message.clear();
  sampler.k = 0.0;
  std::int32_t lo = SumTotals(run.input.row_totals, run.input.f) / 2;
  std::int32_t hi = 0;
  for (int draw = 1; draw <= 10; ++draw) {
    DrawMatrix(run, window, sampler, true, io);
    window.ProcessThem();
    if (status.interrupted) status.stop_message = "Program interrupted by user.";
    if (!status.stop_message.empty()) return false;
    const std::int32_t mutual = MutualDyads(sampler.state);
    if (mutual > hi) hi = mutual;
    if (mutual < lo) lo = mutual;
  }
  window.HidePrelimLabel();
  sampler.k = std::exp(sampler.k / (10.0 * (run.input.f - 1)));
  sampler.mutual_offset = MutualOffset(lo, hi);
  run.matrices = 0;
  run.attempts = 0;
  return true;
}

}  // namespace

bool DrawMatrix(SimRun& run, SimulationWindow& window, SamplerRun& sampler, bool normalisation,
                Status& io) {
  double weight = 0.0;
  while (true) {
    window.ProcessThem();
    if ((run.matrices < 3 && run.attempts % 10 == 0) || run.attempts % 100 == 0) {
      window.ShowCounts(run.attempts, run.matrices);
    }
    if (run.status.interrupted) return false;
    ++run.attempts;
    if (AttemptMatrix(sampler.state, run.rand, normalisation, sampler.k, weight)) break;
  }
  if (normalisation) {
    sampler.k += weight;
    window.ShowCounts(run.attempts, run.matrices);
  }
  ++run.matrices;
  if (!normalisation) io = RecordMatrix(run, sampler, weight);
  return true;
}

Status RecordMatrix(SimRun& run, SamplerRun& sampler, double weight) {
  const ProjectInput& input = run.input;
  EvaluateStatistics(sampler.state.values, sampler.statistics, sampler.values);
  if (input.write_all && run.listing.is_open()) {
    if (Status s = WriteMatrixRecord(run, sampler, run.matrices, weight); !s.ok()) return s;
  }
  const std::span<const double> combinations(sampler.values.combination_values.data() + 1,
                                             static_cast<std::size_t>(sampler.twice_numl));
  if (run.intermediate_mode) {
    WriteIntermediateRecord(sampler.intermediate, sampler, weight);
    if (!sampler.intermediate.status().ok()) return sampler.intermediate.status();
    AccumulateWeighted(sampler.sums, {}, combinations, weight);
  } else {
    AccumulateWeighted(sampler.sums,
                       std::span<const std::int32_t>(sampler.values.int_values.data() + 1,
                                                     static_cast<std::size_t>(sampler.numf)),
                       combinations, weight);
  }
  return Status::Ok();
}

Status WriteMatrixRecord(SimRun& run, SamplerRun& sampler, std::int32_t n, double weight) {
  ProjectInput& input = run.input;
  TextWriter& listing = run.listing;
  const std::string& name = input.prn_file_name;
  // A drive whose size cannot be told (0) gives no reason to stop listing.
  const DriveSpace space = n % 1000 == 0 ? run.env.CurrentDriveSpace() : DriveSpace{};
  if (space.total_bytes > 0) {
    const double r = static_cast<double>(space.free_bytes) / static_cast<double>(space.total_bytes);
    if (r < 0.05) {
      TextWriter& log = run.log;
      log.WriteLine("You are writing all matrices to disk on the file " + name + ", ");
      log.WriteLine("but of the entire disk space only " + Real(r, 4, 2) + " is free");
      std::string after = "after writing ";
      after += std::to_string(n);
      after += " matrices.";
      log.WriteLine(after);
      log.WriteLine("In order to avoid filling up your entire disk space, writing file " + name +
                    " is terminated.");
      if (n >= 10000) log.WriteLine("You are advised to delete this file, it may be huge.");
      input.write_all = false;
      input.prn_open = false;
      return listing.Close();
    }
  }
  // The whole record is built in one buffer and written at once.
  const SamplerState& s = sampler.state;
  std::string& record = sampler.line;
  record.clear();
  record += '\n';
  record += std::to_string(n);
  record += ".\n";
  if (sampler.mode.digraph) {
    for (int i = 1; i <= s.g; ++i) {
      for (int j = 1; j <= s.g; ++j) {
        if (i == j) {
          record += 'X';
        } else if (GetCell(s.values, i, j) == 0) {
          record += '0';
        } else {
          record += GetCell(s.values, j, i) != 0 ? 'M' : '1';
        }
      }
      record += '\n';
    }
  } else {
    for (int i = 1; i <= s.f; ++i) {
      for (int j = 1; j <= s.g; ++j) record += GetCell(s.values, i, j) != 0 ? '1' : '0';
      record += '\n';
    }
  }
  record += '@';
  for (int k = 1; k <= sampler.numf; ++k) {
    record += ' ';
    record += Real(sampler.values.real_values[static_cast<std::size_t>(k)], 6, 2);
    if (k % 12 == 0) record += "\n ";
  }
  record += Real(weight, 15, 8);
  record += '\n';
  listing.Write(record);
  return listing.status();
}

Status RunSimulations(SimRun& run, SimulationWindow& window, SamplerRun& sampler) {
  ProjectInput& input = run.input;
  RunStatus& status = run.status;
  TextWriter& log = run.log;
  const int f = input.f;
  const int g = input.g;

  status.stop_message.clear();
  if (f > kMaxRows) status.stop_message = "Number of rows f greater than maximum fmax.";
  if (g > kMaxColumns) status.stop_message = "Number of columns g greater than maximum gmax.";
  sampler.mode = DecodeMode(input.matrix_mode, status.stop_message);
  if (!status.stop_message.empty()) {
    status.had_to_stop = true;
    return Status::Ok();
  }
  const ModeFlags& mode = sampler.mode;
  const bool fixed = mode.fixed_mutuals;
  const std::int32_t sr = SumTotals(input.row_totals, f);
  const std::int32_t sc = SumTotals(input.column_totals, g);
  if (sc != sr) status.stop_message = "Rows and columns do not have the same sum.";
  if (sc < 1) status.stop_message = "All column sums are zero. trivial result!";
  if (mode.undirected && sc % 2 != 0) status.stop_message = "Degree sum of a graph should be even!";
  if (fixed && !mode.digraph) {
    status.stop_message = "Number of mutuals is fixed without request for a digraph.";
  }
  if (fixed && input.mutuals < 0) status.stop_message = "Prescribed number of mutuals is negative.";
  if (fixed && 2 * static_cast<std::int64_t>(input.mutuals) > sc) {
    status.stop_message = "Twice the prescribed number of mutuals is larger than number of ones.";
  }
  if (input.numl > kMaxCombinations) {
    status.stop_message =
        "Number of linear combinations of triad counts greater than constant numlmax.";
  }
  if (!status.stop_message.empty()) {
    status.had_to_stop = true;
    return Status::Ok();
  }

  sampler.reordering = Reordering{};
  if (mode.square) {
    sampler.reordering = ReorderVertices(input.row_totals, input.column_totals, f, log);
  }

  log.WriteLine(SeedFromClock(run.rand, run.env, run.seed));
  status.interrupted = false;
  status.had_to_stop = false;
  status.stop_message.clear();
  run.matrices = 0;
  run.attempts = 0;
  sampler.mutual_offset = 0;
  sampler.sums = WeightedSums{};

  sampler.statistics = MakeStatisticsSetup(input);
  // The simulated matrices are evaluated without the connected-only flag
  // (the sampler does not restrict itself to connected graphs), and every
  // label printed over their values is built from this same setup.
  sampler.statistics.connected_only = false;
  sampler.statistics.undirected = mode.undirected;
  sampler.statistics.reordered = sampler.reordering.reordered;
  sampler.statistics.r1 = sampler.reordering.r1;
  sampler.statistics.r2 = sampler.reordering.r2;
  sampler.statistics.mutual_offset = 0;
  sampler.numf = StatisticCount(sampler.statistics.version, g);
  run.intermediate_mode = sampler.numf > kMaxStatisticsInMemory;
  if (run.intermediate_mode) {
    const std::string name = run.project_name + ".pqr";
    log.WriteLine("(Number of statistics evaluated is larger than constant Numfmax.");
    log.WriteLine("Therefore, intermediate results will be written to file " + name + ").");
    if (Status s = sampler.intermediate.Create(name); !s.ok()) return s;
    WriteIntermediateHeader(sampler.intermediate, sampler);
  }
  sampler.twice_numl = 2 * input.numl;

  SamplerProblem problem;
  problem.f = f;
  problem.g = g;
  problem.row_totals = input.row_totals;
  problem.column_totals = input.column_totals;
  problem.structural_zeros = input.structural_zeros;
  problem.mode = mode;
  problem.mutuals = input.mutuals;
  Status io;
  auto finish = [&]() -> Status {
    if (!io.ok()) return io;
    if (sampler.intermediate.is_open()) return sampler.intermediate.Close();
    return Status::Ok();
  };
  status.stop_message = SetupSampler(problem, sampler.state);
  if (!status.stop_message.empty() || !NormalisationRuns(run, window, sampler, io)) {
    status.had_to_stop = true;
    return finish();
  }
  sampler.statistics.mutual_offset = sampler.mutual_offset;
  FillReported(sampler);
  if (input.write_all && run.listing.is_open()) {
    WriteListingLegend(run.listing, sampler);
    if (!run.listing.status().ok()) return run.listing.status();
  }

  const int s = f + g;
  while (run.matrices < input.simulations) {
    DrawMatrix(run, window, sampler, false, io);
    if (!io.ok()) return finish();
    if (ShowCountsAfterMatrix(s, run.matrices, run.attempts)) {
      window.ShowCounts(run.attempts, run.matrices);
    }
    window.ProcessThem();
    if (status.interrupted) input.simulations = run.matrices;
  }
  window.ShowCounts(run.attempts, run.matrices);
  window.ProcessThem();
  return finish();
}

}  // namespace kivo::sim
