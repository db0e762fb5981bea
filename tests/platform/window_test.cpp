#include "platform/window.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "platform/headless_window.h"
#include "platform/signals.h"

namespace kivo {
namespace {

FormSpec TwoButtons() {
  FormSpec spec;
  spec.caption = "Test";
  ControlSpec stop;
  stop.name = "Stop";
  stop.kind = ControlKind::kButton;
  ControlSpec ok;
  ok.name = "OK";
  ok.visible = false;
  spec.controls = {stop, ok};
  spec.stop_control = 0;
  spec.ok_control = 1;
  return spec;
}

// Records the events; may close the window again from inside OnClose.
class Recorder : public WindowEvents {
 public:
  explicit Recorder(Window& window) : window_(window) { window_.Attach(this); }
  ~Recorder() override { window_.Attach(nullptr); }
  void OnClick(ControlId control) override { events.push_back("click " + std::to_string(control)); }
  void OnClose() override {
    events.emplace_back("close");
    if (close_again) window_.Close();
  }
  std::vector<std::string> events;
  bool close_again = false;

 private:
  Window& window_;
};

// The base class's rules, seen through the simplest window.
class ClickableWindow : public HeadlessWindow {
 public:
  ClickableWindow() : HeadlessWindow(TwoButtons(), nullptr) {}
  bool Click(ControlId control) { return DispatchClick(control); }
};

TEST(WindowTest, HiddenDisabledOrUnknownControlsCannotBeClicked) {
  ClickableWindow window;
  Recorder recorder(window);
  EXPECT_TRUE(window.Click(0));
  EXPECT_FALSE(window.Click(1));  // hidden
  window.SetVisible(1, true);
  window.SetEnabled(1, false);
  EXPECT_FALSE(window.Click(1));  // disabled
  window.SetEnabled(1, true);
  EXPECT_TRUE(window.Click(1));
  EXPECT_FALSE(window.Click(7));
  window.Close();
  EXPECT_FALSE(window.Click(0));  // nothing reaches a closed window
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"click 0", "click 1", "close"}));
}

TEST(WindowTest, CloseCallsOnCloseOnceEvenWhenTheHandlerClosesAgain) {
  ClickableWindow window;
  Recorder recorder(window);
  recorder.close_again = true;
  window.Close();
  window.Close();
  EXPECT_TRUE(window.closed());
  EXPECT_EQ(recorder.events, std::vector<std::string>{"close"});
}

TEST(WindowTest, KeepsTheStateItIsGiven) {
  ClickableWindow window;
  window.SetText(0, "Stop it");
  window.SetHint(0, "click to stop");
  window.SetCaption("Caption");
  window.SetWindowHint("hint");
  window.SetText(5, "ignored");
  EXPECT_EQ(window.control(0).text, "Stop it");
  EXPECT_EQ(window.control(0).hint, "click to stop");
  EXPECT_EQ(window.form().caption, "Caption");
  EXPECT_EQ(window.form().hint, "hint");
  EXPECT_EQ(window.Find("OK"), 1);
  EXPECT_EQ(window.Find("Nope"), kNoControl);
}

TEST(HeadlessWindowTest, NeverWaitsAndAnswersNo) {
  HeadlessWindow window(TwoButtons(), nullptr);
  Recorder recorder(window);
  window.ProcessMessages();
  EXPECT_FALSE(window.AskYesNo("Really?"));
  EXPECT_FALSE(window.closed());
  window.RunUntilClosed();
  EXPECT_TRUE(window.closed());
  EXPECT_EQ(recorder.events, std::vector<std::string>{"close"});
}

TEST(HeadlessWindowTest, InterruptOrTerminateSignalClosesAtTheNextProcessingPoint) {
  for (const int signal_number : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal_number);
    SignalWatch signals;
    HeadlessWindow window(TwoButtons(), &signals);
    Recorder recorder(window);
    window.ProcessMessages();
    EXPECT_FALSE(window.closed());
    std::raise(signal_number);
    EXPECT_FALSE(window.closed());  // the handler only notes the request
    window.ProcessMessages();
    EXPECT_TRUE(window.closed());
    EXPECT_EQ(signals.last_signal(), signal_number);
    window.ProcessMessages();
    EXPECT_EQ(recorder.events, std::vector<std::string>{"close"});
  }
}

TEST(SignalWatchDeathTest, SecondRequestEndsTheProgramAtOnce) {
  EXPECT_EXIT(
      {
        SignalWatch signals;
        std::raise(SIGTERM);
        std::raise(SIGTERM);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace kivo
