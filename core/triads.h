#ifndef KIVO_CORE_TRIADS_H_
#define KIVO_CORE_TRIADS_H_

// The triad census of a directed graph: every unordered triple of vertices is
// classified into one of the 16 types of the mutual-asymmetric-null
// classification, and the triples of each type are counted. The order of the
// types (TriadTypeOrder) and their four-character labels are the ones every
// report of the suite prints.

#include <array>
#include <cstdint>
#include <string_view>

#include "core/kivo_mat.h"

namespace kivo {

// M: mutual dyads in the triple (0 to 3); A: asymmetric dyads (0 to 3);
// subtype (0 to 2) separates the types that share M and A. The null dyads,
// 3 - M - A, are not stored.
struct TriadType {
  std::uint8_t m = 0;
  std::uint8_t a = 0;
  std::uint8_t subtype = 0;

  friend constexpr bool operator==(const TriadType&, const TriadType&) = default;
};

inline constexpr int kTriadTypeCount = 16;

// Positions 1 to 16 are the positions of every census and of the weights of
// linear combinations of triad counts; entry 0 is unused.
inline constexpr std::array<TriadType, kTriadTypeCount + 1> TriadTypeOrder = {{
    {0, 0, 0},  // unused
    {0, 0, 0},  // 003
    {0, 1, 0},  // 012
    {1, 0, 0},  // 102
    {0, 2, 2},  // 021D
    {0, 2, 1},  // 021U
    {0, 2, 0},  // 021C
    {1, 1, 2},  // 111D
    {1, 1, 1},  // 111U
    {0, 3, 1},  // 030T
    {0, 3, 0},  // 030C
    {2, 0, 0},  // 201
    {1, 2, 2},  // 120D
    {1, 2, 1},  // 120U
    {1, 2, 0},  // 120C
    {2, 1, 0},  // 210
    {3, 0, 0},  // 300
}};

// Counts indexed 1 to 16 in TriadTypeOrder; entry 0 is always 0.
using TriadCounts = std::array<std::int32_t, kTriadTypeCount + 1>;

// The four-character label of a type ("003 ", "021D", ...); "XXXX" for a
// combination that is no triad type, such as (1, 1, 0).
constexpr std::string_view TriadLabel(TriadType t) {
  const int subtype = t.subtype;
  if (t.m > 3 || t.a > 3) return "XXXX";
  switch (t.m * 4 + t.a) {
    case 0 * 4 + 0:
      return "003 ";
    case 0 * 4 + 1:
      return "012 ";
    case 0 * 4 + 2:
      return subtype == 0 ? "021C" : subtype == 1 ? "021U" : subtype == 2 ? "021D" : "XXXX";
    case 0 * 4 + 3:
      return subtype == 0 ? "030C" : subtype == 1 ? "030T" : "XXXX";
    case 1 * 4 + 0:
      return "102 ";
    case 1 * 4 + 1:
      return subtype == 1 ? "111U" : subtype == 2 ? "111D" : "XXXX";
    case 1 * 4 + 2:
      return subtype == 0 ? "120C" : subtype == 1 ? "120U" : subtype == 2 ? "120D" : "XXXX";
    case 2 * 4 + 0:
      return "201 ";
    case 2 * 4 + 1:
      return "210 ";
    case 3 * 4 + 0:
      return subtype == 0 ? "300 " : "XXXX";
    default:
      return "XXXX";
  }
}

// A digraph on n vertices with its rows and columns packed into 64-bit words,
// for counts that combine whole rows at once. Vertex v (1 to n) is bit
// (v - 1) % 64 of word (v - 1) / 64; bits past n and the diagonal are 0.
inline constexpr int kVertexSetWords = (kMaxRows + 63) / 64;
using VertexSet = std::array<std::uint64_t, kVertexSetWords>;

struct PackedDigraph {
  int n = 0;
  std::array<VertexSet, kMaxRows + 1> out;  // out[a]: every b with an arc a to b
  std::array<VertexSet, kMaxRows + 1> in;   // in[b]: every a with an arc a to b
};

// Fills `packed` from the first n rows and columns of m; a cell counts as an
// arc when it is not 0. Diagonal cells are not read.
// REQUIRES: 0 <= n <= 200.
void PackDigraph(const BinaryMatrix& m, int n, PackedDigraph& packed);

// The triad census of the digraph held in the first n rows and columns of m.
// All counts are 0 when n < 3. Allocates nothing.
// REQUIRES: 0 <= n <= 200.
TriadCounts TriadCensus(const BinaryMatrix& m, int n);

// The same census of an already packed digraph.
TriadCounts TriadCensus(const PackedDigraph& g);

}  // namespace kivo

#endif  // KIVO_CORE_TRIADS_H_
