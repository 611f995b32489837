#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/lowered_search.h"
#include "platform/lower_case.h"
#include "platform/unicode.h"

namespace {

// The plain reading: lower-case the whole text, then look for each lower-cased keyword.
bool NaiveFoundIn(std::u16string text, const std::vector<std::u16string>& keywords) {
  platform::LowerCaseInPlace(text);
  for (std::u16string keyword : keywords) {
    if (keyword.empty()) continue;
    platform::LowerCaseInPlace(keyword);
    if (text.find(keyword) != std::u16string::npos) return true;
  }
  return false;
}

TEST(LoweredKeywordSet, FindsKeywordsInTheLowerCaseOfTheText) {
  struct Case {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> keywords;
    bool expected;
  };
  const Case cases[] = {
      {"capitals in the keyword", u"2024-03-01 npc收回", {u"NPC收回"}, true},
      {"capitals in the text", u"2024-03-01 GM制造", {u"gm制造"}, true},
      {"Kelvin sign lower-cases to k", u"\u212Aey", {u"key"}, true},
      {"dotted capital I lower-cases to i", u"\u0130d", {u"id"}, true},
      {"full-width stays full-width", u"\uFF27\uFF2D制造", {u"gm制造"}, false},
      {"Greek capitals", u"ΣΙΓΜΑ", {u"σιγμα"}, true},
      {"Chinese keyword", u"2024-03-01 怪物掉落", {u"拾取", u"怪物掉落"}, true},
      {"keyword at the very end", u"abc", {u"bc"}, true},
      {"keyword longer than the text", u"ab", {u"abc"}, false},
      {"partial then whole", u"拾拾取", {u"拾取"}, true},
      {"only empty keywords match nothing", u"anything", {u""}, false},
      {"no keywords", u"anything", {}, false},
      {"empty text", u"", {u"a"}, false},
      {"vertical bar", u"商店制造|出售", {u"|"}, true},
      {"capital keyword shorter once lower-cased", u"ID", {u"\u0130d"}, true},
      {"Kelvin sign in the keyword", u"KEY", {u"\u212Aey"}, true},
      {"supplementary first character", u"\U0001F600A", {u"\U0001F600a"}, true},
      {"supplementary character is not lower-cased", u"\U00010400", {u"\U00010428"}, false},
      {"lone high surrogate meets a pair", u"x\U0001F600", {u"x\xD83D"}, true},
      {"lone low surrogate meets a pair", u"\U0001F600Y", {u"\xDE00y"}, true},
      {"lone surrogate never meets U+FFFD", u"\uFFFD", {u"\xD83D"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    core::TLoweredKeywordSet set;
    for (const std::u16string& keyword : c.keywords)
      set.Add(keyword);
    EXPECT_EQ(set.FoundIn(platform::Utf16ToUtf8(c.text)), c.expected);
    EXPECT_EQ(NaiveFoundIn(c.text, c.keywords), c.expected);
  }
}

TEST(LoweredKeywordSet, AgreesWithLowerCasingTheWholeText) {
  // Texts and keywords over a small alphabet of units with case relations between them.
  const std::u16string alphabet = u"aAkK\u212AiI\u0130\u0131ßΣσς拾取 ";
  std::mt19937_64 random(42);
  const auto randomText = [&](std::size_t maxLength) {
    std::u16string text(random() % (maxLength + 1), u' ');
    for (char16_t& unit : text)
      unit = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 5000; ++round) {
    std::vector<std::u16string> keywords;
    for (std::size_t k = random() % 4; k > 0; --k)
      keywords.push_back(randomText(3));
    const std::u16string text = randomText(12);
    core::TLoweredKeywordSet set;
    for (const std::u16string& keyword : keywords)
      set.Add(keyword);
    ASSERT_EQ(set.FoundIn(platform::Utf16ToUtf8(text)), NaiveFoundIn(text, keywords))
        << "round " << round;
  }
}

// Four keywords, past what byte searches take, are looked for a character at a time: a keyword
// after ASCII runs of every length is found with either end of text, and one in the slack past
// the text's end never is, whether or not keywords start with ASCII letters.
TEST(LoweredKeywordSet, FindsKeywordsAfterAsciiRunsOfEveryLength) {
  struct Case {
    const char* name;
    std::vector<std::u16string> keywords;
    std::u16string hit;   // holds a keyword
    std::u16string miss;  // holds none
  };
  const Case cases[] = {
      {"no keyword starts with ASCII",
       {u"拾取", u"怪物掉落", u"商店制造", u"出售"},
       u"怪物掉落",
       u"怪物g"},
      {"keywords start with ASCII letters",
       {u"gm制造", u"NPC收回", u"怪物掉落", u"货币"},
       u"Npc收回",
       u"npC收"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    core::TLoweredKeywordSet set;
    for (const std::u16string& keyword : c.keywords)
      set.Add(keyword);
    const std::string hit = platform::Utf16ToUtf8(c.hit);
    const std::string miss = platform::Utf16ToUtf8(c.miss);
    for (std::size_t before = 0; before <= 40; ++before) {
      for (const std::size_t after : {0u, 1u, 15u, 16u, 17u}) {
        for (const bool found : {true, false}) {
          const std::string text =
              std::string(before, '2') + (found ? hit : miss) + std::string(after, ':');
          // The text, then slack that holds a keyword: it must not count.
          const std::string buffer = text + hit + std::string(16, ' ');
          const std::string_view view(buffer.data(), text.size());
          SCOPED_TRACE(testing::Message() << before << " " << after << " " << found);
          EXPECT_EQ(set.FoundIn(view, core::TTextEnd::kHard), found);
          EXPECT_EQ(set.FoundIn(view, core::TTextEnd::kSlack), found);
        }
      }
      const std::string ascii(before, '7');
      const std::string buffer = ascii + hit + std::string(16, ' ');
      const std::string_view view(buffer.data(), ascii.size());
      EXPECT_FALSE(set.FoundIn(view, core::TTextEnd::kSlack)) << before;
      EXPECT_FALSE(set.FoundIn(view, core::TTextEnd::kHard)) << before;
    }
  }
}

}  // namespace
