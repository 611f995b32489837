#include <algorithm>
#include <string>

#include "platform/append_file.h"
#include "platform/environment.h"
#include "platform/win32/system_path.h"

namespace platform {

void AppendToFile(std::u16string_view path, std::string_view bytes) {
  if (path.empty() || path.find(u'\0') != path.npos) {
    win32::ThrowFileError(path, ERROR_INVALID_NAME);
  }
  // Others may read, write and delete the file meanwhile; every write goes to its end.
  const HANDLE file = CreateFileW(win32::SystemPath(path).c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) win32::ThrowFileError(path, GetLastError());
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
      const DWORD error = GetLastError();
      CloseHandle(file);
      win32::ThrowFileError(path, error);
    }
    bytes.remove_prefix(written);
  }
  CloseHandle(file);
}

std::optional<std::u16string> EnvironmentValue(std::u16string_view name) {
  const std::wstring wideName = win32::Wide(name);
  const DWORD needed = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring value(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), needed);
  if (length >= needed) return std::nullopt;  // changed between the two calls
  value.resize(length);
  return win32::FromWide(value);
}

}  // namespace platform
