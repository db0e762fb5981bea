#ifndef KIVO_RUNFILES_SUMMARY_CSV_H_
#define KIVO_RUNFILES_SUMMARY_CSV_H_

// The CSV summary that kivo_sim and kivo_enum write on request
// (--summary=FILE.csv): every number of the results section as one row of
//   section,statistic,label,value,estimate,standard_error
// so that the results can be read into other programs without parsing the
// fixed-width report. Empty fields mean "does not apply". Numbers are written
// in the shortest form that reads back to the same double; "NaN" and
// "Inf"/"-Inf" for the special values.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "platform/text_file.h"

namespace kivo {

inline constexpr std::string_view kSummaryHeader =
    "section,statistic,label,value,estimate,standard_error";

// One row of the summary. statistic is the number of the statistic or
// combination (0 leaves the field empty); value the outcome, critical value
// or column the row is about.
struct SummaryRow {
  std::string_view section;
  int statistic = 0;
  std::string_view label;
  std::optional<double> value;
  std::optional<double> estimate;
  std::optional<double> standard_error;
};

// A label as a CSV field: quoted (with doubled quotes) when it holds a comma,
// a quote or a line break; unchanged otherwise.
std::string CsvText(std::string_view text);

// A double as a CSV field (see above).
std::string CsvNumber(double value);

// The whole line of a row, without the line end.
std::string SummaryLine(const SummaryRow& row);

// Creates (replacing) the file, writes the header and then one line per row.
// An error names the file.
Status WriteSummaryFile(const std::string& file_name, const std::vector<SummaryRow>& rows);

// Takes the --summary=FILE option out of argv[1..argc-1]: the remaining
// arguments, in order, go to `rest` (rest[0] is argv[0]), the file name to
// `file_name` (empty when the option is absent). "--summary=" without a name
// is an error.
Status ExtractSummaryOption(int argc, const char* const* argv, std::vector<const char*>& rest,
                            std::string& file_name);

}  // namespace kivo

#endif  // KIVO_RUNFILES_SUMMARY_CSV_H_
