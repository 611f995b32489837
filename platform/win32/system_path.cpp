#include "platform/win32/system_path.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/os_error.h"

namespace platform::win32 {

namespace {

// The longest full path of a folder the plain form takes (MAX_PATH less room for an 8.3 name).
constexpr std::size_t kPlainPathLimit = MAX_PATH - 12;

}  // namespace

std::wstring Wide(std::u16string_view text) {
  std::wstring wide(text.size(), L'\0');
  std::transform(text.begin(), text.end(), wide.begin(),
                 [](char16_t unit) { return static_cast<wchar_t>(unit); });
  return wide;
}

std::u16string FromWide(std::wstring_view text) {
  std::u16string result(text.size(), u'\0');
  std::transform(text.begin(), text.end(), result.begin(),
                 [](wchar_t unit) { return static_cast<char16_t>(unit); });
  return result;
}

std::wstring SystemPath(std::u16string_view path) {
  std::wstring wide = Wide(path);
  if (wide.size() < kPlainPathLimit || wide.starts_with(LR"(\\?\)") ||
      wide.starts_with(LR"(\\.\)")) {
    return wide;
  }
  // The extended form takes the path as it is: '/', "." and ".." are resolved first.
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (full.starts_with(LR"(\\?\)") || full.starts_with(LR"(\\.\)")) return full;
  if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
  return LR"(\\?\)" + full;
}

std::u16string SystemDescription(DWORD error) {
  wchar_t buffer[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  if (length == 0) return u"Error " + FromWide(std::to_wstring(error));
  std::u16string description = FromWide(std::wstring_view(buffer, length));
  while (!description.empty() && (description.back() == u'\r' || description.back() == u'\n' ||
                                  description.back() == u' ')) {
    description.pop_back();
  }
  return description;
}

void ThrowFileError(std::u16string_view path, std::u16string_view description) {
  std::u16string message(path);
  message += u": ";
  message += description;
  throw OsError(std::move(message));
}

void ThrowFileError(std::u16string_view path, DWORD error) {
  ThrowFileError(path, SystemDescription(error));
}

}  // namespace platform::win32
