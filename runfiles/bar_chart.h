#ifndef KIVO_RUNFILES_BAR_CHART_H_
#define KIVO_RUNFILES_BAR_CHART_H_

// A probability distribution drawn with characters: tick labels and a
// vertical axis on the left, one bar per group of consecutive values, a base
// line and value labels under the bars.

#include <span>

#include "platform/text_file.h"

namespace kivo {

// Writes an empty line, then the chart of the bars with heights heights[0]
// (bar 1) to heights[bars - 1] (bar `bars`). Bar b stands for the values
// first_value + (b - 1) * values_per_bar and on; its label shows that value.
// With values_per_bar <= 0 or bars <= 1 only the empty line is written.
// Every non-blank row of the chart is one line of 79 characters, trailing
// blanks included.
//
// Inputs the reports never produce are drawn safely:
// - more than 70 bars: only the first 70 are drawn;
// - bars beyond heights.size() have height 0;
// - no positive (finite) height: the axis has the single tick 0.0000 and no
//   bar is drawn.
// The grid is fixed (80 x 25 characters on the stack); nothing is allocated
// per chart apart from the short label texts.
void DrawBarChart(TextWriter& log, int values_per_bar, int bars, int first_value,
                  std::span<const double> heights);

}  // namespace kivo

#endif  // KIVO_RUNFILES_BAR_CHART_H_
