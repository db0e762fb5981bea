#ifndef KIVO_TAMSEL_NET_DESC_H_
#define KIVO_TAMSEL_NET_DESC_H_

// Network descriptives: the data-definition report (relation values and a
// cross-tabulation of dyads) and the network half of the descriptives report
// (density, degrees, dyads, triplets and triads, segmentation). Figures are
// computed first into plain records; the writers only lay them out.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/text_file.h"
#include "tamsel/net_index.h"
#include "tamsel/st_desc.h"

namespace kivo::tamsel {

// Sorts positions s..h of `values` ascending; positions before s keep theirs.
void SortValuesFrom(std::int32_t* values, int h, int s);

// Count q (1..10): off-diagonal cells of network k whose value equals list
// entry q. Cells with values not in the list are counted nowhere.
std::array<std::int64_t, kMaxRelationValues + 1> CountRelationValues(const DataDescription& data,
                                                                     int k, const ValueList& list);

// Pairs i < j by the list positions r (of cell (i, j)) and s (of (j, i)):
// entry 10 (r - 1) + (s - 1). Pairs with an unlisted value are not counted.
std::array<std::int64_t, 100> CrossTabulateDyads(const DataDescription& data, int k, int c,
                                                 const ValueList& list);

struct DyadCounts {
  std::int64_t complete = 0;  // pairs i < j with both cells not missing
  std::int64_t mutual = 0;
  std::int64_t asymmetric = 0;
  std::int64_t null = 0;
};
DyadCounts DyadCensus(const DataDescription& data, int k);

// Triples i < j < h whose upper cells (i, j), (i, h), (j, h) are not
// missing, by the number of ties and of absent cells among the three.
struct UndirectedTriads {
  std::int64_t total = 0;
  std::int64_t null = 0;
  std::int64_t one_edge = 0;
  std::int64_t intransitive = 0;
  std::int64_t transitive = 0;
};
UndirectedTriads UndirectedTriadCounts(const DataDescription& data, int k);

// Ordered triplets (i, j, h), not necessarily distinct, with ties i to j and
// j to h and cell (i, h) not missing; transitive when (i, h) is a tie too.
struct DirectedTriplets {
  std::int64_t total = 0;
  std::int64_t transitive = 0;
};
DirectedTriplets CountDirectedTriplets(const DataDescription& data, int k);

// The label of entry p of the triad type order, "----" outside 1..16.
std::string_view TriadLabelAt(int p);

// Everything the network half of the descriptives report prints about one
// network; `valid` flags say whether a guarded value exists.
struct NetworkFigures {
  std::int64_t arc_total = 0;          // values of the non-missing cells, diagonal included
  std::int64_t tie_cells = 0;          // non-missing cells above 0, diagonal included
  std::int64_t non_missing_cells = 0;  // off-diagonal
  std::vector<std::int64_t> in_sums;   // [1..n]
  std::vector<std::int64_t> out_sums;  // [1..n]
  bool dichotomous = false;
  bool symmetric = false;
  double in_sd = 0, in_heterogeneity = 0, out_sd = 0, out_heterogeneity = 0;
  DyadCounts dyads;
  UndirectedTriads triads;  // symmetric networks only
  double normalized_transitivity = 0;
  DirectedTriplets triplets;  // networks that are not symmetric only
  NetworkCensus census;       // networks that are not symmetric only
  double segmentation = 0;
  std::int64_t isolates = 0;
  std::int64_t components = 0;
};

struct NetworkDescriptives {
  bool has_missing = false;
  std::vector<NetworkFigures> networks;  // [1..N]
};

// Computes every figure and sets data.has_missing, is_dichotomous and
// is_symmetric.
NetworkDescriptives ComputeNetworkDescriptives(DataDescription& data);

void WriteNetworkDescriptives(const DataDescription& data, const NetworkDescriptives& figures,
                              TextWriter& report);

// Step 1: relation values with their counts and the cross-tabulation of dyads.
void ReportDataDefinition(DataDescription& data, TextWriter& report);

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_NET_DESC_H_
