#include "runfiles/summary_csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/fake_env.h"

namespace kivo {
namespace {

TEST(SummaryCsvTest, TextIsQuotedOnlyWhenItMustBe) {
  struct Case {
    const char* text;
    const char* field;
  };
  const Case cases[] = {
      {"Number of mutual dyads", "Number of mutual dyads"},
      {"100 * #trans / (#trans + #intrans)", "100 * #trans / (#trans + #intrans)"},
      {"a, b", "\"a, b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CsvText(c.text), c.field);
  }
}

TEST(SummaryCsvTest, NumbersReadBackExactlyAndSpecialValuesAreNamed) {
  for (const double x : {0.1, 1.0 / 3.0, 5046703.3094370505, -2.5e-300, 1e300, 7.0}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(std::strtod(CsvNumber(x).c_str(), nullptr), x);
  }
  EXPECT_EQ(CsvNumber(7.0), "7");
  EXPECT_EQ(CsvNumber(-0.0), "0");
  EXPECT_EQ(CsvNumber(std::numeric_limits<double>::quiet_NaN()), "NaN");
  EXPECT_EQ(CsvNumber(std::numeric_limits<double>::infinity()), "Inf");
  EXPECT_EQ(CsvNumber(-std::numeric_limits<double>::infinity()), "-Inf");
}

TEST(SummaryCsvTest, RowsLeaveFieldsThatDoNotApplyEmpty) {
  EXPECT_EQ(SummaryLine({"matrices", 0, "Total", {}, 6.0, {}}), "matrices,,Total,,6,");
  EXPECT_EQ(SummaryLine({"p_value", 2, "combination 2", 0.5, 0.25, 0.125}),
            "p_value,2,combination 2,0.5,0.25,0.125");
}

TEST(SummaryCsvTest, FileHasTheHeaderThenOneLinePerRow) {
  ScopedTempDir dir;
  ASSERT_TRUE(WriteSummaryFile("s.csv", {{"mean", 1, "x, y", {}, 2.5, 0.1}}).ok());
  EXPECT_EQ(ReadLines("s.csv"),
            (std::vector<std::string>{std::string(kSummaryHeader), "mean,1,\"x, y\",,2.5,0.1"}));
  const Status failed = WriteSummaryFile("no/such/dir/s.csv", {});
  EXPECT_FALSE(failed.ok());
  EXPECT_NE(failed.message().find("no/such/dir/s.csv"), std::string::npos);
}

TEST(SummaryCsvTest, OptionIsTakenOutOfTheCommandLine) {
  struct Case {
    std::vector<const char*> argv;
    std::vector<std::string> rest;
    std::string file;
  };
  const Case cases[] = {
      {{"prog", "proj", "--batch"}, {"prog", "proj", "--batch"}, ""},
      {{"prog", "--summary=a.csv", "proj", "--batch"}, {"prog", "proj", "--batch"}, "a.csv"},
      {{"prog", "proj", "--summary=a.csv", "--summary=b.csv"}, {"prog", "proj"}, "b.csv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<const char*> rest;
    std::string file;
    ASSERT_TRUE(
        ExtractSummaryOption(static_cast<int>(c.argv.size()), c.argv.data(), rest, file).ok());
    EXPECT_EQ(std::vector<std::string>(rest.begin(), rest.end()), c.rest);
    EXPECT_EQ(file, c.file);
  }
  const char* without_name[] = {"prog", "proj", "--summary="};
  std::vector<const char*> rest;
  std::string file;
  EXPECT_FALSE(ExtractSummaryOption(3, without_name, rest, file).ok());
}

}  // namespace
}  // namespace kivo
