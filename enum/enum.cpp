#include "enum/enum.h"

#include <cmath>
#include <string>

#include "enum/numbers.h"

namespace kivo::enumeration {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

TreeLevel& Current(EnumerationTree& t) { return t.levels[At(t.level)]; }

std::uint8_t& Decision(EnumerationTree& t, int a, int b) { return t.decision[At(a)][At(b)]; }
std::uint8_t Cell(const EnumerationTree& t, int a, int b) { return t.current[At(a)][At(b)]; }

// Writes a cell and its bits in the row and column masks.
void SetCell(EnumerationTree& t, int a, int b, std::uint8_t value) {
  t.current[At(a)][At(b)] = value;
  const auto out_bit = static_cast<std::uint16_t>(1u << b);
  const auto in_bit = static_cast<std::uint16_t>(1u << a);
  if (value == 1) {
    t.out_bits[At(a)] |= out_bit;
    t.in_bits[At(b)] |= in_bit;
  } else {
    t.out_bits[At(a)] &= static_cast<std::uint16_t>(~out_bit);
    t.in_bits[At(b)] &= static_cast<std::uint16_t>(~in_bit);
  }
}

// Whether (a, b) is decided at a level at most the current one.
bool DecidedHere(EnumerationTree& t, int a, int b) { return Decision(t, a, b) <= t.level; }

// Advances the scan position; true once it has passed the last row.
bool NextCell(const EnumerationTree& t, int& i, int& j) {
  --j;
  if (j == 0) {
    ++i;
    j = t.m;
  }
  return i > t.n;
}

// Whether the prescribed number of mutual dyads can no longer be reached:
// the most favourable use of the remaining ones first completes half dyads,
// then fills open dyads in pairs. Also true once it has been passed.
bool MutualBoundFails(EnumerationTree& t) {
  const TreeLevel& lv = Current(t);
  const std::int32_t mu = lv.mutual_count;
  const std::int32_t h = lv.half_dyads;
  const std::int32_t o = lv.open_dyads;
  const std::int32_t k = lv.ones_left;
  const std::int32_t target = t.mutuals;
  if (mu > target) return true;
  if (k <= h) return mu + k < target;
  if (h + 2 * o >= k) return mu + h + (k - h) / 2 < target;
  return mu + h + o < target;
}

// Records a 0 in (a, b) with the bookkeeping of the current level. A failed
// step leaves counters already decreased: the state is abandoned anyway.
void PlaceZero(EnumerationTree& t, int a, int b) {
  TreeLevel& lv = Current(t);
  if (lv.row_zeros[At(a)] == 0) {
    t.dead = true;
    return;
  }
  --lv.row_zeros[At(a)];
  if (lv.column_zeros[At(b)] == 0) {
    t.dead = true;
    return;
  }
  --lv.column_zeros[At(b)];
  if (t.fix_mutuals && a != b) {
    if (!DecidedHere(t, b, a)) {
      --lv.open_dyads;
    } else if (Cell(t, b, a) == 1) {
      --lv.half_dyads;
    }
    if (MutualBoundFails(t)) {
      t.dead = true;
      return;
    }
  }
  Decision(t, a, b) = static_cast<std::uint8_t>(t.level);
  SetCell(t, a, b, 0);
}

void PlaceOne(EnumerationTree& t, int a, int b) {
  TreeLevel& lv = Current(t);
  if (lv.row_ones[At(a)] == 0) {
    t.dead = true;
    return;
  }
  --lv.row_ones[At(a)];
  if (lv.column_ones[At(b)] == 0) {
    t.dead = true;
    return;
  }
  --lv.column_ones[At(b)];
  if (a != b) {
    const bool mirror_decided = DecidedHere(t, b, a);
    if (mirror_decided && Cell(t, b, a) == 1) ++lv.mutual_count;
    if (t.fix_mutuals) {
      if (!mirror_decided) {
        --lv.open_dyads;
        ++lv.half_dyads;
      } else if (Cell(t, b, a) == 1) {
        --lv.half_dyads;
      }
      if (MutualBoundFails(t)) {
        t.dead = true;
        return;
      }
    }
  }
  --lv.ones_left;
  Decision(t, a, b) = static_cast<std::uint8_t>(t.level);
  SetCell(t, a, b, 1);
}

// The mirror rules look at the undecided mark itself; a mirror whose decision
// level is stale from a deeper level (the mirror of a branch cell while
// backtracking) is left for the scan or the propagation to decide later.
void DecideZero(EnumerationTree& t, int a, int b) {
  PlaceZero(t, a, b);
  if (t.dead) return;
  if (t.undirected) {
    if (Decision(t, b, a) == kUndecided) PlaceZero(t, b, a);
  } else if (t.fix_mutuals) {
    if (Decision(t, b, a) == kUndecided && Current(t).zero_closes_dyad) PlaceZero(t, b, a);
  }
}

void DecideOne(EnumerationTree& t, int a, int b) {
  PlaceOne(t, a, b);
  if (t.dead) return;
  if (t.undirected) {
    if (Decision(t, b, a) == kUndecided) PlaceOne(t, b, a);
  } else if (t.fix_mutuals) {
    if (Decision(t, b, a) == kUndecided) {
      if (Current(t).no_more_mutuals) {
        PlaceZero(t, b, a);
      } else if (Current(t).one_completes_dyad) {
        PlaceOne(t, b, a);
      }
    }
  }
}

// True when (a, b) is a free choice. Otherwise a row or column that has no
// zeros (or no ones) left gets all its undecided cells forced; both the row
// and the column are handled, with the counters read before either.
bool CheckCell(EnumerationTree& t, int a, int b) {
  const TreeLevel& lv = Current(t);
  const int ones_row = lv.row_ones[At(a)];
  const int zeros_row = lv.row_zeros[At(a)];
  const int ones_column = lv.column_ones[At(b)];
  const int zeros_column = lv.column_zeros[At(b)];
  const bool free = ones_row > 0 && zeros_row > 0 && ones_column > 0 && zeros_column > 0;
  t.dead = false;
  if (free) return true;
  if (ones_row == 0 || zeros_row == 0) {
    for (int c = t.m; c >= 1; --c) {
      if (Decision(t, a, c) != kUndecided) continue;
      if (ones_row == 0) {
        DecideZero(t, a, c);
      } else {
        DecideOne(t, a, c);
      }
      if (t.dead) return false;
    }
  }
  if (ones_column == 0 || zeros_column == 0) {
    for (int r = t.n; r >= 1; --r) {
      if (Decision(t, r, b) != kUndecided) continue;
      if (ones_column == 0) {
        DecideZero(t, r, b);
      } else {
        DecideOne(t, r, b);
      }
      if (t.dead) return false;
    }
  }
  return false;
}

// Calls visit(r, c) for every cell from the scan row on that is undecided
// when it is reached; stops as soon as a decision makes the state dead.
template <typename Visit>
void ForUndecided(EnumerationTree& t, Visit visit) {
  for (int r = t.row; r <= t.n; ++r) {
    for (int c = t.m; c >= 1; --c) {
      if (Decision(t, r, c) != kUndecided) continue;
      visit(r, c);
      if (t.dead) return;
    }
  }
}

// Forces the cells that the mutual-dyad counters force. Each rule is tested
// with the counters as the earlier rules left them; a rule that fired sets
// its flag, which stays in force below this level.
void ApplyMutualRules(EnumerationTree& t) {
  t.dead = MutualBoundFails(t);
  if (t.dead) return;
  const std::int32_t target = t.mutuals;
  const auto mirror_decided = [&t](int r, int c) { return DecidedHere(t, c, r); };

  // The target is reached: a 1 facing a 1 would add a mutual dyad.
  if (!Current(t).no_more_mutuals && Current(t).mutual_count >= target) {
    ForUndecided(t, [&](int r, int c) {
      if (mirror_decided(r, c) && Cell(t, c, r) == 1) DecideZero(t, r, c);
    });
    if (t.dead) return;
    Current(t).no_more_mutuals = true;
  }

  // Every remaining 1 must complete a half dyad.
  {
    const TreeLevel& lv = Current(t);
    if (!lv.zero_closes_dyad && lv.ones_left <= lv.half_dyads &&
        lv.mutual_count + lv.ones_left <= target) {
      ForUndecided(t, [&](int r, int c) {
        if (mirror_decided(r, c)) {
          if (Cell(t, c, r) == 0) DecideZero(t, r, c);
        } else if (Decision(t, c, r) == kUndecided) {
          DecideZero(t, r, c);
          if (!t.dead) DecideZero(t, c, r);
        }
      });
      if (t.dead) return;
      Current(t).zero_closes_dyad = true;
    }
  }

  // Every remaining 1 must create a mutual dyad.
  {
    const TreeLevel& lv = Current(t);
    const std::int32_t k = lv.ones_left;
    const std::int32_t h = lv.half_dyads;
    const std::int32_t o = lv.open_dyads;
    const std::int32_t mu = lv.mutual_count;
    if (!(lv.zero_closes_dyad && lv.one_completes_dyad) && k > h && h + 2 * o >= k &&
        2 * mu + h + k <= 2 * target) {
      ForUndecided(t, [&](int r, int c) {
        if (!mirror_decided(r, c)) return;
        if (Cell(t, c, r) == 1) {
          DecideOne(t, r, c);
        } else {
          DecideZero(t, r, c);
        }
      });
      if (t.dead) return;
      Current(t).zero_closes_dyad = true;
      Current(t).one_completes_dyad = true;
    }
  }

  // All remaining dyads must become mutual.
  if (Current(t).one_completes_dyad) return;
  {
    const TreeLevel& lv = Current(t);
    if (lv.mutual_count + lv.half_dyads + lv.open_dyads <= target) {
      ForUndecided(t, [&](int r, int c) {
        if (mirror_decided(r, c)) {
          if (Cell(t, c, r) == 1) DecideOne(t, r, c);
        } else if (Decision(t, c, r) == kUndecided) {
          DecideOne(t, r, c);
          if (!t.dead) DecideOne(t, c, r);
        }
      });
      if (t.dead) return;
      Current(t).one_completes_dyad = true;
    }
  }
}

using LaneCounts = std::array<int, 4>;

// The numbers of set bits of four 16-bit masks, counted side by side in the
// lanes of one word.
LaneCounts CountLanes(unsigned a, unsigned b, unsigned c, unsigned d) {
  std::uint64_t v =
      std::uint64_t{a} | std::uint64_t{b} << 16 | std::uint64_t{c} << 32 | std::uint64_t{d} << 48;
  v = v - ((v >> 1) & 0x5555555555555555ULL);
  v = (v & 0x3333333333333333ULL) + ((v >> 2) & 0x3333333333333333ULL);
  v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  v = (v + (v >> 8)) & 0x00FF00FF00FF00FFULL;
  return {static_cast<int>(v & 0xFF), static_cast<int>((v >> 16) & 0xFF),
          static_cast<int>((v >> 32) & 0xFF), static_cast<int>(v >> 48)};
}

// The cell at the scan position (x, y) closes the triples {y < v < x} of its
// row x and column y; there are none unless x >= y + 2, so the call is saved
// there. For each v the six two-paths through x, y and v are counted, and a
// path is closed when its first vertex has an arc to its last; with the row
// and column masks every v is counted at once.
void AddTransitivityHere(EnumerationTree& t) {
  const int x = t.row;
  const int y = t.column;
  if (x < y + 2 || t.n != t.m) return;
  const unsigned between = ((1u << x) - 1u) & ~((2u << y) - 1u);
  const unsigned out_x = t.out_bits[At(x)] & between;
  const unsigned in_x = t.in_bits[At(x)] & between;
  const unsigned out_y = t.out_bits[At(y)] & between;
  const unsigned in_y = t.in_bits[At(y)] & between;
  const int xy = Cell(t, x, y);
  const int yx = Cell(t, y, x);
  const LaneCounts second = CountLanes(out_x & in_y, out_y & in_x, out_x & out_y, in_x & in_y);
  const int x_to_y = second[0];  // x -> v -> y
  const int y_to_x = second[1];  // y -> v -> x
  int paths = x_to_y + y_to_x;
  int closed = 0;
  // Without an arc between x and y only the paths through v remain, all open.
  if (xy + yx != 0) {
    const LaneCounts first = CountLanes(out_y, in_x, out_x, in_y);
    paths += xy * (first[0] + first[1]) + yx * (first[2] + first[3]);
    closed = (xy + yx) * (second[2] + second[3]) + xy * x_to_y + yx * y_to_x;
  }
  PrimaryValues& primary = Current(t).primary;
  primary[1] += closed;
  primary[2] += paths - closed;
}

// After a contradiction found while preparing: no matrix exists.
bool ReportNoMatrix(EnumerationTree& t, TreeRun& run) {
  if (!t.dead) return false;
  run.log.WriteLine("There is no 0-1 matrix with these marginals.");
  run.input.n = 0;
  run.input.m = 0;
  t.n = 0;
  t.m = 0;
  return true;
}

void StopOnStatistics(TreeRun& run, const std::string& what, int value) {
  run.log.WriteLine("The number of functions " + what + " = " + std::to_string(value) + " .");
  run.log.WriteLine("This is greater than numfmax = " + std::to_string(kNumfMax) + " .");
  run.log.WriteLine("Adapt numfmax. Program stops.");
  run.input.n = 0;
  run.input.m = 0;
}

bool ShowsProgress(std::int32_t count) {
  return count <= 100 || (count <= 900 && count % 100 == 0) || count % 1000 == 0;
}

}  // namespace

void InitEnumeration(EnumerationTree& tree) {
  const std::int32_t count_limit = tree.count_limit;
  const CountingLimits counting_limits = tree.counting_limits;
  tree = EnumerationTree{};
  tree.count_limit = count_limit;
  tree.counting_limits = counting_limits;
}

Status PrepareTree(EnumerationTree& tree, TreeRun& run) {
  EnumerationInput& input = run.input;
  EnumerationTree& t = tree;
  t.numf = StatisticCount(input.version, input.m);
  t.nums = PrimaryCount();
  if (t.numf > kNumfMax) {
    StopOnStatistics(run, "evaluated is numf", t.numf);
    return Status::Ok();
  }
  if (t.nums > kNumfMax) {
    StopOnStatistics(run, "primarily evaluated is nums", t.nums);
    return Status::Ok();
  }
  if (input.n < 1 || input.n > kMaxEnumSize || input.m < 1 || input.m > kMaxEnumSize) {
    input.n = 0;
    input.m = 0;
    return Status::IoError("enumeration tree: " + std::to_string(input.n) + " rows and " +
                           std::to_string(input.m) + " columns do not fit the limit of " +
                           std::to_string(kMaxEnumSize));
  }
  t.n = input.n;
  t.m = input.m;
  t.undirected = input.kind == MatrixKind::kUndirected;
  t.fix_mutuals = input.fix_mutuals && input.kind == MatrixKind::kDirected;
  t.mutuals = input.mutuals;
  t.connected_only = input.connected_only;
  t.level = 0;
  t.found = t.finished = t.dead = false;

  for (int a = 1; a <= kMaxEnumSize; ++a) {
    for (int b = 1; b <= kMaxEnumSize; ++b) {
      const bool zero = input.structural_zeros[At(a)][At(b)] == 1;
      Decision(t, a, b) = zero ? 0 : kUndecided;
      SetCell(t, a, b, 0);
    }
  }

  // Level 0. Totals the reader would have refused (a line that cannot hold
  // its total) are treated as admitting no matrix rather than wrapping.
  TreeLevel& lv = t.levels[0];
  lv = TreeLevel{};
  bool impossible = false;
  int ones = 0;
  for (int r = 1; r <= t.n; ++r) {
    const int total = input.row_totals[At(r)];
    const int zeros = t.m - input.row_zero_counts[At(r)] - total;
    impossible = impossible || total < 0 || zeros < 0;
    lv.row_ones[At(r)] = static_cast<std::uint8_t>(total < 0 ? 0 : total);
    lv.row_zeros[At(r)] = static_cast<std::uint8_t>(zeros < 0 ? 0 : zeros);
    ones += total;
  }
  for (int c = 1; c <= t.m; ++c) {
    const int total = input.column_totals[At(c)];
    const int zeros = t.n - input.column_zero_counts[At(c)] - total;
    impossible = impossible || total < 0 || zeros < 0;
    lv.column_ones[At(c)] = static_cast<std::uint8_t>(total < 0 ? 0 : total);
    lv.column_zeros[At(c)] = static_cast<std::uint8_t>(zeros < 0 ? 0 : zeros);
  }
  lv.ones_left = static_cast<std::uint8_t>(ones < 0 ? 0 : ones);
  if (t.fix_mutuals) lv.open_dyads = static_cast<std::uint8_t>(t.m * (t.m - 1) / 2);

  t.row = 1;
  t.column = t.m + 1;

  PrintCountingFormulas(input, t.counting_limits, run.log);

  t.dead = impossible;
  if (ReportNoMatrix(t, run)) return Status::Ok();
  for (int round = 0; round < t.n + t.m; ++round) {
    for (int c = 1; c <= t.m; ++c) {
      CheckCell(t, 1, c);
      if (ReportNoMatrix(t, run)) return Status::Ok();
    }
    for (int r = 1; r <= t.n; ++r) {
      CheckCell(t, r, 1);
      if (ReportNoMatrix(t, run)) return Status::Ok();
    }
    if (t.fix_mutuals) {
      ApplyMutualRules(t);
      if (ReportNoMatrix(t, run)) return Status::Ok();
    }
  }

  if (input.write_all) {
    Status opened = OpenMatrixListing(run.listing, run.project_name);
    if (!opened.ok()) return opened;
    WriteListingHeader(run.listing.file, input);
  }
  return Status::Ok();
}

void DescendTree(EnumerationTree& tree, TreeRun& run) {
  EnumerationTree& t = tree;
  const int parent = t.level;
  bool free = false;
  for (;;) {
    t.found = NextCell(t, t.row, t.column);
    if (t.found) return;
    if (t.dead) return;
    const int i = t.row;
    const int j = t.column;
    free = Decision(t, i, j) == kUndecided ? CheckCell(t, i, j) : false;
    if (t.fix_mutuals && !t.dead && Decision(t, i, j) == kUndecided) ApplyMutualRules(t);
    free = free && Decision(t, i, j) == kUndecided;
    if (t.dead) return;
    if (free) break;
    AddTransitivityHere(t);
  }
  if (t.level + 1 >= kMaxLevel + 1) {
    run.log.WriteLine();
    run.log.WriteLine("More than " + std::to_string(kMaxLevel) +
                      " levels in the enumeration tree!");
    run.log.WriteLine("Too many for this program.");
    run.status.had_to_stop = true;
    return;
  }
  ++t.level;
  // Everything not in use at this level is ignored, so the whole record is copied.
  t.levels[At(t.level)] = t.levels[At(parent)];
  DecideZero(t, t.row, t.column);
  AddTransitivityHere(t);
  Current(t).branch_row = static_cast<std::uint8_t>(t.row);
  Current(t).branch_column = static_cast<std::uint8_t>(t.column);
}

void BacktrackTree(EnumerationTree& tree, TreeRun& run, bool record) {
  EnumerationTree& t = tree;
  for (;;) {
    if (record) {
      bool accepted = true;
      if (t.connected_only) {
        accepted = IsConnected(t.current, t.n, t.undirected);
        if (!accepted) ++run.tallies.disconnected;
      }
      if (accepted) {
        RealValues values;
        const TreeLevel& lv = Current(t);
        TallyMatrix(run.tallies, run.input.statistics, t.current, lv.mutual_count, lv.primary,
                    values);
        const std::int32_t count = run.tallies.count;
        if (ShowsProgress(count)) run.window.shownumber(count);
        if (count >= t.count_limit) {
          run.log.WriteLine(" Before finishing the enumeration, the program has reached");
          run.log.WriteLine("the number of " + std::to_string(t.count_limit) +
                            " matrices, the largest integer the program can count.");
          run.log.WriteLine("Therefore the program must now stop.");
          run.status.had_to_stop = true;
          return;
        }
        if (run.input.write_all) {
          WriteMatrixListing(run.log, run.listing, run.input, count, t.current, values, run.env);
        }
        if (Current(t).ones_left != 0) {
          run.log.WriteLine();
          run.log.WriteLine("Error: Not all entries one have a place !");
        }
      }
    }
    t.finished = t.level == 0;
    if (t.finished) return;
    t.dead = false;
    const int i = Current(t).branch_row;
    const int j = Current(t).branch_column;
    --t.level;
    t.row = i;
    t.column = j;
    DecideOne(t, i, j);
    if (t.dead) {
      record = false;
      continue;
    }
    // Cells after (i, j) decided below this level become undecided again.
    int r = i;
    int c = j;
    while (!NextCell(t, r, c)) {
      if (Decision(t, r, c) > t.level) Decision(t, r, c) = kUndecided;
    }
    CheckCell(t, i, j);
    if (!t.dead && t.fix_mutuals) ApplyMutualRules(t);
    if (t.dead) {
      record = false;
      continue;
    }
    AddTransitivityHere(t);
    return;
  }
}

}  // namespace kivo::enumeration
