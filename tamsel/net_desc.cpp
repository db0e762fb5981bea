#include "tamsel/net_desc.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>

#include "core/triads.h"
#include "runfiles/format.h"
#include "runfiles/kivolib.h"
#include "tamsel/slib.h"

namespace kivo::tamsel {
namespace {

constexpr std::string_view kDashCell = "     -  ";

std::string CountCell(std::int64_t value) { return Int(value, 6) + "  "; }

std::string RealCell(double value) {
  if (!std::isfinite(value)) return std::string(kDashCell);
  return Real(value, 6, 3) + "  ";
}

std::string YesNoCell(bool yes) { return yes ? "   yes  " : "    no  "; }

std::int64_t PopCount(std::uint64_t word) { return std::popcount(word); }

void WriteNetworkHeader(const DataDescription& data, TextWriter& report,
                        std::string_view first = "Network            ") {
  std::string line(first);
  for (int k = 1; k <= data.num_networks; ++k) line += Int(k, 4) + "    ";
  report.WriteLine(line);
  report.WriteLine();
}

// A row of the network tables: the 17-character label and one cell per network.
template <typename CellOf>
void WriteRow(const DataDescription& data, TextWriter& report, std::string_view label,
              CellOf cell_of) {
  std::string line(label);
  for (int k = 1; k <= data.num_networks; ++k) line += cell_of(k);
  report.WriteLine(line);
}

void WriteDichotomizedLines(const DataDescription& data, const NetworkDescriptives& figures,
                            TextWriter& report) {
  for (int k = 1; k <= data.num_networks; ++k) {
    if (!figures.networks[static_cast<std::size_t>(k)].dichotomous) {
      report.WriteLine("In network " + std::to_string(k) +
                       " relations are dichotomized: 0 = 0, >0 = 1");
    }
  }
}

}  // namespace

void SortValuesFrom(std::int32_t* values, int h, int s) {
  if (s > h) return;
  std::sort(values + s, values + h + 1);
}

std::array<std::int64_t, kMaxRelationValues + 1> CountRelationValues(const DataDescription& data,
                                                                     int k, const ValueList& list) {
  std::array<std::int64_t, kMaxRelationValues + 1> counts{};
  const int n = data.num_actors;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      const std::int32_t value = data.Relation(k, i, j);
      for (std::size_t q = 1; q <= kMaxRelationValues; ++q) {
        if (value == list[q]) ++counts[q];
      }
    }
  }
  return counts;
}

std::array<std::int64_t, 100> CrossTabulateDyads(const DataDescription& data, int k, int c,
                                                 const ValueList& list) {
  std::array<std::int64_t, 100> counts{};
  const auto position = [&list, c](std::int32_t value) {
    for (int q = 1; q <= c; ++q) {
      if (list[static_cast<std::size_t>(q)] == value) return q;
    }
    return 0;
  };
  const int n = data.num_actors;
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      const int r = position(data.Relation(k, i, j));
      const int s = position(data.Relation(k, j, i));
      if (r > 0 && s > 0) ++counts[static_cast<std::size_t>(10 * (r - 1) + (s - 1))];
    }
  }
  return counts;
}

DyadCounts DyadCensus(const DataDescription& data, int k) {
  DyadCounts dyads;
  const int n = data.num_actors;
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      if (data.IsMissing(k, i, j) || data.IsMissing(k, j, i)) continue;
      ++dyads.complete;
      const int ties = (data.Relation(k, i, j) > 0 ? 1 : 0) + (data.Relation(k, j, i) > 0 ? 1 : 0);
      if (ties == 2) ++dyads.mutual;
      if (ties == 1) ++dyads.asymmetric;
      if (ties == 0) ++dyads.null;
    }
  }
  return dyads;
}

UndirectedTriads UndirectedTriadCounts(const DataDescription& data, int k) {
  // Upper cells (i, h), h > i, of every row as bit sets: tie, absent (value
  // 0) and not missing. The triples i < j < h of a pair i < j are then the
  // bits that row i and row j share, since row j holds only h > j.
  const int n = data.num_actors;
  BitRows tie(n), absent(n), present(n);
  for (int i = 1; i <= n; ++i) {
    for (int h = i + 1; h <= n; ++h) {
      if (data.IsMissing(k, i, h)) continue;
      present.Set(i, h);
      const std::int32_t value = data.Relation(k, i, h);
      if (value > 0) tie.Set(i, h);
      if (value == 0) absent.Set(i, h);
    }
  }
  UndirectedTriads triads;
  const std::size_t words = tie.words();
  for (int i = 1; i <= n; ++i) {
    const std::uint64_t* t_i = tie.row(i);
    const std::uint64_t* a_i = absent.row(i);
    const std::uint64_t* p_i = present.row(i);
    for (int j = i + 1; j <= n; ++j) {
      if (!present.Test(i, j)) continue;
      const bool ij_tie = tie.Test(i, j);
      const bool ij_absent = absent.Test(i, j);
      const std::uint64_t* t_j = tie.row(j);
      const std::uint64_t* a_j = absent.row(j);
      const std::uint64_t* p_j = present.row(j);
      for (std::size_t w = static_cast<std::size_t>(j - 1) / 64; w < words; ++w) {
        triads.total += PopCount(p_i[w] & p_j[w]);
        const std::uint64_t both_ties = t_i[w] & t_j[w];
        const std::uint64_t one_tie = (t_i[w] & a_j[w]) | (a_i[w] & t_j[w]);
        const std::uint64_t both_absent = a_i[w] & a_j[w];
        if (ij_tie) {
          triads.transitive += PopCount(both_ties);
          triads.intransitive += PopCount(one_tie);
          triads.one_edge += PopCount(both_absent);
        } else if (ij_absent) {
          triads.intransitive += PopCount(both_ties);
          triads.one_edge += PopCount(one_tie);
          triads.null += PopCount(both_absent);
        }
      }
    }
  }
  return triads;
}

DirectedTriplets CountDirectedTriplets(const DataDescription& data, int k) {
  const int n = data.num_actors;
  BitRows tie(n), present(n);
  for (int i = 1; i <= n; ++i) {
    for (int h = 1; h <= n; ++h) {
      if (data.IsMissing(k, i, h)) continue;
      present.Set(i, h);
      if (data.Relation(k, i, h) > 0) tie.Set(i, h);
    }
  }
  DirectedTriplets triplets;
  const std::size_t words = tie.words();
  for (int i = 1; i <= n; ++i) {
    const std::uint64_t* t_i = tie.row(i);
    const std::uint64_t* p_i = present.row(i);
    for (int j = 1; j <= n; ++j) {
      if (!tie.Test(i, j)) continue;
      const std::uint64_t* t_j = tie.row(j);
      for (std::size_t w = 0; w < words; ++w) {
        triplets.total += PopCount(t_j[w] & p_i[w]);
        triplets.transitive += PopCount(t_j[w] & t_i[w]);
      }
    }
  }
  return triplets;
}

std::string_view TriadLabelAt(int p) {
  if (p < 1 || p > kTriadTypeCount) return "----";
  return TriadLabel(TriadTypeOrder[static_cast<std::size_t>(p)]);
}

NetworkDescriptives ComputeNetworkDescriptives(DataDescription& data) {
  NetworkDescriptives figures;
  const int n = data.num_actors;
  const std::int64_t off_diagonal = static_cast<std::int64_t>(n) * (n - 1);
  figures.networks.resize(static_cast<std::size_t>(data.num_networks) + 1);
  for (int k = 1; k <= data.num_networks; ++k) {
    NetworkFigures& f = figures.networks[static_cast<std::size_t>(k)];
    f.in_sums.assign(static_cast<std::size_t>(n) + 1, 0);
    f.out_sums.assign(static_cast<std::size_t>(n) + 1, 0);
    f.dichotomous = true;
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) {
        const std::size_t cell = data.Cell(i, j);
        if (data.missing_tie[k][cell] != 0) continue;
        // Sums are signed and 64-bit: a negative value that is no missing
        // code lowers them instead of wrapping round.
        const std::int32_t value = data.relations[k][cell];
        f.arc_total += value;
        f.out_sums[static_cast<std::size_t>(i)] += value;
        f.in_sums[static_cast<std::size_t>(j)] += value;
        if (value > 0) ++f.tie_cells;
        if (value > 1) f.dichotomous = false;
        if (i != j) ++f.non_missing_cells;
      }
    }
    f.symmetric = f.in_sums == f.out_sums;
    if (f.non_missing_cells < off_diagonal) figures.has_missing = true;
    data.is_dichotomous[static_cast<std::size_t>(k)] = f.dichotomous ? 1 : 0;
    data.is_symmetric[static_cast<std::size_t>(k)] = f.symmetric ? 1 : 0;

    const bool any_cell = f.non_missing_cells > 0;
    if (f.dichotomous && any_cell) {
      // The number of ties: for 0-1 data the same as the arc total.
      const auto ties = static_cast<double>(f.tie_cells);
      const double in_variance = DegreeVariance(data, k, Direction::kIn);
      f.in_sd = GuardedSqrt(in_variance);
      f.in_heterogeneity = HeterogeneityIndex(data, f.symmetric, ties, in_variance);
      if (!f.symmetric) {
        const double out_variance = DegreeVariance(data, k, Direction::kOut);
        f.out_sd = GuardedSqrt(out_variance);
        f.out_heterogeneity = HeterogeneityIndex(data, f.symmetric, ties, out_variance);
      }
    }
    f.dyads = DyadCensus(data, k);
    if (f.symmetric) {
      f.triads = UndirectedTriadCounts(data, k);
      if (3 * f.triads.transitive + 2 * f.triads.intransitive > 0) {
        f.normalized_transitivity =
            NormalizedTransitivity(data, k, f.triads.intransitive, f.triads.transitive);
      }
    } else {
      f.triplets = CountDirectedTriplets(data, k);
      f.census = NetworkTriadCensus(data, k);
    }
    if (any_cell) {
      f.segmentation = SegmentationS3(data, k);
      f.isolates = CountIsolates(data, k);
      f.components = CountWeakComponents(data, k);
    }
  }
  data.has_missing = figures.has_missing ? 1 : 0;
  return figures;
}

void WriteNetworkDescriptives(const DataDescription& data, const NetworkDescriptives& figures,
                              TextWriter& report) {
  const int n = data.num_actors;
  const int count = data.num_networks;
  const auto at = [&figures](int k) -> const NetworkFigures& {
    return figures.networks[static_cast<std::size_t>(k)];
  };
  bool any_dichotomous = false;
  bool any_symmetric = false;
  bool any_directed = false;
  for (int k = 1; k <= count; ++k) {
    any_dichotomous = any_dichotomous || at(k).dichotomous;
    any_symmetric = any_symmetric || at(k).symmetric;
    any_directed = any_directed || !at(k).symmetric;
  }
  const bool missing = figures.has_missing;
  const auto no_cells = [&at](int k) { return at(k).non_missing_cells == 0; };
  const std::string dash(kDashCell);

  WriteSectionHeader(
      1, report,
      data.step == 2 ? "TAMSEL data in TRANSFORMATION step" : "TAMSEL data in SELECTION step");
  WriteSectionHeader(2, report, "Network descriptives");
  report.WriteLine("Self-relations are assumed not to exist and are therefore not counted.");
  if (!missing) {
    report.WriteLine("No missing data in these data sets.");
  } else {
    report.WriteLine("For the counts of arcs, dyads, triplets, and triads, ");
    report.WriteLine("missing values are not counted.");
    report.WriteLine("For the numbers of isolates, components, s.d.s, and variances, ");
    report.WriteLine("missing values are considered as absent arcs.");
    report.WriteLine();
  }

  WriteNetworkHeader(data, report);
  WriteRow(data, report, "Density          ", [&](int k) {
    if (no_cells(k)) return dash;
    return RealCell(static_cast<double>(at(k).arc_total) /
                    static_cast<double>(at(k).non_missing_cells));
  });
  WriteRow(data, report, "Average degree   ", [&](int k) {
    if (no_cells(k)) return dash;
    return RealCell(static_cast<double>(static_cast<std::int64_t>(n - 1) * at(k).arc_total) /
                    static_cast<double>(at(k).non_missing_cells));
  });
  if (missing) {
    WriteRow(data, report, "Missing fraction ", [&](int k) {
      return RealCell(1.0 - static_cast<double>(at(k).non_missing_cells) /
                                (static_cast<double>(n) * static_cast<double>(n - 1)));
    });
  }
  WriteRow(data, report, "Symmetric        ", [&](int k) { return YesNoCell(at(k).symmetric); });
  WriteRow(data, report, "Dichotomous      ", [&](int k) { return YesNoCell(at(k).dichotomous); });
  report.WriteLine();
  report.WriteLine("Symmetric networks are treated as undirected graphs,");
  report.WriteLine("networks that are not symmetric as directed graphs.");
  report.WriteLine();

  WriteSectionHeader(3, report, "Degrees and degree variances");
  report.WriteLine("For undirected graphs only indegrees are presented.");
  report.WriteLine("For dichotomous networks, standard deviations and the");
  report.WriteLine("index of heterogeneity is calculated.");
  report.WriteLine();
  const auto write_degrees = [&](bool out) {
    WriteNetworkHeader(data, report, out ? "Outdegree network  " : "Indegree network   ");
    const auto shown = [&](int k) { return !no_cells(k) && !(out && at(k).symmetric); };
    // Without a network no file backs the number of actors, and its rows
    // would hold no cell: none are written.
    const int rows = count > 0 ? n : 0;
    for (int i = 1; i <= rows; ++i) {
      const std::string label = (i == 1 ? "Actor" : "     ") + Int(i, 5) + "       ";
      WriteRow(data, report, label, [&](int k) {
        if (!shown(k)) return dash;
        const auto& sums = out ? at(k).out_sums : at(k).in_sums;
        return CountCell(sums[static_cast<std::size_t>(i)]);
      });
    }
    if (any_dichotomous) {
      WriteRow(data, report, "Degree st.dev.   ", [&](int k) {
        if (!shown(k) || !at(k).dichotomous) return dash;
        return RealCell(out ? at(k).out_sd : at(k).in_sd);
      });
      WriteRow(data, report, "Heterogeneity    ", [&](int k) {
        if (!shown(k) || !at(k).dichotomous) return dash;
        return RealCell(out ? at(k).out_heterogeneity : at(k).in_heterogeneity);
      });
    }
  };
  write_degrees(false);
  if (any_directed) {
    report.WriteLine();
    report.WriteLine();
    write_degrees(true);
  }
  report.WriteLine();

  WriteSectionHeader(3, report, "Dyad count");
  report.WriteLine("Dyad census <M,A,N>.");
  WriteDichotomizedLines(data, figures, report);
  report.WriteLine("The degree of reciprocity = 2M/(2M + A).");
  report.WriteLine();
  WriteNetworkHeader(data, report);
  WriteRow(data, report, missing ? "Complete dyads   " : "Dyads            ",
           [&](int k) { return no_cells(k) ? dash : CountCell(at(k).dyads.complete); });
  const auto dyad_row = [&](std::string_view label, auto value) {
    WriteRow(data, report, label, [&](int k) {
      return at(k).dyads.complete == 0 ? dash : CountCell(value(at(k).dyads));
    });
  };
  dyad_row("Mutual (M)       ", [](const DyadCounts& d) { return d.mutual; });
  dyad_row("Asymmetric (A)   ", [](const DyadCounts& d) { return d.asymmetric; });
  dyad_row("Null (N)         ", [](const DyadCounts& d) { return d.null; });
  WriteRow(data, report, "Reciprocity      ", [&](int k) {
    const DyadCounts& d = at(k).dyads;
    if (d.mutual + d.asymmetric == 0) return dash;
    return RealCell(2.0 * static_cast<double>(d.mutual) /
                    static_cast<double>(2 * d.mutual + d.asymmetric));
  });
  report.WriteLine();
  report.WriteLine();

  WriteSectionHeader(3, report, "Triplets and triads");
  WriteDichotomizedLines(data, figures, report);
  if (any_symmetric) {
    report.WriteLine("Undirected graphs: (ordered) triad count.");
    report.WriteLine("The degree of transitivity = 3Tr/(3Tr+2In).");
    report.WriteLine();
    WriteNetworkHeader(data, report);
    WriteRow(data, report, missing ? "Complete triads  " : "Triads           ", [&](int k) {
      return !at(k).symmetric || no_cells(k) ? dash : CountCell(at(k).triads.total);
    });
    const auto triad_row = [&](std::string_view label, auto value) {
      WriteRow(data, report, label, [&](int k) {
        if (!at(k).symmetric || at(k).triads.total == 0) return dash;
        return CountCell(value(at(k).triads));
      });
    };
    triad_row("Neutral (null)   ", [](const UndirectedTriads& t) { return t.null; });
    triad_row("Neutral (1 edge) ", [](const UndirectedTriads& t) { return t.one_edge; });
    triad_row("Intransitive (In)", [](const UndirectedTriads& t) { return t.intransitive; });
    triad_row("Transitive (Tr)  ", [](const UndirectedTriads& t) { return t.transitive; });
    report.WriteLine();
    const auto closed = [&](int k) {
      return at(k).symmetric && 3 * at(k).triads.transitive + 2 * at(k).triads.intransitive > 0;
    };
    WriteRow(data, report, "Transitivity (T) ", [&](int k) {
      if (!closed(k)) return dash;
      const auto tr = static_cast<double>(at(k).triads.transitive);
      const auto in = static_cast<double>(at(k).triads.intransitive);
      return RealCell(3 * tr / (3 * tr + 2 * in));
    });
    WriteRow(data, report, "Normalized T     ",
             [&](int k) { return closed(k) ? RealCell(at(k).normalized_transitivity) : dash; });
  }
  if (any_directed) {
    report.WriteLine();
    report.WriteLine();
    if (missing) {
      report.WriteLine("Directed graphs: triplets with (i -> j), (j -> h)");
      report.WriteLine("and (i,h) non-missing.");
    } else {
      report.WriteLine("Directed graphs: triplets with (i -> j), (j -> h).");
    }
    report.WriteLine();
    WriteNetworkHeader(data, report);
    WriteRow(data, report, "Total            ", [&](int k) {
      return at(k).symmetric || no_cells(k) ? dash : CountCell(at(k).triplets.total);
    });
    WriteRow(data, report, "Transitive       ", [&](int k) {
      return at(k).symmetric || no_cells(k) ? dash : CountCell(at(k).triplets.transitive);
    });
    WriteRow(data, report, "Transitivity (T) ", [&](int k) {
      const DirectedTriplets& t = at(k).triplets;
      if (at(k).symmetric || t.total == 0) return dash;
      return RealCell(SafeDivide(static_cast<double>(t.transitive), static_cast<double>(t.total)));
    });
    report.WriteLine();
    report.WriteLine();
    report.WriteLine("Triad census");
    report.WriteLine();
    std::string line(12, ' ');
    for (int k = 1; k <= count; ++k) {
      if (at(k).symmetric) continue;
      line += "Network " + std::to_string(k) + (k < 10 ? " " : "") + "   ";
    }
    report.WriteLine(line);
    line = "Triad       ";
    for (int k = 1; k <= count; ++k) {
      if (!at(k).symmetric) line += "Num. Prop.   ";
    }
    report.WriteLine(line);
    for (int p = 1; p <= kTriadTypeCount; ++p) {
      line = std::string(TriadLabelAt(p)) + "       ";
      for (int k = 1; k <= count; ++k) {
        const NetworkCensus& c = at(k).census;
        if (at(k).symmetric) continue;
        line += Int(c.counts[static_cast<std::size_t>(p)], 4) + "  ";
        // Without a counted triple there is no proportion to show.
        line +=
            c.counted == 0 ? Text("-", 5) : Real(c.proportions[static_cast<std::size_t>(p)], 5, 3);
        line += "  ";
      }
      report.WriteLine(line);
    }
    line = missing ? "Tot. non-missing  " : "Total             ";
    for (int k = 1; k <= count; ++k) {
      if (!at(k).symmetric) line += Int(at(k).census.counted, 4) + "         ";
    }
    report.WriteLine(line);
  }
  report.WriteLine();

  WriteSectionHeader(3, report, "Segmentation and components");
  report.WriteLine("Segmentation index S3,");
  report.WriteLine("number of isolated vertices, and");
  report.WriteLine("number of weak components of 2 or more vertices.");
  report.WriteLine();
  WriteNetworkHeader(data, report);
  WriteRow(data, report, "Segmentation (S3)",
           [&](int k) { return no_cells(k) ? dash : RealCell(at(k).segmentation); });
  WriteRow(data, report, "Num. isolates    ",
           [&](int k) { return no_cells(k) ? dash : CountCell(at(k).isolates); });
  WriteRow(data, report, "Num. components  ",
           [&](int k) { return no_cells(k) ? dash : CountCell(at(k).components); });
  report.WriteLine();
  report.WriteLine();
}

void ReportDataDefinition(DataDescription& data, TextWriter& report) {
  const int n = data.num_actors;
  WriteSectionHeader(1, report, "TAMSEL data in DATA DEFINITION step");
  WriteSectionHeader(2, report, "Network descriptives");
  report.WriteLine("Self-relations are assumed not to exist and are therefore not counted.");
  report.WriteLine("Attribute statistics are not provided in step 1.");
  WriteSectionHeader(3, report, "Relation count");
  report.WriteLine("Number of actors in the observed networks is" + Int(n, 4) + ".");
  report.WriteLine("For digraphs the total number of relations is" +
                   Int(static_cast<std::int64_t>(n) * (n - 1), 6) + ".");
  report.WriteLine();
  for (int k = 1; k <= data.num_networks; ++k) {
    ValueList& list = data.relation_values[static_cast<std::size_t>(k)];
    const int c = list[0];
    for (int q = c + 1; q <= kMaxRelationValues; ++q)
      list[static_cast<std::size_t>(q)] = kSortSentinel;
    SortValuesFrom(list.data(), kMaxRelationValues, 1);
    const auto counts = CountRelationValues(data, k, list);
    std::string line = "Relations network" + Int(k, 3) + ": ";
    for (int q = 1; q <= c; ++q) line += Int(list[static_cast<std::size_t>(q)], 6);
    report.WriteLine(line);
    line = "  count               ";
    for (int q = 1; q <= c; ++q) line += Int(counts[static_cast<std::size_t>(q)], 6);
    report.WriteLine(line);
    report.WriteLine();
  }
  WriteSectionHeader(3, report, "Dyad count");
  for (int k = 1; k <= data.num_networks; ++k) {
    const ValueList& list = data.relation_values[static_cast<std::size_t>(k)];
    const int c = list[0];
    const auto counts = CrossTabulateDyads(data, k, c, list);
    report.WriteLine("Cross tabulation of dyads: network " + std::to_string(k));
    report.WriteLine();
    report.WriteLine("             X(j,i)");
    std::string line(9, ' ');
    for (int q = 1; q <= c; ++q) line += Int(list[static_cast<std::size_t>(q)], 5);
    report.WriteLine(line);
    for (int r = 1; r <= c; ++r) {
      line = (r == 1 ? "X(i,j)" : "      ") + Int(list[static_cast<std::size_t>(r)], 3);
      for (int s = 1; s <= c; ++s) {
        line += Int(counts[static_cast<std::size_t>(10 * (r - 1) + (s - 1))], 5);
      }
      report.WriteLine(line);
    }
    report.WriteLine();
  }
}

}  // namespace kivo::tamsel
