#include "sim/simplus.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <span>
#include <string_view>

#include "runfiles/bar_chart.h"
#include "runfiles/format.h"
#include "runfiles/kivolib.h"

namespace kivo::sim {
namespace {

constexpr int kMaxBars = 70;
constexpr int kTableWidth = 7;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string Where(const IntermediateFile& file) {
  return file.reader.name() + ", line " + std::to_string(file.reader.line_number());
}

Status ReadError(const IntermediateFile& file) {
  return file.reader.status().ok() ? Status::Ok() : file.reader.status();
}

// Moves to the next field, reading further lines as needed. False at the end
// of the file (or on a read error, which the reader's status keeps).
bool NextField(IntermediateFile& file, std::string_view& field) {
  for (;;) {
    if (file.has_line) {
      while (file.position < file.line.size() && IsBlank(file.line[file.position])) ++file.position;
      if (file.position < file.line.size()) {
        const std::size_t start = file.position;
        while (file.position < file.line.size() && !IsBlank(file.line[file.position])) {
          ++file.position;
        }
        field = std::string_view(file.line).substr(start, file.position - start);
        return true;
      }
      file.has_line = false;
    }
    if (!file.reader.ReadLine(file.line)) return false;
    file.position = 0;
    file.has_line = true;
  }
}

// The next whole line, or the rest of the current one.
bool NextLine(IntermediateFile& file, std::string& line) {
  if (file.has_line) {
    line = file.line.substr(std::min(file.position, file.line.size()));
    file.has_line = false;
    return true;
  }
  return file.reader.ReadLine(line);
}

bool ParseDouble(std::string_view field, double& value) {
  const std::string text(field);
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0';
}

bool ParseInt(std::string_view field, std::int32_t& value) {
  const std::string text(field);
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE || parsed < INT32_MIN ||
      parsed > INT32_MAX) {
    return false;
  }
  value = static_cast<std::int32_t>(parsed);
  return true;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

Status OpenIntermediateFile(const std::string& name, IntermediateFile& file) {
  file.line.clear();
  file.position = 0;
  file.has_line = false;
  return file.reader.Open(name);
}

}  // namespace

Status ReadIntermediateHeader(IntermediateFile& file, int& numf, std::vector<std::string>& labels) {
  numf = 0;
  labels.clear();
  std::string line;
  if (!NextLine(file, line)) {
    if (Status error = ReadError(file); !error.ok()) return error;
    return Status::IoError(file.reader.name() + ": the file is empty");
  }
  const std::string first = Trimmed(line);
  std::int32_t count = 0;
  if (!ParseInt(first.substr(0, first.find_first_of(" \t")), count) || count < 0 ||
      count > kMaxIntermediateStatistics) {
    return Status::IoError(Where(file) + ": expected the number of statistics (0 to 200)");
  }
  for (int k = 1; k <= count; ++k) {
    if (!NextLine(file, line)) {
      if (Status error = ReadError(file); !error.ok()) return error;
      return Status::IoError(Where(file) + ": the file ends within the labels of its statistics");
    }
    if (line.size() > kMaxProjectName) line.resize(kMaxProjectName);
    labels.push_back(line);
  }
  numf = count;
  return Status::Ok();
}

Status StartIntermediatePass(IntermediateFile& file, IntermediatePass& pass) {
  pass = IntermediatePass{};
  std::string line;
  while (NextLine(file, line)) {
    if (Trimmed(line) == "@") return Status::Ok();
  }
  if (Status error = ReadError(file); !error.ok()) return error;
  return Status::IoError(Where(file) +
                         ": the file ends without the line \"@\" that closes its head");
}

Status ReadIntermediateRecord(IntermediateFile& file, int j, int numf, IntermediatePass& pass,
                              bool& complete) {
  complete = false;
  std::string_view field;
  if (!NextField(file, field)) return ReadError(file);
  double w = 0.0;
  if (!ParseDouble(field, w)) return Status::IoError(Where(file) + ": the weight is no number");
  std::int32_t t = 0;
  for (int k = 1; k <= numf; ++k) {
    if (!NextField(file, field)) return ReadError(file);
    std::int32_t value = 0;
    if (!ParseInt(field, value)) {
      return Status::IoError(Where(file) + ": value " + std::to_string(k) + " is no integer");
    }
    if (k == j) t = value;
  }
  file.has_line = false;  // the rest of the record's last line is not read

  complete = true;
  ++pass.records;
  pass.sw += w;
  pass.sw2 += w * w;
  AccumulateStatistic(pass.sums, t, w);
  return Status::Ok();
}

void EstimateIntermediateStatistic(const IntermediatePass& pass, IntermediateEstimate& out) {
  out = IntermediateEstimate{};
  out.records = pass.records;
  out.statistic.smaller = pass.sums.smaller;
  out.statistic.larger = pass.sums.larger;
  if (pass.records <= 1) return;
  out.weight = EstimateWeightMoments(pass.sw, pass.sw2, pass.records);
  EstimateStatistic(pass.sums, pass.records, out.weight, out.statistic);
}

void WriteIntermediateReport(TextWriter& log, int j, const std::string& label,
                             const IntermediateEstimate& estimate) {
  const StatisticEstimate& s = estimate.statistic;
  const ValueRange range = FindValueRange(s);
  if (j == 1 && estimate.records >= 2) {
    WriteWeightWarning(log, SafeSqrt(estimate.records * estimate.weight.variance));
  }
  WriteSectionHeader(3, log, label);
  log.WriteLine("Estimated mean               " + Real(s.estimate[1], 8, 4) +
                "     (standard error " + Real(s.standard_error[1], 8, 4) + " )");
  log.WriteLine("Estimated variance           " + Real(s.estimate[0], 8, 4));
  log.WriteLine("Estimated standard deviation " + Real(SafeSqrt(s.estimate[0]), 8, 4));
  if (s.smaller) {
    log.WriteLine("At least one function value was smaller than 0.");
    log.WriteLine("All negative values were set to 0.");
  }
  // Values above the table are reported even when none is left in it, so
  // that a distribution lying wholly above 100 is not passed over silently.
  if (s.larger) log.WriteLine("At least one function value was larger than 100 .");
  if (range.min >= range.max) return;

  const int group = (range.max - range.min) / kMaxBars + 1;
  const int bars = (range.max - range.min + group) / group;
  std::array<double, kMaxBars + 1> heights{};
  for (int b = 1; b <= bars; ++b) {
    for (int v = range.min + (b - 1) * group; v <= range.min + b * group - 1; ++v) {
      if (v <= kMaxTabulatedValue) {
        heights[static_cast<std::size_t>(b) - 1] += s.estimate[static_cast<std::size_t>(v) + 2];
      }
    }
  }
  DrawBarChart(log, group, bars, range.min,
               std::span<const double>(heights.data(), static_cast<std::size_t>(bars)));
  log.WriteLine();
  log.WriteLine("Minimum value found " + std::to_string(range.min) + "; maximum " +
                std::to_string(range.max) + " .");
  log.WriteLine();
  log.WriteLine("Estimated cumulative ( <= ) probabilities with standard errors.");
  WriteDistributionTable(log, range.min, range.max, 0, s.cumulative, s.cumulative_error,
                         kTableWidth);
  log.WriteLine();
  log.WriteLine("Estimated probabilities with standard errors.");
  WriteDistributionTable(log, range.min, range.max, 0, s.estimate, s.standard_error, kTableWidth);
}

Status ProcessIntermediateResults(const std::string& project_name, TextWriter& log, Env& env) {
  const std::string name = project_name + ".pqr";
  if (!env.FileExists(name)) {
    log.WriteLine("File " + name + " cannot be found.");
    log.WriteLine("The reason may be that a wrong directory is searched.");
    log.WriteLine("Take care that temporary files are in the current directory.");
    log.WriteLine("(In VANTOR, look in Options - Directories.)");
    return log.status();
  }
  IntermediateFile file;
  if (Status opened = OpenIntermediateFile(name, file); !opened.ok()) return opened;
  log.WriteLine("Results from file " + name + " are processed.");
  int numf = 0;
  std::vector<std::string> labels;
  if (Status header = ReadIntermediateHeader(file, numf, labels); !header.ok()) return header;
  file.reader.Close();

  for (int j = 1; j <= numf; ++j) {
    if (Status opened = OpenIntermediateFile(name, file); !opened.ok()) return opened;
    IntermediatePass pass;
    if (Status started = StartIntermediatePass(file, pass); !started.ok()) return started;
    for (;;) {
      bool complete = false;
      if (Status read = ReadIntermediateRecord(file, j, numf, pass, complete); !read.ok()) {
        return read;
      }
      if (!complete) break;
    }
    file.reader.Close();
    IntermediateEstimate estimate;
    EstimateIntermediateStatistic(pass, estimate);
    WriteIntermediateReport(log, j, labels[static_cast<std::size_t>(j) - 1], estimate);
    if (!log.status().ok()) return log.status();
  }
  return log.status();
}

}  // namespace kivo::sim
