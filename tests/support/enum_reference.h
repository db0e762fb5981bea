#ifndef KIVO_TESTS_SUPPORT_ENUM_REFERENCE_H_
#define KIVO_TESTS_SUPPORT_ENUM_REFERENCE_H_

// Plain references for the enumeration tree and the closed-form counts: every
// 0-1 matrix of a small shape filtered by the constraints, and the counts
// computed literally (subset by subset, correction vector by vector).

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "enum/functen.h"
#include "enum/kivoelib.h"

namespace kivo::enumeration {

// Totals 1, 2, ... from a list; the rest stay 0.
inline EnumTotals Totals(std::initializer_list<int> values) {
  EnumTotals totals{};
  std::size_t i = 1;
  for (int v : values) totals[i++] = v;
  return totals;
}

// `count` totals equal to `value`; the rest stay 0.
inline EnumTotals Uniform(int count, int value) {
  EnumTotals totals{};
  for (int i = 1; i <= count; ++i) totals[static_cast<std::size_t>(i)] = value;
  return totals;
}

// The constraints of one enumeration problem, as the input reader would
// accept them. For graphs the diagonal is made a structural zero by
// MakeInput; structural_zeros is used for the general pattern only.
struct EnumProblem {
  int n = 0;
  int m = 0;
  MatrixKind kind = MatrixKind::kNoStructuralZeros;
  EnumTotals row_totals{};
  EnumTotals column_totals{};
  EnumMatrix structural_zeros{};
  bool fix_mutuals = false;
  std::int32_t mutuals = 0;
  bool connected_only = false;
  int version = 1;
  bool katz_powell = false;
};

// The structural zeros of the problem: its pattern, or the diagonal of a graph.
EnumMatrix StructuralZerosOf(const EnumProblem& problem);

// An accepted input record for the problem (zero counts, graph diagonal,
// statistics setup filled in). Inline, so that this library needs nothing
// of the program library it stands beside.
inline EnumerationInput MakeInput(const EnumProblem& problem) {
  EnumerationInput input;
  input.n = problem.n;
  input.m = problem.m;
  input.kind = problem.kind;
  input.row_totals = problem.row_totals;
  input.column_totals = problem.column_totals;
  input.structural_zeros = StructuralZerosOf(problem);
  for (int r = 1; r <= problem.n; ++r) {
    for (int c = 1; c <= problem.m; ++c) {
      if (input.structural_zeros[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] == 1) {
        ++input.row_zero_counts[static_cast<std::size_t>(r)];
        ++input.column_zero_counts[static_cast<std::size_t>(c)];
      }
    }
  }
  input.fix_mutuals = problem.fix_mutuals;
  input.mutuals = problem.mutuals;
  input.connected_only = problem.connected_only;
  input.version = problem.version;
  input.katz_powell = problem.katz_powell;
  input.statistics =
      MakeStatisticsSetup(problem.n, problem.m, problem.kind == MatrixKind::kUndirected,
                          problem.connected_only, problem.version);
  return input;
}

struct ReferenceMatrix {
  EnumMatrix cells{};
  int mutual = 0;        // pairs a < b (both within rows and columns) with both cells 1
  int transitive = 0;    // square only: two-paths x->y->z, distinct, with x->z
  int intransitive = 0;  // the same without x->z
};

struct ReferenceResult {
  std::vector<ReferenceMatrix> matrices;  // in scan order, 0 before 1
  int disconnected = 0;                   // complete matrices refused as not connected
};

// Every matrix satisfying the problem, by trying all 0-1 fillings of the free
// cells (at most 24 of them) in the order of the scan string.
ReferenceResult BruteForceEnumerate(const EnumProblem& problem);

// The exact count, enumerating every subset of positions per state and
// merging equal states in a list, as the plain procedure does.
double LiteralSukhatmeCount(const EnumTotals& r, const EnumTotals& c, int k);

// The alternating sum over every correction vector, one literal count each.
double LiteralKatzPowellCount(const EnumTotals& r, const EnumTotals& c, int m);

// Rows of a matrix as "010/001/100".
std::string MatrixText(const EnumMatrix& cells, int n, int m);

}  // namespace kivo::enumeration

#endif  // KIVO_TESTS_SUPPORT_ENUM_REFERENCE_H_
