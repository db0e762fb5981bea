#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "tamsel/slib.h"
#include "tamsel/st_exam.h"

namespace {

constexpr const char* kUsage =
    "Usage: tamsel [--help | --version]\n"
    "Reads tamsel.in and the network and attribute files it names from the\n"
    "current directory and writes the descriptives of the current step to\n"
    "<OutputName>.tam (appending when it exists).\n"
    "Exit status: 0 done, 2 input/output error or bad arguments.\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "--version") {
      std::printf("tamsel %s\n", std::string(kivo::tamsel::kTamselVersion).c_str());
      return 0;
    }
    std::fprintf(stderr, "tamsel: unknown argument \"%s\"\n%s", argv[i], kUsage);
    return 2;
  }
  try {
    // The run state is large with big networks: keep it off the stack.
    auto run = std::make_unique<kivo::tamsel::TamselRun>();
    const kivo::Status status = kivo::tamsel::RunTamsel(*run, kivo::SystemEnv());
    if (!status.ok()) {
      std::fprintf(stderr, "tamsel: %s\n", status.message().c_str());
      return 2;
    }
  } catch (const std::bad_alloc&) {
    std::fputs("tamsel: not enough memory for the networks described in tamsel.in\n", stderr);
    return 2;
  }
  return 0;
}
