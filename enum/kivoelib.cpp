#include "enum/kivoelib.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "runfiles/bar_chart.h"
#include "runfiles/field_reader.h"
#include "runfiles/format.h"
#include "runfiles/kivolib.h"

namespace kivo::enumeration {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

std::string Str(long long value) { return std::to_string(value); }

bool IsGraph(MatrixKind kind) {
  return kind == MatrixKind::kDirected || kind == MatrixKind::kUndirected;
}

// A line of numbers, each right-aligned in 3 characters and followed by a blank.
std::string NumberLine(const EnumTotals& values, int count) {
  std::string line;
  for (int k = 1; k <= count; ++k) line += Int(values[At(k)], 3) + " ";
  return line;
}

void WritePattern(TextWriter& file, const EnumMatrix& zeros, int n, int m) {
  for (int r = 1; r <= n; ++r) {
    std::string line;
    for (int c = 1; c <= m; ++c) line += zeros[At(r)][At(c)] == 1 ? '1' : '0';
    file.WriteLine(line);
  }
}

// Totals as I 3 without separators, a line end after every 20th and at the end.
void WriteListingTotals(TextWriter& file, std::string_view caption, const EnumTotals& totals,
                        int count) {
  file.Write(caption);
  for (int k = 1; k <= count; ++k) {
    file.Write(Int(totals[At(k)], 3));
    if (k % 20 == 0) file.WriteLine();
  }
  file.WriteLine();
}

// One record of the listing, built without allocating.
class RecordBuffer {
 public:
  // Text beyond the capacity is dropped; no record of the tree comes near it.
  void Put(char c) {
    if (size_ < text_.size()) text_[size_++] = c;
  }
  void Put(std::string_view text) {
    size_ += text.copy(text_.data() + size_, text_.size() - size_);
  }
  void PutInteger(std::int64_t value) {
    const std::to_chars_result end =
        std::to_chars(text_.data() + size_, text_.data() + text_.size(), value);
    size_ = static_cast<std::size_t>(end.ptr - text_.data());
  }
  // A value as R 6.2. When its hundredfold lies clearly away from a rounding
  // half the digits are made here; otherwise (and for negative or large
  // values) Real decides, which rounds halves on the decimal digits.
  void PutValue(double value) {
    if (value >= 0 && !std::signbit(value) && value < 1e6) {
      const double scaled = value * 100;
      const double whole = std::floor(scaled);
      const double fraction = scaled - whole;
      if (std::fabs(fraction - 0.5) > 1e-6) {
        const auto cents = static_cast<std::int64_t>(whole) + (fraction > 0.5 ? 1 : 0);
        char digits[24];
        const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, cents / 100);
        auto length = static_cast<std::size_t>(end.ptr - digits);
        digits[length++] = '.';
        digits[length++] = static_cast<char>('0' + cents % 100 / 10);
        digits[length++] = static_cast<char>('0' + cents % 10);
        for (std::size_t pad = length; pad < 6; ++pad) Put(' ');
        Put(std::string_view(digits, length));
        return;
      }
    }
    Put(Real(value, 6, 2));
  }
  std::string_view text() const { return std::string_view(text_.data(), size_); }

 private:
  // The count line, 15 rows of 15 cells and 15 values of at most 40
  // characters each fit with room to spare.
  std::array<char, 1024> text_{};
  std::size_t size_ = 0;
};

// Everything ReadEnumerationInput keeps only while it reads.
struct Reading {
  FieldReader in;
  FieldReader data;
  FieldReader zeros;
};

// The structural zeros of a general pattern (field 10 and its file). Sets
// `refused` when the file is missing; field 10 may instead hold the version,
// which then goes to `version_value`.
Status ReadStructuralZeros(TextWriter& log, Env& env, Reading& reading, EnumerationInput& input,
                           bool& version_given, std::int32_t& version_value, bool& refused) {
  std::string line;
  Status s = reading.in.ReadTextField(line);
  if (!s.ok()) return s;
  std::int32_t number = 0;
  if (ConvertInteger(line, number) && number != -99) {
    version_given = true;
    version_value = number;
    input.structural_zeros = EnumMatrix{};
    log.WriteLine("No file name given for structural zeros.");
    log.WriteLine("Consequently, no structural zeros are assumed.");
  } else {
    log.WriteLine("Structural zeros read from file " + line + ".");
    if (!env.FileExists(line)) {
      log.WriteLine("Error: data file " + line + " for structural zeros is not found.");
      refused = true;
      return Status::Ok();
    }
    s = reading.zeros.Open(line);
    if (!s.ok()) return s;
    int missing_row = 0;
    int missing_column = 0;
    for (int r = 1; r <= input.n; ++r) {
      for (int c = 1; c <= input.m; ++c) {
        if (missing_row == 0 && reading.zeros.AtEnd()) {
          missing_row = r;
          missing_column = c;
        }
        std::int32_t value = 0;
        s = reading.zeros.ReadInteger(value);
        if (!s.ok()) return s;
        if (value >= 1) {
          input.structural_zeros[At(r)][At(c)] = 1;
          ++input.row_zero_counts[At(r)];
          ++input.column_zero_counts[At(c)];
        }
      }
      reading.zeros.SkipLine();
    }
    if (!reading.zeros.status().ok()) return reading.zeros.status();
    reading.zeros.Close();
    if (missing_row != 0) {
      log.WriteLine("Unexpected end of file " + line + " when trying to read");
      log.WriteLine("position " + Str(missing_column) + " of line " + Str(missing_row) + ".");
    }
  }
  log.WriteLine("Structural zeros in following pattern : ");
  log.WriteLine();
  WritePattern(log, input.structural_zeros, input.n, input.m);
  log.WriteLine();
  return Status::Ok();
}

// Reads the totals from a margins file or from an adjacency matrix. Sets
// `refused` when an adjacency file has too few rows.
Status ReadData(TextWriter& log, Reading& reading, const std::string& name, bool adjacency,
                EnumerationInput& input, bool& refused) {
  Status s = reading.data.Open(name);
  if (!s.ok()) return s;
  FieldReader& data = reading.data;
  const int n = input.n;
  if (!adjacency) {
    log.WriteLine("Marginal totals read from file " + name + ".");
    for (int r = 1; r <= n; ++r) {
      s = data.ReadInteger(input.row_totals[At(r)]);
      if (!s.ok()) return s;
    }
    data.SkipLine();
    if (input.kind == MatrixKind::kUndirected || data.AtEnd()) {
      input.m = n;
      input.column_totals = input.row_totals;
    } else {
      for (int c = 1; c <= input.m; ++c) {
        s = data.ReadInteger(input.column_totals[At(c)]);
        if (!s.ok()) return s;
      }
    }
    input.margins_equal = input.n == input.m;
    for (int k = 1; input.margins_equal && k <= n; ++k) {
      input.margins_equal = input.column_totals[At(k)] == input.row_totals[At(k)];
    }
  } else {
    log.WriteLine("Marginal totals calculated from adjacency matrix in file " + name + ".");
    input.adjacency = true;
    input.row_totals = EnumTotals{};
    input.column_totals = EnumTotals{};
    const bool graph = IsGraph(input.kind);
    for (int r = 1; r <= n; ++r) {
      for (int c = 1; c <= input.m; ++c) {
        std::int32_t value = 0;
        s = data.ReadInteger(value);
        if (!s.ok()) return s;
        if (graph && c == r) value = 0;
        if (value > 0) {
          input.observed[At(r)][At(c)] = 1;
          ++input.row_totals[At(r)];
          ++input.column_totals[At(c)];
        }
      }
      data.SkipLine();
      if (r < n && data.AtEnd()) {
        log.WriteLine("Error: end of file " + name + " after reading line " + Str(r));
        log.WriteLine("whereas " + Str(n) + " lines are expected.");
        refused = true;
        return data.status();
      }
    }
    if (input.n == input.m) {
      bool symmetric = true;
      for (int r = 1; r <= n; ++r) {
        for (int c = 1; c <= n; ++c) {
          symmetric = symmetric && input.observed[At(r)][At(c)] == input.observed[At(c)][At(r)];
        }
      }
      log.WriteLine(std::string("Data matrix is") + (symmetric ? "" : " not") + " symmetric.");
      input.margins_equal = true;
      for (int k = 1; k <= n; ++k) {
        input.margins_equal =
            input.margins_equal && input.column_totals[At(k)] == input.row_totals[At(k)];
      }
    }
  }
  s = data.status();
  data.Close();
  return s;
}

void WriteRequestedMode(TextWriter& log, const EnumerationInput& input) {
  log.WriteLine("Requested mode:");
  switch (input.kind) {
    case MatrixKind::kNoStructuralZeros:
      log.WriteLine("no structural zeros.");
      break;
    case MatrixKind::kDirected:
      log.WriteLine("square matrix with structurally zero diagonal (directed graph).");
      if (input.fix_mutuals) log.WriteLine("Number of mutual dyads " + Str(input.mutuals) + ".");
      break;
    case MatrixKind::kUndirected:
      log.WriteLine("symmetric square matrix with structurally zero diagonal (undirected graph).");
      break;
    case MatrixKind::kStructuralPattern:
      log.WriteLine("general pattern of structural zeros.");
      break;
    case MatrixKind::kNone:
      break;
  }
  if (input.connected_only) {
    const bool directed = input.kind == MatrixKind::kDirected;
    log.WriteLine(std::string("Enumeration is restricted to") + (directed ? " weakly" : "") +
                  " connected" + (directed ? " digraphs." : " graphs."));
  }
}

// The checks of totals that make every matrix impossible; all are made.
// Returns whether all passed.
bool CheckTotals(TextWriter& log, const EnumerationInput& input) {
  bool passed = true;
  std::int64_t row_sum = 0;
  std::int64_t column_sum = 0;
  // A negative total is as impossible as one that does not fit.
  for (int r = 1; r <= input.n; ++r) {
    const std::int64_t total = input.row_totals[At(r)];
    row_sum += total;
    if (total < 0 || total + input.row_zero_counts[At(r)] > input.m) {
      log.WriteLine("row total " + Str(r) + " = " + Str(total) + "." + " This is impossible !");
      passed = false;
    }
  }
  for (int c = 1; c <= input.m; ++c) {
    const std::int64_t total = input.column_totals[At(c)];
    column_sum += total;
    if (total < 0 || total + input.column_zero_counts[At(c)] > input.n) {
      log.WriteLine("column total " + Str(c) + " = " + Str(total) + "." + " This is impossible !");
      passed = false;
    }
  }
  if (row_sum != column_sum) {
    log.WriteLine("The row and column totals do not have the same sum.");
    log.WriteLine("This is impossible.");
    passed = false;
  }
  if (input.kind == MatrixKind::kUndirected && row_sum % 2 != 0) {
    log.WriteLine("The degree sum is odd, which is impossible for an undirected graph.");
    passed = false;
  }
  if (input.fix_mutuals && (input.mutuals < 0 || row_sum < 2 * std::int64_t{input.mutuals})) {
    log.WriteLine("The precribed number of mutual dyads is " + Str(input.mutuals) + ".");
    log.WriteLine("This is impossible.");
    passed = false;
  }
  return passed;
}

void WriteObservedValues(TextWriter& log, const EnumerationInput& input) {
  IntValues int_values{};
  RealValues real_values{};
  EvaluateObserved(input.observed, input.statistics, int_values, real_values);
  WriteSectionHeader(3, log, "Function values observed for this data matrix");
  for (int k = 1; k <= input.statistics.numf; ++k) {
    std::string label = StatisticLabel(input.statistics, k, true);
    if (label.size() < 60) label.resize(60, ' ');
    log.WriteLine(label + Int(int_values[At(k)], 10));
  }
  log.WriteLine();
}

void Refuse(EnumerationInput& input) {
  input.n = 0;
  input.m = 0;
}

}  // namespace

void InitEnumeration(EnumRunStatus& status, EnumerationInput& input, EnumerationTallies& tallies,
                     MatrixListing& listing) {
  status = EnumRunStatus{};
  input = EnumerationInput{};
  tallies = EnumerationTallies{};
  if (listing.file.is_open()) listing.file.Close();
}

Status ReadEnumerationInput(TextWriter& log, const std::string& project_name, Env& env,
                            EnumerationInput& input) {
  input = EnumerationInput{};
  WriteSectionHeader(2, log, "Reading input files.");
  const std::string in_name = project_name + ".in";
  if (!env.FileExists(in_name)) {
    log.WriteLine("Error: file " + in_name + " is not found.");
    return log.status();
  }
  Reading reading;
  Status s = reading.in.Open(in_name);
  if (!s.ok()) return s;
  log.WriteLine("input file " + in_name);

  std::int32_t rows = 0;
  std::int32_t columns = 0;
  if (!(s = reading.in.ReadIntegerField(rows)).ok()) return s;
  if (!(s = reading.in.ReadIntegerField(columns)).ok()) return s;
  log.WriteLine(Str(rows) + " rows, " + Str(columns) + " columns.");
  bool refused = false;
  if (rows <= 2 || columns <= 2) {
    log.WriteLine("This is not meaningful.");
    refused = true;
  } else if (rows > kMaxEnumSize || columns > kMaxEnumSize) {
    // The tree's stores hold 15 rows and 15 columns.
    log.WriteLine("More than " + Str(kMaxEnumSize) +
                  " rows or columns cannot be enumerated by this program.");
    refused = true;
  }
  if (!refused) {
    input.n = rows;
    input.m = columns;
  }

  std::int32_t type = 0;
  if (!(s = reading.in.ReadIntegerField(type)).ok()) return s;
  if (type >= 1 && type <= 4) {
    input.kind = static_cast<MatrixKind>(type);
  } else {
    log.WriteLine("Error: code " + Str(type) + " not allowed as type of matrix.");
    refused = true;
  }
  if (IsGraph(input.kind)) input.m = input.n;

  std::int32_t write_all = 0;
  std::int32_t data_kind = 0;
  std::string data_name;
  if (!(s = reading.in.ReadIntegerField(write_all)).ok()) return s;
  if (!(s = reading.in.ReadIntegerField(data_kind)).ok()) return s;
  if (!(s = reading.in.ReadTextField(data_name)).ok()) return s;
  input.write_all = write_all > 0;
  if (!env.FileExists(data_name)) {
    log.WriteLine("Error: data file " + data_name + " is not found.");
    refused = true;
  }
  if (refused) {
    Refuse(input);
    return log.status();
  }

  if (!(s = ReadData(log, reading, data_name, data_kind > 0, input, refused)).ok()) return s;
  if (refused) {
    Refuse(input);
    return log.status();
  }

  std::int32_t value = 0;
  if (!(s = reading.in.ReadIntegerField(value)).ok()) return s;
  input.connected_only = value > 0 && IsGraph(input.kind);
  input.fix_mutuals = false;
  if (input.kind == MatrixKind::kDirected) {
    if (!(s = reading.in.ReadIntegerField(value)).ok()) return s;
    input.fix_mutuals = value > 0;
    if (input.fix_mutuals && !(s = reading.in.ReadIntegerField(input.mutuals)).ok()) return s;
  }
  WriteRequestedMode(log, input);

  input.row_zero_counts = EnumTotals{};
  input.column_zero_counts = EnumTotals{};
  if (IsGraph(input.kind)) {
    input.m = input.n;
    for (int k = 1; k <= input.n; ++k) {
      input.structural_zeros[At(k)][At(k)] = 1;
      input.row_zero_counts[At(k)] = 1;
      input.column_zero_counts[At(k)] = 1;
    }
  }

  bool version_given = false;
  std::int32_t version_value = 0;
  if (input.kind == MatrixKind::kStructuralPattern) {
    s = ReadStructuralZeros(log, env, reading, input, version_given, version_value, refused);
    if (!s.ok()) return s;
    if (refused) {
      Refuse(input);
      return log.status();
    }
  }

  input.katz_powell = false;
  if (!version_given) {
    if (reading.in.AtEnd()) log.WriteLine("Warning: unexpected end of input file.");
    if (!(s = reading.in.ReadIntegerField(version_value)).ok()) return s;
  }
  const bool in_range = version_value >= 1 && version_value <= VersionCount(input.n, input.m);
  input.version = in_range ? version_value : 1;
  if (version_value == 9) {
    input.katz_powell = true;
  } else if (input.version != version_value) {
    log.WriteLine("The number " + Str(version_value) +
                  " is not allowed as the version of evaluated statistics.");
  }
  log.WriteLine("Selected version of evaluated statistics is " + Str(input.version) + ".");
  if (!reading.in.status().ok()) return reading.in.status();
  reading.in.Close();

  if (input.kind == MatrixKind::kUndirected && !input.margins_equal) {
    input.kind = MatrixKind::kDirected;
    input.fix_mutuals = false;
    log.WriteLine("Out- and in-degrees are different.");
    log.WriteLine("Mode changed to digraph instead of graph.");
  }

  EnumTotals vertices{};
  const int largest = std::max(input.n, input.m);
  for (int k = 1; k <= largest; ++k) vertices[At(k)] = k;
  log.WriteLine();
  log.WriteLine("vertices");
  log.WriteLine(NumberLine(vertices, largest));
  log.WriteLine("row totals");
  log.WriteLine(NumberLine(input.row_totals, input.n));
  log.WriteLine("column totals");
  log.WriteLine(NumberLine(input.column_totals, input.m));

  if (!CheckTotals(log, input)) {
    Refuse(input);
    return log.status();
  }

  input.statistics = MakeStatisticsSetup(input.n, input.m, input.kind == MatrixKind::kUndirected,
                                         input.connected_only, input.version);
  if (input.adjacency) WriteObservedValues(log, input);
  return log.status();
}

Status OpenMatrixListing(MatrixListing& listing, const std::string& project_name) {
  listing.file_name = project_name + ".prn";
  return listing.file.Append(listing.file_name);
}

void WriteListingHeader(TextWriter& listing, const EnumerationInput& input) {
  listing.WriteLine("This file contains all found 0-1 matrices ");
  listing.WriteLine("with the desired row and column totals.");
  listing.WriteLine("Mutual dyads are indicated by M.");
  listing.WriteLine();
  WriteListingTotals(listing, "Row totals :    ", input.row_totals, input.n);
  WriteListingTotals(listing, "Column totals : ", input.column_totals, input.m);
  if (input.kind == MatrixKind::kUndirected) listing.WriteLine("Undirected graph.");
  if (input.kind == MatrixKind::kDirected) listing.WriteLine("Directed graph.");
  if (input.kind == MatrixKind::kNoStructuralZeros) listing.WriteLine("No structural zeros.");
  if (input.fix_mutuals) listing.WriteLine("Number of mutuals fixed at " + Str(input.mutuals));
  if (input.kind == MatrixKind::kStructuralPattern) {
    listing.WriteLine("Structural zeros in following pattern : ");
    listing.WriteLine();
    WritePattern(listing, input.structural_zeros, input.n, input.m);
    listing.WriteLine();
  }
  listing.WriteLine("Following each matrix are the following function values:");
  for (int k = 1; k <= input.statistics.numf; ++k) {
    listing.WriteLine(Int(k, 2) + ". " + StatisticLabel(input.statistics, k, false));
  }
  listing.WriteLine();
}

void TallyMatrix(EnumerationTallies& tallies, const StatisticsSetup& setup,
                 const EnumMatrix& current, std::int32_t mutual_count, const PrimaryValues& primary,
                 RealValues& real_values) {
  ++tallies.count;
  IntValues int_values{};
  EvaluateEnumerated(current, mutual_count, primary, setup, int_values, real_values);
  for (int k = 1; k <= setup.numf; ++k) {
    StatisticTally& tally = tallies.statistics[At(k)];
    const std::int32_t v = int_values[At(k)];
    tally.sum_of_squares += static_cast<double>(v) * v;
    tally.sum += v;
    if (v >= 0 && v <= 100) {
      tally.outcome_count[At(v)] += 1;
      tally.largest = std::max(tally.largest, v);
      tally.smallest = std::min(tally.smallest, v);
    } else if (v > 100) {
      tally.greater = true;
    } else {
      tally.less = true;
    }
  }
}

void WriteMatrixListing(TextWriter& log, MatrixListing& listing, EnumerationInput& input,
                        std::int32_t count, const EnumMatrix& current,
                        const RealValues& real_values, Env& env) {
  if (count % 1000 == 0) {
    const DriveSpace space = env.CurrentDriveSpace();
    // A drive that reports no size cannot be judged; the listing goes on.
    if (space.total_bytes > 0) {
      const double free_share =
          static_cast<double>(space.free_bytes) / static_cast<double>(space.total_bytes);
      if (free_share < 0.05) {
        const std::string& name = listing.file_name;
        log.WriteLine("You are writing all matrices to disk on the file " + name + ", ");
        log.WriteLine("but of the entire disk space only " + Real(free_share, 4, 2) + " is free");
        log.WriteLine("after writing " + Str(count) + " matrices.");
        log.WriteLine("In order to avoid filling up your entire disk space, writing file " + name +
                      " is terminated.");
        if (count > 1000) log.WriteLine("You are advised to delete this file, it may be huge.");
        input.write_all = false;
        listing.file.Close();
        return;
      }
    }
  }
  // The record is put together in one buffer and written at once: listing
  // every matrix can mean millions of records.
  RecordBuffer record;
  const bool directed = input.kind == MatrixKind::kDirected;
  record.Put('\n');
  record.PutInteger(count);
  record.Put(".\n");
  for (int r = 1; r <= input.n; ++r) {
    for (int c = 1; c <= input.m; ++c) {
      char cell = '0';
      if (directed && c == r) {
        cell = 'X';
      } else if (current[At(r)][At(c)] == 1) {
        cell = directed && current[At(c)][At(r)] == 1 ? 'M' : '1';
      }
      record.Put(cell);
    }
    record.Put('\n');
  }
  record.Put("* ");
  for (int k = 1; k <= input.statistics.numf; ++k) {
    record.PutValue(real_values[At(k)]);
    record.Put(' ');
  }
  record.Put('\n');
  listing.file.Write(record.text());
}

void WriteEnumerationReport(TextWriter& log, const EnumerationInput& input,
                            const EnumerationTallies& tallies, const MatrixListing& listing) {
  WriteSectionHeader(2, log, "Enumeration results.");
  if (input.connected_only) {
    log.WriteLine("Number of disconnected matrices constructed is " + Str(tallies.disconnected) +
                  ".");
  }
  log.WriteLine("Total number of matrices found  " + Int(tallies.count, 8));
  if (tallies.count <= 0) return;
  const double count = tallies.count;
  for (int k = 1; k <= input.statistics.numf; ++k) {
    const StatisticTally& tally = tallies.statistics[At(k)];
    const double mean = tally.sum / count;
    const double variance = tally.sum_of_squares / count - mean * mean;
    WriteSectionHeader(3, log, StatisticLabel(input.statistics, k, true));
    log.WriteLine("Mean               " + Real(mean, 8, 4));
    log.WriteLine("Variance           " + Real(variance, 8, 4));
    log.WriteLine("Standard deviation " + Real(SafeSqrt(variance), 8, 4));
    if (tally.less) log.WriteLine("Some outcomes were less than 0");
    if (tally.greater) log.WriteLine("Some outcomes were greater than 100");
    if (tally.largest >= tally.smallest) {
      log.WriteLine();
      log.WriteLine("Outcome        Number of matrices");
      for (int v = tally.smallest; v <= tally.largest; ++v) {
        const double matrices = tally.outcome_count[At(v)];
        if (matrices > 0.5) log.WriteLine(Int(v, 7) + "      " + Real(matrices, 12, 0));
      }
      log.WriteLine();
    }
    if (tally.smallest < tally.largest) {
      const int spread = tally.largest - tally.smallest;
      const int per_bar = spread / 70 + 1;
      int bars = (spread + 1) / per_bar;
      if (per_bar * bars < spread + 1) ++bars;
      bars = std::min(bars, 70);
      std::array<double, 70> heights{};
      for (int b = 1; b <= bars; ++b) {
        const int first = tally.smallest + (b - 1) * per_bar;
        for (int v = first; v < first + per_bar && v <= 100; ++v) {
          heights[At(b - 1)] += tally.outcome_count[At(v)] / count;
        }
      }
      DrawBarChart(log, per_bar, bars, tally.smallest,
                   std::span<const double>(heights.data(), At(bars)));
    }
  }
  log.WriteLine();
  if (input.write_all) log.WriteLine("All matrices written to file " + listing.file_name + ".");
}

}  // namespace kivo::enumeration
