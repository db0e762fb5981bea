#include "enum/summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "enum/kivoe_form.h"
#include "tests/support/fake_env.h"
#include "tests/support/scripted_window.h"
#include "tests/support/summary_reader.h"

namespace kivo::enumeration {
namespace {

TEST(EnumerationSummaryTest, ExactDistributionAgreesWithTheTextReport) {
  ScopedTempDir dir;
  // Digraphs on 4 vertices with out- and in-degrees 1 1 2 2 / 2 2 1 1.
  WriteFile("p.in", "4\n4\n2\n0\n0\nm.txt\n0\n0\n2\n");
  WriteFile("m.txt", "1 1 2 2\n2 2 1 1\n");
  FakeEnv env;
  const auto run = std::make_unique<EnumRun>(env);
  run->plain_arguments = {"p"};
  ScriptedWindow window(TKivoForm::Spec());
  {
    TKivoForm form(*run, window);
    form.Run();
  }
  ASSERT_TRUE(run->reported);
  ASSERT_TRUE(WriteEnumerationSummary("p.csv", *run).ok());
  const std::vector<std::string> log = ReadLines("p.out");
  std::string header;
  const std::vector<SummaryRecord> records = ReadSummary("p.csv", header);
  EXPECT_EQ(header, kSummaryHeader);

  const auto total_line = std::find_if(log.begin(), log.end(), [](const std::string& l) {
    return l.starts_with("Total number of matrices found  ");
  });
  ASSERT_NE(total_line, log.end());
  const std::vector<SummaryRecord> total = Section(records, "matrices");
  ASSERT_EQ(total.size(), 1u);
  EXPECT_EQ(total[0].estimate.value(), NumbersAfter(*total_line, 32).at(0));
  EXPECT_GT(total[0].estimate.value(), 1);

  // Per statistic: mean and variance lines, then the table of outcomes.
  const std::vector<SummaryRecord> means = Section(records, "mean");
  const std::vector<SummaryRecord> variances = Section(records, "variance");
  const std::vector<SummaryRecord> counts = Section(records, "count");
  ASSERT_EQ(means.size(), static_cast<std::size_t>(run->input.statistics.numf));
  ASSERT_EQ(variances.size(), means.size());
  std::size_t k = 0;
  for (auto line = log.begin(); line != log.end(); ++line) {
    if (!line->starts_with("Mean               ")) continue;
    ASSERT_LT(k, means.size());
    SCOPED_TRACE(*line);
    EXPECT_NEAR(means[k].estimate.value(), NumbersAfter(*line, 19).at(0), 5e-5);
    EXPECT_NEAR(variances[k].estimate.value(), NumbersAfter(*(line + 1), 19).at(0), 5e-5);
    EXPECT_FALSE(means[k].standard_error.has_value());
    const int statistic = static_cast<int>(k) + 1;
    std::vector<SummaryRecord> rows;
    for (const SummaryRecord& r : counts) {
      if (r.statistic == statistic && r.estimate.value() > 0.5) rows.push_back(r);
    }
    auto table = std::find(line, log.end(), "Outcome        Number of matrices");
    ASSERT_NE(table, log.end());
    for (const SummaryRecord& r : rows) {
      ++table;
      ASSERT_NE(table, log.end());
      const std::vector<double> outcome = NumbersAfter(*table, 0);
      ASSERT_EQ(outcome.size(), 2u);
      EXPECT_EQ(r.value.value(), outcome[0]);
      EXPECT_EQ(r.estimate.value(), outcome[1]);
    }
    // The distribution sums to one and its cumulative row ends at one.
    double sum = 0;
    for (const SummaryRecord& r : Section(records, "probability")) {
      if (r.statistic == statistic) sum += r.estimate.value();
    }
    EXPECT_NEAR(sum, 1.0, 1e-12);
    std::vector<SummaryRecord> cumulative;
    for (const SummaryRecord& r : Section(records, "cumulative")) {
      if (r.statistic == statistic) cumulative.push_back(r);
    }
    ASSERT_FALSE(cumulative.empty());
    EXPECT_EQ(cumulative.back().estimate.value(), 1.0);
    ++k;
  }
  EXPECT_EQ(k, means.size());
}

}  // namespace
}  // namespace kivo::enumeration
