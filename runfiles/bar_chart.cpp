#include "runfiles/bar_chart.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "runfiles/format.h"

namespace kivo {
namespace {

constexpr int kColumns = 80;
constexpr int kRows = 25;
constexpr int kLevelZeroRow = 21;
constexpr int kBaseRow = 22;
constexpr int kLabelRow = 23;
constexpr int kAxisColumn = 6;
constexpr int kMaxBars = 70;
constexpr int kWrittenColumns = 79;
constexpr double kDrawnHeight = 1e-8;

// The tick step: the smallest of a few round multiples of a power of ten
// that is at least raw, so that the largest bar fits in about `rows` ticks.
double TickStep(double raw) {
  double scaled = raw;
  double unit = 1.0;
  double leading = 0.0;
  // Stops after the smallest positive double has been passed.
  for (int k = 1; k <= 400; ++k) {
    scaled *= 10.0;
    unit /= 10.0;
    leading = std::trunc(scaled);
    if (leading >= 1.0) break;
  }
  if (leading < 1.0 || unit <= 0.0) return 0.0;
  if (leading == 1.0) {
    if (raw <= 1.25 * unit) return 1.25 * unit;
    if (raw <= 1.5 * unit) return 1.5 * unit;
    return 2.0 * unit;
  }
  if (raw < 2.5 * unit) return 2.5 * unit;
  return (leading + 1.0) * unit;
}

class Grid {
 public:
  Grid() { std::memset(cells_, ' ', sizeof cells_); }

  void Put(int row, int column, char c) {
    if (row >= 0 && row < kRows && column >= 0 && column < kColumns) cells_[row][column] = c;
  }
  // Puts the first `count` characters of text from `column` on.
  void PutText(int row, int column, std::string_view text, std::size_t count) {
    count = std::min(count, text.size());
    for (std::size_t i = 0; i < count; ++i) Put(row, column + static_cast<int>(i), text[i]);
  }

  void Write(TextWriter& log) const {
    for (int row = 0; row < kRows; ++row) {
      const std::string_view line(cells_[row], kWrittenColumns);
      if (line.find_first_not_of(' ') != std::string_view::npos) log.WriteLine(line);
    }
  }

 private:
  char cells_[kRows][kColumns];
};

}  // namespace

void DrawBarChart(TextWriter& log, int values_per_bar, int bars, int first_value,
                  std::span<const double> heights) {
  log.WriteLine();
  if (values_per_bar <= 0 || bars <= 1) return;
  bars = std::min(bars, kMaxBars);
  const auto height = [&](int bar) {
    const std::size_t index = static_cast<std::size_t>(bar - 1);
    return index < heights.size() ? heights[index] : 0.0;
  };

  const int bar_columns = bars <= 15 ? 4 : bars <= 30 ? 2 : 1;
  const int plot_width = bars * bar_columns;
  const int target_rows = plot_width <= 42 ? (plot_width + 1) / 2 : 21;

  double largest = 0.0;
  for (int b = 1; b <= bars; ++b) {
    if (std::isfinite(height(b))) largest = std::max(largest, height(b));
  }
  const double step = largest > 0.0 ? TickStep(largest / target_rows) : 0.0;
  // Ticks 0 to `ticks`; a tick above the top row of the grid (possible when
  // the largest height is exactly target_rows steps) is dropped.
  int ticks = 0;
  if (step > 0.0) {
    ticks = static_cast<int>(std::min(std::trunc(largest / step) + 1.0, 1e6));
  }
  const bool label_every_tick = ticks <= 8;
  ticks = std::min(ticks, kLevelZeroRow);
  const bool label_every_bar = bar_columns == 4;

  Grid grid;
  for (int e = 0; e <= ticks; ++e) {
    const int row = kLevelZeroRow - e;
    grid.Put(row, kAxisColumn, '|');
    if (label_every_tick || e % 2 == 0) grid.PutText(row, 0, Real(e * step, 6, 4), 6);
  }

  for (int b = 1; b <= bars; ++b) {
    for (int column = (b - 1) * bar_columns + 7; column <= b * bar_columns + 6; ++column) {
      grid.Put(kBaseRow, column, '-');
    }
    if (label_every_bar || b % 5 == 0) {
      const long long value =
          static_cast<long long>(first_value) + static_cast<long long>(b - 1) * values_per_bar;
      grid.PutText(kLabelRow, b * bar_columns + 5, Int(value, 2), 2);
    }
  }
  grid.Put(kBaseRow, kAxisColumn, '+');

  if (step > 0.0) {
    for (int b = 1; b <= bars; ++b) {
      const double h = height(b);
      if (!(h > kDrawnHeight)) continue;
      const int column = b * bar_columns + 6;
      for (int e = 0; e <= kLevelZeroRow && e * step < h; ++e) {
        grid.Put(kLevelZeroRow - e, column, 'X');
        if (bar_columns == 4) grid.Put(kLevelZeroRow - e, column - 1, 'X');
      }
    }
  }
  grid.Write(log);
}

}  // namespace kivo
