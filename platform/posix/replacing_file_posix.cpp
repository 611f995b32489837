#include "platform/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os_error.h"
#include "platform/posix/native_path.h"
#include "platform/unicode.h"

namespace platform {

namespace {

[[noreturn]] void ThrowWriteError(std::u16string_view path, int error) {
  std::u16string message(path);
  message += u": ";
  message += Utf8ToUtf16(std::strerror(error));
  throw OsError(std::move(message));
}

}  // namespace

struct TReplacingFile::TImpl {
  std::u16string path;
  std::string native;
  std::string temporary;
  int descriptor = -1;
  bool committed = false;
};

TReplacingFile::TReplacingFile(std::u16string_view path) : impl_(std::make_unique<TImpl>()) {
  impl_->path = path;
  impl_->native = posix::NativePath(path);
  if (impl_->native.empty() || impl_->native.find('\0') != std::string::npos ||
      impl_->native.back() == '/') {
    ThrowWriteError(path, ENOENT);
  }
  // A hidden temporary name beside the target, so that the final rename stays on one file
  // system and never copies.
  const std::string& target = impl_->native;
  const std::size_t slash = target.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string pattern = target.substr(0, nameStart) + "." + target.substr(nameStart) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
  if (descriptor < 0) ThrowWriteError(path, errno);
  impl_->descriptor = descriptor;
  impl_->temporary.assign(name.data());
}

TReplacingFile::~TReplacingFile() {
  if (impl_->descriptor >= 0) ::close(impl_->descriptor);
  if (!impl_->committed) ::unlink(impl_->temporary.c_str());
}

void TReplacingFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(impl_->descriptor, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      ThrowWriteError(impl_->path, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
}

void TReplacingFile::Commit() {
  // The file as an ordinary new file would be: readable by all, writable by the owner (the
  // temporary file was made private), within the umask.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(impl_->descriptor, 0666 & ~mask) != 0) ThrowWriteError(impl_->path, errno);
  const int descriptor = impl_->descriptor;
  impl_->descriptor = -1;
  if (::close(descriptor) != 0) ThrowWriteError(impl_->path, errno);
  if (::rename(impl_->temporary.c_str(), impl_->native.c_str()) != 0) {
    ThrowWriteError(impl_->path, errno);
  }
  impl_->committed = true;
}

}  // namespace platform
