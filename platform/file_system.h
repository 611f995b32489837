#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Whether an enumeration returns entries marked hidden or system. POSIX has no such marks: there
// a name beginning with '.' counts as hidden.
enum class HiddenEntries { kInclude, kSkip };

// What tells that a file's content changed: its size and the time it was last written (in the
// system's own units; only compared for equality). A writer that appends changes both; a file
// written again in place changes the time.
struct TFileStamp {
  std::uint64_t size = 0;
  std::int64_t lastWrite = 0;
  friend bool operator==(const TFileStamp&, const TFileStamp&) = default;
};

// A file opened for reading, read front to back in parts.
class IFileReader {
 public:
  virtual ~IFileReader() = default;
  // Reads the next bytes of the file, at most `most`, into `to`; returns how many, 0 only at
  // the end, which is never beyond the file's size at open time. Throws OsError, naming the file,
  // when the read fails.
  virtual std::size_t Read(char* to, std::size_t most) = 0;
  // The file's stamp when it was opened: the reads end at that size. Nothing from a reader that
  // cannot tell.
  virtual std::optional<TFileStamp> Stamp() const { return std::nullopt; }
};

// The file system as the log tools see it. Paths use '\' as separator, as on Windows; the POSIX
// implementation maps every '\' to '/' before it touches the file system. Tests substitute their
// own implementation to make a read fail. Every operation may be called from several threads at
// once (the loader reads files on worker threads); implementations keep no state between calls
// or guard it.
class IFileSystem {
 public:
  virtual ~IFileSystem() = default;

  // True when `path` names an existing directory (a link to one counts).
  virtual bool DirectoryExists(std::u16string_view path) const = 0;

  // The names (not paths) of the entries of `directory` whose names match `pattern`, in the
  // order an NTFS folder lists them on Windows: "." and ".." first when the pattern matches them,
  // then every other name in the order of FileNameLess (file_name_order.h): upper-cased UTF-16
  // units compared as unsigned values, a prefix first. On POSIX the names are sorted into that
  // order (readdir's order is the directory's own, hash order on ext4), by the UTF-16 names this
  // layer reports. On Windows they come as FindFirstFile gives them, which on NTFS is that order;
  // other file systems (FAT, some network shares) give their own order, which is passed on.
  // The pattern matches as on Windows: '*' matches any run of characters, '?' one character,
  // letters case-insensitively; "*.*" matches every name. Every kind of entry is returned
  // (files, directories, devices, links). A directory that is missing or cannot be read gives no
  // entries.
  virtual std::vector<std::u16string> EnumerateEntries(std::u16string_view directory,
                                                       std::u16string_view pattern,
                                                       HiddenEntries hidden) const = 0;

  // Replaces `bytes` with the whole content of the file at `path`. The file is opened so that
  // other programs may go on reading, writing, appending to, renaming and deleting it meanwhile
  // (a live server's logger must never fail because of this program), and a file another
  // program holds open for writing is read like any other. Throws OsError, naming the full path
  // and adding the system's description, when the file cannot be opened or read: a missing
  // file, access denied, and anything that is not a regular file (a directory, a FIFO, a
  // device). Never blocks on a FIFO and never reads more than the file's size at open time: a
  // file that grows meanwhile is read to that size, one that shrinks or is replaced ends where
  // the file it opened ends.
  virtual void ReadWholeFile(std::u16string_view path, std::string& bytes) const = 0;

  // Opens the file at `path` as ReadWholeFile does, failing as it does at the open, to read it
  // in parts from byte `offset` on (nothing when the file is shorter): a big file then costs no
  // more memory than the parts. The reads give the bytes ReadWholeFile would from `offset` on.
  // The default reads the file whole with ReadWholeFile and gives its bytes from memory, so that
  // a file system that substitutes ReadWholeFile reads and fails alike; its stamp matches none.
  virtual std::unique_ptr<IFileReader> OpenForReading(std::u16string_view path,
                                                      std::uint64_t offset = 0) const;

  // The stamp of the file at `path` now, found without opening the file; nothing when there is
  // no such file or it cannot be had. The default has none, so that every file counts as
  // changed.
  virtual std::optional<TFileStamp> StampOf(std::u16string_view path) const;
};

// The implementation for the operating system the program runs on.
const IFileSystem& NativeFileSystem();

}  // namespace platform
