#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// A failure reported by the operating system. The message is meant for the operator: it names
// the object concerned (a file's full path) and adds the system's description of the error.
// what() gives the same message in UTF-8.
class OsError : public std::runtime_error {
 public:
  explicit OsError(std::u16string message);
  const std::u16string& Message() const noexcept { return message_; }

 private:
  std::u16string message_;
};

}  // namespace platform
