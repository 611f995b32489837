#pragma once

#include <string>
#include <string_view>

namespace app {

// The form speaks UTF-16 as char16_t; the Windows API as wchar_t, which is 16 bits wide there.
// The two are the same code units, so a buffer of one is read as the other.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* AsWide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline wchar_t* AsWide(std::u16string& text) {
  return reinterpret_cast<wchar_t*>(text.data());
}
inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace app
