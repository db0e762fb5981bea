#include "sim/summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "sim/kivos_form.h"
#include "tests/support/fake_env.h"
#include "tests/support/scripted_window.h"
#include "tests/support/summary_reader.h"

namespace kivo::sim {
namespace {

// Runs project "p" from `in` and `data` with a fixed seed and a summary;
// returns the log lines.
std::vector<std::string> RunWithSummary(const std::string& in, const std::string& data) {
  WriteFile("p.in", in);
  WriteFile("p.dat", data);
  FakeEnv env;
  SimRun run(env);
  run.plain_arguments = {"p"};
  run.seed = 12345;
  run.summary_path = "p.csv";
  ScriptedWindow window(TKivoSimForm::Spec());
  TKivoSimForm form(run, window);
  form.Run();
  EXPECT_EQ(ExitStatus(run), 0) << run.io_status.message();
  return ReadLines("p.out");
}

// The 4-cycle 1 -> 2 -> 3 -> 4 -> 1: every vertex has one arc out and one in,
// so the matrices with its totals are the 9 derangements of 4 vertices.
constexpr char kCycleIn[] = "4\n4\n2\n0\n1\np.dat\n0\n0\n1\n3000\n2\n1\n";
constexpr char kCycleData[] = "0 1 0 0\n0 0 1 0\n0 0 0 1\n1 0 0 0\n";

TEST(SimulationSummaryTest, EstimatedNumberOfMatricesMatchesTheExactCount) {
  struct Case {
    const char* what;
    std::string in;
    std::string data;
    double exact;  // 0: no estimate expected (stub matching)
  };
  const Case cases[] = {
      {"3 x 3 permutation matrices", "3\n3\n1\n0\n0\np.dat\n0\n1\n3000\n", "1 1 1\n1 1 1\n", 6},
      {"derangements of 4", kCycleIn, kCycleData, 9},
      {"perfect matchings of 4 vertices", "4\n4\n3\n0\n0\np.dat\n0\n1\n3000\n0\n1\n", "1 1 1 1\n",
       3},
      {"6 x 6 with totals 3: 297200 matrices", "6\n6\n1\n0\n0\np.dat\n0\n1\n3000\n",
       "3 3 3 3 3 3\n", 297200},
      {"stub matching has no probabilities", "4\n4\n12\n0\n1\np.dat\n0\n0\n1\n100\n0\n1\n",
       kCycleData, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    RunWithSummary(c.in, c.data);
    std::string header;
    const std::vector<SummaryRecord> records = ReadSummary("p.csv", header);
    EXPECT_EQ(header, kSummaryHeader);
    const std::vector<SummaryRecord> count = Section(records, "matrices");
    const std::vector<SummaryRecord> log_count = Section(records, "log10_matrices");
    if (c.exact == 0) {
      EXPECT_TRUE(count.empty());
      EXPECT_TRUE(log_count.empty());
      continue;
    }
    ASSERT_EQ(count.size(), 1u);
    ASSERT_EQ(log_count.size(), 1u);
    const double estimate = count[0].estimate.value();
    const double error = count[0].standard_error.value();
    EXPECT_NEAR(estimate, c.exact, std::max(4 * error, 1e-9 * c.exact));
    EXPECT_LT(error, 0.1 * c.exact);
    EXPECT_NEAR(log_count[0].estimate.value(), std::log10(estimate), 1e-9);
  }
}

TEST(SimulationSummaryTest, EstimatesAgreeWithTheTextReport) {
  ScopedTempDir dir;
  // An 8-vertex digraph, its first two triad counts as combinations.
  const std::vector<std::string> log =
      RunWithSummary("8\n8\n2\n0\n1\np.dat\n0\n0\n1\n1000\n2\n1\n",
                     "0 1 1 0 0 0 0 0\n1 0 1 0 0 0 0 0\n0 0 0 1 0 0 0 0\n0 0 1 0 1 0 0 1\n"
                     "0 0 0 0 0 1 1 0\n0 0 0 0 1 0 0 0\n1 0 0 0 0 1 0 1\n0 0 0 1 0 0 1 0\n");
  std::string header;
  const std::vector<SummaryRecord> records = ReadSummary("p.csv", header);

  // Every "Estimated mean" line, in statistic order, with its standard error.
  const std::vector<SummaryRecord> means = Section(records, "mean");
  std::size_t j = 0;
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (!log[i].starts_with("Estimated mean ")) continue;
    ASSERT_LT(j, means.size());
    SCOPED_TRACE(log[i]);
    // "Estimated mean   <mean>     (standard error <se> )"
    EXPECT_NEAR(means[j].estimate.value(), NumbersAfter(log[i], 29).at(0), 5e-5);
    EXPECT_NEAR(means[j].standard_error.value(), NumbersAfter(log[i], 58).at(0), 5e-5);
    EXPECT_EQ(means[j].statistic, static_cast<int>(j) + 1);
    // The first cumulative block of this statistic, if it has one (a
    // statistic with a single value has none): labels, values, errors.
    const auto next = std::find_if(log.begin() + static_cast<std::ptrdiff_t>(i) + 1, log.end(),
                                   [](const std::string& l) { return l.starts_with("@"); });
    const auto table = std::find(log.begin() + static_cast<std::ptrdiff_t>(i), next,
                                 "Estimated cumulative ( <= ) probabilities with standard errors.");
    if (table != next && table + 3 < log.end()) {
      const std::vector<double> values = NumbersAfter(*(table + 1), 0);
      const std::vector<double> cumulative = NumbersAfter(*(table + 2), 0);
      const std::vector<double> errors = NumbersAfter(*(table + 3), 0);
      std::vector<SummaryRecord> rows;
      for (const SummaryRecord& r : Section(records, "cumulative")) {
        if (r.statistic == means[j].statistic) rows.push_back(r);
      }
      ASSERT_GE(rows.size(), values.size());
      for (std::size_t v = 0; v < values.size(); ++v) {
        EXPECT_EQ(rows[v].value.value(), values[v]);
        EXPECT_NEAR(rows[v].estimate.value(), cumulative.at(v), 5e-5);
        EXPECT_NEAR(rows[v].standard_error.value(), errors.at(v), 5e-5);
      }
    }
    ++j;
  }
  EXPECT_EQ(j, means.size());
  EXPECT_GT(j, 0u);

  // The p-values and their standard errors of the two combinations.
  const auto p_line = std::find_if(log.begin(), log.end(),
                                   [](const std::string& l) { return l.starts_with("p-values "); });
  ASSERT_NE(p_line, log.end());
  // Each block of values is followed by a line holding only its indent.
  ASSERT_LT(p_line + 2, log.end());
  const std::vector<double> p = NumbersAfter(*p_line, 16);
  const std::vector<double> p_errors = NumbersAfter(*(p_line + 2), 16);
  const std::vector<SummaryRecord> p_values = Section(records, "p_value");
  ASSERT_EQ(p_values.size(), 2u);
  ASSERT_EQ(p.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_NEAR(p_values[k].estimate.value(), p[k], 5e-4);
    EXPECT_NEAR(p_values[k].standard_error.value(), p_errors.at(k), 5e-4);
  }
  EXPECT_EQ(Section(records, "combination_mean").size(), 2u);
  EXPECT_EQ(Section(records, "covariance").size(), 4u);
}

TEST(SimulationSummaryTest, NoSummaryWithoutResults) {
  ScopedTempDir dir;
  WriteFile("p.in", "3\n3\n1\n0\n0\np.dat\n0\n1\n0\n");
  WriteFile("p.dat", "1 1 1\n1 1 1\n");
  FakeEnv env;
  SimRun run(env);
  run.plain_arguments = {"p"};
  run.summary_path = "p.csv";
  ScriptedWindow window(TKivoSimForm::Spec());
  TKivoSimForm form(run, window);
  form.Run();
  EXPECT_FALSE(std::filesystem::exists("p.csv"));
}

}  // namespace
}  // namespace kivo::sim
