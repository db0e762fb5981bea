#include "platform/window.h"

#include <utility>

namespace kivo {

Window::Window(FormSpec spec) : form_(std::move(spec)) {}

void Window::SetText(ControlId control, std::string_view text) {
  if (!Valid(control)) return;
  std::string& current = form_.controls[static_cast<std::size_t>(control)].text;
  if (current == text) return;
  current.assign(text);  // reuses the capacity: no allocation for counters
  dirty_ = true;
}

void Window::SetVisible(ControlId control, bool visible) {
  if (!Valid(control)) return;
  form_.controls[static_cast<std::size_t>(control)].visible = visible;
  dirty_ = true;
}

void Window::SetEnabled(ControlId control, bool enabled) {
  if (!Valid(control)) return;
  form_.controls[static_cast<std::size_t>(control)].enabled = enabled;
  dirty_ = true;
}

void Window::SetHint(ControlId control, std::string_view hint) {
  if (!Valid(control)) return;
  form_.controls[static_cast<std::size_t>(control)].hint.assign(hint);
  dirty_ = true;
}

void Window::SetCaption(std::string_view caption) {
  form_.caption.assign(caption);
  dirty_ = true;
}

void Window::SetWindowHint(std::string_view hint) {
  form_.hint.assign(hint);
  dirty_ = true;
}

void Window::Close() {
  // A handler may close the window again from inside OnClose; the first
  // close is the one that counts.
  if (closed_ || closing_) return;
  closing_ = true;
  if (events_ != nullptr) events_->OnClose();
  closed_ = true;
  dirty_ = true;
}

const ControlSpec& Window::control(ControlId id) const {
  return form_.controls.at(static_cast<std::size_t>(id));
}

ControlId Window::Find(std::string_view name) const {
  for (std::size_t i = 0; i < form_.controls.size(); ++i) {
    if (form_.controls[i].name == name) return static_cast<ControlId>(i);
  }
  return kNoControl;
}

bool Window::DispatchClick(ControlId control) {
  if (closed_ || !Valid(control) || events_ == nullptr) return false;
  const ControlSpec& c = form_.controls[static_cast<std::size_t>(control)];
  if (!c.visible || !c.enabled) return false;
  events_->OnClick(control);
  return true;
}

}  // namespace kivo
