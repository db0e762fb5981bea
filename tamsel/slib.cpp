#include "tamsel/slib.h"

#include <cmath>

namespace kivo::tamsel {

// The thresholds are compared in extended precision so that a value just
// above them in the last double bit is still taken as above.
double GuardedSqrt(double x) {
  const long double magnitude = std::fabs(static_cast<long double>(x));
  if (magnitude <= 1e-36L) return 1e-18;
  return static_cast<double>(std::sqrt(magnitude));
}

double SafeDivide(double x, double y) {
  if (std::fabs(static_cast<long double>(y)) <= 1e-12L) return 0.0;
  return static_cast<double>(static_cast<long double>(x) / static_cast<long double>(y));
}

double MaxOfTwo(double x, double y) { return x > y ? x : y; }

std::string ByteToText(std::uint8_t b) { return std::to_string(static_cast<int>(b)); }

}  // namespace kivo::tamsel
