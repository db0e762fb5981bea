#include "core/triads.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Per-vertex partition of the other vertices by the dyad they form with it,
// indexed by dyad code 1 (out only), 2 (in only), 3 (mutual), and the sizes.
struct DyadSets {
  std::array<std::array<VertexSet, 4>, kMaxRows + 1> of;
  std::array<std::array<std::int32_t, 4>, kMaxRows + 1> size;
};

inline bool HasVertex(const VertexSet& set, int v) {
  return ((set[static_cast<std::size_t>((v - 1) / 64)] >> ((v - 1) % 64)) & 1) != 0;
}

template <int kWords>
inline __attribute__((always_inline)) std::int32_t CommonCount(const VertexSet& a,
                                                               const VertexSet& b) {
  std::int32_t count = 0;
  for (std::size_t w = 0; w < kWords; ++w) count += std::popcount(a[w] & b[w]);
  return count;
}

// The census walks the pairs {i, j} that are joined by at least one arc and,
// for each, counts the third vertices k of each of the 16 combinations of
// dyads (i, k) and (j, k) by intersecting the packed neighbour sets. The
// counts are summed per combination and dyad code of {i, j}, and only then
// mapped to triad types: a triple is seen once for every non-null dyad it
// has, so each type's sum is divided by that number; triples without any arc
// (003) are what remains of n(n-1)(n-2)/6. Null classes are derived from the
// set sizes instead of being intersected. kWords is the number of 64-bit
// words that hold n vertices.
template <int kWords>
inline __attribute__((always_inline)) TriadCounts CensusKernel(const PackedDigraph& g,
                                                               DyadSets& sets) {
  const int n = g.n;
  for (int v = 1; v <= n; ++v) {
    const auto vi = static_cast<std::size_t>(v);
    std::array<VertexSet, 4>& of = sets.of[vi];
    for (std::size_t w = 0; w < kWords; ++w) {
      const std::uint64_t o = g.out[vi][w];
      const std::uint64_t i = g.in[vi][w];
      of[1][w] = o & ~i;
      of[2][w] = i & ~o;
      of[3][w] = o & i;
    }
    for (std::size_t x = 1; x <= 3; ++x) sets.size[vi][x] = CommonCount<kWords>(of[x], of[x]);
  }

  // sums[c][x][y]: third vertices k with code(i, k) = x and code(j, k) = y,
  // over the pairs i < j with code(i, j) = c.
  std::int64_t sums[4][4][4] = {};
  for (int i = 1; i <= n - 1; ++i) {
    const auto ii = static_cast<std::size_t>(i);
    const std::array<VertexSet, 4>& of_i = sets.of[ii];
    const std::array<std::int32_t, 4>& size_i = sets.size[ii];
    // Partners j > i joined to i; vertex i + 1 is bit i % 64 of word i / 64.
    for (int w = i / 64; w < kWords; ++w) {
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
        const std::array<VertexSet, 4>& of_j = sets.of[ji];
        const std::array<std::int32_t, 4>& size_j = sets.size[ji];
        std::int32_t cell[4][4];
        for (std::size_t x = 1; x <= 3; ++x) {
          for (std::size_t y = 1; y <= 3; ++y) cell[x][y] = CommonCount<kWords>(of_i[x], of_j[y]);
        }
        std::int32_t seen = 0;
        for (int x = 1; x <= 3; ++x) {
          // Vertex j lies in i's class c but is no third vertex.
          cell[x][0] = size_i[static_cast<std::size_t>(x)] - cell[x][1] - cell[x][2] - cell[x][3] -
                       (x == c ? 1 : 0);
          seen += cell[x][0] + cell[x][1] + cell[x][2] + cell[x][3];
        }
        for (int y = 1; y <= 3; ++y) {
          cell[0][y] = size_j[static_cast<std::size_t>(y)] - cell[1][y] - cell[2][y] - cell[3][y] -
                       (y == c_ji ? 1 : 0);
          seen += cell[0][y];
        }
        cell[0][0] = n - 2 - seen;
        std::int64_t(&sum)[4][4] = sums[c];
        for (int x = 0; x <= 3; ++x) {
          for (int y = 0; y <= 3; ++y) sum[x][y] += cell[x][y];
        }
      }
    }
  }

  std::array<std::int64_t, kTriadTypeCount + 1> raw{};
  for (int c = 1; c <= 3; ++c) {
    for (int x = 0; x <= 3; ++x) {
      for (int y = 0; y <= 3; ++y) {
        raw[kTriadTable[static_cast<std::size_t>(c | (x << 2) | (y << 4))]] += sums[c][x][y];
      }
    }
  }
  TriadCounts counts{};
  std::int64_t linked_triples = 0;
  for (std::size_t p = 2; p <= kTriadTypeCount; ++p) {
    counts[p] = static_cast<std::int32_t>(raw[p] / kLinkedDyads[p]);
    linked_triples += counts[p];
  }
  const std::int64_t triples = static_cast<std::int64_t>(n) * (n - 1) * (n - 2) / 6;
  counts[1] = static_cast<std::int32_t>(triples - linked_triples);
  return counts;
}

inline __attribute__((always_inline)) TriadCounts CensusOfSize(const PackedDigraph& g,
                                                               DyadSets& sets) {
  if (g.n < 3) return TriadCounts{};
  switch ((g.n + 63) / 64) {
    case 1:
      return CensusKernel<1>(g, sets);
    case 2:
      return CensusKernel<2>(g, sets);
    case 3:
      return CensusKernel<3>(g, sets);
    default:
      return CensusKernel<4>(g, sets);
  }
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(__POPCNT__)
// The build targets the baseline instruction set, where a population count is
// a library call; the census is dominated by population counts, so a copy of
// the kernel compiled for the popcnt instruction is chosen when the processor
// has it.
__attribute__((target("popcnt"))) TriadCounts CensusWithPopcnt(const PackedDigraph& g,
                                                               DyadSets& sets) {
  return CensusOfSize(g, sets);
}
TriadCounts CensusPortable(const PackedDigraph& g, DyadSets& sets) { return CensusOfSize(g, sets); }
TriadCounts RunCensus(const PackedDigraph& g, DyadSets& sets) {
  static const bool has_popcnt = __builtin_cpu_supports("popcnt");
  return has_popcnt ? CensusWithPopcnt(g, sets) : CensusPortable(g, sets);
}
#else
TriadCounts RunCensus(const PackedDigraph& g, DyadSets& sets) { return CensusOfSize(g, sets); }
#endif

// Flags, one bit per byte, whether each of 8 bytes is not 0: bit k of the
// result stands for byte k of the little-endian word.
inline std::uint64_t NonZeroBytes(std::uint64_t x) {
  x |= x >> 4;
  x |= x >> 2;
  x |= x >> 1;
  x &= 0x0101010101010101u;
  return (x * 0x0102040810204080u) >> 56;
}

// Transposes a 64 x 64 bit block in place: bit c of rows[r] becomes bit r of
// rows[c]. Halves, quarters, ... of the block are swapped in six rounds.
void Transpose64(std::array<std::uint64_t, 64>& rows) {
  std::uint64_t mask = 0x00000000FFFFFFFFu;
  for (unsigned j = 32; j != 0; j >>= 1, mask ^= mask << j) {
    for (unsigned k = 0; k < 64; k = ((k | j) + 1) & ~j) {
      const std::uint64_t t = ((rows[k] >> j) ^ rows[k | j]) & mask;
      rows[k] ^= t << j;
      rows[k | j] ^= t;
    }
  }
}

}  // namespace

void PackDigraph(const BinaryMatrix& m, int n, PackedDigraph& packed) {
  packed.n = n;
  const int words = (n + 63) / 64;
  packed.out[0] = VertexSet{};
  packed.in[0] = VertexSet{};
  // Rows: eight cells at a time. A row of the store has 200 bytes, so the
  // last block of eight read for n <= 200 stays inside the row.
  for (int a = 1; a <= n; ++a) {
    const std::uint8_t* row = &m.cells[static_cast<std::size_t>((a - 1) * kMaxColumns)];
    VertexSet& out = packed.out[static_cast<std::size_t>(a)];
    out = VertexSet{};
    for (int b = 0; b < n; b += 8) {
      std::uint64_t block;
      std::memcpy(&block, row + b, sizeof block);
      out[static_cast<std::size_t>(b / 64)] |= NonZeroBytes(block) << (b % 64);
    }
    if (n % 64 != 0) out[static_cast<std::size_t>(words - 1)] &= (std::uint64_t{1} << (n % 64)) - 1;
    out[static_cast<std::size_t>((a - 1) / 64)] &= ~(std::uint64_t{1} << ((a - 1) % 64));
  }
  // Columns: the packed rows transposed block by block.
  std::array<std::uint64_t, 64> block;
  for (int rw = 0; rw < words; ++rw) {
    for (int cw = 0; cw < words; ++cw) {
      for (int r = 0; r < 64; ++r) {
        const int a = rw * 64 + r + 1;
        block[static_cast<std::size_t>(r)] =
            a <= n ? packed.out[static_cast<std::size_t>(a)][static_cast<std::size_t>(cw)] : 0;
      }
      Transpose64(block);
      for (int c = 0; c < 64; ++c) {
        const int b = cw * 64 + c + 1;
        if (b > n) break;
        packed.in[static_cast<std::size_t>(b)][static_cast<std::size_t>(rw)] =
            block[static_cast<std::size_t>(c)];
      }
    }
  }
  for (int b = 1; b <= n; ++b) {
    for (int w = words; w < kVertexSetWords; ++w) {
      packed.in[static_cast<std::size_t>(b)][static_cast<std::size_t>(w)] = 0;
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
