#include "tests/support/scripted_window.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace kivo {
namespace {

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + string&&.
std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text);
  quoted.push_back('"');
  return quoted;
}
const char* Bool(bool value) { return value ? "true" : "false"; }

}  // namespace

ScriptedWindow::ScriptedWindow(FormSpec spec) : Window(std::move(spec)) {}

void ScriptedWindow::ClickAt(int point, std::string control) {
  Require(control);
  actions_.push_back({point, false, std::move(control)});
}

void ScriptedWindow::CloseAt(int point) { actions_.push_back({point, true, {}}); }

void ScriptedWindow::AnswerNext(bool yes) { answers_.push_back(yes); }

void ScriptedWindow::ClickWhenReady(std::string control) {
  Require(control);
  ready_clicks_.push_back(std::move(control));
}

void ScriptedWindow::SetText(ControlId control, std::string_view text) {
  calls_.push_back("SetText(" + Name(control) + ", " + Quoted(text) + ")");
  Window::SetText(control, text);
}

void ScriptedWindow::SetVisible(ControlId control, bool visible) {
  calls_.push_back("SetVisible(" + Name(control) + ", " + Bool(visible) + ")");
  Window::SetVisible(control, visible);
}

void ScriptedWindow::SetEnabled(ControlId control, bool enabled) {
  calls_.push_back("SetEnabled(" + Name(control) + ", " + Bool(enabled) + ")");
  Window::SetEnabled(control, enabled);
}

void ScriptedWindow::SetHint(ControlId control, std::string_view hint) {
  calls_.push_back("SetHint(" + Name(control) + ", " + Quoted(hint) + ")");
  Window::SetHint(control, hint);
}

void ScriptedWindow::SetCaption(std::string_view caption) {
  calls_.push_back("SetCaption(" + Quoted(caption) + ")");
  Window::SetCaption(caption);
}

void ScriptedWindow::SetWindowHint(std::string_view hint) {
  calls_.push_back("SetWindowHint(" + Quoted(hint) + ")");
  Window::SetWindowHint(hint);
}

void ScriptedWindow::ProcessMessages() {
  ++points_;
  calls_.push_back("ProcessMessages #" + std::to_string(points_));
  for (const Action& action : actions_) {
    if (action.point != points_) continue;
    if (action.close) {
      Close();
    } else {
      Click(action.control);
    }
  }
}

bool ScriptedWindow::AskYesNo(std::string_view question) {
  questions_.emplace_back(question);
  const bool yes = next_answer_ < answers_.size() && answers_[next_answer_];
  ++next_answer_;
  calls_.push_back("AskYesNo(" + Quoted(question) + ") -> " + (yes ? "Yes" : "No"));
  return yes;
}

void ScriptedWindow::Close() {
  if (!closed()) calls_.push_back("Close");
  Window::Close();
}

void ScriptedWindow::RunUntilClosed() {
  reached_ready_ = true;
  calls_.push_back("RunUntilClosed");
  if (ready_clicks_.empty() && form().ok_control != kNoControl) {
    Click(Name(form().ok_control));
  }
  for (const std::string& control : ready_clicks_) {
    if (closed()) break;
    Click(control);
  }
}

bool ScriptedWindow::Recorded(std::string_view call) const {
  return std::find(calls_.begin(), calls_.end(), call) != calls_.end();
}

const std::string& ScriptedWindow::text(std::string_view name) const {
  return control(Require(name)).text;
}

const std::string& ScriptedWindow::hint(std::string_view name) const {
  return control(Require(name)).hint;
}

bool ScriptedWindow::visible(std::string_view name) const { return control(Require(name)).visible; }

bool ScriptedWindow::enabled(std::string_view name) const { return control(Require(name)).enabled; }

void ScriptedWindow::Click(const std::string& control) {
  // Recorded before the handler runs, so the record reads in the order of events.
  const ControlId id = Require(control);
  const ControlSpec& spec = this->control(id);
  const bool deliverable = !closed() && spec.visible && spec.enabled;
  calls_.push_back("Click(" + control + ")" + (deliverable ? "" : " ignored"));
  DispatchClick(id);
}

std::string ScriptedWindow::Name(ControlId control) const {
  if (!Valid(control)) {
    std::string name(1, '#');
    name += std::to_string(control);
    return name;
  }
  return form().controls[static_cast<std::size_t>(control)].name;
}

ControlId ScriptedWindow::Require(std::string_view name) const {
  const ControlId id = Find(name);
  if (id == kNoControl) throw std::invalid_argument("no control named " + std::string(name));
  return id;
}

}  // namespace kivo
