#include "sim/simplus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runfiles/format.h"
#include "tests/support/fake_env.h"

namespace kivo::sim {
namespace {

using Lines = std::vector<std::string>;

struct Record {
  double w;
  std::vector<int> values;
};

// A file as the sampler writes it: the count, the labels, an empty line and
// "@", then per record the weight as R 12.6 and a blank on a line, and the
// values as I 5 and a blank, 10 to a line.
std::string PqrText(const std::vector<std::string>& labels, const std::vector<Record>& records) {
  std::string text = std::to_string(labels.size()) + "\n";
  for (const std::string& label : labels) text += label + "\n";
  text += "\n@\n";
  for (const Record& r : records) {
    text += Real(r.w, 12, 6) + " \n";
    for (std::size_t k = 0; k < r.values.size(); ++k) {
      text += Int(r.values[k], 5) + " ";
      if (k % 10 == 9 || k + 1 == r.values.size()) text += "\n";
    }
  }
  return text;
}

class IntermediateTest : public testing::Test {
 protected:
  // Processes p.pqr into a fresh log; returns the log's lines.
  Lines Process(Status* status_out = nullptr) {
    TextWriter log;
    EXPECT_TRUE(log.Create("p.out").ok());
    const Status status = ProcessIntermediateResults("p", log, env_);
    EXPECT_TRUE(log.Close().ok());
    if (status_out != nullptr) {
      *status_out = status;
    } else {
      EXPECT_TRUE(status.ok()) << status.message();
    }
    return ReadLines("p.out");
  }

  ScopedTempDir dir_;
  FakeEnv env_;
};

TEST_F(IntermediateTest, FiveStatisticsAreReportedInFileOrderWithTheWeightWarning) {
  std::vector<Record> records;
  for (int i = 0; i < 1000; ++i) {
    // Statistic 1 is i mod 5; statistic 3 is always 37; weights 50 ten times.
    records.push_back({i % 100 == 0 ? 50.0 : 1.0, {i % 5, i % 2, 37, i % 3, (i / 10) % 7}});
  }
  WriteFile("p.pqr", PqrText({"A", "B", "C", "D", "E"}, records));
  const Lines lines = Process();
  ASSERT_GT(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Results from file p.pqr are processed.");
  EXPECT_EQ(lines[1].substr(0, 45), "The standard deviation of 1/probabilities is ");
  EXPECT_EQ(lines[5], "");
  std::vector<std::string> titles;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i - 1] == "@3") titles.push_back(lines[i]);
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"A", "B", "C", "D", "E"}));

  // Statistic 3 is constant: its section ends with the standard deviation.
  const auto c = std::find(lines.begin(), lines.end(), "C");
  ASSERT_NE(c, lines.end());
  const Lines section_c(c + 1, c + 6);
  const Lines expected_c = {
      "", "Estimated mean                37.0000     (standard error   0.0000 )",
      "Estimated variance             0.0000", "Estimated standard deviation   0.0000", ""};
  EXPECT_EQ(section_c, expected_c);
  EXPECT_EQ(*(c + 6), "@3");
}

TEST_F(IntermediateTest, SectionWithChartAndBothTables) {
  WriteFile("p.pqr", PqrText({"S"}, {{1.0, {1}}, {1.0, {2}}, {1.0, {2}}, {1.0, {3}}}));
  const Lines lines = Process();
  const Lines expected_tail = {
      "Minimum value found 1; maximum 3 .",
      "",
      "Estimated cumulative ( <= ) probabilities with standard errors.",
      "    1      2      3",
      "  0.2500  0.7500  1.0000",
      "  0.2500  0.2500  0.0000",
      "",
      "",
      "",
      "Estimated probabilities with standard errors.",
      "    1      2      3",
      "  0.2500  0.5000  0.2500",
      "  0.2500  0.2887  0.2500",
      "",
      "",
  };
  ASSERT_GT(lines.size(), expected_tail.size());
  EXPECT_EQ(Lines(lines.end() - static_cast<long>(expected_tail.size()), lines.end()),
            expected_tail);
  EXPECT_EQ(lines[5], "Estimated mean                 2.0000     (standard error   0.4082 )");
  EXPECT_EQ(lines[6], "Estimated variance             0.5000");
}

TEST_F(IntermediateTest, RecordCutShortAtTheEndIsNotCounted) {
  // Twelve values run over two lines; the last record stops in its second line.
  std::vector<int> values(12, 4);
  std::string text = PqrText(std::vector<std::string>(12, "S"), {{2.0, values}, {3.0, values}});
  text += "    7.000000 \n    4     4     4     4     4     4     4     4     4     4 \n    4";
  WriteFile("p.pqr", text);

  IntermediateFile file;
  ASSERT_TRUE(file.reader.Open("p.pqr").ok());
  IntermediatePass pass;
  ASSERT_TRUE(StartIntermediatePass(file, pass).ok());
  bool complete = true;
  int calls = 0;
  while (complete && calls < 10) {
    ASSERT_TRUE(ReadIntermediateRecord(file, 12, 12, pass, complete).ok());
    ++calls;
  }
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(pass.records, 2);
  EXPECT_EQ(pass.sw, 5.0);
  EXPECT_EQ(pass.sw2, 13.0);
  EXPECT_EQ(pass.sums.p[2 + 4], 5.0);
}

TEST_F(IntermediateTest, OneRecordGivesZeroEstimates) {
  WriteFile("p.pqr", PqrText({"S"}, {{3.5, {12}}}));
  const Lines expected = {
      "Results from file p.pqr are processed.",
      "",
      "@3",
      "S",
      "",
      "Estimated mean                 0.0000     (standard error   0.0000 )",
      "Estimated variance             0.0000",
      "Estimated standard deviation   0.0000",
  };
  EXPECT_EQ(Process(), expected);
}

TEST_F(IntermediateTest, ValuesOutsideTheTableAreFlaggedEvenWithNoneInIt) {
  WriteFile("p.pqr", PqrText({"S", "T"}, {{1.0, {-3, 150}}, {1.0, {-1, 420}}, {1.0, {-2, 999}}}));
  const Lines lines = Process();
  const Lines expected = {
      "Results from file p.pqr are processed.",
      "",
      "@3",
      "S",
      "",
      "Estimated mean                 0.0000     (standard error   0.0000 )",
      "Estimated variance             0.0000",
      "Estimated standard deviation   0.0000",
      "At least one function value was smaller than 0.",
      "All negative values were set to 0.",
      "",
      "@3",
      "T",
      "",
      "Estimated mean               523.0000     (standard error 250.4376 )",
      "Estimated variance           125438.0000",
      "Estimated standard deviation 354.1723",
      "At least one function value was larger than 100 .",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(IntermediateTest, MissingFileIsReportedInTheLog) {
  const Lines expected = {
      "File p.pqr cannot be found.",
      "The reason may be that a wrong directory is searched.",
      "Take care that temporary files are in the current directory.",
      "(In VANTOR, look in Options - Directories.)",
  };
  EXPECT_EQ(Process(), expected);
}

TEST_F(IntermediateTest, MalformedFilesAreErrorsNamingTheFileAndLine) {
  struct Case {
    const char* name;
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"empty", "", "p.pqr: the file is empty"},
      {"no count", "x\nS\n\n@\n", "p.pqr, line 1: expected the number of statistics (0 to 200)"},
      {"too many", "201\n", "p.pqr, line 1: expected the number of statistics (0 to 200)"},
      {"labels cut", "3\nA\nB\n",
       "p.pqr, line 3: the file ends within the labels of its statistics"},
      {"no @ line", "1\nS\n\n    1.000000 \n    3 \n",
       "p.pqr, line 5: the file ends without the line \"@\" that closes its head"},
      {"bad weight", "1\nS\n\n@\n   one \n    3 \n", "p.pqr, line 5: the weight is no number"},
      {"bad value", "1\nS\n\n@\n    1.000000 \n  3.5 \n", "p.pqr, line 6: value 1 is no integer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile("p.pqr", c.text);
    Status status;
    const Lines lines = Process(&status);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.message(), c.message);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Results from file p.pqr are processed.");
  }
}

}  // namespace
}  // namespace kivo::sim
