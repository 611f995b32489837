#pragma once

#include <memory>
#include <string_view>

namespace platform {

// A file written whole or not at all. The bytes go to a new temporary file in the folder of
// `path`; Commit moves it to `path`, replacing a file there. Destroyed without a Commit (a write
// failed, the caller gave up), the temporary file is removed and `path` is left as it was, so a
// failed export never leaves a half-written file under the chosen name. Paths use '\' as on
// Windows. Every failure throws OsError naming `path` with the system's description.
class TReplacingFile {
 public:
  explicit TReplacingFile(std::u16string_view path);
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  // Appends `bytes` to the file.
  void Write(std::string_view bytes);
  // Makes the file complete under its name. Nothing may be written afterwards.
  void Commit();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace platform
