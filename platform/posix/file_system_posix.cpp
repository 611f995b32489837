#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/file_name_order.h"
#include "platform/fresh_memory.h"
#include "platform/os_error.h"
#include "platform/posix/native_path.h"
#include "platform/unicode.h"
#include "platform/wildcard.h"

namespace platform {
namespace {

using posix::NameFromNative;
using posix::NativePath;

// strerror_r comes in two forms: the GNU one returns the text (maybe not in the buffer), the
// XSI one fills the buffer and returns 0. Overloading on the result serves whichever the C
// library declares; the other overload goes unused.
[[maybe_unused]] const char* ErrorText(const char* gnuResult, const char* /*buffer*/) {
  return gnuResult;
}
[[maybe_unused]] const char* ErrorText(int xsiResult, const char* buffer) {
  return xsiResult == 0 ? buffer : "Unknown error";
}

// The C library's description of an errno value, in the language of its messages.
std::u16string SystemDescription(int error) {
  char buffer[256] = {};
  return Utf8ToUtf16(ErrorText(strerror_r(error, buffer, sizeof buffer), buffer));
}

// The message the operator sees: the path as the file system was asked for it, then why.
[[noreturn]] void ThrowFileError(const std::string& nativePath, std::u16string_view description) {
  std::u16string message = NameFromNative(nativePath);
  message += u": ";
  message += description;
  throw OsError(std::move(message));
}

// A NUL unit would cut the path short at the system call and name another file.
bool HasEmbeddedNul(const std::string& nativePath) {
  return nativePath.find('\0') != std::string::npos;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~FileDescriptor() { ::close(descriptor_); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return descriptor_; }

 private:
  int descriptor_;
};

struct DirectoryCloser {
  void operator()(DIR* directory) const { ::closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

// The stamp of a file's status: its size and the time of its last write, in nanoseconds.
TFileStamp StampOfStatus(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_size),
          static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
              static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

// A regular file open for reading from `offset` on; the size at open time bounds the reads.
// POSIX has no share modes: other programs go on writing, renaming and deleting the file, and the
// descriptor keeps reading the file it opened.
class PosixFileReader final : public IFileReader {
 public:
  explicit PosixFileReader(std::u16string_view path, std::uint64_t offset = 0)
      : native_(NativePath(path)) {
    if (HasEmbeddedNul(native_)) ThrowFileError(native_, SystemDescription(ENOENT));
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is rejected below anyway.
    do {
      descriptor_ = ::open(native_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0) ThrowFileError(native_, SystemDescription(errno));
    file_.emplace(descriptor_);

    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) ThrowFileError(native_, SystemDescription(errno));
    if (S_ISDIR(status.st_mode)) ThrowFileError(native_, SystemDescription(EISDIR));
    if (!S_ISREG(status.st_mode)) ThrowFileError(native_, u"Not a regular file");
    if (static_cast<std::uintmax_t>(status.st_size) > std::string().max_size()) {
      ThrowFileError(native_, SystemDescription(EFBIG));
    }
    stamp_ = StampOfStatus(status);
    left_ = static_cast<std::size_t>(status.st_size);
    if (offset > 0) {
      const auto start = static_cast<std::size_t>(std::min<std::uint64_t>(offset, left_));
      if (::lseek(descriptor_, static_cast<off_t>(start), SEEK_SET) < 0) {
        ThrowFileError(native_, SystemDescription(errno));
      }
      left_ -= start;
    }
  }

  std::size_t Size() const noexcept { return left_; }
  std::optional<TFileStamp> Stamp() const override { return stamp_; }

  std::size_t Read(char* to, std::size_t most) override {
    const std::size_t wanted = std::min(most, left_);
    for (;;) {
      if (wanted == 0) return 0;
      const ssize_t count = ::read(descriptor_, to, wanted);
      if (count >= 0) {
        left_ = count == 0 ? 0 : left_ - static_cast<std::size_t>(count);
        return static_cast<std::size_t>(count);
      }
      if (errno != EINTR) ThrowFileError(native_, SystemDescription(errno));
    }
  }

 private:
  std::string native_;
  int descriptor_ = -1;
  std::optional<FileDescriptor> file_;  // closes the descriptor
  TFileStamp stamp_;
  std::size_t left_ = 0;  // bytes of the size at open not read yet
};

class PosixFileSystem final : public IFileSystem {
 public:
  bool DirectoryExists(std::u16string_view path) const override {
    const std::string native = NativePath(path);
    struct stat status {};
    return !HasEmbeddedNul(native) && ::stat(native.c_str(), &status) == 0 &&
           S_ISDIR(status.st_mode);
  }

  std::vector<std::u16string> EnumerateEntries(std::u16string_view directory,
                                               std::u16string_view pattern,
                                               HiddenEntries hidden) const override {
    const std::string native = NativePath(directory);
    if (HasEmbeddedNul(native)) return {};
    const DirectoryHandle handle(::opendir(native.c_str()));
    if (!handle) return {};
    std::vector<std::u16string> names;
    while (true) {
      errno = 0;
      const dirent* entry = ::readdir(handle.get());
      if (entry == nullptr) break;
      const std::string_view rawName(entry->d_name);
      // POSIX marks no entry hidden or system; by convention a leading '.' hides a name.
      if (hidden == HiddenEntries::kSkip && rawName.starts_with('.')) continue;
      std::u16string name = NameFromNative(rawName);
      if (MatchesWildcard(name, pattern)) names.push_back(std::move(name));
    }
    // A listing cut short by a read error would pass for a complete one.
    if (errno != 0) return {};
    // readdir gives the directory's own order (hash order on ext4); Windows lists NTFS folders
    // by name, and the records of a day must come in the same order on both.
    SortFileNames(names);
    return names;
  }

  void ReadWholeFile(std::u16string_view path, std::string& bytes) const override {
    PosixFileReader file(path);
    ResizeForOverwrite(bytes, file.Size());
    std::size_t done = 0;
    while (done < bytes.size()) {
      const std::size_t count = file.Read(bytes.data() + done, bytes.size() - done);
      if (count == 0) break;  // the file shrank since it was opened
      done += count;
    }
    bytes.resize(done);
  }

  std::unique_ptr<IFileReader> OpenForReading(std::u16string_view path,
                                              std::uint64_t offset) const override {
    return std::make_unique<PosixFileReader>(path, offset);
  }

  std::optional<TFileStamp> StampOf(std::u16string_view path) const override {
    const std::string native = NativePath(path);
    struct stat status {};
    if (HasEmbeddedNul(native) || ::stat(native.c_str(), &status) != 0 ||
        !S_ISREG(status.st_mode)) {
      return std::nullopt;
    }
    return StampOfStatus(status);
  }
};

}  // namespace

const IFileSystem& NativeFileSystem() {
  static const PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace platform
