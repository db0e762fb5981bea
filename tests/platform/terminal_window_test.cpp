#include "platform/terminal_window.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kivo {
namespace {

// A pseudo-terminal: the window reads keys from and draws on the slave side;
// the test types on and reads the screen from the master side.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
  }
  ~Pty() {
    CloseMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  bool ok() const { return master_ >= 0 && slave_ >= 0; }
  int slave() const { return slave_; }
  int master() const { return master_; }
  void Type(const std::string& keys) const {
    ASSERT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  // Everything drawn so far.
  std::string Screen() const {
    std::string text;
    char buffer[4096];
    struct pollfd request {
      master_, POLLIN, 0
    };
    while (::poll(&request, 1, 20) > 0 && (request.revents & POLLIN) != 0) {
      const ssize_t count = ::read(master_, buffer, sizeof buffer);
      if (count <= 0) break;
      text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
  }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
};

// A window that waits for keys must never hang the test run: a test that
// takes too long is ended by the alarm.
class TerminalWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::alarm(30);
    if (!Pty().ok()) GTEST_SKIP() << "no pseudo-terminal on this machine";
  }
  void TearDown() override { ::alarm(0); }
};

FormSpec Form() {
  FormSpec spec;
  spec.caption = "Kivo Test";
  ControlSpec counter;
  counter.name = "Counter";
  counter.kind = ControlKind::kEdit;
  counter.text = "       0";
  counter.y = 10;
  ControlSpec stop;
  stop.name = "Stop";
  stop.kind = ControlKind::kButton;
  stop.text = "Stop it";
  stop.hint = "click this to interrupt";
  stop.y = 40;
  ControlSpec ok;
  ok.name = "OK";
  ok.kind = ControlKind::kButton;
  ok.text = "  OK";
  ok.y = 70;
  ControlSpec picture;
  picture.name = "Picture";
  picture.kind = ControlKind::kDecoration;
  picture.text = "PICTURE";
  spec.controls = {counter, stop, ok, picture};
  spec.stop_control = 1;
  spec.ok_control = 2;
  return spec;
}

class Recorder : public WindowEvents {
 public:
  explicit Recorder(Window& window) : window_(window) { window_.Attach(this); }
  ~Recorder() override { window_.Attach(nullptr); }
  void OnClick(ControlId control) override {
    events.push_back("click " + std::to_string(control));
    if (on_click) on_click(control);
  }
  void OnClose() override { events.emplace_back("close"); }
  std::vector<std::string> events;
  std::function<void(ControlId)> on_click;

 private:
  Window& window_;
};

// Processes messages the way a busy job does until something happened or
// the time is up.
void Pump(Window& window, const Recorder& recorder,
          std::chrono::milliseconds limit = std::chrono::milliseconds(1000)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (recorder.events.empty() && std::chrono::steady_clock::now() < end) {
    for (int i = 0; i < 64; ++i) window.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TEST_F(TerminalWindowTest, DrawsTheFormAndRestoresTheTerminal) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  struct termios before {};
  ASSERT_EQ(tcgetattr(pty.slave(), &before), 0);
  {
    TerminalWindow window(Form(), nullptr, pty.slave(), pty.slave());
    struct termios during {};
    ASSERT_EQ(tcgetattr(pty.slave(), &during), 0);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO | ISIG), 0u);
    const std::string screen = pty.Screen();
    EXPECT_NE(screen.find("== Kivo Test =="), std::string::npos);
    EXPECT_NE(screen.find("[       0]"), std::string::npos);
    EXPECT_NE(screen.find("[ Stop it ]  (s)"), std::string::npos);
    EXPECT_NE(screen.find("click this to interrupt"), std::string::npos);
    EXPECT_EQ(screen.find("PICTURE"), std::string::npos);

    window.SetText(0, "      42");
    window.SetVisible(1, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    for (int i = 0; i < 64; ++i) window.ProcessMessages();
    const std::string redrawn = pty.Screen();
    EXPECT_NE(redrawn.find("\x1b[J"), std::string::npos);  // drawn over the old form
    EXPECT_NE(redrawn.find("[      42]"), std::string::npos);
    EXPECT_EQ(redrawn.find("Stop it"), std::string::npos);
  }
  struct termios after {};
  ASSERT_EQ(tcgetattr(pty.slave(), &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_NE(pty.Screen().find("\x1b[?25h"), std::string::npos);  // the cursor is back
}

TEST_F(TerminalWindowTest, KeysWhileProcessingMessages) {
  struct Case {
    const char* what;
    std::string keys;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"s", "s", {"click 1"}},       {"Esc", "\x1b", {"click 1"}}, {"Enter", "\r", {"click 2"}},
      {"Ctrl-C", "\x03", {"close"}}, {"arrow key", "\x1b[A", {}},  {"other keys", "xq", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Pty pty;
    ASSERT_TRUE(pty.ok());
    TerminalWindow window(Form(), nullptr, pty.slave(), pty.slave());
    Recorder recorder(window);
    pty.Type(c.keys);
    // Waiting for nothing to happen needs less patience.
    Pump(window, recorder, std::chrono::milliseconds(c.events.empty() ? 200 : 1000));
    EXPECT_EQ(recorder.events, c.events);
  }
}

TEST_F(TerminalWindowTest, EnterDoesNothingWhileOkIsHidden) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  FormSpec spec = Form();
  spec.controls[2].visible = false;
  TerminalWindow window(spec, nullptr, pty.slave(), pty.slave());
  Recorder recorder(window);
  pty.Type("\r");
  Pump(window, recorder, std::chrono::milliseconds(200));
  EXPECT_TRUE(recorder.events.empty());
}

TEST_F(TerminalWindowTest, YesNoQuestion) {
  struct Case {
    std::string keys;
    bool yes;
  };
  const Case cases[] = {{"y", true}, {"Y", true}, {"xn", false}, {"\x1b", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Pty pty;
    ASSERT_TRUE(pty.ok());
    TerminalWindow window(Form(), nullptr, pty.slave(), pty.slave());
    pty.Screen();
    pty.Type(c.keys);
    EXPECT_EQ(window.AskYesNo("Are you sure?"), c.yes);
    EXPECT_NE(pty.Screen().find("Are you sure?  (y/n)"), std::string::npos);
  }
}

TEST_F(TerminalWindowTest, CtrlCDuringTheQuestionAnswersNoThenCloses) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  TerminalWindow window(Form(), nullptr, pty.slave(), pty.slave());
  Recorder recorder(window);
  recorder.on_click = [&](ControlId) {
    pty.Type("\x03");
    recorder.events.push_back(window.AskYesNo("Stop?") ? "yes" : "no");
    EXPECT_FALSE(window.closed());  // not while the handler runs
  };
  pty.Type("s");
  Pump(window, recorder);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"click 1", "no", "close"}));
  EXPECT_TRUE(window.closed());
}

TEST_F(TerminalWindowTest, ReadyStateWaitsForOkOrEndsWhenTheTerminalGoes) {
  {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    TerminalWindow window(Form(), nullptr, pty.slave(), pty.slave());
    Recorder recorder(window);
    recorder.on_click = [&](ControlId control) {
      if (control == 2) window.Close();
    };
    pty.Type("xs\r");  // keys typed together are taken in order
    window.RunUntilClosed();
    EXPECT_TRUE(window.closed());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"click 1", "click 2", "close"}));
  }
  {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    TerminalWindow window(Form(), nullptr, pty.slave(), pty.slave());
    Recorder recorder(window);
    pty.CloseMaster();
    window.RunUntilClosed();  // returns instead of waiting for ever
    EXPECT_TRUE(window.closed());
    EXPECT_EQ(recorder.events, std::vector<std::string>{"close"});
  }
}

}  // namespace
}  // namespace kivo
