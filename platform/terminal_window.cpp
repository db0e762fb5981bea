#include "platform/terminal_window.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace kivo {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kPollInterval{5};
constexpr milliseconds kDrawInterval{50};
// Checking the clock costs little, but the sampler calls ProcessMessages for
// every attempt; looking at it every 16th call makes the cost vanish.
constexpr std::uint32_t kClockEvery = 16;
// Controls whose y differ by less than this share a row on the terminal.
constexpr int kRowTolerance = 12;

constexpr char kHideCursor[] = "\x1b[?25l";
constexpr char kShowCursor[] = "\x1b[?25h";

// The terminal's settings before the window, for the restore that a signal
// handler may have to make; written before the handler can see them.
struct termios g_saved_mode {};
std::atomic<int> g_restore_input_fd{-1};
std::atomic<int> g_restore_output_fd{-1};

// Async-signal-safe: tcsetattr and write only.
void EmergencyRestore() {
  const int input_fd = g_restore_input_fd.load();
  const int output_fd = g_restore_output_fd.load();
  if (input_fd >= 0) tcsetattr(input_fd, TCSANOW, &g_saved_mode);
  if (output_fd >= 0) {
    const char text[] = "\x1b[?25h\n";
    [[maybe_unused]] const ssize_t written = ::write(output_fd, text, sizeof text - 1);
  }
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

bool Usable(const ControlSpec& control) { return control.visible && control.enabled; }

}  // namespace

TerminalWindow::TerminalWindow(FormSpec spec, SignalWatch* signals, int input_fd, int output_fd)
    : Window(std::move(spec)), signals_(signals), input_fd_(input_fd), output_fd_(output_fd) {
  struct termios mode {};
  if (tcgetattr(input_fd_, &mode) == 0) {
    g_saved_mode = mode;
    // Keys arrive one by one, unechoed, and Ctrl-C arrives as a key instead
    // of a signal; reads return at once when nothing is there. Output
    // processing stays on, so "\n" still starts a new line.
    mode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
    mode.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
    mode.c_cc[VMIN] = 0;
    mode.c_cc[VTIME] = 0;
    if (tcsetattr(input_fd_, TCSANOW, &mode) == 0) {
      raw_ = true;
      g_restore_input_fd.store(input_fd_);
    }
  }
  g_restore_output_fd.store(output_fd_);
  SetTerminalRestore(&EmergencyRestore);
  Write(kHideCursor);
  last_poll_ = Clock::now();
  Draw("");
}

TerminalWindow::~TerminalWindow() {
  if (dirty_) Draw("");
  Write(kShowCursor);
  SetTerminalRestore(nullptr);
  g_restore_input_fd.store(-1);
  g_restore_output_fd.store(-1);
  if (raw_) tcsetattr(input_fd_, TCSANOW, &g_saved_mode);
}

void TerminalWindow::ProcessMessages() {
  if (closed()) return;
  if (CheckSignals()) return;
  if (++calls_ % kClockEvery != 0) return;
  const Clock::time_point now = Clock::now();
  if (now - last_poll_ >= kPollInterval) {
    last_poll_ = now;
    Handle(ReadKey(0));
  }
  if (dirty_ && now - last_draw_ >= kDrawInterval) Draw("");
}

bool TerminalWindow::AskYesNo(std::string_view question) {
  const std::string text(question);
  Draw(text + "  (y/n)");
  bool yes = false;
  for (;;) {
    if (signals_ != nullptr && signals_->TakeCloseRequest()) {
      close_after_question_ = true;
      break;
    }
    const Key key = ReadKey(100);
    if (key == Key::kYes) {
      yes = true;
      break;
    }
    if (key == Key::kNo || key == Key::kEscape) break;
    if (key == Key::kClose) {
      // The window closes once the question's handler is done with it.
      close_after_question_ = true;
      break;
    }
  }
  Draw("");
  return yes;
}

void TerminalWindow::Close() {
  if (closed()) return;
  Window::Close();
  Draw("");
}

void TerminalWindow::RunUntilClosed() {
  while (!closed()) {
    if (CheckSignals()) break;
    if (dirty_) Draw("");
    Handle(ReadKey(100));
  }
}

TerminalWindow::Key TerminalWindow::ReadKey(int timeout_ms) {
  if (pending_count_ == 0) {
    if (timeout_ms > 0) {
      struct pollfd request {};
      request.fd = input_fd_;
      request.events = POLLIN;
      const int ready = ::poll(&request, 1, timeout_ms);
      if (ready <= 0) return Key::kNone;                        // nothing, or a signal to look at
      if ((request.revents & POLLIN) == 0) return Key::kClose;  // hung up
    }
    const ssize_t count = ::read(input_fd_, pending_, sizeof pending_);
    if (count < 0) return errno == EIO ? Key::kClose : Key::kNone;
    // With a timeout, poll said there is something: nothing read is the end.
    if (count == 0) return timeout_ms > 0 ? Key::kClose : Key::kNone;
    pending_count_ = static_cast<int>(count);
  }
  // Keys typed together are taken one per call, in order.
  Key key = Key::kNone;
  int i = 0;
  while (i < pending_count_ && key == Key::kNone) {
    const char c = pending_[i++];
    if (c == '\x1b') {
      // A lone Esc is the key; Esc followed by [ or O starts the sequence of
      // a cursor or function key, skipped up to its final byte.
      if (i < pending_count_ && (pending_[i] == '[' || pending_[i] == 'O')) {
        ++i;
        while (i < pending_count_ && !(pending_[i] >= 0x40 && pending_[i] <= 0x7e)) ++i;
        if (i < pending_count_) ++i;
        continue;
      }
      key = Key::kEscape;
      continue;
    }
    switch (c) {
      case 's':
      case 'S':
        key = Key::kStop;
        break;
      case '\r':
      case '\n':
        key = Key::kOk;
        break;
      case '\x03':
        key = Key::kClose;
        break;
      case 'y':
      case 'Y':
        key = Key::kYes;
        break;
      case 'n':
      case 'N':
        key = Key::kNo;
        break;
      default:
        break;
    }
  }
  std::memmove(pending_, pending_ + i, static_cast<std::size_t>(pending_count_ - i));
  pending_count_ -= i;
  return key;
}

void TerminalWindow::Handle(Key key) {
  switch (key) {
    case Key::kStop:
    case Key::kEscape:
      DispatchClick(form().stop_control);
      break;
    case Key::kOk:
      DispatchClick(form().ok_control);
      break;
    case Key::kClose:
      Close();
      break;
    default:
      break;
  }
  if (close_after_question_) {
    close_after_question_ = false;
    Close();
  }
}

bool TerminalWindow::CheckSignals() {
  if (signals_ == nullptr || !signals_->TakeCloseRequest()) return false;
  Close();
  return true;
}

void TerminalWindow::Draw(const std::string& question) {
  const FormSpec& spec = form();
  std::size_t width = 80;
  struct winsize size {};
  if (::ioctl(output_fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 1) width = size.ws_col;

  std::vector<std::string> lines;
  lines.push_back("== " + spec.caption + " ==");
  lines.emplace_back();

  // Rows of controls, top to bottom, each row left to right.
  std::vector<ControlId> shown;
  for (std::size_t i = 0; i < spec.controls.size(); ++i) {
    const ControlSpec& c = spec.controls[i];
    if (c.visible && c.kind != ControlKind::kDecoration) shown.push_back(static_cast<ControlId>(i));
  }
  std::stable_sort(shown.begin(), shown.end(),
                   [&](ControlId a, ControlId b) { return control(a).y < control(b).y; });
  for (std::size_t first = 0; first < shown.size();) {
    std::size_t end = first + 1;
    while (end < shown.size() && control(shown[end]).y - control(shown[first]).y < kRowTolerance) {
      ++end;
    }
    std::vector<ControlId> row(shown.begin() + static_cast<std::ptrdiff_t>(first),
                               shown.begin() + static_cast<std::ptrdiff_t>(end));
    std::stable_sort(row.begin(), row.end(),
                     [&](ControlId a, ControlId b) { return control(a).x < control(b).x; });
    std::string line = "  ";
    for (std::size_t k = 0; k < row.size(); ++k) {
      const ControlSpec& c = control(row[k]);
      if (k > 0) line += "   ";
      switch (c.kind) {
        case ControlKind::kEdit:
          line += "[" + c.text + "]";
          break;
        case ControlKind::kButton:
          line += "[ " + c.text + " ]";
          break;
        default:
          line += c.text;
          break;
      }
      if (c.enabled && !closed()) {
        if (row[k] == spec.stop_control) line += "  (s)";
        if (row[k] == spec.ok_control) line += "  (Enter)";
      }
    }
    lines.push_back(line);
    first = end;
  }
  lines.emplace_back();

  if (!question.empty()) {
    lines.push_back("  " + question);
  } else if (closed()) {
    lines.push_back("  Window closed.");
  } else {
    std::string help;
    if (!spec.hint.empty()) {
      help = spec.hint;
    } else if (spec.stop_control != kNoControl && Usable(control(spec.stop_control))) {
      help = control(spec.stop_control).hint;
    }
    std::string keys;
    if (spec.stop_control != kNoControl && Usable(control(spec.stop_control))) {
      keys += "s/Esc: " + Trimmed(control(spec.stop_control).text) + "   ";
    }
    if (spec.ok_control != kNoControl && Usable(control(spec.ok_control))) {
      keys += "Enter: " + Trimmed(control(spec.ok_control).text) + "   ";
    }
    keys += "Ctrl-C: close";
    lines.push_back("  " + (help.empty() ? keys : help + "  --  " + keys));
  }

  std::string out;
  if (drawn_lines_ > 0) out += "\r\x1b[" + std::to_string(drawn_lines_) + "A";
  out += "\x1b[J";
  for (std::string& line : lines) {
    // A line wider than the terminal would wrap and spoil the count of lines
    // to move up at the next redraw.
    if (line.size() >= width) line.resize(width - 1);
    out += line;
    out += '\n';
  }
  Write(out);
  drawn_lines_ = static_cast<int>(lines.size());
  dirty_ = false;
  last_draw_ = Clock::now();
}

void TerminalWindow::Write(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(output_fd_, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // the terminal is gone: nothing to draw on
    done += static_cast<std::size_t>(written);
  }
}

}  // namespace kivo
