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

// Table from multiset keys to counts: the entries lie densely in insertion
// order, found through an open-addressing index whose slots carry the stamp
// of the filling they belong to, so clearing costs nothing and walking the
// entries costs only their number. The bytes it holds are its two arrays.
class StateTable {
 public:
  struct Slot {
    MultisetKey key;
    double count;
    double pending;  // added while the entries are being walked; see FoldPending
  };

  std::size_t bytes() const {
    return entries_.capacity() * sizeof(Slot) + index_.capacity() * sizeof(std::uint64_t);
  }
  std::size_t size() const { return entries_.size(); }
  const std::vector<Slot>& slots() const { return entries_; }
  double& CountAt(std::size_t position) { return entries_[position].count; }

  void Clear() {
    entries_.clear();
    if (++stamp_ == 0) {
      std::fill(index_.begin(), index_.end(), 0);
      stamp_ = 1;
    }
  }

  // Adds `count` to the entry of `key` (to its pending count when
  // `pending`), creating it. False when the table would have to grow beyond
  // `budget` bytes (counting `other_bytes` held elsewhere).
  bool Add(MultisetKey key, double count, std::size_t other_bytes, std::size_t budget,
           bool pending = false) {
    if (!index_.empty()) {
      std::size_t i = Hash(key);
      for (;;) {
        const std::uint64_t slot = index_[i];
        if (static_cast<std::uint32_t>(slot >> 32) != stamp_) break;
        Slot& entry = entries_[static_cast<std::size_t>(slot & 0xFFFFFFFFULL)];
        if (entry.key == key) {
          (pending ? entry.pending : entry.count) += count;
          return true;
        }
        i = (i + 1) & (index_.size() - 1);
      }
    }
    const std::size_t size = entries_.size();
    std::size_t entry_capacity = entries_.capacity();
    std::size_t index_capacity = index_.size();
    if (size == entry_capacity) entry_capacity = entry_capacity == 0 ? 64 : 2 * entry_capacity;
    if (2 * (size + 1) > index_capacity)
      index_capacity = index_capacity == 0 ? 128 : 2 * index_capacity;
    if (entry_capacity != entries_.capacity() || index_capacity != index_.size()) {
      const std::size_t needed =
          entry_capacity * sizeof(Slot) + index_capacity * sizeof(std::uint64_t);
      if (other_bytes + needed > budget) return false;
      entries_.reserve(entry_capacity);
      if (index_capacity != index_.size()) Reindex(index_capacity);
    }
    entries_.push_back(pending ? Slot{key, 0, count} : Slot{key, count, 0});
    Place(key, size);
    return true;
  }

  // Makes the pending counts part of the counts.
  void FoldPending() {
    for (Slot& entry : entries_) {
      entry.count += entry.pending;
      entry.pending = 0;
    }
  }

  double Get(MultisetKey key) const {
    for (const Slot& entry : entries_) {
      if (entry.key == key) return entry.count;
    }
    return 0;
  }

  void Swap(StateTable& other) {
    entries_.swap(other.entries_);
    index_.swap(other.index_);
    std::swap(stamp_, other.stamp_);
  }

 private:
  std::size_t Hash(MultisetKey key) const {
    // The finaliser of splitmix64: every key bit reaches every index bit.
    MultisetKey z = key;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<std::size_t>(z) & (index_.size() - 1);
  }

  void Place(MultisetKey key, std::size_t position) {
    std::size_t i = Hash(key);
    while (static_cast<std::uint32_t>(index_[i] >> 32) == stamp_) i = (i + 1) & (index_.size() - 1);
    index_[i] = (std::uint64_t{stamp_} << 32) | position;
  }

  void Reindex(std::size_t capacity) {
    index_.assign(capacity, 0);
    stamp_ = 1;
    for (std::size_t p = 0; p < entries_.size(); ++p) Place(entries_[p].key, p);
  }

  std::vector<Slot> entries_;
  std::vector<std::uint64_t> index_;
  std::uint32_t stamp_ = 1;
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
// (v = 1, 2, ..., 15), and partial choices from different states that agree
// so far are merged, so the work per row grows with the number of distinct
// partial states rather than with the product of the choices. States from
// which the remaining rows cannot be completed (the Gale-Ryser condition
// fails) are passed over: they never reach the empty multiset.
class SukhatmeRecursion {
 public:
  SukhatmeRecursion(const CountingLimits& limits, std::uint64_t& steps)
      : limits_(limits), steps_(steps) {}

  // rows: the positive row totals in the order they are filled.
  Outcome Run(const std::vector<int>& rows, MultisetKey columns, double& result) {
    result = 0;
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
    states_.Clear();
    if (!Add(states_, columns, 1)) return Outcome::kOutOfMemory;
    for (int s = 0; s < row_count; ++s) {
      const MultisetKey left = static_cast<MultisetKey>(rows[static_cast<std::size_t>(s)]);
      partial_.Clear();
      for (const StateTable::Slot& slot : states_.slots()) {
        if (!Feasible(slot.key, s)) continue;
        if (!Add(partial_, slot.key | (left << kLeftShift), slot.count)) {
          return Outcome::kOutOfMemory;
        }
      }
      done_.Clear();
      for (int v = 1; v <= kMaxValue && partial_.size() > 0; ++v) {
        const Outcome outcome = TakeValue(v);
        if (outcome != Outcome::kDone) return outcome;
      }
      states_.Swap(done_);
      if (states_.size() == 0) return Outcome::kDone;
    }
    result = states_.Get(0);
    return Outcome::kDone;
  }

 private:
  // Every partial state chooses how many of its columns of total v take a
  // one; those move to total v - 1 (the field of v - 1 is already decided,
  // so it is not looked at again). Taking none leaves a state as it is, so
  // it stays in place; the states that take some are added as pending
  // counts, which this walk over the entries does not see.
  Outcome TakeValue(int v) {
    const MultisetKey shift = v >= 2 ? Unit(v) - Unit(v - 1) : Unit(v);
    const std::size_t count = partial_.size();
    for (std::size_t p = 0; p < count; ++p) {
      const StateTable::Slot slot = partial_.slots()[p];
      if (slot.count == 0) continue;
      const MultisetKey key = slot.key & kMultisetMask;
      const int left = static_cast<int>(slot.key >> kLeftShift);
      const int here = Field(key, v);
      const int above = FieldSum(key >> (4 * v));
      const int from = left > above ? left - above : 0;
      const int to = here < left ? here : left;
      for (int x = from > 1 ? from : 1; x <= to; ++x) {
        if (++steps_ > limits_.work_steps) return Outcome::kTooMuchWork;
        const MultisetKey moved = key - static_cast<MultisetKey>(x) * shift;
        const double weight = slot.count * Binomial(here, x);
        // A row with all its ones placed is done: its state leaves the
        // partial states and no longer passes through the higher values.
        const bool added =
            x == left ? Add(done_, moved, weight)
                      : Add(partial_, moved | (static_cast<MultisetKey>(left - x) << kLeftShift),
                            weight, true);
        if (!added) return Outcome::kOutOfMemory;
      }
      // A state that must take some columns of total v cannot stay.
      if (from > 0) partial_.CountAt(p) = 0;
    }
    partial_.FoldPending();
    return Outcome::kDone;
  }

  bool Add(StateTable& table, MultisetKey key, double count, bool pending = false) {
    const std::size_t held = states_.bytes() + partial_.bytes() + done_.bytes() - table.bytes();
    return table.Add(key, count, held, limits_.state_bytes, pending);
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
  StateTable states_;
  StateTable partial_;
  StateTable done_;
  std::vector<std::array<int, kMaxValue + 1>> bound_;
};

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
    // k - r and k - c). The recursion's states are multisets of column
    // totals, so the orientation whose columns admit the fewest such
    // multisets is counted, its rows largest first.
    const bool complement = 2 * row_sum > k * k;
    const auto line = [&](const EnumTotals& totals, int t) {
      const int v = totals[static_cast<std::size_t>(t)];
      return complement ? k - v : v;
    };
    const bool transpose = StateEstimate(c, k, complement) > StateEstimate(r, k, complement);
    const EnumTotals& row_source = transpose ? c : r;
    const EnumTotals& column_source = transpose ? r : c;
    std::vector<int> rows;
    MultisetKey columns = 0;
    for (int t = 1; t <= k; ++t) {
      const int rt = line(row_source, t);
      const int ct = line(column_source, t);
      if (rt > 0) rows.push_back(rt);
      if (ct > 0) columns += Unit(ct);
    }
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    std::uint64_t steps = 0;
    CountingLimits unbounded_work = limits;
    unbounded_work.work_steps = ~std::uint64_t{0};
    SukhatmeRecursion recursion(unbounded_work, steps);
    double result = 0;
    error = ErrorOf(recursion.Run(rows, columns, result));
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
