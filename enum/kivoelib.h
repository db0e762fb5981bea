#ifndef KIVO_ENUM_KIVOELIB_H_
#define KIVO_ENUM_KIVOELIB_H_

// kivo_enum's input record and its reader, the run flags, the tallies of the
// statistics over all enumerated matrices, the matrix listing (.prn) and the
// results section of the log.

#include <array>
#include <cstdint>
#include <string>

#include "enum/functen.h"
#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"

namespace kivo::enumeration {

// The run flags through which the window and the job talk to each other.
struct EnumRunStatus {
  bool interrupted = false;  // the user asked to stop, or closed the window
  bool had_to_stop = false;  // the tree hit one of its limits
};

// What the tree needs of the window: the counter of enumerated matrices.
class EnumerationWindow {
 public:
  virtual ~EnumerationWindow() = default;
  // The counter shows 7 blanks followed by count.
  virtual void shownumber(std::int32_t count) = 0;
};

enum class MatrixKind : std::uint8_t {
  kNone = 0,               // no kind selected (refused input)
  kNoStructuralZeros = 1,  // rectangular 0-1 matrix
  kDirected = 2,           // square, structurally zero diagonal
  kUndirected = 3,         // symmetric square, structurally zero diagonal
  kStructuralPattern = 4,  // rectangular with a general pattern of structural zeros
};

// Totals addressed from 1 (index 0 unused). Read as integers; once the input
// is accepted every entry is in 0 to 15.
using EnumTotals = std::array<std::int32_t, kMaxEnumSize + 1>;

// What ReadEnumerationInput yields. n = m = 0 means the input was refused
// and nothing is to be enumerated.
struct EnumerationInput {
  int n = 0;  // rows (vertices of a graph)
  int m = 0;  // columns; n for graphs
  EnumTotals row_totals{};
  EnumTotals column_totals{};
  EnumMatrix structural_zeros{};  // 1 = the cell must be 0; the diagonal for graphs
  EnumTotals row_zero_counts{};   // structural zeros of each row
  EnumTotals column_zero_counts{};
  MatrixKind kind = MatrixKind::kNone;  // after the reader's corrections
  bool fix_mutuals = false;             // directed graphs only
  std::int32_t mutuals = 0;             // the prescribed number of mutual dyads
  bool connected_only = false;          // graphs only
  bool write_all = false;    // list every matrix; cleared when the disk guard ends the listing
  int version = 1;           // version of evaluated statistics
  bool katz_powell = false;  // the Katz & Powell count is requested (version code 9)
  // The statistics' view of the run, valid once the input is accepted.
  StatisticsSetup statistics;

  // The observed matrix, when the data file holds an adjacency matrix.
  bool adjacency = false;
  EnumMatrix observed{};
  bool margins_equal = false;  // n = m and every column total equals its row total
};

// Exact distribution of one statistic over the enumerated matrices.
struct StatisticTally {
  std::array<double, 101> outcome_count{};  // matrices with outcome v, v = 0 to 100
  double sum = 0;
  double sum_of_squares = 0;
  std::int32_t smallest = 100;  // smallest outcome in 0 to 100
  std::int32_t largest = 0;     // largest outcome in 0 to 100
  bool less = false;            // an outcome below 0 occurred
  bool greater = false;         // an outcome above 100 occurred
};

struct EnumerationTallies {
  std::array<StatisticTally, kNumfMax + 1> statistics{};  // 1 to numf
  std::int32_t count = 0;         // matrices counted (raised by TallyMatrix)
  std::int32_t disconnected = 0;  // complete matrices refused as not connected (raised by the tree)
};

// The listing of enumerated matrices, <project>.prn.
struct MatrixListing {
  TextWriter file;        // open while matrices are listed
  std::string file_name;  // the project name followed by ".prn"
};

// Clears the run flags, the tallies and the input (n = m = 0) and marks the
// listing closed (closing it if it was open).
void InitEnumeration(EnumRunStatus& status, EnumerationInput& input, EnumerationTallies& tallies,
                     MatrixListing& listing);

// Reads <project_name>.in and the files it names into `input`, checks them
// and echoes them to the log, and prints the statistics of an observed
// adjacency matrix. A refused input leaves n = m = 0 with its reasons in the
// log. The returned status is an input/output failure (a token that is not a
// number, an unreadable file, a failed log write); the log's own sticky
// status also records write failures.
Status ReadEnumerationInput(TextWriter& log, const std::string& project_name, Env& env,
                            EnumerationInput& input);

// Opens <project_name>.prn for appending (creating it when missing) and
// records its name.
Status OpenMatrixListing(MatrixListing& listing, const std::string& project_name);

// The header of the listing: totals, kind and the labels of the statistics.
// REQUIRES: the input is accepted.
void WriteListingHeader(TextWriter& listing, const EnumerationInput& input);

// Counts a complete matrix (tallies.count + 1), evaluates its statistics and
// tallies their integer outcomes; real_values gets the values to be listed.
// Allocates nothing.
void TallyMatrix(EnumerationTallies& tallies, const StatisticsSetup& setup,
                 const EnumMatrix& current, std::int32_t mutual_count, const PrimaryValues& primary,
                 RealValues& real_values);

// Appends the record of matrix number `count` to the listing. At every
// 1000th matrix it first checks the drive: below 5 % free space it logs why,
// closes the listing and clears input.write_all, and writes no record.
// REQUIRES: the listing is open.
void WriteMatrixListing(TextWriter& log, MatrixListing& listing, EnumerationInput& input,
                        std::int32_t count, const EnumMatrix& current,
                        const RealValues& real_values, Env& env);

// The results section: totals, then per statistic its moments, its table of
// outcomes and its bar chart, and the name of the listing when it is complete.
void WriteEnumerationReport(TextWriter& log, const EnumerationInput& input,
                            const EnumerationTallies& tallies, const MatrixListing& listing);

}  // namespace kivo::enumeration

#endif  // KIVO_ENUM_KIVOELIB_H_
