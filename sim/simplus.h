#ifndef KIVO_SIM_SIMPLUS_H_
#define KIVO_SIM_SIMPLUS_H_

// Estimation from the intermediate results file <project>.pqr, used when a
// run evaluates more statistics per matrix than the weighted sums hold. The
// file is read once per statistic; only that statistic's sums are in memory,
// so up to 200 statistics can be handled.
//
// File layout (written by the sampler):
//   line 1        numf (the rest of the line is ignored)
//   lines 2..     numf labels, one per line
//   then          an empty line and a line "@"
//   each record   the weight, then the numf integer values; values may run
//                 over several lines (line ends count as blanks), and the
//                 rest of the line after the last value is ignored.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"
#include "sim/kivosimlib_report.h"

namespace kivo::sim {

// Most statistics the file may hold.
inline constexpr int kMaxIntermediateStatistics = 200;

// The file open for reading, with a position inside the current line so
// that numbers can be read across line ends.
struct IntermediateFile {
  TextReader reader;
  std::string line;
  std::size_t position = 0;
  bool has_line = false;  // `line` holds a line not yet used up
};

// The sums of the statistic being processed and the records read.
struct IntermediatePass {
  StatisticSums sums{};
  double sw = 0.0;
  double sw2 = 0.0;
  std::int32_t records = 0;  // N': complete records read
};

// Reads the head: numf from the first line, then numf labels (each cut to
// 255 characters). An error when the first line holds no count from 0 to
// 200 or the file ends before the labels do.
Status ReadIntermediateHeader(IntermediateFile& file, int& numf, std::vector<std::string>& labels);

// Clears the pass and reads up to and including the line "@". An error
// naming the file when it has no such line.
Status StartIntermediatePass(IntermediateFile& file, IntermediatePass& pass);

// Reads one record and, when it is complete, adds its weight and value j
// (1 to numf) to the pass. A record cut short by the end of the file is not
// complete and adds nothing. An error when a field is no number.
Status ReadIntermediateRecord(IntermediateFile& file, int j, int numf, IntermediatePass& pass,
                              bool& complete);

// The estimates of one statistic from a pass; all 0 when N' <= 1.
struct IntermediateEstimate {
  std::int32_t records = 0;
  WeightMoments weight{};
  StatisticEstimate statistic{};
};
void EstimateIntermediateStatistic(const IntermediatePass& pass, IntermediateEstimate& out);

// The report of statistic j (1 for the first, which carries the weight
// warning) under `label`.
void WriteIntermediateReport(TextWriter& log, int j, const std::string& label,
                             const IntermediateEstimate& estimate);

// Processes <project_name>.pqr from the current directory and writes every
// statistic's report to the log. A missing file is reported in the log and
// is no error. Returns an error naming the file (and line) when it cannot
// be read or holds something other than numbers where numbers belong.
Status ProcessIntermediateResults(const std::string& project_name, TextWriter& log, Env& env);

}  // namespace kivo::sim

#endif  // KIVO_SIM_SIMPLUS_H_
