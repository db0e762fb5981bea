#ifndef KIVO_TESTS_SUPPORT_FAKE_ENV_H_
#define KIVO_TESTS_SUPPORT_FAKE_ENV_H_

// An Env for tests. File existence comes from the real file system unless a
// test has set an answer for that name; drive space, the date text and the
// clock-seeded uniform are plain fields that a test sets.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/env.h"

namespace kivo {

class FakeEnv : public Env {
 public:
  bool FileExists(const std::string& name) override;
  DriveSpace CurrentDriveSpace() override;
  std::string LocalDateTime() override;
  double ClockUniform() override;

  // From now on FileExists(name) answers `exists`, whatever is on disk.
  void SetFileExists(const std::string& name, bool exists);
  // Back to the real file system for that name.
  void ClearFileExists(const std::string& name);

  DriveSpace drive_space{std::uint64_t{1} << 40, std::uint64_t{1} << 41};
  std::string date_time = "11.12.2026 09:30:00";
  double clock_uniform = 0.5;

  // How often each query was made.
  int file_exists_calls = 0;
  int drive_space_calls = 0;
  int date_time_calls = 0;
  int clock_uniform_calls = 0;

 private:
  std::map<std::string, bool> exists_answers_;
};

// A fresh directory under the system's temporary directory that is the
// current directory while the object lives; removed with its contents at the
// end. Programs write their files into the current directory, so a test runs
// them inside one of these.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  ~ScopedTempDir();

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// The lines of a text file without their line ends (LF; a CR before it is
// kept), the last line included when the file does not end with a line end.
std::vector<std::string> ReadLines(const std::string& name);

// Writes text to a file as it stands (no line end is added).
void WriteFile(const std::string& name, const std::string& text);

}  // namespace kivo

#endif  // KIVO_TESTS_SUPPORT_FAKE_ENV_H_
