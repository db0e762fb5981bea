#include "platform/headless_window.h"

#include <utility>

namespace kivo {

HeadlessWindow::HeadlessWindow(FormSpec spec, SignalWatch* signals)
    : Window(std::move(spec)), signals_(signals) {}

void HeadlessWindow::ProcessMessages() {
  if (signals_ != nullptr && signals_->TakeCloseRequest()) Close();
}

bool HeadlessWindow::AskYesNo(std::string_view /*question*/) { return false; }

void HeadlessWindow::RunUntilClosed() { Close(); }

}  // namespace kivo
