// Speed of the enumeration tree (matrices per second, with and without the
// listing) and of the closed-form counts on the largest shapes.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "enum/enum.h"
#include "enum/numbers.h"
#include "tests/support/enum_reference.h"
#include "tests/support/fake_env.h"

namespace kivo::enumeration {
namespace {

class NullWindow : public EnumerationWindow {
 public:
  void shownumber(std::int32_t count) override { benchmark::DoNotOptimize(count); }
};

// One whole walk as the run driver performs it; returns the number of matrices.
std::int32_t WalkOnce(const EnumProblem& problem, bool write_all) {
  FakeEnv env;
  EnumRunStatus status;
  EnumerationInput input;
  EnumerationTallies tallies;
  MatrixListing listing;
  NullWindow window;
  TextWriter log;
  const std::string project = "bench";
  auto tree = std::make_unique<EnumerationTree>();
  InitEnumeration(status, input, tallies, listing);
  InitEnumeration(*tree);
  input = MakeInput(problem);
  input.write_all = write_all;
  if (!log.Create(project + ".out").ok()) return -1;
  TreeRun run{input, tallies, listing, status, window, log, env, project};
  if (!PrepareTree(*tree, run).ok() || input.n == 0) return 0;
  EnumerationTree& t = *tree;
  for (;;) {
    DescendTree(t, run);
    if (t.dead) BacktrackTree(t, run, false);
    if (t.found || t.finished || status.had_to_stop) {
      if (t.found && !t.dead) BacktrackTree(t, run, true);
      if (t.finished || status.had_to_stop) break;
    }
  }
  if (listing.file.is_open()) (void)listing.file.Close();
  (void)log.Close();
  return tallies.count;
}

void RunWalk(benchmark::State& state, const EnumProblem& problem, bool write_all) {
  ScopedTempDir dir;
  std::int64_t matrices = 0;
  for (auto _ : state) matrices += WalkOnce(problem, write_all);
  state.SetItemsProcessed(matrices);
  state.counters["matrices"] =
      static_cast<double>(matrices) / static_cast<double>(state.iterations());
}

EnumProblem Rectangular(int n, int total) {
  EnumProblem p;
  p.n = p.m = n;
  p.row_totals = p.column_totals = Uniform(n, total);
  return p;
}

EnumProblem Graph(MatrixKind kind, int n, int degree) {
  EnumProblem p = Rectangular(n, degree);
  p.kind = kind;
  return p;
}

// 68,938,800 matrices.
void BM_Walk7x7Totals3(benchmark::State& state) { RunWalk(state, Rectangular(7, 3), false); }
BENCHMARK(BM_Walk7x7Totals3)->Unit(benchmark::kSecond)->Iterations(1);

// 297,200 matrices, without and with every matrix written to the listing.
void BM_Walk6x6Totals3(benchmark::State& state) { RunWalk(state, Rectangular(6, 3), false); }
BENCHMARK(BM_Walk6x6Totals3)->Unit(benchmark::kMillisecond);
void BM_Walk6x6Totals3Listed(benchmark::State& state) { RunWalk(state, Rectangular(6, 3), true); }
BENCHMARK(BM_Walk6x6Totals3Listed)->Unit(benchmark::kMillisecond);

void BM_WalkDigraph6Degree2(benchmark::State& state) {
  RunWalk(state, Graph(MatrixKind::kDirected, 6, 2), false);
}
BENCHMARK(BM_WalkDigraph6Degree2)->Unit(benchmark::kMillisecond);

void BM_WalkDigraph6Degree2FixedMutuals(benchmark::State& state) {
  EnumProblem p = Graph(MatrixKind::kDirected, 6, 2);
  p.fix_mutuals = true;
  p.mutuals = 2;
  RunWalk(state, p, false);
}
BENCHMARK(BM_WalkDigraph6Degree2FixedMutuals)->Unit(benchmark::kMillisecond);

void BM_WalkGraph8Degree3(benchmark::State& state) {
  RunWalk(state, Graph(MatrixKind::kUndirected, 8, 3), false);
}
BENCHMARK(BM_WalkGraph8Degree3)->Unit(benchmark::kMillisecond);

// Totals of a random 15 x 15 matrix with the given density in percent.
void RandomTotals(int percent, EnumTotals& rows, EnumTotals& columns, unsigned seed = 15) {
  std::mt19937 gen(seed);
  std::bernoulli_distribution cell(percent / 100.0);
  rows = {};
  columns = {};
  for (std::size_t r = 1; r <= 15; ++r) {
    for (std::size_t c = 1; c <= 15; ++c) {
      if (cell(gen)) {
        ++rows[r];
        ++columns[c];
      }
    }
  }
}

void BM_Sukhatme15x15Totals7(benchmark::State& state) {
  const EnumTotals totals = Uniform(15, 7);
  for (auto _ : state) {
    int error = 0;
    benchmark::DoNotOptimize(SukhatmeCount(totals, totals, 15, CountingLimits{}, error));
  }
}
BENCHMARK(BM_Sukhatme15x15Totals7)->Unit(benchmark::kMillisecond);

// Unequal totals keep the column states apart longest.
void BM_Sukhatme15x15Random(benchmark::State& state) {
  EnumTotals rows;
  EnumTotals columns;
  RandomTotals(static_cast<int>(state.range(0)), rows, columns);
  for (auto _ : state) {
    int error = 0;
    benchmark::DoNotOptimize(SukhatmeCount(rows, columns, 15, CountingLimits{}, error));
  }
}
BENCHMARK(BM_Sukhatme15x15Random)
    ->Arg(30)
    ->Arg(40)
    ->Arg(50)
    ->Arg(60)
    ->Arg(70)
    ->Unit(benchmark::kMillisecond);

// The slowest of 40 random problems near half density, where the counts
// take longest: each is timed on its own, its fastest time over the
// iterations kept, and the slowest of those reported.
void BM_Sukhatme15x15Slowest(benchmark::State& state) {
  std::vector<std::pair<EnumTotals, EnumTotals>> problems;
  for (int percent = 40; percent <= 60; percent += 5) {
    for (unsigned seed = 15; seed < 23; ++seed) {
      EnumTotals rows;
      EnumTotals columns;
      RandomTotals(percent, rows, columns, seed);
      problems.emplace_back(rows, columns);
    }
  }
  std::vector<double> fastest(problems.size(), 1e300);
  for (auto _ : state) {
    for (std::size_t p = 0; p < problems.size(); ++p) {
      const auto start = std::chrono::steady_clock::now();
      int error = 0;
      benchmark::DoNotOptimize(
          SukhatmeCount(problems[p].first, problems[p].second, 15, CountingLimits{}, error));
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      fastest[p] = std::min(fastest[p], took.count());
    }
  }
  state.counters["slowest_ms"] = *std::max_element(fastest.begin(), fastest.end());
}
BENCHMARK(BM_Sukhatme15x15Slowest)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_KatzPowell(benchmark::State& state) {
  const int m = static_cast<int>(state.range(0));
  const EnumTotals totals = Uniform(m, static_cast<int>(state.range(1)));
  int error = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(KatzPowellCount(totals, totals, m, CountingLimits{}, error));
  }
  state.counters["error"] = error;
}
// The last one exceeds the work bound: how long it takes to give up.
BENCHMARK(BM_KatzPowell)
    ->Args({10, 3})
    ->Args({15, 3})
    ->Args({12, 5})
    ->Args({15, 7})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kivo::enumeration
