#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "sim/kivos_form.h"
#include "sim/kivosimlib.h"
#include "sim/simul.h"
#include "tests/support/fake_env.h"
#include "tests/support/matrix_enumeration.h"

namespace kivo::sim {
namespace {

// The window as the sampler sees it: counts the calls and, from a script, sets
// the run's interrupted flag as a stop click would.
class RecordingWindow : public SimulationWindow {
 public:
  explicit RecordingWindow(RunStatus& status) : status_(status) {}
  void ProcessThem() override {
    ++process_calls;
    if (interrupt_when && interrupt_when()) status_.interrupted = true;
  }
  void ShowCounts(std::uint64_t attempts, std::int32_t matrices) override {
    shown.push_back({attempts, matrices});
  }
  void HidePrelimLabel() override { ++hide_calls; }

  std::function<bool()> interrupt_when;
  int process_calls = 0;
  int hide_calls = 0;
  struct Shown {
    std::uint64_t attempts;
    std::int32_t matrices;
  };
  std::vector<Shown> shown;

 private:
  RunStatus& status_;
};

struct Fixture {
  FakeEnv env;
  SimRun run{env};
  std::unique_ptr<SamplerRun> sampler = std::make_unique<SamplerRun>();
  RecordingWindow window{run.status};

  Fixture(int mode, const std::vector<int>& rows, const std::vector<int>& cols, int n,
          int version = 1) {
    ProjectInput& in = run.input;
    in.matrix_mode = static_cast<MatrixMode>(mode);
    in.f = static_cast<int>(rows.size());
    in.g = cols.empty() ? in.f : static_cast<int>(cols.size());
    for (int i = 1; i <= in.f; ++i) in.row_totals[i] = static_cast<std::uint8_t>(rows[i - 1]);
    for (int j = 1; j <= in.g; ++j) {
      in.column_totals[j] = static_cast<std::uint8_t>(cols.empty() ? rows[j - 1] : cols[j - 1]);
    }
    if (mode % 100 >= 12) {
      for (int i = 1; i <= in.f; ++i) SetCell(in.structural_zeros, i, i, 1);
    }
    in.simulations = n;
    in.version = static_cast<std::uint8_t>(version);
    run.project_name = "p";
    run.seed = 17;
    EXPECT_TRUE(run.log.Create("p.out").ok());
  }

  void ListAll() {
    run.input.write_all = true;
    run.input.prn_open = true;
    run.input.prn_file_name = "p.prn";
    ASSERT_TRUE(run.listing.Create("p.prn").ok());
  }

  Status Run() {
    Status s = RunSimulations(run, window, *sampler);
    EXPECT_TRUE(run.log.Close().ok());
    if (run.listing.is_open()) {
      EXPECT_TRUE(run.listing.Close().ok());
    }
    return s;
  }
};

std::vector<std::string> Between(const std::vector<std::string>& lines, const std::string& first,
                                 std::size_t count) {
  auto at = std::find(lines.begin(), lines.end(), first);
  if (at == lines.end()) return {};
  const auto last = lines.end() - at < static_cast<std::ptrdiff_t>(count)
                        ? lines.end()
                        : at + static_cast<std::ptrdiff_t>(count);
  return std::vector<std::string>(at, last);
}

TEST(RunSimulationsTest, DrawsTheRequestedMatricesWithNormalisation) {
  ScopedTempDir dir;
  Fixture t(1, {2, 1, 2, 1}, {1, 2, 2, 1}, 50);
  ASSERT_TRUE(t.Run().ok());
  EXPECT_EQ(t.run.status.stop_message, "");
  EXPECT_FALSE(t.run.status.had_to_stop);
  EXPECT_EQ(t.run.matrices, 50);
  EXPECT_GE(t.run.attempts, 50u);
  EXPECT_EQ(t.window.hide_calls, 1);
  EXPECT_GT(t.sampler->k, 0.0);
  EXPECT_GT(t.sampler->sums.sw, 0.0);
  // Below 100 matrices the counters are shown after every one.
  int after_matrix = 0;
  for (const auto& s : t.window.shown) after_matrix += s.matrices > 0 ? 1 : 0;
  EXPECT_GE(after_matrix, 50);
  EXPECT_EQ(ReadLines("p.out"), (std::vector<std::string>{"Random number generator initialized at "
                                                          "17 (seed given on the command line)."}));
}

TEST(RunSimulationsTest, WeightsOfForcedAndHalfProbabilityProblemsAreOne) {
  struct Case {
    const char* name;
    std::vector<int> rows, cols;
    double k;
  };
  const Case cases[] = {
      {"every cell forced", {3, 3}, {2, 2, 2}, 1.0},
      {"2 x 2 with p = 0.5", {1, 1}, {1, 1}, 2.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    Fixture t(1, c.rows, c.cols, 40);
    ASSERT_TRUE(t.Run().ok());
    EXPECT_EQ(t.run.matrices, 40);
    EXPECT_EQ(t.run.attempts, 40u);
    EXPECT_DOUBLE_EQ(t.sampler->k, c.k);
    EXPECT_DOUBLE_EQ(t.sampler->sums.sw, 40.0);
    EXPECT_DOUBLE_EQ(t.sampler->sums.sw2, 40.0);
  }
}

TEST(RunSimulationsTest, RefusedProblems) {
  struct Case {
    const char* name;
    int mode;
    std::vector<int> rows, cols;
    int mutuals;
    int numl;
    const char* message;
  };
  const Case cases[] = {
      {"mode", 7, {1, 1}, {1, 1}, 0, 0, "Mode 7 not implemented."},
      {"sums", 1, {1, 2}, {1, 1}, 0, 0, "Rows and columns do not have the same sum."},
      {"all zero", 1, {0, 0}, {0, 0}, 0, 0, "All column sums are zero. trivial result!"},
      {"odd degrees", 13, {1, 1, 1}, {}, 0, 0, "Degree sum of a graph should be even!"},
      {"negative M", 15, {1, 1, 1}, {1, 1, 1}, -1, 0, "Prescribed number of mutuals is negative."},
      {"M too large",
       15,
       {1, 1, 1},
       {1, 1, 1},
       2,
       0,
       "Twice the prescribed number of mutuals is larger than number of ones."},
      {"numl",
       12,
       {1, 1, 1},
       {1, 1, 1},
       0,
       19,
       "Number of linear combinations of triad counts greater than constant numlmax."},
      {"row", 12, {3, 0, 0}, {1, 1, 1}, 0, 0, "A row total is impossible."},
      {"no matrix",
       1,
       {2, 0, 0},
       {2, 0},
       0,
       0,
       "There is no adjacency matrix subject to these restrictions."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    Fixture t(c.mode, c.rows, c.cols, 10);
    t.run.input.mutuals = c.mutuals;
    t.run.input.numl = c.numl;
    ASSERT_TRUE(t.Run().ok());
    EXPECT_EQ(t.run.status.stop_message, c.message);
    EXPECT_TRUE(t.run.status.had_to_stop);
    EXPECT_EQ(t.run.matrices, 0);
  }
  ScopedTempDir dir;
  Fixture big(1, {1, 1}, {1, 1}, 10);
  big.run.input.f = 201;
  big.run.input.g = 201;
  ASSERT_TRUE(big.Run().ok());
  EXPECT_EQ(big.run.status.stop_message, "Number of columns g greater than maximum gmax.");
}

TEST(RunSimulationsTest, StopDuringNormalisationEndsWithoutResults) {
  for (int at_call : {1, 3, 8}) {
    SCOPED_TRACE(at_call);
    ScopedTempDir dir;
    Fixture t(12, {2, 1, 2, 1, 2}, {1, 2, 2, 2, 1}, 30);
    t.window.interrupt_when = [&t, at_call] { return t.window.process_calls == at_call; };
    ASSERT_TRUE(t.Run().ok());
    EXPECT_EQ(t.run.status.stop_message, "Program interrupted by user.");
    EXPECT_TRUE(t.run.status.had_to_stop);
    EXPECT_EQ(t.window.hide_calls, 0);
    EXPECT_DOUBLE_EQ(t.sampler->sums.sw, 0.0);
  }
}

// Three vertices with one tie out and one in each cannot have a mutual dyad,
// yet nothing in the setup shows it: every attempt fails, and only a stop
// (a click, or a signal delivered as a close) ends the run.
TEST(RunSimulationsTest, DrawThatNeverSucceedsEndsOnAStop) {
  ScopedTempDir dir;
  Fixture t(15, {1, 1, 1}, {1, 1, 1}, 10);
  t.run.input.mutuals = 1;
  t.window.interrupt_when = [&t] { return t.window.process_calls == 2000; };
  ASSERT_TRUE(t.Run().ok());
  EXPECT_EQ(t.run.status.stop_message, "Program interrupted by user.");
  EXPECT_TRUE(t.run.status.had_to_stop);
  EXPECT_EQ(t.run.attempts, 1998u);  // the first call comes before the first attempt
  // The attempt counter kept moving in the window.
  ASSERT_GT(t.window.shown.size(), 100u);
  EXPECT_EQ(t.window.shown.back().attempts, 1990u);
}

TEST(RunSimulationsTest, StopDuringMainRunKeepsTheMatricesDrawn) {
  ScopedTempDir dir;
  Fixture t(12, {2, 1, 2, 1, 2}, {1, 2, 2, 2, 1}, 30);
  t.window.interrupt_when = [&t] { return t.window.hide_calls == 1 && t.run.matrices == 7; };
  ASSERT_TRUE(t.Run().ok());
  EXPECT_EQ(t.run.status.stop_message, "");
  EXPECT_FALSE(t.run.status.had_to_stop);
  EXPECT_TRUE(t.run.status.interrupted);
  EXPECT_EQ(t.run.matrices, 7);
  EXPECT_EQ(t.run.input.simulations, 7);
}

TEST(RunSimulationsTest, ListingRecordsOfADigraphWithFixedMutuals) {
  ScopedTempDir dir;
  Fixture t(15, {2, 2, 1, 2}, {2, 1, 2, 2}, 3);
  t.run.input.mutuals = 2;
  t.ListAll();
  ASSERT_TRUE(t.Run().ok());
  const std::vector<std::string> lines = ReadLines("p.prn");
  EXPECT_EQ(Between(lines, "Following each matrix are the following function values:", 9),
            (std::vector<std::string>{
                "Following each matrix are the following function values:",
                " 1. " + StatisticLabel(t.sampler->statistics, 1, t.sampler->mutual_offset, false),
                " 2. 100 * #trans / (#trans + #intrans)", " 3. Arc indicator from 1 to 2", "",
                "After this follows a constant divided by the probability",
                "for obtaining this matrix.", "For unbiased estimation, weights must be used",
                "that are proportional to these numbers."}));
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    const std::vector<std::string> record = Between(lines, std::to_string(n) + ".", 6);
    ASSERT_EQ(record.size(), 6u);
    int mutual_marks = 0;
    for (int i = 1; i <= 4; ++i) {
      const std::string& row = record[static_cast<std::size_t>(i)];
      ASSERT_EQ(row.size(), 4u);
      EXPECT_EQ(row[static_cast<std::size_t>(i - 1)], 'X');
      mutual_marks += static_cast<int>(std::count(row.begin(), row.end(), 'M'));
    }
    EXPECT_EQ(mutual_marks, 4);  // two mutual dyads, each shown in both rows
    // "@", three values as R 6.2 after a blank, the weight as R 15.8.
    const std::string& values = record[5];
    ASSERT_EQ(values.size(), 1u + 3 * 7 + 15);
    EXPECT_EQ(values.substr(0, 2), "@ ");
    EXPECT_EQ(values.substr(values.size() - 9, 1), ".");
  }
}

TEST(RunSimulationsTest, ListedValuesWrapAfterEveryTwelfth) {
  ScopedTempDir dir;
  Fixture t(1, {5, 4, 6}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 2, 2);
  t.ListAll();
  ASSERT_TRUE(t.Run().ok());
  ASSERT_EQ(t.sampler->numf, 15);
  const std::vector<std::string> record = Between(ReadLines("p.prn"), "1.", 6);
  ASSERT_EQ(record.size(), 6u);
  EXPECT_EQ(record[4].size(), 1u + 12 * 7);
  EXPECT_EQ(record[4][0], '@');
  // The continuation starts with a blank in place of "@"; the weight ends it.
  EXPECT_EQ(record[5].size(), 1u + 3 * 7 + 15);
  EXPECT_EQ(record[5].substr(0, 2), "  ");
}

TEST(RunSimulationsTest, DiskGuardStopsTheListingAtTheThousandthMatrix) {
  struct Case {
    std::uint64_t free_bytes;
    std::uint64_t total_bytes;  // 0: the size of the drive is unknown
    bool stopped;
  };
  const Case cases[] = {{4, 100, true}, {5, 100, false}, {0, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.free_bytes << " of " << c.total_bytes);
    ScopedTempDir dir;
    Fixture t(1, {1, 1}, {1, 1}, 1002);
    t.env.drive_space = {c.free_bytes, c.total_bytes};
    t.ListAll();
    ASSERT_TRUE(t.Run().ok());
    EXPECT_EQ(t.run.matrices, 1002);
    const std::vector<std::string> lines = ReadLines("p.prn");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "999."), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "1000."), c.stopped ? 0 : 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "1001."), c.stopped ? 0 : 1);
    EXPECT_EQ(t.run.input.write_all, !c.stopped);
    const std::vector<std::string> log = ReadLines("p.out");
    if (c.stopped) {
      EXPECT_EQ(
          Between(log, "You are writing all matrices to disk on the file p.prn, ", 5),
          (std::vector<std::string>{
              "You are writing all matrices to disk on the file p.prn, ",
              "but of the entire disk space only 0.04 is free", "after writing 1000 matrices.",
              "In order to avoid filling up your entire disk space, writing file p.prn is "
              "terminated."}));
    } else {
      EXPECT_EQ(log.size(), 1u);
    }
  }
}

TEST(RunSimulationsTest, IntermediateResultsFileWithFiveStatistics) {
  ScopedTempDir dir;
  Fixture t(1, {2, 3, 1}, {1, 1, 2, 1, 1}, 4, 2);
  ASSERT_TRUE(t.Run().ok());
  EXPECT_TRUE(t.run.intermediate_mode);
  EXPECT_EQ(t.sampler->numf, 5);
  const std::vector<std::string> log = ReadLines("p.out");
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1], "(Number of statistics evaluated is larger than constant Numfmax.");
  EXPECT_EQ(log[2], "Therefore, intermediate results will be written to file p.pqr).");
  const std::vector<std::string> pqr = ReadLines("p.pqr");
  ASSERT_EQ(pqr.size(), 8u + 4 * 2);
  EXPECT_EQ(pqr[0], "5");
  EXPECT_EQ(pqr[1], "100 * Eigenvector power index of column   1 (rounded to integer)");
  EXPECT_EQ(pqr[6], "");
  EXPECT_EQ(pqr[7], "@");
  for (int r = 0; r < 4; ++r) {
    const std::string& weight = pqr[static_cast<std::size_t>(8 + 2 * r)];
    const std::string& values = pqr[static_cast<std::size_t>(9 + 2 * r)];
    EXPECT_EQ(weight.size(), 13u);
    EXPECT_EQ(weight.back(), ' ');
    EXPECT_EQ(values.size(), 30u);
  }
  // The per-statistic sums stay empty; the weights are still summed.
  EXPECT_GT(t.sampler->sums.sw, 0.0);
  EXPECT_EQ(t.sampler->sums.statistic[1].p[1], 0.0);
}

TEST(RunSimulationsTest, SameSeedGivesTheSameFiles) {
  std::vector<std::string> outputs[2];
  for (int run = 0; run < 2; ++run) {
    ScopedTempDir dir;
    Fixture t(12, {3, 1, 2, 4, 0, 2}, {2, 2, 3, 2, 1, 2}, 25, 2);
    t.ListAll();
    ASSERT_TRUE(t.Run().ok());
    for (const char* name : {"p.out", "p.prn", "p.pqr"}) {
      for (const std::string& line : ReadLines(name)) outputs[run].push_back(line);
    }
  }
  EXPECT_GT(outputs[0].size(), 100u);
  EXPECT_EQ(outputs[0], outputs[1]);
}

TEST(RunSimulationsTest, ReorderedDigraphIsLoggedAndListed) {
  ScopedTempDir dir;
  Fixture t(12, {2, 2, 4, 0, 2}, {2, 2, 2, 2, 2}, 2);
  t.ListAll();
  ASSERT_TRUE(t.Run().ok());
  EXPECT_TRUE(t.sampler->reordering.reordered);
  EXPECT_EQ(t.sampler->reordering.r1, 3);
  EXPECT_EQ(t.sampler->reordering.r2, 4);
  EXPECT_EQ(t.run.input.row_totals[1], 4);
  EXPECT_EQ(t.run.input.row_totals[2], 0);
  const std::vector<std::string> log = ReadLines("p.out");
  EXPECT_EQ(log[0], "For efficiency purposes, rows and columns are similarly reordered.");
  const std::vector<std::string> prn = ReadLines("p.prn");
  EXPECT_EQ(Between(prn, "The vertex numbers for the statistics refer to the numbers in the", 3),
            (std::vector<std::string>{
                "The vertex numbers for the statistics refer to the numbers in the",
                "original order; consult the main output file for the reordering.",
                "The original vertex 1 now is 3; the original vertex 2 now is 4."}));
  EXPECT_EQ(StatisticLabel(t.sampler->statistics, 3, 0, false),
            "Arc indicator from 1 to 2 (for original vertex order)");
}

// The simulated matrices are evaluated without the connected-only flag, so
// statistic 1 of an undirected graph is the connectivity indicator; every
// label printed over those values must say so, whatever field 7 asked for.
TEST(RunSimulationsTest, LabelsDescribeTheSimulatedValues) {
  struct Case {
    const char* name;
    int mode;
    bool connectivity;
    const char* label;
    bool offset;
  };
  const Case cases[] = {
      {"graph asking for connected graphs", 13, true, "Connectivity (yes = 1, no = 0)", false},
      {"graph", 13, false, "Connectivity (yes = 1, no = 0)", false},
      {"digraph", 12, true, "Number of mutual dyads", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    Fixture t(c.mode, {2, 2, 2, 2, 2, 2}, {}, 20);
    t.run.input.connectivity = c.connectivity;
    t.ListAll();
    ASSERT_TRUE(t.Run().ok());
    const ReportedStatistic& first = t.sampler->reported[0];
    EXPECT_EQ(first.label, c.label);
    EXPECT_EQ(first.offset, c.offset ? t.sampler->mutual_offset : 0);
    const std::vector<std::string> prn = ReadLines("p.prn");
    EXPECT_EQ(std::count(prn.begin(), prn.end(),
                         " 1. " + StatisticLabel(t.sampler->statistics, 1, t.sampler->mutual_offset,
                                                 false)),
              1);
    EXPECT_EQ(std::count(prn.begin(), prn.end(), std::string(" 1. ") + c.label), 1);
    if (c.mode == 13) {
      // The values summed are indicators: every matrix adds w to value 0 or 1.
      const StatisticSums& sums = t.sampler->sums.statistic[1];
      EXPECT_DOUBLE_EQ(sums.p[2] + sums.p[3], t.sampler->sums.sw);
    }
  }
}

TEST(RunSimulationsTest, UnwritableListingIsAnInputOutputError) {
  ScopedTempDir dir;
  Fixture t(1, {1, 1}, {1, 1}, 2000);
  t.run.input.write_all = true;
  t.run.input.prn_open = true;
  t.run.input.prn_file_name = "/dev/full";
  ASSERT_TRUE(t.run.listing.Create("/dev/full").ok());
  const Status s = RunSimulations(t.run, t.window, *t.sampler);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message().find("/dev/full"), std::string::npos) << s.message();
  EXPECT_LT(t.run.matrices, 2000);
  t.run.listing.Close();
  EXPECT_TRUE(t.run.log.Close().ok());
}

}  // namespace
}  // namespace kivo::sim
