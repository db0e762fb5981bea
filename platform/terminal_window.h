#ifndef KIVO_PLATFORM_TERMINAL_WINDOW_H_
#define KIVO_PLATFORM_TERMINAL_WINDOW_H_

// The window drawn as text on a terminal (standard error), updated in place.
// Keys, read from the terminal while messages are processed:
//   s or Esc  clicks the stop control        Enter  clicks the OK control
//   y / n     answer a Yes/No question        Ctrl-C closes the window
// The terminal is put into a raw, silent mode for the window's lifetime and
// restored when it ends, also on a second close request or a fatal signal.
//
// ProcessMessages is called by hot loops: it costs an increment most times,
// reads the clock every few calls, polls the keyboard at most every 5 ms and
// redraws at most every 50 ms.

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/signals.h"
#include "platform/window.h"

namespace kivo {

class TerminalWindow : public Window {
 public:
  // REQUIRES: input_fd and output_fd are terminals. signals may be nullptr.
  TerminalWindow(FormSpec spec, SignalWatch* signals, int input_fd = 0, int output_fd = 2);
  ~TerminalWindow() override;

  void ProcessMessages() override;
  bool AskYesNo(std::string_view question) override;
  void Close() override;
  void RunUntilClosed() override;

 private:
  using Clock = std::chrono::steady_clock;
  enum class Key { kNone, kStop, kEscape, kOk, kClose, kYes, kNo };

  // Returns the next key that means something, from what was typed before
  // or else from the terminal (waiting up to timeout_ms when it is positive);
  // a closed input counts as kClose.
  Key ReadKey(int timeout_ms);
  void Handle(Key key);
  // Handles a close request from a signal. Returns whether there was one.
  bool CheckSignals();
  void Draw(const std::string& question);
  void Write(const std::string& text);

  SignalWatch* signals_;
  int input_fd_;
  int output_fd_;
  bool raw_ = false;
  std::uint32_t calls_ = 0;
  Clock::time_point last_poll_;
  Clock::time_point last_draw_;
  int drawn_lines_ = 0;
  bool close_after_question_ = false;
  char pending_[64];  // typed and not yet taken
  int pending_count_ = 0;
};

}  // namespace kivo

#endif  // KIVO_PLATFORM_TERMINAL_WINDOW_H_
