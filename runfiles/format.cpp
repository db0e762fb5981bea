#include "runfiles/format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kivo {
namespace {

// Right-aligns `length` characters of `text` in a field of `width`. Short
// results stay within the string's own buffer, so formatting a field does not
// touch the heap.
std::string PadLeft(const char* text, std::size_t length, int width) {
  const std::size_t field = width > 0 ? static_cast<std::size_t>(width) : 0;
  std::string result;
  if (length < field) result.assign(field - length, ' ');
  result.append(text, length);
  return result;
}

constexpr int kMaxDecimals = 100;
constexpr int kSignificantDigits = 15;
// Sign, up to 309 integer digits, the point and the decimals.
constexpr std::size_t kMaxRealLength = 1 + 309 + 1 + kMaxDecimals;

}  // namespace

std::string Int(long long value, int width) {
  char buffer[24];
  const int length = std::snprintf(buffer, sizeof buffer, "%lld", value);
  return PadLeft(buffer, static_cast<std::size_t>(length), width);
}

std::string Real(double value, int width, int decimals) {
  if (std::isnan(value)) return PadLeft("NaN", 3, width);
  if (std::isinf(value)) return value < 0 ? PadLeft("-Inf", 4, width) : PadLeft("Inf", 3, width);
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;

  // The 15 significant digits of the value: d.dddddddddddddde+x. Rounding
  // to d decimals then works on these digits, so a double that lies just
  // below a decimal half (2.15 is 2.1499999...) still rounds as the decimal.
  char scientific[40];
  std::snprintf(scientific, sizeof scientific, "%.14e", value);
  const bool negative = scientific[0] == '-';
  const char* mantissa = scientific + (negative ? 1 : 0);
  char significant[kSignificantDigits];
  significant[0] = mantissa[0];
  std::memcpy(significant + 1, mantissa + 2, kSignificantDigits - 1);
  const int exponent = std::atoi(std::strchr(mantissa, 'e') + 1);

  // The first significant digit has place value 10^exponent; digits down to
  // place 10^-decimals are kept, `keep` digits in all. digits[1..count] is
  // the result scaled by 10^decimals; digits[0] takes a carry out of the top.
  char digits[kMaxRealLength + 2];
  std::size_t count = 0;
  const int keep = exponent + decimals + 1;
  bool round_up = false;
  if (keep <= 0) {
    digits[++count] = '0';
    round_up = keep == 0 && significant[0] >= '5';
  } else {
    for (int i = 0; i < keep; ++i) {
      digits[++count] = i < kSignificantDigits ? significant[i] : '0';
    }
    round_up = keep < kSignificantDigits && significant[keep] >= '5';
  }
  std::size_t first = 1;
  if (round_up) {
    std::size_t i = count;
    while (i >= 1 && digits[i] == '9') digits[i--] = '0';
    if (i >= 1) {
      ++digits[i];
    } else {
      digits[0] = '1';
      first = 0;
    }
  }

  const std::size_t fraction = static_cast<std::size_t>(decimals);
  char text[kMaxRealLength + 4];
  std::size_t length = 0;
  // An exact zero (also -0.0) is written without a sign; a small negative
  // value that only rounds to zero keeps it.
  if (negative && value != 0.0) text[length++] = '-';
  const std::size_t digit_count = count + 1 - first;
  if (digit_count <= fraction) {
    text[length++] = '0';
    if (fraction > 0) text[length++] = '.';
    for (std::size_t i = digit_count; i < fraction; ++i) text[length++] = '0';
    std::memcpy(text + length, digits + first, digit_count);
    length += digit_count;
  } else {
    const std::size_t integer_digits = digit_count - fraction;
    std::memcpy(text + length, digits + first, integer_digits);
    length += integer_digits;
    if (fraction > 0) {
      text[length++] = '.';
      std::memcpy(text + length, digits + first + integer_digits, fraction);
      length += fraction;
    }
  }
  return PadLeft(text, length, width);
}

std::string Text(std::string_view text, int width) {
  return PadLeft(text.data(), text.size(), width);
}

double RoundHalfEven(double value) {
  const double lower = std::floor(value);
  const double difference = value - lower;
  if (difference < 0.5) return lower;
  if (difference > 0.5) return lower + 1.0;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

}  // namespace kivo
