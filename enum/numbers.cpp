#include "enum/numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "runfiles/format.h"
#include "runfiles/kivolib.h"

namespace kivo::enumeration {
namespace {

constexpr int kMaxValue = kMaxEnumSize;  // largest total a line of 15 cells can have
constexpr std::size_t kMaxCountLength = 255;

// A multiset of totals 1 to 15 packed into 60 bits: the 4 bits at
// 4 (v - 1) hold how many lines still have total v. At most 15 lines exist,
// so no field overflows. Lines with total 0 are dropped, so two sets of
// columns with the same remaining totals in any order share one key.
using MultisetKey = std::uint64_t;

constexpr int Field(MultisetKey key, int v) {
  return static_cast<int>((key >> (4 * (v - 1))) & 0xF);
}
constexpr MultisetKey Unit(int v) { return MultisetKey{1} << (4 * (v - 1)); }

constexpr std::array<std::array<double, 16>, 16> MakeBinomials() {
  std::array<std::array<double, 16>, 16> b{};
  for (int n = 0; n < 16; ++n) {
    b[static_cast<std::size_t>(n)][0] = 1;
    for (int k = 1; k <= n; ++k) {
      b[static_cast<std::size_t>(n)][static_cast<std::size_t>(k)] =
          b[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(k - 1)] +
          (k <= n - 1 ? b[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(k)] : 0);
    }
  }
  return b;
}
constexpr auto kBinomial = MakeBinomials();

double Binomial(int n, int k) {
  return kBinomial[static_cast<std::size_t>(n)][static_cast<std::size_t>(k)];
}

// Multiplicative hash: the high bits of the product, folded down, reach the
// low bits that the masks keep.
constexpr std::size_t HashOf(MultisetKey key) {
  const MultisetKey z = key * 0x9E3779B97F4A7C15ULL;
  return static_cast<std::size_t>(z ^ (z >> 29));
}

// Open-addressing table of (key, count) slots with the keys in place, for
// the states a row finishes: one memory access per addition, cleared once
// per row. The bytes it holds are its slot array.
class StateTable {
 public:
  struct Slot {
    MultisetKey key;
    double count;
  };
  static constexpr MultisetKey kEmpty = ~MultisetKey{0};  // no multiset key has the top bits

  std::size_t bytes() const { return slots_.capacity() * sizeof(Slot); }
  const std::vector<Slot>& slots() const { return slots_; }

  void Release() {
    std::vector<Slot>().swap(slots_);
    size_ = 0;
  }

  // Empties the table. False when even the smallest table would exceed
  // `budget` bytes (counting `other_bytes` held elsewhere).
  bool Reset(std::size_t other_bytes, std::size_t budget) {
    size_ = 0;
    if (slots_.empty()) {
      if (other_bytes + kFirstCapacity * sizeof(Slot) > budget) return false;
      slots_.assign(kFirstCapacity, Slot{kEmpty, 0});
    } else {
      std::fill(slots_.begin(), slots_.end(), Slot{kEmpty, 0});
    }
    return true;
  }

  // Adds `count` to the slot of `key`, creating it. False, with nothing
  // added, when a new slot would fill the table beyond half: Grow, then
  // add again.
  bool Add(MultisetKey key, double count) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = HashOf(key) & mask;
    for (;;) {
      Slot& slot = slots_[i];
      if (slot.key == key) {
        slot.count += count;
        return true;
      }
      if (slot.key == kEmpty) break;
      i = (i + 1) & mask;
    }
    if (2 * (size_ + 1) > slots_.size()) return false;
    slots_[i] = Slot{key, count};
    ++size_;
    return true;
  }

  // Doubles the table. False when that would exceed `budget` bytes
  // (counting `other_bytes` held elsewhere).
  bool Grow(std::size_t other_bytes, std::size_t budget) {
    const std::size_t capacity = 2 * slots_.size();
    // Old and new arrays are held together while the slots move.
    if (other_bytes + (capacity + slots_.size()) * sizeof(Slot) > budget) return false;
    std::vector<Slot> old(capacity, Slot{kEmpty, 0});
    old.swap(slots_);
    const std::size_t mask = capacity - 1;
    for (const Slot& slot : old) {
      if (slot.key == kEmpty) continue;
      std::size_t i = HashOf(slot.key) & mask;
      while (slots_[i].key != kEmpty) i = (i + 1) & mask;
      slots_[i] = slot;
    }
    return true;
  }

 private:
  static constexpr std::size_t kFirstCapacity = 1024;

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};

enum class Outcome { kDone, kOutOfMemory, kTooMuchWork };

// Sum of the sixteen 4-bit fields of a word.
constexpr int FieldSum(MultisetKey key) {
  const MultisetKey bytes = (key & 0x0F0F0F0F0F0F0F0FULL) + ((key >> 4) & 0x0F0F0F0F0F0F0F0FULL);
  return static_cast<int>((bytes * 0x0101010101010101ULL) >> 56);
}

// While a row is being placed, the ones it still has to place ride in the
// top four bits of the key (the multiset uses 60).
constexpr int kLeftShift = 60;
constexpr MultisetKey kMultisetMask = (MultisetKey{1} << kLeftShift) - 1;

// The exact count as a recursion over the rows on multisets of remaining
// column totals. A row of total r takes x_v of the c_v columns whose
// remaining total is v, for every choice with x_1 + ... + x_15 = r; such a
// choice stands for C(c_1, x_1) ... C(c_15, x_15) subsets of columns, all
// leading to the same multiset, so it is counted once with that weight
// instead of subset by subset. The choice itself is made value by value
// (v = 1, 2, ..., 15), and partial choices that agree so far are merged, so
// the work per row grows with the number of distinct partial states rather
// than with the product of the choices. States from which the remaining
// rows cannot be completed (the Gale-Ryser condition fails) are passed
// over: they never reach the empty multiset.
//
// Deciding value v changes only the fields v and v - 1 of a partial state,
// so partial states that differ above v can never merge at v. The states of
// a row are kept sorted by key (field 15 most significant), which makes
// every run of states that agree above v contiguous; the row is worked
// depth first over those runs, and each merge needs a table only as large as
// one run's partial states, which mostly stays in cache.
class SukhatmeRecursion {
 public:
  SukhatmeRecursion(const CountingLimits& limits, std::uint64_t& steps)
      : limits_(limits), steps_(steps) {}

  // rows: the positive row totals in the order they are filled.
  Outcome Run(const std::vector<int>& rows, MultisetKey columns, double& result) {
    result = 0;
    Outcome outcome = Start(rows, columns);
    while (outcome == Outcome::kDone && !Finished()) outcome = Step();
    if (outcome == Outcome::kDone) result = Result();
    return outcome;
  }

  // Prepares a count of the rows (positive totals, in the order they are
  // filled) on the multiset `columns`; Step then fills them one by one.
  Outcome Start(const std::vector<int>& rows, MultisetKey columns) {
    rows_ = rows;
    next_row_ = 0;
    const int row_count = static_cast<int>(rows.size());
    // bound_[s][j]: sum over the rows s, s + 1, ... of min(total, j).
    bound_.assign(static_cast<std::size_t>(row_count) + 1, {});
    for (int s = row_count - 1; s >= 0; --s) {
      for (int j = 0; j <= kMaxValue; ++j) {
        bound_[static_cast<std::size_t>(s)][static_cast<std::size_t>(j)] =
            bound_[static_cast<std::size_t>(s) + 1][static_cast<std::size_t>(j)] +
            std::min(rows[static_cast<std::size_t>(s)], j);
      }
    }
    for (const std::size_t i : merge_slots_) merge_index_[i] = 0;  // left by a count that stopped
    merge_slots_.clear();
    states_.clear();
    if (!Push(states_, {columns, 1})) return Outcome::kOutOfMemory;
    return Outcome::kDone;
  }

  bool Finished() const { return next_row_ == rows_.size() || states_.empty(); }

  // Number of multisets the rows filled so far can leave.
  std::size_t StateCount() const { return states_.size(); }

  // The count, once Finished: the weight of the empty multiset.
  double Result() const {
    if (next_row_ < rows_.size()) return 0;
    for (const Entry& e : states_) {
      if (e.key == 0) return e.count;
    }
    return 0;
  }

  // Fills the next row.
  Outcome Step() {
    stage_ = static_cast<int>(next_row_);
    row_total_ = static_cast<MultisetKey>(rows_[next_row_]);
    ++next_row_;
    if (!done_.Reset(Held() - done_.bytes(), limits_.state_bytes)) return Outcome::kOutOfMemory;
    for (std::vector<Entry>& level : levels_) level.clear();
    const Outcome outcome = Solve(kMaxValue, 0, states_.size());
    if (outcome != Outcome::kDone) return outcome;
    states_.clear();
    for (const StateTable::Slot& slot : done_.slots()) {
      if (slot.key != StateTable::kEmpty && !Push(states_, {slot.key, slot.count})) {
        return Outcome::kOutOfMemory;
      }
    }
    std::sort(states_.begin(), states_.end(),
              [](const Entry& a, const Entry& b) { return a.key < b.key; });
    return Outcome::kDone;
  }

  // What the state lists hold.
  std::size_t Bytes() const {
    std::size_t entries = states_.capacity();
    for (const std::vector<Entry>& level : levels_) entries += level.capacity();
    return entries * sizeof(Entry) + merge_index_.capacity() * sizeof(std::uint32_t) +
           merge_slots_.capacity() * sizeof(std::size_t) + done_.bytes();
  }

  // Another count alive at the same time, whose lists share the budget.
  void ShareBudgetWith(const SukhatmeRecursion* other) { sibling_ = other; }

  // Gives back all the lists hold.
  void Release() {
    std::vector<Entry>().swap(states_);
    for (std::vector<Entry>& level : levels_) std::vector<Entry>().swap(level);
    std::vector<std::uint32_t>().swap(merge_index_);
    std::vector<std::size_t>().swap(merge_slots_);
    done_.Release();
  }

 private:
  struct Entry {
    MultisetKey key;
    double count;
  };

  // states_[lo, hi) agree on the fields above v. Decides for them how many
  // columns of each total 1 to v the current row takes: the partial choices,
  // merged, are appended to levels_[v] and the finished ones added to done_.
  Outcome Solve(int v, std::size_t lo, std::size_t hi) {
    if (v == 0) {
      for (std::size_t p = lo; p < hi; ++p) {
        const Entry& e = states_[p];
        if (!Feasible(e.key, stage_)) continue;
        if (!Push(levels_[0], {e.key | (row_total_ << kLeftShift), e.count})) {
          return Outcome::kOutOfMemory;
        }
      }
      return Outcome::kDone;
    }
    std::size_t p = lo;
    while (p < hi) {
      const int field = Field(states_[p].key, v);
      std::size_t q = p + 1;
      while (q < hi && Field(states_[q].key, v) == field) ++q;
      const Outcome outcome = Solve(v - 1, p, q);
      if (outcome != Outcome::kDone) return outcome;
      p = q;
    }
    const Outcome outcome = TakeValue(v);
    levels_[static_cast<std::size_t>(v - 1)].clear();
    return outcome;
  }

  // Every partial choice of levels_[v - 1] (all agreeing above v) decides
  // how many of its columns of total v take a one; those move to total
  // v - 1. Taking none keeps a choice as it is; a choice with all the row's
  // ones placed is finished.
  Outcome TakeValue(int v) {
    const std::vector<Entry>& in = levels_[static_cast<std::size_t>(v - 1)];
    std::vector<Entry>& out = levels_[static_cast<std::size_t>(v)];
    if (in.empty()) return Outcome::kDone;
    std::size_t moves = 0;
    for (const Entry& e : in) {
      const int left = static_cast<int>(e.key >> kLeftShift);
      moves += static_cast<std::size_t>(std::min(Field(e.key & kMultisetMask, v), left));
    }
    if (moves == 0) {
      // No column of total v can take a one: the choices that can still be
      // finished above v stay as they are, and stay distinct.
      for (const Entry& e : in) {
        const int left = static_cast<int>(e.key >> kLeftShift);
        if (left <= FieldSum((e.key & kMultisetMask) >> (4 * v)) && !Push(out, e)) {
          return Outcome::kOutOfMemory;
        }
      }
      return Outcome::kDone;
    }
    const std::size_t outputs = in.size() + moves;
    std::size_t capacity = 16;
    while (capacity < 2 * outputs) capacity *= 2;
    if (merge_index_.size() < capacity) {
      // The index and the list of its used slots, at most half as long.
      const std::size_t grown = (capacity - merge_index_.size()) * sizeof(std::uint32_t) +
                                (capacity / 2 - merge_slots_.capacity()) * sizeof(std::size_t);
      if (Held() + grown > limits_.state_bytes) return Outcome::kOutOfMemory;
      merge_index_.assign(capacity, 0);
      merge_slots_.reserve(capacity / 2);
    }
    const std::size_t mask = capacity - 1;
    const MultisetKey shift = v >= 2 ? Unit(v) - Unit(v - 1) : Unit(v);
    for (const Entry e : in) {
      const MultisetKey key = e.key & kMultisetMask;
      const int left = static_cast<int>(e.key >> kLeftShift);
      const int here = Field(key, v);
      const int above = FieldSum(key >> (4 * v));
      // The columns above v can take at most `above` of the ones left.
      const int from = left > above ? left - above : 0;
      const int to = here < left ? here : left;
      if (from == 0 && !Merge(out, e.key, e.count, mask)) return Outcome::kOutOfMemory;
      const int first = from > 1 ? from : 1;
      if (first > to) continue;
      steps_ += static_cast<std::uint64_t>(to - first + 1);
      if (steps_ > limits_.work_steps) return Outcome::kTooMuchWork;
      for (int x = first; x <= to; ++x) {
        const MultisetKey moved = key - static_cast<MultisetKey>(x) * shift;
        const double weight = e.count * Binomial(here, x);
        if (x < left) {
          if (!Merge(out, moved | (static_cast<MultisetKey>(left - x) << kLeftShift), weight,
                     mask)) {
            return Outcome::kOutOfMemory;
          }
        } else if (!done_.Add(moved, weight)) {
          if (!done_.Grow(Held() - done_.bytes(), limits_.state_bytes)) {
            return Outcome::kOutOfMemory;
          }
          done_.Add(moved, weight);
        }
      }
    }
    for (const std::size_t i : merge_slots_) merge_index_[i] = 0;
    merge_slots_.clear();
    return Outcome::kDone;
  }

  // Adds `count` to the entry of `key` among those this merge appended to
  // `out`, found through merge_index_ (entry positions plus one; 0 is free).
  [[gnu::always_inline]] bool Merge(std::vector<Entry>& out, MultisetKey key, double count,
                                    std::size_t mask) {
    std::size_t i = HashOf(key) & mask;
    for (;;) {
      const std::uint32_t at = merge_index_[i];
      if (at == 0) break;
      if (out[at - 1].key == key) {
        out[at - 1].count += count;
        return true;
      }
      i = (i + 1) & mask;
    }
    if (!Push(out, {key, count})) return false;
    merge_index_[i] = static_cast<std::uint32_t>(out.size());
    merge_slots_.push_back(i);
    return true;
  }

  // What this count and a sibling sharing the budget hold.
  std::size_t Held() const { return Bytes() + (sibling_ != nullptr ? sibling_->Bytes() : 0); }

  // Appends `e`, growing the list only within the budget.
  bool Push(std::vector<Entry>& list, Entry e) {
    if (list.size() == list.capacity() && !GrowList(list)) return false;
    list.push_back(e);
    return true;
  }

  [[gnu::noinline]] bool GrowList(std::vector<Entry>& list) {
    const std::size_t grown = list.capacity() == 0 ? 64 : 2 * list.capacity();
    if (Held() + (grown - list.capacity()) * sizeof(Entry) > limits_.state_bytes) return false;
    list.reserve(grown);
    return true;
  }

  // Gale-Ryser: the columns, largest first, can be filled by the rows from
  // `stage` on exactly when every prefix of j columns needs at most
  // bound_[stage][j] ones (the sums are equal by construction).
  bool Feasible(MultisetKey key, int stage) const {
    const auto& bound = bound_[static_cast<std::size_t>(stage)];
    int j = 0;
    int prefix = 0;
    for (int v = kMaxValue; v >= 1; --v) {
      for (int c = Field(key, v); c > 0; --c) {
        ++j;
        prefix += v;
        if (prefix > bound[static_cast<std::size_t>(j)]) return false;
      }
    }
    return true;
  }

  const CountingLimits& limits_;
  std::uint64_t& steps_;
  const SukhatmeRecursion* sibling_ = nullptr;
  std::vector<int> rows_;
  std::size_t next_row_ = 0;
  int stage_ = 0;
  MultisetKey row_total_ = 0;
  std::vector<Entry> states_;                             // sorted by key
  std::array<std::vector<Entry>, kMaxValue + 1> levels_;  // partial choices per value decided
  std::vector<std::uint32_t> merge_index_;
  std::vector<std::size_t> merge_slots_;  // the slots of merge_index_ in use
  StateTable done_;
  std::vector<std::array<int, kMaxValue + 1>> bound_;
};

// A problem as the recursion takes it: the rows, largest first, and the
// multiset of column totals.
struct Orientation {
  std::vector<int> rows;
  MultisetKey columns = 0;
  bool operator==(const Orientation&) const = default;
};

// The two orientations of a problem (rows and columns swapped) have the
// same count, but the work of one can be several times the other's, and it
// follows closely the number of states its first rows leave. Both are
// filled in step for up to kTrialRows rows: one whose states outnumber the
// other's more than twice is dropped at once, and after the trial the one
// with fewer states (`preferred` on a tie) goes on alone. Should the two
// together exceed the memory budget during the trial, `preferred` is
// counted alone from the start.
constexpr std::size_t kTrialRows = 3;

Outcome CountBestOrientation(const Orientation& preferred, const Orientation& other,
                             const CountingLimits& limits, std::uint64_t& steps, double& result) {
  result = 0;
  SukhatmeRecursion first(limits, steps);
  if (preferred == other) return first.Run(preferred.rows, preferred.columns, result);
  SukhatmeRecursion second(limits, steps);
  first.ShareBudgetWith(&second);
  second.ShareBudgetWith(&first);
  SukhatmeRecursion* chosen = nullptr;
  Outcome outcome = first.Start(preferred.rows, preferred.columns);
  if (outcome == Outcome::kDone) outcome = second.Start(other.rows, other.columns);
  for (std::size_t row = 0; outcome == Outcome::kDone && chosen == nullptr; ++row) {
    if (first.Finished()) {
      chosen = &first;
    } else if (second.Finished()) {
      chosen = &second;
    } else if (row == kTrialRows) {
      chosen = second.StateCount() < first.StateCount() ? &second : &first;
    } else {
      outcome = first.Step();
      if (outcome == Outcome::kDone) outcome = second.Step();
      if (outcome != Outcome::kDone) break;
      if (first.StateCount() > 2 * second.StateCount()) chosen = &second;
      if (second.StateCount() > 2 * first.StateCount()) chosen = &first;
    }
  }
  if (outcome == Outcome::kTooMuchWork) return outcome;
  if (outcome == Outcome::kOutOfMemory) {
    first.Release();
    second.Release();
    first.ShareBudgetWith(nullptr);
    return first.Run(preferred.rows, preferred.columns, result);
  }
  (chosen == &first ? second : first).Release();
  while (outcome == Outcome::kDone && !chosen->Finished()) outcome = chosen->Step();
  if (outcome == Outcome::kDone) result = chosen->Result();
  return outcome;
}

bool ValidTotals(const EnumTotals& totals, int k) {
  if (k < 0 || k > kMaxEnumSize) return false;
  for (int t = 1; t <= k; ++t) {
    const int v = totals[static_cast<std::size_t>(t)];
    if (v < 0 || v > kMaxValue) return false;
  }
  return true;
}

// Number of multisets of column totals the recursion could meet: a group of
// q columns of total v can become any multiset of q values 0 to v, of which
// there are C(v + q, q). Taken as the product over the groups.
double StateEstimate(const EnumTotals& columns, int k, bool complement) {
  std::array<int, kMaxValue + 1> group{};
  for (int t = 1; t <= k; ++t) {
    const int v = columns[static_cast<std::size_t>(t)];
    ++group[static_cast<std::size_t>(complement ? k - v : v)];
  }
  double estimate = 1;
  for (int v = 1; v <= kMaxValue; ++v) {
    for (int q = 1; q <= group[static_cast<std::size_t>(v)]; ++q) estimate = estimate * (v + q) / q;
  }
  return estimate;
}

int ErrorOf(Outcome outcome) { return outcome == Outcome::kDone ? kCountOk : kCountOutOfMemory; }

// Rows of a multiset key, largest first.
std::vector<int> RowsOf(MultisetKey key) {
  std::vector<int> rows;
  for (int v = kMaxValue; v >= 1; --v) {
    for (int c = Field(key, v); c > 0; --c) rows.push_back(v);
  }
  return rows;
}

int TotalOf(MultisetKey key) {
  int total = 0;
  for (int v = 1; v <= kMaxValue; ++v) total += v * Field(key, v);
  return total;
}

struct PairHash {
  std::size_t operator()(const std::pair<MultisetKey, MultisetKey>& p) const {
    return static_cast<std::size_t>(p.first * 0x9E3779B97F4A7C15ULL ^
                                    (p.second + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL);
  }
};

// One class of vertices with equal out-degree r and in-degree c: `size`
// vertices, corrections 0 to min(r, c).
struct VertexClass {
  int out_degree;
  int in_degree;
  int size;
};

// The alternating sum with the correction vectors grouped by class: within a
// class only how many vertices get each correction d matters (a multinomial
// number of vectors share it), and sub-counts of equal row and column
// multisets, also transposed, are computed once.
class KatzPowellSum {
 public:
  KatzPowellSum(const std::vector<VertexClass>& classes, const CountingLimits& limits)
      : classes_(classes), limits_(limits), recursion_(limits, steps_) {}

  int Run(double& result) {
    sum_ = 0;
    const Outcome outcome = Visit(0, 0, 0, 1, 0);
    result = outcome == Outcome::kDone ? sum_ : 0;
    return ErrorOf(outcome);
  }

 private:
  static constexpr std::size_t kCacheEntryBytes = 64;

  Outcome Visit(std::size_t index, MultisetKey rows, MultisetKey columns, double weight,
                int parity) {
    if (index == classes_.size()) return Term(rows, columns, weight, parity);
    const VertexClass& vc = classes_[index];
    const int top = vc.out_degree < vc.in_degree ? vc.out_degree : vc.in_degree;
    return Split(index, vc, top, vc.size, rows, columns, weight, parity, vc.size);
  }

  // Hands out the `left` vertices of the class to corrections d, top, top-1, ...
  Outcome Split(std::size_t index, const VertexClass& vc, int d, int left, MultisetKey rows,
                MultisetKey columns, double weight, int parity, int pool) {
    if (d == 0) {
      return Visit(index + 1, AddLines(rows, vc.out_degree, left),
                   AddLines(columns, vc.in_degree, left), weight * Binomial(pool, left), parity);
    }
    for (int k = 0; k <= left; ++k) {
      const Outcome outcome =
          Split(index, vc, d - 1, left - k, AddLines(rows, vc.out_degree - d, k),
                AddLines(columns, vc.in_degree - d, k), weight * Binomial(pool, k),
                parity + (d * k) % 2, pool - k);
      if (outcome != Outcome::kDone) return outcome;
    }
    return Outcome::kDone;
  }

  static MultisetKey AddLines(MultisetKey key, int total, int how_many) {
    return total > 0 ? key + static_cast<MultisetKey>(how_many) * Unit(total) : key;
  }

  Outcome Term(MultisetKey rows, MultisetKey columns, double weight, int parity) {
    if (++terms_ > limits_.max_terms) return Outcome::kTooMuchWork;
    const auto key = rows < columns ? std::make_pair(rows, columns) : std::make_pair(columns, rows);
    double value = 0;
    auto found = cache_.find(key);
    if (found != cache_.end()) {
      value = found->second;
    } else {
      if ((cache_.size() + 1) * kCacheEntryBytes > limits_.state_bytes / 2) {
        return Outcome::kOutOfMemory;
      }
      if (TotalOf(rows) == TotalOf(columns)) {
        const Outcome outcome = recursion_.Run(RowsOf(key.first), key.second, value);
        if (outcome != Outcome::kDone) return outcome;
      }
      cache_.emplace(key, value);
    }
    sum_ += (parity % 2 == 0 ? weight : -weight) * value;
    return Outcome::kDone;
  }

  const std::vector<VertexClass>& classes_;
  const CountingLimits& limits_;
  std::uint64_t steps_ = 0;
  std::uint64_t terms_ = 0;
  SukhatmeRecursion recursion_;
  std::unordered_map<std::pair<MultisetKey, MultisetKey>, double, PairHash> cache_;
  double sum_ = 0;
};

}  // namespace

double SukhatmeCount(const EnumTotals& r, const EnumTotals& c, int k, const CountingLimits& limits,
                     int& error) {
  error = kCountOk;
  if (!ValidTotals(r, k) || !ValidTotals(c, k)) {
    error = kCountFailed;
    return 0;
  }
  try {
    int row_sum = 0;
    int column_sum = 0;
    for (int t = 1; t <= k; ++t) {
      row_sum += r[static_cast<std::size_t>(t)];
      column_sum += c[static_cast<std::size_t>(t)];
    }
    if (row_sum != column_sum) return 0;
    // A line with more ones than the other dimension has lines admits no
    // matrix (and would have no complement).
    for (int t = 1; t <= k; ++t) {
      if (r[static_cast<std::size_t>(t)] > k || c[static_cast<std::size_t>(t)] > k) return 0;
    }
    // The count is the same for the transposed problem and for the
    // complemented one (every cell of the k x k matrix flipped: totals
    // k - r and k - c). The complement with fewer ones is counted, and of
    // its two orientations the one that leaves fewer states; the one whose
    // columns admit fewer multisets is preferred.
    const bool complement = 2 * row_sum > k * k;
    const auto line = [&](const EnumTotals& totals, int t) {
      const int v = totals[static_cast<std::size_t>(t)];
      return complement ? k - v : v;
    };
    const bool transpose = StateEstimate(c, k, complement) > StateEstimate(r, k, complement);
    const auto orient = [&](const EnumTotals& row_source, const EnumTotals& column_source) {
      Orientation o;
      for (int t = 1; t <= k; ++t) {
        const int rt = line(row_source, t);
        const int ct = line(column_source, t);
        if (rt > 0) o.rows.push_back(rt);
        if (ct > 0) o.columns += Unit(ct);
      }
      std::sort(o.rows.begin(), o.rows.end(), std::greater<int>());
      return o;
    };
    const Orientation preferred = transpose ? orient(c, r) : orient(r, c);
    const Orientation other = transpose ? orient(r, c) : orient(c, r);
    std::uint64_t steps = 0;
    CountingLimits unbounded_work = limits;
    unbounded_work.work_steps = ~std::uint64_t{0};
    double result = 0;
    error = ErrorOf(CountBestOrientation(preferred, other, unbounded_work, steps, result));
    return error == kCountOk ? result : 0;
  } catch (const std::exception&) {
    error = kCountFailed;
    return 0;
  }
}

double KatzPowellCount(const EnumTotals& r, const EnumTotals& c, int m,
                       const CountingLimits& limits, int& error) {
  error = kCountOk;
  if (!ValidTotals(r, m) || !ValidTotals(c, m)) {
    error = kCountFailed;
    return 0;
  }
  try {
    std::vector<VertexClass> classes;
    for (int t = 1; t <= m; ++t) {
      const int rt = r[static_cast<std::size_t>(t)];
      const int ct = c[static_cast<std::size_t>(t)];
      bool merged = false;
      for (VertexClass& vc : classes) {
        if (vc.out_degree == rt && vc.in_degree == ct) {
          ++vc.size;
          merged = true;
          break;
        }
      }
      if (!merged) classes.push_back({rt, ct, 1});
    }
    KatzPowellSum sum(classes, limits);
    double result = 0;
    error = sum.Run(result);
    return result;
  } catch (const std::exception&) {
    error = kCountFailed;
    return 0;
  }
}

double LogFactorial(int k) {
  double sum = 0;
  for (int i = 2; i <= k; ++i) sum += std::log(static_cast<double>(i));
  return sum;
}

double BenderLogCount(int n, int m, const EnumTotals& r, const EnumMatrix& zeros,
                      const EnumTotals& c) {
  std::int64_t total = 0;
  for (int i = 1; i <= n; ++i) total += r[static_cast<std::size_t>(i)];
  if (total <= 0) return 0;
  std::int64_t row_squares = 0;
  std::int64_t column_squares = 0;
  std::int64_t zero_weight = 0;
  double log_count = LogFactorial(static_cast<int>(total));
  for (int i = 1; i <= n; ++i) {
    const std::int64_t ri = r[static_cast<std::size_t>(i)];
    row_squares += ri * ri;
    log_count -= LogFactorial(static_cast<int>(ri));
  }
  for (int j = 1; j <= m; ++j) {
    const std::int64_t cj = c[static_cast<std::size_t>(j)];
    column_squares += cj * cj;
    log_count -= LogFactorial(static_cast<int>(cj));
  }
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= m; ++j) {
      if (zeros[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] == 1) {
        zero_weight +=
            std::int64_t{r[static_cast<std::size_t>(i)]} * c[static_cast<std::size_t>(j)];
      }
    }
  }
  const std::int64_t product = (row_squares - total) * (column_squares - total);
  log_count -= static_cast<double>(product) / static_cast<double>(2 * total * total);
  log_count -= static_cast<double>(zero_weight) / static_cast<double>(total);
  return log_count;
}

void PrintCountingFormulas(const EnumerationInput& input, const CountingLimits& limits,
                           TextWriter& log) {
  if (input.kind == MatrixKind::kStructuralPattern) return;
  const int n = input.n;
  const int m = input.m;
  // Totals beyond the numbers of rows and columns are 0.
  const auto make_totals = [](const EnumTotals& source, int count) {
    EnumTotals totals{};
    for (int t = 1; t <= count && t <= kMaxEnumSize; ++t) {
      totals[static_cast<std::size_t>(t)] = source[static_cast<std::size_t>(t)];
    }
    return totals;
  };
  const EnumTotals r = make_totals(input.row_totals, n);
  const EnumTotals c = make_totals(input.column_totals, m);
  const int k = n > m ? n : m;

  if (input.kind == MatrixKind::kNoStructuralZeros) {
    int error = kCountOk;
    const double v = SukhatmeCount(r, c, k, limits, error);
    if (error == kCountOk) {
      log.WriteLine();
      log.WriteLine("The number of 0-1 matrices satisfying these constraints,");
      log.WriteLine("calculated by Sukhatme`s formula, is " + FormatCount(v, kMaxCountLength) +
                    ".");
    }
  }
  if (input.kind != MatrixKind::kUndirected) {
    const double bender = std::exp(BenderLogCount(n, m, r, input.structural_zeros, c));
    log.WriteLine();
    log.WriteLine("Bender`s approximation for the total number of 0-1 matrices");
    log.WriteLine("with these marginal sums is " + Real(bender, 20, 0) +
                  "  (valid for large and sparse matrices...).");
  }
  if (input.kind == MatrixKind::kDirected && !input.fix_mutuals && input.katz_powell) {
    int error = kCountOk;
    const double v = KatzPowellCount(r, c, m, limits, error);
    if (error != kCountOk) {
      log.WriteLine();
      log.WriteLine("Request to calculate the total number of digraphs by Katz & Powell formula:");
      log.WriteLine("sorry - not possible because of insufficient memory (code " +
                    std::to_string(error) + ").");
    } else {
      log.WriteLine("The total number of digraphs for these degrees,");
      log.WriteLine("calculated by the Katz & Powell formula, is " +
                    FormatCount(v, kMaxCountLength) + ".");
    }
  }
}

}  // namespace kivo::enumeration
