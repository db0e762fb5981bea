#ifndef KIVO_TESTS_SUPPORT_TRIADS_REFERENCE_H_
#define KIVO_TESTS_SUPPORT_TRIADS_REFERENCE_H_

// The triad census done the plain way, triple by triple, kept only to check
// the fast census against.

#include "core/kivo_mat.h"
#include "core/triads.h"

namespace kivo {

// Visits every triple i < j < k, classifies it with the cycle, receiver,
// sender and source tests and counts it in TriadTypeOrder.
TriadCounts TriadCensusReference(const BinaryMatrix& m, int n);

}  // namespace kivo

#endif  // KIVO_TESTS_SUPPORT_TRIADS_REFERENCE_H_
