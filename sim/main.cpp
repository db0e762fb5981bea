// kivo_sim: samples 0-1 matrices with given totals and estimates the
// distribution of statistics over them. See README.md for the command line.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/env.h"
#include "platform/headless_window.h"
#include "platform/program_window.h"
#include "platform/signals.h"
#include "runfiles/kivolib.h"
#include "runfiles/summary_csv.h"
#include "sim/kivos_form.h"

namespace {

constexpr char kUsage[] =
    "usage: kivo_sim [PROJECT] [--seed=N] [--batch] [--summary=FILE.csv]\n"
    "       kivo_sim --help | --version\n"
    "\n"
    "Reads PROJECT.in in the current directory, draws the matrices it asks for and\n"
    "writes the report to PROJECT.out (Kivo.out without a project name).\n"
    "  --seed=N   seed the random number generator with N instead of the clock\n"
    "  --batch    show no window, never wait (also when not started from a terminal)\n"
    "  --summary=FILE.csv  also write every estimate as CSV to FILE.csv\n"
    "Keys in the window: s or Esc stops the simulations, Enter clicks OK,\n"
    "Ctrl-C closes the window.\n"
    "Exit status: 0 ready, 1 the program had to stop, 130 interrupted or closed,\n"
    "2 input/output error or bad command line.\n";

}  // namespace

int main(int argc, char** argv) {
  // --summary=FILE is taken out first; the rest is the common command line.
  std::vector<const char*> arguments;
  std::string summary_path;
  if (kivo::Status s = kivo::ExtractSummaryOption(argc, argv, arguments, summary_path); !s.ok()) {
    std::fprintf(stderr, "kivo_sim: %s\n%s", s.message().c_str(), kUsage);
    return 2;
  }
  kivo::CommandLine line;
  if (kivo::Status parsed = kivo::ParseCommandLine(static_cast<int>(arguments.size()),
                                                   arguments.data(), {.seed = true}, line);
      !parsed.ok()) {
    std::fprintf(stderr, "kivo_sim: %s\n%s", parsed.message().c_str(), kUsage);
    return 2;
  }
  if (line.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (line.version) {
    std::printf("kivo_sim %.*s\n", static_cast<int>(kivo::kLibraryVersion.size()),
                kivo::kLibraryVersion.data());
    return 0;
  }
  try {
    kivo::sim::SimRun run(kivo::SystemEnv());
    run.plain_arguments = line.plain_arguments;
    run.seed = line.seed;
    run.summary_path = summary_path;
    bool headless = true;
    {
      kivo::SignalWatch signals;
      const auto window =
          kivo::OpenProgramWindow(kivo::sim::TKivoSimForm::Spec(), line.batch, signals);
      headless = dynamic_cast<kivo::HeadlessWindow*>(window.get()) != nullptr;
      kivo::sim::TKivoSimForm form(run, *window);
      form.Run();
    }  // the terminal is restored here, before anything is printed
    const int status = kivo::sim::ExitStatus(run);
    if (!run.io_status.ok()) {
      std::fprintf(stderr, "kivo_sim: %s\n", run.io_status.message().c_str());
    } else if (headless && status != 0) {
      // Nobody saw the window: say on standard error why the job ended.
      std::fprintf(stderr, "kivo_sim: %s\n", kivo::sim::EndSummary(run).c_str());
    }
    return status;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kivo_sim: internal error: %s\n", error.what());
    return 3;
  }
}
