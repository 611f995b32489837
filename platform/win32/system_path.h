#pragma once

#include <string>
#include <string_view>

#include "platform/win32/win32_api.h"

namespace platform::win32 {

// On Windows wchar_t is a UTF-16 code unit, so the layer's texts go to the W functions as they
// are, unit for unit.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Wide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

// A path as the W file functions take it. A path of the length where Windows stops accepting the
// plain form (a folder's full path of 248 characters and more) is made absolute and given the
// extended-length form ("\\?\D:\...", "\\?\UNC\server\share\..."), which reaches 32,767
// characters whether or not the system allows long paths; shorter paths go as they are, so that
// every path that worked before means what it meant.
std::wstring SystemPath(std::u16string_view path);

// The system's description of an error code, in the user's language, without the line end
// FormatMessageW puts after it.
std::u16string SystemDescription(DWORD error);

// The error the operator sees for a file: the path as it was asked for, then why.
[[noreturn]] void ThrowFileError(std::u16string_view path, std::u16string_view description);
[[noreturn]] void ThrowFileError(std::u16string_view path, DWORD error);

}  // namespace platform::win32
