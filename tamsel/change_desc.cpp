#include "tamsel/change_desc.h"

#include <cstddef>
#include <string>

#include "runfiles/format.h"
#include "runfiles/kivolib.h"

namespace kivo::tamsel {
namespace {

// One observation reduced to ties, with its missing cells, row after row.
struct Observation {
  std::vector<std::uint8_t> tie;
  std::vector<std::uint8_t> missing;
};

enum class DyadState { kMutual, kAsymmetric, kNull };

DyadState StateOf(bool forward, bool backward) {
  if (forward && backward) return DyadState::kMutual;
  if (forward || backward) return DyadState::kAsymmetric;
  return DyadState::kNull;
}

void CountArcs(const Observation& start, const Observation& end, int n, PeriodChanges& period) {
  const auto size = static_cast<std::size_t>(n);
  std::int64_t comparable = 0;
  for (std::size_t i = 0; i < size; ++i) {
    for (std::size_t j = 0; j < size; ++j) {
      const std::size_t c = i * size + j;
      const bool observed = !start.missing[c] && !end.missing[c];
      if (observed && i != j) ++comparable;
      // The diagonal takes part in these counts; with an empty diagonal
      // they describe the same cells as `comparable`.
      if (start.tie[c] && end.tie[c]) ++period.kept;
      if (start.tie[c] && !end.missing[c] && !end.tie[c]) ++period.lost;
      if (!start.missing[c] && !start.tie[c] && end.tie[c]) ++period.gained;
      if (observed && start.tie[c] != end.tie[c]) ++period.distance;
    }
  }
  const std::int64_t cells = static_cast<std::int64_t>(n) * (n - 1);
  period.empty = comparable - period.gained - period.lost - period.kept;
  period.missing = cells - comparable;
}

void CountDyads(const Observation& start, const Observation& end, int n, PeriodChanges& period) {
  const auto size = static_cast<std::size_t>(n);
  for (std::size_t i = 0; i < size; ++i) {
    for (std::size_t j = i + 1; j < size; ++j) {
      const std::size_t ij = i * size + j;
      const std::size_t ji = j * size + i;
      if (start.missing[ij] || start.missing[ji] || end.missing[ij] || end.missing[ji]) continue;
      const DyadState before = StateOf(start.tie[ij], start.tie[ji]);
      const DyadState after = StateOf(end.tie[ij], end.tie[ji]);
      switch (before) {
        case DyadState::kMutual:
          ++period.mutual;
          if (after == DyadState::kMutual) ++period.mutual_to_mutual;
          if (after == DyadState::kAsymmetric) ++period.mutual_to_asymmetric;
          if (after == DyadState::kNull) ++period.mutual_to_null;
          break;
        case DyadState::kAsymmetric:
          ++period.asymmetric;
          if (after == DyadState::kMutual) ++period.asymmetric_to_mutual;
          if (after == DyadState::kAsymmetric) {
            if (start.tie[ij] == end.tie[ij]) {
              ++period.asymmetric_same;
            } else {
              ++period.asymmetric_reversed;
            }
          }
          if (after == DyadState::kNull) ++period.asymmetric_to_null;
          break;
        case DyadState::kNull:
          ++period.null_dyads;
          if (after == DyadState::kMutual) ++period.null_to_mutual;
          if (after == DyadState::kAsymmetric) ++period.null_to_asymmetric;
          if (after == DyadState::kNull) ++period.null_to_null;
          break;
      }
    }
  }
}

// Triplets (i, j, h), the three not necessarily distinct, that start with
// ties i -> j and j -> h and whose three cells are observed at the end; the
// closing cell i -> h must be observed at the start too.
void CountTriplets(const Observation& start, const Observation& end, int n, PeriodChanges& period) {
  const auto size = static_cast<std::size_t>(n);
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t* start_tie_i = start.tie.data() + i * size;
    const std::uint8_t* start_missing_i = start.missing.data() + i * size;
    const std::uint8_t* end_tie_i = end.tie.data() + i * size;
    const std::uint8_t* end_missing_i = end.missing.data() + i * size;
    for (std::size_t j = 0; j < size; ++j) {
      if (!start_tie_i[j] || end_missing_i[j]) continue;
      const std::uint8_t* start_tie_j = start.tie.data() + j * size;
      const std::uint8_t* end_tie_j = end.tie.data() + j * size;
      const std::uint8_t* end_missing_j = end.missing.data() + j * size;
      for (std::size_t h = 0; h < size; ++h) {
        if (!start_tie_j[h] || end_missing_j[h] || end_missing_i[h] || start_missing_i[h]) continue;
        const bool two_path = end_tie_i[j] && end_tie_j[h];
        const bool closed = end_tie_i[h] != 0;
        if (start_tie_i[h]) {
          ++period.transitive;
          if (two_path && closed) {
            ++period.transitive_to_transitive;
          } else if (two_path) {
            ++period.transitive_to_intransitive;
          } else {
            ++period.transitive_to_other;
          }
        } else {
          ++period.intransitive;
          if (two_path && closed) {
            ++period.intransitive_to_transitive;
          } else if (two_path) {
            ++period.intransitive_to_intransitive;
          } else {
            ++period.intransitive_to_other;
          }
        }
      }
    }
  }
}

std::string Period(const PeriodChanges& period) {
  return Int(period.from, 2) + " to " + Int(period.from + 1, 2);
}

// A period's line of one dyad or triplet table: three counts, then their
// starting total after two blanks.
std::string ThreeWayLine(const PeriodChanges& period, std::int64_t a, std::int64_t b,
                         std::int64_t c, std::int64_t total) {
  return Period(period) + Int(a, 10) + Int(b, 10) + Int(c, 10) + "  " + Int(total, 10);
}

}  // namespace

ChangeDescriptives ComputeChangeDescriptives(const DataDescription& data,
                                             const std::vector<int>& observations) {
  ChangeDescriptives changes;
  const int n = data.num_actors;
  changes.num_actors = n;
  const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  std::vector<Observation> reduced(observations.size());
  for (std::size_t t = 0; t < observations.size(); ++t) {
    const auto k = static_cast<std::size_t>(observations[t]);
    Observation& o = reduced[t];
    o.tie.assign(cells, 0);
    o.missing.assign(cells, 0);
    for (std::size_t c = 0; c < cells; ++c) {
      o.missing[c] = data.missing_tie[k][c] != 0 ? 1 : 0;
      o.tie[c] = !o.missing[c] && data.relations[k][c] != 0 ? 1 : 0;
      if (o.missing[c]) changes.any_missing = true;
    }
  }
  for (std::size_t t = 0; t + 1 < reduced.size(); ++t) {
    PeriodChanges period;
    period.from = static_cast<int>(t) + 1;
    CountArcs(reduced[t], reduced[t + 1], n, period);
    CountDyads(reduced[t], reduced[t + 1], n, period);
    CountTriplets(reduced[t], reduced[t + 1], n, period);
    changes.periods.push_back(period);
  }
  return changes;
}

void WriteChangeDescriptives(const ChangeDescriptives& changes, TextWriter& report) {
  WriteSectionHeader(2, report, "Descriptives for changes between networks");
  if (changes.any_missing) {
    report.WriteLine("For the following statistics, missing values in the digraphs");
    report.WriteLine("for observations at the start or end of each period are not counted.");
    report.WriteLine();
  }

  WriteSectionHeader(3, report, "Arcs");
  report.WriteLine("Numbers of changes between subsequent observations");
  report.WriteLine(std::string("obs. times   0 -> 0    0 -> 1    1 -> 0    1 -> 1   Distance") +
                   (changes.any_missing ? "     Missing" : ""));
  const std::int64_t cells =
      static_cast<std::int64_t>(changes.num_actors) * (changes.num_actors - 1);
  for (const PeriodChanges& p : changes.periods) {
    std::string line = Period(p) + Int(p.empty, 10) + Int(p.gained, 10) + Int(p.lost, 10) +
                       Int(p.kept, 10) + Int(p.distance, 10);
    if (changes.any_missing) {
      // With fewer than two actors there are no off-diagonal cells to miss.
      const double percent =
          cells > 0
              ? RoundHalfEven(100.0 * static_cast<double>(p.missing) / static_cast<double>(cells))
              : 0.0;
      line += Int(p.missing, 8) + " (" + Int(static_cast<long long>(percent), 2) + "%)";
    }
    report.WriteLine(line);
  }
  report.WriteLine();

  WriteSectionHeader(3, report, "Dyads");
  report.WriteLine("Number of dyad changes between subsequent observations.");
  report.WriteLine("obs. times   M -> M    M -> A    M -> N      M -> any");
  for (const PeriodChanges& p : changes.periods) {
    report.WriteLine(
        ThreeWayLine(p, p.mutual_to_mutual, p.mutual_to_asymmetric, p.mutual_to_null, p.mutual));
  }
  report.WriteLine();
  report.WriteLine("obs. times   A -> M    A -> A (=)   A -> A (/=)   A -> N      A -> any");
  for (const PeriodChanges& p : changes.periods) {
    report.WriteLine(Period(p) + Int(p.asymmetric_to_mutual, 10) + Int(p.asymmetric_same, 10) +
                     Int(p.asymmetric_reversed, 13) + Int(p.asymmetric_to_null, 14) + "  " +
                     Int(p.asymmetric, 10));
  }
  report.WriteLine();
  report.WriteLine("obs. times   N -> M    N -> A    N -> N      N -> any");
  for (const PeriodChanges& p : changes.periods) {
    report.WriteLine(
        ThreeWayLine(p, p.null_to_mutual, p.null_to_asymmetric, p.null_to_null, p.null_dyads));
  }
  report.WriteLine();

  WriteSectionHeader(3, report, "Triplets");
  report.WriteLine("Changes from intransitive triplets, i.e.,");
  report.WriteLine("changes for triplets starting with (i -> j), (j -> h), not (i -> h).");
  report.WriteLine("obs. times   I -> T    I -> I    I -> O      I -> any");
  for (const PeriodChanges& p : changes.periods) {
    report.WriteLine(ThreeWayLine(p, p.intransitive_to_transitive, p.intransitive_to_intransitive,
                                  p.intransitive_to_other, p.intransitive));
  }
  report.WriteLine();
  report.WriteLine("Changes from transitive triplets, i.e.,");
  report.WriteLine("changes for triplets starting with (i -> j), (j -> h), (i -> h).");
  report.WriteLine("obs. times   T -> T    T -> I    T -> O      T -> any");
  for (const PeriodChanges& p : changes.periods) {
    report.WriteLine(ThreeWayLine(p, p.transitive_to_transitive, p.transitive_to_intransitive,
                                  p.transitive_to_other, p.transitive));
  }
  report.WriteLine();
  report.WriteLine();
}

void ReportChangeDescriptives(const DataDescription& data, TextWriter& report) {
  std::vector<int> observations;
  for (int k = 1; k <= data.num_networks; ++k) {
    if (data.selected[static_cast<std::size_t>(k)] != 0) observations.push_back(k);
  }
  WriteChangeDescriptives(ComputeChangeDescriptives(data, observations), report);
}

Status ReportRepeatedObservations(const DataDescription& data, TextWriter& report) {
  std::vector<int> observations;
  for (int k = 1; k <= data.num_networks; ++k) {
    if (data.selected[static_cast<std::size_t>(k)] != 0) observations.push_back(k);
  }
  report.WriteLine("Morva assumes dichotomized relational data: 0 = 0, >0 = 1.");
  report.WriteLine("The data sets are treated as repeated observations of the same network. ");
  if (observations.size() == 1) {
    report.WriteLine("Only one network is selected: " +
                     data.network_files[static_cast<std::size_t>(observations[0])]);
    report.WriteLine("Module used: morva-p*.");
    report.WriteLine("There are no descriptive statistics for morva-p*.");
    report.WriteLine();
    report.WriteLine();
  } else {
    report.WriteLine("The network is observed " + std::to_string(observations.size()) + " times:");
    for (std::size_t t = 0; t < observations.size(); ++t) {
      report.WriteLine("  observation " + std::to_string(t + 1) + ": " +
                       data.network_files[static_cast<std::size_t>(observations[t])]);
    }
    report.WriteLine();
    WriteChangeDescriptives(ComputeChangeDescriptives(data, observations), report);
  }
  report.WriteLine();
  report.WriteLine("There are no attribute statistics available for Morva.");
  return report.status();
}

}  // namespace kivo::tamsel
