#include "tamsel/p1_model.h"

#include <cmath>
#include <cstddef>
#include <string>

#include "runfiles/format.h"
#include "runfiles/kivolib.h"

namespace kivo::tamsel {
namespace {

// A fitted sum that is exactly 0 is replaced by this in a scaling factor's
// denominator, so an actor without ties keeps factor 0.
constexpr double kZeroSum = 1e-36;
// Keeps the logarithms of the fit statistic finite for a probability of 0.
constexpr double kLogGuard = 1e-20;

double Denominator(double sum) { return sum == 0.0 ? kZeroSum : sum; }

// Working arrays of one fit, sized n x n once.
struct Workspace {
  std::vector<double> previous_mutual;
  std::vector<double> previous_asymmetric;
  std::vector<double> previous_null;
  std::vector<double> divisor;
  std::vector<double> mutual_sums;
  std::vector<double> asymmetric_sums;
  std::vector<double> factor;
  std::vector<double> root;         // sqrt(f)
  std::vector<double> root_with_r;  // sqrt(f r)
};

// Calls body(j) for every column j of row i but the diagonal one, as two
// unbroken ranges, so that the loops over the cells carry no per-cell test.
template <typename Body>
void ForOffDiagonal(std::size_t size, std::size_t i, Body body) {
  for (std::size_t j = 0; j < i; ++j) body(j);
  for (std::size_t j = i + 1; j < size; ++j) body(j);
}

// The sum of row[0..count). Four running sums, so that the additions do not
// wait for each other; these sums run several times per iteration.
double SumRange(const double* row, std::size_t count) {
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
  std::size_t j = 0;
  for (; j + 4 <= count; j += 4) {
    s0 += row[j];
    s1 += row[j + 1];
    s2 += row[j + 2];
    s3 += row[j + 3];
  }
  for (; j < count; ++j) s0 += row[j];
  return (s0 + s1) + (s2 + s3);
}

// The sum of row i of an array of `size` columns without its diagonal cell.
double RowSumOffDiagonal(const double* row, std::size_t size, std::size_t i) {
  return SumRange(row, i) + SumRange(row + i + 1, size - i - 1);
}

// Scales the fit towards the out-degrees (`by_row`) or the in-degrees. The
// factor of actor a compares its observed degree with the fitted
// mutual-plus-asymmetric sum of its row (column); r does the same for the
// non-ties, so that the asymmetric dyads share both corrections.
void ScaleToDegrees(P1Fit& fit, Workspace& work, const std::vector<double>& degree, bool by_row) {
  const int n = fit.n;
  const double non_ties = static_cast<double>(n) * (n - 1) - static_cast<double>(fit.ties);
  const double r =
      non_ties / (SumOffDiagonal(fit.null_dyad, n) + SumOffDiagonal(fit.asymmetric, n));
  if (by_row) {
    RowSumsOffDiagonal(fit.mutual, n, work.mutual_sums);
    RowSumsOffDiagonal(fit.asymmetric, n, work.asymmetric_sums);
  } else {
    ColumnSumsOffDiagonal(fit.mutual, n, work.mutual_sums);
    ColumnSumsOffDiagonal(fit.asymmetric, n, work.asymmetric_sums);
  }
  for (std::size_t a = 1; a <= static_cast<std::size_t>(n); ++a) {
    work.factor[a] = degree[a] / Denominator(work.mutual_sums[a] + work.asymmetric_sums[a]);
  }
  // sqrt(f_i f_j) = sqrt(f_i) sqrt(f_j): one root per actor, not per cell.
  const auto size = static_cast<std::size_t>(n);
  for (std::size_t a = 1; a <= size; ++a) {
    work.root[a] = std::sqrt(work.factor[a]);
    work.root_with_r[a] = std::sqrt(work.factor[a] * r);
  }
  const double* root = work.root.data() + 1;
  const double* root_with_r = work.root_with_r.data() + 1;
  for (std::size_t i = 0; i < size; ++i) {
    const double root_i = root[i];
    const double row_scale = root_with_r[i];
    double* mutual = fit.mutual.data() + i * size;
    double* asymmetric = fit.asymmetric.data() + i * size;
    double* null_dyad = fit.null_dyad.data() + i * size;
    if (by_row) {
      ForOffDiagonal(size, i, [&](std::size_t j) {
        mutual[j] *= root_i * root[j];
        asymmetric[j] *= row_scale;
        null_dyad[j] *= r;
      });
    } else {
      ForOffDiagonal(size, i, [&](std::size_t j) {
        mutual[j] *= root_i * root[j];
        asymmetric[j] *= root_with_r[j];
        null_dyad[j] *= r;
      });
    }
  }
}

// Scales the mutual dyads to the observed count and the others to the rest.
void ScaleToMutualDyads(P1Fit& fit) {
  const int n = fit.n;
  const double dyads = static_cast<double>(n) * (n - 1) / 2.0;
  const double observed = static_cast<double>(fit.mutual_dyads);
  const double fitted = SumOffDiagonal(fit.mutual, n) / 2.0;
  const double g_mutual = observed / fitted;
  const double g_other = (dyads - observed) / (dyads - fitted);
  const auto size = static_cast<std::size_t>(n);
  for (std::size_t i = 0; i < size; ++i) {
    double* mutual = fit.mutual.data() + i * size;
    double* asymmetric = fit.asymmetric.data() + i * size;
    double* null_dyad = fit.null_dyad.data() + i * size;
    ForOffDiagonal(size, i, [&](std::size_t j) {
      mutual[j] *= g_mutual;
      asymmetric[j] *= g_other;
      null_dyad[j] *= g_other;
    });
  }
}

// Makes the four probabilities of every dyad sum to 1. All divisors are
// taken before any cell changes, since cell (j, i) enters the divisor of
// (i, j).
void Normalise(P1Fit& fit, Workspace& work) {
  const auto size = static_cast<std::size_t>(fit.n);
  const double* asymmetric = fit.asymmetric.data();
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t row = i * size;
    ForOffDiagonal(size, i, [&](std::size_t j) {
      work.divisor[row + j] = fit.mutual[row + j] + asymmetric[row + j] + asymmetric[j * size + i] +
                              fit.null_dyad[row + j];
    });
  }
  for (std::size_t i = 0; i < size; ++i) {
    double* mutual = fit.mutual.data() + i * size;
    double* asymmetric_row = fit.asymmetric.data() + i * size;
    double* null_dyad = fit.null_dyad.data() + i * size;
    const double* divisor = work.divisor.data() + i * size;
    ForOffDiagonal(size, i, [&](std::size_t j) {
      const double inverse = 1.0 / divisor[j];
      mutual[j] *= inverse;
      asymmetric_row[j] *= inverse;
      null_dyad[j] *= inverse;
    });
  }
}

enum class Change { kSettled, kMoving, kNotFinite };

// Whether every entry changed by less than the tolerance since `previous`.
// The diagonal stays 0 throughout, so all cells can be compared.
Change CompareWithPrevious(const std::vector<double>& values, const std::vector<double>& previous,
                           Change change) {
  bool moving = false;
  bool not_finite = false;
  for (std::size_t c = 0; c < values.size(); ++c) {
    moving |= !(std::fabs(values[c] - previous[c]) < kP1Tolerance);
    // x - x is 0 for every finite x and NaN for an infinity or a NaN.
    not_finite |= !(values[c] - values[c] == 0.0);
  }
  if (not_finite || change == Change::kNotFinite) return Change::kNotFinite;
  return moving ? Change::kMoving : change;
}

// 2 times the sum of -ln(p) over the observed dyads, p the fitted
// probability of the dyad's observed state.
double FitStatistic(const P1Fit& fit, const std::vector<std::uint8_t>& ties) {
  const int n = fit.n;
  double g_mutual = 0.0;
  double g_asymmetric = 0.0;
  double g_null = 0.0;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      const std::size_t c = fit.Cell(i, j);
      const bool forward = ties[c] != 0;
      const bool backward = ties[fit.Cell(j, i)] != 0;
      if (forward && !backward) g_asymmetric += std::log(1.0 / (fit.asymmetric[c] + kLogGuard));
      if (i > j) continue;
      if (forward && backward) g_mutual += std::log(1.0 / (fit.mutual[c] + kLogGuard));
      if (!forward && !backward) g_null += std::log(1.0 / (fit.null_dyad[c] + kLogGuard));
    }
  }
  return 2.0 * (g_mutual + g_asymmetric + g_null);
}

// The reciprocity: the mean log odds ratio of the dyads whose four
// probabilities are all positive.
double Reciprocity(const P1Fit& fit) {
  double sum = 0.0;
  std::int64_t count = 0;
  for (int i = 1; i <= fit.n; ++i) {
    for (int j = 1; j < i; ++j) {
      const std::size_t c = fit.Cell(i, j);
      const double m = fit.mutual[c];
      const double nu = fit.null_dyad[c];
      const double a_ij = fit.asymmetric[c];
      const double a_ji = fit.asymmetric[fit.Cell(j, i)];
      if (m > 0.0 && nu > 0.0 && a_ij > 0.0 && a_ji > 0.0) {
        sum += std::log(m * nu / (a_ij * a_ji));
        ++count;
      }
    }
  }
  return count > 0 ? sum / static_cast<double>(count) : kP1Undefined;
}

// The actor effects from the log odds L(i, h) = ln(A(i, h) / N(i, h)): the
// contrast alpha_i - alpha_j is the mean over third actors h of
// L(i, h) - L(j, h), and beta_i - beta_j that of L(h, i) - L(h, j), taken
// over the h where both odds are defined. An actor's effect is the mean of
// its defined contrasts and its zero contrast with itself, so the effects
// centre on 0.
//
// `log_odds` holds L row after row, `defined` whether it exists; the caller
// passes the transpose for the receiving effects. O(n^3).
void ActorEffects(int n, const std::vector<double>& log_odds,
                  const std::vector<std::uint8_t>& defined, std::vector<double>& effect) {
  const auto size = static_cast<std::size_t>(n);
  effect.assign(size + 1, 0.0);
  for (std::size_t i = 0; i < size; ++i) {
    const double* row_i = log_odds.data() + i * size;
    const std::uint8_t* ok_i = defined.data() + i * size;
    double total = 0.0;
    std::size_t undefined = 0;
    for (std::size_t j = 0; j < size; ++j) {
      if (j == i) continue;
      const double* row_j = log_odds.data() + j * size;
      const std::uint8_t* ok_j = defined.data() + j * size;
      double sum = 0.0;
      std::size_t count = 0;
      for (std::size_t h = 0; h < size; ++h) {
        if (h == i || h == j || !ok_i[h] || !ok_j[h]) continue;
        sum += row_i[h] - row_j[h];
        ++count;
      }
      if (count == 0) {
        ++undefined;
      } else {
        total += sum / static_cast<double>(count);
      }
    }
    effect[i + 1] = undefined + 1 == size || size < 2
                        ? kP1Undefined
                        : total / static_cast<double>(size - undefined);
  }
}

void Parameters(P1Fit& fit) {
  const int n = fit.n;
  const auto size = static_cast<std::size_t>(n);
  std::vector<double> log_odds(size * size, 0.0);
  std::vector<double> transposed(size * size, 0.0);
  std::vector<std::uint8_t> defined(size * size, 0);
  std::vector<std::uint8_t> defined_transposed(size * size, 0);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      const std::size_t c = fit.Cell(i, j);
      const std::size_t t = fit.Cell(j, i);
      if (fit.asymmetric[c] > 0.0 && fit.null_dyad[c] > 0.0) {
        log_odds[c] = transposed[t] = std::log(fit.asymmetric[c] / fit.null_dyad[c]);
        defined[c] = defined_transposed[t] = 1;
      }
    }
  }
  ActorEffects(n, log_odds, defined, fit.alpha);
  ActorEffects(n, transposed, defined_transposed, fit.beta);

  // The density: the mean log odds less the actor effects, over the cells
  // whose odds and both effects are defined.
  double sum = 0.0;
  std::int64_t count = 0;
  for (int i = 1; i <= n; ++i) {
    const double alpha = fit.alpha[static_cast<std::size_t>(i)];
    for (int j = 1; j <= n; ++j) {
      const double beta = fit.beta[static_cast<std::size_t>(j)];
      if (i == j || !defined[fit.Cell(i, j)] || alpha == kP1Undefined || beta == kP1Undefined)
        continue;
      sum += log_odds[fit.Cell(i, j)] - alpha - beta;
      ++count;
    }
  }
  fit.theta = count > 0 ? sum / static_cast<double>(count) : kP1Undefined;
  fit.rho = Reciprocity(fit);
}

std::string Estimate(double value) {
  return value == kP1Undefined ? std::string("    -  ") : Real(value, 7, 3);
}

std::string OutcomeLine(const P1Fit& fit) {
  const std::string prefix = "No p1 estimates for this network: ";
  switch (fit.outcome) {
    case P1Outcome::kNoTies:
      return prefix + "it has no ties.";
    case P1Outcome::kNoMutualDyad:
      return prefix + "it has no mutual dyad.";
    case P1Outcome::kAllMutual:
      return prefix + "every dyad is mutual.";
    case P1Outcome::kNotConverged:
      return prefix + "no convergence in " + std::to_string(fit.iterations) + " iterations.";
    case P1Outcome::kNotFinite:
      return prefix + "the fitted probabilities are undefined.";
    case P1Outcome::kEstimated:
      break;
  }
  return {};
}

void WriteExpectedBlock(const P1Fit& fit, int first, int last, TextWriter& report) {
  std::string line = "     ";
  for (int c = first; c <= last; ++c) line += Int(c, 7);
  report.WriteLine(line);
  report.WriteLine();
  for (int i = 1; i <= fit.n; ++i) {
    line = Int(i, 3) + "  ";
    for (int c = first; c <= last; ++c) line += Real(fit.Expected(i, c), 7, 3);
    report.WriteLine(line);
  }
  report.WriteLine();
}

}  // namespace

double SumOffDiagonal(const std::vector<double>& cells, int n) {
  double sum = 0.0;
  const auto size = static_cast<std::size_t>(n);
  for (std::size_t i = 0; i < size; ++i) sum += RowSumOffDiagonal(cells.data() + i * size, size, i);
  return sum;
}

void RowSumsOffDiagonal(const std::vector<double>& cells, int n, std::vector<double>& sums) {
  const auto size = static_cast<std::size_t>(n);
  sums.assign(size + 1, 0.0);
  for (std::size_t i = 0; i < size; ++i) {
    sums[i + 1] = RowSumOffDiagonal(cells.data() + i * size, size, i);
  }
}

void ColumnSumsOffDiagonal(const std::vector<double>& cells, int n, std::vector<double>& sums) {
  const auto size = static_cast<std::size_t>(n);
  sums.assign(size + 1, 0.0);
  double* column_sum = sums.data() + 1;
  // Row after row, so the cells are read in storage order.
  for (std::size_t i = 0; i < size; ++i) {
    const double* row = cells.data() + i * size;
    ForOffDiagonal(size, i, [&](std::size_t j) { column_sum[j] += row[j]; });
  }
}

P1Fit FitP1(const std::vector<std::uint8_t>& ties, int n, int max_iterations) {
  P1Fit fit;
  fit.n = n;
  const auto size = static_cast<std::size_t>(n);
  std::vector<double> out_degree(size + 1, 0.0);
  std::vector<double> in_degree(size + 1, 0.0);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j || ties[fit.Cell(i, j)] == 0) continue;
      ++fit.ties;
      out_degree[static_cast<std::size_t>(i)] += 1.0;
      in_degree[static_cast<std::size_t>(j)] += 1.0;
      if (j > i && ties[fit.Cell(j, i)] != 0) ++fit.mutual_dyads;
    }
  }
  const std::int64_t cells = static_cast<std::int64_t>(n) * (n - 1);
  fit.degrees_of_freedom = cells - (2 * static_cast<std::int64_t>(n) + 2);

  // Without a mutual dyad, or when every dyad is mutual, one of the scalings
  // divides 0 by 0 from the second iteration on; the model has no finite
  // estimates then.
  if (fit.ties == 0) {
    fit.outcome = P1Outcome::kNoTies;
  } else if (fit.ties == cells) {
    fit.outcome = P1Outcome::kAllMutual;
  } else if (fit.mutual_dyads == 0) {
    fit.outcome = P1Outcome::kNoMutualDyad;
  }
  if (fit.outcome != P1Outcome::kEstimated) return fit;

  fit.mutual.assign(size * size, 0.25);
  fit.asymmetric.assign(size * size, 0.25);
  fit.null_dyad.assign(size * size, 0.25);
  for (std::size_t i = 0; i < size; ++i) {
    fit.mutual[i * size + i] = fit.asymmetric[i * size + i] = fit.null_dyad[i * size + i] = 0.0;
  }
  Workspace work;
  work.divisor.assign(size * size, 0.0);
  work.factor.assign(size + 1, 0.0);
  work.root.assign(size + 1, 0.0);
  work.root_with_r.assign(size + 1, 0.0);

  Change change = Change::kMoving;
  while (change == Change::kMoving && fit.iterations < max_iterations) {
    ++fit.iterations;
    work.previous_mutual = fit.mutual;
    work.previous_asymmetric = fit.asymmetric;
    work.previous_null = fit.null_dyad;
    ScaleToDegrees(fit, work, out_degree, /*by_row=*/true);
    ScaleToDegrees(fit, work, in_degree, /*by_row=*/false);
    ScaleToMutualDyads(fit);
    Normalise(fit, work);
    change = CompareWithPrevious(fit.mutual, work.previous_mutual, Change::kSettled);
    change = CompareWithPrevious(fit.asymmetric, work.previous_asymmetric, change);
    change = CompareWithPrevious(fit.null_dyad, work.previous_null, change);
  }
  if (change == Change::kNotFinite) {
    fit.outcome = P1Outcome::kNotFinite;
    return fit;
  }
  if (change == Change::kMoving) {
    fit.outcome = P1Outcome::kNotConverged;
    return fit;
  }
  fit.g_squared = FitStatistic(fit, ties);
  Parameters(fit);
  return fit;
}

void WriteP1Report(const P1Fit& fit, TextWriter& report) {
  if (fit.outcome != P1Outcome::kEstimated) {
    report.WriteLine(OutcomeLine(fit));
    return;
  }
  WriteSectionHeader(3, report, "Parameter estimates");
  report.WriteLine();
  report.WriteLine("  Actor     Alpha      Beta       Rho     Theta");
  report.WriteLine(" -----------------------------------------------");
  for (int i = 1; i <= fit.n; ++i) {
    std::string line = Int(i, 7) + "   " + Estimate(fit.alpha[static_cast<std::size_t>(i)]) +
                       "   " + Estimate(fit.beta[static_cast<std::size_t>(i)]);
    if (i == 1) line += "   " + Estimate(fit.rho) + "   " + Estimate(fit.theta);
    report.WriteLine(line);
  }
  report.WriteLine();
  WriteSectionHeader(3, report, "Model fit and expected values");
  report.WriteLine();
  report.WriteLine("G^2 statistic      " + Real(fit.g_squared, 6, 2));
  report.WriteLine("Degrees of freedom " + Int(fit.degrees_of_freedom, 6));
  report.WriteLine();
  report.WriteLine();
  report.WriteLine("Expected values.");
  report.WriteLine();
  const int full_blocks = fit.n / 10;
  for (int b = 1; b <= full_blocks; ++b) WriteExpectedBlock(fit, 10 * b - 9, 10 * b, report);
  // The last block holds the remaining columns; when n is a multiple of 10
  // it has none and still writes its header and row numbers.
  WriteExpectedBlock(fit, 10 * full_blocks + 1, fit.n, report);
}

void EstimateP1(const DataDescription& data, int k, TextWriter& report) {
  WriteSectionHeader(2, report, "P1 model");
  report.WriteLine("Estimation of p1 model for network " + std::to_string(k) + ": " +
                   data.network_files[static_cast<std::size_t>(k)]);
  report.WriteLine();
  const int n = data.num_actors;
  std::vector<std::uint8_t> ties(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      ties[data.Cell(i, j)] = data.Relation(k, i, j) > 0 && !data.IsMissing(k, i, j) ? 1 : 0;
    }
  }
  WriteP1Report(FitP1(ties, n), report);
}

Status ReportDovelSection(const DataDescription& data, TextWriter& report) {
  std::vector<int> selected;
  for (int k = 1; k <= data.num_networks; ++k) {
    if (data.selected[static_cast<std::size_t>(k)] != 0) selected.push_back(k);
  }
  if (selected.empty()) {
    report.WriteLine("NO FILE SELECTED !");
  } else {
    report.WriteLine(std::string("The following file") +
                     (selected.size() == 1 ? " is selected:" : "s are selected:"));
    for (const int k : selected) {
      report.WriteLine("  " + data.network_files[static_cast<std::size_t>(k)]);
    }
    report.WriteLine("Dovel assumes dichotomized relational data: 0 = 0, >0 = 1.");
    report.WriteLine();
    const int n = data.num_actors;
    for (const int k : selected) {
      bool missing = false;
      for (int i = 1; i <= n && !missing; ++i) {
        for (int j = 1; j <= n && !missing; ++j) missing = i != j && data.IsMissing(k, i, j);
      }
      if (missing) {
        report.WriteLine();
        report.WriteLine("Missing data encountered in network " + std::to_string(k) + ": " +
                         data.network_files[static_cast<std::size_t>(k)]);
        report.WriteLine("For this network no analyses are performed.");
      } else {
        EstimateP1(data, k, report);
      }
    }
  }
  report.WriteLine();
  report.WriteLine("There are no attribute statistics available for dovel.");
  return report.status();
}

}  // namespace kivo::tamsel
