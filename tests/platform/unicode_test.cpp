#include "platform/unicode.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace platform {
namespace {

struct ConversionCase {
  const char* name;
  std::u16string utf16;
  std::string utf8;
};

TEST(Utf16ToUtf8Test, EncodesCharactersAndReplacesLoneSurrogates) {
  const ConversionCase cases[] = {
      {"empty", u"", ""},
      {"ASCII", u"abc", "abc"},
      {"embedded NUL", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
      {"two bytes", u"\u00E9", "\xC3\xA9"},
      {"three bytes", u"\u4E2D", "\xE4\xB8\xAD"},
      {"last BMP unit", u"\uFFFF", "\xEF\xBF\xBF"},
      {"surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"last code point", u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {"lone high surrogate", {char16_t{0xD800}}, "\xEF\xBF\xBD"},
      {"lone low surrogate", {char16_t{0xDC00}}, "\xEF\xBF\xBD"},
      {"high surrogate before a letter",
       {char16_t{0xD83D}, u'a'},
       "\xEF\xBF\xBD"
       "a"},
      {"pair in reverse order", {char16_t{0xDE00}, char16_t{0xD83D}}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"high surrogate at the end after a pair",
       {char16_t{0xD83D}, char16_t{0xDE00}, char16_t{0xD83D}},
       "\xF0\x9F\x98\x80\xEF\xBF\xBD"},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
  }
}

TEST(Utf8ToUtf16Test, DecodesWellFormedText) {
  const ConversionCase cases[] = {
      {"empty", u"", ""},
      {"ASCII", u"abc", "abc"},
      {"embedded NUL", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
      {"smallest two-byte", u"\u0080", "\xC2\x80"},
      {"smallest three-byte", u"\u0800", "\xE0\xA0\x80"},
      {"just below the surrogates", u"\uD7FF", "\xED\x9F\xBF"},
      {"just above the surrogates", u"\uE000", "\xEE\x80\x80"},
      {"smallest four-byte", u"\U00010000", "\xF0\x90\x80\x80"},
      {"last code point", u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {"mixed", u"日志 log \U0001F600", "\xE6\x97\xA5\xE5\xBF\x97 log \xF0\x9F\x98\x80"},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  }
}

TEST(Utf8ToUtf16Test, ReplacesEachMaximalInvalidSubpart) {
  const ConversionCase cases[] = {
      {"stray continuation byte", u"\uFFFD", "\x80"},
      {"two stray continuation bytes", u"\uFFFD\uFFFD", "\x80\xBF"},
      {"C0 never starts a sequence", u"\uFFFD\uFFFD", "\xC0\xAF"},
      {"C1 never starts a sequence", u"\uFFFD\uFFFD", "\xC1\xBF"},
      {"overlong three-byte", u"\uFFFD\uFFFD\uFFFD", "\xE0\x80\xAF"},
      {"encoded surrogate", u"\uFFFD\uFFFD\uFFFD", "\xED\xA0\x80"},
      {"overlong four-byte", u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF0\x8F\xBF\xBF"},
      {"above U+10FFFF", u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF4\x90\x80\x80"},
      {"F5 never starts a sequence", u"\uFFFD", "\xF5"},
      {"FF never starts a sequence", u"\uFFFD", "\xFF"},
      {"truncated three-byte at the end", u"\uFFFD", "\xE4\xB8"},
      {"truncated three-byte before ASCII", u"\uFFFDA",
       "\xE4\xB8"
       "A"},
      {"truncated four-byte before ASCII", u"\uFFFDx", "\xF0\x9F\x98x"},
      {"truncated sequence before a valid one", u"\uFFFD\u4E2D", "\xE4\xE4\xB8\xAD"},
      {"GBK bytes", u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xD6\xD0\xCE\xC4"},
      {"Unicode standard example", u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd",
       "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  }
}

TEST(UnicodeConversionTest, EveryCodePointRoundTrips) {
  std::u16string all;
  for (char32_t code = 0; code <= 0x10FFFF; ++code) {
    if (code >= 0xD800 && code <= 0xDFFF) continue;
    if (code < 0x10000) {
      all.push_back(static_cast<char16_t>(code));
    } else {
      all.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
  }
  EXPECT_TRUE(Utf8ToUtf16(Utf16ToUtf8(all)) == all);
}

TEST(IsValidUtf8Test, AcceptsWellFormedTextOnly) {
  struct Case {
    const char* name;
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"empty", "", true},
      {"ASCII longer than a word", "0123456789abcdefghij", true},
      {"two, three and four bytes", "\xC2\x80\xE5\xB8\x90\xF0\x9F\x98\x80", true},
      {"highest code point", "\xF4\x8F\xBF\xBF", true},
      {"after a long ASCII run", "01234567\xE5\xB8\x90", true},
      {"stray continuation", "ab\x80", false},
      {"truncated at the end", "abcdefgh\xE5\xB8", false},
      {"overlong two bytes", "\xC0\xAF", false},
      {"overlong three bytes", "\xE0\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"lead F5", "\xF5\x80\x80\x80", false},
      {"GBK pair", "\xD5\xCA\xBA\xC5", false},
      {"ASCII inside a sequence",
       "\xE5"
       "a\x90",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid);
  }
}

TEST(IsWellFormedUtf16Test, AcceptsSurrogatesOnlyInHighLowPairs) {
  struct Case {
    const char* name;
    std::u16string units;
    bool wellFormed;
  };
  const Case cases[] = {
      {"empty", u"", true},
      {"BMP text", u"a\u4E2D\uFFFD", true},
      {"pair", u"a\U0001F600b", true},
      {"lone high at the end", u"a\xD83D", false},
      {"lone high before a letter",
       u"\xD83D"
       u"a",
       false},
      {"lone low at the start",
       u"\xDE00"
       u"a",
       false},
      {"low before high", u"\xDE00\xD83D", false},
      {"two highs then a low", u"\xD83D\xD83D\xDE00", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsWellFormedUtf16(c.units), c.wellFormed);
  }
}

}  // namespace
}  // namespace platform
