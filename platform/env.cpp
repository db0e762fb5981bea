#include "platform/env.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace kivo {
namespace {

// The machine itself. It holds no state: every answer is asked afresh.
class RealEnv : public Env {
 public:
  bool FileExists(const std::string& name) override {
    struct stat info {};
    return ::stat(name.c_str(), &info) == 0;
  }

  DriveSpace CurrentDriveSpace() override {
    struct statvfs info {};
    DriveSpace space;
    if (::statvfs(".", &info) != 0) return space;
    const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    // f_bavail: what an ordinary user may still write.
    space.free_bytes = static_cast<std::uint64_t>(info.f_bavail) * unit;
    space.total_bytes = static_cast<std::uint64_t>(info.f_blocks) * unit;
    return space;
  }

  std::string LocalDateTime() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr) return "";
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return std::string(text, length);
  }

  double ClockUniform() override {
    // The clock's nanoseconds, mixed so that close times give unrelated
    // numbers (splitmix64's finaliser), then the top 53 bits as a fraction.
    std::uint64_t z =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
  }
};

}  // namespace

Env& SystemEnv() {
  static RealEnv env;
  return env;
}

}  // namespace kivo
