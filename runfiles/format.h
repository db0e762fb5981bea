#ifndef KIVO_RUNFILES_FORMAT_H_
#define KIVO_RUNFILES_FORMAT_H_

// The one place that decides how a number becomes report text. Report code
// reads like the layout tables: out.WriteLine(Int(k, 4) + ". " + Real(x, 10, 4)).

#include <string>
#include <string_view>

namespace kivo {

// Integer right-aligned in a field of w characters (wider when it needs it).
std::string Int(long long value, int width);

// Real with d decimals right-aligned in w characters (wider when it needs it).
// The value is first rounded to 15 significant digits, then to d decimals
// with halves away from zero: Real(0.125, 0, 2) is "0.13", Real(2.15, 0, 1)
// is "2.2". A value that rounds to zero keeps its sign ("-0.00"); an exact
// zero, also -0.0, has none. With 0 decimals there is no point. Decimals
// below 0 count as 0, above 100 as 100. NaN and infinities are written as
// "NaN", "Inf" and "-Inf" in the field. Short fields use no heap memory.
std::string Real(double value, int width, int decimals);

// Text right-aligned in w characters (never cut).
std::string Text(std::string_view text, int width);

// Rounding of a real to an integer value: nearest, halves to the even neighbour.
double RoundHalfEven(double value);

}  // namespace kivo

#endif  // KIVO_RUNFILES_FORMAT_H_
