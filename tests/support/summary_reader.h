#ifndef KIVO_TESTS_SUPPORT_SUMMARY_READER_H_
#define KIVO_TESTS_SUPPORT_SUMMARY_READER_H_

// Reads a CSV summary back the way another program would: one record per
// line, quoted fields with doubled quotes, empty fields as "not given".

#include <optional>
#include <string>
#include <vector>

namespace kivo {

struct SummaryRecord {
  std::string section;
  int statistic = 0;
  std::string label;
  std::optional<double> value;
  std::optional<double> estimate;
  std::optional<double> standard_error;
};

// The records after the header line; `header` gets the header line. A line
// that does not have six fields fails the calling test.
std::vector<SummaryRecord> ReadSummary(const std::string& file_name, std::string& header);

// The records of one section, in file order.
std::vector<SummaryRecord> Section(const std::vector<SummaryRecord>& records,
                                   const std::string& section);

// The numbers on a report line after its caption, e.g. the 0.037 and 0.935
// of "p-values          0.037  0.935".
std::vector<double> NumbersAfter(const std::string& line, std::size_t caption_length);

}  // namespace kivo

#endif  // KIVO_TESTS_SUPPORT_SUMMARY_READER_H_
