#include "tamsel/p1_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/tamsel/tamsel_fixture.h"

namespace kivo::tamsel {
namespace {

using testing::Matrix;

// Ties 1->2, 1->3, 2->1, 2->4, 3->2, 3->4, 3->5, 4->3, 4->5, 5->1: two
// mutual dyads, 10 ties.
const Matrix kFiveActors = {
    {0, 1, 1, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 1, 1}, {0, 0, 1, 0, 1}, {1, 0, 0, 0, 0}};

std::vector<std::uint8_t> Ties(const Matrix& m) {
  std::vector<std::uint8_t> ties;
  for (const auto& row : m) {
    for (const std::int32_t v : row) ties.push_back(v > 0 ? 1 : 0);
  }
  return ties;
}

// A directed network with the given percentage of linked pairs, a third of
// them mutual, and a ring 1 -> 2 -> ... -> n -> 1 so that every actor sends
// and receives.
Matrix RandomNetwork(int n, int percent, unsigned seed) {
  std::mt19937 random(seed);
  Matrix m(static_cast<std::size_t>(n), std::vector<std::int32_t>(static_cast<std::size_t>(n), 0));
  for (std::size_t i = 0; i < m.size(); ++i) {
    for (std::size_t j = i + 1; j < m.size(); ++j) {
      if (static_cast<int>(random() % 100) >= percent) continue;
      const auto kind = random() % 3;
      if (kind != 2) m[i][j] = 1;
      if (kind != 1) m[j][i] = 1;
    }
    m[i][(i + 1) % m.size()] = 1;
  }
  return m;
}

std::vector<std::string> DovelLines(const DataDescription& data) {
  return testing::ReportLines([&](TextWriter& report) { ReportDovelSection(data, report); });
}

TEST(P1ModelTest, FiveActorExampleReport) {
  DataDescription data = testing::MakeNetworks({kFiveActors});
  const std::vector<std::string> lines =
      testing::ReportLines([&](TextWriter& report) { EstimateP1(data, 1, report); });
  const std::vector<std::string> expected = {
      "",
      "@2",
      "P1 model",
      "--------",
      "",
      "Estimation of p1 model for network 1: net1.dat",
      "",
      "",
      "@3",
      "Parameter estimates",
      "",
      "",
      "  Actor     Alpha      Beta       Rho     Theta",
      " -----------------------------------------------",
      "      1     0.000     0.000    -1.212     0.606",
      "      2     0.000     0.000",
      "      3     1.346     0.635",
      "      4     0.000     0.000",
      "      5    -1.346    -0.635",
      "",
      "",
      "@3",
      "Model fit and expected values",
      "",
      "",
      "G^2 statistic       24.82",
      "Degrees of freedom      8",
      "",
      "",
      "Expected values.",
      "",
      "           1      2      3      4      5",
      "",
      "  1    0.000  0.500  0.571  0.500  0.429",
      "  2    0.500  0.000  0.571  0.500  0.429",
      "  3    0.762  0.762  0.000  0.762  0.713",
      "  4    0.500  0.500  0.571  0.000  0.429",
      "  5    0.238  0.238  0.287  0.238  0.000",
      "",
  };
  EXPECT_EQ(lines, expected);

  const P1Fit fit = FitP1(Ties(kFiveActors), 5);
  EXPECT_EQ(fit.outcome, P1Outcome::kEstimated);
  EXPECT_GT(fit.iterations, 50);
  EXPECT_LT(fit.iterations, 200);
}

// The fit's defining property, checked from the fitted probabilities alone:
// expected out-degrees, in-degrees, tie count and mutual-dyad count equal
// the observed ones, every dyad's four probabilities sum to 1, and the
// probabilities have the p1 form ln(A(i,j)/N(i,j)) = theta + alpha_i + beta_j
// and ln(M N / (A(i,j) A(j,i))) = rho with the reported parameters.
TEST(P1ModelTest, FitReproducesObservedMarginsAndHasModelForm) {
  struct Case {
    int n;
    int percent;
    unsigned seed;
  };
  const Case cases[] = {{5, 60, 1}, {8, 40, 2}, {12, 30, 3}, {25, 15, 4}, {40, 50, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE("n " + std::to_string(c.n) + " seed " + std::to_string(c.seed));
    const Matrix m = RandomNetwork(c.n, c.percent, c.seed);
    const P1Fit fit = FitP1(Ties(m), c.n);
    ASSERT_EQ(fit.outcome, P1Outcome::kEstimated);
    const auto at = [&](const std::vector<double>& v, int i, int j) { return v[fit.Cell(i, j)]; };
    double ties = 0.0, expected_ties = 0.0, mutual = 0.0, expected_mutual = 0.0;
    for (int i = 1; i <= c.n; ++i) {
      double out = 0.0, expected_out = 0.0, in = 0.0, expected_in = 0.0;
      for (int j = 1; j <= c.n; ++j) {
        if (i == j) continue;
        const auto ij = static_cast<std::size_t>(i - 1);
        const auto ji = static_cast<std::size_t>(j - 1);
        out += m[ij][ji];
        in += m[ji][ij];
        expected_out += at(fit.mutual, i, j) + at(fit.asymmetric, i, j);
        expected_in += at(fit.mutual, j, i) + at(fit.asymmetric, j, i);
        if (j > i) {
          mutual += m[ij][ji] * m[ji][ij];
          expected_mutual += at(fit.mutual, i, j);
        }
        EXPECT_NEAR(at(fit.mutual, i, j) + at(fit.asymmetric, i, j) + at(fit.asymmetric, j, i) +
                        at(fit.null_dyad, i, j),
                    1.0, 1e-12);
        const double alpha = fit.alpha[static_cast<std::size_t>(i)];
        const double beta = fit.beta[static_cast<std::size_t>(j)];
        EXPECT_NEAR(std::log(at(fit.asymmetric, i, j) / at(fit.null_dyad, i, j)),
                    fit.theta + alpha + beta, 1e-6);
        EXPECT_NEAR(std::log(at(fit.mutual, i, j) * at(fit.null_dyad, i, j) /
                             (at(fit.asymmetric, i, j) * at(fit.asymmetric, j, i))),
                    fit.rho, 1e-6);
      }
      ties += out;
      expected_ties += expected_out;
      EXPECT_NEAR(expected_out, out, 1e-2) << "actor " << i;
      EXPECT_NEAR(expected_in, in, 1e-2) << "actor " << i;
    }
    EXPECT_NEAR(expected_ties, ties, 1e-2);
    EXPECT_NEAR(expected_mutual, mutual, 1e-2);
    // The effects are centred on 0.
    double alpha_sum = 0.0, beta_sum = 0.0;
    for (int i = 1; i <= c.n; ++i) {
      alpha_sum += fit.alpha[static_cast<std::size_t>(i)];
      beta_sum += fit.beta[static_cast<std::size_t>(i)];
    }
    EXPECT_NEAR(alpha_sum, 0.0, 1e-9);
    EXPECT_NEAR(beta_sum, 0.0, 1e-9);
    EXPECT_EQ(fit.degrees_of_freedom, c.n * (c.n - 1) - (2 * c.n + 2));
  }
}

// Data on which the scalings would divide 0 by 0: one line in place of the
// estimates, never a "nan".
TEST(P1ModelTest, DegenerateNetworksGetOneLine) {
  struct Case {
    const char* name;
    Matrix network;
    P1Outcome outcome;
    const char* line;
  };
  const Case cases[] = {
      {"no ties", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, P1Outcome::kNoTies, "it has no ties."},
      {"all ties",
       {{0, 1, 1}, {1, 0, 1}, {1, 1, 0}},
       P1Outcome::kAllMutual,
       "every dyad is mutual."},
      {"no mutual dyad",
       {{0, 1, 1, 0}, {0, 0, 1, 1}, {0, 0, 0, 1}, {1, 0, 0, 0}},
       P1Outcome::kNoMutualDyad,
       "it has no mutual dyad."},
      {"every dyad mutual with a loop",
       {{1, 1, 1}, {1, 0, 1}, {1, 1, 0}},
       P1Outcome::kAllMutual,
       "every dyad is mutual."},
      {"one actor", {{1}}, P1Outcome::kNoTies, "it has no ties."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.network.size());
    EXPECT_EQ(FitP1(Ties(c.network), n).outcome, c.outcome);
    DataDescription data = testing::MakeNetworks({c.network});
    const std::vector<std::string> lines =
        testing::ReportLines([&](TextWriter& report) { EstimateP1(data, 1, report); });
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[5], "Estimation of p1 model for network 1: net1.dat");
    EXPECT_EQ(lines[7], std::string("No p1 estimates for this network: ") + c.line);
  }
}

TEST(P1ModelTest, IterationLimitEndsWithOneLine) {
  const P1Fit fit = FitP1(Ties(kFiveActors), 5, /*max_iterations=*/20);
  EXPECT_EQ(fit.outcome, P1Outcome::kNotConverged);
  EXPECT_EQ(fit.iterations, 20);
  const std::vector<std::string> lines =
      testing::ReportLines([&](TextWriter& report) { WriteP1Report(fit, report); });
  EXPECT_EQ(lines, std::vector<std::string>{
                       "No p1 estimates for this network: no convergence in 20 iterations."});
}

// An actor who sends no tie has no sending contrast with anyone: its alpha
// is printed as a dash, and the other actors are still estimated.
TEST(P1ModelTest, ActorWithoutOutgoingTiesHasUndefinedAlpha) {
  const Matrix m = {
      {0, 1, 1, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 1, 1}, {0, 0, 1, 0, 1}, {0, 0, 0, 0, 0}};
  const P1Fit fit = FitP1(Ties(m), 5);
  ASSERT_EQ(fit.outcome, P1Outcome::kEstimated);
  EXPECT_EQ(fit.alpha[5], kP1Undefined);
  EXPECT_NE(fit.alpha[3], kP1Undefined);
  DataDescription data = testing::MakeNetworks({m});
  const std::vector<std::string> lines =
      testing::ReportLines([&](TextWriter& report) { EstimateP1(data, 1, report); });
  EXPECT_EQ(lines[18].substr(0, 17), "      5       -  ");
  for (const std::string& line : lines) EXPECT_EQ(line.find("nan"), std::string::npos) << line;
}

TEST(P1ModelTest, TenActorsGiveOneFullBlockAndAnEmptyLastBlock) {
  const Matrix m = RandomNetwork(10, 50, 11);
  DataDescription data = testing::MakeNetworks({m});
  const std::vector<std::string> lines =
      testing::ReportLines([&](TextWriter& report) { EstimateP1(data, 1, report); });
  std::size_t at = 0;
  while (at < lines.size() && lines[at] != "Expected values.") ++at;
  ASSERT_LT(at + 2 + 12 + 12, lines.size() + 1);
  EXPECT_EQ(lines[at - 3], "Degrees of freedom     68");
  EXPECT_EQ(lines[at + 2], "     " + std::string("      1      2      3      4      5") +
                               "      6      7      8      9     10");
  EXPECT_EQ(lines[at + 4].size(), 5u + 70u);
  EXPECT_EQ(lines[at + 4].substr(0, 12), "  1    0.000");
  // The last block: five blanks, an empty line, then row numbers only.
  const std::vector<std::string> last_block(lines.begin() + static_cast<long>(at) + 15,
                                            lines.end());
  const std::vector<std::string> expected = {"     ", "",      "  1  ", "  2  ", "  3  ",
                                             "  4  ", "  5  ", "  6  ", "  7  ", "  8  ",
                                             "  9  ", " 10  ", ""};
  EXPECT_EQ(last_block, expected);
}

TEST(DovelSectionTest, SelectionAndMissingData) {
  // Relation value 3 counts as a tie, and a missing diagonal cell (code 9)
  // does not stop the estimation; network 2 misses cell (1, 4).
  Matrix valued = kFiveActors;
  valued[0][1] = 3;
  valued[2][2] = 9;
  Matrix gap = kFiveActors;
  gap[0][3] = 9;
  DataDescription data = testing::MakeNetworks({valued, gap, kFiveActors}, 9, 4);
  data.selected = {0, 1, 1, 0};
  const std::vector<std::string> lines = DovelLines(data);
  ASSERT_GT(lines.size(), 10u);
  const std::vector<std::string> head(lines.begin(), lines.begin() + 5);
  EXPECT_EQ(head, (std::vector<std::string>{
                      "The following files are selected:", "  net1.dat", "  net2.dat",
                      "Dovel assumes dichotomized relational data: 0 = 0, >0 = 1.", ""}));
  EXPECT_TRUE(testing::Contains(lines, "      1     0.000     0.000    -1.212     0.606"));
  EXPECT_TRUE(testing::Contains(lines, "  3    0.762  0.762  0.000  0.762  0.713"));
  const std::vector<std::string> tail(lines.end() - 6, lines.end());
  EXPECT_EQ(tail,
            (std::vector<std::string>{"", "", "Missing data encountered in network 2: net2.dat",
                                      "For this network no analyses are performed.", "",
                                      "There are no attribute statistics available for dovel."}));
}

TEST(DovelSectionTest, OneOrNoSelectedNetwork) {
  DataDescription data = testing::MakeNetworks({kFiveActors, kFiveActors});
  data.selected = {0, 0, 0};
  EXPECT_EQ(DovelLines(data),
            (std::vector<std::string>{"NO FILE SELECTED !", "",
                                      "There are no attribute statistics available for dovel."}));
  data.selected = {0, 0, 1};
  const std::vector<std::string> lines = DovelLines(data);
  EXPECT_EQ(lines[0], "The following file is selected:");
  EXPECT_EQ(lines[1], "  net2.dat");
  EXPECT_TRUE(testing::Contains(lines, "Estimation of p1 model for network 2: net2.dat"));
}

// A degenerate network takes one line and the next network is still
// estimated.
TEST(DovelSectionTest, DegenerateNetworkDoesNotStopTheOthers) {
  const Matrix empty(5, std::vector<std::int32_t>(5, 0));
  DataDescription data = testing::MakeNetworks({empty, kFiveActors});
  data.selected = {0, 1, 1};
  const std::vector<std::string> lines = DovelLines(data);
  EXPECT_TRUE(testing::Contains(lines, "No p1 estimates for this network: it has no ties."));
  EXPECT_TRUE(testing::Contains(lines, "G^2 statistic       24.82"));
  EXPECT_EQ(lines.back(), "There are no attribute statistics available for dovel.");
}

}  // namespace
}  // namespace kivo::tamsel
