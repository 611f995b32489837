#include "app/win32/error_box.h"

#include <exception>
#include <string>
#include <string_view>

#include "app/win32/wide_text.h"
#include "form/Unit1.h"
#include "platform/os_error.h"

namespace app {
namespace {

// An exception's what() is UTF-8 in this program (the engine's errors say so); text that is not
// valid UTF-8 is read in the ANSI code page instead.
std::wstring DecodeWhat(std::string_view what) {
  for (const UINT codePage : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(what.size());
    const int length = MultiByteToWideChar(codePage, flags, what.data(), size, nullptr, 0);
    if (length <= 0) continue;
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, what.data(), size, text.data(), length);
    return text;
  }
  return std::wstring();
}

std::wstring CurrentExceptionText() {
  try {
    throw;
  } catch (const platform::OsError& error) {
    return ToWide(error.Message());
  } catch (const std::exception& error) {
    return DecodeWhat(error.what());
  } catch (...) {
    return L"未知错误";
  }
}

}  // namespace

void ShowCurrentException(HWND owner) noexcept {
  try {
    const std::wstring text = CurrentExceptionText();
    const std::wstring title = ToWide(form::kFormCaption);
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
  } catch (...) {
    // Not even the message could be built (out of memory): the box shows a fixed text.
    MessageBoxW(owner, L"未知错误", nullptr, MB_OK | MB_ICONERROR);
  }
}

}  // namespace app
