#ifndef KIVO_PLATFORM_SIGNALS_H_
#define KIVO_PLATFORM_SIGNALS_H_

// Requests to end the program that arrive as signals. While a SignalWatch is
// installed, SIGINT, SIGTERM and SIGHUP only set a flag that the window reads
// at its next message-processing point, where they act as closing the window:
// the job winds down, the log is closed, the program ends. A second such
// signal ends the program at once, for a job that is stuck where it never
// processes messages.
//
// These are process-wide settings: install at most one watch at a time.

namespace kivo {

class SignalWatch {
 public:
  SignalWatch();   // installs the handlers
  ~SignalWatch();  // restores the handlers that were there before
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  // True when a request arrived since the last call (the request is taken).
  // One relaxed atomic load when there is none: cheap enough for hot loops.
  bool TakeCloseRequest();
  // The number of the last signal received, 0 when none.
  int last_signal() const;
};

// A function that puts the terminal back into its normal state. It must be
// async-signal-safe (tcsetattr and write only). While set, it is also called
// before the program ends on a second close request or on a fatal signal
// (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT), which then takes its usual
// course. nullptr removes it.
using TerminalRestore = void (*)();
void SetTerminalRestore(TerminalRestore restore);

}  // namespace kivo

#endif  // KIVO_PLATFORM_SIGNALS_H_
