#include "enum/kivoe_form.h"

#include <charconv>
#include <utility>

#include "runfiles/kivolib.h"

namespace kivo::enumeration {
namespace {

ControlSpec Control(std::string name, ControlKind kind, std::string text, int x, int y) {
  ControlSpec control;
  control.name = std::move(name);
  control.kind = kind;
  control.text = std::move(text);
  control.x = x;
  control.y = y;
  return control;
}

}  // namespace

int ExitStatus(const EnumRun& run) {
  if (!run.io_status.ok()) return 2;
  if (run.status.interrupted) return 130;
  if (run.status.had_to_stop || !run.reported) return 1;
  return 0;
}

std::string EndSummary(const EnumRun& run) {
  if (run.status.interrupted) return "The program was interrupted.";
  if (run.status.had_to_stop) return "The program had to stop.";
  if (!run.reported) {
    return "No matrices found for these input data; " + run.project_name + ".out says why.";
  }
  return "The program is ready.";
}

FormSpec TKivoForm::Spec() {
  FormSpec spec;
  spec.caption = "Kivo Enumeration";
  // The window's hint, "click OK to continue", is shown only once the job is
  // over (step 9 of the job sets it).
  spec.controls.resize(8);
  spec.controls[kLabel1] =
      Control("Label1", ControlKind::kLabel, "Number of enumerated matrices", 372, 24);
  spec.controls[kNumber] = Control("Number", ControlKind::kEdit, "          0", 400, 56);
  spec.controls[kLabel2] =
      Control("Label2", ControlKind::kLabel, "  No matrices found   ", 416, 112);
  spec.controls[kLabel2].visible = false;
  spec.controls[kLabel3] = Control("Label3", ControlKind::kLabel, "for these input data", 451, 127);
  spec.controls[kLabel3].visible = false;
  spec.controls[kStopButton] =
      Control("StopButton", ControlKind::kButton, "Stop enumerations", 395, 168);
  spec.controls[kTerminateLabel] =
      Control("TerminateLabel", ControlKind::kLabel, "      The program is ready", 374, 383);
  spec.controls[kTerminateLabel].hint = "click OK to continue";
  spec.controls[kTerminateLabel].visible = false;
  spec.controls[kOKButton] = Control("OKButton", ControlKind::kButton, "OK", 460, 409);
  spec.controls[kOKButton].hint = "click to continue";
  spec.controls[kOKButton].visible = false;
  spec.controls[kOKButton].enabled = false;
  spec.controls[kImage1] = Control("Image1", ControlKind::kDecoration, "", 0, -8);
  spec.controls[kImage1].hint = "sand";
  spec.stop_control = kStopButton;
  spec.ok_control = kOKButton;
  return spec;
}

TKivoForm::TKivoForm(EnumRun& run, Window& window) : run_(run), window_(window) {
  window_.Attach(this);
}

TKivoForm::~TKivoForm() { window_.Attach(nullptr); }

void TKivoForm::Run() {
  FormActivate();
  if (!run_.io_status.ok()) return;
  window_.RunUntilClosed();
}

void TKivoForm::FormActivate() {
  // The job runs once per program start, whatever activates the form again.
  if (activated_) return;
  activated_ = true;
  Status status = Job();
  if (!status.ok()) {
    run_.io_status = std::move(status);
    run_.listing.file.Close();
    run_.log.Close();
    job_over_ = true;
  }
}

Status TKivoForm::Job() {
  EnumRun& run = run_;
  TextWriter& log = run.log;
  if (Status s =
          StartOutputLog(run.plain_arguments, run.project_name, kMaxProjectName, log, run.env);
      !s.ok()) {
    return s;
  }
  InitEnumeration(run.status, run.input, run.tallies, run.listing);
  InitEnumeration(run.tree);
  window_.SetCaption("Kivo Enumeration " + run.project_name);
  if (Status s = ReadEnumerationInput(log, run.project_name, run.env, run.input); !s.ok()) {
    return s;
  }

  if (run.input.n >= 2) {
    TreeRun tree_run{run.input, run.tallies, run.listing, run.status,
                     *this,     log,         run.env,     run.project_name};
    if (Status s = PrepareTree(run.tree, tree_run); !s.ok()) return s;
    // PrepareTree leaves n = 0 when no matrix exists or too many statistics
    // would be needed; it has logged why.
    if (run.input.n != 0) {
      if (Status s = Walk(tree_run); !s.ok()) return s;
      if (!run.status.interrupted && !run.status.had_to_stop) {
        WriteEnumerationReport(log, run.input, run.tallies, run.listing);
        run.reported = true;
      }
    }
    if (run.status.interrupted) log.WriteLine("Program interrupted by user.");
  }
  if (!log.status().ok()) return log.status();

  if (run.tallies.count == 0) {
    window_.SetVisible(kLabel2, true);
    window_.SetVisible(kLabel3, true);
  }
  // A listing that the disk guard closed early keeps its status too.
  if (Status s = run.listing.file.Close(); !s.ok()) return s;
  log.WriteLine();
  if (Status s = log.Close(); !s.ok()) return s;
  job_over_ = true;

  if (run.status.had_to_stop) window_.SetText(kTerminateLabel, "The program had to stop.");
  window_.SetVisible(kStopButton, false);
  window_.SetVisible(kOKButton, true);
  window_.SetVisible(kTerminateLabel, true);
  window_.SetEnabled(kOKButton, true);
  window_.SetWindowHint("click OK to continue");
  return Status::Ok();
}

// Alternates descending and backtracking until the tree is exhausted, the
// user stops or a limit is hit. The window gets its turn only after a
// complete matrix and at the end: these are the only moments at which the
// stop button and closing the window are noticed.
Status TKivoForm::Walk(TreeRun& tree_run) {
  EnumerationTree& tree = run_.tree;
  const EnumRunStatus& status = run_.status;
  for (;;) {
    DescendTree(tree, tree_run);
    if (tree.dead) BacktrackTree(tree, tree_run, false);
    if (tree.found || tree.finished || status.interrupted || status.had_to_stop) {
      window_.ProcessMessages();
      if (tree.found && !tree.dead) BacktrackTree(tree, tree_run, true);
      if (tree.finished) shownumber(run_.tallies.count);
      if (!run_.listing.file.status().ok()) return run_.listing.file.status();
      if (!run_.log.status().ok()) return run_.log.status();
      if (tree.finished || status.interrupted || status.had_to_stop) return Status::Ok();
    }
  }
}

void TKivoForm::HaltOnEsc() {
  if (!window_.AskYesNo("Are you sure you want to stop the enumerations?")) return;
  run_.status.interrupted = true;
  window_.SetText(kTerminateLabel, "The program was interrupted");
}

void TKivoForm::Formclose() {
  // OK and the end label are shown only once the job is over.
  if (!job_over_) return;
  window_.Close();
}

void TKivoForm::CloseForm() {
  // After the job the log is closed and the run's outcome is settled.
  if (job_over_) return;
  run_.status.interrupted = true;
  if (run_.log.is_open()) run_.log.WriteLine("Program closed by user.");
}

void TKivoForm::shownumber(std::int32_t count) {
  // Seven blanks and the number, formatted in place: the counter changes
  // often during the walk and must not allocate.
  char text[7 + 12];
  for (int i = 0; i < 7; ++i) text[i] = ' ';
  const std::to_chars_result end = std::to_chars(text + 7, text + sizeof text, count);
  window_.SetText(kNumber, std::string_view(text, static_cast<std::size_t>(end.ptr - text)));
}

void TKivoForm::OnClick(ControlId control) {
  switch (control) {
    case kStopButton:
      HaltOnEsc();
      break;
    case kTerminateLabel:
    case kOKButton:
      Formclose();
      break;
    default:
      break;
  }
}

void TKivoForm::OnClose() { CloseForm(); }

}  // namespace kivo::enumeration
