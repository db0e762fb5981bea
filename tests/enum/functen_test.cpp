#include "enum/functen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace kivo::enumeration {
namespace {

// Builds a matrix from rows of '0'/'1' characters.
EnumMatrix FromRows(const std::vector<std::string>& rows) {
  EnumMatrix matrix{};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      matrix[r + 1][c + 1] = rows[r][c] == '1' ? 1 : 0;
    }
  }
  return matrix;
}

StatisticsSetup Shape(int n, int m, int version, bool undirected = false,
                      bool connected_only = false) {
  return MakeStatisticsSetup(n, m, undirected, connected_only, version);
}

// The tree's view of a complete matrix: the two-path counts gathered cell by
// cell in scan order (rows ascending, columns descending) and the mutual
// dyads counted over the pairs.
void TreeCounts(const EnumMatrix& matrix, const StatisticsSetup& setup, std::int32_t& mutual_count,
                PrimaryValues& primary) {
  primary = PrimaryValues{};
  mutual_count = 0;
  for (int i = 1; i <= setup.n; ++i) {
    for (int j = setup.m; j >= 1; --j) {
      AddTransitivity(matrix, setup, i, j, primary);
      if (setup.n == setup.m && j < i && matrix[i][j] == 1 && matrix[j][i] == 1) ++mutual_count;
    }
  }
}

// Leading eigenvector of a symmetric non-negative matrix by plain power
// iteration to full convergence, scaled to unit length.
std::vector<double> LeadingEigenvector(const std::vector<std::vector<double>>& a) {
  const std::size_t n = a.size();
  std::vector<double> x(n, 1.0);
  for (int step = 0; step < 20000; ++step) {
    std::vector<double> y(n, 0.0);
    double length = 0;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < n; ++j) y[i] += a[i][j] * x[j];
      length += y[i] * y[i];
    }
    length = std::sqrt(length);
    if (length == 0) return std::vector<double>(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) x[i] = y[i] / length;
  }
  return x;
}

TEST(FunctenTest, CountsOfVersionsAndStatistics) {
  EXPECT_EQ(VersionCount(4, 4), 3);
  EXPECT_EQ(VersionCount(4, 5), 2);
  EXPECT_EQ(StatisticCount(1, 7), 4);
  EXPECT_EQ(StatisticCount(2, 7), 7);
  EXPECT_EQ(StatisticCount(3, 7), 4);
  EXPECT_EQ(StatisticCount(4, 7), 0);
  EXPECT_EQ(PrimaryCount(), 2);
  EXPECT_EQ(Shape(5, 5, 2).numf, 5);
  EXPECT_EQ(Shape(3, 3, 1).actor_repetitions, 19);  // 3^19 < 2.147e9 < 3^20
}

TEST(FunctenTest, Labels) {
  struct Case {
    StatisticsSetup setup;
    int k;
    bool note;
    const char* expected;
  };
  const Case cases[] = {
      {Shape(4, 4, 1), 1, true, "Number of mutual dyads"},
      {Shape(4, 4, 1, true, false), 1, true, "Connectivity (yes = 1, no = 0)"},
      {Shape(4, 4, 1, true, true), 1, true, "Number of mutual dyads"},
      {Shape(4, 4, 1), 2, true, "# of transitive relations in triads "},
      {Shape(4, 4, 1), 3, false, "# of intransitive relations in triads "},
      {Shape(4, 4, 1), 4, true, "100 * #trans / (#trans + #intrans) (rounded to integer)"},
      {Shape(4, 4, 1), 4, false, "100 * #trans / (#trans + #intrans)"},
      {Shape(12, 12, 2), 12, false, "100 * eigenvector power index actor 12"},
      {Shape(12, 12, 2), 3, true, "100 * eigenvector power index actor 3 (rounded to integer)"},
      {Shape(4, 4, 3), 1, true, "Element (1,1)"},
      {Shape(4, 4, 3), 2, true, "Element (1,2)"},
      {Shape(4, 4, 3), 3, true, "Matches of rows 1 and 2 ( = Sum_(j) Y_{1j} Y_{2j} )"},
      {Shape(4, 4, 3), 4, true, "Matches of columns 1 and 2 ( = Sum_(i) Y_{i1} Y_{i2} )"},
      {Shape(4, 5, 1), 3, true, "Matches of rows 1 and 2 ( = Sum_(j) Y_{1j} Y_{2j} )"},
      {Shape(4, 5, 2), 1, true, "100 * Eigenvector power index of column   1 (rounded to integer)"},
      {Shape(4, 12, 2), 12, false, "100 * Eigenvector power index of column  12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(StatisticLabel(c.setup, c.k, c.note), c.expected);
  }
}

TEST(FunctenTest, TransitivityAndMutuals) {
  struct Case {
    std::vector<std::string> rows;
    std::int32_t mutuals, transitive, intransitive, percent;
  };
  const Case cases[] = {
      // 1 -> 2, 2 -> 3, 1 -> 3: one transitive triple, added by cell (3, 1).
      {{"011", "001", "000"}, 0, 1, 0, 100},
      // 1 <-> 2, 2 -> 3: the path 1 -> 2 -> 3 is open; 2 -> 1 -> 2 returns to its start.
      {{"010", "101", "000"}, 1, 0, 1, 0},
      // no two-path at all
      {{"010", "000", "000"}, 0, 0, 0, 0},
      // loops on the diagonal never enter the counts
      {{"111", "011", "001"}, 0, 1, 0, 100},
      // the directed 3-cycle: three open two-paths
      {{"010", "001", "100"}, 0, 0, 3, 0},
      // complete digraph on 3 vertices: every two-path closed
      {{"011", "101", "110"}, 3, 6, 0, 100},
      // one closed and two open paths: 33.33 rounds to 33
      {{"0110", "0010", "0001", "0000"}, 0, 1, 2, 33},
      // two closed paths and one open: 66.67 rounds to 67
      {{"0110", "0011", "0000", "0010"}, 0, 2, 1, 67},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows[0] + "/" + c.rows[1] + "/" + c.rows[2]);
    const EnumMatrix matrix = FromRows(c.rows);
    const int n = static_cast<int>(c.rows.size());
    const StatisticsSetup setup = Shape(n, n, 1);
    IntValues ints{};
    RealValues reals{};
    EvaluateObserved(matrix, setup, ints, reals);
    EXPECT_EQ(ints[1], c.mutuals);
    EXPECT_EQ(ints[2], c.transitive);
    EXPECT_EQ(ints[3], c.intransitive);
    EXPECT_EQ(ints[4], c.percent);
    std::int32_t mutual_count = 0;
    PrimaryValues primary{};
    TreeCounts(matrix, setup, mutual_count, primary);
    EXPECT_EQ(primary[1], c.transitive);
    EXPECT_EQ(primary[2], c.intransitive);
  }
}

TEST(FunctenTest, RectangularMatricesHaveNoTransitivity) {
  const EnumMatrix matrix = FromRows({"0110", "0010", "0001"});
  PrimaryValues primary{};
  AddTransitivity(matrix, Shape(3, 4, 1), 3, 1, primary);
  EXPECT_EQ(primary[1], 0);
  EXPECT_EQ(primary[2], 0);
}

TEST(FunctenTest, ConnectivityIndicatorOfUndirectedGraphs) {
  const EnumMatrix two_edges = FromRows({"0100", "1000", "0001", "0010"});
  const EnumMatrix path = FromRows({"0100", "1010", "0101", "0010"});
  IntValues ints{};
  RealValues reals{};
  EvaluateObserved(two_edges, Shape(4, 4, 1, true, false), ints, reals);
  EXPECT_EQ(ints[1], 0);
  EvaluateObserved(path, Shape(4, 4, 1, true, false), ints, reals);
  EXPECT_EQ(ints[1], 1);
  EXPECT_EQ(reals[1], 1.0);
  // Restricted to connected graphs, statistic 1 counts the edges.
  EvaluateObserved(path, Shape(4, 4, 1, true, true), ints, reals);
  EXPECT_EQ(ints[1], 3);
}

TEST(FunctenTest, IsConnected) {
  struct Case {
    std::vector<std::string> rows;
    bool undirected;
    bool expected;
  };
  const Case cases[] = {
      {{"010", "001", "000"}, false, true},  // a directed path is weakly connected
      {{"010", "001", "000"}, true, false},  // but 3 cannot reach 1
      {{"010", "001", "100"}, true, true},   // a cycle reaches everything
      {{"0100", "1000", "0001", "0010"}, false, false},
      {{"0001", "0000", "0000", "0110"}, false, true},
      {{"0"}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows[0] + "/" + c.rows[1 % c.rows.size()]);
    EXPECT_EQ(IsConnected(FromRows(c.rows), static_cast<int>(c.rows.size()), c.undirected),
              c.expected);
  }
}

TEST(FunctenTest, ElementAndMatchStatistics) {
  // Columns 1 and 2 are both 1 in three rows.
  const EnumMatrix matrix = FromRows({"1101", "1100", "1110", "0011"});
  IntValues ints{};
  RealValues reals{};
  EvaluateObserved(matrix, Shape(4, 4, 3), ints, reals);
  EXPECT_EQ(ints[1], 1);
  EXPECT_EQ(ints[2], 1);
  EXPECT_EQ(ints[3], 2);  // rows 1 and 2 share columns 1 and 2
  EXPECT_EQ(ints[4], 3);
  EXPECT_EQ(reals[4], 3.0);
  // A rectangular matrix has the same four as its version 1.
  const EnumMatrix wide = FromRows({"01101", "11100", "10000"});
  EvaluateObserved(wide, Shape(3, 5, 1), ints, reals);
  EXPECT_EQ(ints[1], 0);
  EXPECT_EQ(ints[2], 1);
  EXPECT_EQ(ints[3], 2);
  EXPECT_EQ(ints[4], 1);
}

TEST(FunctenTest, ActorEigenvectorIndex) {
  // Without arcs every actor gets 1/sqrt(n): 50 for n = 4.
  IntValues ints{};
  RealValues reals{};
  EvaluateObserved(EnumMatrix{}, Shape(4, 4, 2), ints, reals);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(ints[k], 50);
    EXPECT_NEAR(reals[k], 50.0, 1e-9);
  }
  // A star with a tail, arcs in one direction only (the index symmetrises).
  const std::vector<std::string> rows = {"01110", "00000", "00001", "00000", "00000"};
  EvaluateObserved(FromRows(rows), Shape(5, 5, 2), ints, reals);
  std::vector<std::vector<double>> a(5, std::vector<double>(5, 0.0));
  for (std::size_t i = 0; i < 5; ++i) {
    for (std::size_t j = 0; j < 5; ++j) {
      a[i][j] = (i == j || rows[i][j] == '1' || rows[j][i] == '1') ? 1.0 : 0.0;
    }
  }
  const std::vector<double> expected = LeadingEigenvector(a);
  for (std::size_t k = 1; k <= 5; ++k) {
    EXPECT_NEAR(reals[k], 100 * expected[k - 1], 1e-3);
    EXPECT_EQ(ints[k], static_cast<std::int32_t>(std::nearbyint(reals[k])));
  }
}

TEST(FunctenTest, ColumnEigenvectorIndex) {
  const std::vector<std::string> rows = {"1100", "1110", "0011"};
  IntValues ints{};
  RealValues reals{};
  EvaluateObserved(FromRows(rows), Shape(3, 4, 2), ints, reals);
  std::vector<std::vector<double>> c(4, std::vector<double>(4, 0.0));
  for (std::size_t k = 0; k < 4; ++k) {
    for (std::size_t l = 0; l < 4; ++l) {
      for (const std::string& row : rows) c[k][l] += (row[k] == '1' && row[l] == '1') ? 1 : 0;
    }
  }
  const std::vector<double> expected = LeadingEigenvector(c);
  for (std::size_t k = 1; k <= 4; ++k) EXPECT_NEAR(reals[k], 100 * expected[k - 1], 1e-3);
  // No column has a 1: no leading direction, every index is 0 (never NaN).
  EvaluateObserved(EnumMatrix{}, Shape(3, 4, 2), ints, reals);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(ints[k], 0);
    EXPECT_EQ(reals[k], 0.0);
  }
}

// The tree's incremental counts give exactly what the direct evaluation of
// the observed matrix gives, over random matrices of every shape and version.
TEST(FunctenTest, ObservedAgreesWithEnumeratedOnRandomMatrices) {
  std::mt19937 random(20261211);
  for (int trial = 0; trial < 600; ++trial) {
    const int n = 3 + static_cast<int>(random() % 13);
    const bool square = trial % 3 != 0;
    const int m = square ? n : 3 + static_cast<int>(random() % 13);
    const int version = 1 + static_cast<int>(random() % static_cast<unsigned>(VersionCount(n, m)));
    const bool undirected = square && trial % 5 == 1;
    const bool connected_only = trial % 7 == 2;
    const double density = 0.1 + 0.8 * static_cast<double>(random() % 100) / 100.0;
    EnumMatrix matrix{};
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= m; ++j) {
        const bool one = static_cast<double>(random() % 1000) < 1000 * density;
        matrix[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = one ? 1 : 0;
      }
    }
    SCOPED_TRACE("trial " + std::to_string(trial));
    const StatisticsSetup setup = MakeStatisticsSetup(n, m, undirected, connected_only, version);
    IntValues observed_ints{};
    RealValues observed_reals{};
    EvaluateObserved(matrix, setup, observed_ints, observed_reals);
    std::int32_t mutual_count = 0;
    PrimaryValues primary{};
    TreeCounts(matrix, setup, mutual_count, primary);
    IntValues ints{};
    RealValues reals{};
    EvaluateEnumerated(matrix, mutual_count, primary, setup, ints, reals);
    for (int k = 1; k <= setup.numf; ++k) {
      EXPECT_EQ(ints[static_cast<std::size_t>(k)], observed_ints[static_cast<std::size_t>(k)]);
      EXPECT_EQ(reals[static_cast<std::size_t>(k)], observed_reals[static_cast<std::size_t>(k)]);
    }
  }
}

}  // namespace
}  // namespace kivo::enumeration
