#include "tamsel/change_desc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/tamsel/tamsel_fixture.h"

namespace kivo::tamsel {
namespace {

using testing::Matrix;

// Three actors observed three times:
//   t1: 1->2, 2->1, 2->3     t2: 1->2, 1->3, 3->2     t3: 1->2, 2->1, 2->3, 3->2
const Matrix kT1 = {{0, 1, 0}, {1, 0, 1}, {0, 0, 0}};
const Matrix kT2 = {{0, 1, 1}, {0, 0, 0}, {0, 1, 0}};
const Matrix kT3 = {{0, 1, 0}, {1, 0, 1}, {0, 1, 0}};

std::vector<std::string> MorvaLines(const DataDescription& data) {
  return testing::ReportLines(
      [&](TextWriter& report) { ReportRepeatedObservations(data, report); });
}

TEST(ChangeDescriptivesTest, ThreeObservationsReport) {
  DataDescription data = testing::MakeNetworks({kT1, kT2, kT3}, std::nullopt, 4);
  data.selected = {0, 1, 1, 1};
  const std::vector<std::string> expected = {
      "Morva assumes dichotomized relational data: 0 = 0, >0 = 1.",
      "The data sets are treated as repeated observations of the same network. ",
      "The network is observed 3 times:",
      "  observation 1: net1.dat",
      "  observation 2: net2.dat",
      "  observation 3: net3.dat",
      "",
      "",
      "@2",
      "Descriptives for changes between networks",
      "-----------------------------------------",
      "",
      "",
      "@3",
      "Arcs",
      "",
      "Numbers of changes between subsequent observations",
      "obs. times   0 -> 0    0 -> 1    1 -> 0    1 -> 1   Distance",
      " 1 to  2         1         2         2         1         4",
      " 2 to  3         1         2         1         2         3",
      "",
      "",
      "@3",
      "Dyads",
      "",
      "Number of dyad changes between subsequent observations.",
      "obs. times   M -> M    M -> A    M -> N      M -> any",
      " 1 to  2         0         1         0           1",
      " 2 to  3         0         0         0           0",
      "",
      "obs. times   A -> M    A -> A (=)   A -> A (/=)   A -> N      A -> any",
      " 1 to  2         0         0            1             0           1",
      " 2 to  3         2         0            0             1           3",
      "",
      "obs. times   N -> M    N -> A    N -> N      N -> any",
      " 1 to  2         0         1         0           1",
      " 2 to  3         0         0         0           0",
      "",
      "",
      "@3",
      "Triplets",
      "",
      "Changes from intransitive triplets, i.e.,",
      "changes for triplets starting with (i -> j), (j -> h), not (i -> h).",
      "obs. times   I -> T    I -> I    I -> O      I -> any",
      " 1 to  2         0         0         3           3",
      " 2 to  3         0         0         0           0",
      "",
      "Changes from transitive triplets, i.e.,",
      "changes for triplets starting with (i -> j), (j -> h), (i -> h).",
      "obs. times   T -> T    T -> I    T -> O      T -> any",
      " 1 to  2         0         0         0           0",
      " 2 to  3         0         0         1           1",
      "",
      "",
      "",
      "There are no attribute statistics available for Morva.",
  };
  EXPECT_EQ(MorvaLines(data), expected);
}

TEST(ChangeDescriptivesTest, TripletTransitions) {
  struct Case {
    const char* name;
    Matrix start;
    Matrix end;
    std::int64_t i_to_t, i_to_i, i_to_o, t_to_t, t_to_i, t_to_o;
  };
  const Matrix s = {{0, 1, 0, 1}, {0, 0, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}};
  const Matrix e = {{0, 1, 1, 0}, {0, 0, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}};
  const Matrix f = {{0, 1, 1, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};
  const Case cases[] = {
      // (1,2,3) closes; (1,2,4) loses its closing tie.
      {"closing and opening", s, e, 1, 0, 0, 0, 1, 0},
      // (1,2,3) stays closed; (1,2,4) loses its second tie.
      {"staying closed, path broken", e, f, 0, 0, 1, 1, 0, 0},
      // A mutual dyad is two intransitive triplets closed by the diagonal.
      {"mutual dyad kept", {{0, 1}, {1, 0}}, {{0, 1}, {1, 0}}, 0, 2, 0, 0, 0, 0},
      {"mutual dyad broken", {{0, 1}, {1, 0}}, {{0, 1}, {0, 0}}, 0, 0, 2, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DataDescription data = testing::MakeNetworks({c.start, c.end});
    const ChangeDescriptives changes = ComputeChangeDescriptives(data, {1, 2});
    ASSERT_EQ(changes.periods.size(), 1u);
    const PeriodChanges& p = changes.periods[0];
    EXPECT_EQ(p.intransitive_to_transitive, c.i_to_t);
    EXPECT_EQ(p.intransitive_to_intransitive, c.i_to_i);
    EXPECT_EQ(p.intransitive_to_other, c.i_to_o);
    EXPECT_EQ(p.intransitive, c.i_to_t + c.i_to_i + c.i_to_o);
    EXPECT_EQ(p.transitive_to_transitive, c.t_to_t);
    EXPECT_EQ(p.transitive_to_intransitive, c.t_to_i);
    EXPECT_EQ(p.transitive_to_other, c.t_to_o);
    EXPECT_EQ(p.transitive, c.t_to_t + c.t_to_i + c.t_to_o);
  }
}

// Ten actors; in the second observation 10 of the 90 off-diagonal cells are
// missing (code 9). Those cells drop out of every count at both ends.
TEST(ChangeDescriptivesTest, MissingCellsColumnAndExclusion) {
  Matrix first(10, std::vector<std::int32_t>(10, 0));
  for (std::size_t i = 0; i < 10; ++i) first[i][(i + 1) % 10] = 1;
  Matrix second = first;
  for (std::size_t i = 0; i < 10; ++i) second[i][(i + 3) % 10] = 9;
  DataDescription data = testing::MakeNetworks({first, second}, 9, 4);
  data.selected = {0, 1, 1};
  const std::vector<std::string> lines = MorvaLines(data);
  EXPECT_TRUE(
      testing::Contains(lines, "For the following statistics, missing values in the digraphs"));
  EXPECT_TRUE(testing::Contains(
      lines, "for observations at the start or end of each period are not counted."));
  const std::vector<std::string> arcs = testing::Block(lines, "obs. times   0 -> 0");
  EXPECT_EQ(arcs, (std::vector<std::string>{
                      "obs. times   0 -> 0    0 -> 1    1 -> 0    1 -> 1   Distance     Missing",
                      " 1 to  2        70         0         0        10         0      10 (11%)"}));
  // The ring's dyads are all observed; 10 of the 45 pairs hold a missing cell.
  const PeriodChanges p = ComputeChangeDescriptives(data, {1, 2}).periods[0];
  EXPECT_EQ(p.mutual + p.asymmetric + p.null_dyads, 35);
  EXPECT_EQ(p.asymmetric_same, 10);
}

// Without missing cells the four arc columns cover all n(n - 1) cells; a
// value that is not 0 is a tie, negative values too.
TEST(ChangeDescriptivesTest, ArcCountsCoverAllCellsAndNegativeValuesAreTies) {
  const Matrix first = {{0, -1, 2}, {0, 0, 0}, {5, 0, 0}};
  const Matrix second = {{0, 1, 0}, {0, 0, -3}, {0, 0, 0}};
  const DataDescription data = testing::MakeNetworks({first, second}, 7);
  const ChangeDescriptives changes = ComputeChangeDescriptives(data, {1, 2});
  EXPECT_FALSE(changes.any_missing);
  const PeriodChanges& p = changes.periods[0];
  EXPECT_EQ(p.kept, 1);
  EXPECT_EQ(p.lost, 2);
  EXPECT_EQ(p.gained, 1);
  EXPECT_EQ(p.empty + p.gained + p.lost + p.kept, 6);
  EXPECT_EQ(p.distance, 3);
  EXPECT_EQ(p.missing, 0);
}

TEST(ChangeDescriptivesTest, OneOrNoObservation) {
  DataDescription data = testing::MakeNetworks({kT1, kT2}, std::nullopt, 4);
  data.selected = {0, 0, 1};
  EXPECT_EQ(MorvaLines(data),
            (std::vector<std::string>{
                "Morva assumes dichotomized relational data: 0 = 0, >0 = 1.",
                "The data sets are treated as repeated observations of the same network. ",
                "Only one network is selected: net2.dat", "Module used: morva-p*.",
                "There are no descriptive statistics for morva-p*.", "", "", "",
                "There are no attribute statistics available for Morva."}));

  data.selected = {0, 0, 0};
  const std::vector<std::string> lines = MorvaLines(data);
  EXPECT_EQ(lines[2], "The network is observed 0 times:");
  EXPECT_EQ(testing::Block(lines, "obs. times   0 -> 0").size(), 1u);
  EXPECT_EQ(testing::Block(lines, "obs. times   T -> T").size(), 1u);
  EXPECT_EQ(lines.back(), "There are no attribute statistics available for Morva.");
}

}  // namespace
}  // namespace kivo::tamsel
