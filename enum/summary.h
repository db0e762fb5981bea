#ifndef KIVO_ENUM_SUMMARY_H_
#define KIVO_ENUM_SUMMARY_H_

// The rows of kivo_enum's CSV summary (--summary=FILE.csv): the exact
// results of the enumeration. Sections, one row each:
//   matrices      total number of matrices found
//   disconnected  matrices refused as not connected (connected graphs only)
//   mean          statistic k: mean of all outcomes
//   variance      statistic k: variance of all outcomes
//   count         statistic k, value v: number of matrices with outcome v
//   probability   statistic k, value v: exact P(t = v)
//   cumulative    statistic k, value v: exact P(t <= v)
// The value rows cover the smallest to the largest outcome in 0 to 100.
// Exact results carry no standard error: that field stays empty.

#include <string>
#include <vector>

#include "enum/kivoe_form.h"
#include "enum/kivoelib.h"
#include "platform/status.h"
#include "runfiles/summary_csv.h"

namespace kivo::enumeration {

// `label_store` keeps the labels the rows point at.
std::vector<SummaryRow> EnumerationSummaryRows(const EnumerationInput& input,
                                               const EnumerationTallies& tallies,
                                               std::vector<std::string>& label_store);

// Writes the summary of a run whose results section was written.
Status WriteEnumerationSummary(const std::string& file_name, const EnumRun& run);

}  // namespace kivo::enumeration

#endif  // KIVO_ENUM_SUMMARY_H_
