// The p1 fit of one directed network: the iterative scaling costs O(n^2) per
// iteration, the actor contrasts O(n^3).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tamsel/p1_model.h"

namespace kivo::tamsel {
namespace {

// n actors; `percent` of the pairs linked, a third of them mutually.
std::vector<std::uint8_t> RandomTies(int n, int percent) {
  std::mt19937 random(2024);
  const auto size = static_cast<std::size_t>(n);
  std::vector<std::uint8_t> ties(size * size, 0);
  for (std::size_t i = 0; i < size; ++i) {
    for (std::size_t j = i + 1; j < size; ++j) {
      if (static_cast<int>(random() % 100) >= percent) continue;
      const auto kind = random() % 3;
      if (kind != 2) ties[i * size + j] = 1;
      if (kind != 1) ties[j * size + i] = 1;
    }
    ties[i * size + (i + 1) % size] = 1;
  }
  return ties;
}

void BM_FitP1(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<std::uint8_t> ties = RandomTies(n, static_cast<int>(state.range(1)));
  int iterations = 0;
  for (auto _ : state) {
    const P1Fit fit = FitP1(ties, n);
    iterations = fit.iterations;
    benchmark::DoNotOptimize(fit.theta);
  }
  state.counters["iterations"] = iterations;
}
BENCHMARK(BM_FitP1)->Args({50, 10})->Args({100, 10})->Args({200, 5})->Args({200, 30})->Unit(
    benchmark::kMillisecond);

// Ten iterations at 200 actors, stopped by the limit before convergence (so
// without the contrasts): the cost of one iteration. A network that runs to
// kMaxP1Iterations takes that many times as long.
void BM_P1IterationCost(benchmark::State& state) {
  const int n = 200;
  const std::vector<std::uint8_t> ties = RandomTies(n, 10);
  const int limit = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const P1Fit fit = FitP1(ties, n, limit);
    benchmark::DoNotOptimize(fit.iterations);
  }
  state.SetItemsProcessed(state.iterations() * limit);
}
BENCHMARK(BM_P1IterationCost)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kivo::tamsel
