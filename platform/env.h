#ifndef KIVO_PLATFORM_ENV_H_
#define KIVO_PLATFORM_ENV_H_

// The file system and clock queries the programs make, behind one interface so
// that tests can inject a full disk or a fixed time.

#include <cstdint>
#include <string>

namespace kivo {

struct DriveSpace {
  std::uint64_t free_bytes = 0;
  std::uint64_t total_bytes = 0;
};

class Env {
 public:
  virtual ~Env() = default;
  // Whether a file (or anything else) of that name exists.
  virtual bool FileExists(const std::string& name) = 0;
  // Free space and total size of the drive holding the current directory.
  virtual DriveSpace CurrentDriveSpace() = 0;
  // Current local date and time: short date, a blank, long time.
  virtual std::string LocalDateTime() = 0;
  // A uniform number in [0, 1) from a source seeded by the clock, different
  // from run to run.
  virtual double ClockUniform() = 0;
};

// The real machine.
Env& SystemEnv();

}  // namespace kivo

#endif  // KIVO_PLATFORM_ENV_H_
