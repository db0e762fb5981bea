#include "runfiles/kivolib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/fake_env.h"

namespace kivo {
namespace {

using Lines = std::vector<std::string>;

class OutputLogTest : public testing::Test {
 protected:
  ScopedTempDir dir_;
  FakeEnv env_;
  std::string project_;
};

TEST_F(OutputLogTest, NoArgumentGivesDefaultLogWithWarning) {
  env_.date_time = "01.02.2026 10:11:12";
  TextWriter log;
  ASSERT_TRUE(StartOutputLog({}, project_, kMaxProjectName, log, env_).ok());
  ASSERT_TRUE(log.Close().ok());
  EXPECT_EQ(project_, "Kivo");
  const Lines expected = {
      "                        ********************",
      "                              Kivo.out",
      "                        ********************",
      "",
      "Filename is Kivo.out .",
      "",
      "Date and time: 01.02.2026 10:11:12",
      "",
      "",
      "",
      "@1",
      "Kivo version 2.3",
      "================",
      "",
      "Warning: no project name given.",
      "Default project name <<Kivo>>.",
  };
  EXPECT_EQ(ReadLines("Kivo.out"), expected);
}

TEST_F(OutputLogTest, SecondRunAppendsAfterTheFirstRunsOutput) {
  {
    TextWriter log;
    ASSERT_TRUE(StartOutputLog({"abc", "ignored"}, project_, kMaxProjectName, log, env_).ok());
    log.WriteLine("first run");
    ASSERT_TRUE(log.Close().ok());
  }
  env_.date_time = "second";
  TextWriter log;
  ASSERT_TRUE(StartOutputLog({"abc"}, project_, kMaxProjectName, log, env_).ok());
  ASSERT_TRUE(log.Close().ok());
  EXPECT_EQ(project_, "abc");
  // A 7-character file name gives 19 asterisks after 24 blanks.
  const std::string stars = std::string(24, ' ') + std::string(19, '*');
  const Lines expected = {
      stars,
      "                              abc.out",
      stars,
      "",
      "Filename is abc.out .",
      "",
      "Date and time: 11.12.2026 09:30:00",
      "",
      "",
      "",
      "@1",
      "Kivo version 2.3",
      "================",
      "",
      "Project name <<abc>>.",
      "first run",
      "",
      "Results appended to existing file abc.out.",
      "Date and time: second",
      "",
      "",
      "",
      "@1",
      "Kivo version 2.3",
      "================",
      "",
      "Project name <<abc>>.",
  };
  EXPECT_EQ(ReadLines("abc.out"), expected);
}

TEST_F(OutputLogTest, ProjectNameIsCutToTheCallersMaximum) {
  TextWriter log;
  ASSERT_TRUE(StartOutputLog({"project"}, project_, 4, log, env_).ok());
  ASSERT_TRUE(log.Close().ok());
  EXPECT_EQ(project_, "proj");
  EXPECT_EQ(ReadLines("proj.out").back(), "Project name <<proj>>.");
}

TEST_F(OutputLogTest, LogThatCannotBeCreatedIsAStatusNamingTheFile) {
  TextWriter log;
  const Status status = StartOutputLog({"missing_dir/p"}, project_, kMaxProjectName, log, env_);
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("missing_dir/p.out"), std::string::npos) << status.message();
  EXPECT_FALSE(log.is_open());
}

TEST_F(OutputLogTest, ExistenceAnswerComesFromTheEnv) {
  // The env says the file exists although it does not: the log is appended
  // to (and so created) without a banner.
  env_.SetFileExists("x.out", true);
  TextWriter log;
  ASSERT_TRUE(OpenOutputLog("x.out", log, env_).ok());
  ASSERT_TRUE(log.Close().ok());
  const Lines expected = {"", "Results appended to existing file x.out.",
                          "Date and time: 11.12.2026 09:30:00", "", ""};
  EXPECT_EQ(ReadLines("x.out"), expected);
}

TEST_F(OutputLogTest, SectionHeadersByLevel) {
  struct Case {
    int level;
    const char* title;
    Lines expected;
  };
  const Case cases[] = {
      {1, "Kivo version 2.3", {"", "@1", "Kivo version 2.3", "================", ""}},
      {2, "Simulation results", {"", "@2", "Simulation results", "------------------", ""}},
      {3, "Number of arcs", {"", "@3", "Number of arcs", ""}},
      {1, "", {"", "@1", "", "", ""}},
      {12, "x", {"", "@12", "x", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    TextWriter file;
    ASSERT_TRUE(file.Create("h.txt").ok());
    WriteSectionHeader(c.level, file, c.title);
    ASSERT_TRUE(file.Close().ok());
    EXPECT_EQ(ReadLines("h.txt"), c.expected);
  }
}

TEST(SafeSqrtTest, ZeroAtOrBelowTheThreshold) {
  EXPECT_EQ(SafeSqrt(1e-36), 0.0);
  EXPECT_EQ(SafeSqrt(-4.0), 0.0);
  EXPECT_EQ(SafeSqrt(0.0), 0.0);
  EXPECT_EQ(SafeSqrt(4.0), 2.0);
  EXPECT_DOUBLE_EQ(SafeSqrt(2e-36), std::sqrt(2e-36));
}

TEST(FormatCountTest, WholeNumbersLoseTheirDecimals) {
  struct Case {
    double value;
    std::size_t max_length;
    const char* expected;
  };
  const Case cases[] = {
      {3.0, 255, "       3    "},
      {2.5, 255, "      2.5000"},
      {2.99999, 255, "       3    "},
      {2.99994, 255, "      2.9999"},
      {123456789.0, 255, "123456789    "},
      {10000000.0, 255, "10000000    "},
      {0.0, 255, "       0    "},
      {1.23456e20, 255, "123456000000000000000    "},
      {2.5, 6, "      "},
      {3.0, 9, "       3 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(FormatCount(c.value, c.max_length), c.expected);
  }
}

}  // namespace
}  // namespace kivo
