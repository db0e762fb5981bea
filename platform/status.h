#ifndef KIVO_PLATFORM_STATUS_H_
#define KIVO_PLATFORM_STATUS_H_

// Outcome of an operation that can fail on input or output. The message names
// the file and, where there is one, the position ("data.txt, line 3: ...").

#include <string>
#include <utility>

namespace kivo {

class Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status IoError(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  const std::string& message() const { return message_; }

 private:
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}
  bool failed_ = false;
  std::string message_;
};

}  // namespace kivo

#endif  // KIVO_PLATFORM_STATUS_H_
