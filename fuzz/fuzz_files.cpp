#include "fuzz/fuzz_files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "enum/kivoelib.h"
#include "platform/text_file.h"
#include "sim/kivosimlib.h"
#include "sim/sim_run.h"
#include "sim/simplus.h"
#include "tamsel/st_desc.h"

namespace kivo::fuzz {
namespace {

constexpr std::size_t kMaxFiles = 16;
constexpr std::size_t kMaxNameLength = 64;

// One plain path component of printable characters: no separator, no "."
// or "..", so nothing is written outside the scratch directory.
bool PlainName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 ||
        static_cast<unsigned char>(c) >= 0x7f) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<FuzzFile> SplitFuzzInput(std::string_view input) {
  std::vector<FuzzFile> files;
  while (files.size() < kMaxFiles) {
    const std::size_t end = input.find(kFileSeparator);
    const std::string_view section = input.substr(0, end);
    const std::size_t name_end = section.find('\n');
    std::string_view name = section.substr(0, name_end);
    const std::string_view contents =
        name_end == std::string_view::npos ? std::string_view{} : section.substr(name_end + 1);
    FuzzFile file;
    if (!name.empty() && name.back() == '/') {
      file.directory = true;
      name.remove_suffix(1);
    }
    if (PlainName(name)) {
      file.name = std::string(name);
      file.contents = std::string(contents);
      files.push_back(std::move(file));
    }
    if (end == std::string_view::npos) break;
    input.remove_prefix(end + kFileSeparator.size());
  }
  return files;
}

void WriteFuzzFiles(const std::vector<FuzzFile>& files) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
    std::filesystem::remove_all(entry.path(), error);
  }
  for (const FuzzFile& file : files) {
    if (file.directory) {
      std::filesystem::create_directory(file.name, error);
      continue;
    }
    if (std::filesystem::is_directory(file.name, error)) continue;
    std::FILE* out = std::fopen(file.name.c_str(), "wb");
    if (out == nullptr) continue;
    std::fwrite(file.contents.data(), 1, file.contents.size(), out);
    std::fclose(out);
  }
}

bool FixedEnv::FileExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

DriveSpace FixedEnv::CurrentDriveSpace() {
  return {std::uint64_t{1} << 40, std::uint64_t{1} << 41};
}

std::string FixedEnv::LocalDateTime() { return "11.12.2026 09:30:00"; }

double FixedEnv::ClockUniform() { return 0.5; }

Status RunProjectInput(std::string_view input) {
  WriteFuzzFiles(SplitFuzzInput(input));
  FixedEnv env;
  sim::RunStatus run;
  sim::ProjectInput project;
  TextWriter log;
  TextWriter listing;
  if (Status created = log.Create("p.out"); !created.ok()) return created;
  Status status = sim::ReadProjectInput(log, "p", env, run, project, listing);
  Status listing_closed = listing.Close();
  Status log_closed = log.Close();
  if (status.ok()) status = listing_closed;
  return status.ok() ? log_closed : status;
}

Status RunEnumerationInput(std::string_view input) {
  WriteFuzzFiles(SplitFuzzInput(input));
  FixedEnv env;
  enumeration::EnumerationInput project;
  TextWriter log;
  if (Status created = log.Create("p.out"); !created.ok()) return created;
  Status status = enumeration::ReadEnumerationInput(log, "p", env, project);
  Status log_closed = log.Close();
  return status.ok() ? log_closed : status;
}

Status RunDataDescription(std::string_view input) {
  WriteFuzzFiles(SplitFuzzInput(input));
  FixedEnv env;
  tamsel::DataDescription data;
  TextWriter report;
  Status status = tamsel::ReadDataDescription(data, report, /*append=*/true, env);
  Status report_closed = report.Close();
  return status.ok() ? report_closed : status;
}

Status RunIntermediateResults(std::string_view input) {
  WriteFuzzFiles({FuzzFile{"p.pqr", std::string(input), false}});
  FixedEnv env;
  TextWriter log;
  if (Status created = log.Create("p.out"); !created.ok()) return created;
  Status status = sim::ProcessIntermediateResults("p", log, env);
  Status log_closed = log.Close();
  return status.ok() ? log_closed : status;
}

}  // namespace kivo::fuzz
