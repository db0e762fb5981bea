#ifndef KIVO_RUNFILES_KIVOLIB_H_
#define KIVO_RUNFILES_KIVOLIB_H_

// Project name, output log with its banner, numbered section headers and two
// numeric helpers shared by the programs.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "platform/status.h"
#include "platform/text_file.h"

namespace kivo {

inline constexpr std::string_view kLibraryVersion = "2.3";
inline constexpr std::size_t kMaxProjectName = 255;

// Sets project_name from the first of the plain (non-option) command-line
// arguments (cut to 255 characters, then to max_length), or "Kivo" when there
// is none, opens <project>.out (the name cut to 254 characters) with
// OpenOutputLog and writes the version section and the project-name line(s).
// A log that cannot be created or written gives an error naming the file.
Status StartOutputLog(const std::vector<std::string>& plain_arguments, std::string& project_name,
                      std::size_t max_length, TextWriter& log, Env& env);

// Creates the log with its banner, or appends to an existing one with the
// "Results appended to existing file " block. Whether the file exists and the
// date and time come from env.
Status OpenOutputLog(const std::string& file_name, TextWriter& log, Env& env);

// Empty line, "@" + level, title, underline ("=" level 1, "-" level 2), empty line.
void WriteSectionHeader(int level, TextWriter& file, std::string_view title);

// 0 when x <= 1e-36, else the square root.
double SafeSqrt(double x);

// A count with 4 decimals in 12, or as a whole number in 8 followed by four
// blanks when the decimals are all zero; cut to max_length.
std::string FormatCount(double x, std::size_t max_length);

}  // namespace kivo

#endif  // KIVO_RUNFILES_KIVOLIB_H_
