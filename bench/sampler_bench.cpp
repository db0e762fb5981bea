// Cost of one drawn matrix of the sequential sampler (rejected attempts
// included), against the literal reference sampler at 100 x 100, and of one
// accepted Molloy-Reed matrix.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "core/kivo_mat.h"
#include "sim/rand3.h"
#include "sim/simul.h"
#include "tests/support/simul_reference.h"

namespace kivo::sim {
namespace {

// The totals of a random matrix of the mode with the given density (mean
// degree / (n - 1) for graphs); for fixed mutuals its own number of mutual dyads.
SamplerProblem RandomProblem(int mode, int f, int g, double density) {
  std::string message;
  SamplerProblem p;
  p.mode = DecodeMode(mode, message);
  p.f = f;
  p.g = g;
  std::mt19937 gen(12345);
  std::bernoulli_distribution tie(density);
  if (p.mode.square) {
    for (int i = 1; i <= f; ++i) SetCell(p.structural_zeros, i, i, 1);
  }
  BinaryMatrix m{};
  for (int i = 1; i <= f; ++i) {
    for (int j = p.mode.undirected ? i + 1 : 1; j <= g; ++j) {
      if (GetCell(p.structural_zeros, i, j) != 0 || !tie(gen)) continue;
      SetCell(m, i, j, 1);
      if (p.mode.undirected) SetCell(m, j, i, 1);
    }
  }
  for (int i = 1; i <= f; ++i) {
    for (int j = 1; j <= g; ++j) {
      if (GetCell(m, i, j) == 0) continue;
      ++p.row_totals[static_cast<std::size_t>(i)];
      ++p.column_totals[static_cast<std::size_t>(j)];
      if (j > i && GetCell(m, j, i) != 0) ++p.mutuals;
    }
  }
  return p;
}

void DrawLoop(benchmark::State& bench, const SamplerProblem& problem) {
  static SamplerState state;
  if (!SetupSampler(problem, state).empty()) {
    bench.SkipWithError("no matrix fits the problem");
    return;
  }
  Rand3 rand;
  SetSeed(rand, 4711);
  std::int64_t attempts = 0;
  std::int64_t draws = 0;
  for (auto _ : bench) {
    double weight = 0.0;
    do {
      ++attempts;
    } while (!AttemptMatrix(state, rand, false, 1.0, weight));
    ++draws;
    benchmark::DoNotOptimize(weight);
  }
  bench.counters["attempts_per_matrix"] =
      static_cast<double>(attempts) / static_cast<double>(draws == 0 ? 1 : draws);
}

void BM_DrawRectangular(benchmark::State& bench) {
  const int n = static_cast<int>(bench.range(0));
  DrawLoop(bench, RandomProblem(1, n, n, 0.2));
}
BENCHMARK(BM_DrawRectangular)->Arg(20)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_DrawDigraph(benchmark::State& bench) {
  const int n = static_cast<int>(bench.range(0));
  DrawLoop(bench, RandomProblem(12, n, n, 0.2));
}
BENCHMARK(BM_DrawDigraph)->Arg(20)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_DrawFixedMutuals(benchmark::State& bench) {
  const int n = static_cast<int>(bench.range(0));
  DrawLoop(bench, RandomProblem(15, n, n, 0.2));
}
BENCHMARK(BM_DrawFixedMutuals)->Arg(50)->Unit(benchmark::kMicrosecond);

void BM_MolloyReedDigraph(benchmark::State& bench) {
  const int n = static_cast<int>(bench.range(0));
  DrawLoop(bench, RandomProblem(112, n, n, 2.0 / (n - 1)));
}
BENCHMARK(BM_MolloyReedDigraph)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_MolloyReedGraph(benchmark::State& bench) {
  const int n = static_cast<int>(bench.range(0));
  DrawLoop(bench, RandomProblem(113, n, n, 2.0 / (n - 1)));
}
BENCHMARK(BM_MolloyReedGraph)->Arg(200)->Unit(benchmark::kMicrosecond);

// The literal sampler, which rescans every remaining row and column before
// every cell.
void BM_ReferenceRectangular(benchmark::State& bench) {
  const int n = static_cast<int>(bench.range(0));
  const SamplerProblem problem = RandomProblem(1, n, n, 0.2);
  static ReferenceSampler reference;
  if (!reference.Setup(problem).empty()) {
    bench.SkipWithError("no matrix fits the problem");
    return;
  }
  Rand3 rand;
  SetSeed(rand, 4711);
  const auto uniform = [&rand] { return NextUniform(rand); };
  for (auto _ : bench) {
    double weight = 0.0;
    while (!reference.Attempt(uniform, false, 1.0, weight)) {
    }
    benchmark::DoNotOptimize(weight);
  }
}
BENCHMARK(BM_ReferenceRectangular)->Arg(20)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kivo::sim
