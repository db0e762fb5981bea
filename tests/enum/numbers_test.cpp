#include "enum/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/support/enum_reference.h"
#include "tests/support/fake_env.h"

namespace kivo::enumeration {
namespace {

// Margins of a random 0-1 matrix (zero diagonal when `graph`), so that the
// totals are consistent and usually admit many matrices.
void RandomMargins(std::mt19937& gen, int n, int m, double density, bool graph, EnumTotals& rows,
                   EnumTotals& columns) {
  rows = {};
  columns = {};
  std::bernoulli_distribution cell(density);
  for (int r = 1; r <= n; ++r) {
    for (int c = 1; c <= m; ++c) {
      if (graph && r == c) continue;
      if (cell(gen)) {
        ++rows[static_cast<std::size_t>(r)];
        ++columns[static_cast<std::size_t>(c)];
      }
    }
  }
}

double Sukhatme(const EnumTotals& r, const EnumTotals& c, int k) {
  int error = -1;
  const double v = SukhatmeCount(r, c, k, CountingLimits{}, error);
  EXPECT_EQ(error, kCountOk);
  return v;
}

double KatzPowell(const EnumTotals& r, const EnumTotals& c, int m) {
  int error = -1;
  const double v = KatzPowellCount(r, c, m, CountingLimits{}, error);
  EXPECT_EQ(error, kCountOk);
  return v;
}

TEST(CountingFormulas, KnownCounts) {
  struct Case {
    const char* name;
    int k;
    EnumTotals rows;
    EnumTotals columns;
    double expected;
  };
  const Case cases[] = {
      {"3x3 totals 1", 3, Uniform(3, 1), Uniform(3, 1), 6},
      {"5x5 mixed totals", 5, Totals({3, 3, 2, 2, 1}), Totals({2, 3, 2, 3, 1}), 506},
      {"no matrix: 3,1,1 / 3,2,0", 3, Totals({3, 1, 1}), Totals({3, 2, 0}), 0},
      {"all zero", 4, Uniform(4, 0), Uniform(4, 0), 1},
      {"8x8 totals 2", 8, Uniform(8, 2), Uniform(8, 2), 187530840},
      {"7x7 totals 3", 7, Uniform(7, 3), Uniform(7, 3), 68938800},
      {"8x8 totals 3", 8, Uniform(8, 3), Uniform(8, 3), 24046189440.0},
      {"unequal sums", 3, Totals({1, 1, 1}), Totals({1, 1, 0}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Sukhatme(c.rows, c.columns, c.k), c.expected);
  }
}

TEST(CountingFormulas, DigraphCounts) {
  struct Case {
    const char* name;
    int m;
    EnumTotals out;
    EnumTotals in;
    double expected;
  };
  const Case cases[] = {
      {"3 vertices degree 1", 3, Uniform(3, 1), Uniform(3, 1), 2},
      {"3 vertices degree 2", 3, Uniform(3, 2), Uniform(3, 2), 1},
      {"4 vertices degree 2", 4, Uniform(4, 2), Uniform(4, 2), 9},
      {"5 vertices degree 1 (derangements)", 5, Uniform(5, 1), Uniform(5, 1), 44},
      {"5 vertices mixed", 5, Totals({3, 3, 2, 2, 1}), Totals({2, 3, 2, 3, 1}), 22},
      {"out 2,2,0 in 0,2,2", 3, Totals({2, 2, 0}), Totals({0, 2, 2}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KatzPowell(c.out, c.in, c.m), c.expected);
  }
}

TEST(CountingFormulas, BenderApproximation) {
  struct Case {
    const char* name;
    int n;
    EnumTotals rows;
    EnumTotals columns;
    bool digraph;
    double expected;
  };
  const Case cases[] = {
      {"3x3 totals 1", 3, Uniform(3, 1), Uniform(3, 1), false, 6},
      {"digraph 3 degree 1", 3, Uniform(3, 1), Uniform(3, 1), true, 2.2073},
      {"digraph 3 degree 2", 3, Uniform(3, 2), Uniform(3, 2), true, 0.9235},
      {"5x5 mixed", 5, Totals({3, 3, 2, 2, 1}), Totals({2, 3, 2, 3, 1}), false, 668.36},
      {"digraph 5 mixed", 5, Totals({3, 3, 2, 2, 1}), Totals({2, 3, 2, 3, 1}), true, 62.88},
      {"3,1,1 / 3,2,0", 3, Totals({3, 1, 1}), Totals({3, 2, 0}), false, 0.64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EnumProblem p;
    p.n = p.m = c.n;
    p.kind = c.digraph ? MatrixKind::kDirected : MatrixKind::kNoStructuralZeros;
    const EnumMatrix zeros = StructuralZerosOf(p);
    const double value = std::exp(BenderLogCount(c.n, c.n, c.rows, zeros, c.columns));
    EXPECT_NEAR(value, c.expected, 0.006 * c.expected);
  }
  EXPECT_EQ(BenderLogCount(3, 3, Uniform(3, 0), EnumMatrix{}, Uniform(3, 0)), 0);
  EXPECT_EQ(LogFactorial(0), 0);
  EXPECT_DOUBLE_EQ(LogFactorial(5), std::log(120.0));
}

// The grouped recursion against the subset-by-subset procedure, and both
// against the brute-force count, over random margins of many shapes.
TEST(CountingFormulas, ExactCountAgreesWithLiteralProcedure) {
  std::mt19937 gen(20261211);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 1 + static_cast<int>(gen() % 7);
    const int m = 1 + static_cast<int>(gen() % 7);
    const double density = 0.15 + 0.7 * static_cast<double>(gen() % 100) / 100.0;
    EnumTotals rows;
    EnumTotals columns;
    RandomMargins(gen, n, m, density, false, rows, columns);
    const int k = n > m ? n : m;
    SCOPED_TRACE("trial " + std::to_string(trial) + ": " + std::to_string(n) + "x" +
                 std::to_string(m));
    const double fast = Sukhatme(rows, columns, k);
    EXPECT_EQ(fast, LiteralSukhatmeCount(rows, columns, k));
    EXPECT_EQ(fast, Sukhatme(columns, rows, k));
    if (n * m <= 16) {
      EnumProblem p;
      p.n = n;
      p.m = m;
      p.row_totals = rows;
      p.column_totals = columns;
      EXPECT_EQ(fast, static_cast<double>(BruteForceEnumerate(p).matrices.size()));
    }
  }
}

// The count may be taken on the transposed or the complemented problem
// (totals k - r and k - c on the k x k matrix, zero lines included); the
// literal procedure on each form must give the count of the original.
TEST(CountingFormulas, TransposedAndComplementedProblemsCountTheSame) {
  std::mt19937 gen(31);
  for (int trial = 0; trial < 60; ++trial) {
    const int n = 2 + static_cast<int>(gen() % 5);
    const int m = 2 + static_cast<int>(gen() % 5);
    const int k = n > m ? n : m;
    EnumTotals rows;
    EnumTotals columns;
    RandomMargins(gen, n, m, trial % 2 == 0 ? 0.3 : 0.7, false, rows, columns);
    EnumTotals flipped_rows{};
    EnumTotals flipped_columns{};
    for (int t = 1; t <= k; ++t) {
      flipped_rows[static_cast<std::size_t>(t)] = k - rows[static_cast<std::size_t>(t)];
      flipped_columns[static_cast<std::size_t>(t)] = k - columns[static_cast<std::size_t>(t)];
    }
    SCOPED_TRACE("trial " + std::to_string(trial) + ": " + std::to_string(n) + "x" +
                 std::to_string(m));
    const double literal = LiteralSukhatmeCount(rows, columns, k);
    EXPECT_EQ(LiteralSukhatmeCount(columns, rows, k), literal);
    EXPECT_EQ(LiteralSukhatmeCount(flipped_rows, flipped_columns, k), literal);
    EXPECT_EQ(Sukhatme(flipped_rows, flipped_columns, k), literal);
    EXPECT_EQ(Sukhatme(flipped_columns, flipped_rows, k), literal);
  }
}

// A total larger than the number of lines across it admits no matrix, also
// when more than half the cells would be ones.
TEST(CountingFormulas, TotalBeyondTheOtherDimensionCountsNothing) {
  struct Case {
    EnumTotals rows;
    EnumTotals columns;
    int k;
  };
  const Case cases[] = {
      {Totals({4, 1, 0}), Totals({2, 2, 1}), 3},
      {Totals({2, 1}), Totals({3, 0}), 2},
      {Totals({3, 3, 3, 3}), Totals({5, 3, 2, 2}), 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("k = " + std::to_string(c.k));
    EXPECT_EQ(Sukhatme(c.rows, c.columns, c.k), 0.0);
    EXPECT_EQ(Sukhatme(c.columns, c.rows, c.k), 0.0);
    EXPECT_EQ(LiteralSukhatmeCount(c.rows, c.columns, c.k), 0.0);
  }
}

TEST(CountingFormulas, DigraphCountAgreesWithLiteralSumAndBruteForce) {
  std::mt19937 gen(7);
  for (int trial = 0; trial < 60; ++trial) {
    const int m = 3 + static_cast<int>(gen() % 4);
    const double density = 0.2 + 0.6 * static_cast<double>(gen() % 100) / 100.0;
    EnumTotals out;
    EnumTotals in;
    RandomMargins(gen, m, m, density, true, out, in);
    SCOPED_TRACE("trial " + std::to_string(trial) + ": m = " + std::to_string(m));
    const double fast = KatzPowell(out, in, m);
    EXPECT_EQ(fast, LiteralKatzPowellCount(out, in, m));
    if (m <= 5) {
      EnumProblem p;
      p.n = p.m = m;
      p.kind = MatrixKind::kDirected;
      p.row_totals = out;
      p.column_totals = in;
      EXPECT_EQ(fast, static_cast<double>(BruteForceEnumerate(p).matrices.size()));
    }
  }
}

TEST(CountingFormulas, LargestShapesFinishWithConsistentCounts) {
  // Transposing the totals reverses the roles of rows and states, so the two
  // runs share no intermediate state list.
  std::mt19937 gen(15);
  for (int trial = 0; trial < 2; ++trial) {
    EnumTotals rows;
    EnumTotals columns;
    RandomMargins(gen, 15, 15, 0.3 + 0.15 * trial, false, rows, columns);
    SCOPED_TRACE("trial " + std::to_string(trial));
    const double v = Sukhatme(rows, columns, 15);
    EXPECT_GT(v, 1e20);
    EXPECT_NEAR(Sukhatme(columns, rows, 15) / v, 1.0, 1e-12);
  }
  const double half = Sukhatme(Uniform(15, 7), Uniform(15, 7), 15);
  EXPECT_GT(half, 6.4e47);
  EXPECT_LT(half, 6.6e47);
}

TEST(CountingFormulas, GuardsStopWithCodeTwo) {
  int error = -1;
  CountingLimits tiny_memory;
  tiny_memory.state_bytes = 4096;
  EXPECT_EQ(SukhatmeCount(Uniform(10, 5), Uniform(10, 5), 10, tiny_memory, error), 0);
  EXPECT_EQ(error, kCountOutOfMemory);

  CountingLimits little_work;
  little_work.work_steps = 1000;
  EXPECT_EQ(KatzPowellCount(Uniform(8, 3), Uniform(8, 3), 8, little_work, error), 0);
  EXPECT_EQ(error, kCountOutOfMemory);

  CountingLimits few_terms;
  few_terms.max_terms = 3;
  KatzPowellCount(Totals({1, 2, 1, 2}), Totals({2, 1, 2, 1}), 4, few_terms, error);
  EXPECT_EQ(error, kCountOutOfMemory);

  // The default bounds still count a 12-vertex problem.
  EXPECT_GT(KatzPowell(Uniform(12, 3), Uniform(12, 3), 12), 1e20);
}

// Between "enough" and "far too little" lie budgets that hold one
// orientation of a problem but not both at once, and budgets that fail
// mid-row; each must give the exact count or code 2, never another number.
TEST(CountingFormulas, EveryMemoryBudgetGivesTheCountOrCodeTwo) {
  std::mt19937 gen(7);
  EnumTotals rows;
  EnumTotals columns;
  RandomMargins(gen, 12, 12, 0.45, false, rows, columns);
  const double exact = Sukhatme(rows, columns, 12);
  ASSERT_GT(exact, 1e20);
  int counted = 0;
  int stopped = 0;
  for (double budget = 4096; budget < 64e6; budget *= 1.25) {
    CountingLimits limits;
    limits.state_bytes = static_cast<std::size_t>(budget);
    int error = -1;
    const double value = SukhatmeCount(rows, columns, 12, limits, error);
    if (error == kCountOk) {
      EXPECT_EQ(value, exact) << "budget " << limits.state_bytes;
      ++counted;
    } else {
      EXPECT_EQ(error, kCountOutOfMemory) << "budget " << limits.state_bytes;
      EXPECT_EQ(value, 0);
      ++stopped;
    }
  }
  EXPECT_GT(counted, 0);
  EXPECT_GT(stopped, 0);
}

TEST(CountingFormulas, TotalsOutsideTheStoresFail) {
  struct Case {
    const char* name;
    int k;
    EnumTotals rows;
  };
  const Case cases[] = {
      {"negative total", 3, Totals({-1, 1, 1})},
      {"total above 15", 3, Totals({16, 1, 1})},
      {"more than 15 lines", 16, Uniform(15, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int error = -1;
    EXPECT_EQ(SukhatmeCount(c.rows, Uniform(3, 1), c.k, CountingLimits{}, error), 0);
    EXPECT_EQ(error, kCountFailed);
    EXPECT_EQ(KatzPowellCount(c.rows, Uniform(3, 1), c.k, CountingLimits{}, error), 0);
    EXPECT_EQ(error, kCountFailed);
  }
}

std::vector<std::string> PrintedLines(const EnumProblem& problem, const CountingLimits& limits) {
  ScopedTempDir dir;
  TextWriter log;
  EXPECT_TRUE(log.Create("counts.out").ok());
  PrintCountingFormulas(MakeInput(problem), limits, log);
  EXPECT_TRUE(log.Close().ok());
  return ReadLines("counts.out");
}

TEST(CountingFormulas, PrintedLines) {
  const std::string kBender = "Bender`s approximation for the total number of 0-1 matrices";
  const std::string kValid = "  (valid for large and sparse matrices...).";
  EnumProblem rectangular;
  rectangular.n = rectangular.m = 3;
  rectangular.row_totals = rectangular.column_totals = Uniform(3, 1);
  EnumProblem digraph = rectangular;
  digraph.kind = MatrixKind::kDirected;
  digraph.katz_powell = true;
  EnumProblem fixed = digraph;
  fixed.fix_mutuals = true;
  EnumProblem not_requested = digraph;
  not_requested.katz_powell = false;
  EnumProblem undirected = rectangular;
  undirected.kind = MatrixKind::kUndirected;
  undirected.katz_powell = true;
  EnumProblem pattern = rectangular;
  pattern.kind = MatrixKind::kStructuralPattern;
  EnumProblem impossible = rectangular;
  impossible.row_totals = Totals({3, 1, 1});
  impossible.column_totals = Totals({3, 2, 0});

  struct Case {
    const char* name;
    EnumProblem problem;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"no structural zeros",
       rectangular,
       {"", "The number of 0-1 matrices satisfying these constraints,",
        "calculated by Sukhatme`s formula, is        6    .", "", kBender,
        "with these marginal sums is                    6" + kValid}},
      {"no matrix exists",
       impossible,
       {"", "The number of 0-1 matrices satisfying these constraints,",
        "calculated by Sukhatme`s formula, is        0    .", "", kBender,
        "with these marginal sums is                    1" + kValid}},
      {"digraph with the count requested",
       digraph,
       {"", kBender, "with these marginal sums is                    2" + kValid,
        "The total number of digraphs for these degrees,",
        "calculated by the Katz & Powell formula, is        2    ."}},
      {"digraph, count not requested",
       not_requested,
       {"", kBender, "with these marginal sums is                    2" + kValid}},
      {"digraph with fixed mutual dyads",
       fixed,
       {"", kBender, "with these marginal sums is                    2" + kValid}},
      {"undirected graph", undirected, {}},
      {"general pattern", pattern, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PrintedLines(c.problem, CountingLimits{}), c.lines);
  }
}

TEST(CountingFormulas, PrintedLinesWhenAGuardStops) {
  EnumProblem digraph;
  digraph.n = digraph.m = 6;
  digraph.kind = MatrixKind::kDirected;
  digraph.katz_powell = true;
  digraph.row_totals = digraph.column_totals = Uniform(6, 2);
  EnumProblem rectangular = digraph;
  rectangular.kind = MatrixKind::kNoStructuralZeros;
  CountingLimits limits;
  limits.work_steps = 10;
  limits.state_bytes = 64;

  const std::vector<std::string> digraph_lines = PrintedLines(digraph, limits);
  ASSERT_EQ(digraph_lines.size(), 6u);
  EXPECT_EQ(digraph_lines[3], "");
  EXPECT_EQ(digraph_lines[4],
            "Request to calculate the total number of digraphs by Katz & Powell formula:");
  EXPECT_EQ(digraph_lines[5], "sorry - not possible because of insufficient memory (code 2).");

  // The exact count is left out; Bender's approximation is still printed.
  const std::vector<std::string> rectangular_lines = PrintedLines(rectangular, limits);
  ASSERT_EQ(rectangular_lines.size(), 3u);
  EXPECT_EQ(rectangular_lines[1], "Bender`s approximation for the total number of 0-1 matrices");
}

}  // namespace
}  // namespace kivo::enumeration
