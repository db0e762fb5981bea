// The built programs on hostile ground: a read-only or full drive, a data
// file that is a directory or cut short, an existing log after a failing
// run, and SIGTERM in the middle of a long run. Each program runs as a child
// process in a scratch directory, with standard input from /dev/null.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/fake_env.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kCases = fs::path(KIVO_SOURCE_DIR) / "tests" / "e2e" / "cases";

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A child process running `program args...` in `dir`; standard error goes to
// `err_file` (kept outside `dir`, which may be read-only).
class Child {
 public:
  Child(const std::string& program, const std::vector<std::string>& args, const fs::path& dir,
        const fs::path& err_file) {
    pid_ = fork();
    if (pid_ == 0) {
      const int in = open("/dev/null", O_RDONLY);
      const int out = open("/dev/null", O_WRONLY);
      const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || chdir(dir.c_str()) != 0) _exit(120);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(program.c_str()));
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(121);
    }
  }

  void Signal(int signal_number) const { kill(pid_, signal_number); }

  // The exit status, or -1 when the child has not ended within `limit`
  // (it is then killed) or ended on a signal.
  int Wait(std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        return -1;
      }
      std::this_thread::sleep_for(20ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
};

// A scratch directory with a working folder `work` inside; the programs run
// in `work`, their standard error is kept beside it.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(work_); }
  void TearDown() override {
    if (mounted_) umount2(work_.c_str(), MNT_DETACH);
  }

  // Puts a size-limited memory file system on `work`; false (the test is
  // to be skipped) when the platform does not allow it.
  bool MountSmallDrive(const std::string& size) {
    const std::string options = "size=" + size;
    if (mount("tmpfs", work_.c_str(), "tmpfs", 0, options.c_str()) != 0) return false;
    mounted_ = true;
    return true;
  }
  bool RemountReadOnly() {
    return mount("tmpfs", work_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

  void CopyCase(const std::string& program, const std::string& name) {
    for (const auto& entry : fs::directory_iterator(kCases / program / name / "in")) {
      fs::copy_file(entry.path(), work_ / entry.path().filename(),
                    fs::copy_options::overwrite_existing);
    }
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(work_ / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) { return Slurp(work_ / name); }

  int Run(const std::string& program, const std::vector<std::string>& args) {
    Child child(program, args, work_, err_);
    return child.Wait(120s);
  }
  std::string Stderr() { return Slurp(err_); }

  ScopedTempDir dir_;
  fs::path work_ = dir_.path() / "work";
  fs::path err_ = dir_.path() / "stderr.txt";
  bool mounted_ = false;
};

// Sets field `line` (from 1) of a project file to `value`, keeping the
// comment after it.
std::string SetField(const std::string& text, int line, const std::string& value) {
  std::size_t start = 0;
  for (int i = 1; i < line; ++i) start = text.find('\n', start) + 1;
  const std::size_t end = text.find_first_of(" \n", start);
  return text.substr(0, start) + value + text.substr(end);
}

TEST_F(ProgramTest, ReadOnlyDirectoryEndsInANamedErrorWithStatus2) {
  if (!MountSmallDrive("1m")) GTEST_SKIP() << "no tmpfs mount here: " << std::strerror(errno);
  CopyCase("kivo_sim", "sampler_digraph");
  CopyCase("kivo_enum", "tree_walks");
  CopyCase("tamsel", "step1_values");
  if (!RemountReadOnly()) GTEST_SKIP() << "no read-only remount: " << std::strerror(errno);
  struct Case {
    std::string program;
    std::vector<std::string> args;
    std::string names;
  };
  const Case cases[] = {
      {KIVO_SIM_PROGRAM, {"digraph", "--batch", "--seed=1"}, "digraph.out"},
      {KIVO_ENUM_PROGRAM, {"perms", "--batch"}, "perms.out"},
      {KIVO_TAMSEL_PROGRAM, {}, ".tam"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(Run(c.program, c.args), 2);
    EXPECT_TRUE(Contains(Stderr(), c.names)) << Stderr();
  }
}

TEST_F(ProgramTest, DataFileThatIsADirectoryEndsInANamedError) {
  CopyCase("kivo_sim", "sampler_digraph");
  CopyCase("kivo_enum", "tree_walks");
  fs::remove(work_ / "digraph.txt");
  fs::create_directory(work_ / "digraph.txt");
  fs::remove(work_ / "ones3.txt");
  fs::create_directory(work_ / "ones3.txt");
  EXPECT_EQ(Run(KIVO_SIM_PROGRAM, {"digraph", "--batch", "--seed=1"}), 2);
  EXPECT_TRUE(Contains(Stderr(), "digraph.txt")) << Stderr();
  EXPECT_TRUE(Contains(Read("digraph.out"), "input file digraph.in"));
  EXPECT_EQ(Run(KIVO_ENUM_PROGRAM, {"perms", "--batch"}), 2);
  EXPECT_TRUE(Contains(Stderr(), "ones3.txt")) << Stderr();

  CopyCase("tamsel", "step1_values");
  fs::remove(work_ / "codes.dat");
  fs::create_directory(work_ / "codes.dat");
  EXPECT_EQ(Run(KIVO_TAMSEL_PROGRAM, {}), 2);
  EXPECT_TRUE(Contains(Stderr(), "codes.dat")) << Stderr();
}

// A truncated adjacency file is a refused input: the run stops with the
// file's name in the log, and the log is complete and closed.
TEST_F(ProgramTest, TruncatedAdjacencyFileStopsTheRun) {
  CopyCase("kivo_sim", "sampler_digraph");
  const std::string matrix = Read("digraph.txt");
  Write("digraph.txt", matrix.substr(0, matrix.size() / 2 + 1));
  EXPECT_EQ(Run(KIVO_SIM_PROGRAM, {"digraph", "--batch", "--seed=1"}), 1);
  const std::string log = Read("digraph.out");
  EXPECT_TRUE(Contains(log, "Error: end of file digraph.txt")) << log;
  EXPECT_TRUE(Contains(log, "No simulations.")) << log;
}

// The log and the report are appended to: what an earlier run wrote stays
// at the head of the file, also when the new run fails on its input.
TEST_F(ProgramTest, FailingRunKeepsTheExistingLog) {
  CopyCase("kivo_sim", "bad_number");
  CopyCase("tamsel", "short_file");
  const std::string earlier = "an earlier run\nits last line\n";
  Write("bad.out", earlier);
  Write("broken.tam", earlier);
  EXPECT_EQ(Run(KIVO_SIM_PROGRAM, {"bad", "--batch"}), 2);
  EXPECT_EQ(Read("bad.out").rfind(earlier, 0), 0u);
  EXPECT_GT(Read("bad.out").size(), earlier.size());

  // tamsel.in says 9 actors for a file that holds fewer numbers.
  EXPECT_EQ(Run(KIVO_TAMSEL_PROGRAM, {}), 2);
  EXPECT_TRUE(Contains(Stderr(), "short.dat")) << Stderr();
  EXPECT_EQ(Read("broken.tam").rfind(earlier, 0), 0u);
  EXPECT_GT(Read("broken.tam").size(), earlier.size());
}

// Waits until the file has grown past `bytes`; false after 30 seconds.
bool WaitForGrowth(const fs::path& file, std::uintmax_t bytes) {
  for (int i = 0; i < 1500; ++i) {
    std::error_code error;
    if (fs::file_size(file, error) > bytes && !error) return true;
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

TEST_F(ProgramTest, SigtermDuringALongSimulationClosesTheFiles) {
  CopyCase("kivo_sim", "sampler_digraph");
  Write("digraph.in", SetField(Read("digraph.in"), 10, "99999999"));
  Child child(KIVO_SIM_PROGRAM, {"digraph", "--batch", "--seed=5"}, work_, err_);
  ASSERT_TRUE(WaitForGrowth(work_ / "digraph.prn", 100000));
  child.Signal(SIGTERM);
  EXPECT_EQ(child.Wait(60s), 130);
  const std::string log = Read("digraph.out");
  EXPECT_TRUE(Contains(log, "Program closed by user.")) << log;
  // The reports of the matrices drawn so far follow, to the listing's last line.
  EXPECT_TRUE(Contains(log, "Simulated matrices were written to file digraph.prn.")) << log;
  const std::string listing = Read("digraph.prn");
  ASSERT_FALSE(listing.empty());
  EXPECT_EQ(listing.back(), '\n');
}

TEST_F(ProgramTest, SigtermDuringALongEnumerationClosesTheFiles) {
  // 10 x 10 matrices with every total 5: far more than a test can wait for.
  const std::string fives = "5 5 5 5 5 5 5 5 5 5\n";
  Write("big.in", "10\n10\n1\n1\n0\nfives.txt\n0\n1\n");
  Write("fives.txt", fives + fives);
  Child child(KIVO_ENUM_PROGRAM, {"big", "--batch"}, work_, err_);
  ASSERT_TRUE(WaitForGrowth(work_ / "big.prn", 100000));
  child.Signal(SIGTERM);
  EXPECT_EQ(child.Wait(60s), 130);
  const std::string log = Read("big.out");
  EXPECT_TRUE(Contains(log, "Program closed by user.")) << log;
  EXPECT_TRUE(Contains(log, "Program interrupted by user.")) << log;
  EXPECT_FALSE(Contains(log, "Enumeration results.")) << log;
  const std::string listing = Read("big.prn");
  ASSERT_FALSE(listing.empty());
  EXPECT_EQ(listing.back(), '\n');
}

// A drive that really fills while every matrix is listed: below 5 % free the
// listing ends with the log's explanation and the run goes on to its report.
TEST_F(ProgramTest, DiskGuardEndsTheListingOnANearlyFullDrive) {
  if (!MountSmallDrive("8m")) GTEST_SKIP() << "no tmpfs mount here: " << std::strerror(errno);
  CopyCase("kivo_sim", "sampler_digraph");
  Write("digraph.in", SetField(Read("digraph.in"), 10, "12000"));
  // About 1 MB (12 %) stays free; every 1000 matrices take about 100 kB.
  Write("filler", std::string(7 * 1024 * 1024, 'x'));
  EXPECT_EQ(Run(KIVO_SIM_PROGRAM, {"digraph", "--batch", "--seed=2"}), 0) << Stderr();
  const std::string log = Read("digraph.out");
  EXPECT_TRUE(Contains(log, "You are writing all matrices to disk on the file digraph.prn, "))
      << log;
  EXPECT_TRUE(Contains(log, "writing file digraph.prn is terminated.")) << log;
  EXPECT_TRUE(Contains(log, "Exceedance probabilities")) << log;
}

// A write that fails because the drive is full ends the run with status 2
// and the listing's name on standard error, not with a silent success.
TEST_F(ProgramTest, FullDriveIsReportedAsAnError) {
  if (!MountSmallDrive("1m")) GTEST_SKIP() << "no tmpfs mount here: " << std::strerror(errno);
  CopyCase("kivo_sim", "sampler_digraph");
  Write("digraph.in", SetField(Read("digraph.in"), 10, "5000"));
  // About 60 kB free: full after some 600 matrices, before the guard looks
  // at the 1000th.
  Write("filler", std::string(960 * 1024, 'x'));
  EXPECT_EQ(Run(KIVO_SIM_PROGRAM, {"digraph", "--batch", "--seed=2"}), 2);
  EXPECT_TRUE(Contains(Stderr(), "digraph.prn")) << Stderr();
}

}  // namespace
}  // namespace kivo
