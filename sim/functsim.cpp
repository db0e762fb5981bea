#include "sim/functsim.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <string>

#include "runfiles/format.h"

namespace kivo::sim {
namespace {

constexpr std::size_t kLabelLimit = 255;
constexpr double kIntegerLimit = 2.147e9;
constexpr double kStartScale = 1e6;
constexpr double kTolerance = 1e-6;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

bool Tie(const BinaryMatrix& m, int a, int b) { return GetCell(m, a, b) != 0; }

std::int32_t RoundToInt(double x) { return static_cast<std::int32_t>(RoundHalfEven(x)); }

// Two-paths x to y to z with x != z are counted per middle vertex y as
// in(y) * out(y) minus the returns x to y to x; the transitive ones are, for
// every arc x to z, the vertices y in out(x) and in(z). The diagonal is empty
// in the packed graph, so y is never x or z.
inline __attribute__((always_inline)) DyadTriadCounts CountKernel(const PackedDigraph& g) {
  DyadTriadCounts counts;
  const int n = g.n;
  const int words = (n + 63) / 64;
  std::int64_t two_paths = 0;
  std::int32_t mutual_ends = 0;
  for (int y = 1; y <= n; ++y) {
    const VertexSet& out = g.out[At(y)];
    const VertexSet& in = g.in[At(y)];
    std::int32_t out_degree = 0, in_degree = 0, mutual_degree = 0;
    for (int w = 0; w < words; ++w) {
      out_degree += std::popcount(out[At(w)]);
      in_degree += std::popcount(in[At(w)]);
      mutual_degree += std::popcount(out[At(w)] & in[At(w)]);
    }
    two_paths += static_cast<std::int64_t>(out_degree) * in_degree - mutual_degree;
    mutual_ends += mutual_degree;
  }
  std::int64_t transitive = 0;
  for (int x = 1; x <= n; ++x) {
    const VertexSet& out_x = g.out[At(x)];
    for (int w = 0; w < words; ++w) {
      std::uint64_t targets = out_x[At(w)];
      while (targets != 0) {
        const int z = w * 64 + std::countr_zero(targets) + 1;
        targets &= targets - 1;
        const VertexSet& in_z = g.in[At(z)];
        for (int v = 0; v < words; ++v) transitive += std::popcount(out_x[At(v)] & in_z[At(v)]);
      }
    }
  }
  counts.mutual = mutual_ends / 2;
  counts.transitive = transitive;
  counts.intransitive = two_paths - transitive;
  return counts;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(__POPCNT__)
// The counts are dominated by population counts, which the baseline
// instruction set does in software; use the popcnt instruction where the
// processor has it.
__attribute__((target("popcnt"))) DyadTriadCounts CountWithPopcnt(const PackedDigraph& g) {
  return CountKernel(g);
}
DyadTriadCounts CountPortable(const PackedDigraph& g) { return CountKernel(g); }
DyadTriadCounts RunCount(const PackedDigraph& g) {
  static const bool has_popcnt = __builtin_cpu_supports("popcnt");
  return has_popcnt ? CountWithPopcnt(g) : CountPortable(g);
}
#else
DyadTriadCounts RunCount(const PackedDigraph& g) { return CountKernel(g); }
#endif

// Grows the set of vertices reached from vertex 1 along `step` (and `back`,
// when given) until nothing is added; true when it holds all n vertices.
bool ReachesAll(const PackedDigraph& g, const std::array<VertexSet, kMaxRows + 1>& step,
                const std::array<VertexSet, kMaxRows + 1>* back) {
  const int n = g.n;
  const int words = (n + 63) / 64;
  VertexSet reached{};
  VertexSet frontier{};
  reached[0] = frontier[0] = 1;
  bool any = true;
  while (any) {
    VertexSet next{};
    for (int w = 0; w < words; ++w) {
      std::uint64_t bits = frontier[At(w)];
      while (bits != 0) {
        const int v = w * 64 + std::countr_zero(bits) + 1;
        bits &= bits - 1;
        for (int u = 0; u < words; ++u) {
          next[At(u)] |= step[At(v)][At(u)];
          if (back != nullptr) next[At(u)] |= (*back)[At(v)][At(u)];
        }
      }
    }
    any = false;
    for (int w = 0; w < words; ++w) {
      frontier[At(w)] = next[At(w)] & ~reached[At(w)];
      reached[At(w)] |= frontier[At(w)];
      any = any || frontier[At(w)] != 0;
    }
  }
  int count = 0;
  for (int w = 0; w < words; ++w) count += std::popcount(reached[At(w)]);
  return count == n;
}

// Power iteration shared by the actor and column indices. `weight(a, b)`
// gives the integer weight of b in the new entry a; the sums run over b from
// n down to 1 as the iteration is defined, so the result does not depend on
// how the weights are stored. x[1..n] receives the vector of length 1.
template <class Weight>
void PowerIteration(int n, int repetitions, Weight weight, std::span<double> x) {
  std::array<std::int32_t, kMaxRows + 1> u;
  std::array<std::int32_t, kMaxRows + 1> u_new;
  for (int a = 1; a <= n; ++a) u[At(a)] = 1;
  for (int r = 0; r < repetitions; ++r) {
    for (int a = 1; a <= n; ++a) {
      std::int32_t sum = 0;
      for (int b = n; b >= 1; --b) sum += weight(a, b) * u[At(b)];
      u_new[At(a)] = sum;
    }
    for (int a = 1; a <= n; ++a) u[At(a)] = u_new[At(a)];
  }
  for (int a = 1; a <= n; ++a) x[At(a)] = u[At(a)] / kStartScale;

  std::array<double, kMaxRows + 1> p;
  const double limit = (n - 1) * kTolerance;
  for (;;) {
    for (int a = 1; a <= n; ++a) p[At(a)] = x[At(a)];
    double s = 0;
    for (int a = 1; a <= n; ++a) {
      double sum = 0;
      for (int b = n; b >= 1; --b) {
        const std::int32_t w = weight(a, b);
        if (w != 0) sum += w * p[At(b)];
      }
      x[At(a)] = sum;
      s += sum;
    }
    double d = 0;
    for (int a = 1; a <= n; ++a) {
      x[At(a)] = x[At(a)] / s;
      d += std::fabs(p[At(a)] - x[At(a)]);
    }
    if (d < limit) break;
  }
  double squares = 0;
  for (int a = 1; a <= n; ++a) squares += x[At(a)] * x[At(a)];
  const double length = std::sqrt(squares);
  for (int a = 1; a <= n; ++a) x[At(a)] = x[At(a)] / length;
}

int Repetitions(double size) {
  return static_cast<int>(std::trunc(std::log(kIntegerLimit) / std::log(size)));
}

std::string ElementLabel(int i) {
  if (i == 3) return "Matches of rows 1 and 2 ( = Sum_(j) Y_{1j} Y_{2j} )";
  return "Element (1," + std::to_string(i) + ")";
}

}  // namespace

StatisticsSetup MakeStatisticsSetup(const ProjectInput& input) {
  StatisticsSetup setup;
  setup.f = input.f;
  setup.g = input.g;
  setup.version = input.version;
  setup.undirected = input.matrix_mode % kModeMolloyReed == kModeGraph;
  setup.connected_only = input.connectivity;
  setup.numl = input.numl;
  setup.weights = input.weight_table;
  return setup;
}

int VersionCount(int f, int g) { return f == g ? 4 : 3; }

int StatisticCount(int version, int g) {
  switch (version) {
    case 1:
    case 4:
      return 3;
    case 2:
    case 3:
      return g;
    default:
      return 0;
  }
}

DyadTriadCounts CountMutualsAndTwoPaths(const PackedDigraph& g) { return RunCount(g); }

bool IsConnected(const PackedDigraph& g, bool undirected) {
  if (g.n <= 1) return true;
  // With the undirected flag the closure of the arcs as they stand must link
  // every ordered pair: every vertex is reached from vertex 1 and reaches it.
  if (undirected) return ReachesAll(g, g.out, nullptr) && ReachesAll(g, g.in, nullptr);
  return ReachesAll(g, g.out, &g.in);
}

bool IsConnected(const BinaryMatrix& m, int n, bool undirected) {
  PackedDigraph g;
  PackDigraph(m, n, g);
  return IsConnected(g, undirected);
}

void ActorEigenvectorIndex(std::span<const std::uint8_t> cells, int stride, int n,
                           std::span<double> e) {
  if (n == 1) {
    e[1] = 1;
    return;
  }
  // W made symmetric, plus the diagonal term, as 0-1 weights.
  std::array<std::array<std::uint8_t, kMaxRows + 1>, kMaxRows + 1> w;
  auto cell = [&](int a, int b) {
    return cells[static_cast<std::size_t>((a - 1) * stride + (b - 1))] != 0;
  };
  for (int a = 1; a <= n; ++a) {
    w[At(a)][At(a)] = 1;
    for (int b = 1; b < a; ++b) {
      const std::uint8_t tie = (cell(a, b) || cell(b, a)) ? 1 : 0;
      w[At(a)][At(b)] = tie;
      w[At(b)][At(a)] = tie;
    }
  }
  PowerIteration(
      n, Repetitions(n), [&w](int a, int b) -> std::int32_t { return w[At(a)][At(b)]; }, e);
}

void ActorEigenvectorIndex(const BinaryMatrix& m, int n, std::span<double> e) {
  ActorEigenvectorIndex(m.cells, kMaxColumns, n, e);
}

void ColumnEigenvectorIndex(std::span<const std::uint8_t> cells, int stride, int f, int g,
                            std::span<double> h) {
  // Columns packed over the rows, so that a co-occurrence count is a
  // population count of two columns.
  std::array<VertexSet, kMaxColumns + 1> column{};
  for (int i = 1; i <= f; ++i) {
    for (int k = 1; k <= g; ++k) {
      if (cells[static_cast<std::size_t>((i - 1) * stride + (k - 1))] != 0) {
        column[At(k)][At((i - 1) / 64)] |= std::uint64_t{1} << ((i - 1) % 64);
      }
    }
  }
  std::array<std::array<std::uint8_t, kMaxColumns + 1>, kMaxColumns + 1> c;
  bool any = false;
  for (int k = 1; k <= g; ++k) {
    for (int l = 1; l <= k; ++l) {
      int count = 0;
      for (std::size_t w = 0; w < column[0].size(); ++w) {
        count += std::popcount(column[At(k)][w] & column[At(l)][w]);
      }
      c[At(k)][At(l)] = c[At(l)][At(k)] = static_cast<std::uint8_t>(count);
      any = any || count != 0;
    }
  }
  if (!any) {
    // Without a single 1 the iteration has no vector to converge to.
    for (int k = 1; k <= g; ++k) h[At(k)] = 0;
    return;
  }
  if (g == 1) {
    h[1] = 1;
    return;
  }
  PowerIteration(
      g, Repetitions(static_cast<double>(f) * g),
      [&c](int k, int l) -> std::int32_t { return c[At(k)][At(l)]; }, h);
}

void ColumnEigenvectorIndex(const BinaryMatrix& m, int f, int g, std::span<double> h) {
  ColumnEigenvectorIndex(m.cells, kMaxColumns, f, g, h);
}

void EvaluateStatistics(const BinaryMatrix& m, const StatisticsSetup& setup,
                        StatisticValues& values) {
  const int f = setup.f;
  const int g = setup.g;
  auto set = [&values](int i, double real, std::int32_t integer) {
    values.real_values[At(i)] = real;
    values.int_values[At(i)] = integer;
  };
  const bool square = setup.square();
  const bool combinations = square && setup.numl >= 1;
  const bool vertex_counts = square && setup.version == 1;

  PackedDigraph packed;
  if (combinations || vertex_counts) PackDigraph(m, f, packed);

  if (vertex_counts) {
    const DyadTriadCounts counts = CountMutualsAndTwoPaths(packed);
    std::int32_t first = 0;
    if (setup.undirected && !setup.connected_only) {
      first = IsConnected(packed, true) ? 1 : 0;
    } else {
      first = counts.mutual - setup.mutual_offset;
    }
    set(1, first, first);
    const std::int64_t paths = counts.transitive + counts.intransitive;
    const double share =
        paths == 0 ? 0.0
                   : 100.0 * static_cast<double>(counts.transitive) / static_cast<double>(paths);
    set(2, share, RoundToInt(share));
    const std::int32_t arc = Tie(m, setup.r1, setup.r2) ? 1 : 0;
    set(3, arc, arc);
  } else if ((square && setup.version == 4) || (!square && setup.version == 1)) {
    const std::int32_t diagonal = Tie(m, setup.r1, setup.r1) ? 1 : 0;
    const std::int32_t arc = Tie(m, setup.r1, setup.r2) ? 1 : 0;
    std::int32_t matches = 0;
    for (int j = 1; j <= g; ++j) {
      if (Tie(m, setup.r1, j) && Tie(m, setup.r2, j)) ++matches;
    }
    set(1, diagonal, diagonal);
    set(2, arc, arc);
    set(3, matches, matches);
  } else if (setup.version == 2 || setup.version == 3) {
    const double scale = setup.version == 2 ? 100.0 : 1000.0;
    std::array<double, kMaxStatistics + 1> index;
    if (square) {
      ActorEigenvectorIndex(m, f, index);
    } else {
      ColumnEigenvectorIndex(m, f, g, index);
    }
    for (int i = 1; i <= g; ++i) {
      const double real = scale * index[At(i)];
      set(i, real, RoundToInt(real));
    }
  }

  if (combinations) {
    const TriadCounts census = TriadCensus(packed);
    for (int k = 1; k <= setup.numl; ++k) {
      const WeightRow& row = setup.weights[At(k)];
      double sum = 0;
      for (int t = 1; t <= kTriadTypeCount; ++t) sum += census[At(t)] * row[At(t)];
      values.combination_values[At(k)] = sum;
      values.combination_values[At(setup.numl + k)] = sum >= row[0] ? 1.0 : 0.0;
    }
  }
}

std::string StatisticLabel(const StatisticsSetup& setup, int i, std::int32_t mutual_offset,
                           bool note_rounding) {
  const int v = setup.version;
  if (i < 1 || i > StatisticCount(v, setup.g)) return std::string();
  std::string label;
  bool rounded = false;
  bool names_vertices = false;
  if (setup.square() && v == 1) {
    if (i == 1) {
      if (setup.undirected && !setup.connected_only) {
        label = "Connectivity (yes = 1, no = 0)";
      } else if (mutual_offset == 0) {
        label = "Number of mutual dyads";
      } else {
        label = "Number of mutual dyads minus " + std::to_string(mutual_offset);
      }
    } else if (i == 2) {
      label = "100 * #trans / (#trans + #intrans)";
      rounded = true;
    } else {
      label = "Arc indicator from 1 to 2";
      names_vertices = true;
    }
  } else if (v == 2 || v == 3) {
    label = std::string(v == 2 ? "100" : "1000") + " * Eigenvector power index of " +
            (setup.square() ? "actor " : "column ") + Int(i, 3);
    rounded = true;
  } else {
    label = ElementLabel(i);
    names_vertices = true;
  }
  if (note_rounding && rounded) label += " (rounded to integer)";
  if (names_vertices && setup.reordered) label += " (for original vertex order)";
  if (label.size() > kLabelLimit) label.resize(kLabelLimit);
  return label;
}

}  // namespace kivo::sim
