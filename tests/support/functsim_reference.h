#ifndef KIVO_TESTS_SUPPORT_FUNCTSIM_REFERENCE_H_
#define KIVO_TESTS_SUPPORT_FUNCTSIM_REFERENCE_H_

// The statistics' counts, connectivity test and eigenvector indices done the
// plain way, cell by cell, kept only to check the packed versions against.

#include <array>

#include "core/kivo_mat.h"
#include "sim/functsim.h"

namespace kivo::sim {

// Mutual dyads and transitive / intransitive two-paths over the triples
// a > b > c in descending order, reading single cells.
DyadTriadCounts CountMutualsAndTwoPathsReference(const BinaryMatrix& m, int n);

// Connectivity by repeated squaring of the reachability matrix, with the
// diagonal set and, unless `undirected`, the matrix made symmetric first.
bool IsConnectedReference(const BinaryMatrix& m, int n, bool undirected);

// The eigenvector indices on copies of the matrix, index 1 to n (or g).
std::array<double, kMaxRows + 1> ActorEigenvectorReference(const BinaryMatrix& m, int n);
std::array<double, kMaxColumns + 1> ColumnEigenvectorReference(const BinaryMatrix& m, int f, int g);

}  // namespace kivo::sim

#endif  // KIVO_TESTS_SUPPORT_FUNCTSIM_REFERENCE_H_
