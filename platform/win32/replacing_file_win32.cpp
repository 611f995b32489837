#include "platform/replacing_file.h"

#include <algorithm>
#include <string>

#include "platform/os_error.h"
#include "platform/win32/win32_api.h"

namespace platform {

namespace {

std::wstring Wide(std::u16string_view text) {
  std::wstring wide(text.size(), L'\0');
  std::transform(text.begin(), text.end(), wide.begin(),
                 [](char16_t unit) { return static_cast<wchar_t>(unit); });
  return wide;
}

[[noreturn]] void ThrowWriteError(std::u16string_view path, DWORD error) {
  wchar_t buffer[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::u16string message(path);
  message += u": ";
  for (DWORD i = 0; i < length; ++i)
    message.push_back(static_cast<char16_t>(buffer[i]));
  while (!message.empty() &&
         (message.back() == u'\r' || message.back() == u'\n' || message.back() == u' ')) {
    message.pop_back();
  }
  throw OsError(std::move(message));
}

}  // namespace

struct TReplacingFile::TImpl {
  std::u16string path;
  std::wstring wide;
  std::wstring temporary;
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool committed = false;
};

TReplacingFile::TReplacingFile(std::u16string_view path) : impl_(std::make_unique<TImpl>()) {
  impl_->path = path;
  impl_->wide = Wide(path);
  if (impl_->wide.empty() || impl_->wide.find(L'\0') != std::wstring::npos) {
    ThrowWriteError(path, ERROR_INVALID_NAME);
  }
  // A temporary name beside the target, so that the final move stays on one volume.
  for (unsigned attempt = 0;; ++attempt) {
    impl_->temporary = impl_->wide + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                       std::to_wstring(attempt) + L".tmp";
    impl_->handle = CreateFileW(impl_->temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (impl_->handle != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt >= 100) ThrowWriteError(path, error);
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
      ThrowWriteError(impl_->path, GetLastError());
    }
    bytes.remove_prefix(written);
  }
}

void TReplacingFile::Commit() {
  const HANDLE handle = impl_->handle;
  impl_->handle = INVALID_HANDLE_VALUE;
  if (!CloseHandle(handle)) ThrowWriteError(impl_->path, GetLastError());
  if (!MoveFileExW(impl_->temporary.c_str(), impl_->wide.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ThrowWriteError(impl_->path, GetLastError());
  }
  impl_->committed = true;
}

}  // namespace platform
