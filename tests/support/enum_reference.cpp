#include "tests/support/enum_reference.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kivo::enumeration {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

// Weak connectivity of the first n vertices by repeated relabelling.
bool ReferenceConnected(const EnumMatrix& cells, int n) {
  std::vector<int> component(At(n) + 1);
  for (int v = 1; v <= n; ++v) component[At(v)] = v;
  bool changed = true;
  while (changed) {
    changed = false;
    for (int a = 1; a <= n; ++a) {
      for (int b = 1; b <= n; ++b) {
        if (cells[At(a)][At(b)] == 0 && cells[At(b)][At(a)] == 0) continue;
        const int low = std::min(component[At(a)], component[At(b)]);
        if (component[At(a)] != low || component[At(b)] != low) {
          component[At(a)] = component[At(b)] = low;
          changed = true;
        }
      }
    }
  }
  for (int v = 1; v <= n; ++v) {
    if (component[At(v)] != 1) return false;
  }
  return true;
}

struct State {
  int length = 0;
  std::array<int, 15> values{};
  double count = 0;
};

void Canonical(State& s) {
  std::sort(s.values.begin(), s.values.begin() + s.length, std::greater<int>());
  while (s.length > 0 && s.values[At(s.length - 1)] == 0) --s.length;
  for (int i = s.length; i < 15; ++i) s.values[At(i)] = 0;
}

bool SameState(const State& a, const State& b) {
  return a.length == b.length && a.values == b.values;
}

}  // namespace

EnumMatrix StructuralZerosOf(const EnumProblem& problem) {
  EnumMatrix zeros{};
  if (problem.kind == MatrixKind::kStructuralPattern) zeros = problem.structural_zeros;
  if (problem.kind == MatrixKind::kDirected || problem.kind == MatrixKind::kUndirected) {
    for (int v = 1; v <= problem.n && v <= kMaxEnumSize; ++v) zeros[At(v)][At(v)] = 1;
  }
  return zeros;
}

ReferenceResult BruteForceEnumerate(const EnumProblem& p) {
  const EnumMatrix zeros = StructuralZerosOf(p);
  const bool undirected = p.kind == MatrixKind::kUndirected;
  std::vector<std::pair<int, int>> free_cells;
  for (int r = 1; r <= p.n; ++r) {
    for (int c = p.m; c >= 1; --c) {
      if (zeros[At(r)][At(c)] == 1) continue;
      if (undirected && c < r) continue;
      free_cells.emplace_back(r, c);
    }
  }
  ReferenceResult result;
  const int k = static_cast<int>(free_cells.size());
  if (k > 24) return result;
  for (std::uint32_t bits = 0; bits < (std::uint32_t{1} << k); ++bits) {
    ReferenceMatrix rm;
    for (int idx = 0; idx < k; ++idx) {
      const std::uint8_t value = static_cast<std::uint8_t>((bits >> (k - 1 - idx)) & 1U);
      const auto [r, c] = free_cells[At(idx)];
      rm.cells[At(r)][At(c)] = value;
      if (undirected) rm.cells[At(c)][At(r)] = value;
    }
    bool ok = true;
    for (int r = 1; r <= p.n && ok; ++r) {
      int sum = 0;
      for (int c = 1; c <= p.m; ++c) sum += rm.cells[At(r)][At(c)];
      ok = sum == p.row_totals[At(r)];
    }
    for (int c = 1; c <= p.m && ok; ++c) {
      int sum = 0;
      for (int r = 1; r <= p.n; ++r) sum += rm.cells[At(r)][At(c)];
      ok = sum == p.column_totals[At(c)];
    }
    if (!ok) continue;
    const int square = std::min(p.n, p.m);
    for (int a = 1; a <= square; ++a) {
      for (int b = a + 1; b <= square; ++b) {
        if (rm.cells[At(a)][At(b)] == 1 && rm.cells[At(b)][At(a)] == 1) ++rm.mutual;
      }
    }
    if (p.n == p.m) {
      for (int x = 1; x <= p.n; ++x) {
        for (int y = 1; y <= p.n; ++y) {
          for (int z = 1; z <= p.n; ++z) {
            if (x == y || y == z || x == z) continue;
            if (rm.cells[At(x)][At(y)] == 0 || rm.cells[At(y)][At(z)] == 0) continue;
            if (rm.cells[At(x)][At(z)] == 1) {
              ++rm.transitive;
            } else {
              ++rm.intransitive;
            }
          }
        }
      }
    }
    if (p.fix_mutuals && rm.mutual != p.mutuals) continue;
    if (p.connected_only && !ReferenceConnected(rm.cells, p.n)) {
      ++result.disconnected;
      continue;
    }
    result.matrices.push_back(rm);
  }
  return result;
}

double LiteralSukhatmeCount(const EnumTotals& r, const EnumTotals& c, int k) {
  State start;
  for (int t = 1; t <= k; ++t) start.values[At(start.length++)] = c[At(t)];
  Canonical(start);
  start.count = 1;
  std::vector<State> current{start};
  for (int t = 1; t <= k; ++t) {
    const int take = r[At(t)];
    if (take <= 0) continue;
    std::vector<State> next;
    for (const State& s : current) {
      if (take > s.length) continue;
      // Every set of `take` positions, as an increasing index vector.
      std::vector<int> pick(At(take));
      for (int i = 0; i < take; ++i) pick[At(i)] = i;
      for (;;) {
        State successor = s;
        for (int i : pick) --successor.values[At(i)];
        Canonical(successor);
        auto same = std::find_if(next.begin(), next.end(),
                                 [&](const State& o) { return SameState(o, successor); });
        if (same != next.end()) {
          same->count += s.count;
        } else {
          successor.count = s.count;
          next.push_back(successor);
        }
        int i = take - 1;
        while (i >= 0 && pick[At(i)] == s.length - take + i) --i;
        if (i < 0) break;
        ++pick[At(i)];
        for (int j = i + 1; j < take; ++j) pick[At(j)] = pick[At(j - 1)] + 1;
      }
    }
    current.swap(next);
    if (current.empty()) return 0;
  }
  return current.front().count;
}

double LiteralKatzPowellCount(const EnumTotals& r, const EnumTotals& c, int m) {
  EnumTotals upper{};
  for (int t = 1; t <= m; ++t) upper[At(t)] = std::min(r[At(t)], c[At(t)]);
  EnumTotals d{};
  double sum = 0;
  for (;;) {
    EnumTotals rr{};
    EnumTotals cc{};
    int s = 0;
    for (int t = 1; t <= m; ++t) {
      rr[At(t)] = r[At(t)] - d[At(t)];
      cc[At(t)] = c[At(t)] - d[At(t)];
      s += d[At(t)];
    }
    const double v = LiteralSukhatmeCount(rr, cc, m);
    sum += s % 2 == 0 ? v : -v;
    int t = 1;
    while (t <= m && d[At(t)] >= upper[At(t)]) ++t;
    if (t > m) break;
    ++d[At(t)];
    for (int u = 1; u < t; ++u) d[At(u)] = 0;
  }
  return sum;
}

std::string MatrixText(const EnumMatrix& cells, int n, int m) {
  std::string text;
  for (int r = 1; r <= n; ++r) {
    if (r > 1) text += '/';
    for (int c = 1; c <= m; ++c) text += static_cast<char>('0' + cells[At(r)][At(c)]);
  }
  return text;
}

}  // namespace kivo::enumeration
