#include "sim/functsim.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/triads.h"
#include "tests/support/functsim_reference.h"

// Every allocation of this test program is counted, so that a test can show
// that an evaluation allocates nothing.
namespace {
std::atomic<long> allocations{0};
}  // namespace

// The replacements pair malloc with free; the compiler cannot see that they
// replace the global pair and warns about a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace kivo::sim {
namespace {

using Arcs = std::vector<std::pair<int, int>>;

BinaryMatrix FromArcs(const Arcs& arcs) {
  BinaryMatrix m;
  for (const auto& [a, b] : arcs) SetCell(m, a, b, 1);
  return m;
}

BinaryMatrix RandomMatrix(std::mt19937& rng, int f, int g, double density) {
  BinaryMatrix m;
  std::bernoulli_distribution tie(density);
  for (int a = 1; a <= f; ++a) {
    for (int b = 1; b <= g; ++b) SetCell(m, a, b, tie(rng) ? 1 : 0);
  }
  return m;
}

StatisticsSetup ShapeSetup(int f, int g, int version) {
  StatisticsSetup setup;
  setup.f = f;
  setup.g = g;
  setup.version = version;
  return setup;
}

TEST(FunctSimTest, TransitivityOfSmallDigraphs) {
  struct Case {
    const char* name;
    Arcs arcs;
    int n;
    std::int32_t mutual;
    std::int64_t transitive;
    std::int64_t intransitive;
    std::int32_t statistic2;
  };
  const Case cases[] = {
      {"path back to its start is no two-path", {{1, 2}, {2, 1}, {2, 3}}, 3, 1, 0, 1, 0},
      {"transitive triple", {{1, 2}, {2, 3}, {1, 3}}, 3, 0, 1, 0, 100},
      {"no two-path", {{1, 2}, {3, 2}}, 3, 0, 0, 0, 0},
      {"cycle", {{1, 2}, {2, 3}, {3, 1}}, 3, 0, 0, 3, 0},
      {"complete", {{1, 2}, {2, 1}, {1, 3}, {3, 1}, {2, 3}, {3, 2}}, 3, 3, 6, 0, 100},
      {"two of three closed", {{1, 2}, {2, 3}, {1, 3}, {3, 4}}, 4, 0, 1, 2, 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BinaryMatrix m = FromArcs(c.arcs);
    const int n = c.n;
    PackedDigraph g;
    PackDigraph(m, n, g);
    const DyadTriadCounts counts = CountMutualsAndTwoPaths(g);
    EXPECT_EQ(counts.mutual, c.mutual);
    EXPECT_EQ(counts.transitive, c.transitive);
    EXPECT_EQ(counts.intransitive, c.intransitive);
    StatisticValues values;
    EvaluateStatistics(m, ShapeSetup(n, n, 1), values);
    EXPECT_EQ(values.int_values[1], c.mutual);
    EXPECT_EQ(values.int_values[2], c.statistic2);
    const std::int64_t paths = c.transitive + c.intransitive;
    EXPECT_DOUBLE_EQ(
        values.real_values[2],
        paths == 0 ? 0.0 : 100.0 * static_cast<double>(c.transitive) / static_cast<double>(paths));
  }
}

// Statistic 2 is rounded with halves going to the even neighbour: 12.5 gives
// 12 and 37.5 gives 38. Small random digraphs with those shares are searched.
TEST(FunctSimTest, TransitivityShareRoundsHalvesToEven) {
  struct Case {
    std::int64_t transitive_eighths;
    std::int32_t rounded;
  };
  const Case cases[] = {{1, 12}, {3, 38}, {5, 62}, {7, 88}};
  std::mt19937 rng(5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rounded);
    bool found = false;
    for (int attempt = 0; attempt < 200000 && !found; ++attempt) {
      const BinaryMatrix m = RandomMatrix(rng, 6, 6, 0.25);
      const DyadTriadCounts counts = CountMutualsAndTwoPathsReference(m, 6);
      const std::int64_t paths = counts.transitive + counts.intransitive;
      if (paths == 0 || counts.transitive * 8 != c.transitive_eighths * paths) continue;
      found = true;
      StatisticValues values;
      EvaluateStatistics(m, ShapeSetup(6, 6, 1), values);
      EXPECT_EQ(values.real_values[2], 12.5 * static_cast<double>(c.transitive_eighths));
      EXPECT_EQ(values.int_values[2], c.rounded);
    }
    EXPECT_TRUE(found);
  }
}

TEST(FunctSimTest, PackedCountsAndConnectivityAgreeWithPlainOnes) {
  std::mt19937 rng(77);
  const int sizes[] = {1, 2, 3, 5, 17, 64, 65, 130, 200};
  const double densities[] = {0.0, 0.01, 0.03, 0.1, 0.5, 1.0};
  for (int n : sizes) {
    for (double density : densities) {
      SCOPED_TRACE("n = " + std::to_string(n) + ", density = " + std::to_string(density));
      BinaryMatrix m = RandomMatrix(rng, kMaxRows, kMaxColumns, density);
      PackedDigraph g;
      PackDigraph(m, n, g);
      const DyadTriadCounts counts = CountMutualsAndTwoPaths(g);
      const DyadTriadCounts expected = CountMutualsAndTwoPathsReference(m, n);
      EXPECT_EQ(counts.mutual, expected.mutual);
      EXPECT_EQ(counts.transitive, expected.transitive);
      EXPECT_EQ(counts.intransitive, expected.intransitive);
      if (n <= 65) {
        for (bool undirected : {false, true}) {
          EXPECT_EQ(IsConnected(m, n, undirected), IsConnectedReference(m, n, undirected))
              << "undirected " << undirected;
        }
      }
    }
  }
}

TEST(FunctSimTest, ConnectivityFollowsArcsOnlyWithUndirectedFlag) {
  struct Case {
    const char* name;
    Arcs arcs;
    int n;
    bool weak;
    bool strong;
  };
  const Case cases[] = {
      {"single vertex", {}, 1, true, true},
      {"one arc", {{1, 2}}, 2, true, false},
      {"directed path", {{1, 2}, {2, 3}}, 3, true, false},
      {"directed cycle", {{1, 2}, {2, 3}, {3, 1}}, 3, true, true},
      {"two components", {{1, 2}, {2, 1}, {3, 4}, {4, 3}}, 4, false, false},
      {"isolated last vertex", {{1, 2}, {2, 1}}, 3, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BinaryMatrix m = FromArcs(c.arcs);
    EXPECT_EQ(IsConnected(m, c.n, false), c.weak);
    EXPECT_EQ(IsConnected(m, c.n, true), c.strong);
  }
}

TEST(FunctSimTest, FirstStatisticOfUndirectedGraphs) {
  // Edges 1-2 and 3-4: disconnected; adding 2-3 connects them.
  const Arcs split = {{1, 2}, {2, 1}, {3, 4}, {4, 3}};
  Arcs joined = split;
  joined.push_back({2, 3});
  joined.push_back({3, 2});
  struct Case {
    const Arcs* arcs;
    bool connected_only;
    std::int32_t value;
    const char* label;
  };
  const Case cases[] = {
      {&split, false, 0, "Connectivity (yes = 1, no = 0)"},
      {&joined, false, 1, "Connectivity (yes = 1, no = 0)"},
      {&split, true, 2, "Number of mutual dyads"},
      {&joined, true, 3, "Number of mutual dyads"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    StatisticsSetup setup = ShapeSetup(4, 4, 1);
    setup.undirected = true;
    setup.connected_only = c.connected_only;
    StatisticValues values;
    EvaluateStatistics(FromArcs(*c.arcs), setup, values);
    EXPECT_EQ(values.int_values[1], c.value);
    EXPECT_EQ(values.real_values[1], c.value);
    EXPECT_EQ(StatisticLabel(setup, 1, 0, true), c.label);
  }
}

TEST(FunctSimTest, MutualOffsetIsSubtracted) {
  Arcs arcs;
  for (int a = 1; a <= 25; ++a) {
    arcs.push_back({a, a + 1});
    arcs.push_back({a + 1, a});
  }
  StatisticsSetup setup = ShapeSetup(30, 30, 1);
  setup.mutual_offset = 20;
  StatisticValues values;
  EvaluateStatistics(FromArcs(arcs), setup, values);
  EXPECT_EQ(values.int_values[1], 5);
  EXPECT_EQ(StatisticLabel(setup, 1, 20, true), "Number of mutual dyads minus 20");
  setup.mutual_offset = 30;
  EvaluateStatistics(FromArcs(arcs), setup, values);
  EXPECT_EQ(values.int_values[1], -5);
}

TEST(FunctSimTest, VertexStatisticsReadTheReorderedPositions) {
  // The input's vertices 1 and 2 now sit at 3 and 5.
  const BinaryMatrix m = FromArcs({{3, 3}, {3, 5}, {3, 1}, {5, 1}, {3, 4}, {5, 4}, {5, 2}, {1, 2}});
  StatisticsSetup setup = ShapeSetup(5, 5, 4);
  setup.reordered = true;
  setup.r1 = 3;
  setup.r2 = 5;
  StatisticValues values;
  EvaluateStatistics(m, setup, values);
  EXPECT_EQ(values.int_values[1], 1);
  EXPECT_EQ(values.int_values[2], 1);
  EXPECT_EQ(values.int_values[3], 2);
  EXPECT_EQ(values.real_values[3], 2.0);
  setup.version = 1;
  EvaluateStatistics(m, setup, values);
  EXPECT_EQ(values.int_values[3], 1);
  setup.r2 = 4;
  EvaluateStatistics(m, setup, values);
  EXPECT_EQ(values.int_values[3], 1);
  setup.r1 = 4;
  setup.r2 = 3;
  EvaluateStatistics(m, setup, values);
  EXPECT_EQ(values.int_values[3], 0);

  // A rectangular table's version 1 is made of the same three statistics.
  const BinaryMatrix table = FromArcs({{1, 2}, {1, 4}, {1, 6}, {2, 4}, {2, 6}, {2, 1}});
  StatisticsSetup rectangular = ShapeSetup(3, 7, 1);
  EvaluateStatistics(table, rectangular, values);
  EXPECT_EQ(values.int_values[1], 0);
  EXPECT_EQ(values.int_values[2], 1);
  EXPECT_EQ(values.int_values[3], 2);
}

TEST(FunctSimTest, Labels) {
  StatisticsSetup square = ShapeSetup(10, 10, 1);
  StatisticsSetup reordered = square;
  reordered.reordered = true;
  StatisticsSetup rectangular = ShapeSetup(8, 12, 1);
  struct Case {
    const StatisticsSetup* setup;
    int version;
    int i;
    bool note_rounding;
    std::string label;
  };
  const Case cases[] = {
      {&square, 1, 1, true, "Number of mutual dyads"},
      {&square, 1, 2, true, "100 * #trans / (#trans + #intrans) (rounded to integer)"},
      {&square, 1, 2, false, "100 * #trans / (#trans + #intrans)"},
      {&square, 1, 3, true, "Arc indicator from 1 to 2"},
      {&reordered, 1, 3, true, "Arc indicator from 1 to 2 (for original vertex order)"},
      {&reordered, 1, 2, true, "100 * #trans / (#trans + #intrans) (rounded to integer)"},
      {&square, 2, 7, true, "100 * Eigenvector power index of actor   7 (rounded to integer)"},
      {&square, 3, 10, false, "1000 * Eigenvector power index of actor  10"},
      {&reordered, 2, 1, false, "100 * Eigenvector power index of actor   1"},
      {&square, 4, 1, true, "Element (1,1)"},
      {&square, 4, 2, true, "Element (1,2)"},
      {&reordered, 4, 1, true, "Element (1,1) (for original vertex order)"},
      {&reordered, 4, 3, false,
       "Matches of rows 1 and 2 ( = Sum_(j) Y_{1j} Y_{2j} ) (for original vertex order)"},
      {&rectangular, 1, 3, true, "Matches of rows 1 and 2 ( = Sum_(j) Y_{1j} Y_{2j} )"},
      {&rectangular, 2, 12, true,
       "100 * Eigenvector power index of column  12 (rounded to integer)"},
      {&rectangular, 3, 5, false, "1000 * Eigenvector power index of column   5"},
      {&square, 1, 4, true, ""},
      {&square, 2, 11, true, ""},
      {&square, 5, 1, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    StatisticsSetup setup = *c.setup;
    setup.version = c.version;
    EXPECT_EQ(StatisticLabel(setup, c.i, 0, c.note_rounding), c.label);
  }
}

TEST(FunctSimTest, StatisticCounts) {
  EXPECT_EQ(VersionCount(5, 5), 4);
  EXPECT_EQ(VersionCount(5, 7), 3);
  const int expected[] = {0, 3, 9, 9, 3, 0};
  for (int v = 0; v <= 5; ++v) EXPECT_EQ(StatisticCount(v, 9), expected[v]) << v;
}

TEST(FunctSimTest, EigenvectorOfGraphWithoutArcsIsUniform) {
  BinaryMatrix m;
  StatisticValues values;
  EvaluateStatistics(m, ShapeSetup(4, 4, 2), values);
  for (int a = 1; a <= 4; ++a) {
    EXPECT_EQ(values.int_values[static_cast<std::size_t>(a)], 50);
    EXPECT_DOUBLE_EQ(values.real_values[static_cast<std::size_t>(a)], 50.0);
  }
  EvaluateStatistics(m, ShapeSetup(7, 7, 3), values);
  for (int a = 1; a <= 7; ++a) {
    EXPECT_NEAR(values.real_values[static_cast<std::size_t>(a)], 1000 / std::sqrt(7.0), 1e-9);
    EXPECT_EQ(values.int_values[static_cast<std::size_t>(a)], 378);
  }
}

// A star with k leaves: W + I has the leading eigenvector (sqrt(k), 1, ..., 1)
// up to scale, so the centre gets 1/sqrt(2) and each leaf 1/sqrt(2k). Arcs
// point either way: the matrix is made symmetric first.
TEST(FunctSimTest, ActorEigenvectorOfStar) {
  const BinaryMatrix m = FromArcs({{1, 3}, {4, 3}, {3, 5}, {3, 2}, {2, 3}});
  std::array<double, kMaxRows + 1> e{};
  ActorEigenvectorIndex(m, 5, e);
  EXPECT_NEAR(e[3], 1 / std::sqrt(2.0), 1e-5);
  for (int a : {1, 2, 4, 5}) EXPECT_NEAR(e[static_cast<std::size_t>(a)], 1 / std::sqrt(8.0), 1e-5);
  StatisticValues values;
  EvaluateStatistics(m, ShapeSetup(5, 5, 2), values);
  EXPECT_EQ(values.int_values[3], 71);
  EXPECT_EQ(values.int_values[1], 35);
}

// Same power iteration on other stores: a 16 x 16 array addressed from 1.
TEST(FunctSimTest, EigenvectorOnPlainArrays) {
  std::array<std::array<std::uint8_t, 16>, 16> small{};
  BinaryMatrix m;
  std::mt19937 rng(3);
  std::bernoulli_distribution tie(0.3);
  for (int a = 1; a <= 15; ++a) {
    for (int b = 1; b <= 15; ++b) {
      const std::uint8_t v = tie(rng) ? 1 : 0;
      small[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] = v;
      SetCell(m, a, b, v);
    }
  }
  std::array<double, kMaxRows + 1> from_matrix{};
  std::array<double, 16> from_array{};
  ActorEigenvectorIndex(m, 15, from_matrix);
  ActorEigenvectorIndex(std::span(&small[1][1], 14 * 16 + 15), 16, 15, from_array);
  for (int a = 1; a <= 15; ++a) {
    EXPECT_EQ(from_array[static_cast<std::size_t>(a)], from_matrix[static_cast<std::size_t>(a)]);
  }
  ColumnEigenvectorIndex(m, 12, 15, from_matrix);
  ColumnEigenvectorIndex(std::span(&small[1][1], 14 * 16 + 15), 16, 12, 15, from_array);
  for (int k = 1; k <= 15; ++k) {
    EXPECT_EQ(from_array[static_cast<std::size_t>(k)], from_matrix[static_cast<std::size_t>(k)]);
  }
}

TEST(FunctSimTest, EigenvectorsAgreeWithPlainComputation) {
  std::mt19937 rng(11);
  struct Case {
    int f;
    int g;
    double density;
  };
  const Case cases[] = {{3, 3, 0.5}, {10, 10, 0.1}, {40, 40, 0.05}, {200, 200, 0.02},
                        {2, 5, 0.5}, {30, 7, 0.2},  {7, 30, 0.2},   {200, 150, 0.05}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.f) + " x " + std::to_string(c.g));
    const BinaryMatrix m = RandomMatrix(rng, c.f, c.g, c.density);
    std::array<double, kMaxRows + 1> index{};
    if (c.f == c.g) {
      ActorEigenvectorIndex(m, c.f, index);
      const auto expected = ActorEigenvectorReference(m, c.f);
      for (int a = 1; a <= c.f; ++a)
        ASSERT_EQ(index[static_cast<std::size_t>(a)], expected[static_cast<std::size_t>(a)]);
    }
    ColumnEigenvectorIndex(m, c.f, c.g, index);
    const auto expected = ColumnEigenvectorReference(m, c.f, c.g);
    for (int k = 1; k <= c.g; ++k)
      ASSERT_EQ(index[static_cast<std::size_t>(k)], expected[static_cast<std::size_t>(k)]);
  }
}

// One actor or one column: the convergence bound (n - 1) 1e-6 is 0, which
// the iteration could never get below; the single entry is 1.
TEST(FunctSimTest, EigenvectorOfSingleActorOrColumn) {
  BinaryMatrix m;
  SetCell(m, 1, 1, 1);
  SetCell(m, 2, 1, 1);
  std::array<double, kMaxRows + 1> index{};
  ActorEigenvectorIndex(m, 1, index);
  EXPECT_EQ(index[1], 1.0);
  index = {};
  ColumnEigenvectorIndex(m, 2, 1, index);
  EXPECT_EQ(index[1], 1.0);
}

TEST(FunctSimTest, ColumnEigenvectorOfEqualAndEmptyColumns) {
  // All ones: C is constant, every column gets 1/sqrt(g).
  BinaryMatrix full;
  for (int i = 1; i <= 3; ++i) {
    for (int k = 1; k <= 4; ++k) SetCell(full, i, k, 1);
  }
  StatisticValues values;
  EvaluateStatistics(full, ShapeSetup(3, 4, 2), values);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(values.int_values[static_cast<std::size_t>(k)], 50);

  // Column 2 empty: it co-occurs with nothing and gets 0.
  BinaryMatrix gap = full;
  for (int i = 1; i <= 3; ++i) SetCell(gap, i, 2, 0);
  EvaluateStatistics(gap, ShapeSetup(3, 4, 3), values);
  EXPECT_EQ(values.int_values[2], 0);
  EXPECT_EQ(values.int_values[1], 577);

  // No 1 at all: no leading vector; every index is 0 and the evaluation ends.
  EvaluateStatistics(BinaryMatrix{}, ShapeSetup(3, 4, 2), values);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(values.int_values[static_cast<std::size_t>(k)], 0);
    EXPECT_EQ(values.real_values[static_cast<std::size_t>(k)], 0.0);
  }
}

TEST(FunctSimTest, LinearCombinationsOfTriadCounts) {
  // 030T on vertices 1-3, 021C on 4-6 ... on 6 vertices the census is mixed.
  const BinaryMatrix m = FromArcs({{1, 2}, {2, 3}, {1, 3}, {4, 5}, {5, 6}, {6, 4}, {3, 4}});
  const TriadCounts census = TriadCensus(m, 6);
  StatisticsSetup setup = ShapeSetup(6, 6, 1);
  setup.numl = 4;
  // Row 1: count of 003 with its own count as critical value (equal: 1.0).
  setup.weights[1] = {};
  setup.weights[1][0] = census[1];
  setup.weights[1][1] = 1;
  // Row 2: 030T + 030C, critical value just above.
  setup.weights[2] = {};
  setup.weights[2][0] = census[9] + census[10] + 0.5;
  setup.weights[2][9] = 1;
  setup.weights[2][10] = 1;
  // Row 3: a weighted sum over every type.
  setup.weights[3] = {};
  setup.weights[3][0] = -1e9;
  double expected3 = 0;
  for (int t = 1; t <= kTriadTypeCount; ++t) {
    setup.weights[3][static_cast<std::size_t>(t)] = 0.5 * t - 3;
    expected3 += census[static_cast<std::size_t>(t)] * (0.5 * t - 3);
  }
  // Row 4: the default weights of type 16 (absent), critical value 0.1.
  setup.weights[4] = {};
  setup.weights[4][0] = 0.1;
  setup.weights[4][16] = 1;
  StatisticValues values;
  EvaluateStatistics(m, setup, values);
  EXPECT_EQ(values.combination_values[1], census[1]);
  EXPECT_EQ(values.combination_values[5], 1.0);
  EXPECT_EQ(values.combination_values[2], census[9] + census[10]);
  EXPECT_EQ(values.combination_values[6], 0.0);
  EXPECT_EQ(values.combination_values[3], expected3);
  EXPECT_EQ(values.combination_values[7], 1.0);
  EXPECT_EQ(values.combination_values[4], 0.0);
  EXPECT_EQ(values.combination_values[8], 0.0);
}

TEST(FunctSimTest, SetupFromProjectInput) {
  ProjectInput input;
  input.f = input.g = 9;
  input.version = 3;
  input.matrix_mode = kModeGraph + kModeMolloyReed;
  input.connectivity = true;
  input.numl = 2;
  input.weight_table[2][7] = 1.5;
  const StatisticsSetup setup = MakeStatisticsSetup(input);
  EXPECT_TRUE(setup.undirected);
  EXPECT_TRUE(setup.connected_only);
  EXPECT_EQ(setup.version, 3);
  EXPECT_EQ(setup.numl, 2);
  EXPECT_EQ(setup.weights[2][7], 1.5);
  EXPECT_EQ(setup.mutual_offset, 0);
  EXPECT_FALSE(setup.reordered);
  input.matrix_mode = kModeDigraph;
  EXPECT_FALSE(MakeStatisticsSetup(input).undirected);
}

TEST(FunctSimTest, EvaluationAllocatesNothing) {
  std::mt19937 rng(1);
  const BinaryMatrix m = RandomMatrix(rng, 200, 200, 0.3);
  struct Case {
    int f;
    int g;
    int version;
    int numl;
  };
  const Case cases[] = {{200, 200, 1, 16}, {200, 200, 2, 0}, {60, 60, 4, 3}, {50, 80, 3, 0}};
  const long at_start = allocations.load();
  { const std::vector<int> counted(3); }
  ASSERT_GT(allocations.load(), at_start) << "the allocation counter does not count";
  for (const Case& c : cases) {
    StatisticsSetup setup = ShapeSetup(c.f, c.g, c.version);
    setup.numl = c.numl;
    setup.undirected = c.version == 1;
    StatisticValues values;
    const long before = allocations.load();
    EvaluateStatistics(m, setup, values);
    EXPECT_EQ(allocations.load(), before) << c.f << " x " << c.g << " version " << c.version;
  }
}

}  // namespace
}  // namespace kivo::sim
