#ifndef KIVO_TAMSEL_SLIB_H_
#define KIVO_TAMSEL_SLIB_H_

// Small numeric and text helpers of the descriptives program.

#include <cstdint>
#include <string>
#include <string_view>

namespace kivo::tamsel {

inline constexpr std::string_view kTamselVersion = "1.30";

// The square root of |x|, or exactly 1e-18 when |x| is at most 1e-36, so a
// standard deviation taken from it is never 0 and never fails.
double GuardedSqrt(double x);

// x / y, or 0 when |y| is at most 1e-12.
double SafeDivide(double x, double y);

double MaxOfTwo(double x, double y);

// Decimal text without blanks.
std::string ByteToText(std::uint8_t b);

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_SLIB_H_
