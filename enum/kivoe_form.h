#ifndef KIVO_ENUM_KIVOE_FORM_H_
#define KIVO_ENUM_KIVOE_FORM_H_

// The enumeration program's progress window and its run driver. The form's
// first activation runs the whole job: it opens the log, reads the project,
// walks the enumeration tree, writes the report, closes the files and leaves
// the window in its ready state. The window reacts to the user only after
// each complete matrix and at the end of the walk.

#include <cstdint>
#include <string>
#include <vector>

#include "enum/enum.h"
#include "enum/kivoelib.h"
#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"
#include "platform/window.h"

namespace kivo::enumeration {

// Everything one run holds, owned by the caller of the form and passed by
// reference to every stage; nothing of it outlives the run.
struct EnumRun {
  explicit EnumRun(Env& environment) : env(environment) {}

  Env& env;
  // The command-line arguments that do not start with "--"; the first names
  // the project.
  std::vector<std::string> plain_arguments;

  std::string project_name;
  TextWriter log;  // <project>.out
  EnumRunStatus status;
  EnumerationInput input;
  EnumerationTallies tallies;
  MatrixListing listing;  // <project>.prn
  EnumerationTree tree;

  // The results section was written.
  bool reported = false;
  // The input/output error that ended the job, if any.
  Status io_status;
};

// 2 after an input/output error, 130 when the user interrupted the job or
// closed the window during it, 1 when the tree had to stop or no results
// section was written (refused input, no matrix with these totals), else 0.
int ExitStatus(const EnumRun& run);

// How the job ended, in words, for a run whose window nobody saw.
std::string EndSummary(const EnumRun& run);

class TKivoForm : public WindowEvents, public EnumerationWindow {
 public:
  // The controls, in the order of Spec().controls.
  static constexpr ControlId kLabel1 = 0;
  static constexpr ControlId kNumber = 1;
  static constexpr ControlId kLabel2 = 2;
  static constexpr ControlId kLabel3 = 3;
  static constexpr ControlId kStopButton = 4;
  static constexpr ControlId kTerminateLabel = 5;
  static constexpr ControlId kOKButton = 6;
  static constexpr ControlId kImage1 = 7;

  // The window as it looks when the program starts.
  static FormSpec Spec();

  // Attaches itself to the window. REQUIRES: window was made from Spec().
  TKivoForm(EnumRun& run, Window& window);
  ~TKivoForm() override;
  TKivoForm(const TKivoForm&) = delete;
  TKivoForm& operator=(const TKivoForm&) = delete;

  // The program's life: the activation runs the job, then the window rests
  // in its ready state until it is closed. After an input/output error (in
  // run.io_status) the ready state is skipped: the caller reports the error.
  void Run();

  // Runs the job; any later activation does nothing. An input/output error
  // abandons the job where it occurs; the log and listing are closed with
  // what they held and the error is kept in run.io_status.
  void FormActivate();
  // The stop button: asks, and on Yes marks the run interrupted.
  void HaltOnEsc();
  // OK and the end label: close the window.
  void Formclose();
  // The window is closing: during the job this interrupts it.
  void CloseForm();

  // EnumerationWindow.
  void shownumber(std::int32_t count) override;

  // WindowEvents.
  void OnClick(ControlId control) override;
  void OnClose() override;

 private:
  Status Job();
  Status Walk(TreeRun& tree_run);

  EnumRun& run_;
  Window& window_;
  bool activated_ = false;
  bool job_over_ = false;
};

}  // namespace kivo::enumeration

#endif  // KIVO_ENUM_KIVOE_FORM_H_
