#ifndef KIVO_SIM_KIVOSIMLIB_H_
#define KIVO_SIM_KIVOSIMLIB_H_

// The project input of a simulation run: <project>.in and the data,
// structural-zero and weights files it names, read, checked and echoed to the
// output log; the header of the matrix listing <project>.prn; the values of
// the statistics on the observed data matrix.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/kivo_mat.h"
#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"
#include "sim/sim_run.h"

namespace kivo::sim {

// Largest number of linear combinations of triad counts.
inline constexpr int kMaxCombinations = 18;
// Columns of a row of the weights table: the reference value, then the
// weights of the 16 triad types.
inline constexpr int kWeightColumns = 17;

// Row k (1 to 18; row 0 is unused): element 0 the reference value of
// combination k (its critical value), elements 1 to 16 the weights of the
// triad types in TriadTypeOrder.
using WeightRow = std::array<double, kWeightColumns>;
using WeightTable = std::array<WeightRow, kMaxCombinations + 1>;

// 1 in a cell that must be 0 in every simulated matrix, 0 elsewhere. For
// graphs and digraphs the diagonal cells are 1.
using StructuralZeros = BinaryMatrix;

// The kind of matrix to simulate. The tens digit 1 marks a square graph
// matrix, the hundreds digit 1 the Molloy-Reed algorithm (added to any of
// the other values).
using MatrixMode = std::uint8_t;
inline constexpr MatrixMode kModeRectangular = 1;
inline constexpr MatrixMode kModeStructuralZeros = 4;
inline constexpr MatrixMode kModeDigraph = 12;
inline constexpr MatrixMode kModeGraph = 13;
inline constexpr MatrixMode kModeFixedMutuals = 15;
inline constexpr MatrixMode kModeMolloyReed = 100;

// What <project>.in yields. After a fatal problem f and g are 0.
struct ProjectInput {
  int f = 0;                     // rows (vertices of a graph), at most 200
  int g = 0;                     // columns; equal to f for graphs
  TotalsVector row_totals{};     // index 1 to f
  TotalsVector column_totals{};  // index 1 to g
  StructuralZeros structural_zeros{};
  MatrixMode matrix_mode = 0;
  bool write_all = false;        // write every simulated matrix to the listing
  bool prn_open = false;         // the listing file has been opened
  std::string prn_file_name;     // <project>.prn
  bool fix_mutuals = false;      // the number of mutual dyads is prescribed
  std::int32_t mutuals = 0;      // M, the prescribed number of mutual dyads
  bool connectivity = false;     // connected graphs asked for (graphs only)
  std::uint8_t version = 1;      // version of evaluated statistics
  std::int32_t simulations = 0;  // N, after the corrections of the reading
  int numl = 0;                  // linear combinations (graphs only), 0 to 18
  WeightTable weight_table{};
  // Whether the data file held an adjacency matrix, and that matrix.
  bool adjacency_data = false;
  BinaryMatrix observed{};
};

// Reads <project_name>.in and the files it names from the current directory,
// checks everything that makes the simulation impossible and echoes it all
// to `log`. A fatal problem sets run.stop_message and leaves f = g = 0. When
// every matrix is to be listed, opens `listing` (<project>.prn) and writes its
// header. With adjacency data the observed statistics are written to the log.
//
// Projects with more than 200 rows or columns are refused before any of their
// data is read, with the stop message "Number of rows f greater than maximum
// fmax." or "Number of columns g greater than maximum gmax.".
//
// Returns an input/output error (a token that is not a number, a file that
// cannot be read or written) naming the file and line; the log then holds
// what was written before it.
Status ReadProjectInput(TextWriter& log, const std::string& project_name, Env& env, RunStatus& run,
                        ProjectInput& input, TextWriter& listing);

// Drops every character that is not "+", "-", "." or a decimal digit and
// converts what is left as a decimal real. True and the value, or false and
// 0 when nothing is left or the rest is no number ("c=2.5" gives 2.5, "2e3"
// gives 23). Only the first 255 characters are looked at.
bool ParseReal(std::string_view text, double& value);

// Opens <project>.prn (appending after an empty line when it exists) and
// writes its header lines from the input's totals, mode and pattern. Sets
// input.prn_open and input.prn_file_name.
Status WriteListingHeader(const std::string& project_name, Env& env, ProjectInput& input,
                          TextWriter& listing);

}  // namespace kivo::sim

#endif  // KIVO_SIM_KIVOSIMLIB_H_
