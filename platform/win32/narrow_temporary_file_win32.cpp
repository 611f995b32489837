#include <algorithm>
#include <atomic>
#include <optional>
#include <string>

#include "platform/narrow_temporary_file.h"
#include "platform/os_error.h"
#include "platform/win32/system_path.h"

namespace platform {

namespace {

std::atomic<unsigned> counter{0};  // with the process's id, a name no other export uses

// `path` in the ANSI code page, when every character of it has its own there.
std::optional<std::string> InAnsiCodePage(const std::wstring& path) {
  if (path.empty()) return std::nullopt;
  BOOL lost = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(),
                                       static_cast<int>(path.size()), nullptr, 0, nullptr, &lost);
  if (size <= 0 || lost) return std::nullopt;
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), static_cast<int>(path.size()),
                      narrow.data(), size, nullptr, &lost);
  return lost ? std::nullopt : std::optional<std::string>(narrow);
}

// The temporary folder, spelled in the ANSI code page: as it is, or by its short (8.3) name when
// the user's name puts characters of other scripts in it.
std::optional<std::string> NarrowTemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  std::wstring folder(buffer, length);
  if (std::optional<std::string> narrow = InAnsiCodePage(folder)) return narrow;
  wchar_t shortName[MAX_PATH + 1] = {};
  const DWORD shortLength = GetShortPathNameW(folder.c_str(), shortName, MAX_PATH + 1);
  if (shortLength == 0 || shortLength > MAX_PATH) return std::nullopt;
  return InAnsiCodePage(std::wstring(shortName, shortLength));
}

}  // namespace

TNarrowTemporaryFile::TNarrowTemporaryFile(std::string_view suffix) {
  const std::optional<std::string> folder = NarrowTemporaryFolder();
  if (!folder) {
    throw OsError(u"临时文件夹的路径无法用于写入工作簿");
  }
  folder_ = *folder;
  if (!folder_.empty() && folder_.back() == '\\') folder_.pop_back();
  narrow_ = folder_ + "\\korlo-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter.fetch_add(1)) + std::string(suffix);
  const int size =
      MultiByteToWideChar(CP_ACP, 0, narrow_.data(), static_cast<int>(narrow_.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, narrow_.data(), static_cast<int>(narrow_.size()), wide.data(),
                      size);
  path_ = win32::FromWide(wide);
  // Created here, so that the name is this process's alone before the library writes it.
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (file == INVALID_HANDLE_VALUE) win32::ThrowFileError(path_, GetLastError());
  CloseHandle(file);
}

TNarrowTemporaryFile::~TNarrowTemporaryFile() {
  DeleteFileW(win32::SystemPath(path_).c_str());
}

}  // namespace platform
