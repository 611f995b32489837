#include "platform/code_page.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <limits>

namespace platform {
namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// A code page number: decimal digits only, in the 16-bit range Windows code pages use, not 0
// (which Windows reserves for "the current ANSI code page").
std::optional<CodePage> ParseNumber(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  if (error != std::errc{} || stop != end) return std::nullopt;
  if (value == 0 || value > std::numeric_limits<std::uint16_t>::max()) return std::nullopt;
  return CodePage{value};
}

struct NamedCodePage {
  std::string_view name;
  CodePage page;
};

constexpr std::array kCodePageNames{
    NamedCodePage{"GBK", kCodePageGbk},         NamedCodePage{"GB2312", kCodePageGbk},
    NamedCodePage{"GB18030", kCodePageGb18030}, NamedCodePage{"UTF-8", kCodePageUtf8},
    NamedCodePage{"UTF8", kCodePageUtf8},       NamedCodePage{"BIG5", CodePage{950}},
    NamedCodePage{"SHIFT_JIS", CodePage{932}},  NamedCodePage{"SJIS", CodePage{932}},
};

// The parts of a POSIX locale name: language[_territory][.charset][@modifier].
struct LocaleName {
  std::string_view language;
  std::string_view territory;
  std::string_view charset;
  std::string_view modifier;
};

// Splits `text` at the first `separator`: the part before stays in `text`, the part after is
// returned (empty when there is no separator).
std::string_view CutAfter(std::string_view& text, char separator) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) return {};
  const std::string_view after = text.substr(at + 1);
  text = text.substr(0, at);
  return after;
}

LocaleName SplitLocaleName(std::string_view text) {
  LocaleName parts;
  parts.modifier = CutAfter(text, '@');
  parts.charset = CutAfter(text, '.');
  parts.territory = CutAfter(text, '_');
  parts.language = text;
  return parts;
}

// The ANSI code page Windows assigns to the locales of each language, the languages of a code
// page separated by spaces. Chinese, whose code page depends on the territory, and script
// variants are decided before this table is consulted.
struct LanguageGroup {
  CodePage page;
  std::string_view languages;
};

constexpr CodePage kCentralEuropean{1250};
constexpr CodePage kCyrillic{1251};

constexpr std::array kLanguageGroups{
    LanguageGroup{kCodePageWestern,
                  "af br ca co cy da de en es eu fi fil fo fr fy ga gd gl id is it lb ms nb nl "
                  "nn no oc pt rm sv sw tl xh zu"},
    LanguageGroup{kCentralEuropean, "bs cs hr hu pl ro sk sl sq tk"},
    LanguageGroup{kCyrillic, "ba be bg kk ky mk mn ru sah sr tg tt uk"},
    LanguageGroup{CodePage{1253}, "el"},
    LanguageGroup{CodePage{1254}, "az tr uz"},
    LanguageGroup{CodePage{1255}, "he iw"},
    LanguageGroup{CodePage{1256}, "ar fa ur"},
    LanguageGroup{CodePage{1257}, "et lt lv"},
    LanguageGroup{CodePage{1258}, "vi"},
    LanguageGroup{CodePage{874}, "th"},
    LanguageGroup{CodePage{932}, "ja"},
    LanguageGroup{CodePage{949}, "ko"},
};

bool ListContains(std::string_view spaceSeparated, std::string_view word) {
  while (!spaceSeparated.empty()) {
    const std::size_t space = spaceSeparated.find(' ');
    if (EqualsIgnoringAsciiCase(spaceSeparated.substr(0, space), word)) return true;
    if (space == std::string_view::npos) break;
    spaceSeparated.remove_prefix(space + 1);
  }
  return false;
}

// Languages written in two scripts, whose locales name the less common one by a modifier
// (sr_RS@latin, uz_UZ@cyrillic) and take that script's code page.
struct ScriptVariant {
  std::string_view language;
  std::string_view modifier;
  CodePage page;
};

constexpr std::array kScriptVariants{
    ScriptVariant{"sr", "latin", kCentralEuropean},
    ScriptVariant{"uz", "cyrillic", kCyrillic},
};

CodePage ChineseCodePage(std::string_view territory) {
  for (const std::string_view traditional : {"TW", "HK", "MO"}) {
    if (EqualsIgnoringAsciiCase(territory, traditional)) return CodePage{950};
  }
  return kCodePageGbk;
}

}  // namespace

CodePage CodePageForLocale(std::string_view localeName) {
  const LocaleName locale = SplitLocaleName(localeName);
  if (locale.language.empty() || EqualsIgnoringAsciiCase(locale.language, "C") ||
      EqualsIgnoringAsciiCase(locale.language, "POSIX")) {
    return ParseCodePage(locale.charset).value_or(kCodePageWestern);
  }
  if (EqualsIgnoringAsciiCase(locale.language, "zh")) return ChineseCodePage(locale.territory);
  for (const ScriptVariant& variant : kScriptVariants) {
    if (EqualsIgnoringAsciiCase(locale.language, variant.language) &&
        EqualsIgnoringAsciiCase(locale.modifier, variant.modifier)) {
      return variant.page;
    }
  }
  for (const LanguageGroup& group : kLanguageGroups) {
    if (ListContains(group.languages, locale.language)) return group.page;
  }
  // Languages Windows gives no ANSI code page (Hindi, Bengali, Tamil...) use UTF-8.
  return kCodePageUtf8;
}

std::optional<CodePage> ParseCodePage(std::string_view text) {
  if (!text.empty() && text.front() >= '0' && text.front() <= '9') return ParseNumber(text);
  for (const NamedCodePage& entry : kCodePageNames) {
    if (EqualsIgnoringAsciiCase(text, entry.name)) return entry.page;
  }
  for (const std::string_view prefix : {"CP", "WINDOWS-"}) {
    if (StartsWithIgnoringAsciiCase(text, prefix)) return ParseNumber(text.substr(prefix.size()));
  }
  return std::nullopt;
}

}  // namespace platform
