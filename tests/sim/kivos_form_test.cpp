#include "sim/kivos_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/fake_env.h"
#include "tests/support/scripted_window.h"

namespace kivo::sim {
namespace {

// A 3 x 3 rectangular project given by its margins, asking for N simulations.
void WriteProject(const std::string& name, int simulations) {
  WriteFile(name + ".in",
            "3\n3\n1\n0\n0\n" + name + ".dat\n0\n1\n" + std::to_string(simulations) + "\n");
  WriteFile(name + ".dat", "1 1 1\n1 1 1\n");
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class KivoSimFormTest : public ::testing::Test {
 protected:
  KivoSimFormTest() { run_.plain_arguments = {"proj"}; }

  // The window's handlers as the sampler lets them run: the log is open and
  // matrices are being drawn.
  void StartDrawing(std::int32_t matrices, std::int32_t requested) {
    ASSERT_TRUE(run_.log.Create("proj.out").ok());
    run_.input.f = 3;
    run_.input.simulations = requested;
    run_.matrices = matrices;
  }
  std::vector<std::string> Log() {
    run_.log.Close();
    return ReadLines("proj.out");
  }

  ScopedTempDir dir_;
  FakeEnv env_;
  SimRun run_{env_};
  ScriptedWindow window_{TKivoSimForm::Spec()};
  TKivoSimForm form_{run_, window_};
};

TEST_F(KivoSimFormTest, WindowAtStart) {
  struct Case {
    const char* name;
    const char* text;
    bool visible;
    bool enabled;
  };
  const Case cases[] = {
      {"PrelimLabel", "Preliminary runs for normalization", true, true},
      {"NumberLabel", "Number of simulated matrices", true, true},
      {"NumberSim", "          0", true, true},
      {"RangeLabel", "(1 - ?\?)", true, true},
      {"AttemptLabel", "Number of attempts", true, true},
      {"NumberAttempt", "           0", true, true},
      {"TerminateLabel", "     The program is ready", false, true},
      {"StopLabel", "Stop simulations", true, true},
      {"OKEdit", "  OK", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(window_.text(c.name), c.text);
    EXPECT_EQ(window_.visible(c.name), c.visible);
    EXPECT_EQ(window_.enabled(c.name), c.enabled);
  }
  EXPECT_EQ(window_.caption(), "Kivo Simulation");
  EXPECT_EQ(window_.hint("StopLabel"), "click this to interrupt");
  EXPECT_EQ(window_.hint("TerminateLabel"), "click OK to continue");
  EXPECT_EQ(window_.hint("OKEdit"), "Click to continue");
}

TEST_F(KivoSimFormTest, NoSimulationsAskedEndsReadyAndOkCloses) {
  WriteProject("proj", 0);
  form_.Run();

  EXPECT_EQ(window_.caption(), "Kivo Simulation proj");
  EXPECT_EQ(window_.text("RangeLabel"), "(1 - 0)");
  EXPECT_TRUE(window_.visible("TerminateLabel"));
  EXPECT_EQ(window_.text("TerminateLabel"), "     The program is ready");
  EXPECT_TRUE(window_.visible("OKEdit"));
  EXPECT_TRUE(window_.enabled("OKEdit"));
  EXPECT_FALSE(window_.visible("StopLabel"));
  EXPECT_FALSE(window_.visible("StopBackground"));
  EXPECT_EQ(window_.window_hint(), "click OK to continue");
  EXPECT_EQ(window_.process_points(), 0);  // nothing was drawn
  EXPECT_TRUE(window_.reached_ready());
  EXPECT_TRUE(window_.Recorded("Click(OKEdit)"));
  EXPECT_TRUE(window_.closed());

  EXPECT_TRUE(run_.status.finished);
  EXPECT_FALSE(run_.status.interrupted);
  EXPECT_EQ(ExitStatus(run_), 0);
  EXPECT_FALSE(run_.log.is_open());
  const std::vector<std::string> log = ReadLines("proj.out");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "");                               // the job's closing empty line
  EXPECT_FALSE(Contains(log, "Program closed by user."));  // closing after the end
}

TEST_F(KivoSimFormTest, SecondActivationStartsNoSecondJob) {
  WriteProject("proj", 0);
  form_.FormActivate();
  form_.FormActivate();
  const std::vector<std::string> log = ReadLines("proj.out");
  EXPECT_EQ(std::count(log.begin(), log.end(), "Kivo version 2.3"), 1);
  EXPECT_FALSE(Contains(log, "Results appended to existing file proj.out."));
}

TEST_F(KivoSimFormTest, StopRequestAnsweredYesOrNo) {
  struct Case {
    bool yes;
    bool interrupted;
    const char* end_label;
  };
  const Case cases[] = {{true, true, " The program was interrupted"},
                        {false, false, "     The program is ready"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.yes ? "Yes" : "No");
    SimRun run(env_);
    ScriptedWindow window(TKivoSimForm::Spec());
    TKivoSimForm form(run, window);
    ASSERT_TRUE(run.log.Create("proj.out").ok());
    run.input.simulations = 100;
    run.matrices = 5;
    run.attempts = 3'000'000'000ULL;  // beyond the 32-bit range, shown in full
    window.ClickAt(2, "StopLabel");
    window.AnswerNext(c.yes);
    for (int i = 0; i < 3; ++i) form.ProcessThem();

    EXPECT_EQ(window.questions(),
              std::vector<std::string>{"Are you sure you want to stop the simulations?"});
    // The counters are brought up to date before the question is shown.
    const std::vector<std::string>& calls = window.calls();
    const auto question = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
      return call.starts_with("AskYesNo");
    });
    const auto attempts =
        std::find(calls.begin(), calls.end(), "SetText(NumberAttempt, \"       3000000000\")");
    const auto number = std::find(calls.begin(), calls.end(), "SetText(NumberSim, \"       5\")");
    EXPECT_LT(attempts, question);
    EXPECT_LT(number, question);

    EXPECT_EQ(run.status.interrupted, c.interrupted);
    EXPECT_EQ(window.text("TerminateLabel"), c.end_label);
    EXPECT_FALSE(window.visible("TerminateLabel"));  // shown only at the end
    EXPECT_FALSE(window.closed());
    run.log.Close();
    EXPECT_EQ(Contains(ReadLines("proj.out"), "Simulations terminated early by user."), c.yes);
  }
}

TEST_F(KivoSimFormTest, ClosingDuringTheRunInterruptsAndIsLogged) {
  StartDrawing(3, 10);
  window_.CloseAt(2);
  window_.ClickAt(3, "StopLabel");  // the window is gone: nothing is asked
  for (int i = 0; i < 3; ++i) form_.ProcessThem();

  EXPECT_TRUE(window_.closed());
  EXPECT_TRUE(run_.status.interrupted);
  EXPECT_TRUE(window_.questions().empty());
  EXPECT_EQ(ExitStatus(run_), 130);
  const std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Program closed by user."), 1);
}

TEST_F(KivoSimFormTest, CounterAndEndLabelCloseOnlyOnceTheRunIsOver) {
  struct Case {
    const char* what;
    bool finished;
    bool interrupted;
    bool had_to_stop;
    std::int32_t matrices;
    bool closes;
  };
  const Case cases[] = {
      {"drawing", false, false, false, 3, false},
      {"all matrices drawn", false, false, false, 10, true},
      {"interrupted", false, true, false, 3, true},
      {"had to stop", false, false, true, 0, true},
      {"job over short of N", true, false, false, 3, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimRun run(env_);
    ScriptedWindow window(TKivoSimForm::Spec());
    TKivoSimForm form(run, window);
    run.input.simulations = 10;
    run.matrices = c.matrices;
    run.status.finished = c.finished;
    run.status.interrupted = c.interrupted;
    run.status.had_to_stop = c.had_to_stop;
    window.ClickAt(1, "OKEdit");  // hidden and disabled until the end
    window.ClickAt(1, "NumberSim");
    form.ProcessThem();
    EXPECT_TRUE(window.Recorded("Click(OKEdit) ignored"));
    EXPECT_EQ(window.closed(), c.closes);
  }
}

TEST_F(KivoSimFormTest, ShowCountsPadsWithSevenBlanks) {
  form_.ShowCounts(18'446'744'073'709'551'615ULL, 2'147'483'647);
  EXPECT_EQ(window_.text("NumberAttempt"), "       18446744073709551615");
  EXPECT_EQ(window_.text("NumberSim"), "       2147483647");
  form_.HidePrelimLabel();
  EXPECT_FALSE(window_.visible("PrelimLabel"));
}

TEST_F(KivoSimFormTest, RefusedInputShowsTheStopMessageAndOkCloses) {
  form_.Run();  // there is no proj.in
  EXPECT_TRUE(window_.visible("PrelimLabel"));
  EXPECT_EQ(window_.text("PrelimLabel"), "File proj.in is not found.");
  EXPECT_EQ(window_.text("TerminateLabel"), "The program had to stop.");
  EXPECT_TRUE(window_.visible("TerminateLabel"));
  EXPECT_TRUE(window_.closed());
  EXPECT_EQ(ExitStatus(run_), 1);
  EXPECT_EQ(EndSummary(run_), "The program had to stop. File proj.in is not found.");
}

// Stops answered Yes while the sampler runs: during the normalisation draws
// the run has to stop without results; later it ends with the matrices drawn.
TEST_F(KivoSimFormTest, StopDuringNormalisationOrMainRun) {
  struct Case {
    const char* what;
    int point;
    bool had_to_stop;
    const char* end_label;
  };
  const Case cases[] = {
      {"normalisation", 1, true, "The program had to stop."},
      {"main run", 60, false, " The program was interrupted"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    WriteProject("proj", 1000);
    SimRun run(env_);
    run.plain_arguments = {"proj"};
    run.seed = 1;
    ScriptedWindow window(TKivoSimForm::Spec());
    TKivoSimForm form(run, window);
    window.ClickAt(c.point, "StopLabel");
    window.AnswerNext(true);
    form.Run();

    EXPECT_EQ(run.status.had_to_stop, c.had_to_stop);
    EXPECT_EQ(window.text("TerminateLabel"), c.end_label);
    EXPECT_TRUE(window.visible("TerminateLabel"));
    EXPECT_TRUE(window.closed());
    EXPECT_EQ(ExitStatus(run), 130);
    EXPECT_LT(run.matrices, 1000);

    const std::vector<std::string> log = ReadLines("proj.out");
    const auto stopped = std::find(log.begin(), log.end(), "Simulations terminated early by user.");
    ASSERT_NE(stopped, log.end());
    const auto results = std::find(stopped, log.end(), "Simulation results");
    const auto interrupted = std::find(stopped, log.end(), "Program interrupted by user.");
    if (c.had_to_stop) {
      EXPECT_NE(interrupted, log.end());
      EXPECT_EQ(results, log.end());
      EXPECT_EQ(window.text("PrelimLabel"), "Program interrupted by user.");
    } else {
      EXPECT_EQ(interrupted, log.end());
      ASSERT_NE(results, log.end());
      const std::string runs = "Number of runs " + std::to_string(run.matrices) + ";";
      EXPECT_NE(std::find_if(results, log.end(),
                             [&](const std::string& line) { return line.starts_with(runs); }),
                log.end());
    }
  }
}

TEST_F(KivoSimFormTest, LogThatCannotBeCreatedEndsTheJobWithAnError) {
  std::filesystem::create_directory("proj.out");
  form_.Run();

  EXPECT_EQ(ExitStatus(run_), 2);
  EXPECT_NE(run_.io_status.message().find("proj.out"), std::string::npos);
  EXPECT_FALSE(window_.reached_ready());  // the window stays as it was
  EXPECT_FALSE(window_.visible("TerminateLabel"));
  EXPECT_FALSE(window_.closed());
}

}  // namespace
}  // namespace kivo::sim
