#include "core/triads.h"

#include <bit>
#include <cstddef>
#include <cstdint>

namespace kivo {
namespace {

// Dyad code of an ordered pair (p, q): bit 0 is the arc p to q, bit 1 the arc
// q to p. 0 null, 1 out only, 2 in only, 3 mutual.
constexpr int DyadCode(bool p_to_q, bool q_to_p) { return (p_to_q ? 1 : 0) | (q_to_p ? 2 : 0); }

constexpr int PositionOf(TriadType t) {
  for (int p = 1; p <= kTriadTypeCount; ++p) {
    if (TriadTypeOrder[static_cast<std::size_t>(p)] == t) return p;
  }
  return 0;
}

// Classifies the triple (i, j, k) from its six arcs by counting mutual dyads
// and arcs and then applying the cycle / receiver / sender / source tests.
constexpr int ClassifyTriple(bool ij, bool ji, bool ik, bool ki, bool jk, bool kj) {
  const int m = (ij && ji ? 1 : 0) + (ik && ki ? 1 : 0) + (jk && kj ? 1 : 0);
  const int t = ij + ji + ik + ki + jk + kj;
  const int a = t - 2 * m;
  const bool cycle = (ij && jk && ki) || (ji && ik && kj);
  const bool one_receives_both = (ij && kj) || (ik && jk) || (ji && ki);
  const bool one_sends_both = (ji && jk) || (ki && kj) || (ij && ik);
  const bool some_receives_none = !((ij || kj) && (ik || jk) && (ji || ki));
  int subtype = 0;
  if (m == 0 && t == 3) {
    subtype = cycle ? 0 : 1;
  } else if (m == 0 && t == 2) {
    subtype = one_receives_both ? 1 : one_sends_both ? 2 : 0;
  } else if (m == 1 && t >= 4) {
    subtype = cycle ? 0 : some_receives_none ? 2 : 1;
  } else if (m == 1 && t == 3) {
    subtype = one_sends_both ? 1 : 2;
  }
  return PositionOf(TriadType{static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(a),
                              static_cast<std::uint8_t>(subtype)});
}

// Census position of a triple (p, q, r) indexed by the dyad codes of (p, q),
// (p, r) and (q, r): code(p, q) | code(p, r) << 2 | code(q, r) << 4. The type
// does not depend on how the three vertices are named.
constexpr std::array<std::uint8_t, 64> MakeTriadTable() {
  std::array<std::uint8_t, 64> table{};
  for (int code = 0; code < 64; ++code) {
    const int pq = code & 3;
    const int pr = (code >> 2) & 3;
    const int qr = (code >> 4) & 3;
    table[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(ClassifyTriple(
        (pq & 1) != 0, (pq & 2) != 0, (pr & 1) != 0, (pr & 2) != 0, (qr & 1) != 0, (qr & 2) != 0));
  }
  return table;
}

constexpr std::array<std::uint8_t, 64> kTriadTable = MakeTriadTable();

// Number of non-null dyads in a triple of each census position.
constexpr std::array<std::int32_t, kTriadTypeCount + 1> MakeLinkedDyads() {
  std::array<std::int32_t, kTriadTypeCount + 1> linked{};
  for (int p = 1; p <= kTriadTypeCount; ++p) {
    const TriadType t = TriadTypeOrder[static_cast<std::size_t>(p)];
    linked[static_cast<std::size_t>(p)] = t.m + t.a;
  }
  return linked;
}

constexpr std::array<std::int32_t, kTriadTypeCount + 1> kLinkedDyads = MakeLinkedDyads();

static_assert(kTriadTable[0] == 1, "empty triple is 003");
static_assert(kTriadTable[63] == 16, "complete triple is 300");
static_assert(ClassifyTriple(true, false, false, true, true, false) == 10, "cycle is 030C");
static_assert(ClassifyTriple(true, false, true, false, true, false) == 9, "030T");

// Per-vertex partition of the other vertices by the dyad they form with it.
struct DyadSets {
  std::array<VertexSet, kMaxRows + 1> out_only;
  std::array<VertexSet, kMaxRows + 1> in_only;
  std::array<VertexSet, kMaxRows + 1> mutual;
  std::array<std::int32_t, kMaxRows + 1> size[4];
};

// The census walks the pairs {i, j} that are joined by at least one arc and,
// for each, counts the third vertices k of each of the 16 combinations of
// dyads (i, k) and (j, k) by intersecting the packed neighbour sets. A triple
// is then seen once for every non-null dyad it has, so each raw count is
// divided by that number; triples without any arc (003) are what remains of
// n(n-1)(n-2)/6. Null classes are derived from the set sizes instead of being
// intersected.
inline bool HasVertex(const VertexSet& set, int v) {
  return ((set[static_cast<std::size_t>((v - 1) / 64)] >> ((v - 1) % 64)) & 1) != 0;
}

inline __attribute__((always_inline)) TriadCounts CensusKernel(const PackedDigraph& g,
                                                               DyadSets& sets) {
  TriadCounts counts{};
  const int n = g.n;
  if (n < 3) return counts;
  const int words = (n + 63) / 64;
  for (int v = 1; v <= n; ++v) {
    const auto vi = static_cast<std::size_t>(v);
    std::int32_t s1 = 0, s2 = 0, s3 = 0;
    for (int w = 0; w < words; ++w) {
      const auto wi = static_cast<std::size_t>(w);
      const std::uint64_t o = g.out[vi][wi];
      const std::uint64_t i = g.in[vi][wi];
      sets.out_only[vi][wi] = o & ~i;
      sets.in_only[vi][wi] = i & ~o;
      sets.mutual[vi][wi] = o & i;
      s1 += std::popcount(o & ~i);
      s2 += std::popcount(i & ~o);
      s3 += std::popcount(o & i);
    }
    sets.size[1][vi] = s1;
    sets.size[2][vi] = s2;
    sets.size[3][vi] = s3;
  }

  std::array<std::int32_t, kTriadTypeCount + 1> raw{};
  for (int i = 1; i <= n - 1; ++i) {
    const auto ii = static_cast<std::size_t>(i);
    const std::array<const VertexSet*, 4> of_i = {nullptr, &sets.out_only[ii], &sets.in_only[ii],
                                                  &sets.mutual[ii]};
    // Partners j > i joined to i; vertex i + 1 is bit i % 64 of word i / 64.
    for (int w = i / 64; w < words; ++w) {
      std::uint64_t partners =
          g.out[ii][static_cast<std::size_t>(w)] | g.in[ii][static_cast<std::size_t>(w)];
      if (w == i / 64) partners &= ~std::uint64_t{0} << (i % 64);
      while (partners != 0) {
        const int j = w * 64 + std::countr_zero(partners) + 1;
        partners &= partners - 1;
        const auto ji = static_cast<std::size_t>(j);
        const int c = DyadCode(HasVertex(g.out[ii], j), HasVertex(g.in[ii], j));
        // From j's side, i is in the class with out and in swapped.
        const int c_ji = ((c & 1) << 1) | (c >> 1);
        const std::array<const VertexSet*, 4> of_j = {nullptr, &sets.out_only[ji],
                                                      &sets.in_only[ji], &sets.mutual[ji]};
        std::int32_t cell[4][4] = {};
        for (int x = 1; x <= 3; ++x) {
          for (int y = 1; y <= 3; ++y) {
            std::int32_t k_count = 0;
            const VertexSet& a = *of_i[static_cast<std::size_t>(x)];
            const VertexSet& b = *of_j[static_cast<std::size_t>(y)];
            for (int w2 = 0; w2 < words; ++w2) {
              k_count +=
                  std::popcount(a[static_cast<std::size_t>(w2)] & b[static_cast<std::size_t>(w2)]);
            }
            cell[x][y] = k_count;
          }
        }
        std::int32_t seen = 0;
        for (int x = 1; x <= 3; ++x) {
          // Vertex j lies in i's class c but is no third vertex.
          cell[x][0] = sets.size[x][ii] - cell[x][1] - cell[x][2] - cell[x][3] - (x == c ? 1 : 0);
          seen += cell[x][0] + cell[x][1] + cell[x][2] + cell[x][3];
        }
        for (int y = 1; y <= 3; ++y) {
          cell[0][y] =
              sets.size[y][ji] - cell[1][y] - cell[2][y] - cell[3][y] - (y == c_ji ? 1 : 0);
          seen += cell[0][y];
        }
        cell[0][0] = n - 2 - seen;
        for (int x = 0; x <= 3; ++x) {
          for (int y = 0; y <= 3; ++y) {
            raw[kTriadTable[static_cast<std::size_t>(c | (x << 2) | (y << 4))]] += cell[x][y];
          }
        }
      }
    }
  }

  std::int32_t linked_triples = 0;
  for (std::size_t p = 2; p <= kTriadTypeCount; ++p) {
    counts[p] = raw[p] / kLinkedDyads[p];
    linked_triples += counts[p];
  }
  const std::int64_t triples = static_cast<std::int64_t>(n) * (n - 1) * (n - 2) / 6;
  counts[1] = static_cast<std::int32_t>(triples) - linked_triples;
  return counts;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(__POPCNT__)
// The build targets the baseline instruction set, where a population count is
// a library call; the census is dominated by population counts, so a copy of
// the kernel compiled for the popcnt instruction is chosen when the processor
// has it.
__attribute__((target("popcnt"))) TriadCounts CensusWithPopcnt(const PackedDigraph& g,
                                                               DyadSets& sets) {
  return CensusKernel(g, sets);
}
TriadCounts CensusPortable(const PackedDigraph& g, DyadSets& sets) { return CensusKernel(g, sets); }
TriadCounts RunCensus(const PackedDigraph& g, DyadSets& sets) {
  static const bool has_popcnt = __builtin_cpu_supports("popcnt");
  return has_popcnt ? CensusWithPopcnt(g, sets) : CensusPortable(g, sets);
}
#else
TriadCounts RunCensus(const PackedDigraph& g, DyadSets& sets) { return CensusKernel(g, sets); }
#endif

}  // namespace

void PackDigraph(const BinaryMatrix& m, int n, PackedDigraph& packed) {
  packed.n = n;
  for (int v = 0; v <= n; ++v) {
    packed.out[static_cast<std::size_t>(v)] = VertexSet{};
    packed.in[static_cast<std::size_t>(v)] = VertexSet{};
  }
  for (int a = 1; a <= n; ++a) {
    const std::uint8_t* row = &m.cells[static_cast<std::size_t>((a - 1) * kMaxColumns)];
    VertexSet& out = packed.out[static_cast<std::size_t>(a)];
    const std::uint64_t a_bit = std::uint64_t{1} << ((a - 1) % 64);
    const auto a_word = static_cast<std::size_t>((a - 1) / 64);
    for (int b = 1; b <= n; ++b) {
      if (b == a || row[b - 1] == 0) continue;
      out[static_cast<std::size_t>((b - 1) / 64)] |= std::uint64_t{1} << ((b - 1) % 64);
      packed.in[static_cast<std::size_t>(b)][a_word] |= a_bit;
    }
  }
}

TriadCounts TriadCensus(const PackedDigraph& g) {
  DyadSets sets;
  return RunCensus(g, sets);
}

TriadCounts TriadCensus(const BinaryMatrix& m, int n) {
  PackedDigraph g;
  PackDigraph(m, n, g);
  return TriadCensus(g);
}

}  // namespace kivo
