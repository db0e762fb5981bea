// Step-2 network figures of large directed networks: the cubic counts
// (triad census, triplets, undirected triads, segmentation) dominate.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "platform/text_file.h"
#include "tamsel/net_desc.h"
#include "tamsel/net_index.h"
#include "tamsel/st_desc.h"

namespace kivo::tamsel {
namespace {

// One directed network of n actors with the given share of ties (percent)
// and about one cell in a hundred missing (code 9).
DataDescription RandomNetwork(int n, int tie_percent, bool with_missing) {
  DataDescription data;
  data.step = 2;
  data.num_networks = 1;
  data.num_actors = n;
  data.relations.assign(2, {});
  data.missing_tie.assign(2, {});
  data.relation_values.assign(2, ValueList{});
  data.network_files.assign(2, "net.dat");
  data.selected.assign(2, 0);
  data.is_dichotomous.assign(2, 0);
  data.is_symmetric.assign(2, 0);
  std::mt19937 random(12345);
  const auto cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  for (std::size_t c = 0; c < cells; ++c) {
    const auto roll = static_cast<int>(random() % 100);
    const bool missing = with_missing && random() % 100 == 0;
    const bool diagonal = c % (static_cast<std::size_t>(n) + 1) == 0;
    data.relations[1].push_back(missing ? 9 : (!diagonal && roll < tie_percent) ? 1 : 0);
    data.missing_tie[1].push_back(missing ? 1 : 0);
  }
  return data;
}

void BM_NetworkDescriptives(benchmark::State& state) {
  DataDescription data = RandomNetwork(static_cast<int>(state.range(0)),
                                       static_cast<int>(state.range(1)), state.range(2) != 0);
  for (auto _ : state) {
    NetworkDescriptives figures = ComputeNetworkDescriptives(data);
    benchmark::DoNotOptimize(figures);
  }
}
BENCHMARK(BM_NetworkDescriptives)
    ->ArgNames({"n", "ties%", "missing"})
    ->Args({1000, 5, 0})
    ->Args({1000, 20, 1})
    ->Args({2000, 5, 1})
    ->Unit(benchmark::kMillisecond);

// The whole network half of the step-2 report, figures and lines.
void BM_Step2NetworkReport(benchmark::State& state) {
  DataDescription data = RandomNetwork(static_cast<int>(state.range(0)), 5, true);
  TextWriter report;
  if (!report.Create("/dev/null").ok()) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  for (auto _ : state) {
    WriteNetworkDescriptives(data, ComputeNetworkDescriptives(data), report);
  }
  report.Close();
}
BENCHMARK(BM_Step2NetworkReport)->ArgName("n")->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_TriadCensus(benchmark::State& state) {
  DataDescription data = RandomNetwork(static_cast<int>(state.range(0)), 10, true);
  for (auto _ : state) {
    NetworkCensus census = NetworkTriadCensus(data, 1);
    benchmark::DoNotOptimize(census);
  }
}
BENCHMARK(BM_TriadCensus)->ArgName("n")->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_DirectedTriplets(benchmark::State& state) {
  DataDescription data = RandomNetwork(static_cast<int>(state.range(0)), 20, true);
  for (auto _ : state) {
    DirectedTriplets triplets = CountDirectedTriplets(data, 1);
    benchmark::DoNotOptimize(triplets);
  }
}
BENCHMARK(BM_DirectedTriplets)->ArgName("n")->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kivo::tamsel
