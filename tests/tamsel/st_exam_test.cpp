#include "tamsel/st_exam.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_env.h"
#include "tests/tamsel/tamsel_fixture.h"

namespace kivo::tamsel {
namespace {

using testing::Contains;

// The lines after the banner and the reading block, as far as the report got.
std::vector<std::string> StepReport(const std::vector<std::string>& lines) {
  std::size_t last_rule = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == std::string(65, '-')) last_rule = i;
  }
  return std::vector<std::string>(lines.begin() + static_cast<long>(last_rule) + 3, lines.end());
}

// Sections that only say they ran, so the frames can be checked alone.
ModuleSections RecordingSections() {
  const auto section = [](const char* name) {
    return [name](DataDescription&, TextWriter& report) {
      report.WriteLine(std::string("<") + name + ">");
      return Status::Ok();
    };
  };
  return {section("morva"), section("dovel"),    section("multinet"),
          section("pajek"), section("netminer"), section("structure")};
}

Status RunJob(const std::string& input, std::vector<std::string>& lines) {
  WriteFile("tamsel.in", input);
  WriteFile("a.dat", "0 1\n1 0\n");
  WriteFile("b.dat", "0 0\n1 0\n");
  FakeEnv env;
  TamselRun run;
  run.modules = RecordingSections();
  const Status status = RunTamsel(run, env);
  lines = StepReport(ReadLines("out.tam"));
  return status;
}

TEST(RunStepTest, StepFourFrame) {
  struct Case {
    const char* name;
    std::string selection;
    std::vector<std::string> report;
  };
  const std::vector<std::string> frame = {"", "@1", "TAMSEL data in MODEL SPECIFICATION step",
                                          std::string(39, '=')};
  const auto with = [&frame](std::vector<std::string> tail) {
    std::vector<std::string> all = frame;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  const Case cases[] = {
      {"morva", "MORVA\n1\na.dat\n", with({"", "Module selected in step4: morva", "", "<morva>"})},
      {"dovel", "dovel\n0\n", with({"", "Module selected in step4: dovel", "", "<dovel>"})},
      {"trailing blank", "dovel \n0\n", with({"", "Module selected in step4: dovel ", ""})},
      {"no selection block", "", with({"", "Module selected in step4: ", ""})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    std::vector<std::string> lines;
    ASSERT_TRUE(RunJob("out\n4\n2 2 0\na.dat\n\nb.dat\n\n" + c.selection, lines).ok());
    EXPECT_EQ(lines, c.report);
  }
}

TEST(RunStepTest, ExportFrame) {
  struct Case {
    const char* name;
    std::string selection;
    std::vector<std::string> tail;
  };
  const Case cases[] = {
      {"two to pajek", "Pajek\n2\na.dat\nb.dat\n", {"Export 2 data sets to Pajek.", "<pajek>"}},
      {"one to multinet", "multinet\n1\nb.dat\n", {"Export 1 data set to MultiNet.", "<multinet>"}},
      {"none to netminer", "netminer\n1\nB.DAT\n", {"Export 0 no data to NetMiner.", "<netminer>"}},
      {"structure", "STRUCTURE\n1\na.dat\n", {"Export 1 data set to STRUCTURE.", "<structure>"}},
      // No export of that name: the line stays unfinished.
      {"unknown", "excel\n1\na.dat\n", {"Export 1 data set to "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    std::vector<std::string> lines;
    ASSERT_TRUE(RunJob("out\n5\n2 2 0\na.dat\n\nb.dat\n\n" + c.selection, lines).ok());
    std::vector<std::string> expected = {
        "", "@1", "TAMSEL data in RESULT/OUTPUT step", std::string(33, '='), "", ""};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(lines, expected);
  }
}

TEST(RunStepTest, StepsOutsideOneToFiveWriteNoSection) {
  ScopedTempDir dir;
  std::vector<std::string> lines;
  ASSERT_TRUE(RunJob("out\n6\n1 2 0\na.dat\n\n", lines).ok());
  const std::vector<std::string> all = ReadLines("out.tam");
  EXPECT_EQ(all.back(), "");
  EXPECT_EQ(all[all.size() - 3], std::string(65, '-'));
  EXPECT_EQ(all[all.size() - 4], "Network 1: a.dat");
}

TEST(RunTamselTest, DescriptivesStepsAndAFailedSectionKeepsTheReport) {
  ScopedTempDir dir;
  std::vector<std::string> lines;
  ASSERT_TRUE(RunJob("out\n3\n2 2 0\na.dat\n\nb.dat\n\n", lines).ok());
  EXPECT_TRUE(Contains(lines, "TAMSEL data in SELECTION step"));
  EXPECT_TRUE(Contains(lines, "Symmetric           yes      no  "));
  EXPECT_EQ(lines.back(), "");

  // An export that cannot write its file ends the run with its status; the
  // report keeps its lines.
  WriteFile("tamsel.in", "out\n5\n1 2 0\na.dat\n\npajek\n1\na.dat\n");
  FakeEnv env;
  TamselRun run;
  run.modules.pajek = [](DataDescription&, TextWriter& report) {
    report.WriteLine("writing out1.net");
    return Status::IoError("out1.net: cannot create file");
  };
  const Status status = RunTamsel(run, env);
  EXPECT_EQ(status.message(), "out1.net: cannot create file");
  EXPECT_EQ(ReadLines("out.tam").back(), "writing out1.net");
}

}  // namespace
}  // namespace kivo::tamsel
