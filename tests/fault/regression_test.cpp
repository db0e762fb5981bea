// Every seed of the fuzz corpus and every input a fuzzer found is run
// through the same harness as the fuzz targets. Under the sanitizer build a
// memory fault fails the test; in every build a failure must come back as a
// status whose message names one of the files involved.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "tests/support/fake_env.h"

namespace kivo::fuzz {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> Inputs(const std::string& target) {
  std::vector<fs::path> inputs;
  const fs::path root = KIVO_SOURCE_DIR;
  for (const fs::path& folder :
       {root / "fuzz" / "corpus" / target, root / "tests" / "fault" / "regressions" / target}) {
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  }
  return inputs;
}

// Whether the message names the project's own files or one the input made.
bool NamesAFile(const std::string& message, std::string_view input, bool split) {
  for (const char* own : {"p.in", "p.out", "p.prn", "p.pqr", "tamsel.in", ".tam"}) {
    if (message.find(own) != std::string::npos) return true;
  }
  if (!split) return false;
  for (const FuzzFile& file : SplitFuzzInput(input)) {
    if (message.find(file.name) != std::string::npos) return true;
  }
  return false;
}

struct Target {
  const char* name;
  Status (*run)(std::string_view);
  bool split;  // the input is a set of files
};

TEST(FuzzRegressionTest, EveryKnownInputEndsInAResultOrANamedError) {
  const Target targets[] = {
      {"project_input", RunProjectInput, true},
      {"enumeration_input", RunEnumerationInput, true},
      {"data_description", RunDataDescription, true},
      {"intermediate_results", RunIntermediateResults, false},
  };
  for (const Target& target : targets) {
    const std::vector<fs::path> inputs = Inputs(target.name);
    EXPECT_FALSE(inputs.empty()) << target.name << " has no seeds";
    for (const fs::path& path : inputs) {
      SCOPED_TRACE(path.string());
      const std::string input = Slurp(path);
      ScopedTempDir dir;
      const Status status = target.run(input);
      if (!status.ok()) {
        EXPECT_TRUE(NamesAFile(status.message(), input, target.split)) << status.message();
      }
    }
  }
}

// The harness itself: files, directories, names that would leave the
// scratch directory.
TEST(FuzzRegressionTest, SplitKeepsPlainNamesOnly) {
  const std::vector<FuzzFile> files =
      SplitFuzzInput("p.in\n1\n2\n=====\nd/\n=====\n../x\nno\n=====\na.txt\n=====\nb\nlast");
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].name, "p.in");
  EXPECT_EQ(files[0].contents, "1\n2");
  EXPECT_TRUE(files[1].directory);
  EXPECT_EQ(files[1].name, "d");
  EXPECT_EQ(files[2].name, "a.txt");
  EXPECT_EQ(files[2].contents, "");
  EXPECT_EQ(files[3].contents, "last");
}

}  // namespace
}  // namespace kivo::fuzz
