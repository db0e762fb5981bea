#ifndef KIVO_TAMSEL_NET_INDEX_H_
#define KIVO_TAMSEL_NET_INDEX_H_

// Structural indices of one network of the data description: degree spread
// and heterogeneity, normalised transitivity, the triad census without
// triples that touch a missing cell, segmentation, isolates and weak
// components. A cell is a tie when its value is above 0 and it is not
// missing. Pure functions: nothing is written to the report.
//
// The cubic counts work on rows packed into 64-bit words, so networks of a
// few thousand actors stay usable; counts are 64-bit so that they stay right
// beyond the 32-bit range of the number of triples.

#include <array>
#include <cstdint>
#include <vector>

#include "core/triads.h"
#include "tamsel/st_desc.h"

namespace kivo::tamsel {

// n rows of n bits each; bit j of row i (both from 1) set or clear.
class BitRows {
 public:
  explicit BitRows(int n);
  void Set(int i, int j) {
    row(i)[static_cast<std::size_t>(j - 1) / 64] |= std::uint64_t{1} << ((j - 1) % 64);
  }
  bool Test(int i, int j) const {
    return (row(i)[static_cast<std::size_t>(j - 1) / 64] >> ((j - 1) % 64)) & 1U;
  }
  std::uint64_t* row(int i) { return bits_.data() + static_cast<std::size_t>(i - 1) * words_; }
  const std::uint64_t* row(int i) const {
    return bits_.data() + static_cast<std::size_t>(i - 1) * words_;
  }
  std::size_t words() const { return words_; }

 private:
  std::size_t words_;
  std::vector<std::uint64_t> bits_;
};

enum class Direction { kIn, kOut };

// Population variance (divisor n) of the in- or out-degrees counted in ties.
// REQUIRES: data.num_actors > 0.
double DegreeVariance(const DataDescription& data, int k, Direction direction);

// 0 at the degree spread of a uniformly random graph with `arc_total` ties, 1
// at the largest spread those ties allow; undirected graphs count both
// directions of an edge in `arc_total`.
double HeterogeneityIndex(const DataDescription& data, bool undirected, double arc_total,
                          double variance);

// (T - E) / (1 - E), T the transitivity 3Tr / (3Tr + 2In) and E the one
// expected from the number of tie cells. Not finite when the expectation
// leaves no room (the report then shows a dash).
// REQUIRES: 3 tr + 2 in > 0.
double NormalizedTransitivity(const DataDescription& data, int k, std::int64_t in, std::int64_t tr);

struct NetworkCensus {
  std::array<std::int64_t, kTriadTypeCount + 1> counts{};  // [1..16] in TriadTypeOrder
  std::int64_t counted = 0;  // triples whose six cells are all not missing
  // [1..16]: count / counted; all 0 when no triple was counted.
  std::array<double, kTriadTypeCount + 1> proportions{};
};

NetworkCensus NetworkTriadCensus(const DataDescription& data, int k);

// (1 - d - a) / (1 - d), d the share of tied pairs i < j and a twice the
// share of untied pairs (value 0) with a common out-neighbour.
// REQUIRES: data.num_actors >= 2.
double SegmentationS3(const DataDescription& data, int k);

// Actors without a tie in either direction (a tie to itself counts).
std::int64_t CountIsolates(const DataDescription& data, int k);

// Weak components of two or more actors, plus actors whose only tie is to
// themselves.
std::int64_t CountWeakComponents(const DataDescription& data, int k);

// Triad type position (1..16) of every combination of the three dyads of a
// triple i < j < h, index 25 c(i,j) + 5 c(i,h) + c(j,h), where a dyad code
// c(x,y) is 1 for the arc x to y only, 2 for y to x only, 3 for both, 0 for
// none, and 4 when one of its cells is missing (position 0: not counted).
std::array<std::uint8_t, 125> TriadPositionTable();

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_NET_INDEX_H_
