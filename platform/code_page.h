#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// A Windows code page number: 936 (GBK), 54936 (GB18030), 65001 (UTF-8), 1252 (Western)...
enum class CodePage : std::uint32_t {};

inline constexpr CodePage kCodePageGbk{936};
inline constexpr CodePage kCodePageGb18030{54936};
inline constexpr CodePage kCodePageUtf8{65001};
inline constexpr CodePage kCodePageWestern{1252};

// The code page the system decodes "ANSI" text in. On Windows this is GetACP(); on POSIX it is
// derived from the locale the same way Windows derives it from the system locale (see
// CodePageForLocale), reading the first non-empty of LC_ALL, LC_CTYPE and LANG.
CodePage SystemAnsiCodePage();

// The ANSI code page Windows would use for a POSIX locale name such as "zh_CN.UTF-8": chosen by
// the language and territory, not by the charset (zh_CN gives 936 even with UTF-8). A locale
// with no language ("C.UTF-8") gives its charset; "C", "POSIX" and an empty name give 1252.
CodePage CodePageForLocale(std::string_view localeName);

// Parses a code page given by number ("936") or by a common name ("GBK", "GB18030", "UTF-8",
// "CP1252", case-insensitive). Empty when the text names no code page.
std::optional<CodePage> ParseCodePage(std::string_view text);

}  // namespace platform
