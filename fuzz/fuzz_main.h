#ifndef KIVO_FUZZ_FUZZ_MAIN_H_
#define KIVO_FUZZ_FUZZ_MAIN_H_

// The libFuzzer entry points shared by every target: the process moves into
// a private scratch directory once, and each input is run there by the
// target's KIVO_FUZZ_RUN function.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz/fuzz_files.h"

#define KIVO_FUZZ_TARGET(run)                                                            \
  extern "C" int LLVMFuzzerInitialize(int*, char***) {                                   \
    std::string pattern = (std::filesystem::temp_directory_path() / "kivo_fuzz_XXXXXX"); \
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();                              \
    std::filesystem::current_path(pattern);                                              \
    return 0;                                                                            \
  }                                                                                      \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {    \
    (void)run(std::string_view(reinterpret_cast<const char*>(data), size));              \
    return 0;                                                                            \
  }

#endif  // KIVO_FUZZ_FUZZ_MAIN_H_
