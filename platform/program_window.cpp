#include "platform/program_window.h"

#include <unistd.h>

#include <utility>

#include "platform/headless_window.h"
#include "platform/terminal_window.h"

namespace kivo {

std::unique_ptr<Window> OpenProgramWindow(FormSpec spec, bool batch, SignalWatch& signals) {
  if (!batch && ::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1) {
    return std::make_unique<TerminalWindow>(std::move(spec), &signals, STDIN_FILENO, STDERR_FILENO);
  }
  return std::make_unique<HeadlessWindow>(std::move(spec), &signals);
}

}  // namespace kivo
