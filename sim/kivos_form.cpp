#include "sim/kivos_form.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <span>
#include <utility>

#include "runfiles/kivolib.h"
#include "sim/kivosimlib_report.h"
#include "sim/simplus.h"
#include "sim/simul.h"
#include "sim/summary.h"

namespace kivo::sim {
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

int ExitStatus(const SimRun& run) {
  if (!run.io_status.ok()) return 2;
  if (run.status.interrupted) return 130;
  if (run.status.had_to_stop) return 1;
  return 0;
}

std::string EndSummary(const SimRun& run) {
  if (run.status.interrupted) {
    std::string text = "The program was interrupted.";
    // Interrupted while normalising: the sampler's message says so.
    if (run.status.had_to_stop && !run.status.stop_message.empty()) {
      text += " " + run.status.stop_message;
    }
    return text;
  }
  if (run.status.had_to_stop) {
    std::string text = "The program had to stop.";
    if (!run.status.stop_message.empty()) text += " " + run.status.stop_message;
    return text;
  }
  return "The program is ready.";
}

FormSpec TKivoSimForm::Spec() {
  FormSpec spec;
  spec.caption = "Kivo Simulation";
  spec.controls.resize(11);
  spec.controls[kPrelimLabel] =
      Control("PrelimLabel", ControlKind::kLabel, "Preliminary runs for normalization", 309, 8);
  spec.controls[kNumberLabel] =
      Control("NumberLabel", ControlKind::kLabel, "Number of simulated matrices", 309, 42);
  spec.controls[kNumberSim] = Control("NumberSim", ControlKind::kEdit, "          0", 309, 72);
  spec.controls[kRangeLabel] = Control("RangeLabel", ControlKind::kLabel, "(1 - ?\?)", 440, 75);
  spec.controls[kAttemptLabel] =
      Control("AttemptLabel", ControlKind::kLabel, "Number of attempts", 309, 136);
  spec.controls[kNumberAttempt] =
      Control("NumberAttempt", ControlKind::kEdit, "           0", 309, 160);
  spec.controls[kTerminateLabel] =
      Control("TerminateLabel", ControlKind::kLabel, "     The program is ready", 298, 286);
  spec.controls[kTerminateLabel].hint = "click OK to continue";
  spec.controls[kTerminateLabel].visible = false;
  spec.controls[kStopBackground] =
      Control("StopBackground", ControlKind::kDecoration, " ", 392, 288);
  spec.controls[kStopLabel] =
      Control("StopLabel", ControlKind::kButton, "Stop simulations", 395, 291);
  spec.controls[kStopLabel].hint = "click this to interrupt";
  // An edit box that serves as the OK button; it is enabled when the job
  // is over, so it cannot be clicked before.
  spec.controls[kOKEdit] = Control("OKEdit", ControlKind::kButton, "  OK", 432, 320);
  spec.controls[kOKEdit].hint = "Click to continue";
  spec.controls[kOKEdit].visible = false;
  spec.controls[kOKEdit].enabled = false;
  spec.controls[kImage1] = Control("Image1", ControlKind::kDecoration, "", 1, -8);
  spec.stop_control = kStopLabel;
  spec.ok_control = kOKEdit;
  return spec;
}

TKivoSimForm::TKivoSimForm(SimRun& run, Window& window) : run_(run), window_(window) {
  window_.Attach(this);
}

TKivoSimForm::~TKivoSimForm() { window_.Attach(nullptr); }

void TKivoSimForm::Run() {
  FormActivate();
  if (!run_.io_status.ok()) return;
  window_.RunUntilClosed();
}

void TKivoSimForm::FormActivate() {
  // The job runs once per program start, whatever activates the form again.
  if (activated_) return;
  activated_ = true;
  Status status = Job();
  if (!status.ok()) {
    run_.io_status = std::move(status);
    run_.listing.Close();
    run_.log.Close();
  }
}

Status TKivoSimForm::Job() {
  RunStatus& status = run_.status;
  ProjectInput& input = run_.input;
  TextWriter& log = run_.log;

  status.finished = false;
  if (Status s =
          StartOutputLog(run_.plain_arguments, run_.project_name, kMaxProjectName, log, run_.env);
      !s.ok()) {
    return s;
  }

  // Reads and checks <project>.in. It fills run_.input, may set
  // status.stop_message and open run_.listing.
  if (Status s = ReadProjectInput(log, run_.project_name, run_.env, status, input, run_.listing);
      !s.ok()) {
    return s;
  }

  window_.SetCaption("Kivo Simulation " + run_.project_name);
  window_.SetText(kRangeLabel, "(1 - " + std::to_string(input.simulations) + ")");
  if (!status.stop_message.empty()) {
    ShowStopMessage();
    status.had_to_stop = true;
  }

  bool simulated = false;
  // The sampler's state and weighted sums, which the reports read.
  std::unique_ptr<SamplerRun> sampler;
  // N as the input asked for it; the sampler lowers input.simulations to the
  // number drawn when the user stops it.
  const std::int32_t requested = input.simulations;
  if (input.f < 2 || input.simulations < 2) {
    WriteSimulationHeader(log, Summary(requested, nullptr));
  } else {
    simulated = true;
    // The simulation, beginning with the normalisation runs. It keeps
    // run_.matrices and run_.attempts current and calls ProcessThem,
    // ShowCounts and HidePrelimLabel on this form.
    sampler = std::make_unique<SamplerRun>();
    if (Status s = RunSimulations(run_, *this, *sampler); !s.ok()) return s;

    if (!status.stop_message.empty()) {
      log.WriteLine(status.stop_message);
      ShowStopMessage();
      if (!status.interrupted) status.had_to_stop = true;
    }
  }

  if (simulated && !status.had_to_stop) {
    WriteSimulationHeader(log, Summary(requested, sampler.get()));
    if (run_.intermediate_mode) {
      window_.SetText(kPrelimLabel, "processing results ...");
      window_.SetVisible(kPrelimLabel, true);
      window_.SetVisible(kStopLabel, false);
      window_.SetVisible(kStopBackground, false);
      ProcessThem();
      if (Status s = ProcessIntermediateResults(run_.project_name, log, run_.env); !s.ok()) {
        return s;
      }
      window_.SetVisible(kPrelimLabel, false);
      if (Status s = WriteSummary(*sampler, nullptr); !s.ok()) return s;
    } else {
      const auto results = std::make_unique<EstimationResults>();
      const int numf = std::min(sampler->numf, kMaxStatisticsInMemory);
      EstimateResults(sampler->sums, input.simulations, numf, input.numl, *results);
      WriteEstimationReport(log, *results,
                            std::span<const ReportedStatistic>(sampler->reported.data(),
                                                               static_cast<std::size_t>(numf)),
                            input.weight_table);
      if (Status s = WriteSummary(*sampler, results.get()); !s.ok()) return s;
    }
  }
  if (!log.status().ok()) return log.status();

  status.finished = true;
  if (run_.listing.is_open()) {
    log.WriteLine();
    log.WriteLine("Simulated matrices were written to file " + run_.listing.name() + ".");
    if (Status s = run_.listing.Close(); !s.ok()) return s;
    input.prn_open = false;
  }
  log.WriteLine();
  if (Status s = log.Close(); !s.ok()) return s;

  window_.SetEnabled(kOKEdit, true);
  if (status.had_to_stop) window_.SetText(kTerminateLabel, "The program had to stop.");
  window_.SetVisible(kStopLabel, false);
  window_.SetVisible(kStopBackground, false);
  window_.SetVisible(kOKEdit, true);
  window_.SetVisible(kTerminateLabel, true);
  window_.SetWindowHint("click OK to continue");
  return Status::Ok();
}

SimulationSummary TKivoSimForm::Summary(std::int32_t requested, const SamplerRun* sampler) const {
  const ProjectInput& input = run_.input;
  SimulationSummary summary;
  summary.requested = requested;
  summary.drawn = input.simulations;
  summary.attempts = run_.attempts;
  summary.intermediate_mode = run_.intermediate_mode;
  summary.f = input.f;
  summary.g = input.g;
  summary.row_totals = &input.row_totals;
  summary.column_totals = &input.column_totals;
  if (sampler != nullptr) {
    summary.reordered = sampler->reordering.reordered;
    summary.sw = sampler->sums.sw;
    summary.sw2 = sampler->sums.sw2;
  }
  return summary;
}

Status TKivoSimForm::WriteSummary(const SamplerRun& sampler,
                                  const EstimationResults* results) const {
  if (run_.summary_path.empty()) return Status::Ok();
  const ProjectInput& input = run_.input;
  std::span<const ReportedStatistic> statistics;
  // Without the in-memory estimates (intermediate mode) only the weights
  // and the combinations, which are always summed in memory, are reported.
  const auto combinations_only = std::make_unique<EstimationResults>();
  if (results != nullptr) {
    statistics = std::span<const ReportedStatistic>(
        sampler.reported.data(),
        static_cast<std::size_t>(std::min(sampler.numf, kMaxStatisticsInMemory)));
  } else {
    EstimateResults(sampler.sums, input.simulations, 0, input.numl, *combinations_only);
    results = combinations_only.get();
  }
  const MatrixCountEstimate count =
      EstimateMatrixCount(results->weight, sampler.k, input.f, sampler.mode.molloy_reed);
  std::vector<std::string> labels;
  return WriteSummaryFile(
      run_.summary_path,
      SimulationSummaryRows(*results, statistics, input.weight_table, count, labels));
}

void TKivoSimForm::ShowStopMessage() {
  window_.SetText(kPrelimLabel, run_.status.stop_message);
  window_.SetVisible(kPrelimLabel, true);
}

void TKivoSimForm::HaltOnEsc() {
  ShowCounts(run_.attempts, run_.matrices);
  if (!window_.AskYesNo("Are you sure you want to stop the simulations?")) return;
  run_.status.interrupted = true;
  window_.SetText(kTerminateLabel, " The program was interrupted");
  run_.log.WriteLine("Simulations terminated early by user.");
}

void TKivoSimForm::Formclose() {
  const RunStatus& status = run_.status;
  // During the run a click on the counter is ignored. The job being over
  // also counts: a job that ended short of N matrices without a stop or an
  // interruption must still let the window close.
  if (!status.finished && !status.interrupted && !status.had_to_stop &&
      run_.matrices < run_.input.simulations) {
    return;
  }
  window_.Close();
}

void TKivoSimForm::CloseForm() {
  if (run_.status.finished) return;
  run_.status.interrupted = true;
  run_.log.WriteLine("Program closed by user.");
}

void TKivoSimForm::ShowCount(ControlId control, std::uint64_t value) {
  // Seven blanks and the number, formatted in place: the counters change for
  // every few matrices and must not allocate.
  char text[7 + 20];
  for (int i = 0; i < 7; ++i) text[i] = ' ';
  const std::to_chars_result end = std::to_chars(text + 7, text + sizeof text, value);
  window_.SetText(control, std::string_view(text, static_cast<std::size_t>(end.ptr - text)));
}

void TKivoSimForm::shownumber(std::int32_t matrices) {
  if (matrices >= 0) {
    ShowCount(kNumberSim, static_cast<std::uint64_t>(matrices));
  } else {
    window_.SetText(kNumberSim, "       " + std::to_string(matrices));
  }
}

void TKivoSimForm::showattempt(std::uint64_t attempts) { ShowCount(kNumberAttempt, attempts); }

void TKivoSimForm::ProcessThem() { window_.ProcessMessages(); }

void TKivoSimForm::ShowCounts(std::uint64_t attempts, std::int32_t matrices) {
  showattempt(attempts);
  shownumber(matrices);
}

void TKivoSimForm::HidePrelimLabel() { window_.SetVisible(kPrelimLabel, false); }

void TKivoSimForm::OnClick(ControlId control) {
  switch (control) {
    case kStopLabel:
      HaltOnEsc();
      break;
    case kNumberSim:
    case kTerminateLabel:
    case kOKEdit:
      Formclose();
      break;
    default:
      break;
  }
}

void TKivoSimForm::OnClose() { CloseForm(); }

}  // namespace kivo::sim
