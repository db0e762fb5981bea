#include "sim/simul.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "sim/rand3.h"
#include "tests/support/fake_env.h"
#include "tests/support/matrix_enumeration.h"
#include "tests/support/simul_reference.h"

namespace kivo::sim {
namespace {

ModeFlags Flags(int mode) {
  std::string message;
  ModeFlags flags = DecodeMode(mode, message);
  EXPECT_EQ(message, "") << mode;
  return flags;
}

SamplerProblem Problem(int mode, const std::vector<int>& rows, const std::vector<int>& cols,
                       std::int32_t mutuals = 0) {
  SamplerProblem p;
  p.mode = Flags(mode);
  p.f = static_cast<int>(rows.size());
  p.g = static_cast<int>(cols.empty() ? rows.size() : cols.size());
  for (int i = 1; i <= p.f; ++i) p.row_totals[i] = static_cast<std::uint8_t>(rows[i - 1]);
  for (int j = 1; j <= p.g; ++j) {
    p.column_totals[j] = static_cast<std::uint8_t>(cols.empty() ? rows[j - 1] : cols[j - 1]);
  }
  if (p.mode.square) {
    for (int i = 1; i <= p.f; ++i) SetCell(p.structural_zeros, i, i, 1);
  }
  p.mutuals = mutuals;
  return p;
}

// A feasible problem of the mode: the totals (and mutual count) of a random
// matrix that respects the mode's structural zeros.
SamplerProblem RandomProblem(int mode, std::mt19937& gen, int max_size) {
  std::uniform_int_distribution<int> size(3, max_size);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  SamplerProblem p;
  p.mode = Flags(mode);
  p.f = size(gen);
  p.g = p.mode.square ? p.f : size(gen);
  const double density = 0.1 + 0.6 * unit(gen);
  if (p.mode.square) {
    for (int i = 1; i <= p.f; ++i) SetCell(p.structural_zeros, i, i, 1);
  } else if (p.mode.general_structural_zeros) {
    for (int i = 1; i <= p.f; ++i) {
      for (int j = 1; j <= p.g; ++j) {
        if (unit(gen) < 0.2) SetCell(p.structural_zeros, i, j, 1);
      }
    }
  }
  BinaryMatrix m{};
  for (int i = 1; i <= p.f; ++i) {
    for (int j = p.mode.undirected ? i + 1 : 1; j <= p.g; ++j) {
      if (GetCell(p.structural_zeros, i, j) == 1 || unit(gen) >= density) continue;
      SetCell(m, i, j, 1);
      if (p.mode.undirected) SetCell(m, j, i, 1);
    }
  }
  for (int i = 1; i <= p.f; ++i) {
    for (int j = 1; j <= p.g; ++j) {
      if (GetCell(m, i, j) == 0) continue;
      ++p.row_totals[i];
      ++p.column_totals[j];
    }
  }
  if (p.mode.fixed_mutuals) {
    // Mostly the matrix's own count; now and then one that may be infeasible.
    const int own = CountMutualDyads(m, p.f);
    const int pick = std::uniform_int_distribution<int>(0, 5)(gen);
    p.mutuals = pick == 0 ? 0 : pick == 1 ? own + 1 : own;
  }
  return p;
}

TEST(CellProbabilityTest, Cases) {
  struct Case {
    int a, b, c, d, e, m;
    double p;
    bool failed;
  };
  const Case cases[] = {
      {1, 2, 1, 2, 1, 2, 0.5, false},  // the 2 x 2 table with all totals 1
      {1, 3, 2, 3, 1, 3, 0.5, false},  // odds (1/2) * 2 * 1
      {1, 4, 1, 4, 1, 4, 0.1, false},  // odds (1/3) * (1/3) * 1: p = 1/10
      {0, 2, 1, 2, 1, 2, 0.0, false},  // the row needs no more ones
      {0, 2, 1, 2, 1, 1, 0.0, true},   // x = 0 and y = 1: no odds at all
      {1, 1, 1, 1, 2, 1, 0.0, true},   // x = y = 1 and z = 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.a << " " << c.b << " " << c.c << " " << c.d << " " << c.e << " " << c.m);
    bool failed = false;
    const double p = CellProbability(c.a, c.b, c.c, c.d, c.e, c.m, failed);
    EXPECT_EQ(failed, c.failed);
    EXPECT_NEAR(p, c.p, 1e-15);
  }
}

TEST(DecodeModeTest, ImplementedModes) {
  struct Case {
    int mode;
    bool digraph, undirected, fixed, square, molloy_reed, general_zeros;
  };
  const Case cases[] = {
      {1, false, false, false, false, false, false}, {4, false, false, false, false, false, true},
      {12, true, false, false, true, false, false},  {13, false, true, false, true, false, false},
      {15, true, false, true, true, false, false},   {101, false, false, false, false, true, false},
      {113, false, true, false, true, true, false},  {115, true, false, true, true, true, false},
      {2, true, false, false, false, false, false},  {5, true, false, true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    std::string message;
    const ModeFlags flags = DecodeMode(c.mode, message);
    EXPECT_EQ(message, "");
    EXPECT_EQ(flags.digraph, c.digraph);
    EXPECT_EQ(flags.undirected, c.undirected);
    EXPECT_EQ(flags.fixed_mutuals, c.fixed);
    EXPECT_EQ(flags.square, c.square);
    EXPECT_EQ(flags.molloy_reed, c.molloy_reed);
    EXPECT_EQ(flags.general_structural_zeros, c.general_zeros);
  }
}

TEST(DecodeModeTest, RefusedModes) {
  struct Case {
    int mode;
    const char* message;
  };
  const Case cases[] = {
      {0, "Mode 0 less than 1; not implemented."},
      {100, "Mode 100 not implemented."},
      {6, "Mode 6 not implemented."},
      {11, "Mode 11 not implemented."},
      {14, "Mode 14 not implemented."},
      {116, "Mode 116 not implemented."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    std::string message;
    DecodeMode(c.mode, message);
    EXPECT_EQ(message, c.message);
  }
}

// The production sampler must make exactly the same constructions as the
// literal one: same success, matrix, weight and uniforms consumed.
TEST(SamplerDifferentialTest, MatchesLiteralSamplerInEveryMode) {
  const int modes[] = {1, 4, 12, 13, 15, 101, 104, 112, 113, 115};
  for (int mode : modes) {
    std::mt19937 gen(static_cast<unsigned>(mode) * 7919u);
    for (int problem_index = 0; problem_index < 40; ++problem_index) {
      const int max_size = problem_index < 30 ? 8 : 22;
      const SamplerProblem problem = RandomProblem(mode, gen, max_size);
      SCOPED_TRACE(testing::Message() << "mode " << mode << " problem " << problem_index << " f "
                                      << problem.f << " g " << problem.g);
      SamplerState fast;
      ReferenceSampler literal;
      const std::string message = SetupSampler(problem, fast);
      ASSERT_EQ(message, literal.Setup(problem));
      if (!message.empty()) continue;
      Rand3 fast_rand;
      Rand3 literal_rand;
      SetSeed(fast_rand, 1000 + problem_index);
      SetSeed(literal_rand, 1000 + problem_index);
      const auto uniform = [&literal_rand] { return NextUniform(literal_rand); };
      const double k = 1.7;
      for (int attempt = 0; attempt < 30; ++attempt) {
        const bool normalisation = attempt < 10;
        double fast_weight = -1;
        double literal_weight = -2;
        const bool fast_ok = AttemptMatrix(fast, fast_rand, normalisation, k, fast_weight);
        const bool literal_ok = literal.Attempt(uniform, normalisation, k, literal_weight);
        ASSERT_EQ(fast_ok, literal_ok) << "attempt " << attempt;
        if (!fast_ok) continue;
        ASSERT_EQ(fast_weight, literal_weight) << "attempt " << attempt;
        ASSERT_EQ(MutualDyads(fast), literal.mutual_dyads());
        for (int i = 1; i <= problem.f; ++i) {
          for (int j = 1; j <= problem.g; ++j) {
            ASSERT_EQ(GetCell(fast.values, i, j), GetCell(literal.values(), i, j))
                << "attempt " << attempt << " cell " << i << "," << j;
          }
        }
      }
      EXPECT_EQ(NextUniform(fast_rand), NextUniform(literal_rand)) << "uniforms consumed";
    }
  }
}

std::uint64_t Encode(const BinaryMatrix& m, int f, int g) {
  std::uint64_t code = 0;
  for (int i = 1; i <= f; ++i) {
    for (int j = 1; j <= g; ++j) code = (code << 1) | GetCell(m, i, j);
  }
  return code;
}

// Three statistics of a matrix whose exact means the tests compute.
std::vector<double> Statistics(const BinaryMatrix& m, int f, int g) {
  double matches = 0;
  for (int j = 1; j <= g; ++j) matches += GetCell(m, 1, j) * GetCell(m, 2, j);
  const double third = f == g ? CountMutualDyads(m, f) : GetCell(m, 1, 1) * GetCell(m, f, g);
  return {static_cast<double>(GetCell(m, 1, 2)), matches, third};
}

// Weighted means over the sampler's draws lie within 4 standard errors of the
// exact means over all matrices of the problem, and every draw is one of them.
TEST(SamplerUnbiasednessTest, EstimatesMatchExactMeans) {
  struct Case {
    const char* name;
    int mode;
    std::vector<int> rows;
    std::vector<int> cols;
    int mutuals;
    std::vector<std::pair<int, int>> zeros;
  };
  const Case cases[] = {
      {"4 x 4 table", 1, {2, 1, 2, 1}, {1, 2, 2, 1}, 0, {}},
      {"5 x 5 table", 1, {2, 3, 1, 2, 2}, {3, 2, 2, 1, 2}, 0, {}},
      {"4 x 5 with zeros", 4, {2, 3, 1, 2}, {2, 1, 2, 2, 1}, 0, {{1, 1}, {2, 3}, {3, 5}, {4, 2}}},
      {"digraph 5", 12, {2, 1, 2, 1, 2}, {1, 2, 2, 2, 1}, 0, {}},
      {"digraph 5, M = 2", 15, {2, 1, 2, 1, 2}, {1, 2, 2, 2, 1}, 2, {}},
      {"digraph 5, M = 0", 15, {2, 2, 1, 2, 1}, {2, 1, 2, 1, 2}, 0, {}},
      {"digraph 4, M = 1", 15, {2, 1, 2, 2}, {2, 2, 1, 2}, 1, {}},
      {"graph 6", 13, {2, 2, 3, 1, 2, 2}, {}, 0, {}},
      {"Molloy-Reed digraph 5", 112, {2, 1, 2, 1, 2}, {1, 2, 2, 2, 1}, 0, {}},
      {"Molloy-Reed graph 6", 113, {2, 2, 3, 1, 2, 2}, {}, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SamplerProblem problem = Problem(c.mode, c.rows, c.cols, c.mutuals);
    for (auto [i, j] : c.zeros) SetCell(problem.structural_zeros, i, j, 1);
    std::set<std::uint64_t> all;
    std::vector<double> exact(3, 0.0);
    const std::int64_t count = EnumerateMatrices(problem, [&](const BinaryMatrix& m) {
      all.insert(Encode(m, problem.f, problem.g));
      const std::vector<double> t = Statistics(m, problem.f, problem.g);
      for (int k = 0; k < 3; ++k) exact[k] += t[k];
    });
    ASSERT_GT(count, 1);
    for (double& e : exact) e /= static_cast<double>(count);

    for (int seed : {11, 222, 3333}) {
      SCOPED_TRACE(seed);
      SamplerState state;
      ASSERT_EQ(SetupSampler(problem, state), "");
      Rand3 rand;
      SetSeed(rand, seed);
      const int draws = 3000;
      double sw = 0;
      std::vector<double> swt(3, 0.0);
      std::vector<double> weights;
      std::vector<std::vector<double>> values;
      for (int n = 0; n < draws; ++n) {
        double w = 0;
        while (!AttemptMatrix(state, rand, false, 1.0, w)) {
        }
        ASSERT_TRUE(all.count(Encode(state.values, problem.f, problem.g)) == 1)
            << "draw " << n << " is not a matrix of the problem";
        weights.push_back(w);
        values.push_back(Statistics(state.values, problem.f, problem.g));
        sw += w;
        for (int k = 0; k < 3; ++k) swt[k] += w * values.back()[k];
      }
      for (int k = 0; k < 3; ++k) {
        const double estimate = swt[k] / sw;
        double squares = 0;
        for (int n = 0; n < draws; ++n) {
          const double dev = weights[n] * (values[n][k] - estimate);
          squares += dev * dev;
        }
        const double se = std::sqrt(squares) / sw;
        EXPECT_LE(std::abs(estimate - exact[k]), 4 * se + 1e-9)
            << "statistic " << k << " estimate " << estimate << " exact " << exact[k];
      }
    }
  }
}

TEST(SamplerEdgeTest, FullyForcedProblemHasWeightOne) {
  struct Case {
    const char* name;
    SamplerProblem problem;
  };
  const Case cases[] = {
      {"every row full", Problem(1, {4, 4, 4}, {3, 3, 3, 3})},
      {"complete digraph with M = 3", Problem(15, {2, 2, 2}, {2, 2, 2}, 3)},
      {"complete graph", Problem(13, {3, 3, 3, 3}, {})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SamplerState state;
    ASSERT_EQ(SetupSampler(c.problem, state), "");
    Rand3 rand;
    SetSeed(rand, 5);
    Rand3 untouched = rand;
    double w = -1;
    ASSERT_TRUE(AttemptMatrix(state, rand, true, 0.0, w));
    EXPECT_EQ(w, 0.0);  // log of the inverse probability 1: K = exp(0) = 1
    ASSERT_TRUE(AttemptMatrix(state, rand, false, 1.0, w));
    EXPECT_EQ(w, 1.0);
    EXPECT_EQ(NextUniform(rand), NextUniform(untouched)) << "a forced matrix draws nothing";
    for (int i = 1; i <= c.problem.f; ++i) {
      for (int j = 1; j <= c.problem.g; ++j) {
        EXPECT_EQ(GetCell(state.values, i, j), GetCell(c.problem.structural_zeros, i, j) ? 0 : 1);
      }
    }
  }
}

TEST(SamplerEdgeTest, TwoByTwoDrawsEachMatrixWithHalfProbability) {
  const SamplerProblem problem = Problem(1, {1, 1}, {1, 1});
  SamplerState state;
  ASSERT_EQ(SetupSampler(problem, state), "");
  Rand3 rand;
  SetSeed(rand, 77);
  double k = 0;
  for (int n = 0; n < 10; ++n) {
    double w = 0;
    ASSERT_TRUE(AttemptMatrix(state, rand, true, 0.0, w));
    EXPECT_DOUBLE_EQ(w, std::log(2.0));
    k += w;
  }
  k = std::exp(k / (10.0 * (problem.f - 1)));
  EXPECT_DOUBLE_EQ(k, 2.0);
  int diagonal = 0;
  for (int n = 0; n < 200; ++n) {
    double w = 0;
    ASSERT_TRUE(AttemptMatrix(state, rand, false, k, w));
    EXPECT_DOUBLE_EQ(w, 1.0);
    EXPECT_EQ(GetCell(state.values, 1, 1), GetCell(state.values, 2, 2));
    EXPECT_NE(GetCell(state.values, 1, 1), GetCell(state.values, 1, 2));
    diagonal += GetCell(state.values, 1, 1);
  }
  EXPECT_GT(diagonal, 70);
  EXPECT_LT(diagonal, 130);
}

TEST(SamplerEdgeTest, SetupRefusals) {
  struct Case {
    const char* name;
    SamplerProblem problem;
    const char* message;
  };
  SamplerProblem blocked = Problem(4, {2, 1}, {1, 1, 1});
  SetCell(blocked.structural_zeros, 1, 1, 1);
  SetCell(blocked.structural_zeros, 1, 2, 1);
  SamplerProblem column = Problem(12, {1, 1, 1}, {3, 0, 0});
  const Case cases[] = {
      {"row does not fit", blocked, "A row total is impossible."},
      {"column does not fit", column, "A column total is impossible."},
      // Row 1 needs both columns, but column 2 takes no one.
      {"contradiction", Problem(1, {2, 0, 0}, {2, 0}),
       "There is no adjacency matrix subject to these restrictions."},
      {"too many mutuals", Problem(15, {1, 1, 1}, {1, 1, 1}, 2),
       "There is no adjacency matrix subject to these restrictions."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SamplerState state;
    EXPECT_EQ(SetupSampler(c.problem, state), c.message);
  }
}

// The totals of a digraph on n vertices whose first dyads in a shuffled order
// are m mutual ones and the next a asymmetric ones.
SamplerProblem DigraphWithMutuals(int n, int m, int a, unsigned seed) {
  std::vector<std::pair<int, int>> dyads;
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) dyads.push_back({i, j});
  }
  std::mt19937 gen(seed);
  std::shuffle(dyads.begin(), dyads.end(), gen);
  std::vector<int> out(static_cast<std::size_t>(n), 0);
  std::vector<int> in(static_cast<std::size_t>(n), 0);
  for (int k = 0; k < m + a; ++k) {
    auto [i, j] = dyads[static_cast<std::size_t>(k)];
    if (k >= m && gen() % 2 == 0) std::swap(i, j);
    ++out[static_cast<std::size_t>(i - 1)];
    ++in[static_cast<std::size_t>(j - 1)];
    if (k < m) {
      ++out[static_cast<std::size_t>(j - 1)];
      ++in[static_cast<std::size_t>(i - 1)];
    }
  }
  return Problem(15, out, in, m);
}

TEST(SamplerMutualsTest, EveryDrawHasThePrescribedDyadCounts) {
  struct Case {
    int n, m, a;
  };
  const Case cases[] = {{7, 0, 9}, {7, 1, 6}, {7, 3, 8}, {8, 5, 4}, {12, 6, 20}, {6, 10, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " M " << c.m);
    const SamplerProblem problem =
        DigraphWithMutuals(c.n, c.m, c.a, static_cast<unsigned>(c.n * 100 + c.m));
    SamplerState state;
    ASSERT_EQ(SetupSampler(problem, state), "");
    Rand3 rand;
    SetSeed(rand, 99 + c.m);
    for (int n = 0; n < 100; ++n) {
      double w = 0;
      int attempts = 0;
      while (!AttemptMatrix(state, rand, false, 1.0, w)) ASSERT_LT(++attempts, 100000);
      EXPECT_EQ(CountMutualDyads(state.values, problem.f), c.m);
      EXPECT_EQ(state.counts.dyad.mutual, c.m);
      EXPECT_EQ(state.counts.dyad.asym, state.counts.dyad.asym_needed);
      EXPECT_EQ(state.counts.dyad.null, state.counts.dyad.null_needed);
    }
  }
}

TEST(MolloyReedTest, SinglePairGraphIsDrawnOnEveryAttempt) {
  // Undirected degrees (1, 1): the vertex's own stub leaves the pool, so the
  // partner is always the other vertex, although the totals force the tie.
  const SamplerProblem graph = Problem(113, {1, 1}, {});
  SamplerState state;
  ASSERT_EQ(SetupSampler(graph, state), "");
  Rand3 rand;
  SetSeed(rand, 3);
  for (int n = 0; n < 50; ++n) {
    double w = 0;
    ASSERT_TRUE(AttemptMatrix(state, rand, false, 1.0, w));
    EXPECT_EQ(w, 1.0);
    EXPECT_EQ(GetCell(state.values, 1, 2), 1);
    EXPECT_EQ(GetCell(state.values, 2, 1), 1);
  }
  // Directed totals (1, 1): an out-stub meets its own in-stub half the time.
  const SamplerProblem digraph = Problem(112, {1, 1}, {1, 1});
  ASSERT_EQ(SetupSampler(digraph, state), "");
  int accepted = 0;
  for (int n = 0; n < 400; ++n) {
    double w = 0;
    if (!AttemptMatrix(state, rand, false, 1.0, w)) continue;
    ++accepted;
    EXPECT_EQ(GetCell(state.values, 1, 2), 1);
    EXPECT_EQ(GetCell(state.values, 2, 1), 1);
  }
  EXPECT_GT(accepted, 150);
  EXPECT_LT(accepted, 250);
}

TEST(MolloyReedTest, TiesForcedByTheTotalsAreDrawnNotRejected) {
  // Vertex 1 sends to everyone: the totals force its row, yet stub matching
  // must still complete.
  const SamplerProblem problem = Problem(112, {3, 1, 1, 1}, {1, 2, 2, 1});
  SamplerState state;
  ASSERT_EQ(SetupSampler(problem, state), "");
  Rand3 rand;
  SetSeed(rand, 8);
  int accepted = 0;
  for (int n = 0; n < 2000 && accepted < 20; ++n) {
    double w = 0;
    if (AttemptMatrix(state, rand, false, 1.0, w)) ++accepted;
  }
  EXPECT_EQ(accepted, 20);
}

TEST(ReorderTest, VerticesFarFromHalfComeFirst) {
  TotalsVector rows{};
  const int totals[] = {2, 2, 4, 0, 2};
  for (int v = 1; v <= 5; ++v) rows[v] = static_cast<std::uint8_t>(totals[v - 1]);
  const CountVector rank = VertexRank(rows, 5);
  const int expected_rank[] = {3, 4, 1, 2, 5};
  for (int v = 1; v <= 5; ++v) EXPECT_EQ(rank[v], expected_rank[v - 1]) << v;

  ScopedTempDir dir;
  TextWriter log;
  ASSERT_TRUE(log.Create("log.txt").ok());
  TotalsVector cols = rows;
  const Reordering r = ReorderVertices(rows, cols, 5, log);
  ASSERT_TRUE(log.Close().ok());
  EXPECT_TRUE(r.reordered);
  EXPECT_EQ(r.r1, 3);
  EXPECT_EQ(r.r2, 4);
  const int new_totals[] = {4, 0, 2, 2, 2};
  for (int v = 1; v <= 5; ++v) {
    EXPECT_EQ(rows[v], new_totals[v - 1]);
    EXPECT_EQ(cols[v], new_totals[v - 1]);
  }
  EXPECT_EQ(ReadLines("log.txt"),
            (std::vector<std::string>{
                "For efficiency purposes, rows and columns are similarly reordered.",
                "Correspondence between old and new vertex numbers :", "old  :   1  2  3  4  5",
                "new  :   3  4  1  2  5",
                "Look below at the row and column sums to check the new order."}));
}

TEST(ReorderTest, EqualTotalsKeepTheOrderAndLogNothing) {
  ScopedTempDir dir;
  TextWriter log;
  ASSERT_TRUE(log.Create("log.txt").ok());
  TotalsVector rows{};
  for (int v = 1; v <= 120; ++v) rows[v] = 7;
  TotalsVector cols = rows;
  const Reordering r = ReorderVertices(rows, cols, 120, log);
  ASSERT_TRUE(log.Close().ok());
  EXPECT_FALSE(r.reordered);
  EXPECT_EQ(r.r1, 1);
  EXPECT_EQ(r.r2, 2);
  EXPECT_TRUE(ReadLines("log.txt").empty());
}

TEST(RunValuesTest, MutualOffset) {
  struct Case {
    int lo, hi, offset;
  };
  const Case cases[] = {{37, 45, 10}, {3, 5, 0}, {0, 0, 0}, {50, 52, 30}, {14, 6, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi);
    EXPECT_EQ(MutualOffset(c.lo, c.hi), c.offset);
  }
}

TEST(RunValuesTest, DisplayCadence) {
  struct Case {
    int s;
    std::int32_t n;
    std::uint64_t attempts;
    bool shown;
  };
  const Case cases[] = {
      {19, 99, 1001, true},      {19, 100, 1001, true},   {19, 150, 1001, false},
      {19, 900, 1001, true},     {19, 1100, 1001, false}, {19, 2000, 1001, true},
      {19, 1500, 3000, true},    {20, 99, 101, true},     {20, 150, 101, false},
      {20, 1100, 101, true},     {20, 1150, 1200, true},  {20, 1150, 1201, false},
      {50, 250, 251, false},     {51, 105, 101, false},   {51, 110, 101, true},
      {101, 12345, 54321, true}, {101, 100, 7, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "s " << c.s << " n " << c.n << " attempts " << c.attempts);
    EXPECT_EQ(ShowCountsAfterMatrix(c.s, c.n, c.attempts), c.shown);
  }
}

}  // namespace
}  // namespace kivo::sim
