#include "sim/rand3.h"

#include <cmath>
#include <cstddef>

namespace kivo::sim {
namespace {

constexpr double kOutputFactor = 0.99999999998;
constexpr double kInverseModulus = 2.5e-7;
constexpr double kOutputOffset = 1e-11;
constexpr double kClockSeedRange = 12345678.0;

double& Entry(Rand3& rand, int i) { return rand.table[static_cast<std::size_t>(i)]; }

// Every quantity is a whole number held in a double, so the arithmetic is
// exact and the stream does not depend on the floating-point environment.
void Rebuild(Rand3& rand) {
  double mj = rand.seed + rand.reinit;
  if (mj >= 0) {
    mj = std::fmod(mj, kRand3Modulus);
  } else {
    mj = kRand3Modulus - std::fmod(-mj, kRand3Modulus);
    // A negative multiple of the modulus reduces to 0, not to the modulus
    // itself, so that every entry stays below the modulus.
    if (mj == kRand3Modulus) mj = 0;
  }
  Entry(rand, 55) = mj;
  double mk = 1;
  for (int i = 1; i <= 54; ++i) {
    const int ii = (21 * i) % 55;
    Entry(rand, ii) = mk;
    mk = mj - mk;
    if (mk < 0) mk += kRand3Modulus;
    mj = Entry(rand, ii);
  }
  for (int round = 1; round <= 4; ++round) {
    for (int i = 1; i <= 55; ++i) {
      double& x = Entry(rand, i);
      x -= Entry(rand, 1 + (i + 30) % 55);
      if (x < 0) x += kRand3Modulus;
    }
  }
  rand.next = 0;
  rand.next_lag = 31;
  rand.reinit = 1;
}

}  // namespace

void SetSeed(Rand3& rand, std::int32_t seed) {
  rand.seed = seed;
  rand.reinit = -1;
}

double NextUniform(Rand3& rand) {
  if (rand.reinit < 0) Rebuild(rand);
  if (++rand.next == 56) rand.next = 1;
  if (++rand.next_lag == 56) rand.next_lag = 1;
  double mj = Entry(rand, rand.next) - Entry(rand, rand.next_lag);
  if (mj < 0) mj += kRand3Modulus;
  Entry(rand, rand.next) = mj;
  return mj * kOutputFactor * kInverseModulus + kOutputOffset;
}

std::string SeedFromClock(Rand3& rand, Env& env, std::optional<std::int32_t> seed_given) {
  if (seed_given.has_value()) {
    SetSeed(rand, *seed_given);
    return "Random number generator initialized at " + std::to_string(*seed_given) +
           " (seed given on the command line).";
  }
  const auto a = static_cast<std::int32_t>(std::trunc(env.ClockUniform() * kClockSeedRange));
  SetSeed(rand, a);
  return "Random number generator initialized randomly at " + std::to_string(a) + ".";
}

}  // namespace kivo::sim
