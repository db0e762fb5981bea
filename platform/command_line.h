#ifndef KIVO_PLATFORM_COMMAND_LINE_H_
#define KIVO_PLATFORM_COMMAND_LINE_H_

// The command line of the windowed programs:
//   PROGRAM [PROJECT] [--seed=N] [--batch] [--help] [--version]
// The project name is the first argument that does not start with "--";
// further plain arguments are passed on and ignored by the programs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"

namespace kivo {

struct CommandLine {
  std::vector<std::string> plain_arguments;  // in their order
  std::optional<std::int32_t> seed;          // --seed=N
  bool batch = false;                        // --batch: no terminal window
  bool help = false;
  bool version = false;
};

// Which options a program takes besides --batch, --help and --version.
struct CommandLineOptions {
  bool seed = false;
};

// Fills `line` from argv[1] to argv[argc - 1]. An unknown option, an option
// the program does not take, or a seed that is not a whole number in the
// 32-bit range is an error whose message names the argument.
Status ParseCommandLine(int argc, const char* const* argv, const CommandLineOptions& options,
                        CommandLine& line);

}  // namespace kivo

#endif  // KIVO_PLATFORM_COMMAND_LINE_H_
