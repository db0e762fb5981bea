// Cost of the statistics evaluated on every simulated matrix: the triad
// census and version 1 of the statistics (mutual dyads, transitivity, arc
// indicator), on random digraphs.

#include <benchmark/benchmark.h>

#include <random>

#include "core/kivo_mat.h"
#include "core/triads.h"
#include "sim/functsim.h"

namespace kivo::sim {
namespace {

BinaryMatrix RandomDigraph(int n, double density) {
  std::mt19937 rng(2026);
  std::bernoulli_distribution tie(density);
  BinaryMatrix m;
  for (int a = 1; a <= n; ++a) {
    for (int b = 1; b <= n; ++b) SetCell(m, a, b, a != b && tie(rng) ? 1 : 0);
  }
  return m;
}

// range(0): vertices; range(1): density in percent.
void BM_TriadCensus(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const BinaryMatrix m = RandomDigraph(n, static_cast<double>(state.range(1)) / 100);
  for (auto _ : state) {
    TriadCounts counts = TriadCensus(m, n);
    benchmark::DoNotOptimize(counts);
  }
}
BENCHMARK(BM_TriadCensus)
    ->Args({50, 30})
    ->Args({100, 30})
    ->Args({200, 5})
    ->Args({200, 30})
    ->Args({200, 70})
    ->Unit(benchmark::kMicrosecond);

// Version 1 without combinations.
void BM_Version1(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const BinaryMatrix m = RandomDigraph(n, static_cast<double>(state.range(1)) / 100);
  StatisticsSetup setup;
  setup.f = setup.g = n;
  StatisticValues values;
  for (auto _ : state) {
    EvaluateStatistics(m, setup, values);
    benchmark::DoNotOptimize(values);
  }
}
BENCHMARK(BM_Version1)->Args({200, 30})->Unit(benchmark::kMicrosecond);

// Version 1 with the 16 default combinations: the statistics and the census
// of one matrix, as a simulated digraph with triad combinations costs.
void BM_Version1WithTriadCombinations(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const BinaryMatrix m = RandomDigraph(n, static_cast<double>(state.range(1)) / 100);
  StatisticsSetup setup;
  setup.f = setup.g = n;
  setup.numl = 16;
  for (int k = 1; k <= 16; ++k) {
    setup.weights[static_cast<std::size_t>(k)][0] = 0.1;
    setup.weights[static_cast<std::size_t>(k)][static_cast<std::size_t>(k)] = 1;
  }
  StatisticValues values;
  for (auto _ : state) {
    EvaluateStatistics(m, setup, values);
    benchmark::DoNotOptimize(values);
  }
}
BENCHMARK(BM_Version1WithTriadCombinations)
    ->Args({100, 30})
    ->Args({200, 30})
    ->Unit(benchmark::kMicrosecond);

// Version 1 and a separate census of the same matrix.
void BM_Version1AndTriadCensus(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const BinaryMatrix m = RandomDigraph(n, static_cast<double>(state.range(1)) / 100);
  StatisticsSetup setup;
  setup.f = setup.g = n;
  StatisticValues values;
  for (auto _ : state) {
    EvaluateStatistics(m, setup, values);
    TriadCounts counts = TriadCensus(m, n);
    benchmark::DoNotOptimize(values);
    benchmark::DoNotOptimize(counts);
  }
}
BENCHMARK(BM_Version1AndTriadCensus)->Args({200, 30})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kivo::sim
