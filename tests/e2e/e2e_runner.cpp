// Runs one end-to-end case of a program and compares what it wrote with the
// expected files.
//
//   e2e_runner PROGRAM CASE_DIR
//
// CASE_DIR holds:
//   cmd        one run per line: the expected exit status, then the
//              arguments ("0 digraph --batch"); blank lines and lines
//              starting with # are skipped; "double quotes" group an
//              argument with blanks. The runs share one directory, in order.
//   in/        files copied into a fresh temporary directory first
//   expected/  files that must exist there after the last run, equal line by
//              line, except that the text after "Date and time: " is masked
//   output     optional: the expected standard output and standard error of
//              all runs together
// Differences are printed as a unified diff. With KIVO_E2E_UPDATE=1 in the
// environment the produced files are written into expected/ instead (every
// file the runs created or changed, and output when the runs printed
// anything), so a new case is made by writing cmd and in/ and running once.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
  int expected_status = 0;
  std::vector<std::string> arguments;
  std::string line;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
}

bool ParseRuns(const fs::path& cmd, std::vector<Run>& runs, std::string& error) {
  std::istringstream in(ReadAll(cmd));
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool any = false;
    for (const char c : line) {
      if (c == '"') {
        quoted = !quoted;
        any = true;
      } else if ((c == ' ' || c == '\t') && !quoted) {
        if (any) words.push_back(word);
        word.clear();
        any = false;
      } else {
        word.push_back(c);
        any = true;
      }
    }
    if (any) words.push_back(word);
    if (words.empty() || words.front().starts_with("#")) continue;
    Run run;
    char* end = nullptr;
    run.expected_status = static_cast<int>(std::strtol(words.front().c_str(), &end, 10));
    if (end == nullptr || *end != '\0') {
      error = cmd.string() + ", line " + std::to_string(number) +
              ": expected the exit status first, found \"" + words.front() + "\"";
      return false;
    }
    run.arguments.assign(words.begin() + 1, words.end());
    run.line = line;
    runs.push_back(run);
  }
  if (runs.empty()) error = cmd.string() + ": no run given";
  return !runs.empty();
}

// Runs the program in dir with stdin from /dev/null; returns its exit status
// (128 + the signal when a signal ended it) and appends what it printed.
int Execute(const std::string& program, const std::vector<std::string>& arguments,
            const fs::path& dir, std::string& output) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return -1;
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    ::close(pipe_fds[0]);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    ::dup2(null_fd, STDIN_FILENO);
    ::dup2(pipe_fds[1], STDOUT_FILENO);
    ::dup2(pipe_fds[1], STDERR_FILENO);
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    output.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::vector<std::string> MaskedLines(const std::string& text) {
  static const std::string kDate = "Date and time: ";
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t at = line.find(kDate);
    if (at != std::string::npos) line = line.substr(0, at + kDate.size()) + "<masked>";
    lines.push_back(line);
  }
  if (!text.empty() && text.back() != '\n') lines.back() += "  <no line end>";
  return lines;
}

// A unified diff of two short texts (longest common subsequence); for long
// texts only the first difference with its surroundings.
std::string Diff(const std::vector<std::string>& a, const std::vector<std::string>& b,
                 const std::string& name) {
  std::ostringstream out;
  out << "--- expected/" << name << "\n+++ produced/" << name << "\n";
  const std::size_t n = a.size();
  const std::size_t m = b.size();
  if (n * m > 16'000'000) {
    std::size_t i = 0;
    while (i < n && i < m && a[i] == b[i]) ++i;
    out << "@@ first difference at line " << i + 1 << " @@\n";
    for (std::size_t k = i; k < i + 5; ++k) {
      if (k < n) out << "-" << a[k] << "\n";
      if (k < m) out << "+" << b[k] << "\n";
    }
    return out.str();
  }
  std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
  for (std::size_t i = n; i-- > 0;) {
    for (std::size_t j = m; j-- > 0;) {
      common[i][j] =
          a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
  }
  // Edit script: ' ' kept, '-' only expected, '+' only produced.
  std::vector<std::pair<char, std::string>> script;
  std::size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && a[i] == b[j]) {
      script.emplace_back(' ', a[i++]);
      ++j;
    } else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1])) {
      script.emplace_back('-', a[i++]);
    } else {
      script.emplace_back('+', b[j++]);
    }
  }
  constexpr std::size_t kContext = 3;
  std::vector<bool> shown(script.size(), false);
  for (std::size_t k = 0; k < script.size(); ++k) {
    if (script[k].first == ' ') continue;
    const std::size_t from = k >= kContext ? k - kContext : 0;
    for (std::size_t s = from; s < std::min(script.size(), k + kContext + 1); ++s) shown[s] = true;
  }
  std::size_t line_a = 1, line_b = 1;
  bool in_hunk = false;
  for (std::size_t k = 0; k < script.size(); ++k) {
    if (shown[k]) {
      if (!in_hunk) out << "@@ -" << line_a << " +" << line_b << " @@\n";
      in_hunk = true;
      out << script[k].first << script[k].second << "\n";
    } else {
      in_hunk = false;
    }
    if (script[k].first != '+') ++line_a;
    if (script[k].first != '-') ++line_b;
  }
  return out.str();
}

std::map<std::string, std::string> FilesUnder(const fs::path& root) {
  std::map<std::string, std::string> files;
  if (!fs::is_directory(root)) return files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), root).generic_string()] = ReadAll(entry.path());
    }
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: e2e_runner PROGRAM CASE_DIR\n";
    return 2;
  }
  const std::string program = fs::absolute(argv[1]).string();
  const fs::path case_dir = fs::absolute(argv[2]);
  const bool update = std::getenv("KIVO_E2E_UPDATE") != nullptr &&
                      std::string(std::getenv("KIVO_E2E_UPDATE")) == "1";

  std::vector<Run> runs;
  std::string error;
  if (!ParseRuns(case_dir / "cmd", runs, error)) {
    std::cerr << error << "\n";
    return 2;
  }

  std::string pattern = (fs::temp_directory_path() / "kivo_e2e_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::cerr << "cannot make a temporary directory: " << std::strerror(errno) << "\n";
    return 2;
  }
  const fs::path work = pattern;
  const std::map<std::string, std::string> inputs = FilesUnder(case_dir / "in");
  for (const auto& [name, content] : inputs) WriteAll(work / name, content);

  bool failed = false;
  std::string output;
  for (const Run& run : runs) {
    const int status = Execute(program, run.arguments, work, output);
    if (status != run.expected_status) {
      std::cout << "run \"" << run.line << "\": exit status " << status << ", expected "
                << run.expected_status << "\n";
      failed = !update;
    }
  }

  const std::map<std::string, std::string> produced = FilesUnder(work);
  if (update) {
    for (const auto& [name, content] : produced) {
      const auto input = inputs.find(name);
      if (input == inputs.end() || input->second != content) {
        WriteAll(case_dir / "expected" / name, content);
      }
    }
    if (!output.empty()) WriteAll(case_dir / "output", output);
    std::cout << "expected files of " << case_dir.string() << " updated\n";
  } else {
    const std::map<std::string, std::string> expected = FilesUnder(case_dir / "expected");
    if (expected.empty()) {
      std::cout << "no expected files in " << (case_dir / "expected").string() << "\n";
      failed = true;
    }
    for (const auto& [name, content] : expected) {
      const auto found = produced.find(name);
      if (found == produced.end()) {
        std::cout << "missing: " << name << " was not written\n";
        failed = true;
        continue;
      }
      const std::vector<std::string> want = MaskedLines(content);
      const std::vector<std::string> got = MaskedLines(found->second);
      if (want != got) {
        std::cout << Diff(want, got, name);
        failed = true;
      }
    }
    if (fs::exists(case_dir / "output")) {
      const std::vector<std::string> want = MaskedLines(ReadAll(case_dir / "output"));
      const std::vector<std::string> got = MaskedLines(output);
      if (want != got) {
        std::cout << Diff(want, got, "output (standard output and error)");
        failed = true;
      }
    }
  }

  if (failed) {
    std::cout << "kept for inspection: " << work.string() << "\n";
    return 1;
  }
  fs::remove_all(work);
  return 0;
}
