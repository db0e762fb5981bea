#include "tests/support/fake_env.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kivo {

bool FakeEnv::FileExists(const std::string& name) {
  ++file_exists_calls;
  const auto found = exists_answers_.find(name);
  if (found != exists_answers_.end()) return found->second;
  struct stat info {};
  return ::stat(name.c_str(), &info) == 0;
}

DriveSpace FakeEnv::CurrentDriveSpace() {
  ++drive_space_calls;
  return drive_space;
}

std::string FakeEnv::LocalDateTime() {
  ++date_time_calls;
  return date_time;
}

double FakeEnv::ClockUniform() {
  ++clock_uniform_calls;
  return clock_uniform;
}

void FakeEnv::SetFileExists(const std::string& name, bool exists) {
  exists_answers_[name] = exists;
}

void FakeEnv::ClearFileExists(const std::string& name) { exists_answers_.erase(name); }

ScopedTempDir::ScopedTempDir() : previous_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "kivo_test_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  std::filesystem::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ReadLines(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void WriteFile(const std::string& name, const std::string& text) {
  std::ofstream out(name, std::ios::binary);
  out << text;
}

}  // namespace kivo
