#ifndef KIVO_FUZZ_FUZZ_FILES_H_
#define KIVO_FUZZ_FUZZ_FILES_H_

// One fuzz input holds a small set of files. Files are separated by a line
// that is exactly "=====" (LF line ends); each file starts with a line that
// holds its name, the rest is its contents as they stand. A name ending in
// "/" makes a directory of that name instead, so that a name given in an
// input file can point at a directory. Names are kept to one plain path
// component; a section whose name is not one is dropped.
//
// The same functions drive the fuzz targets and the regression tests that
// replay the inputs the fuzzers found.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "platform/status.h"

namespace kivo::fuzz {

struct FuzzFile {
  std::string name;
  std::string contents;
  bool directory = false;
};

inline constexpr std::string_view kFileSeparator = "\n=====\n";

// Splits the input into its files (see above). At most 16 files.
std::vector<FuzzFile> SplitFuzzInput(std::string_view input);

// Empties the current directory and writes the files into it.
void WriteFuzzFiles(const std::vector<FuzzFile>& files);

// A fixed machine: the real file system for existence, a large drive, a
// fixed date and clock value, so that a run depends on its input alone.
class FixedEnv : public Env {
 public:
  bool FileExists(const std::string& name) override;
  DriveSpace CurrentDriveSpace() override;
  std::string LocalDateTime() override;
  double ClockUniform() override;
};

// Each writes the input's files into the current directory and runs one
// reader on them the way its program does, then closes every file. The
// project of kivo_sim and kivo_enum is "p" (so its file is "p.in"); tamsel
// reads "tamsel.in"; the intermediate results are the whole input as "p.pqr"
// (not split).
// REQUIRES: the current directory is a private scratch directory; it is
// emptied first.
// Returns the reader's status (or the failure to close a file).
Status RunProjectInput(std::string_view input);
Status RunEnumerationInput(std::string_view input);
Status RunDataDescription(std::string_view input);
Status RunIntermediateResults(std::string_view input);

}  // namespace kivo::fuzz

#endif  // KIVO_FUZZ_FUZZ_FILES_H_
