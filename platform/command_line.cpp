#include "platform/command_line.h"

#include <charconv>
#include <string_view>

namespace kivo {

Status ParseCommandLine(int argc, const char* const* argv, const CommandLineOptions& options,
                        CommandLine& line) {
  line = CommandLine();
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!argument.starts_with("--")) {
      line.plain_arguments.emplace_back(argument);
      continue;
    }
    if (argument == "--batch") {
      line.batch = true;
    } else if (argument == "--help") {
      line.help = true;
    } else if (argument == "--version") {
      line.version = true;
    } else if (options.seed && argument.starts_with("--seed=")) {
      const std::string_view value = argument.substr(7);
      std::int32_t seed = 0;
      const char* end = value.data() + value.size();
      const std::from_chars_result parsed = std::from_chars(value.data(), end, seed);
      if (value.empty() || parsed.ec != std::errc() || parsed.ptr != end) {
        return Status::IoError("invalid seed in " + std::string(argument) +
                               ": expected a whole number from -2147483648 to 2147483647");
      }
      line.seed = seed;
    } else {
      return Status::IoError("unknown option " + std::string(argument));
    }
  }
  return Status::Ok();
}

}  // namespace kivo
