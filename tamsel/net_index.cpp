#include "tamsel/net_index.h"

#include <bit>
#include <cmath>
#include <numeric>

#include "core/kivo_mat.h"
#include "tamsel/slib.h"

namespace kivo::tamsel {
namespace {

bool IsTie(const DataDescription& data, int k, int i, int j) {
  const std::size_t cell = data.Cell(i, j);
  return data.relations[k][cell] > 0 && data.missing_tie[k][cell] == 0;
}

int FindRoot(std::vector<int>& parent, int v) {
  while (parent[static_cast<std::size_t>(v)] != v) {
    int& up = parent[static_cast<std::size_t>(v)];
    up = parent[static_cast<std::size_t>(up)];
    v = up;
  }
  return v;
}

}  // namespace

BitRows::BitRows(int n)
    : words_((static_cast<std::size_t>(n < 0 ? 0 : n) + 63) / 64),
      bits_(words_ * static_cast<std::size_t>(n < 0 ? 0 : n), 0) {}

double DegreeVariance(const DataDescription& data, int k, Direction direction) {
  const int n = data.num_actors;
  std::vector<long long> degree(static_cast<std::size_t>(n) + 1, 0);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (IsTie(data, k, i, j))
        ++degree[static_cast<std::size_t>(direction == Direction::kOut ? i : j)];
    }
  }
  double sum = 0;
  double squares = 0;
  for (int i = 1; i <= n; ++i) {
    const auto d = static_cast<double>(degree[static_cast<std::size_t>(i)]);
    sum += d;
    squares += d * d;
  }
  const double mean = sum / n;
  return squares / n - mean * mean;
}

double HeterogeneityIndex(const DataDescription& data, bool undirected, double arc_total,
                          double variance) {
  const double n = data.num_actors;
  const double t = arc_total;
  const double e = n - 1;
  const double f = t / (n * e);
  const double g = std::trunc(n * f);
  double v_max = 0;
  double v_exp = 0;
  if (undirected) {
    // A clique of m actors plus u1 edges from one more actor, and the same
    // construction for the non-ties; the larger spread wins.
    const auto spread = [n](double m, double u) {
      return ((m - 1) * (m - 1) * m + (2 * m + u - 1) * u) / n -
             (m * (m - 1) + 2 * u) * (m * (m - 1) + 2 * u) / (n * n);
    };
    const double m = std::trunc((GuardedSqrt(4 * t + 1) + 1) / 2);
    const double o = std::trunc((GuardedSqrt(4 * (n * e - t) + 1) + 1) / 2);
    const double u1 = (n * e * f - m * (m - 1)) / 2;
    const double u2 = (n * e * (1 - f) - o * (o - 1)) / 2;
    v_max = MaxOfTwo(spread(m, u1), spread(o, u2));
    v_exp = (n * n - n - t) * t / (n * n * (n + 1));
  } else {
    // g actors sending ties to all others and one actor sending the rest.
    v_max = e * e * ((n * f - g) * (n * f - g) + g - n * f * f) / n;
    v_exp = e * (n * e - t) * t / (n * n * (n * e - 1));
  }
  return SafeDivide(GuardedSqrt(variance) - GuardedSqrt(v_exp),
                    GuardedSqrt(v_max) - GuardedSqrt(v_exp));
}

double NormalizedTransitivity(const DataDescription& data, int k, std::int64_t in,
                              std::int64_t tr) {
  const int size = data.num_actors;
  long long tie_cells = 0;
  for (int i = 1; i <= size; ++i) {
    for (int j = 1; j <= size; ++j) tie_cells += IsTie(data, k, i, j) ? 1 : 0;
  }
  // Formed in floating point: the integer products pass 32 bits above about
  // 1290 actors or ties, and every factor is exact in a double.
  const double n = size;
  const auto c = static_cast<double>(tie_cells);
  const double pairs = n * (n - 1) / 2;
  const double triples = n * (n - 1) * (n - 2) / 6;
  const double d = 8 * pairs * (pairs - 1) * (pairs - 2);
  const double a = c * (c - 2) * (c - 4) * triples / d;
  const double b = (6 * n * (n - 1) - c) * triples * c * (c - 2) / d;
  const double expected = 3 * a / (3 * a + 2 * b);
  const double observed = 3.0 * static_cast<double>(tr) /
                          (3.0 * static_cast<double>(tr) + 2.0 * static_cast<double>(in));
  return (observed - expected) / (1 - expected);
}

std::array<std::uint8_t, 125> TriadPositionTable() {
  std::array<std::uint8_t, 125> table{};
  BinaryMatrix m;
  for (int ij = 0; ij < 4; ++ij) {
    for (int ih = 0; ih < 4; ++ih) {
      for (int jh = 0; jh < 4; ++jh) {
        m = BinaryMatrix{};
        const auto set = [&m](int code, int x, int y) {
          if (code & 1) SetCell(m, x, y, 1);
          if (code & 2) SetCell(m, y, x, 1);
        };
        set(ij, 1, 2);
        set(ih, 1, 3);
        set(jh, 2, 3);
        const TriadCounts counts = TriadCensus(m, 3);
        for (int p = 1; p <= kTriadTypeCount; ++p) {
          if (counts[static_cast<std::size_t>(p)] == 1) {
            table[static_cast<std::size_t>(25 * ij + 5 * ih + jh)] = static_cast<std::uint8_t>(p);
          }
        }
      }
    }
  }
  return table;
}

NetworkCensus NetworkTriadCensus(const DataDescription& data, int k) {
  NetworkCensus census;
  const int n = data.num_actors;
  if (n >= 3) {
    const std::array<std::uint8_t, 125> table = TriadPositionTable();
    // Dyad code of every pair i < h, kept in row i (0-based) of an n x n store.
    const auto size = static_cast<std::size_t>(n);
    std::vector<std::uint8_t> code(size * size, 0);
    for (int i = 1; i <= n; ++i) {
      for (int h = i + 1; h <= n; ++h) {
        std::uint8_t c = 4;
        if (!data.IsMissing(k, i, h) && !data.IsMissing(k, h, i)) {
          c = static_cast<std::uint8_t>((data.Relation(k, i, h) > 0 ? 1 : 0) |
                                        (data.Relation(k, h, i) > 0 ? 2 : 0));
        }
        code[static_cast<std::size_t>(i - 1) * size + static_cast<std::size_t>(h - 1)] = c;
      }
    }
    // Pairs that are neither null nor missing, as bits of row i (h > i): in a
    // sparse network the triples of a null pair i, j are mostly 003, so only
    // the h that touch i or j are looked up and the rest counted at once.
    BitRows touched(n);
    std::int64_t touched_pairs = 0;
    for (std::size_t i = 0; i < size; ++i) {
      for (std::size_t h = i + 1; h < size; ++h) {
        if (code[i * size + h] != 0) {
          touched.Set(static_cast<int>(i) + 1, static_cast<int>(h) + 1);
          ++touched_pairs;
        }
      }
    }
    const auto pairs = static_cast<std::int64_t>(size) * static_cast<std::int64_t>(size - 1) / 2;
    const bool sparse = touched_pairs * 8 < pairs;
    const std::size_t words = touched.words();
    const std::size_t empty_triad = table[0];

    std::array<std::int64_t, kTriadTypeCount + 1> totals{};
    std::vector<std::uint8_t> scaled(size, 0);
    for (std::size_t i = 0; i < size; ++i) {
      const std::uint8_t* row_i = code.data() + i * size;
      const std::uint64_t* touched_i = touched.row(static_cast<int>(i) + 1);
      for (std::size_t h = i + 1; h < size; ++h) {
        scaled[h] = static_cast<std::uint8_t>(5 * row_i[h]);
      }
      for (std::size_t j = i + 1; j < size; ++j) {
        const std::uint8_t c_ij = row_i[j];
        if (c_ij == 4) continue;  // every triple with this pair touches a missing cell
        const std::uint8_t* base = table.data() + 25 * c_ij;
        const std::uint8_t* row_j = code.data() + j * size;
        const std::size_t first = j + 1;
        if (first >= size) continue;
        if (sparse && c_ij == 0) {
          const std::uint64_t* touched_j = touched.row(static_cast<int>(j) + 1);
          std::int64_t looked_up = 0;
          const std::size_t first_word = first / 64;
          for (std::size_t w = first_word; w < words; ++w) {
            std::uint64_t bits = touched_i[w] | touched_j[w];
            if (w == first_word) bits &= ~std::uint64_t{0} << (first % 64);
            while (bits != 0) {
              const std::size_t h = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
              ++totals[base[scaled[h] + row_j[h]]];
              ++looked_up;
              bits &= bits - 1;
            }
          }
          totals[empty_triad] += static_cast<std::int64_t>(size - first) - looked_up;
          continue;
        }
        // Two counter sets, so that consecutive triples of one type do not
        // wait on each other's increment.
        std::array<std::uint32_t, kTriadTypeCount + 1> even{};
        std::array<std::uint32_t, kTriadTypeCount + 1> odd{};
        std::size_t h = first;
        for (; h + 1 < size; h += 2) {
          ++even[base[scaled[h] + row_j[h]]];
          ++odd[base[scaled[h + 1] + row_j[h + 1]]];
        }
        if (h < size) ++even[base[scaled[h] + row_j[h]]];
        for (std::size_t p = 0; p <= kTriadTypeCount; ++p) totals[p] += even[p] + odd[p];
      }
    }
    for (std::size_t p = 1; p <= kTriadTypeCount; ++p) {
      census.counts[p] = totals[p];
      census.counted += totals[p];
    }
  }
  if (census.counted > 0) {
    for (std::size_t p = 1; p <= kTriadTypeCount; ++p) {
      census.proportions[p] =
          static_cast<double>(census.counts[p]) / static_cast<double>(census.counted);
    }
  }
  return census;
}

double SegmentationS3(const DataDescription& data, int k) {
  const int n = data.num_actors;
  // Out-neighbours by value alone: the common-neighbour test reads values
  // above 0 whatever their missing flags say.
  BitRows positive(n);
  for (int i = 1; i <= n; ++i) {
    for (int h = 1; h <= n; ++h) {
      if (data.Relation(k, i, h) > 0) positive.Set(i, h);
    }
  }
  long long tied = 0;
  long long bridged = 0;
  const std::size_t words = positive.words();
  for (int i = 1; i <= n; ++i) {
    const std::uint64_t* row_i = positive.row(i);
    for (int j = i + 1; j <= n; ++j) {
      if (IsTie(data, k, i, j)) ++tied;
      if (data.Relation(k, i, j) != 0) continue;
      const std::uint64_t* row_j = positive.row(j);
      for (std::size_t w = 0; w < words; ++w) {
        std::uint64_t common = row_i[w] & row_j[w];
        if (static_cast<int>(w) == (i - 1) / 64) common &= ~(std::uint64_t{1} << ((i - 1) % 64));
        if (static_cast<int>(w) == (j - 1) / 64) common &= ~(std::uint64_t{1} << ((j - 1) % 64));
        if (common != 0) {
          ++bridged;
          break;
        }
      }
    }
  }
  const double cells = static_cast<double>(n) * static_cast<double>(n - 1);
  const double d = static_cast<double>(tied) / cells;
  const double a = 2.0 * static_cast<double>(bridged) / cells;
  return (1 - d - a) / (1 - d);
}

std::int64_t CountIsolates(const DataDescription& data, int k) {
  const int n = data.num_actors;
  std::vector<std::uint8_t> touched(static_cast<std::size_t>(n) + 1, 0);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (IsTie(data, k, i, j)) {
        touched[static_cast<std::size_t>(i)] = 1;
        touched[static_cast<std::size_t>(j)] = 1;
      }
    }
  }
  std::int64_t isolates = 0;
  for (int i = 1; i <= n; ++i) isolates += touched[static_cast<std::size_t>(i)] == 0 ? 1 : 0;
  return isolates;
}

std::int64_t CountWeakComponents(const DataDescription& data, int k) {
  // The classes of the reflexive, symmetric, transitive closure of the ties
  // are the classes that union-find builds from the ties themselves.
  const int n = data.num_actors;
  std::vector<int> parent(static_cast<std::size_t>(n) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  std::int64_t classes = n;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j || !IsTie(data, k, i, j)) continue;
      const int a = FindRoot(parent, i);
      const int b = FindRoot(parent, j);
      if (a != b) {
        parent[static_cast<std::size_t>(a < b ? b : a)] = a < b ? a : b;
        --classes;
      }
    }
  }
  return classes - CountIsolates(data, k);
}

}  // namespace kivo::tamsel
