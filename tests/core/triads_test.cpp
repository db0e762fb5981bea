#include "core/triads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/kivo_mat.h"
#include "tests/support/triads_reference.h"

namespace kivo {
namespace {

using Arcs = std::vector<std::pair<int, int>>;

struct ThreeVertexCase {
  const char* name;
  Arcs arcs;
  int position;
};

const ThreeVertexCase kThreeVertexCases[] = {
    {"003", {}, 1},
    {"012", {{1, 2}}, 2},
    {"102", {{1, 2}, {2, 1}}, 3},
    {"021D", {{2, 1}, {2, 3}}, 4},
    {"021U", {{1, 2}, {3, 2}}, 5},
    {"021C", {{1, 2}, {2, 3}}, 6},
    {"111D", {{1, 2}, {2, 1}, {3, 2}}, 7},
    {"111U", {{1, 2}, {2, 1}, {2, 3}}, 8},
    {"030T", {{1, 2}, {2, 3}, {1, 3}}, 9},
    {"030C", {{1, 2}, {2, 3}, {3, 1}}, 10},
    {"201", {{1, 2}, {2, 1}, {2, 3}, {3, 2}}, 11},
    {"120D", {{1, 3}, {3, 1}, {2, 1}, {2, 3}}, 12},
    {"120U", {{1, 3}, {3, 1}, {1, 2}, {3, 2}}, 13},
    {"120C", {{1, 3}, {3, 1}, {1, 2}, {2, 3}}, 14},
    {"210", {{1, 2}, {2, 1}, {2, 3}, {3, 2}, {1, 3}}, 15},
    {"300", {{1, 2}, {2, 1}, {1, 3}, {3, 1}, {2, 3}, {3, 2}}, 16},
};

// Every triple type, under each of the six namings of its vertices, lands in
// its one position, in the fast census and in the plain one.
TEST(TriadCensusTest, ClassifiesEveryTypeWhateverTheVertexNames) {
  for (const ThreeVertexCase& c : kThreeVertexCases) {
    std::array<int, 3> naming = {1, 2, 3};
    do {
      SCOPED_TRACE(std::string(c.name) + " named " + std::to_string(naming[0]) +
                   std::to_string(naming[1]) + std::to_string(naming[2]));
      BinaryMatrix m;
      for (const auto& [from, to] : c.arcs) {
        SetCell(m, naming[static_cast<std::size_t>(from - 1)],
                naming[static_cast<std::size_t>(to - 1)], 1);
      }
      TriadCounts expected{};
      expected[static_cast<std::size_t>(c.position)] = 1;
      EXPECT_EQ(TriadCensus(m, 3), expected);
      EXPECT_EQ(TriadCensusReference(m, 3), expected);
    } while (std::next_permutation(naming.begin(), naming.end()));
    EXPECT_EQ(TriadLabel(TriadTypeOrder[static_cast<std::size_t>(c.position)]),
              std::string(c.name).append(4 - std::string(c.name).size(), ' '));
  }
}

TEST(TriadCensusTest, FewerThanThreeVerticesCountNothing) {
  BinaryMatrix m;
  SetCell(m, 1, 2, 1);
  SetCell(m, 2, 1, 1);
  for (int n = 0; n <= 2; ++n) EXPECT_EQ(TriadCensus(m, n), TriadCounts{}) << n;
}

TEST(TriadCensusTest, EmptyGraphOfTwoHundredVertices) {
  BinaryMatrix m;
  TriadCounts expected{};
  expected[1] = 1313400;
  EXPECT_EQ(TriadCensus(m, 200), expected);
}

// Random digraphs of sizes around the word boundaries, from empty to complete,
// with ones on the diagonal and outside the part in use that must be ignored.
TEST(TriadCensusTest, AgreesWithPlainCensusOnRandomDigraphs) {
  std::mt19937 rng(20261211);
  const int sizes[] = {3, 4, 7, 20, 63, 64, 65, 100, 128, 129, 200};
  const double densities[] = {0.0, 0.05, 0.3, 0.7, 1.0};
  for (int n : sizes) {
    for (double density : densities) {
      SCOPED_TRACE("n = " + std::to_string(n) + ", density = " + std::to_string(density));
      BinaryMatrix m;
      std::bernoulli_distribution arc(density);
      for (int a = 1; a <= kMaxRows; ++a) {
        for (int b = 1; b <= kMaxColumns; ++b) {
          const bool inside = a <= n && b <= n && a != b;
          SetCell(m, a, b, inside ? (arc(rng) ? 1 : 0) : 1);
        }
      }
      const TriadCounts counts = TriadCensus(m, n);
      EXPECT_EQ(counts, TriadCensusReference(m, n));
      std::int64_t total = 0;
      for (int p = 1; p <= kTriadTypeCount; ++p) total += counts[static_cast<std::size_t>(p)];
      EXPECT_EQ(total, static_cast<std::int64_t>(n) * (n - 1) * (n - 2) / 6);
    }
  }
}

TEST(TriadLabelTest, ImpossibleCombinationsAreMarked) {
  struct Case {
    TriadType type;
    std::string_view label;
  };
  const Case cases[] = {
      {{0, 0, 2}, "003 "}, {{0, 1, 1}, "012 "}, {{1, 0, 2}, "102 "}, {{2, 0, 1}, "201 "},
      {{2, 1, 2}, "210 "}, {{1, 1, 0}, "XXXX"}, {{0, 3, 2}, "XXXX"}, {{0, 2, 3}, "XXXX"},
      {{3, 0, 1}, "XXXX"}, {{3, 1, 0}, "XXXX"}, {{2, 2, 0}, "XXXX"}, {{0, 4, 0}, "XXXX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.type.m) + std::to_string(c.type.a) +
                 std::to_string(c.type.subtype));
    EXPECT_EQ(TriadLabel(c.type), c.label);
  }
}

}  // namespace
}  // namespace kivo
