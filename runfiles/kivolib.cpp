#include "runfiles/kivolib.h"

#include <cmath>

#include "runfiles/format.h"

namespace kivo {
namespace {

constexpr std::size_t kMaxLogFileName = 254;
constexpr int kBannerIndent = 24;
constexpr int kBannerNameIndent = 30;
constexpr std::size_t kBannerMargin = 12;

}  // namespace

Status StartOutputLog(const std::vector<std::string>& plain_arguments, std::string& project_name,
                      std::size_t max_length, TextWriter& log, Env& env) {
  const bool named = !plain_arguments.empty();
  if (named) {
    project_name = plain_arguments.front().substr(0, kMaxProjectName);
    if (project_name.size() > max_length) project_name.resize(max_length);
  } else {
    project_name = "Kivo";
  }
  const std::string file_name = (project_name + ".out").substr(0, kMaxLogFileName);
  if (Status opened = OpenOutputLog(file_name, log, env); !opened.ok()) return opened;

  WriteSectionHeader(1, log, std::string("Kivo version ") + std::string(kLibraryVersion));
  if (named) {
    log.WriteLine("Project name <<" + project_name + ">>.");
  } else {
    log.WriteLine("Warning: no project name given.");
    log.WriteLine("Default project name <<Kivo>>.");
  }
  return log.status();
}

Status OpenOutputLog(const std::string& file_name, TextWriter& log, Env& env) {
  const bool exists = env.FileExists(file_name);
  if (exists) {
    if (Status opened = log.Append(file_name); !opened.ok()) return opened;
    log.WriteLine();
    log.WriteLine("Results appended to existing file " + file_name + ".");
    log.WriteLine("Date and time: " + env.LocalDateTime());
    log.WriteLine();
    log.WriteLine();
    return log.status();
  }

  if (Status created = log.Create(file_name); !created.ok()) return created;
  const std::string stars =
      Text("", kBannerIndent) + std::string(kBannerMargin + file_name.size(), '*');
  log.WriteLine(stars);
  log.WriteLine(Text("", kBannerNameIndent) + file_name);
  log.WriteLine(stars);
  log.WriteLine();
  log.WriteLine("Filename is " + file_name + " .");
  log.WriteLine();
  log.WriteLine("Date and time: " + env.LocalDateTime());
  log.WriteLine();
  log.WriteLine();
  return log.status();
}

void WriteSectionHeader(int level, TextWriter& file, std::string_view title) {
  file.WriteLine();
  std::string marker = "@";
  marker += std::to_string(level);
  file.WriteLine(marker);
  file.WriteLine(title);
  if (level == 1) file.WriteLine(std::string(title.size(), '='));
  if (level == 2) file.WriteLine(std::string(title.size(), '-'));
  file.WriteLine();
}

double SafeSqrt(double x) {
  if (x <= 1e-36) return 0.0;
  return std::sqrt(x);
}

std::string FormatCount(double x, std::size_t max_length) {
  std::string text = Real(x, 12, 4);
  if (text.size() >= 4 && text.compare(text.size() - 4, 4, "0000") == 0) {
    text = Real(x, 8, 0) + "    ";
  }
  if (text.size() > max_length) text.resize(max_length);
  return text;
}

}  // namespace kivo
