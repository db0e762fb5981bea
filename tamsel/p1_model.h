#ifndef KIVO_TAMSEL_P1_MODEL_H_
#define KIVO_TAMSEL_P1_MODEL_H_

// The p1 model of a directed network: every dyad {i, j} is mutual,
// asymmetric in either direction or null with probabilities built from the
// actors' sending (alpha) and receiving (beta) effects, a density (theta) and
// a reciprocity effect (rho). The fit scales the dyad probabilities until
// their expected out-degrees, in-degrees, tie count and mutual-dyad count
// equal the observed ones; log-linear contrasts of the fitted probabilities
// then give the parameters. The dovel section of the step-4
// report writes one such fit for every selected network.

#include <cstdint>
#include <vector>

#include "platform/status.h"
#include "platform/text_file.h"
#include "tamsel/st_desc.h"

namespace kivo::tamsel {

// Marks a parameter that no dyad or contrast defines; printed as a dash.
inline constexpr double kP1Undefined = 9999.0;
// Every fitted probability must change by less than this in one iteration.
inline constexpr double kP1Tolerance = 5e-6;
// Ordinary networks converge in a few dozen to a few thousand iterations
// (small sparse ones with estimates near the boundary take longest); a
// network that has not converged after this many is reported as such
// instead of estimated.
inline constexpr int kMaxP1Iterations = 20000;

enum class P1Outcome {
  kEstimated,
  kNoTies,        // every off-diagonal cell is 0
  kNoMutualDyad,  // the mutual-dyad scaling would divide 0 by 0
  kAllMutual,     // every off-diagonal cell is a tie: likewise the others
  kNotConverged,  // kMaxP1Iterations iterations without convergence
  kNotFinite,     // a fitted probability became undefined
};

struct P1Fit {
  P1Outcome outcome = P1Outcome::kEstimated;
  int n = 0;
  int iterations = 0;
  // Observed figures the fit reproduces.
  std::int64_t ties = 0;
  std::int64_t mutual_dyads = 0;
  // Fitted probabilities, cell (i, j) at (i - 1) n + (j - 1); 0 on the
  // diagonal. mutual(i, j) = mutual(j, i), null(i, j) = null(j, i);
  // asymmetric(i, j) is the dyad with the tie i -> j only.
  std::vector<double> mutual;
  std::vector<double> asymmetric;
  std::vector<double> null_dyad;
  // [1..n]; kP1Undefined where undefined. Slot 0 is unused.
  std::vector<double> alpha;
  std::vector<double> beta;
  double rho = kP1Undefined;
  double theta = kP1Undefined;
  double g_squared = 0.0;
  std::int64_t degrees_of_freedom = 0;

  std::size_t Cell(int i, int j) const {
    return static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n) +
           static_cast<std::size_t>(j - 1);
  }
  // Expected tie probability of i -> j: mutual plus asymmetric i -> j.
  double Expected(int i, int j) const { return mutual[Cell(i, j)] + asymmetric[Cell(i, j)]; }
};

// Fits the p1 model to the 0-1 matrix `ties` (n x n, row after row; the
// diagonal is ignored). Parameters are filled only when the outcome is
// kEstimated.
// REQUIRES: ties.size() == n * n, n >= 0, max_iterations >= 1.
P1Fit FitP1(const std::vector<std::uint8_t>& ties, int n, int max_iterations = kMaxP1Iterations);

// Sums over the cells (i, j) with i != j of an n x n array stored row after
// row. The row and column sums go to sums[1..n] (resized to n + 1).
double SumOffDiagonal(const std::vector<double>& cells, int n);
void RowSumsOffDiagonal(const std::vector<double>& cells, int n, std::vector<double>& sums);
void ColumnSumsOffDiagonal(const std::vector<double>& cells, int n, std::vector<double>& sums);

// The estimates, the fit and the expected values of a fit, or for a network
// without estimates the one line that says why.
void WriteP1Report(const P1Fit& fit, TextWriter& report);

// Fits network k (a cell is a tie when its value is above 0 and it is not
// missing) and writes its p1 report.
// REQUIRES: 1 <= k <= data.num_networks.
void EstimateP1(const DataDescription& data, int k, TextWriter& report);

// The dovel section of step 4: the selected networks, the dichotomisation
// and a p1 report for every selected network without missing off-diagonal
// cells. Returns the report's status.
Status ReportDovelSection(const DataDescription& data, TextWriter& report);

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_P1_MODEL_H_
