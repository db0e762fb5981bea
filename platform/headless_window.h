#ifndef KIVO_PLATFORM_HEADLESS_WINDOW_H_
#define KIVO_PLATFORM_HEADLESS_WINDOW_H_

// A window that is never drawn and never waits: for scripts, CI and other
// programs that start ours. A close request from a signal (SIGINT, SIGTERM)
// acts as closing the window; the form's state ends up where a window would
// have it, for the exit status.

#include "platform/signals.h"
#include "platform/window.h"

namespace kivo {

class HeadlessWindow : public Window {
 public:
  // signals may be nullptr: then nothing closes the window before the end.
  HeadlessWindow(FormSpec spec, SignalWatch* signals);

  void ProcessMessages() override;
  // Nobody is there to answer: No.
  bool AskYesNo(std::string_view question) override;
  // The job is over and nobody waits for it: closes the window.
  void RunUntilClosed() override;

 private:
  SignalWatch* signals_;
};

}  // namespace kivo

#endif  // KIVO_PLATFORM_HEADLESS_WINDOW_H_
