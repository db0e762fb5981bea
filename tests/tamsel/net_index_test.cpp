#include "tamsel/net_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "core/triads.h"
#include "runfiles/format.h"
#include "tamsel/net_desc.h"
#include "tests/tamsel/tamsel_fixture.h"

namespace kivo::tamsel {
namespace {

using testing::MakeNetworks;
using testing::Matrix;

Matrix Undirected(int n, const std::vector<std::pair<int, int>>& edges) {
  Matrix m(static_cast<std::size_t>(n), std::vector<std::int32_t>(static_cast<std::size_t>(n), 0));
  for (const auto& [a, b] : edges) {
    m[static_cast<std::size_t>(a - 1)][static_cast<std::size_t>(b - 1)] = 1;
    m[static_cast<std::size_t>(b - 1)][static_cast<std::size_t>(a - 1)] = 1;
  }
  return m;
}

Matrix Empty(int n) {
  return Matrix(static_cast<std::size_t>(n),
                std::vector<std::int32_t>(static_cast<std::size_t>(n), 0));
}

double Heterogeneity(const DataDescription& data, bool undirected) {
  long long ties = 0;
  for (const std::int32_t v : data.relations[1]) ties += v > 0 ? 1 : 0;
  return HeterogeneityIndex(data, undirected, static_cast<double>(ties),
                            DegreeVariance(data, 1, Direction::kIn));
}

TEST(DegreeSpreadTest, StarHasTheLargestSpreadAndCycleLessThanRandom) {
  const DataDescription star = MakeNetworks({Undirected(5, {{1, 2}, {1, 3}, {1, 4}, {1, 5}})});
  EXPECT_DOUBLE_EQ(DegreeVariance(star, 1, Direction::kIn), 1.44);
  EXPECT_EQ(Real(Heterogeneity(star, true), 0, 3), "1.000");

  const DataDescription cycle = MakeNetworks({Undirected(4, {{1, 2}, {2, 3}, {3, 4}, {4, 1}})});
  EXPECT_DOUBLE_EQ(DegreeVariance(cycle, 1, Direction::kIn), 0.0);
  EXPECT_LT(Heterogeneity(cycle, true), 0.0);
}

TEST(DegreeSpreadTest, DirectedOutStarReachesOneAndMissingCellsAreNoTies) {
  // Actor 1 sends to all others: out-degrees 4, 0, 0, 0, 0 is the largest
  // spread of 4 arcs (one actor sending them all).
  Matrix m = Empty(5);
  for (std::size_t j = 1; j < 5; ++j) m[0][j] = 1;
  const DataDescription out_star = MakeNetworks({m});
  EXPECT_NEAR(HeterogeneityIndex(out_star, false, 4, DegreeVariance(out_star, 1, Direction::kOut)),
              1.0, 1e-12);
  m[0][4] = 9;  // missing: not a tie
  const DataDescription with_missing = MakeNetworks({m}, 9);
  EXPECT_DOUBLE_EQ(DegreeVariance(with_missing, 1, Direction::kOut),
                   (9.0 / 5) - (3.0 / 5) * (3.0 / 5));
}

TEST(NormalizedTransitivityTest, CompleteGraphIsOneAlsoBeyondThirtyTwoBitProducts) {
  struct Case {
    int n;
  };
  // n (n - 1) (n - 2) passes 2^31 at about 1290 actors.
  const Case cases[] = {{5}, {1400}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    Matrix m(static_cast<std::size_t>(c.n),
             std::vector<std::int32_t>(static_cast<std::size_t>(c.n), 1));
    for (int i = 0; i < c.n; ++i) m[static_cast<std::size_t>(i)][static_cast<std::size_t>(i)] = 0;
    const DataDescription data = MakeNetworks({m});
    const long long n = c.n;
    EXPECT_NEAR(NormalizedTransitivity(data, 1, 0, n * (n - 1) * (n - 2) / 6), 1.0, 1e-12);
  }
}

TEST(NormalizedTransitivityTest, MatchesTheFormulaOnASmallGraph) {
  // Path 1-2-3 plus edge 3-4 on 5 actors: c = 6 tie cells.
  const DataDescription data = MakeNetworks({Undirected(5, {{1, 2}, {2, 3}, {3, 4}})});
  const double p = 10, l = 10, d = 8 * p * (p - 1) * (p - 2), c = 6;
  const double a = c * (c - 2) * (c - 4) * l / d;
  const double b = (6 * 5 * 4 - c) * l * c * (c - 2) / d;
  const double e = 3 * a / (3 * a + 2 * b);
  EXPECT_NEAR(NormalizedTransitivity(data, 1, 2, 0), (0 - e) / (1 - e), 1e-15);
}

TEST(ComponentsTest, IsolatesAndWeakComponents) {
  struct Case {
    const char* name;
    Matrix m;
    std::int64_t isolates;
    std::int64_t components;
  };
  Matrix self_only = Empty(3);
  self_only[0][0] = 1;
  Matrix chain = Empty(6);  // 1 -> 2 -> 3, 5 -> 4: weak components regardless of direction
  chain[0][1] = chain[1][2] = chain[4][3] = 1;
  Matrix negative = Empty(3);
  negative[0][1] = -1;  // not a tie
  const Case cases[] = {
      {"two disjoint edges", Undirected(6, {{1, 2}, {3, 4}}), 2, 2},
      {"tie to itself only", self_only, 2, 1},
      {"directed chains", chain, 1, 2},
      {"negative value", negative, 3, 0},
      {"no ties", Empty(4), 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DataDescription data = MakeNetworks({c.m});
    EXPECT_EQ(CountIsolates(data, 1), c.isolates);
    EXPECT_EQ(CountWeakComponents(data, 1), c.components);
  }
}

TEST(SegmentationTest, Table) {
  struct Case {
    const char* name;
    Matrix m;
    double s3;
  };
  // Path 1-2-3 on 4 actors: D1 = 2 tied pairs; untied pairs with a common
  // neighbour: (1,3) via 2, so D2 = 1; d = 2/12, a = 2/12.
  const Case cases[] = {
      {"no ties", Empty(4), 1.0},
      {"path", Undirected(4, {{1, 2}, {2, 3}}), (1 - 2.0 / 12 - 2.0 / 12) / (1 - 2.0 / 12)},
      {"star", Undirected(4, {{1, 2}, {1, 3}, {1, 4}}), (1 - 3.0 / 12 - 6.0 / 12) / (1 - 3.0 / 12)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(SegmentationS3(MakeNetworks({c.m}), 1), c.s3, 1e-15);
  }
}

// Arcs of one representative of every type in the triad type order, on
// vertices 0, 1, 2.
using Arcs = std::vector<std::pair<int, int>>;
const std::array<Arcs, 17> kRepresentatives = {{
    {},
    {},                                                // 003
    {{0, 1}},                                          // 012
    {{0, 1}, {1, 0}},                                  // 102
    {{1, 0}, {1, 2}},                                  // 021D
    {{0, 1}, {2, 1}},                                  // 021U
    {{0, 1}, {1, 2}},                                  // 021C
    {{0, 1}, {1, 0}, {2, 1}},                          // 111D
    {{0, 1}, {1, 0}, {1, 2}},                          // 111U
    {{0, 1}, {1, 2}, {0, 2}},                          // 030T
    {{0, 1}, {1, 2}, {2, 0}},                          // 030C
    {{0, 1}, {1, 0}, {0, 2}, {2, 0}},                  // 201
    {{0, 2}, {2, 0}, {1, 0}, {1, 2}},                  // 120D
    {{0, 2}, {2, 0}, {0, 1}, {2, 1}},                  // 120U
    {{0, 2}, {2, 0}, {0, 1}, {1, 2}},                  // 120C
    {{0, 1}, {1, 0}, {0, 2}, {2, 0}, {1, 2}},          // 210
    {{0, 1}, {1, 0}, {0, 2}, {2, 0}, {1, 2}, {2, 1}},  // 300
}};

// The position of a triple's type found by trying every relabelling of its
// vertices against the representatives: independent of any subtype rule.
int ClassifyByIsomorphism(const std::array<std::array<bool, 3>, 3>& arc) {
  std::array<int, 3> perm = {0, 1, 2};
  do {
    for (int p = 1; p <= 16; ++p) {
      std::array<std::array<bool, 3>, 3> rep{};
      for (const auto& [a, b] : kRepresentatives[static_cast<std::size_t>(p)]) {
        rep[static_cast<std::size_t>(perm[static_cast<std::size_t>(a)])]
           [static_cast<std::size_t>(perm[static_cast<std::size_t>(b)])] = true;
      }
      if (rep == arc) return p;
    }
  } while (std::next_permutation(perm.begin(), perm.end()));
  return 0;
}

TEST(NetworkTriadCensusTest, AgreesWithARecountOverRandomNetworksWithMissingCells) {
  std::mt19937 random(20261211);
  // Small networks of every density, then sparse ones of up to three words
  // per row, where the census looks up only the actors touching a null pair.
  for (int trial = 0; trial < 43; ++trial) {
    const bool large = trial >= 40;
    const int n = large ? 70 + 35 * (trial - 40) : 3 + trial % 9;
    const int density = large ? 2 : 10 + (trial * 7) % 70;  // percent of tie cells
    const bool with_missing = trial % 4 != 0;
    Matrix m = Empty(n);
    for (auto& row : m) {
      for (auto& cell : row) {
        const int roll = static_cast<int>(random() % 100);
        cell = roll < density ? 1 + static_cast<int>(random() % 3) : 0;
        if (with_missing && random() % (large ? 400 : 25) == 0) cell = 9;
        if (random() % (large ? 400 : 40) == 0) cell = -2;  // neither a tie nor missing
      }
    }
    const DataDescription data = MakeNetworks({m}, 9);
    std::array<std::int64_t, 17> expected{};
    std::int64_t counted = 0;
    for (int i = 0; i < n; ++i) {
      for (int j = i + 1; j < n; ++j) {
        for (int h = j + 1; h < n; ++h) {
          const int v[3] = {i, j, h};
          std::array<std::array<bool, 3>, 3> arc{};
          bool complete = true;
          for (int x = 0; x < 3; ++x) {
            for (int y = 0; y < 3; ++y) {
              if (x == y) continue;
              const std::int32_t cell =
                  m[static_cast<std::size_t>(v[x])][static_cast<std::size_t>(v[y])];
              if (cell == 9) complete = false;
              arc[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] = cell > 0 && cell != 9;
            }
          }
          if (!complete) continue;
          ++counted;
          ++expected[static_cast<std::size_t>(ClassifyByIsomorphism(arc))];
        }
      }
    }
    SCOPED_TRACE("trial " + std::to_string(trial) + ", n " + std::to_string(n));
    const NetworkCensus census = NetworkTriadCensus(data, 1);
    EXPECT_EQ(expected[0], 0);
    EXPECT_EQ(census.counted, counted);
    for (std::size_t p = 1; p <= 16; ++p) {
      EXPECT_EQ(census.counts[p], expected[p]) << TriadLabelAt(static_cast<int>(p));
      if (counted > 0) {
        EXPECT_DOUBLE_EQ(census.proportions[p],
                         static_cast<double>(expected[p]) / static_cast<double>(counted));
      }
    }
  }
}

TEST(NetworkTriadCensusTest, TriplesTouchingAMissingCellAreLeftOut) {
  Matrix m = Empty(4);
  m[0][1] = 1;
  m[2][3] = 9;  // one missing cell: triples {1,3,4} and {2,3,4} drop out
  const NetworkCensus census = NetworkTriadCensus(MakeNetworks({m}, 9), 1);
  EXPECT_EQ(census.counted, 2);
  EXPECT_EQ(census.counts[2], 2);  // 012: the arc 1 -> 2 with 3 or with 4
  EXPECT_DOUBLE_EQ(census.proportions[2], 1.0);

  // Fewer than three actors, or every triple touching a missing cell: no
  // triple counted and every proportion 0.
  for (const DataDescription& data :
       {MakeNetworks({Empty(2)}), MakeNetworks({Matrix{{0, 9, 0}, {0, 0, 0}, {0, 0, 0}}}, 9)}) {
    const NetworkCensus none = NetworkTriadCensus(data, 1);
    EXPECT_EQ(none.counted, 0);
    for (std::size_t p = 1; p <= 16; ++p) EXPECT_EQ(none.proportions[p], 0.0);
  }
}

}  // namespace
}  // namespace kivo::tamsel
