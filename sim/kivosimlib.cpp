#include "sim/kivosimlib.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "core/triads.h"
#include "runfiles/field_reader.h"
#include "runfiles/format.h"
#include "runfiles/kivolib.h"
#include "sim/functsim.h"

namespace kivo::sim {
namespace {

// The type code of the input file without the Molloy-Reed addition.
enum class MatrixType { kNone = 0, kRectangular = 1, kDigraph = 2, kGraph = 3, kPattern = 4 };

bool IsGraph(MatrixType t) { return t == MatrixType::kDigraph || t == MatrixType::kGraph; }

std::string Num(long long v) { return std::to_string(v); }

MatrixType TypeOfMode(MatrixMode mode) {
  switch (mode % kModeMolloyReed) {
    case 1:
      return MatrixType::kRectangular;
    case 4:
      return MatrixType::kPattern;
    case 12:
    case 15:
      return MatrixType::kDigraph;
    case 13:
      return MatrixType::kGraph;
    default:
      return MatrixType::kNone;
  }
}

// Totals as read, before the checks have shown that they fit in a byte.
using ReadTotals = std::array<std::int64_t, kMaxRows + 1>;

// One line of numbers, each right-aligned in 3 and followed by a blank.
std::string TotalsLine(const ReadTotals& totals, int count) {
  std::string line;
  for (int i = 1; i <= count; ++i) line += Int(totals[static_cast<std::size_t>(i)], 3) + " ";
  return line;
}

// The state of one reading of a project: the files and what has been taken
// from them so far.
class ProjectReader {
 public:
  ProjectReader(TextWriter& log, const std::string& project_name, Env& env, RunStatus& run,
                ProjectInput& input, TextWriter& listing)
      : log_(log),
        project_name_(project_name),
        env_(env),
        run_(run),
        in_(input),
        listing_(listing) {}

  Status Read();

 private:
  // f and g := 0: no simulation takes place.
  void Refuse() { in_.f = in_.g = 0; }
  void Stop(std::string message) {
    run_.stop_message = message.substr(0, 255);
    Refuse();
  }
  void Log(std::string_view line = {}) { log_.WriteLine(line); }

  Status ReadDimensionsAndType();
  Status ReadMarginalTotals(FieldReader& data);
  Status ReadAdjacencyMatrix(FieldReader& data, bool& complete);
  Status ReadStructuralZeros(bool& version_given, std::int32_t& version_value);
  void LogRequestedMode();
  void LogTotals();
  bool CheckTotals();
  Status ReadSimulationCount();
  Status ReadWeights(bool& complete);
  void WriteObservedStatistics();

  TextWriter& log_;
  const std::string& project_name_;
  Env& env_;
  RunStatus& run_;
  ProjectInput& in_;
  TextWriter& listing_;

  FieldReader input_file_;
  MatrixType type_ = MatrixType::kNone;
  bool molloy_reed_ = false;
  bool margins_equal_ = false;
  ReadTotals row_totals_{};
  ReadTotals column_totals_{};
  std::array<int, kMaxRows + 1> row_zeros_{};
  std::array<int, kMaxColumns + 1> column_zeros_{};
};

Status ProjectReader::ReadDimensionsAndType() {
  std::int32_t f = 0;
  std::int32_t g = 0;
  if (Status s = input_file_.ReadIntegerField(f); !s.ok()) return s;
  if (Status s = input_file_.ReadIntegerField(g); !s.ok()) return s;
  in_.f = f;
  in_.g = g;
  Log(Num(f) + " rows, " + Num(g) + " columns.");
  if (f < 2 || g < 2) {
    Log("This is not meaningful.");
    Stop("Numbers of rows and columns not meaningful.");
  }

  std::int32_t code = 0;
  if (Status s = input_file_.ReadIntegerField(code); !s.ok()) return s;
  std::int32_t t = code;
  if (t > 10) {
    molloy_reed_ = true;
    t -= 10;
  }
  if (t >= 1 && t <= 4) {
    type_ = static_cast<MatrixType>(t);
  } else {
    Log("Error: code " + Num(code) + " not allowed as type of matrix.");
    Stop("Error in .in file.");
  }

  if (IsGraph(type_)) {
    in_.g = in_.f;
    if (in_.f <= 2) {
      Log("Kivo analysis for a (di)graph with " + Num(in_.f) + " vertices is not meaningful.");
      Refuse();
    }
  }

  // The stores hold 200 rows and 200 columns: a larger project is refused
  // here, before any of its data is read, with the sampler's own messages.
  if (in_.f > kMaxRows || in_.g > kMaxColumns) {
    if (in_.f > kMaxRows) {
      Log("Number of rows f greater than maximum fmax.");
      run_.stop_message = "Number of rows f greater than maximum fmax.";
    }
    if (in_.g > kMaxColumns) {
      Log("Number of columns g greater than maximum gmax.");
      run_.stop_message = "Number of columns g greater than maximum gmax.";
    }
    Refuse();
  }
  return Status::Ok();
}

Status ProjectReader::ReadMarginalTotals(FieldReader& data) {
  for (int i = 1; i <= in_.f; ++i) {
    std::int32_t v = 0;
    if (Status s = data.ReadInteger(v); !s.ok()) return s;
    row_totals_[static_cast<std::size_t>(i)] = v;
  }
  data.SkipLine();
  if (type_ == MatrixType::kGraph || data.AtEnd()) {
    in_.g = in_.f;
    column_totals_ = row_totals_;
  } else {
    for (int j = 1; j <= in_.g; ++j) {
      std::int32_t v = 0;
      if (Status s = data.ReadInteger(v); !s.ok()) return s;
      column_totals_[static_cast<std::size_t>(j)] = v;
    }
  }
  margins_equal_ = in_.f == in_.g;
  for (int i = 1; margins_equal_ && i <= in_.f; ++i) {
    margins_equal_ =
        row_totals_[static_cast<std::size_t>(i)] == column_totals_[static_cast<std::size_t>(i)];
  }
  return data.status();
}

Status ProjectReader::ReadAdjacencyMatrix(FieldReader& data, bool& complete) {
  complete = false;
  row_totals_.fill(0);
  column_totals_.fill(0);
  const bool graph = IsGraph(type_);
  for (int i = 1; i <= in_.f; ++i) {
    for (int j = 1; j <= in_.g; ++j) {
      std::int32_t v = 0;
      if (Status s = data.ReadInteger(v); !s.ok()) return s;
      if (graph && i == j) v = 0;
      if (v > 0) {
        SetCell(in_.observed, i, j, 1);
        ++row_totals_[static_cast<std::size_t>(i)];
        ++column_totals_[static_cast<std::size_t>(j)];
      }
    }
    data.SkipLine();
    if (i < in_.f && data.AtEnd()) {
      Log("Error: end of file " + data.name() + "after reading line " + Num(i));
      Log("whereas " + Num(in_.f) + " lines are expected.");
      Stop("Data file has not enough rows.");
      return data.status();
    }
  }
  margins_equal_ = false;
  if (in_.f == in_.g) {
    bool symmetric = true;
    for (int i = 1; symmetric && i <= in_.f; ++i) {
      for (int j = 1; j < i; ++j) {
        if (GetCell(in_.observed, i, j) != GetCell(in_.observed, j, i)) {
          symmetric = false;
          break;
        }
      }
    }
    Log(std::string("Data matrix is") + (symmetric ? "" : " not") + " symmetric.");
    margins_equal_ = true;
    for (int i = 1; margins_equal_ && i <= in_.f; ++i) {
      margins_equal_ =
          row_totals_[static_cast<std::size_t>(i)] == column_totals_[static_cast<std::size_t>(i)];
    }
  }
  complete = true;
  return data.status();
}

void ProjectReader::LogRequestedMode() {
  Log("Requested mode:");
  switch (type_) {
    case MatrixType::kRectangular:
      Log("no structural zeros.");
      break;
    case MatrixType::kDigraph:
      Log("square matrix with structurally zero diagonal (directed graph).");
      if (in_.fix_mutuals) {
        Log("Number of mutual dyads to be fixed at " + Num(in_.mutuals) + ".");
      }
      break;
    case MatrixType::kGraph:
      Log("symmetric square matrix with structurally zero diagonal (undirected graph).");
      break;
    case MatrixType::kPattern:
      Log("general pattern of structural zeros.");
      break;
    case MatrixType::kNone:
      break;
  }
  if (in_.connectivity) {
    const bool directed = type_ == MatrixType::kDigraph;
    Log(std::string("Enumeration is restricted to") + (directed ? " weakly" : "") + " connected" +
        (directed ? " digraphs." : " graphs."));
  }
  if (molloy_reed_) Log("Molloy-Reed algorithm is used.");
}

// Field 10 is either the name of the pattern file or, when it reads as an
// integer other than -99, already the version of evaluated statistics.
Status ProjectReader::ReadStructuralZeros(bool& version_given, std::int32_t& version_value) {
  std::string line;
  if (Status s = input_file_.ReadTextField(line); !s.ok()) return s;
  std::int32_t number = 0;
  if (ConvertInteger(line, number) && number != -99) {
    version_given = true;
    version_value = number;
    Log("No file name given for structural zeros.");
    Log("Consequently, no structural zeros are assumed.");
  } else {
    Log("Structural zeros read from file " + line + ".");
    if (!env_.FileExists(line)) {
      Log("Error: data file " + line + " is not found.");
      Stop("File " + line + " is not found.");
      return Status::Ok();
    }
    FieldReader pattern;
    if (Status s = pattern.Open(line); !s.ok()) return s;
    int missing_line = 0;
    int missing_position = 0;
    for (int i = 1; i <= in_.f; ++i) {
      for (int j = 1; j <= in_.g; ++j) {
        if (missing_line == 0 && pattern.AtEnd()) {
          missing_line = i;
          missing_position = j;
        }
        std::int32_t v = 0;
        if (Status s = pattern.ReadInteger(v); !s.ok()) return s;
        if (v >= 1) {
          SetCell(in_.structural_zeros, i, j, 1);
          ++row_zeros_[static_cast<std::size_t>(i)];
          ++column_zeros_[static_cast<std::size_t>(j)];
        }
      }
      pattern.SkipLine();
    }
    if (Status s = pattern.status(); !s.ok()) return s;
    pattern.Close();
    if (missing_line != 0) {
      Log("Unexpected end of file " + line + " when trying to read");
      Log("position " + Num(missing_position) + " of line " + Num(missing_line) + ".");
    }
  }
  Log("Structural zeros in following pattern : ");
  Log();
  for (int i = 1; i <= in_.f; ++i) {
    std::string row;
    for (int j = 1; j <= in_.g; ++j) row += GetCell(in_.structural_zeros, i, j) ? '1' : '0';
    Log(row);
  }
  Log();
  return Status::Ok();
}

void ProjectReader::LogTotals() {
  Log();
  Log("vertices");
  std::string numbers;
  for (int k = 1; k <= std::max(in_.f, in_.g); ++k) numbers += Int(k, 3) + " ";
  Log(numbers);
  Log("row totals");
  Log(TotalsLine(row_totals_, in_.f));
  Log("column totals");
  Log(TotalsLine(column_totals_, in_.g));
}

// Every check is made; a later failure replaces the stop message of an
// earlier one. Returns whether all passed.
bool ProjectReader::CheckTotals() {
  bool ok = true;
  // A negative total is as impossible as one that does not fit; it must not
  // reach the byte-sized stores of the sampler.
  for (int i = 1; i <= in_.f; ++i) {
    const std::int64_t total = row_totals_[static_cast<std::size_t>(i)];
    if (total < 0 || total + row_zeros_[static_cast<std::size_t>(i)] > in_.g) {
      Log("row total " + Num(i) + " = " + Num(total) + ". This is impossible !");
      run_.stop_message = "Row total has impossible value.";
      ok = false;
    }
  }
  for (int j = 1; j <= in_.g; ++j) {
    const std::int64_t total = column_totals_[static_cast<std::size_t>(j)];
    if (total < 0 || total + column_zeros_[static_cast<std::size_t>(j)] > in_.f) {
      Log("column total " + Num(j) + " = " + Num(total) + ". This is impossible !");
      run_.stop_message = "Column total has impossible value.";
      ok = false;
    }
  }
  std::int64_t row_sum = 0;
  std::int64_t column_sum = 0;
  for (int i = 1; i <= in_.f; ++i) row_sum += row_totals_[static_cast<std::size_t>(i)];
  for (int j = 1; j <= in_.g; ++j) column_sum += column_totals_[static_cast<std::size_t>(j)];
  if (row_sum != column_sum) {
    Log("The row and column totals do not have the same sum.");
    Log("This is impossible.");
    run_.stop_message = "Row and column totals incompatible.";
    ok = false;
  }
  if (type_ == MatrixType::kGraph && row_sum % 2 != 0) {
    Log("The degree sum is odd, which is impossible for an undirected graph.");
    run_.stop_message = "No graph with these degrees.";
    ok = false;
  }
  if (in_.fix_mutuals && (in_.mutuals < 0 || row_sum < 2 * std::int64_t{in_.mutuals})) {
    Log("The precribed number of mutual dyads is " + Num(in_.mutuals) + ".");
    Log("This is impossible.");
    run_.stop_message = "Prescribed number of mutual dyads impossible.";
    ok = false;
  }
  return ok;
}

Status ProjectReader::ReadSimulationCount() {
  std::int32_t v = 0;
  if (Status s = input_file_.ReadIntegerField(v); !s.ok()) return s;
  in_.simulations = v >= 0 ? v : 100;
  Log(Num(v) + " simulations requested.");
  if (in_.simulations == 1) in_.simulations = 2;
  if (in_.simulations != v) Log(" This is changed to " + Num(in_.simulations) + ".");
  return Status::Ok();
}

Status ProjectReader::ReadWeights(bool& complete) {
  complete = false;
  std::int32_t count = 0;
  if (Status s = input_file_.ReadIntegerField(count); !s.ok()) return s;
  in_.numl = count >= 0 && count <= kMaxCombinations ? count : 0;
  std::int32_t kind = 0;
  if (Status s = input_file_.ReadIntegerField(kind); !s.ok()) return s;
  if (kind != 1 && kind != 2) kind = 1;
  if (in_.numl == 0) kind = 1;

  if (kind == 1) {
    // Combination k counts the triads of type k; rows 17 and 18 weigh
    // nothing.
    for (int k = 1; k <= in_.numl; ++k) {
      WeightRow& row = in_.weight_table[static_cast<std::size_t>(k)];
      row.fill(0.0);
      row[0] = 0.1;
      if (k <= kTriadTypeCount) row[static_cast<std::size_t>(k)] = 1.0;
    }
    complete = true;
    return Status::Ok();
  }

  std::string name;
  if (Status s = input_file_.ReadTextField(name); !s.ok()) return s;
  Log("Weights for linear combinations of triad counts read from file " + name + ".");
  if (!env_.FileExists(name)) {
    Log("Error: data file " + name + " is not found.");
    Stop("File " + name + " not found.");
    return Status::Ok();
  }
  FieldReader weights;
  if (Status s = weights.Open(name); !s.ok()) return s;
  Log("Weights read are the following : ");
  std::array<bool, kMaxCombinations + 1> has_critical{};
  for (int k = 1; k <= in_.numl; ++k) {
    WeightRow& row = in_.weight_table[static_cast<std::size_t>(k)];
    std::string line;
    for (int t = 1; t <= kTriadTypeCount; ++t) {
      double w = 0.0;
      if (Status s = weights.ReadReal(w); !s.ok()) return s;
      row[static_cast<std::size_t>(t)] = w;
      line += ' ';
      line += Real(w, 5, 1);
    }
    const std::string rest = weights.RestOfLine();
    double critical = 0.0;
    if (!rest.empty() && ParseReal(rest, critical)) {
      row[0] = critical;
      has_critical[static_cast<std::size_t>(k)] = true;
    } else {
      row[0] = 1.0;
    }
    Log(line);
  }
  if (Status s = weights.status(); !s.ok()) return s;
  weights.Close();
  if (std::find(has_critical.begin(), has_critical.end(), true) != has_critical.end()) {
    Log("with critical values :");
    for (int k = 1; k <= in_.numl; ++k) {
      if (has_critical[static_cast<std::size_t>(k)]) {
        Log(Int(k, 6) + " " + Real(in_.weight_table[static_cast<std::size_t>(k)][0], 7, 4));
      }
    }
    Log();
  }
  complete = true;
  return Status::Ok();
}

void ProjectReader::WriteObservedStatistics() {
  const StatisticsSetup setup = MakeStatisticsSetup(in_);
  StatisticValues values;
  EvaluateStatistics(in_.observed, setup, values);
  WriteSectionHeader(3, log_, "Function values observed for this data matrix");
  const int count = StatisticCount(in_.version, in_.g);
  for (int k = 1; k <= count; ++k) {
    std::string label = StatisticLabel(setup, k, 0, true);
    if (label.size() < 60) label.resize(60, ' ');
    Log(label + Int(values.int_values[static_cast<std::size_t>(k)], 10));
  }
  Log();
  if (in_.numl < 1) return;
  Log("Observed triad census ");
  const TriadCounts census = TriadCensus(in_.observed, in_.f);
  for (int t = 1; t <= kTriadTypeCount; ++t) {
    const auto ut = static_cast<std::size_t>(t);
    Log(Int(t, 2) + ". " + std::string(TriadLabel(TriadTypeOrder[ut])) + " " + Int(census[ut], 7));
  }
  Log();
  Log("Observed linear combinations of triad counts");
  for (int k = 1; k <= in_.numl; ++k) {
    const double value = values.combination_values[static_cast<std::size_t>(k)];
    Log(Int(k, 4) + ". " + Real(value, 10, 4));
    in_.weight_table[static_cast<std::size_t>(k)][0] = value;
  }
  Log();
}

Status ProjectReader::Read() {
  in_ = ProjectInput();
  WriteSectionHeader(2, log_, "Reading input files.");
  const std::string input_name = project_name_ + ".in";
  if (!env_.FileExists(input_name)) {
    Stop("File " + input_name + " is not found.");
    return log_.status();
  }
  if (Status s = input_file_.Open(input_name); !s.ok()) return s;
  Log("input file " + input_name);

  if (Status s = ReadDimensionsAndType(); !s.ok()) return s;

  std::int32_t write_all = 0;
  std::int32_t data_kind = 0;
  std::string data_name;
  if (Status s = input_file_.ReadIntegerField(write_all); !s.ok()) return s;
  if (Status s = input_file_.ReadIntegerField(data_kind); !s.ok()) return s;
  if (Status s = input_file_.ReadTextField(data_name); !s.ok()) return s;
  in_.write_all = write_all > 0;
  if (!env_.FileExists(data_name)) {
    Stop("Data file " + data_name + " is not found.");
  }
  if (in_.f == 0 || in_.g == 0) return log_.status();

  FieldReader data;
  if (Status s = data.Open(data_name); !s.ok()) return s;
  if (data_kind <= 0) {
    Log("Marginal totals read from file " + data_name + ".");
    if (Status s = ReadMarginalTotals(data); !s.ok()) return s;
  } else {
    in_.adjacency_data = true;
    Log("Marginal totals calculated from adjacency matrix in file " + data_name + ".");
    bool complete = false;
    if (Status s = ReadAdjacencyMatrix(data, complete); !s.ok()) return s;
    if (!complete) return log_.status();
  }
  data.Close();
  if (input_file_.AtEnd()) Log("Warning: unexpected end of input file.");

  std::int32_t value = 0;
  if (Status s = input_file_.ReadIntegerField(value); !s.ok()) return s;
  in_.connectivity = value > 0 && IsGraph(type_);
  if (type_ == MatrixType::kDigraph) {
    if (Status s = input_file_.ReadIntegerField(value); !s.ok()) return s;
    in_.fix_mutuals = value > 0;
    if (in_.fix_mutuals) {
      if (Status s = input_file_.ReadIntegerField(value); !s.ok()) return s;
      in_.mutuals = value;
    }
  }
  LogRequestedMode();

  in_.structural_zeros = StructuralZeros();
  if (IsGraph(type_)) {
    for (int i = 1; i <= kMaxRows; ++i) SetCell(in_.structural_zeros, i, i, 1);
  }
  bool version_given = false;
  std::int32_t version_value = 0;
  if (type_ == MatrixType::kPattern) {
    if (Status s = ReadStructuralZeros(version_given, version_value); !s.ok()) return s;
    if (in_.f == 0) return log_.status();
  }
  if (!version_given) {
    if (input_file_.AtEnd()) Log("Warning: unexpected end of input file.");
    if (Status s = input_file_.ReadIntegerField(version_value); !s.ok()) return s;
  }
  if (version_value >= 1 && version_value <= VersionCount(in_.f, in_.g)) {
    in_.version = static_cast<std::uint8_t>(version_value);
  } else {
    in_.version = 1;
    Log("The number " + Num(version_value) +
        " is not allowed as the version of evaluated statistics.");
  }
  Log("Selected version of evaluated statistics is " + Num(in_.version) + ".");

  if (type_ == MatrixType::kGraph && !margins_equal_) {
    type_ = MatrixType::kDigraph;
    Log("Mode changed to digraph instead of graph.");
    in_.fix_mutuals = false;
  }

  LogTotals();
  if (!CheckTotals()) {
    Refuse();
    return log_.status();
  }
  for (int i = 1; i <= in_.f; ++i) {
    in_.row_totals[static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(row_totals_[static_cast<std::size_t>(i)]);
  }
  for (int j = 1; j <= in_.g; ++j) {
    in_.column_totals[static_cast<std::size_t>(j)] =
        static_cast<std::uint8_t>(column_totals_[static_cast<std::size_t>(j)]);
  }

  if (Status s = ReadSimulationCount(); !s.ok()) return s;
  if (input_file_.AtEnd()) Log("Warning: unexpected end of input file.");

  if (IsGraph(type_)) {
    bool complete = false;
    if (Status s = ReadWeights(complete); !s.ok()) return s;
    if (!complete) return log_.status();
  }

  MatrixMode mode = static_cast<MatrixMode>(type_);
  if (type_ == MatrixType::kDigraph && in_.fix_mutuals) mode = 5;
  if (IsGraph(type_)) mode = static_cast<MatrixMode>(mode + 10);
  if (molloy_reed_) mode = static_cast<MatrixMode>(mode + kModeMolloyReed);
  in_.matrix_mode = mode;

  if (in_.write_all) {
    if (Status s = WriteListingHeader(project_name_, env_, in_, listing_); !s.ok()) return s;
  }
  input_file_.Close();

  if (in_.adjacency_data) WriteObservedStatistics();
  return log_.status();
}

}  // namespace

Status ReadProjectInput(TextWriter& log, const std::string& project_name, Env& env, RunStatus& run,
                        ProjectInput& input, TextWriter& listing) {
  ProjectReader reader(log, project_name, env, run, input, listing);
  return reader.Read();
}

bool ParseReal(std::string_view text, double& value) {
  value = 0.0;
  std::string kept;
  for (char c : text.substr(0, 255)) {
    if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) kept += c;
  }
  // A sign only in front, at most one point, at least one digit.
  std::size_t i = 0;
  if (i < kept.size() && (kept[i] == '+' || kept[i] == '-')) ++i;
  std::size_t digits = 0;
  std::size_t points = 0;
  for (; i < kept.size(); ++i) {
    if (kept[i] == '.') {
      ++points;
    } else if (kept[i] >= '0' && kept[i] <= '9') {
      ++digits;
    } else {
      return false;
    }
  }
  if (digits == 0 || points > 1) return false;
  errno = 0;
  const double parsed = std::strtod(kept.c_str(), nullptr);
  if (errno == ERANGE && (parsed > 1.0 || parsed < -1.0)) return false;
  value = parsed;
  return true;
}

Status WriteListingHeader(const std::string& project_name, Env& env, ProjectInput& input,
                          TextWriter& listing) {
  input.prn_file_name = (project_name + ".prn").substr(0, 255);
  Status s;
  const bool exists = env.FileExists(input.prn_file_name);
  s = exists ? listing.Append(input.prn_file_name) : listing.Create(input.prn_file_name);
  if (!s.ok()) return s;
  input.prn_open = true;
  if (exists) listing.WriteLine();
  listing.WriteLine("This file contains all found 0-1 matrices ");
  listing.WriteLine("with the desired row and column totals.");
  listing.WriteLine("Mutual dyads are indicated by M.");
  listing.WriteLine();
  const auto write_totals = [&listing](std::string_view title, const TotalsVector& totals,
                                       int count) {
    listing.Write(title);
    for (int i = 1; i <= count; ++i) {
      listing.Write(Int(totals[static_cast<std::size_t>(i)], 3));
      if (i % 20 == 0) listing.WriteLine();
    }
    listing.WriteLine();
  };
  write_totals("Row totals :    ", input.row_totals, input.f);
  write_totals("Column totals : ", input.column_totals, input.g);
  const MatrixType type = TypeOfMode(input.matrix_mode);
  if (type == MatrixType::kGraph) listing.WriteLine("Undirected graph.");
  if (type == MatrixType::kDigraph) listing.WriteLine("Directed graph.");
  if (type == MatrixType::kRectangular) listing.WriteLine("No structural zeros.");
  if (input.fix_mutuals) listing.WriteLine("Number of mutuals fixed at " + Num(input.mutuals));
  if (type == MatrixType::kPattern) {
    listing.WriteLine("Structural zeros in following pattern : ");
    listing.WriteLine();
    for (int i = 1; i <= input.f; ++i) {
      std::string row;
      for (int j = 1; j <= input.g; ++j) {
        row += GetCell(input.structural_zeros, i, j) ? '0' : '1';
      }
      listing.WriteLine(row);
    }
    listing.WriteLine();
  }
  return listing.status();
}

}  // namespace kivo::sim
