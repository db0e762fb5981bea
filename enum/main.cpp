// kivo_enum: lists every 0-1 matrix with given totals and tallies the exact
// distribution of statistics over them. See README.md for the command line.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "enum/kivoe_form.h"
#include "enum/summary.h"
#include "platform/command_line.h"
#include "platform/env.h"
#include "platform/headless_window.h"
#include "platform/program_window.h"
#include "platform/signals.h"
#include "runfiles/kivolib.h"
#include "runfiles/summary_csv.h"

namespace {

constexpr char kUsage[] =
    "usage: kivo_enum [PROJECT] [--batch] [--summary=FILE.csv]\n"
    "       kivo_enum --help | --version\n"
    "\n"
    "Reads PROJECT.in in the current directory, enumerates every matrix it asks for\n"
    "and writes the report to PROJECT.out (Kivo.out without a project name).\n"
    "  --batch    show no window, never wait (also when not started from a terminal)\n"
    "  --summary=FILE.csv  also write the exact distributions as CSV to FILE.csv\n"
    "Keys in the window: s or Esc stops the enumerations, Enter clicks OK,\n"
    "Ctrl-C closes the window.\n"
    "Exit status: 0 ready, 1 the program had to stop or the input gave no results,\n"
    "130 interrupted or closed, 2 input/output error or bad command line.\n";

}  // namespace

int main(int argc, char** argv) {
  // --summary=FILE is taken out first; the rest is the common command line.
  std::vector<const char*> arguments;
  std::string summary_path;
  if (kivo::Status s = kivo::ExtractSummaryOption(argc, argv, arguments, summary_path); !s.ok()) {
    std::fprintf(stderr, "kivo_enum: %s\n%s", s.message().c_str(), kUsage);
    return 2;
  }
  kivo::CommandLine line;
  if (kivo::Status parsed =
          kivo::ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), {}, line);
      !parsed.ok()) {
    std::fprintf(stderr, "kivo_enum: %s\n%s", parsed.message().c_str(), kUsage);
    return 2;
  }
  if (line.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (line.version) {
    std::printf("kivo_enum %.*s\n", static_cast<int>(kivo::kLibraryVersion.size()),
                kivo::kLibraryVersion.data());
    return 0;
  }
  try {
    // The run holds the tree's fixed stores; it lives on the heap.
    const auto run = std::make_unique<kivo::enumeration::EnumRun>(kivo::SystemEnv());
    run->plain_arguments = line.plain_arguments;
    bool headless = true;
    {
      kivo::SignalWatch signals;
      const auto window =
          kivo::OpenProgramWindow(kivo::enumeration::TKivoForm::Spec(), line.batch, signals);
      headless = dynamic_cast<kivo::HeadlessWindow*>(window.get()) != nullptr;
      kivo::enumeration::TKivoForm form(*run, *window);
      form.Run();
    }  // the terminal is restored here, before anything is printed
    if (run->io_status.ok() && run->reported && !summary_path.empty()) {
      run->io_status = kivo::enumeration::WriteEnumerationSummary(summary_path, *run);
    }
    const int status = kivo::enumeration::ExitStatus(*run);
    if (!run->io_status.ok()) {
      std::fprintf(stderr, "kivo_enum: %s\n", run->io_status.message().c_str());
    } else if (headless && status != 0) {
      // Nobody saw the window: say on standard error why the job ended.
      std::fprintf(stderr, "kivo_enum: %s\n", kivo::enumeration::EndSummary(*run).c_str());
    }
    return status;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kivo_enum: internal error: %s\n", error.what());
    return 3;
  }
}
