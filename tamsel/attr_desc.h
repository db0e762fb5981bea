#ifndef KIVO_TAMSEL_ATTR_DESC_H_
#define KIVO_TAMSEL_ATTR_DESC_H_

// Attribute descriptives of the descriptives report: frequency tables
// (categorical attributes by value, continuous ones in 7 classes of equal
// width), a table of descriptive statistics and the correlations and
// covariances with pairwise deletion of missing values.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/text_file.h"
#include "tamsel/st_desc.h"

namespace kivo::tamsel {

inline constexpr int kContinuousClasses = 7;

struct CategoricalTable {
  int count = 0;  // categories left, ascending in values[1..count]
  std::array<std::int32_t, kMaxCategories + 1> values{};
  std::array<std::int64_t, kMaxCategories + 1> frequencies{};
  std::int64_t missing = 0;
  std::int64_t valid = 0;
};

struct ContinuousTable {
  bool any_valid = false;  // without a valid value there are no class bounds
  double min = 0;
  double width = 0;
  std::array<std::int64_t, kContinuousClasses + 1> frequencies{};  // [1..7]
  std::int64_t missing = 0;
  std::int64_t valid = 0;
};

// Figures of one attribute over its valid values; a value that does not
// exist for the number of valid values is empty.
struct AttributeFigures {
  std::int64_t valid = 0;
  std::int32_t mode = 0;                         // categorical only; 0 when no category is left
  std::optional<double> median, mean, min, max;  // at least one valid value
  std::optional<double> sd, variance;            // at least two valid values
  std::vector<double> deviations;                // [1..n]: value - mean (0 without a mean)
};

struct AttributeDescriptives {
  std::vector<CategoricalTable> categorical;  // [1..A], for categorical attributes
  std::vector<ContinuousTable> continuous;    // [1..A], for continuous attributes
  std::vector<AttributeFigures> figures;      // [1..A]
  // [a][b]: the covariance of a and b over the actors valid in both, each
  // centred by its mean over all its valid values (b < a), or the
  // correlation, that covariance over the two standard deviations (b > a);
  // empty when it does not exist.
  std::vector<std::vector<std::optional<double>>> pairs;
  bool any_missing = false;
};

// Removes the missing code from categories[a] and sorts what is left:
// positions 1..count then hold the categories in ascending order.
void PrepareCategories(DataDescription& data, int a);

// The median of the valid values of attribute a, empty without one.
std::optional<double> Median(const DataDescription& data, int a);

CategoricalTable TabulateCategorical(const DataDescription& data, int a);
ContinuousTable TabulateContinuous(const DataDescription& data, int a);

// Prepares the categories of every categorical attribute and computes all
// tables and figures.
AttributeDescriptives ComputeAttributeDescriptives(DataDescription& data);

void WriteAttributeDescriptives(const DataDescription& data, const AttributeDescriptives& figures,
                                TextWriter& report);

}  // namespace kivo::tamsel

#endif  // KIVO_TAMSEL_ATTR_DESC_H_
