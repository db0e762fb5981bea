#ifndef KIVO_SIM_KIVOS_FORM_H_
#define KIVO_SIM_KIVOS_FORM_H_

// The simulation program's progress window and its run driver. The form's
// first activation runs the whole job: it opens the log, reads the project,
// lets the sampler draw, writes the reports, closes the files and leaves the
// window in its ready state. The window reacts to the user only while the
// sampler lets it process messages (ProcessThem).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"
#include "platform/window.h"
#include "sim/kivosimlib.h"
#include "sim/kivosimlib_report.h"
#include "sim/rand3.h"
#include "sim/sim_run.h"

namespace kivo::sim {

struct SamplerRun;

// Everything one run holds, owned by the caller of the form and passed by
// reference to every stage; nothing of it outlives the run.
struct SimRun {
  explicit SimRun(Env& environment) : env(environment) {}

  Env& env;
  // From the command line: the arguments that do not start with "--", in
  // order (the first names the project), and the seed of --seed=N.
  std::vector<std::string> plain_arguments;
  std::optional<std::int32_t> seed;
  // --summary=FILE: also write the estimates as CSV to FILE (empty: no CSV).
  std::string summary_path;

  std::string project_name;
  TextWriter log;      // <project>.out
  TextWriter listing;  // <project>.prn, open when every matrix is listed
  RunStatus status;
  ProjectInput input;  // f, g, N and the rest of <project>.in
  Rand3 rand;

  // Kept current by the sampler: matrices drawn so far (n) and attempts.
  std::int32_t matrices = 0;
  std::uint64_t attempts = 0;
  // More than 4 statistics per matrix: the sampler writes <project>.pqr and
  // the results come from processing that file.
  bool intermediate_mode = false;

  // The input/output error that ended the job, if any.
  Status io_status;
};

// 0 when the job ended ready, 1 when it had to stop, 130 when the user
// interrupted it or closed the window during it, 2 after an input/output
// error.
int ExitStatus(const SimRun& run);

// How the job ended, in the window's words, for a run that showed no window:
// "The program is ready.", "The program was interrupted." or "The program had
// to stop." followed by the stop message, if there is one.
std::string EndSummary(const SimRun& run);

class TKivoSimForm : public WindowEvents, public SimulationWindow {
 public:
  // The controls, in the order of Spec().controls.
  static constexpr ControlId kPrelimLabel = 0;
  static constexpr ControlId kNumberLabel = 1;
  static constexpr ControlId kNumberSim = 2;
  static constexpr ControlId kRangeLabel = 3;
  static constexpr ControlId kAttemptLabel = 4;
  static constexpr ControlId kNumberAttempt = 5;
  static constexpr ControlId kTerminateLabel = 6;
  static constexpr ControlId kStopBackground = 7;
  static constexpr ControlId kStopLabel = 8;
  static constexpr ControlId kOKEdit = 9;
  static constexpr ControlId kImage1 = 10;

  // The window as it looks when the program starts.
  static FormSpec Spec();

  // Attaches itself to the window. REQUIRES: window was made from Spec().
  TKivoSimForm(SimRun& run, Window& window);
  ~TKivoSimForm() override;
  TKivoSimForm(const TKivoSimForm&) = delete;
  TKivoSimForm& operator=(const TKivoSimForm&) = delete;

  // The program's life: the activation runs the job, then the window rests
  // in its ready state until it is closed. After an input/output error (in
  // run.io_status) the ready state is skipped: the caller reports the error.
  void Run();

  // Runs the job; any later activation does nothing. An input/output error
  // abandons the job where it occurs; the log and listing are closed with
  // what they held and the error is kept in run.io_status.
  void FormActivate();
  // The stop control: asks, and on Yes marks the run interrupted.
  void HaltOnEsc();
  // OK, the end label and the counter: close the window once the job is over.
  void Formclose();
  // The window is closing: during the job this interrupts it.
  void CloseForm();
  void shownumber(std::int32_t matrices);
  void showattempt(std::uint64_t attempts);

  // SimulationWindow.
  void ProcessThem() override;
  void ShowCounts(std::uint64_t attempts, std::int32_t matrices) override;
  void HidePrelimLabel() override;

  // WindowEvents.
  void OnClick(ControlId control) override;
  void OnClose() override;

 private:
  Status Job();
  // What the results header shows; sampler is nullptr when nothing was drawn.
  SimulationSummary Summary(std::int32_t requested, const SamplerRun* sampler) const;
  // The CSV summary when run.summary_path is set; results is nullptr in
  // intermediate mode.
  Status WriteSummary(const SamplerRun& sampler, const EstimationResults* results) const;
  void ShowStopMessage();
  void ShowCount(ControlId control, std::uint64_t value);

  SimRun& run_;
  Window& window_;
  bool activated_ = false;
};

}  // namespace kivo::sim

#endif  // KIVO_SIM_KIVOS_FORM_H_
