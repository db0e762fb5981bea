#include "enum/enum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "enum/numbers.h"
#include "tests/support/enum_reference.h"
#include "tests/support/fake_env.h"

// Counts every allocation of this test program, so that a test can show
// that the walk itself allocates nothing. The replacement pair is malloc and
// free underneath, which the compiler cannot see through inlined callers.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace kivo::enumeration {
namespace {

EnumProblem Problem(MatrixKind kind, int n, int m, EnumTotals rows, EnumTotals columns) {
  EnumProblem p;
  p.kind = kind;
  p.n = n;
  p.m = m;
  p.row_totals = rows;
  p.column_totals = columns;
  return p;
}

class RecordingWindow : public EnumerationWindow {
 public:
  void shownumber(std::int32_t count) override { shown.push_back(count); }
  std::vector<std::int32_t> shown;
};

// One run of the tree as the run driver performs it, in a temporary
// directory, capturing every accepted matrix with the statistics the tree
// kept for it.
class TreeHarness {
 public:
  explicit TreeHarness(const EnumProblem& problem, bool write_all = false,
                       std::int32_t count_limit = kCountLimit, bool capture = true)
      : tree_(std::make_unique<EnumerationTree>()) {
    InitEnumeration(status_, input_, tallies_, listing_);
    InitEnumeration(*tree_);
    tree_->count_limit = count_limit;
    input_ = MakeInput(problem);
    input_.write_all = write_all;
    capture_ = capture;
    window_.shown.reserve(4096);
    EXPECT_TRUE(log_.Create("walk.out").ok());
  }

  // Prepares the tree; returns whether a walk follows.
  bool Prepare() {
    TreeRun run = Run();
    EXPECT_TRUE(PrepareTree(*tree_, run).ok());
    return input_.n != 0;
  }

  void Walk() {
    TreeRun run = Run();
    EnumerationTree& t = *tree_;
    for (long step = 0; step < 20'000'000; ++step) {
      DescendTree(t, run);
      if (t.dead) BacktrackTree(t, run, false);
      if (t.found || t.finished || status_.had_to_stop) {
        if (t.found && !t.dead) {
          const std::int32_t before = tallies_.count;
          if (capture_) {
            ReferenceMatrix rm;
            rm.cells = t.current;
            const TreeLevel& lv = t.levels[static_cast<std::size_t>(t.level)];
            rm.mutual = lv.mutual_count;
            rm.transitive = lv.primary[1];
            rm.intransitive = lv.primary[2];
            pending_ = rm;
          }
          BacktrackTree(t, run, true);
          if (capture_ && tallies_.count > before) matrices_.push_back(pending_);
        }
        if (t.finished || status_.had_to_stop) return;
      }
    }
    ADD_FAILURE() << "the walk did not end";
  }

  std::vector<std::string> LogLines() {
    EXPECT_TRUE(log_.Close().ok());
    return ReadLines("walk.out");
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ReferenceMatrix& rm : matrices_) texts.push_back(MatrixText(rm.cells, n_, m_));
    return texts;
  }

  EnumerationTree& tree() { return *tree_; }
  EnumerationInput& input() { return input_; }
  const EnumerationTallies& tallies() const { return tallies_; }
  const EnumRunStatus& status() const { return status_; }
  MatrixListing& listing() { return listing_; }
  const RecordingWindow& window() const { return window_; }
  const std::vector<ReferenceMatrix>& matrices() const { return matrices_; }
  void set_shape(int n, int m) {
    n_ = n;
    m_ = m;
  }

 private:
  TreeRun Run() {
    return TreeRun{input_, tallies_, listing_, status_, window_, log_, env_, project_};
  }

  ScopedTempDir dir_;
  FakeEnv env_;
  EnumerationInput input_;
  EnumerationTallies tallies_;
  MatrixListing listing_;
  EnumRunStatus status_;
  RecordingWindow window_;
  TextWriter log_;
  std::string project_ = "walk";
  std::unique_ptr<EnumerationTree> tree_;
  bool capture_ = true;
  ReferenceMatrix pending_;
  std::vector<ReferenceMatrix> matrices_;
  int n_ = 0;
  int m_ = 0;
};

std::vector<std::string> Enumerate(const EnumProblem& problem) {
  TreeHarness h(problem);
  h.set_shape(problem.n, problem.m);
  if (h.Prepare()) h.Walk();
  return h.Texts();
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(EnumerationTree, ListsMatricesInScanOrder) {
  EnumProblem matching = Problem(MatrixKind::kUndirected, 4, 4, Uniform(4, 1), Uniform(4, 1));
  EnumProblem complete = Problem(MatrixKind::kDirected, 3, 3, Uniform(3, 2), Uniform(3, 2));
  complete.fix_mutuals = true;
  complete.mutuals = 3;
  struct Case {
    const char* name;
    EnumProblem problem;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"3x3 permutation matrices",
       Problem(MatrixKind::kNoStructuralZeros, 3, 3, Uniform(3, 1), Uniform(3, 1)),
       {"100/010/001", "100/001/010", "010/100/001", "010/001/100", "001/100/010", "001/010/100"}},
      {"directed 3-cycles",
       Problem(MatrixKind::kDirected, 3, 3, Uniform(3, 1), Uniform(3, 1)),
       {"010/001/100", "001/100/010"}},
      {"perfect matchings on 4 vertices",
       matching,
       {"0100/1000/0001/0010", "0010/0001/1000/0100", "0001/0010/0100/1000"}},
      {"complete digraph with 3 mutual dyads", complete, {"011/101/110"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Enumerate(c.problem), c.expected);
  }
}

TEST(EnumerationTree, FixedMutualDyadsAndContradictions) {
  struct Case {
    const char* name;
    EnumProblem problem;
    bool fix;
    int mutuals;
    std::int32_t count;
    bool contradiction_while_preparing;
  };
  const EnumProblem four = Problem(MatrixKind::kDirected, 4, 4, Uniform(4, 2), Uniform(4, 2));
  const EnumProblem three = Problem(MatrixKind::kDirected, 3, 3, Uniform(3, 2), Uniform(3, 2));
  const Case cases[] = {
      {"4 vertices degree 2", four, false, 0, 9, false},
      {"4 vertices, 2 mutual", four, true, 2, 6, false},
      {"4 vertices, 4 mutual", four, true, 4, 3, false},
      {"4 vertices, 0 mutual", four, true, 0, 0, false},
      {"4 vertices, 1 mutual", four, true, 1, 0, false},
      {"4 vertices, 3 mutual", four, true, 3, 0, false},
      {"4 vertices, 5 mutual", four, true, 5, 0, true},
      {"complete 3, 3 mutual", three, true, 3, 1, false},
      {"complete 3, 0 mutual", three, true, 0, 0, true},
      {"complete 3, 1 mutual", three, true, 1, 0, true},
      {"complete 3, 2 mutual", three, true, 2, 0, true},
      {"out 2,2,0 in 0,2,2",
       Problem(MatrixKind::kDirected, 3, 3, Totals({2, 2, 0}), Totals({0, 2, 2})), false, 0, 0,
       true},
      {"3,1,1 / 3,2,0",
       Problem(MatrixKind::kNoStructuralZeros, 3, 3, Totals({3, 1, 1}), Totals({3, 2, 0})), false,
       0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EnumProblem p = c.problem;
    p.fix_mutuals = c.fix;
    p.mutuals = c.mutuals;
    TreeHarness h(p);
    const bool walks = h.Prepare();
    EXPECT_EQ(walks, !c.contradiction_while_preparing);
    if (walks) h.Walk();
    EXPECT_TRUE(walks ? h.tree().finished : !h.tree().finished);
    EXPECT_FALSE(h.status().had_to_stop);
    EXPECT_EQ(h.tallies().count, c.count);
    const std::vector<std::string> lines = h.LogLines();
    EXPECT_EQ(Contains(lines, "There is no 0-1 matrix with these marginals."),
              c.contradiction_while_preparing);
    if (!walks) {
      EXPECT_EQ(h.input().n, 0);
    }
    EXPECT_FALSE(h.listing().file.is_open());
  }
}

// The counting formulas come before the propagation, so they are printed
// even for totals without a matrix.
TEST(EnumerationTree, PreparationPrintsCountsBeforeTheContradiction) {
  TreeHarness h(Problem(MatrixKind::kNoStructuralZeros, 3, 3, Totals({3, 1, 1}), Totals({3, 2, 0})),
                true);
  EXPECT_FALSE(h.Prepare());
  const std::vector<std::string> lines = h.LogLines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "calculated by Sukhatme`s formula, is        0    .");
  EXPECT_EQ(lines[6], "There is no 0-1 matrix with these marginals.");
  EXPECT_FALSE(h.listing().file.is_open());
}

// Random small problems of every kind: the tree and the brute-force
// enumeration agree on the matrices, their order, the statistics the tree
// keeps per level, the count and the refused disconnected matrices, and the
// closed-form counts agree where they apply.
TEST(EnumerationTree, AgreesWithBruteForce) {
  std::mt19937 gen(4321);
  const MatrixKind kinds[] = {MatrixKind::kNoStructuralZeros, MatrixKind::kStructuralPattern,
                              MatrixKind::kDirected, MatrixKind::kUndirected};
  int nonempty = 0;
  for (int trial = 0; trial < 160; ++trial) {
    EnumProblem p;
    p.kind = kinds[trial % 4];
    const bool graph = p.kind == MatrixKind::kDirected || p.kind == MatrixKind::kUndirected;
    p.n = 3 + static_cast<int>(gen() % 3);
    p.m = graph ? p.n : 3 + static_cast<int>(gen() % 3);
    if (!graph && p.n * p.m > 20) p.m = 20 / p.n;
    if (p.kind == MatrixKind::kStructuralPattern) {
      for (int r = 1; r <= p.n; ++r) {
        for (int c = 1; c <= p.m; ++c) {
          p.structural_zeros[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
              gen() % 4 == 0 ? 1 : 0;
        }
      }
    }
    // Totals of a random matrix of the kind; now and then one total is moved
    // so that the totals may admit no matrix.
    const EnumMatrix zeros = StructuralZerosOf(p);
    std::bernoulli_distribution cell(0.25 + 0.5 * static_cast<double>(gen() % 100) / 100.0);
    EnumMatrix sample{};
    for (int r = 1; r <= p.n; ++r) {
      for (int c = 1; c <= p.m; ++c) {
        if (zeros[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] == 1) continue;
        if (p.kind == MatrixKind::kUndirected && c < r) continue;
        const std::uint8_t v = cell(gen) ? 1 : 0;
        sample[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = v;
        if (p.kind == MatrixKind::kUndirected) {
          sample[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = v;
        }
      }
    }
    for (int r = 1; r <= p.n; ++r) {
      for (int c = 1; c <= p.m; ++c) {
        const int v = sample[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
        p.row_totals[static_cast<std::size_t>(r)] += v;
        p.column_totals[static_cast<std::size_t>(c)] += v;
      }
    }
    if (!graph && trial % 7 == 3) {
      const std::size_t a = 1 + gen() % static_cast<unsigned>(p.m);
      const std::size_t b = 1 + gen() % static_cast<unsigned>(p.m);
      if (p.column_totals[a] > 0 && p.column_totals[b] < p.n - 1) {
        --p.column_totals[a];
        ++p.column_totals[b];
      }
    }
    int mutual_in_sample = 0;
    for (int a = 1; a <= p.n; ++a) {
      for (int b = a + 1; b <= p.n; ++b) {
        mutual_in_sample += sample[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] &
                            sample[static_cast<std::size_t>(b)][static_cast<std::size_t>(a)];
      }
    }
    if (p.kind == MatrixKind::kDirected && trial % 8 == 2) {
      p.fix_mutuals = true;
      p.mutuals = mutual_in_sample + static_cast<int>(gen() % 3) - 1;
      if (p.mutuals < 0) p.mutuals = 0;
    }
    if (graph && trial % 3 == 0) p.connected_only = true;

    SCOPED_TRACE("trial " + std::to_string(trial) + ", kind " +
                 std::to_string(static_cast<int>(p.kind)) + ", " + std::to_string(p.n) + "x" +
                 std::to_string(p.m) + (p.fix_mutuals ? ", M = " + std::to_string(p.mutuals) : "") +
                 (p.connected_only ? ", connected only" : ""));
    const ReferenceResult reference = BruteForceEnumerate(p);
    TreeHarness h(p);
    h.set_shape(p.n, p.m);
    if (h.Prepare()) h.Walk();
    ASSERT_EQ(h.matrices().size(), reference.matrices.size());
    for (std::size_t k = 0; k < reference.matrices.size(); ++k) {
      const ReferenceMatrix& expected = reference.matrices[k];
      const ReferenceMatrix& got = h.matrices()[k];
      ASSERT_EQ(MatrixText(got.cells, p.n, p.m), MatrixText(expected.cells, p.n, p.m))
          << "matrix " << k + 1;
      EXPECT_EQ(got.mutual, expected.mutual) << "matrix " << k + 1;
      EXPECT_EQ(got.transitive, expected.transitive) << "matrix " << k + 1;
      EXPECT_EQ(got.intransitive, expected.intransitive) << "matrix " << k + 1;
    }
    EXPECT_EQ(h.tallies().count, static_cast<std::int32_t>(reference.matrices.size()));
    EXPECT_EQ(h.tallies().disconnected, reference.disconnected);
    EXPECT_FALSE(h.status().had_to_stop);
    if (!reference.matrices.empty()) ++nonempty;

    int error = -1;
    if (p.kind == MatrixKind::kNoStructuralZeros) {
      const int k = p.n > p.m ? p.n : p.m;
      EXPECT_EQ(SukhatmeCount(p.row_totals, p.column_totals, k, CountingLimits{}, error),
                static_cast<double>(reference.matrices.size()));
    }
    if (p.kind == MatrixKind::kDirected && !p.fix_mutuals && !p.connected_only) {
      EXPECT_EQ(KatzPowellCount(p.row_totals, p.column_totals, p.m, CountingLimits{}, error),
                static_cast<double>(reference.matrices.size()));
    }
  }
  EXPECT_GT(nonempty, 100);
}

TEST(EnumerationTree, CounterRhythm) {
  // 2040 matrices of 5 x 5 with all totals 2.
  TreeHarness h(Problem(MatrixKind::kNoStructuralZeros, 5, 5, Uniform(5, 2), Uniform(5, 2)));
  ASSERT_TRUE(h.Prepare());
  h.Walk();
  EXPECT_EQ(h.tallies().count, 2040);
  std::vector<std::int32_t> expected;
  for (int k = 1; k <= 100; ++k) expected.push_back(k);
  for (int k = 200; k <= 900; k += 100) expected.push_back(k);
  expected.push_back(1000);
  expected.push_back(2000);
  EXPECT_EQ(h.window().shown, expected);
}

TEST(EnumerationTree, CountLimitStopsBeforeListing) {
  TreeHarness h(Problem(MatrixKind::kNoStructuralZeros, 3, 3, Uniform(3, 1), Uniform(3, 1)), true,
                5);
  ASSERT_TRUE(h.Prepare());
  EXPECT_TRUE(h.listing().file.is_open());
  h.Walk();
  EXPECT_TRUE(h.status().had_to_stop);
  EXPECT_FALSE(h.tree().finished);
  EXPECT_EQ(h.tallies().count, 5);
  const std::vector<std::string> lines = h.LogLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{
                " Before finishing the enumeration, the program has reached",
                "the number of 5 matrices, the largest integer the program can count.",
                "Therefore the program must now stop."}));
  ASSERT_TRUE(h.listing().file.Close().ok());
  const std::vector<std::string> listing = ReadLines("walk.prn");
  EXPECT_TRUE(Contains(listing, "4."));
  EXPECT_FALSE(Contains(listing, "5."));
}

TEST(EnumerationTree, LevelLimitStopsTheWalk) {
  // On the way to the first 15 x 15 permutation matrix, row r leaves 15 - r
  // cells at 0 by choice: 105 branch cells.
  TreeHarness h(Problem(MatrixKind::kNoStructuralZeros, 15, 15, Uniform(15, 1), Uniform(15, 1)));
  ASSERT_TRUE(h.Prepare());
  h.Walk();
  EXPECT_TRUE(h.status().had_to_stop);
  EXPECT_EQ(h.tree().level, kMaxLevel);
  EXPECT_EQ(h.tallies().count, 0);
  const std::vector<std::string> lines = h.LogLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"", "More than 99 levels in the enumeration tree!",
                                      "Too many for this program."}));
}

TEST(EnumerationTree, WalkAllocatesNothing) {
  const EnumProblem problems[] = {
      Problem(MatrixKind::kNoStructuralZeros, 5, 5, Uniform(5, 2), Uniform(5, 2)),
      [] {
        EnumProblem p = Problem(MatrixKind::kDirected, 5, 5, Uniform(5, 2), Uniform(5, 2));
        p.fix_mutuals = true;
        p.mutuals = 2;
        p.connected_only = true;
        return p;
      }(),
  };
  for (const EnumProblem& p : problems) {
    TreeHarness h(p, false, kCountLimit, false);
    ASSERT_TRUE(h.Prepare());
    const long before = allocations.load();
    h.Walk();
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_GT(h.tallies().count, 0);
  }
}

}  // namespace
}  // namespace kivo::enumeration
