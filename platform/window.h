#ifndef KIVO_PLATFORM_WINDOW_H_
#define KIVO_PLATFORM_WINDOW_H_

// The one progress window a windowed program shows, as its run driver sees it.
//
// A driver describes its form once (a FormSpec: caption, controls with their
// initial texts, hints and states, which control is the stop control and
// which the OK control) and implements WindowEvents. The window keeps the
// current state of every control; an implementation decides how (and whether)
// it is drawn. Events (clicks, a close) are delivered only from inside
// ProcessMessages, AskYesNo and RunUntilClosed, on the caller's thread, so a
// handler never runs in the middle of the job's own work.
//
// Implementations: TerminalWindow (platform/terminal_window.h), HeadlessWindow
// (platform/headless_window.h) and, for tests, ScriptedWindow
// (tests/support/scripted_window.h). The program's main chooses one.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

// Index of a control in FormSpec::controls.
using ControlId = int;
inline constexpr ControlId kNoControl = -1;

enum class ControlKind {
  kLabel,       // static text; may still react to clicks
  kEdit,        // a text box used as a display
  kButton,      // a push button
  kDecoration,  // a picture or coloured block: never carries information
};

struct ControlSpec {
  std::string name;  // the control's name, used in test records
  ControlKind kind = ControlKind::kLabel;
  std::string text;
  std::string hint;
  bool visible = true;
  bool enabled = true;
  // Position on the form; an implementation may use it to lay controls out
  // (controls whose y lie close together share a row in the terminal).
  int x = 0;
  int y = 0;
};

struct FormSpec {
  std::string caption;
  std::string hint;  // the window's own hint
  std::vector<ControlSpec> controls;
  ControlId stop_control = kNoControl;  // what a stop request clicks
  ControlId ok_control = kNoControl;    // what a confirm request clicks
};

// What the form does when the window reports something.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // A click (or double-click) on a visible, enabled control.
  virtual void OnClick(ControlId control) = 0;
  // The window is being closed; called once, before closed() turns true.
  virtual void OnClose() = 0;
};

class Window {
 public:
  explicit Window(FormSpec spec);
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window() = default;

  // REQUIRES: 0 <= control < number of controls (others are ignored).
  virtual void SetText(ControlId control, std::string_view text);
  virtual void SetVisible(ControlId control, bool visible);
  virtual void SetEnabled(ControlId control, bool enabled);
  virtual void SetHint(ControlId control, std::string_view hint);
  virtual void SetCaption(std::string_view caption);
  virtual void SetWindowHint(std::string_view hint);

  // Handles whatever is pending (input, repaints, close requests) and
  // dispatches it to the events, then returns. Called very often by the
  // job's hot loops: implementations keep it to a cheap check most times.
  virtual void ProcessMessages() = 0;
  // A modal question with the answers Yes (true) and No (false).
  virtual bool AskYesNo(std::string_view question) = 0;
  // Calls OnClose (once), then the window is closed. Closing a closed
  // window does nothing.
  virtual void Close();
  // Waits until the window is closed, dispatching events meanwhile; the
  // state a form rests in once its job is over.
  virtual void RunUntilClosed() = 0;

  // The form whose handlers receive the events; nullptr detaches it (events
  // are then dropped). REQUIRES: the form stays alive while attached.
  void Attach(WindowEvents* events) { events_ = events; }

  bool closed() const { return closed_; }

  // Current state, as last set.
  const FormSpec& form() const { return form_; }
  const ControlSpec& control(ControlId id) const;
  // The control of that name, or kNoControl.
  ControlId Find(std::string_view name) const;

 protected:
  // Delivers a click when the control is visible and enabled, as a real
  // window would (a hidden or disabled control cannot be clicked). Returns
  // whether it was delivered.
  bool DispatchClick(ControlId control);
  bool Valid(ControlId control) const {
    return control >= 0 && static_cast<std::size_t>(control) < form_.controls.size();
  }
  // Set by every change of text, visibility, caption or hint; an
  // implementation that draws clears it when it has drawn the change.
  bool dirty_ = true;

 private:
  FormSpec form_;
  WindowEvents* events_ = nullptr;
  bool closed_ = false;
  bool closing_ = false;
};

}  // namespace kivo

#endif  // KIVO_PLATFORM_WINDOW_H_
