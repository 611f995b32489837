#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/append_file.h"
#include "platform/environment.h"
#include "platform/os_error.h"
#include "platform/posix/native_path.h"
#include "platform/unicode.h"

namespace platform {

namespace {

[[noreturn]] void ThrowAppendError(std::u16string_view path, int error) {
  std::u16string message(path);
  message += u": ";
  message += Utf8ToUtf16(std::strerror(error));
  throw OsError(std::move(message));
}

}  // namespace

void AppendToFile(std::u16string_view path, std::string_view bytes) {
  const std::string native = posix::NativePath(path);
  if (native.empty() || native.find('\0') != std::string::npos) ThrowAppendError(path, ENOENT);
  const int descriptor = ::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (descriptor < 0) ThrowAppendError(path, errno);
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const int error = written < 0 ? errno : EIO;
      ::close(descriptor);
      ThrowAppendError(path, error);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  if (::close(descriptor) != 0) ThrowAppendError(path, errno);
}

std::optional<std::u16string> EnvironmentValue(std::u16string_view name) {
  const char* value = std::getenv(Utf16ToUtf8(name).c_str());
  if (value == nullptr) return std::nullopt;
  return Utf8ToUtf16(value);
}

}  // namespace platform
