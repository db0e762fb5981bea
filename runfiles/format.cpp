#include "runfiles/format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kivo {
namespace {

std::string PadLeft(std::string text, int width) {
  if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
    text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  }
  return text;
}

// Adds one unit in the last place of a string of decimal digits.
void IncrementDigits(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(0, 1, '1');
}

}  // namespace

std::string Int(long long value, int width) { return PadLeft(std::to_string(value), width); }

std::string Real(double value, int width, int decimals) {
  if (std::isnan(value)) return PadLeft("NaN", width);
  if (std::isinf(value)) return PadLeft(value < 0 ? "-Inf" : "Inf", width);
  if (decimals < 0) decimals = 0;

  // The 15 significant digits of the value: d.dddddddddddddde+x. Rounding
  // to d decimals then works on these digits, so a double that lies just
  // below a decimal half (2.15 is 2.1499999...) still rounds as the decimal.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  const std::string scientific = buffer;
  const bool negative = scientific[0] == '-';
  const std::size_t mantissa_start = negative ? 1 : 0;
  std::string significant;
  significant += scientific[mantissa_start];
  significant += scientific.substr(mantissa_start + 2, 14);
  const int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);

  // The first significant digit has place value 10^exponent; digits down to
  // place 10^-decimals are kept, so `keep` digits in all.
  const long keep = static_cast<long>(exponent) + decimals + 1;
  std::string digits;  // the result scaled by 10^decimals
  if (keep <= 0) {
    digits = "0";
    if (keep == 0 && significant[0] >= '5') digits = "1";
  } else if (keep >= static_cast<long>(significant.size())) {
    digits = significant;
    digits.append(static_cast<std::size_t>(keep) - significant.size(), '0');
  } else {
    digits = significant.substr(0, static_cast<std::size_t>(keep));
    if (significant[static_cast<std::size_t>(keep)] >= '5') IncrementDigits(digits);
  }

  const std::size_t fraction = static_cast<std::size_t>(decimals);
  if (digits.size() <= fraction) digits.insert(0, fraction + 1 - digits.size(), '0');
  std::string text;
  // An exact zero (also -0.0) is written without a sign; a small negative
  // value that only rounds to zero keeps it.
  if (negative && value != 0.0) text += '-';
  text += digits.substr(0, digits.size() - fraction);
  if (fraction > 0) {
    text += '.';
    text += digits.substr(digits.size() - fraction);
  }
  return PadLeft(std::move(text), width);
}

std::string Text(std::string_view text, int width) { return PadLeft(std::string(text), width); }

double RoundHalfEven(double value) {
  const double lower = std::floor(value);
  const double difference = value - lower;
  if (difference < 0.5) return lower;
  if (difference > 0.5) return lower + 1.0;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

}  // namespace kivo
