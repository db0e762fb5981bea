#ifndef KIVO_PLATFORM_PROGRAM_WINDOW_H_
#define KIVO_PLATFORM_PROGRAM_WINDOW_H_

// The window a windowed program opens: drawn on the terminal when standard
// input and standard error are both terminals and --batch was not given,
// headless otherwise. Called by the programs' main only.

#include <memory>

#include "platform/signals.h"
#include "platform/window.h"

namespace kivo {

// REQUIRES: signals outlives the window.
std::unique_ptr<Window> OpenProgramWindow(FormSpec spec, bool batch, SignalWatch& signals);

}  // namespace kivo

#endif  // KIVO_PLATFORM_PROGRAM_WINDOW_H_
