#include "tests/support/functsim_reference.h"

#include <cmath>
#include <cstdint>
#include <memory>

namespace kivo::sim {
namespace {

bool One(const BinaryMatrix& m, int a, int b) { return GetCell(m, a, b) != 0; }

}  // namespace

DyadTriadCounts CountMutualsAndTwoPathsReference(const BinaryMatrix& m, int n) {
  DyadTriadCounts counts;
  for (int a = n; a >= 2; --a) {
    for (int b = a - 1; b >= 1; --b) {
      if (One(m, a, b) && One(m, b, a)) ++counts.mutual;
      for (int c = b - 1; c >= 1; --c) {
        const int orders[6][3] = {{a, b, c}, {a, c, b}, {b, a, c}, {b, c, a}, {c, a, b}, {c, b, a}};
        for (const auto& o : orders) {
          if (One(m, o[0], o[1]) && One(m, o[1], o[2])) {
            if (One(m, o[0], o[2])) {
              ++counts.transitive;
            } else {
              ++counts.intransitive;
            }
          }
        }
      }
    }
  }
  return counts;
}

bool IsConnectedReference(const BinaryMatrix& m, int n, bool undirected) {
  auto b = std::make_unique<BinaryMatrix>(m);
  for (int a = 1; a <= n; ++a) SetCell(*b, a, a, 1);
  if (!undirected) {
    for (int a = 2; a <= n; ++a) {
      for (int c = 1; c < a; ++c) {
        if (One(*b, a, c) || One(*b, c, a)) {
          SetCell(*b, a, c, 1);
          SetCell(*b, c, a, 1);
        }
      }
    }
  }
  auto r = std::make_unique<BinaryMatrix>(*b);
  auto all_ones = [&r, n]() {
    for (int a = 1; a <= n; ++a) {
      for (int c = 1; c <= n; ++c) {
        if (!One(*r, a, c)) return false;
      }
    }
    return true;
  };
  int reach = 1;
  bool connected = false;
  do {
    *b = *r;
    reach *= 2;
    for (int a = n; a >= 1; --a) {
      for (int c = n; c >= 1; --c) {
        if (One(*r, a, c)) continue;
        for (int t = 1; t <= n; ++t) {
          if (One(*b, a, t) && One(*b, t, c)) {
            SetCell(*r, a, c, 1);
            break;
          }
        }
      }
    }
    connected = all_ones();
  } while (!connected && reach < n);
  return all_ones();
}

std::array<double, kMaxRows + 1> ActorEigenvectorReference(const BinaryMatrix& m, int n) {
  auto w = std::make_unique<BinaryMatrix>(m);
  for (int a = 2; a <= n; ++a) {
    for (int b = 1; b < a; ++b) {
      if (One(*w, a, b) || One(*w, b, a)) {
        SetCell(*w, a, b, 1);
        SetCell(*w, b, a, 1);
      }
    }
  }
  std::array<std::int32_t, kMaxRows + 1> u{};
  for (int a = 1; a <= n; ++a) u[static_cast<std::size_t>(a)] = 1;
  const int k = static_cast<int>(std::trunc(std::log(2.147e9) / std::log(n)));
  for (int rep = 0; rep < k; ++rep) {
    std::array<std::int32_t, kMaxRows + 1> next{};
    for (int a = 1; a <= n; ++a) {
      for (int b = n; b >= 1; --b) {
        if (One(*w, a, b) || b == a)
          next[static_cast<std::size_t>(a)] += u[static_cast<std::size_t>(b)];
      }
    }
    u = next;
  }
  std::array<double, kMaxRows + 1> x{};
  for (int a = 1; a <= n; ++a)
    x[static_cast<std::size_t>(a)] = u[static_cast<std::size_t>(a)] / 1e6;
  for (;;) {
    const std::array<double, kMaxRows + 1> p = x;
    double s = 0;
    for (int a = 1; a <= n; ++a) {
      double sum = 0;
      for (int b = n; b >= 1; --b) {
        if (One(*w, a, b) || b == a) sum += p[static_cast<std::size_t>(b)];
      }
      x[static_cast<std::size_t>(a)] = sum;
      s += sum;
    }
    double d = 0;
    for (int a = 1; a <= n; ++a) {
      x[static_cast<std::size_t>(a)] /= s;
      d += std::fabs(p[static_cast<std::size_t>(a)] - x[static_cast<std::size_t>(a)]);
    }
    if (d < (n - 1) * 1e-6) break;
  }
  double squares = 0;
  for (int a = 1; a <= n; ++a)
    squares += x[static_cast<std::size_t>(a)] * x[static_cast<std::size_t>(a)];
  for (int a = 1; a <= n; ++a) x[static_cast<std::size_t>(a)] /= std::sqrt(squares);
  return x;
}

std::array<double, kMaxColumns + 1> ColumnEigenvectorReference(const BinaryMatrix& m, int f,
                                                               int g) {
  auto c =
      std::make_unique<std::array<std::array<std::int32_t, kMaxColumns + 1>, kMaxColumns + 1>>();
  for (int k = 1; k <= g; ++k) {
    for (int l = 1; l <= g; ++l) {
      std::int32_t count = 0;
      for (int i = 1; i <= f; ++i) {
        if (One(m, i, k) && One(m, i, l)) ++count;
      }
      (*c)[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)] = count;
    }
  }
  auto at = [&c](int k, int l) {
    return (*c)[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)];
  };
  std::array<std::int32_t, kMaxColumns + 1> u{};
  for (int k = 1; k <= g; ++k) u[static_cast<std::size_t>(k)] = 1;
  const int reps =
      static_cast<int>(std::trunc(std::log(2.147e9) / std::log(static_cast<double>(f) * g)));
  for (int rep = 0; rep < reps; ++rep) {
    std::array<std::int32_t, kMaxColumns + 1> next{};
    for (int k = 1; k <= g; ++k) {
      for (int l = g; l >= 1; --l)
        next[static_cast<std::size_t>(k)] += at(k, l) * u[static_cast<std::size_t>(l)];
    }
    u = next;
  }
  std::array<double, kMaxColumns + 1> x{};
  for (int k = 1; k <= g; ++k)
    x[static_cast<std::size_t>(k)] = u[static_cast<std::size_t>(k)] / 1e6;
  for (;;) {
    const std::array<double, kMaxColumns + 1> p = x;
    double s = 0;
    for (int k = 1; k <= g; ++k) {
      double sum = 0;
      for (int l = g; l >= 1; --l) sum += at(k, l) * p[static_cast<std::size_t>(l)];
      x[static_cast<std::size_t>(k)] = sum;
      s += sum;
    }
    double d = 0;
    for (int k = 1; k <= g; ++k) {
      x[static_cast<std::size_t>(k)] /= s;
      d += std::fabs(p[static_cast<std::size_t>(k)] - x[static_cast<std::size_t>(k)]);
    }
    if (d < (g - 1) * 1e-6) break;
  }
  double squares = 0;
  for (int k = 1; k <= g; ++k)
    squares += x[static_cast<std::size_t>(k)] * x[static_cast<std::size_t>(k)];
  for (int k = 1; k <= g; ++k) x[static_cast<std::size_t>(k)] /= std::sqrt(squares);
  return x;
}

}  // namespace kivo::sim
