#pragma once

#include <string>
#include <string_view>

namespace platform {

// A new, unique file name in a temporary folder, spelled so that the C library's narrow file
// functions (fopen, in the system's ANSI code page on Windows) open it: for a library of another
// author that takes only such names (the workbook writer), whose file the caller then copies to
// where the operator wants it. The file is removed when the object goes. Throws OsError when the
// system has no temporary folder such names can reach.
class TNarrowTemporaryFile {
 public:
  explicit TNarrowTemporaryFile(std::string_view suffix);
  ~TNarrowTemporaryFile();
  TNarrowTemporaryFile(const TNarrowTemporaryFile&) = delete;
  TNarrowTemporaryFile& operator=(const TNarrowTemporaryFile&) = delete;

  // The name and its folder, as the narrow file functions take them.
  const std::string& Narrow() const noexcept { return narrow_; }
  const std::string& NarrowFolder() const noexcept { return folder_; }
  // The name as the file system layer takes paths ('\' separators, as on Windows).
  const std::u16string& Path() const noexcept { return path_; }

 private:
  std::string narrow_;
  std::string folder_;
  std::u16string path_;
};

}  // namespace platform
