#ifndef KIVO_TESTS_SUPPORT_SCRIPTED_WINDOW_H_
#define KIVO_TESTS_SUPPORT_SCRIPTED_WINDOW_H_

// A window for tests: records every call the form makes and plays a script of
// user actions. Message-processing points are counted from 1; at point k the
// window delivers the clicks and the close scripted for k, in the order they
// were scripted. Clicks go through the same rule as a real window: a hidden
// or disabled control cannot be clicked (the record says "ignored").
//
//   ScriptedWindow window(TKivoSimForm::Spec());
//   window.ClickAt(3, "StopLabel");
//   window.AnswerNext(true);        // the stop question is answered Yes
//   ... run the form ...
//   EXPECT_EQ(window.text("TerminateLabel"), " The program was interrupted");

#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

namespace kivo {

class ScriptedWindow : public Window {
 public:
  explicit ScriptedWindow(FormSpec spec);

  // The script.
  void ClickAt(int point, std::string control);
  void CloseAt(int point);
  // Answers for the Yes/No questions, in order; a question beyond them gets No.
  void AnswerNext(bool yes);
  // Clicks made in the ready state (RunUntilClosed), in order, until the
  // window is closed. With none scripted, the OK control is clicked. If the
  // window is still open afterwards it stays open and RunUntilClosed returns.
  void ClickWhenReady(std::string control);

  // Window.
  void SetText(ControlId control, std::string_view text) override;
  void SetVisible(ControlId control, bool visible) override;
  void SetEnabled(ControlId control, bool enabled) override;
  void SetHint(ControlId control, std::string_view hint) override;
  void SetCaption(std::string_view caption) override;
  void SetWindowHint(std::string_view hint) override;
  void ProcessMessages() override;
  bool AskYesNo(std::string_view question) override;
  void Close() override;
  void RunUntilClosed() override;

  // What happened. Every call is one line, e.g. SetText(NumberSim, "      5"),
  // SetVisible(OKEdit, true), ProcessMessages #4, Click(NumberSim) ignored,
  // AskYesNo("...") -> Yes, Close, RunUntilClosed.
  const std::vector<std::string>& calls() const { return calls_; }
  // Whether a line equal to call was recorded.
  bool Recorded(std::string_view call) const;
  const std::vector<std::string>& questions() const { return questions_; }
  int process_points() const { return points_; }
  bool reached_ready() const { return reached_ready_; }

  // Current state of a control by name. REQUIRES: the name exists.
  const std::string& text(std::string_view name) const;
  const std::string& hint(std::string_view name) const;
  bool visible(std::string_view name) const;
  bool enabled(std::string_view name) const;
  const std::string& caption() const { return form().caption; }
  const std::string& window_hint() const { return form().hint; }

 private:
  struct Action {
    int point;
    bool close;
    std::string control;
  };
  void Click(const std::string& control);
  std::string Name(ControlId control) const;
  ControlId Require(std::string_view name) const;

  std::vector<Action> actions_;
  std::vector<bool> answers_;
  std::size_t next_answer_ = 0;
  std::vector<std::string> ready_clicks_;
  std::vector<std::string> calls_;
  std::vector<std::string> questions_;
  int points_ = 0;
  bool reached_ready_ = false;
};

}  // namespace kivo

#endif  // KIVO_TESTS_SUPPORT_SCRIPTED_WINDOW_H_
