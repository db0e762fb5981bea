#include "platform/signals.h"

#include <signal.h>

#include <atomic>
#include <csignal>

namespace kivo {
namespace {

// Signal handlers can reach nothing but process-wide state, so this file
// keeps the only mutable globals of the programs. All of them are lock-free
// atomics, safe to touch from a handler.
std::atomic<int> g_pending{0};   // requests not yet taken
std::atomic<int> g_received{0};  // requests received since installed
std::atomic<int> g_last_signal{0};
std::atomic<TerminalRestore> g_restore{nullptr};

constexpr int kCloseSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

struct sigaction g_old_close[3];
struct sigaction g_old_fatal[5];
bool g_fatal_installed = false;

void RestoreTerminal() {
  TerminalRestore restore = g_restore.load();
  if (restore != nullptr) restore();
}

void OnCloseSignal(int signal_number) {
  g_last_signal.store(signal_number);
  if (g_received.fetch_add(1) == 0) {
    g_pending.fetch_add(1);
    return;
  }
  // The second request: the job did not wind down. End now, the usual way.
  RestoreTerminal();
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
  raise(signal_number);
}

void OnFatalSignal(int signal_number) {
  RestoreTerminal();
  // Hand the signal on to whoever had it before (the default action, or a
  // sanitizer's report): it is delivered again when this handler returns.
  for (int i = 0; i < 5; ++i) {
    if (kFatalSignals[i] == signal_number) sigaction(signal_number, &g_old_fatal[i], nullptr);
  }
  raise(signal_number);
}

void Install(int signal_number, void (*handler)(int), struct sigaction* old) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocking read returns to check the flag
  sigaction(signal_number, &action, old);
}

}  // namespace

SignalWatch::SignalWatch() {
  g_pending.store(0);
  g_received.store(0);
  g_last_signal.store(0);
  for (int i = 0; i < 3; ++i) Install(kCloseSignals[i], OnCloseSignal, &g_old_close[i]);
}

SignalWatch::~SignalWatch() {
  for (int i = 0; i < 3; ++i) sigaction(kCloseSignals[i], &g_old_close[i], nullptr);
}

bool SignalWatch::TakeCloseRequest() {
  if (g_pending.load(std::memory_order_relaxed) == 0) return false;
  g_pending.store(0);
  return true;
}

int SignalWatch::last_signal() const { return g_last_signal.load(); }

void SetTerminalRestore(TerminalRestore restore) {
  g_restore.store(restore);
  if (restore != nullptr && !g_fatal_installed) {
    for (int i = 0; i < 5; ++i) Install(kFatalSignals[i], OnFatalSignal, &g_old_fatal[i]);
    g_fatal_installed = true;
  } else if (restore == nullptr && g_fatal_installed) {
    for (int i = 0; i < 5; ++i) sigaction(kFatalSignals[i], &g_old_fatal[i], nullptr);
    g_fatal_installed = false;
  }
}

}  // namespace kivo
