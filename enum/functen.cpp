#include "enum/functen.h"

#include <cmath>
#include <cstdlib>

#include "runfiles/format.h"

namespace kivo::enumeration {
namespace {

constexpr std::size_t kSize = kMaxEnumSize + 1;
using Vector = std::array<double, kSize>;
using Counts = std::array<std::int64_t, kSize>;

// The power iterations converge for every 0-1 matrix (W + I has a positive
// diagonal, the co-occurrence matrix is positive semi-definite); the cap only
// guards against a run that never ends should rounding keep the difference
// above its bound.
constexpr int kMaxPowerSteps = 1000000;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

// trunc(ln 2.147e9 / ln size): the integer repetitions after which entries
// multiplied by at most `size` each time still stay below 2.147e9.
int Repetitions(int size) {
  if (size <= 1) return 0;
  return static_cast<int>(std::trunc(std::log(2.147e9) / std::log(static_cast<double>(size))));
}

std::int32_t Rounded(double value) { return static_cast<std::int32_t>(RoundHalfEven(value)); }

// Scales x[1..n] to unit length; a zero vector stays zero.
void ScaleToUnitLength(Vector& x, int n) {
  double squares = 0;
  for (int a = 1; a <= n; ++a) squares += x[At(a)] * x[At(a)];
  const double length = std::sqrt(squares);
  for (int a = 1; a <= n; ++a) x[At(a)] = length > 0 ? x[At(a)] / length : 0.0;
}

// Leading eigenvector of W + I, W the symmetrised matrix on n vertices:
// integer repetitions give a start vector without overflow, then real power
// steps normalised by their sum run until the total change is below
// (n - 1) 1e-6.
void ActorEigenvectorIndex(const EnumMatrix& matrix, int n, int repetitions, Vector& e) {
  std::array<std::array<bool, kSize>, kSize> linked{};
  for (int a = 1; a <= n; ++a) {
    for (int b = 1; b <= n; ++b) {
      linked[At(a)][At(b)] = a == b || matrix[At(a)][At(b)] == 1 || matrix[At(b)][At(a)] == 1;
    }
  }
  Counts u{};
  for (int a = 1; a <= n; ++a) u[At(a)] = 1;
  for (int step = 0; step < repetitions; ++step) {
    Counts next{};
    for (int a = 1; a <= n; ++a) {
      for (int b = n; b >= 1; --b) {
        if (linked[At(a)][At(b)]) next[At(a)] += u[At(b)];
      }
    }
    u = next;
  }
  Vector x{};
  for (int a = 1; a <= n; ++a) x[At(a)] = static_cast<double>(u[At(a)]) / 1e6;
  for (int step = 0; step < kMaxPowerSteps; ++step) {
    const Vector p = x;
    double total = 0;
    for (int a = 1; a <= n; ++a) {
      double sum = 0;
      for (int b = n; b >= 1; --b) {
        if (linked[At(a)][At(b)]) sum += p[At(b)];
      }
      x[At(a)] = sum;
      total += sum;
    }
    double difference = 0;
    for (int a = 1; a <= n; ++a) {
      x[At(a)] /= total;
      difference += std::fabs(p[At(a)] - x[At(a)]);
    }
    if (difference < (n - 1) * 1e-6) break;
  }
  e = x;
  ScaleToUnitLength(e, n);
}

// Leading eigenvector of the column co-occurrence counts C(k, l) = number of
// rows with a 1 in both columns k and l, found as for the actors but with the
// counts as weights and no diagonal term. When every count is 0 (no column
// has a 1) there is no leading direction and every index is 0.
void ColumnEigenvectorIndex(const EnumMatrix& matrix, int f, int g, int repetitions, Vector& h) {
  std::array<std::array<std::int64_t, kSize>, kSize> c{};
  bool any = false;
  for (int k = 1; k <= g; ++k) {
    for (int l = 1; l <= g; ++l) {
      std::int64_t count = 0;
      for (int i = 1; i <= f; ++i) {
        if (matrix[At(i)][At(k)] == 1 && matrix[At(i)][At(l)] == 1) ++count;
      }
      c[At(k)][At(l)] = count;
      any = any || count > 0;
    }
  }
  h = Vector{};
  if (!any) return;
  Counts u{};
  for (int k = 1; k <= g; ++k) u[At(k)] = 1;
  for (int step = 0; step < repetitions; ++step) {
    Counts next{};
    for (int k = 1; k <= g; ++k) {
      for (int l = g; l >= 1; --l) next[At(k)] += c[At(k)][At(l)] * u[At(l)];
    }
    u = next;
  }
  Vector x{};
  for (int k = 1; k <= g; ++k) x[At(k)] = static_cast<double>(u[At(k)]) / 1e6;
  for (int step = 0; step < kMaxPowerSteps; ++step) {
    const Vector p = x;
    double total = 0;
    for (int k = 1; k <= g; ++k) {
      double sum = 0;
      for (int l = g; l >= 1; --l) sum += static_cast<double>(c[At(k)][At(l)]) * p[At(l)];
      x[At(k)] = sum;
      total += sum;
    }
    double difference = 0;
    for (int k = 1; k <= g; ++k) {
      x[At(k)] /= total;
      difference += std::fabs(p[At(k)] - x[At(k)]);
    }
    if (difference < (g - 1) * 1e-6) break;
  }
  h = x;
  ScaleToUnitLength(h, g);
}

// Cells (1,1) and (1,2), and the matches of rows 1 and 2 and of columns 1 and 2.
void ElementStatistics(const EnumMatrix& matrix, int n, int m, IntValues& int_values,
                       RealValues& real_values) {
  int_values[1] = matrix[1][1];
  int_values[2] = matrix[1][2];
  std::int32_t row_matches = 0;
  for (int j = 1; j <= m; ++j) {
    if (matrix[1][At(j)] == 1 && matrix[2][At(j)] == 1) ++row_matches;
  }
  std::int32_t column_matches = 0;
  for (int i = 1; i <= n; ++i) {
    if (matrix[At(i)][1] == 1 && matrix[At(i)][2] == 1) ++column_matches;
  }
  int_values[3] = row_matches;
  int_values[4] = column_matches;
  for (std::size_t k = 1; k <= 4; ++k) real_values[k] = int_values[k];
}

void EigenvectorStatistics(const EnumMatrix& matrix, const StatisticsSetup& setup,
                           IntValues& int_values, RealValues& real_values) {
  Vector index{};
  if (setup.n == setup.m) {
    ActorEigenvectorIndex(matrix, setup.m, setup.actor_repetitions, index);
  } else {
    ColumnEigenvectorIndex(matrix, setup.n, setup.m, setup.column_repetitions, index);
  }
  for (int k = 1; k <= setup.m; ++k) {
    real_values[At(k)] = 100 * index[At(k)];
    int_values[At(k)] = Rounded(real_values[At(k)]);
  }
}

void TransitivityStatistics(const EnumMatrix& matrix, std::int32_t mutual_count,
                            std::int32_t transitive, std::int32_t intransitive,
                            const StatisticsSetup& setup, IntValues& int_values,
                            RealValues& real_values) {
  if (setup.undirected && !setup.connected_only) {
    int_values[1] = IsConnected(matrix, setup.m, true) ? 1 : 0;
  } else {
    int_values[1] = mutual_count;
  }
  int_values[2] = transitive;
  int_values[3] = intransitive;
  for (std::size_t k = 1; k <= 3; ++k) real_values[k] = int_values[k];
  const std::int32_t paths = transitive + intransitive;
  real_values[4] = paths == 0 ? 0.0 : 100.0 * transitive / paths;
  int_values[4] = Rounded(real_values[4]);
}

bool Arc(const EnumMatrix& matrix, int from, int to) { return matrix[At(from)][At(to)] == 1; }

}  // namespace

StatisticsSetup MakeStatisticsSetup(int n, int m, bool undirected, bool connected_only,
                                    int version) {
  StatisticsSetup setup;
  setup.n = n;
  setup.m = m;
  setup.undirected = undirected;
  setup.connected_only = connected_only;
  setup.version = version;
  setup.numf = StatisticCount(version, m);
  setup.actor_repetitions = Repetitions(m);
  setup.column_repetitions = Repetitions(n * m);
  return setup;
}

int VersionCount(int n, int m) { return n == m ? 3 : 2; }

int StatisticCount(int version, int m) {
  switch (version) {
    case 1:
    case 3:
      return 4;
    case 2:
      return m;
    default:
      return 0;
  }
}

int PrimaryCount() { return 2; }

void AddTransitivity(const EnumMatrix& current, const StatisticsSetup& setup, int x, int y,
                     PrimaryValues& primary) {
  if (setup.n != setup.m) return;
  std::int32_t transitive = 0;
  std::int32_t intransitive = 0;
  // The six two-paths through x, y and v, counted without branches: each
  // term is 1 when both arcs of a path are present, and the path is closed
  // when its first vertex has an arc to its last.
  const int xy = current[At(x)][At(y)];
  const int yx = current[At(y)][At(x)];
  for (int v = y + 1; v < x; ++v) {
    const int xv = current[At(x)][At(v)];
    const int vx = current[At(v)][At(x)];
    const int yv = current[At(y)][At(v)];
    const int vy = current[At(v)][At(y)];
    const int paths = xy * yv + xv * vy + yx * xv + yv * vx + vx * xy + vy * yx;
    const int closed =
        xy * yv * xv + xv * vy * xy + yx * xv * yv + yv * vx * yx + vx * xy * vy + vy * yx * vx;
    transitive += closed;
    intransitive += paths - closed;
  }
  primary[1] += transitive;
  primary[2] += intransitive;
}

void EvaluateEnumerated(const EnumMatrix& current, std::int32_t mutual_count,
                        const PrimaryValues& primary, const StatisticsSetup& setup,
                        IntValues& int_values, RealValues& real_values) {
  const bool square = setup.n == setup.m;
  if (setup.version == 2) {
    EigenvectorStatistics(current, setup, int_values, real_values);
  } else if (square && setup.version == 1) {
    TransitivityStatistics(current, mutual_count, primary[1], primary[2], setup, int_values,
                           real_values);
  } else if ((square && setup.version == 3) || (!square && setup.version == 1)) {
    ElementStatistics(current, setup.n, setup.m, int_values, real_values);
  }
}

void EvaluateObserved(const EnumMatrix& observed, const StatisticsSetup& setup,
                      IntValues& int_values, RealValues& real_values) {
  std::int32_t mutual_count = 0;
  PrimaryValues primary{};
  if (setup.n == setup.m) {
    const int n = setup.n;
    for (int i = 1; i <= n; ++i) {
      for (int j = i + 1; j <= n; ++j) {
        if (Arc(observed, i, j) && Arc(observed, j, i)) ++mutual_count;
      }
    }
    for (int x = 1; x <= n; ++x) {
      for (int y = 1; y <= n; ++y) {
        if (y == x || !Arc(observed, x, y)) continue;
        for (int z = 1; z <= n; ++z) {
          if (z == x || z == y || !Arc(observed, y, z)) continue;
          ++primary[Arc(observed, x, z) ? 1 : 2];
        }
      }
    }
  }
  EvaluateEnumerated(observed, mutual_count, primary, setup, int_values, real_values);
}

std::string StatisticLabel(const StatisticsSetup& setup, int k, bool note_rounding) {
  constexpr const char* kElementLabels[] = {
      "Element (1,1)",
      "Element (1,2)",
      "Matches of rows 1 and 2 ( = Sum_(j) Y_{1j} Y_{2j} )",
      "Matches of columns 1 and 2 ( = Sum_(i) Y_{i1} Y_{i2} )",
  };
  const bool square = setup.n == setup.m;
  std::string label;
  bool rounded = false;
  if (square && setup.version == 1) {
    switch (k) {
      case 1:
        label = setup.undirected && !setup.connected_only ? "Connectivity (yes = 1, no = 0)"
                                                          : "Number of mutual dyads";
        break;
      case 2:
        label = "# of transitive relations in triads ";
        break;
      case 3:
        label = "# of intransitive relations in triads ";
        break;
      case 4:
        label = "100 * #trans / (#trans + #intrans)";
        rounded = true;
        break;
      default:
        break;
    }
  } else if (setup.version == 2) {
    label = square ? "100 * eigenvector power index actor " + std::to_string(k)
                   : "100 * Eigenvector power index of column " + Int(k, 3);
    rounded = true;
  } else if ((square && setup.version == 3) || (!square && setup.version == 1)) {
    if (k >= 1 && k <= 4) label = kElementLabels[k - 1];
  }
  if (note_rounding && rounded) label += " (rounded to integer)";
  if (label.size() > 255) label.resize(255);
  return label;
}

bool IsConnected(const EnumMatrix& matrix, int n, bool undirected) {
  // Row a of `reach` holds, as bits 1 to n, the vertices that a reaches; the
  // closure is complete when no row grows any more.
  std::array<std::uint32_t, kSize> reach{};
  for (int a = 1; a <= n; ++a) {
    std::uint32_t row = 1u << a;
    for (int b = 1; b <= n; ++b) {
      if (Arc(matrix, a, b) || (!undirected && Arc(matrix, b, a))) row |= 1u << b;
    }
    reach[At(a)] = row;
  }
  bool grown = true;
  while (grown) {
    grown = false;
    for (int a = 1; a <= n; ++a) {
      std::uint32_t row = reach[At(a)];
      for (int t = 1; t <= n; ++t) {
        if ((row >> t) & 1u) row |= reach[At(t)];
      }
      if (row != reach[At(a)]) {
        reach[At(a)] = row;
        grown = true;
      }
    }
  }
  const std::uint32_t all = ((1u << (n + 1)) - 1u) & ~1u;
  for (int a = 1; a <= n; ++a) {
    if (reach[At(a)] != all) return false;
  }
  return true;
}

}  // namespace kivo::enumeration
