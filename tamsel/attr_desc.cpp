#include "tamsel/attr_desc.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "runfiles/format.h"
#include "runfiles/kivolib.h"
#include "tamsel/net_desc.h"

namespace kivo::tamsel {
namespace {

bool IsValid(const DataDescription& data, int a, int i) {
  return data.attribute_missing[static_cast<std::size_t>(a)][static_cast<std::size_t>(i)] == 0;
}

double ValueOf(const DataDescription& data, int a, int i) {
  return data.attribute_values[static_cast<std::size_t>(a)][static_cast<std::size_t>(i)];
}

// 100 part / whole with one decimal in 5, a dash when there is no whole.
std::string Percent(double part, double whole) {
  if (whole == 0) return Text("-", 5);
  return Real(100.0 * part / whole, 5, 1);
}

std::string Optional(const std::optional<double>& value, int width, int decimals) {
  return value ? Real(*value, width, decimals) : Text("-", width);
}

// Class 1 takes everything up to min + w and class 7 everything from
// min + 6w on, so rounding in the bounds never leaves a value out.
int ClassOf(double x, double min, double w) {
  if (x <= min + w) return 1;
  if (x >= min + 6 * w) return kContinuousClasses;
  for (int b = 2; b < kContinuousClasses; ++b) {
    if (min + (b - 1) * w < x && x <= min + b * w) return b;
  }
  return kContinuousClasses;
}

void WriteCategorical(const CategoricalTable& table, std::int64_t n, TextWriter& report) {
  report.WriteLine("          freq.    perc.   val.perc.  cum.perc.");
  double cumulative = 0;
  const auto actors = static_cast<double>(n);
  const auto valid = static_cast<double>(table.valid);
  for (int r = 1; r <= table.count; ++r) {
    const auto f = static_cast<double>(table.frequencies[static_cast<std::size_t>(r)]);
    if (valid > 0) cumulative += 100.0 * f / valid;
    report.WriteLine("    " + Int(table.values[static_cast<std::size_t>(r)], 3) + "   " +
                     Int(table.frequencies[static_cast<std::size_t>(r)], 4) + "    " +
                     Percent(f, actors) + "%    " + Percent(f, valid) + "%     " +
                     (valid > 0 ? Real(cumulative, 5, 1) : Text("-", 5)) + "%");
  }
  report.WriteLine("missing   " + Int(table.missing, 4) + "    " +
                   Percent(static_cast<double>(table.missing), actors) + "%    ");
  report.WriteLine("          ----    ------    ------");
  // Without a category (or a valid value) there is no last cumulative value.
  const bool has_last = table.count > 0 && valid > 0;
  report.WriteLine("          " + Int(n, 4) + "    100.0%    " +
                   (has_last ? Real(cumulative, 5, 1) + "%" : Text("-", 5)));
  report.WriteLine();
}

void WriteContinuous(const ContinuousTable& table, std::int64_t n, TextWriter& report) {
  report.WriteLine("                   freq.    perc.   val.perc.  cum.perc.");
  const double min = table.min;
  const double w = table.width;
  const auto bound = [&](int b) {
    return table.any_valid ? Real(min + b * w, 6, 2) : Text("-", 6);
  };
  const auto actors = static_cast<double>(n);
  const auto valid = static_cast<double>(table.valid);
  double cumulative = 0;
  for (int b = 1; b <= kContinuousClasses; ++b) {
    std::string label;
    if (b == 1) {
      label = "        < " + bound(1);
    } else if (b == kContinuousClasses) {
      label = "       => " + bound(kContinuousClasses - 1);
    } else {
      label = bound(b - 1) + "  - " + bound(b);
    }
    const std::int64_t frequency = table.frequencies[static_cast<std::size_t>(b)];
    const auto f = static_cast<double>(frequency);
    if (valid > 0) cumulative += 100.0 * f / valid;
    report.WriteLine(label + "   " + Int(frequency, 4) + "    " + Percent(f, actors) + "%    " +
                     Percent(f, valid) + "%     " +
                     (valid > 0 ? Real(cumulative, 5, 1) : Text("-", 5)) + "%");
  }
  report.WriteLine("         missing   " + Int(table.missing, 4) + "    " +
                   Percent(static_cast<double>(table.missing), actors) + "%    ");
  report.WriteLine("                   ----    ------    ------");
  report.WriteLine(std::string(19, ' ') + Int(n, 4) + "    100.0%    " +
                   (valid > 0 ? Real(cumulative, 5, 1) + "%" : Text("-", 5)));
  report.WriteLine();
}

}  // namespace

void PrepareCategories(DataDescription& data, int a) {
  ValueList& list = data.categories[static_cast<std::size_t>(a)];
  const double code = std::trunc(data.attribute_missing_codes[static_cast<std::size_t>(a)]);
  // A code beyond the 32-bit range equals no category.
  const bool code_fits = code >= -2147483648.0 && code <= 2147483647.0;
  const auto code_value = code_fits ? static_cast<std::int32_t>(code) : 0;
  int count = list[0];
  const int listed = count;
  for (int q = 1; q <= kMaxCategories; ++q) {
    std::int32_t& entry = list[static_cast<std::size_t>(q)];
    if (q > listed) {
      entry = kSortSentinel;
    } else if (code_fits && entry == code_value) {
      entry = kSortSentinel;
      --count;
    }
  }
  list[0] = count;
  SortValuesFrom(list.data(), kMaxCategories, 1);
}

std::optional<double> Median(const DataDescription& data, int a) {
  std::vector<double> values;
  for (int i = 1; i <= data.num_actors; ++i) {
    if (IsValid(data, a, i)) values.push_back(ValueOf(data, a, i));
  }
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const std::size_t m = values.size();
  if (m % 2 == 1) return values[m / 2];
  return (values[m / 2 - 1] + values[m / 2]) / 2;
}

CategoricalTable TabulateCategorical(const DataDescription& data, int a) {
  CategoricalTable table;
  const ValueList& list = data.categories[static_cast<std::size_t>(a)];
  table.count = list[0];
  for (int q = 1; q <= table.count; ++q) {
    table.values[static_cast<std::size_t>(q)] = list[static_cast<std::size_t>(q)];
  }
  for (int i = 1; i <= data.num_actors; ++i) {
    if (!IsValid(data, a, i)) {
      ++table.missing;
      continue;
    }
    ++table.valid;
    const double x = ValueOf(data, a, i);
    for (int q = 1; q <= table.count; ++q) {
      if (x == table.values[static_cast<std::size_t>(q)]) {
        ++table.frequencies[static_cast<std::size_t>(q)];
        break;
      }
    }
  }
  return table;
}

ContinuousTable TabulateContinuous(const DataDescription& data, int a) {
  ContinuousTable table;
  double max = 0;
  for (int i = 1; i <= data.num_actors; ++i) {
    if (!IsValid(data, a, i)) continue;
    const double x = ValueOf(data, a, i);
    if (!table.any_valid || x < table.min) table.min = x;
    if (!table.any_valid || x > max) max = x;
    table.any_valid = true;
  }
  table.width = (max - table.min) / kContinuousClasses;
  for (int i = 1; i <= data.num_actors; ++i) {
    if (!IsValid(data, a, i)) {
      ++table.missing;
      continue;
    }
    ++table.valid;
    ++table.frequencies[static_cast<std::size_t>(
        ClassOf(ValueOf(data, a, i), table.min, table.width))];
  }
  return table;
}

AttributeDescriptives ComputeAttributeDescriptives(DataDescription& data) {
  AttributeDescriptives result;
  const int count = data.num_attributes;
  const int n = data.num_actors;
  const auto slots = static_cast<std::size_t>(count) + 1;
  result.categorical.resize(slots);
  result.continuous.resize(slots);
  result.figures.resize(slots);
  for (int a = 1; a <= count; ++a) {
    const auto sa = static_cast<std::size_t>(a);
    const bool categorical = data.is_categorical[sa] != 0;
    if (categorical) {
      PrepareCategories(data, a);
      result.categorical[sa] = TabulateCategorical(data, a);
    } else {
      result.continuous[sa] = TabulateContinuous(data, a);
    }
    AttributeFigures& f = result.figures[sa];
    double sum = 0;
    for (int i = 1; i <= n; ++i) {
      if (!IsValid(data, a, i)) continue;
      const double x = ValueOf(data, a, i);
      if (f.valid == 0 || x < *f.min) f.min = x;
      if (f.valid == 0 || x > *f.max) f.max = x;
      sum += x;
      ++f.valid;
    }
    if (categorical) {
      // The categories are ascending, so the first highest frequency is the
      // smallest category among equals.
      const CategoricalTable& table = result.categorical[sa];
      std::int64_t best = -1;
      for (int q = 1; q <= table.count; ++q) {
        if (table.frequencies[static_cast<std::size_t>(q)] > best) {
          best = table.frequencies[static_cast<std::size_t>(q)];
          f.mode = table.values[static_cast<std::size_t>(q)];
        }
      }
    }
    const auto m = static_cast<double>(f.valid);
    f.deviations.assign(static_cast<std::size_t>(n) + 1, 0.0);
    if (f.valid > 0) {
      f.median = Median(data, a);
      f.mean = sum / m;
      for (int i = 1; i <= n; ++i) {
        f.deviations[static_cast<std::size_t>(i)] = ValueOf(data, a, i) - *f.mean;
      }
    }
    if (f.valid > 1) {
      // Sum of squared deviations rather than sum of squares minus the
      // squared mean: the same value, without the cancellation that can
      // drive it below 0 for large values with a small spread.
      double squares = 0;
      for (int i = 1; i <= n; ++i) {
        if (IsValid(data, a, i)) {
          const double d = f.deviations[static_cast<std::size_t>(i)];
          squares += d * d;
        }
      }
      f.variance = std::max(0.0, squares / (m - 1));
      f.sd = std::sqrt(*f.variance);
    }
    if (f.valid < n) result.any_missing = true;
  }

  result.pairs.assign(slots, std::vector<std::optional<double>>(slots));
  for (int a = 1; a <= count; ++a) {
    const AttributeFigures& fa = result.figures[static_cast<std::size_t>(a)];
    for (int b = 1; b <= count; ++b) {
      if (a == b) continue;
      // Both values are taken as deviations from their attribute's mean.
      // With every value valid this is the sum of deviation times value; over
      // a pairwise subset the deviations of a no longer add up to 0, and
      // only the centred product keeps the covariance independent of where
      // b's scale starts and the same on both sides of the diagonal.
      const AttributeFigures& fb = result.figures[static_cast<std::size_t>(b)];
      double s = 0;
      long long common = 0;
      for (int i = 1; i <= n; ++i) {
        if (IsValid(data, a, i) && IsValid(data, b, i)) {
          s += fa.deviations[static_cast<std::size_t>(i)] *
               fb.deviations[static_cast<std::size_t>(i)];
          ++common;
        }
      }
      // A covariance needs two actors valid in both attributes.
      if (common < 2) continue;
      const double cov = s / static_cast<double>(common - 1);
      std::optional<double>& cell =
          result.pairs[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
      if (b < a) {
        cell = cov;
      } else {
        if (fa.sd && fb.sd && *fa.sd != 0 && *fb.sd != 0) cell = cov / (*fa.sd * *fb.sd);
      }
    }
  }
  return result;
}

void WriteAttributeDescriptives(const DataDescription& data, const AttributeDescriptives& figures,
                                TextWriter& report) {
  const int count = data.num_attributes;
  if (count == 0) {
    report.WriteLine();
    report.WriteLine();
    return;
  }
  const std::int64_t n = data.num_actors;
  const auto name = [&data](int a) { return data.attribute_names[static_cast<std::size_t>(a)]; };
  const auto categorical = [&data](int a) {
    return data.is_categorical[static_cast<std::size_t>(a)] != 0;
  };

  WriteSectionHeader(2, report, "Attribute descriptives");
  WriteSectionHeader(3, report, "Frequency tables");
  int continuous = 0;
  for (int a = 1; a <= count; ++a) continuous += categorical(a) ? 0 : 1;
  if (continuous == 1) report.WriteLine("The following variable is continuous:");
  if (continuous > 1) report.WriteLine("The following variables are continuous:");
  for (int a = 1; a <= count; ++a) {
    if (!categorical(a)) report.WriteLine("  " + name(a));
  }
  if (continuous > 0) report.WriteLine("These variables are categorized into 7 categories.");
  for (int a = 1; a <= count; ++a) {
    report.WriteLine();
    report.WriteLine("Attribute: " + name(a));
    if (categorical(a)) {
      WriteCategorical(figures.categorical[static_cast<std::size_t>(a)], n, report);
    } else {
      WriteContinuous(figures.continuous[static_cast<std::size_t>(a)], n, report);
    }
  }

  WriteSectionHeader(3, report, "Descriptive statistics");
  report.WriteLine("The mode is only calculated for categorical variables.");
  report.WriteLine();
  report.WriteLine();
  report.WriteLine(
      "              n   Mode   Median     Mean     Min.     Max.    St.dev.     Var.");
  report.WriteLine(
      " -------------------------------------------------------------------------------");
  for (int a = 1; a <= count; ++a) {
    const AttributeFigures& f = figures.figures[static_cast<std::size_t>(a)];
    report.WriteLine(Text(name(a), 10) + " " + Int(f.valid, 4) + "   " +
                     (categorical(a) ? Int(f.mode, 4) : std::string("   -")) + "   " +
                     Optional(f.median, 6, 2) + "   " + Optional(f.mean, 6, 2) + "   " +
                     Optional(f.min, 6, 2) + "   " + Optional(f.max, 6, 2) + "   " +
                     Optional(f.sd, 7, 3) + "   " + Optional(f.variance, 7, 3));
  }
  report.WriteLine();

  WriteSectionHeader(3, report, "Correlations");
  report.WriteLine("Correlations above the diagonal, covariances below the diagonal.");
  if (figures.any_missing) {
    report.WriteLine(
        "Correlations and covariances are based on pairwise deletion of missing values.");
  }
  report.WriteLine();
  for (int a = 1; a <= count; ++a) {
    std::string line = Text(name(a), 10) + " ";
    for (int b = 1; b <= count; ++b) {
      const std::optional<double>& cell =
          figures.pairs[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
      if (b == a || !cell) {
        line += "    -  ";
      } else {
        line += Real(*cell, 7, b > a ? 3 : 2);
      }
    }
    report.WriteLine(line);
  }
  report.WriteLine();
}

}  // namespace kivo::tamsel
