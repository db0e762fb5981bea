#ifndef KIVO_TESTS_SUPPORT_MATRIX_ENUMERATION_H_
#define KIVO_TESTS_SUPPORT_MATRIX_ENUMERATION_H_

// Brute-force enumeration of every 0-1 matrix of a small sampling problem, for
// exact distributions to check the sampler's estimates against.

#include <cstdint>
#include <functional>

#include "core/kivo_mat.h"
#include "sim/simul.h"

namespace kivo::sim {

// Calls visit once for every matrix with the problem's row and column totals
// that is 0 on its structural zeros, symmetric when the problem is
// undirected, and has exactly problem.mutuals mutual dyads when that number is
// prescribed. Returns the number of matrices. Meant for up to about 30 free
// cells.
std::int64_t EnumerateMatrices(const SamplerProblem& problem,
                               const std::function<void(const BinaryMatrix&)>& visit);

// Number of pairs i < j with cells (i, j) and (j, i) both 1.
int CountMutualDyads(const BinaryMatrix& m, int n);

}  // namespace kivo::sim

#endif  // KIVO_TESTS_SUPPORT_MATRIX_ENUMERATION_H_
