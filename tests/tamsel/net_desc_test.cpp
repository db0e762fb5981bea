#include "tamsel/net_desc.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/tamsel/tamsel_fixture.h"

namespace kivo::tamsel {
namespace {

using testing::Block;
using testing::Contains;
using testing::MakeNetworks;
using testing::Matrix;
using testing::ReportLines;

std::vector<std::string> Descriptives(DataDescription& data) {
  return ReportLines([&data](TextWriter& report) {
    WriteNetworkDescriptives(data, ComputeNetworkDescriptives(data), report);
  });
}

// The value list as the reader leaves it: distinct values in order of first
// appearance, at most 10.
void ListValues(DataDescription& data) {
  for (int k = 1; k <= data.num_networks; ++k) {
    ValueList& list = data.relation_values[static_cast<std::size_t>(k)];
    for (const std::int32_t v : data.relations[static_cast<std::size_t>(k)]) {
      bool seen = false;
      for (int q = 1; q <= list[0]; ++q) seen = seen || list[static_cast<std::size_t>(q)] == v;
      if (!seen && list[0] < kMaxRelationValues) list[static_cast<std::size_t>(++list[0])] = v;
    }
  }
}

TEST(DataDefinitionTest, RelationValuesCountsAndDyadCrossTable) {
  DataDescription data = MakeNetworks(
      {Matrix{{0, 1, 9}, {1, 0, 0}, {9, 0, 1}}, Matrix{{0, 1, -9}, {1, 0, 0}, {-9, 0, 0}}},
      std::nullopt, 1);
  ListValues(data);
  const std::vector<std::string> lines =
      ReportLines([&data](TextWriter& report) { ReportDataDefinition(data, report); });
  const std::vector<std::string> expected_counts = {
      "Number of actors in the observed networks is   3.",
      "For digraphs the total number of relations is     6.",
  };
  EXPECT_EQ(Block(lines, expected_counts[0]), expected_counts);
  // Off-diagonal cells only: the diagonal 1 of network 1 is not counted.
  EXPECT_EQ(Block(lines, "Relations network  1: "),
            (std::vector<std::string>{"Relations network  1:      0     1     9",
                                      "  count                    2     2     2"}));
  EXPECT_EQ(Block(lines, "Relations network  2: "),
            (std::vector<std::string>{"Relations network  2:     -9     0     1",
                                      "  count                    2     2     2"}));
  // A symmetric network has zeros off the diagonal of its table.
  EXPECT_EQ(Block(lines, "Cross tabulation of dyads: network 1"),
            (std::vector<std::string>{"Cross tabulation of dyads: network 1"}));
  const std::vector<std::string> table = {"             X(j,i)", "             0    1    9",
                                          "X(i,j)  0    1    0    0", "        1    0    1    0",
                                          "        9    0    0    1"};
  auto it = std::find(lines.begin(), lines.end(), "Cross tabulation of dyads: network 1");
  ASSERT_NE(it, lines.end());
  EXPECT_EQ(std::vector<std::string>(it + 2, it + 7), table);
}

TEST(DataDefinitionTest, ValuesBeyondTheTenKeptAreCountedNowhere) {
  Matrix m(4, std::vector<std::int32_t>(4, 0));
  int v = 1;
  for (auto& row : m) {
    for (auto& cell : row) cell = v++ % 12;  // 12 distinct values
  }
  DataDescription data = MakeNetworks({m}, std::nullopt, 1);
  ListValues(data);
  ASSERT_EQ(data.relation_values[1][0], 10);
  const ValueList list = [&] {
    ValueList l = data.relation_values[1];
    SortValuesFrom(l.data(), 10, 1);
    return l;
  }();
  const auto counts = CountRelationValues(data, 1, list);
  std::int64_t total = 0;
  for (int q = 1; q <= 10; ++q) total += counts[static_cast<std::size_t>(q)];
  // Values 10 and 11 (cells (3,2) and (3,3), the latter on the diagonal)
  // and the diagonal cells are left out.
  EXPECT_EQ(total, 11);
}

TEST(NetworkDescriptivesTest, DirectedThreeCycleCountsAsSymmetric) {
  DataDescription data = MakeNetworks({Matrix{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}});
  const std::vector<std::string> lines = Descriptives(data);
  EXPECT_EQ(data.is_symmetric[1], 1);
  EXPECT_FALSE(Contains(lines, "Outdegree network     1    "));
  EXPECT_FALSE(Contains(lines, "Triad census"));
  EXPECT_EQ(Block(lines, "Triads           "),
            (std::vector<std::string>{"Triads                1  ", "Neutral (null)        0  ",
                                      "Neutral (1 edge)      0  ", "Intransitive (In)     1  ",
                                      "Transitive (Tr)       0  "}));
  EXPECT_TRUE(Contains(lines, "Transitivity (T)  0.000  "));
}

TEST(NetworkDescriptivesTest, DirectedTripletsAndTheirGuards) {
  struct Case {
    const char* name;
    Matrix m;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"one asymmetric arc",
       Matrix{{0, 1, 0}, {0, 0, 0}, {0, 0, 0}},
       {"Total                 0  ", "Transitive            0  ", "Transitivity (T)      -  "}},
      // Each mutual dyad gives the triplets i, j, i and j, i, j; the arc 1 -> 3
      // adds 2, 1, 3 and nothing transitive with an empty diagonal.
      {"mutual dyad and an arc",
       Matrix{{0, 1, 1}, {1, 0, 0}, {0, 0, 0}},
       {"Total                 3  ", "Transitive            0  ", "Transitivity (T)  0.000  "}},
      {"transitive triple",
       Matrix{{0, 1, 1}, {0, 0, 1}, {0, 0, 0}},
       {"Total                 1  ", "Transitive            1  ", "Transitivity (T)  1.000  "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DataDescription data = MakeNetworks({c.m});
    const std::vector<std::string> lines = Descriptives(data);
    EXPECT_EQ(data.is_symmetric[1], 0);
    EXPECT_EQ(Block(lines, c.rows[0]), c.rows);
  }
}

TEST(NetworkDescriptivesTest, LabelsWithoutMissingDataAndDashesWithoutTriangles) {
  // Two disjoint edges among 5 actors: symmetric, In = Tr = 0.
  Matrix m(5, std::vector<std::int32_t>(5, 0));
  m[0][1] = m[1][0] = m[2][3] = m[3][2] = 1;
  Matrix directed(5, std::vector<std::int32_t>(5, 0));
  directed[0][1] = 1;
  DataDescription data = MakeNetworks({m, directed});
  const std::vector<std::string> lines = Descriptives(data);
  EXPECT_TRUE(Contains(lines, "No missing data in these data sets."));
  for (const char* label : {"Missing fraction ", "Complete dyads   ", "Complete triads  "}) {
    for (const std::string& line : lines) EXPECT_NE(line.rfind(label, 0), 0U) << label;
  }
  EXPECT_TRUE(Contains(lines, "Dyads                10      10  "));
  EXPECT_TRUE(Contains(lines, "Triads               10       -  "));
  EXPECT_TRUE(Contains(lines, "Transitivity (T)      -       -  "));
  EXPECT_TRUE(Contains(lines, "Normalized T          -       -  "));
  EXPECT_TRUE(Contains(lines, "Directed graphs: triplets with (i -> j), (j -> h)."));
  EXPECT_TRUE(Contains(lines, "Total               10         "));
  EXPECT_TRUE(Contains(lines, "            Network 2    "));
  EXPECT_TRUE(Contains(lines, "012           3  0.300  "));
  EXPECT_TRUE(Contains(lines, "Num. isolates         1       3  "));
  EXPECT_TRUE(Contains(lines, "Num. components       2       1  "));
}

TEST(NetworkDescriptivesTest, NetworkWithEveryOffDiagonalCellMissing) {
  DataDescription data = MakeNetworks(
      {Matrix{{0, 9, 9}, {9, 0, 9}, {9, 9, 0}}, Matrix{{0, 1, 0}, {1, 0, 0}, {0, 0, 0}}}, 9);
  const std::vector<std::string> lines = Descriptives(data);
  EXPECT_EQ(data.has_missing, 1);
  EXPECT_EQ(Block(lines, "Density               -   0.333  "),
            (std::vector<std::string>{
                "Density               -   0.333  ", "Average degree        -   0.667  ",
                "Missing fraction  1.000   0.000  ", "Symmetric           yes     yes  ",
                "Dichotomous         yes     yes  "}));
  EXPECT_TRUE(Contains(lines, "Actor    1            -       1  "));
  EXPECT_TRUE(Contains(lines, "Degree st.dev.        -   0.471  "));
  EXPECT_TRUE(Contains(lines, "Complete dyads        -       3  "));
  EXPECT_TRUE(Contains(lines, "Mutual (M)            -       1  "));
  EXPECT_TRUE(Contains(lines, "Reciprocity           -   1.000  "));
  EXPECT_TRUE(Contains(lines, "Complete triads       -       1  "));
  EXPECT_TRUE(Contains(lines, "Segmentation (S3)     -   1.000  "));
  EXPECT_TRUE(Contains(lines, "Num. components       -       1  "));
  // Every network symmetric: no outdegree table, no triplets, no census.
  EXPECT_FALSE(Contains(lines, "Triad census"));
  for (const std::string& line : lines) EXPECT_NE(line.rfind("Outdegree", 0), 0U);
}

TEST(NetworkDescriptivesTest, NegativeValuesLowerTheSumsAndAreNoTies) {
  DataDescription data = MakeNetworks({Matrix{{0, 1, -1}, {1, 0, 0}, {0, 0, 0}}});
  const NetworkDescriptives figures = ComputeNetworkDescriptives(data);
  const NetworkFigures& f = figures.networks[1];
  EXPECT_EQ(f.arc_total, 1);
  EXPECT_EQ(f.tie_cells, 2);
  EXPECT_EQ(f.out_sums[1], 0);
  EXPECT_EQ(f.in_sums[3], -1);
  EXPECT_TRUE(f.dichotomous);
  EXPECT_FALSE(f.symmetric);
}

TEST(NetworkDescriptivesTest, CountsAgreeWithAStraightRecount) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 30; ++trial) {
    const int n = 2 + trial % 11;
    Matrix m(static_cast<std::size_t>(n), std::vector<std::int32_t>(static_cast<std::size_t>(n)));
    for (auto& row : m) {
      for (auto& cell : row) {
        const auto roll = random() % 100;
        cell = roll < 40 ? 1 : roll < 45 ? 9 : roll < 48 ? -3 : roll < 55 ? 2 : 0;
      }
    }
    const DataDescription data = MakeNetworks({m}, 9);
    const auto at = [&m](int i, int j) {
      return m[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    };
    const auto missing = [&](int i, int j) { return at(i, j) == 9; };
    const auto tie = [&](int i, int j) { return at(i, j) > 0 && !missing(i, j); };
    DyadCounts dyads;
    UndirectedTriads triads;
    DirectedTriplets triplets;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        for (int h = 0; h < n; ++h) {
          if (tie(i, j) && tie(j, h) && !missing(i, h)) {
            ++triplets.total;
            if (tie(i, h)) ++triplets.transitive;
          }
          if (!(i < j && j < h) || missing(i, j) || missing(i, h) || missing(j, h)) continue;
          ++triads.total;
          const int ties = tie(i, j) + tie(i, h) + tie(j, h);
          const int absent = (at(i, j) == 0) + (at(i, h) == 0) + (at(j, h) == 0);
          if (absent == 3) ++triads.null;
          if (ties == 1 && absent == 2) ++triads.one_edge;
          if (ties == 2 && absent == 1) ++triads.intransitive;
          if (ties == 3) ++triads.transitive;
        }
        if (i < j && !missing(i, j) && !missing(j, i)) {
          ++dyads.complete;
          const int ties = (at(i, j) > 0) + (at(j, i) > 0);
          if (ties == 2) ++dyads.mutual;
          if (ties == 1) ++dyads.asymmetric;
          if (ties == 0) ++dyads.null;
        }
      }
    }
    SCOPED_TRACE("trial " + std::to_string(trial));
    const DyadCounts d = DyadCensus(data, 1);
    EXPECT_EQ(d.complete, dyads.complete);
    EXPECT_EQ(d.mutual, dyads.mutual);
    EXPECT_EQ(d.asymmetric, dyads.asymmetric);
    EXPECT_EQ(d.null, dyads.null);
    const UndirectedTriads t = UndirectedTriadCounts(data, 1);
    EXPECT_EQ(t.total, triads.total);
    EXPECT_EQ(t.null, triads.null);
    EXPECT_EQ(t.one_edge, triads.one_edge);
    EXPECT_EQ(t.intransitive, triads.intransitive);
    EXPECT_EQ(t.transitive, triads.transitive);
    const DirectedTriplets p = CountDirectedTriplets(data, 1);
    EXPECT_EQ(p.total, triplets.total);
    EXPECT_EQ(p.transitive, triplets.transitive);
  }
}

TEST(NetworkDescriptivesTest, WithoutNetworksTheActorCountWritesNoRows) {
  // Nothing backs the number of actors then; a huge one must not turn into
  // a billion empty rows.
  DataDescription data = MakeNetworks({});
  data.num_actors = 1000000000;
  const std::vector<std::string> lines = Descriptives(data);
  for (const std::string& line : lines) EXPECT_NE(line.rfind("Actor", 0), 0U);
  EXPECT_TRUE(Contains(lines, "Indegree network   "));
}

TEST(NetworkDescriptivesTest, TriadLabelAtOutsideTheOrder) {
  EXPECT_EQ(TriadLabelAt(1), "003 ");
  EXPECT_EQ(TriadLabelAt(16), "300 ");
  EXPECT_EQ(TriadLabelAt(0), "----");
  EXPECT_EQ(TriadLabelAt(17), "----");
}

}  // namespace
}  // namespace kivo::tamsel
