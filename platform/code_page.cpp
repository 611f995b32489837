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

// The ANSI code page of each language, as Windows assigns it to the language's locales.
// Chinese, whose code page depends on the territory, and script variants are decided before
// this table is consulted.
struct LanguageCodePage {
  std::string_view language;
  CodePage page;
};

constexpr CodePage kCentralEuropean{1250};
constexpr CodePage kCyrillic{1251};
constexpr CodePage kTurkish{1254};

constexpr std::array kLanguageCodePages{
    // Western European
    LanguageCodePage{"af", kCodePageWestern},
    LanguageCodePage{"br", kCodePageWestern},
    LanguageCodePage{"ca", kCodePageWestern},
    LanguageCodePage{"co", kCodePageWestern},
    LanguageCodePage{"cy", kCodePageWestern},
    LanguageCodePage{"da", kCodePageWestern},
    LanguageCodePage{"de", kCodePageWestern},
    LanguageCodePage{"en", kCodePageWestern},
    LanguageCodePage{"es", kCodePageWestern},
    LanguageCodePage{"eu", kCodePageWestern},
    LanguageCodePage{"fi", kCodePageWestern},
    LanguageCodePage{"fil", kCodePageWestern},
    LanguageCodePage{"fo", kCodePageWestern},
    LanguageCodePage{"fr", kCodePageWestern},
    LanguageCodePage{"fy", kCodePageWestern},
    LanguageCodePage{"ga", kCodePageWestern},
    LanguageCodePage{"gd", kCodePageWestern},
    LanguageCodePage{"gl", kCodePageWestern},
    LanguageCodePage{"id", kCodePageWestern},
    LanguageCodePage{"is", kCodePageWestern},
    LanguageCodePage{"it", kCodePageWestern},
    LanguageCodePage{"lb", kCodePageWestern},
    LanguageCodePage{"ms", kCodePageWestern},
    LanguageCodePage{"nb", kCodePageWestern},
    LanguageCodePage{"nl", kCodePageWestern},
    LanguageCodePage{"nn", kCodePageWestern},
    LanguageCodePage{"no", kCodePageWestern},
    LanguageCodePage{"oc", kCodePageWestern},
    LanguageCodePage{"pt", kCodePageWestern},
    LanguageCodePage{"rm", kCodePageWestern},
    LanguageCodePage{"sv", kCodePageWestern},
    LanguageCodePage{"sw", kCodePageWestern},
    LanguageCodePage{"tl", kCodePageWestern},
    LanguageCodePage{"xh", kCodePageWestern},
    LanguageCodePage{"zu", kCodePageWestern},
    // Central European
    LanguageCodePage{"bs", kCentralEuropean},
    LanguageCodePage{"cs", kCentralEuropean},
    LanguageCodePage{"hr", kCentralEuropean},
    LanguageCodePage{"hu", kCentralEuropean},
    LanguageCodePage{"pl", kCentralEuropean},
    LanguageCodePage{"ro", kCentralEuropean},
    LanguageCodePage{"sk", kCentralEuropean},
    LanguageCodePage{"sl", kCentralEuropean},
    LanguageCodePage{"sq", kCentralEuropean},
    LanguageCodePage{"tk", kCentralEuropean},
    // Cyrillic
    LanguageCodePage{"ba", kCyrillic},
    LanguageCodePage{"be", kCyrillic},
    LanguageCodePage{"bg", kCyrillic},
    LanguageCodePage{"kk", kCyrillic},
    LanguageCodePage{"ky", kCyrillic},
    LanguageCodePage{"mk", kCyrillic},
    LanguageCodePage{"mn", kCyrillic},
    LanguageCodePage{"ru", kCyrillic},
    LanguageCodePage{"sah", kCyrillic},
    LanguageCodePage{"sr", kCyrillic},
    LanguageCodePage{"tg", kCyrillic},
    LanguageCodePage{"tt", kCyrillic},
    LanguageCodePage{"uk", kCyrillic},
    // Turkish
    LanguageCodePage{"az", kTurkish},
    LanguageCodePage{"tr", kTurkish},
    LanguageCodePage{"uz", kTurkish},
    // Baltic
    LanguageCodePage{"et", CodePage{1257}},
    LanguageCodePage{"lt", CodePage{1257}},
    LanguageCodePage{"lv", CodePage{1257}},
    // Greek, Hebrew, Arabic, Vietnamese, Thai, Japanese, Korean
    LanguageCodePage{"el", CodePage{1253}},
    LanguageCodePage{"he", CodePage{1255}},
    LanguageCodePage{"iw", CodePage{1255}},
    LanguageCodePage{"ar", CodePage{1256}},
    LanguageCodePage{"fa", CodePage{1256}},
    LanguageCodePage{"ur", CodePage{1256}},
    LanguageCodePage{"vi", CodePage{1258}},
    LanguageCodePage{"th", CodePage{874}},
    LanguageCodePage{"ja", CodePage{932}},
    LanguageCodePage{"ko", CodePage{949}},
};

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
  for (const LanguageCodePage& entry : kLanguageCodePages) {
    if (EqualsIgnoringAsciiCase(locale.language, entry.language)) return entry.page;
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
