#include "platform/replacing_file.h"

#include <algorithm>
#include <string>

#include "platform/win32/system_path.h"

namespace platform {

using win32::ThrowFileError;

struct TReplacingFile::TImpl {
  std::u16string path;
  std::wstring wide;
  std::wstring temporary;
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool committed = false;
};

TReplacingFile::TReplacingFile(std::u16string_view path) : impl_(std::make_unique<TImpl>()) {
  impl_->path = path;
  impl_->wide = win32::SystemPath(path);
  if (impl_->wide.empty() || impl_->wide.find(L'\0') != std::wstring::npos) {
    ThrowFileError(path, ERROR_INVALID_NAME);
  }
  // A temporary name beside the target, so that the final move stays on one volume.
  for (unsigned attempt = 0;; ++attempt) {
    const std::wstring suffix =
        L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(attempt) + L".tmp";
    impl_->temporary = win32::SystemPath(std::u16string(path) + win32::FromWide(suffix));
    impl_->handle = CreateFileW(impl_->temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (impl_->handle != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt >= 100) ThrowFileError(path, error);
  }
}

TReplacingFile::~TReplacingFile() {
  if (impl_->handle != INVALID_HANDLE_VALUE) CloseHandle(impl_->handle);
  if (!impl_->committed) DeleteFileW(impl_->temporary.c_str());
}

void TReplacingFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(impl_->handle, bytes.data(), chunk, &written, nullptr)) {
      ThrowFileError(impl_->path, GetLastError());
    }
    bytes.remove_prefix(written);
  }
}

void TReplacingFile::Commit() {
  const HANDLE handle = impl_->handle;
  impl_->handle = INVALID_HANDLE_VALUE;
  if (!CloseHandle(handle)) ThrowFileError(impl_->path, GetLastError());
  if (!MoveFileExW(impl_->temporary.c_str(), impl_->wide.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ThrowFileError(impl_->path, GetLastError());
  }
  impl_->committed = true;
}

}  // namespace platform
