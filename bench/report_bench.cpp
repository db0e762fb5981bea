// Cost of adding one matrix to the weighted sums (called for every simulated
// matrix) and of the report's formatting helpers.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "runfiles/bar_chart.h"
#include "runfiles/format.h"
#include "sim/kivosimlib_report.h"

namespace kivo::sim {
namespace {

void BM_AccumulateWeighted(benchmark::State& state) {
  const int numl = static_cast<int>(state.range(0));
  WeightedSums sums;
  std::array<std::int32_t, 4> values = {3, 57, 1, 12};
  std::array<double, kMaxCombinationOutputs> combinations{};
  for (int k = 0; k < numl; ++k) {
    combinations[static_cast<std::size_t>(k)] = 2.0 + k;
    combinations[static_cast<std::size_t>(numl + k)] = 1.0;
  }
  double w = 0.75;
  for (auto _ : state) {
    AccumulateWeighted(
        sums, values,
        std::span<const double>(combinations.data(), static_cast<std::size_t>(2 * numl)), w);
    values[1] = (values[1] + 7) % 101;
    w = 1.5 - w;
    benchmark::DoNotOptimize(sums);
  }
}
BENCHMARK(BM_AccumulateWeighted)->Arg(0)->Arg(18);

void BM_Real(benchmark::State& state) {
  double x = 0.0001234;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Real(x, 8, 4));
    x += 0.37;
  }
}
BENCHMARK(BM_Real);

void BM_DrawBarChart(benchmark::State& state) {
  TextWriter log;
  if (!log.Create("/dev/null").ok()) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  std::array<double, 70> heights{};
  for (std::size_t b = 0; b < heights.size(); ++b) heights[b] = 0.001 * static_cast<double>(b % 17);
  for (auto _ : state) DrawBarChart(log, 1, 70, 0, heights);
}
BENCHMARK(BM_DrawBarChart);

}  // namespace
}  // namespace kivo::sim
