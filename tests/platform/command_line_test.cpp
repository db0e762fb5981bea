#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kivo {
namespace {

Status Parse(std::vector<const char*> arguments, CommandLine& line, bool seed = true) {
  arguments.insert(arguments.begin(), "prog");
  return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), {.seed = seed},
                          line);
}

TEST(CommandLineTest, Accepted) {
  struct Case {
    std::vector<const char*> arguments;
    std::vector<std::string> plain;
    std::optional<std::int32_t> seed;
    bool batch;
  };
  const Case cases[] = {
      {{}, {}, std::nullopt, false},
      {{"digraph"}, {"digraph"}, std::nullopt, false},
      // Options may stand anywhere; the project is the first plain argument.
      {{"--batch", "digraph", "extra"}, {"digraph", "extra"}, std::nullopt, true},
      {{"--seed=12345", "p"}, {"p"}, 12345, false},
      {{"p", "--seed=-2147483648"}, {"p"}, -2147483648LL, false},
      {{"--seed=1", "--seed=7"}, {}, 7, false},         // the last one counts
      {{"-x", "p"}, {"-x", "p"}, std::nullopt, false},  // one dash is no option
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.front());
    CommandLine line;
    ASSERT_TRUE(Parse(c.arguments, line).ok());
    EXPECT_EQ(line.plain_arguments, c.plain);
    EXPECT_EQ(line.seed, c.seed);
    EXPECT_EQ(line.batch, c.batch);
  }
  CommandLine line;
  ASSERT_TRUE(Parse({"--help", "--version"}, line).ok());
  EXPECT_TRUE(line.help);
  EXPECT_TRUE(line.version);
}

TEST(CommandLineTest, Rejected) {
  struct Case {
    std::vector<const char*> arguments;
    bool seed_taken;
    const char* message_part;
  };
  const Case cases[] = {
      {{"p", "--frob"}, true, "unknown option --frob"},
      {{"--"}, true, "unknown option --"},
      {{"--seed"}, true, "unknown option --seed"},
      {{"--seed="}, true, "invalid seed in --seed="},
      {{"--seed=12x"}, true, "invalid seed in --seed=12x"},
      {{"--seed=2147483648"}, true, "invalid seed"},
      {{"--seed=5"}, false, "unknown option --seed=5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    CommandLine line;
    const Status status = Parse(c.arguments, line, c.seed_taken);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find(c.message_part), std::string::npos) << status.message();
  }
}

}  // namespace
}  // namespace kivo
