#include "platform/file_system.h"

#include "platform/win32/win32_api.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/fresh_memory.h"
#include "platform/os_error.h"
#include "platform/win32/system_path.h"

namespace platform {
namespace {

using win32::FromWide;
using win32::SystemDescription;
using win32::SystemPath;
using win32::ThrowFileError;

// A NUL unit would cut the path short at the system call and name another file.
bool HasEmbeddedNul(std::u16string_view path) {
  return path.find(u'\0') != path.npos;
}

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { CloseHandle(handle_); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() { FindClose(handle_); }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// ReadFile takes a 32-bit count; larger files are read in pieces of this size.
constexpr std::size_t kReadChunk = std::size_t{1} << 30;

// The stamp of a size and a last-write time (in 100-nanosecond units).
TFileStamp StampFrom(std::uint64_t size, const FILETIME& lastWrite) {
  return {size,
          static_cast<std::int64_t>((static_cast<std::uint64_t>(lastWrite.dwHighDateTime) << 32) |
                                    lastWrite.dwLowDateTime)};
}

// A disk file open for reading from `offset` on. Other programs may go on reading, writing,
// appending to, renaming and deleting the file meanwhile (a game server's logger keeps today's
// log open for appending and must never fail to write because of this program), and a file
// they hold open for writing opens as well. The size taken at open bounds the reads.
class Win32FileReader final : public IFileReader {
 public:
  explicit Win32FileReader(std::u16string_view path, std::uint64_t offset = 0) : path_(path) {
    if (HasEmbeddedNul(path)) ThrowFileError(path, SystemDescription(ERROR_INVALID_NAME));
    // A directory cannot be opened without FILE_FLAG_BACKUP_SEMANTICS: it fails here with
    // access denied.
    const HANDLE opened =
        CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) ThrowFileError(path, SystemDescription(GetLastError()));
    file_.emplace(opened);

    // Devices ("NUL", "CON", a COM port) and pipes open like files; reading them could block
    // or never end.
    if (GetFileType(opened) != FILE_TYPE_DISK) ThrowFileError(path, u"Not a regular file");
    LARGE_INTEGER size{};
    if (GetFileSizeEx(opened, &size) == FALSE) {
      ThrowFileError(path, SystemDescription(GetLastError()));
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > std::string().max_size()) {
      ThrowFileError(path, SystemDescription(ERROR_FILE_TOO_LARGE));
    }
    FILETIME lastWrite{};
    if (GetFileTime(opened, nullptr, nullptr, &lastWrite) == FALSE) {
      ThrowFileError(path, SystemDescription(GetLastError()));
    }
    stamp_ = StampFrom(static_cast<std::uint64_t>(size.QuadPart), lastWrite);
    left_ = static_cast<std::size_t>(size.QuadPart);
    if (offset > 0) {
      const auto start = static_cast<std::size_t>(std::min<std::uint64_t>(offset, left_));
      LARGE_INTEGER distance{};
      distance.QuadPart = static_cast<LONGLONG>(start);
      if (SetFilePointerEx(opened, distance, nullptr, FILE_BEGIN) == FALSE) {
        ThrowFileError(path, SystemDescription(GetLastError()));
      }
      left_ -= start;
    }
  }

  std::size_t Size() const noexcept { return left_; }
  std::optional<TFileStamp> Stamp() const override { return stamp_; }

  std::size_t Read(char* to, std::size_t most) override {
    const auto wanted = static_cast<DWORD>(std::min({most, left_, kReadChunk}));
    if (wanted == 0) return 0;
    DWORD count = 0;
    if (ReadFile(file_->Get(), to, wanted, &count, nullptr) == FALSE) {
      ThrowFileError(path_, SystemDescription(GetLastError()));
    }
    left_ = count == 0 ? 0 : left_ - count;
    return count;
  }

 private:
  std::u16string path_;
  std::optional<FileHandle> file_;
  TFileStamp stamp_;
  std::size_t left_ = 0;  // bytes of the size at open not read yet
};

class Win32FileSystem final : public IFileSystem {
 public:
  bool DirectoryExists(std::u16string_view path) const override {
    if (HasEmbeddedNul(path)) return false;
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  // The system matches the pattern, against the long name and against the 8.3 short name where
  // the volume keeps one.
  std::vector<std::u16string> EnumerateEntries(std::u16string_view directory,
                                               std::u16string_view pattern,
                                               HiddenEntries hidden) const override {
    if (HasEmbeddedNul(directory) || HasEmbeddedNul(pattern)) return {};
    // No folder at all, as DirectoryExists says; "\*" would list the current drive's root.
    if (directory.empty()) return {};
    std::u16string query(directory);
    if (!query.ends_with(u'\\')) query += u'\\';
    query += pattern;

    WIN32_FIND_DATAW entry{};
    const HANDLE first = FindFirstFileW(SystemPath(query).c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE) return {};  // no match, a missing or unreadable folder
    const FindHandle find(first);
    constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    std::vector<std::u16string> names;
    do {
      if (hidden == HiddenEntries::kSkip && (entry.dwFileAttributes & kHiddenOrSystem) != 0) {
        continue;
      }
      names.push_back(FromWide(entry.cFileName));
    } while (FindNextFileW(find.Get(), &entry) != FALSE);
    // A listing cut short by a read error would pass for a complete one.
    if (GetLastError() != ERROR_NO_MORE_FILES) return {};
    return names;
  }

  void ReadWholeFile(std::u16string_view path, std::string& bytes) const override {
    Win32FileReader file(path);
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
    return std::make_unique<Win32FileReader>(path, offset);
  }

  // From the directory entry: the file is not opened, so no writer can be troubled by it.
  std::optional<TFileStamp> StampOf(std::u16string_view path) const override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (HasEmbeddedNul(path) ||
        GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data) == FALSE ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return std::nullopt;
    }
    return StampFrom((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     data.ftLastWriteTime);
  }
};

}  // namespace

const IFileSystem& NativeFileSystem() {
  static const Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace platform
