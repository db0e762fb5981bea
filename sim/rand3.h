#ifndef KIVO_SIM_RAND3_H_
#define KIVO_SIM_RAND3_H_

// The sampler's uniform random numbers: a subtractive lagged-difference
// generator with modulus 4,000,000 and a table of 55 entries, mapped onto
// the open interval (0, 1). The state is a plain value owned by the run, so
// two runs never share a stream.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/env.h"

namespace kivo::sim {

inline constexpr double kRand3Modulus = 4000000.0;
inline constexpr double kRand3DefaultSeed = 1618033.0;

struct Rand3 {
  // Entries 1 to 55 hold whole numbers 0 <= x < 4,000,000; entry 0 is unused.
  std::array<double, 56> table{};
  std::int32_t next = 0;      // entry replaced by the next draw
  std::int32_t next_lag = 0;  // entry subtracted from it
  double seed = kRand3DefaultSeed;
  // Negative: the table is rebuilt from the seed at the next draw.
  std::int32_t reinit = -1;
};

// Stores the seed; the table is rebuilt at the next draw, so the stream that
// follows depends on the seed alone.
void SetSeed(Rand3& rand, std::int32_t seed);

// The next uniform number u with 1e-11 <= u < 1 (never 0, never 1).
double NextUniform(Rand3& rand);

// Seeds the generator once per run and returns the log line that records the
// seed. Without a given seed, a = trunc(u * 12,345,678) for a clock-seeded
// uniform u from env: "Random number generator initialized randomly at a.".
// With a seed given on the command line, that seed is set:
// "Random number generator initialized at N (seed given on the command line).".
std::string SeedFromClock(Rand3& rand, Env& env, std::optional<std::int32_t> seed_given);

}  // namespace kivo::sim

#endif  // KIVO_SIM_RAND3_H_
