#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
namespace {

// Code pages compared as numbers, so that a failure prints them.
std::uint32_t Number(CodePage page) {
  return static_cast<std::uint32_t>(page);
}

struct LocaleCase {
  std::string_view locale;
  std::uint32_t expected;
};

void ExpectCodePages(std::initializer_list<LocaleCase> cases) {
  for (const LocaleCase& c : cases) {
    SCOPED_TRACE(std::string(c.locale));
    EXPECT_EQ(Number(CodePageForLocale(c.locale)), c.expected);
  }
}

TEST(CodePageForLocaleTest, LanguageDecidesNotCharset) {
  ExpectCodePages({
      {"zh_CN.UTF-8", 936},
      {"zh_CN.GB18030", 936},
      {"zh_SG.GBK", 936},
      {"zh", 936},
      {"zh_TW.Big5", 950},
      {"zh_HK.UTF-8", 950},
      {"zh_MO", 950},
      {"ja_JP.eucJP", 932},
      {"ko_KR.UTF-8", 949},
      {"th_TH.TIS-620", 874},
      {"vi_VN", 1258},
      {"el_GR.UTF-8", 1253},
      {"he_IL.ISO-8859-8", 1255},
      {"iw_IL", 1255},
      {"ar_EG.UTF-8", 1256},
      {"fa_IR", 1256},
      {"ur_PK", 1256},
      {"tr_TR", 1254},
      {"tr_TR.UTF-8", 1254},
      {"az_AZ", 1254},
      {"et_EE", 1257},
      {"lv_LV", 1257},
      {"lt_LT.UTF-8", 1257},
      {"ru_RU.KOI8-R", 1251},
      {"uk_UA.UTF-8", 1251},
      {"bg_BG", 1251},
      {"kk_KZ", 1251},
      {"cs_CZ.UTF-8", 1250},
      {"pl_PL", 1250},
      {"hu_HU", 1250},
      {"sq_AL", 1250},
      {"en_US.UTF-8", 1252},
      {"en_GB.ISO-8859-15", 1252},
      {"de_DE@euro", 1252},
      {"fr_CA", 1252},
      {"nb_NO.UTF-8", 1252},
      {"ca_ES.UTF-8@valencia", 1252},
  });
}

TEST(CodePageForLocaleTest, ScriptModifierSelectsTheScriptsCodePage) {
  ExpectCodePages({
      {"sr_RS", 1251},
      {"sr_RS.UTF-8", 1251},
      {"sr_RS@latin", 1250},
      {"sr_ME.UTF-8@latin", 1250},
      {"uz_UZ", 1254},
      {"uz_UZ.UTF-8@cyrillic", 1251},
      {"de_DE@latin", 1252},
  });
}

TEST(CodePageForLocaleTest, LanguagesWithoutAnsiCodePageUseUtf8) {
  ExpectCodePages({{"hi_IN", 65001}, {"bn_BD.UTF-8", 65001}, {"ta_IN", 65001}, {"xx", 65001}});
}

TEST(CodePageForLocaleTest, LocaleWithoutLanguageUsesItsCharsetOrWestern) {
  ExpectCodePages({
      {"C.UTF-8", 65001},
      {"C.utf8", 65001},
      {"C.GB18030", 54936},
      {"POSIX.UTF-8", 65001},
      {"C", 1252},
      {"POSIX", 1252},
      {"", 1252},
      {"C.ANSI_X3.4-1968", 1252},
  });
}

struct ParseCase {
  std::string_view text;
  std::uint32_t expected;
};

TEST(ParseCodePageTest, NumbersAndNames) {
  const ParseCase cases[] = {
      {"936", 936},       {"65001", 65001},       {"1252", 1252},         {"GBK", 936},
      {"gbk", 936},       {"CP936", 936},         {"cp936", 936},         {"GB2312", 936},
      {"GB18030", 54936}, {"gb18030", 54936},     {"UTF-8", 65001},       {"utf-8", 65001},
      {"UTF8", 65001},    {"BIG5", 950},          {"Big5", 950},          {"CP950", 950},
      {"cp1251", 1251},   {"WINDOWS-1250", 1250}, {"windows-1252", 1252}, {"SHIFT_JIS", 932},
      {"Shift_JIS", 932}, {"SJIS", 932},          {"CP932", 932},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    const std::optional<CodePage> parsed = ParseCodePage(c.text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(Number(*parsed), c.expected);
  }
}

TEST(ParseCodePageTest, RejectsTextNamingNoCodePage) {
  for (const std::string_view text :
       {"", "0", "CP0", "65536", "4294967297", "936x", " 936", "936 ", "+936", "-936", "CP", "CP-1",
        "cpx", "windows-", "windows1252", "UTF-16", "KOI8-R", "GBKX", "X-GBK"}) {
    SCOPED_TRACE(std::string(text));
    const std::optional<CodePage> parsed = ParseCodePage(text);
    EXPECT_FALSE(parsed.has_value()) << Number(parsed.value_or(CodePage{}));
  }
}

}  // namespace
}  // namespace platform
