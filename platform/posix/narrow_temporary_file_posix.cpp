#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/narrow_temporary_file.h"
#include "platform/os_error.h"
#include "platform/posix/native_path.h"
#include "platform/unicode.h"

namespace platform {

TNarrowTemporaryFile::TNarrowTemporaryFile(std::string_view suffix) {
  // File names are bytes on POSIX: any folder will do.
  const char* folder = std::getenv("TMPDIR");
  folder_ = folder != nullptr && *folder != '\0' ? folder : "/tmp";
  // Created here, new and readable by its owner only, so that no other user's file or link of
  // the same name is what the library then writes through.
  std::string name = folder_ + "/korlo-XXXXXX" + std::string(suffix);
  const int descriptor = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
  if (descriptor < 0) {
    throw OsError(posix::NameFromNative(folder_) + u": " + Utf8ToUtf16(std::strerror(errno)));
  }
  ::close(descriptor);
  narrow_ = std::move(name);
  path_ = posix::NameFromNative(narrow_);
}

TNarrowTemporaryFile::~TNarrowTemporaryFile() {
  std::remove(narrow_.c_str());
}

}  // namespace platform
