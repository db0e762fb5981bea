#include "enum/kivoe_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_env.h"
#include "tests/support/scripted_window.h"

namespace kivo::enumeration {
namespace {

using Lines = std::vector<std::string>;
using Files = std::map<std::string, std::string>;

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Six 3 x 3 permutation matrices, each listed.
const Files kPermutations = {{"p.in", "3\n3\n1\n1\n0\nm.txt\n0\n1\n"}, {"m.txt", "1 1 1\n1 1 1\n"}};

// One run of project "p" in a fresh directory holding `files`; the window
// plays `script` before the run.
struct FormRun {
  explicit FormRun(const Files& files, std::vector<std::string> arguments = {"p"}) {
    for (const auto& [name, text] : files) WriteFile(name, text);
    run->plain_arguments = std::move(arguments);
  }

  void Go() {
    TKivoForm form(*run, window);
    form.Run();
    exit_status = ExitStatus(*run);
    log = ReadLines(run->project_name + ".out");
  }

  ScopedTempDir dir;
  FakeEnv env;
  std::unique_ptr<EnumRun> run = std::make_unique<EnumRun>(env);
  ScriptedWindow window{TKivoForm::Spec()};
  int exit_status = -1;
  Lines log;
};

TEST(TKivoFormTest, CompletedWalk) {
  FormRun r(kPermutations);
  r.Go();
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.window.caption(), "Kivo Enumeration p");
  EXPECT_EQ(r.window.text("Number"), "       6");
  EXPECT_TRUE(Has(r.log, "Enumeration results."));
  EXPECT_TRUE(Has(r.log, "Total number of matrices found         6"));
  EXPECT_TRUE(Has(r.log, "All matrices written to file p.prn."));
  EXPECT_EQ(r.log.back(), "");
  EXPECT_FALSE(r.window.visible("Label2"));
  EXPECT_FALSE(r.window.visible("StopButton"));
  EXPECT_TRUE(r.window.visible("OKButton"));
  EXPECT_TRUE(r.window.enabled("OKButton"));
  EXPECT_TRUE(r.window.visible("TerminateLabel"));
  EXPECT_EQ(r.window.text("TerminateLabel"), "      The program is ready");
  EXPECT_EQ(r.window.window_hint(), "click OK to continue");
  // The window had its turn after each of the six matrices; OK closed it and
  // closing after the job writes nothing.
  EXPECT_EQ(r.window.process_points(), 6);
  EXPECT_TRUE(r.window.closed());
  EXPECT_FALSE(Has(r.log, "Program closed by user."));
  EXPECT_FALSE(r.run->listing.file.is_open());
  EXPECT_EQ(ReadLines("p.prn").size(), 13 + 6 * 6u);
}

TEST(TKivoFormTest, CounterEndsAtTheCount) {
  // 5 x 5 with all totals 2: 2040 matrices; the tree shows 2000 last.
  FormRun r(Files{{"p.in", "5\n5\n1\n0\n0\nm.txt\n0\n1\n"}, {"m.txt", "2 2 2 2 2\n2 2 2 2 2\n"}});
  r.Go();
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.window.text("Number"), "       2040");
  EXPECT_TRUE(r.window.Recorded("SetText(Number, \"       2000\")"));
}

TEST(TKivoFormTest, NothingToEnumerate) {
  struct Case {
    const char* name;
    Files files;
    std::vector<std::string> arguments;
    std::string log_line;
  };
  const Case cases[] = {
      {"2 rows",
       {{"p.in", "2\n3\n1\n0\n0\nm.txt\n"}, {"m.txt", "1 1\n1 1 0\n"}},
       {"p"},
       "This is not meaningful."},
      {"no matrix with these totals",
       {{"p.in", "3\n3\n1\n0\n0\nm.txt\n0\n1\n"}, {"m.txt", "3 1 1\n3 2 0\n"}},
       {"p"},
       "There is no 0-1 matrix with these marginals."},
      {"no project name and no input file", {}, {}, "Error: file Kivo.in is not found."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FormRun r(c.files, c.arguments);
    r.Go();
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_TRUE(Has(r.log, c.log_line));
    EXPECT_FALSE(Has(r.log, "Enumeration results."));
    EXPECT_EQ(r.window.text("Number"), "          0");
    EXPECT_TRUE(r.window.visible("Label2"));
    EXPECT_TRUE(r.window.visible("Label3"));
    EXPECT_EQ(r.window.text("TerminateLabel"), "      The program is ready");
    EXPECT_TRUE(r.window.visible("TerminateLabel"));
    EXPECT_TRUE(r.window.closed());
  }
}

TEST(TKivoFormTest, StopRequest) {
  struct Case {
    bool yes;
    int exit_status;
    std::int32_t count;
    const char* end_label;
  };
  const Case cases[] = {{true, 130, 2, "The program was interrupted"},
                        {false, 0, 6, "      The program is ready"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.yes);
    FormRun r(kPermutations);
    r.window.ClickAt(2, "StopButton");
    r.window.AnswerNext(c.yes);
    r.Go();
    EXPECT_EQ(r.exit_status, c.exit_status);
    ASSERT_EQ(r.window.questions().size(), 1u);
    EXPECT_EQ(r.window.questions()[0], "Are you sure you want to stop the enumerations?");
    // The matrix found at the point of the stop is still counted and listed.
    EXPECT_EQ(r.run->tallies.count, c.count);
    EXPECT_EQ(Has(r.log, "Program interrupted by user."), c.yes);
    EXPECT_EQ(Has(r.log, "Enumeration results."), !c.yes);
    EXPECT_EQ(r.window.text("TerminateLabel"), c.end_label);
    EXPECT_FALSE(r.window.visible("Label2"));
    EXPECT_EQ(ReadLines("p.prn").size(), 13 + 6 * static_cast<std::size_t>(c.count));
  }
}

TEST(TKivoFormTest, TreeLimitStopsTheRun) {
  FormRun r(kPermutations);
  r.run->tree.count_limit = 3;
  r.Go();
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_TRUE(r.run->status.had_to_stop);
  EXPECT_FALSE(Has(r.log, "Enumeration results."));
  EXPECT_FALSE(Has(r.log, "Program interrupted by user."));
  EXPECT_EQ(r.window.text("TerminateLabel"), "The program had to stop.");
  EXPECT_TRUE(r.window.visible("TerminateLabel"));
  EXPECT_FALSE(r.window.visible("Label2"));
}

TEST(TKivoFormTest, ClosingDuringTheWalk) {
  FormRun r(kPermutations);
  r.window.CloseAt(3);
  r.Go();
  EXPECT_EQ(r.exit_status, 130);
  EXPECT_EQ(r.run->tallies.count, 3);
  const auto closed = std::find(r.log.begin(), r.log.end(), "Program closed by user.");
  ASSERT_NE(closed, r.log.end());
  EXPECT_EQ(*(closed + 1), "Program interrupted by user.");
  EXPECT_FALSE(Has(r.log, "Enumeration results."));
}

TEST(TKivoFormTest, OkIsIgnoredDuringTheWalk) {
  FormRun r(kPermutations);
  r.window.ClickAt(1, "OKButton");
  r.Go();
  EXPECT_TRUE(r.window.Recorded("Click(OKButton) ignored"));
  EXPECT_EQ(r.run->tallies.count, 6);
  EXPECT_EQ(r.exit_status, 0);
}

TEST(TKivoFormTest, InputOutputErrorEndsTheJob) {
  FormRun r(Files{{"p.in", "3\nthree\n"}});
  r.Go();
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.run->io_status.message(), "p.in, line 2: \"three\" is not an integer");
  // The log keeps what it held and is closed; the window does not reach its
  // ready state.
  EXPECT_FALSE(r.run->log.is_open());
  EXPECT_EQ(r.log.back(), "input file p.in");
  EXPECT_FALSE(r.window.reached_ready());
  EXPECT_FALSE(r.window.visible("OKButton"));
}

}  // namespace
}  // namespace kivo::enumeration
