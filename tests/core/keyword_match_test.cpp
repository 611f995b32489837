#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/keyword_match.h"
#include "core/log_record.h"
#include "platform/unicode.h"

namespace {

using core::MatchKeyword;
using core::TMatchMode;

// MatchText compares UTF-8 texts; the cases are written in UTF-16 like the window's texts.
bool MatchText(std::u16string_view value, std::u16string_view keyword, TMatchMode mode) {
  return core::MatchText(platform::Utf16ToUtf8(value), platform::Utf16ToUtf8(keyword), mode);
}

TEST(MatchText, ComparesExactlyOrAsAsciiFoldedSubstring) {
  struct Case {
    const char* name;
    std::u16string value;
    std::u16string keyword;
    TMatchMode mode;
    bool expected;
  };
  const Case cases[] = {
      {"exact is case sensitive", u"ABC", u"abc", TMatchMode::kExact, false},
      {"folded ignores ASCII case", u"ABC", u"abc", TMatchMode::kFolded, true},
      {"folded keyword in capitals", u"xabcx", u"BC", TMatchMode::kFolded, true},
      {"full-width letters do not fold", u"\uFF41", u"\uFF21", TMatchMode::kFolded, false},
      {"accented letters do not fold", u"\u00E4", u"\u00C4", TMatchMode::kFolded, false},
      {"exact needs the whole field", u"100 ", u"100", TMatchMode::kExact, false},
      {"folded finds it inside", u"100 ", u"100", TMatchMode::kFolded, true},
      {"keyword longer than the field", u"ab", u"abc", TMatchMode::kFolded, false},
      {"empty value never matches folded", u"", u"a", TMatchMode::kFolded, false},
      {"two empty texts are the same", u"", u"", TMatchMode::kExact, true},
      {"empty against non-empty", u"", u"a", TMatchMode::kExact, false},
      {"Chinese substring", u"屠龙刀", u"龙", TMatchMode::kFolded, true},
      {"match at the very end", u"aaab", u"ab", TMatchMode::kFolded, true},
      {"partial prefix then miss", u"abab", u"abc", TMatchMode::kFolded, false},
      {"'@' is not a folded '`'", u"@", u"`", TMatchMode::kFolded, false},
      {"'[' is not a folded '{'", u"{", u"[", TMatchMode::kFolded, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MatchText(c.value, c.keyword, c.mode), c.expected);
  }
}

// Account=acc, CharName=Hero, ItemSerial=12345, ItemID=77, ItemName=屠龙刀, Relation=HeroFriend,
// MapCode=MAPX.
const core::TLogRecord kRecord = core::ParseLogLine(
    u"0\tacc\t2\tHero\t4\tMAPX\t6\t7\t8\t12345\t77\t屠龙刀\t12\t13\tHeroFriend\tremark\ttime");

TEST(MatchKeyword, PicksTheFieldsByTheColumnText) {
  struct Case {
    const char* name;
    std::u16string keyword;
    std::u16string column;
    TMatchMode mode;
    bool expected;
  };
  const Case cases[] = {
      {"all columns, in the item name", u"龙", u"所有列", TMatchMode::kFolded, true},
      {"all columns, only in MapCode", u"mapx", u"所有列", TMatchMode::kFolded, false},
      {"all columns, only in Remark", u"remark", u"所有列", TMatchMode::kFolded, false},
      {"all columns, only in LogTime", u"time", u"所有列", TMatchMode::kFolded, false},
      {"all columns, in CharName and Relation", u"hero", u"所有列", TMatchMode::kFolded, true},
      {"all columns, exact", u"77", u"所有列", TMatchMode::kExact, true},
      {"all columns, exact part of a field", u"234", u"所有列", TMatchMode::kExact, false},
      {"across two fields is no match", u"accHero", u"所有列", TMatchMode::kFolded, false},
      {"across serial and item id", u"4577", u"所有列", TMatchMode::kFolded, false},
      {"one column", u"234", u"物品流水号", TMatchMode::kFolded, true},
      {"one column, other field", u"acc", u"物品流水号", TMatchMode::kFolded, false},
      {"relation column", u"friend", u"关联", TMatchMode::kFolded, true},
      {"account exact", u"acc", u"帐号", TMatchMode::kExact, true},
      {"unknown column", u"acc", u"地图代码", TMatchMode::kFolded, false},
      {"empty column", u"acc", u"", TMatchMode::kFolded, false},
      {"column with a space", u"acc", u"帐号 ", TMatchMode::kFolded, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MatchKeyword(kRecord, c.keyword, c.column, c.mode), c.expected);
  }
}

// A keyword box can hold a lone surrogate, which no record's text holds: it matches only where it
// meets half of a surrogate pair of a field, never a U+FFFD, and never exactly.
TEST(MatchKeyword, AKeywordWithALoneSurrogateMeetsHalvesOfSurrogatePairs) {
  // ItemName "a😀b" (U+1F600 is D83D DE00), Relation holds U+FFFD.
  const core::TLogRecord record = core::ParseLogLine(
      u"0\tacc\t2\tHero\t4\t5\t6\t7\t8\t9\t10\tA\U0001F600b\t12\t13\t\uFFFD\t15\t16");
  struct Case {
    const char* name;
    std::u16string keyword;
    std::u16string column;
    TMatchMode mode;
    bool expected;
  };
  const Case cases[] = {
      {"high half", u"\xD83D", u"所有列", TMatchMode::kFolded, true},
      {"low half", u"\xDE00", u"物品名称", TMatchMode::kFolded, true},
      {"letter then high half, folded", u"a\xD83D", u"物品名称", TMatchMode::kFolded, true},
      {"low half then letter",
       u"\xDE00"
       u"B",
       u"所有列", TMatchMode::kFolded, true},
      {"high half then a letter",
       u"\xD83D"
       u"b",
       u"所有列", TMatchMode::kFolded, false},
      {"other field", u"\xD83D", u"关联", TMatchMode::kFolded, false},
      {"never exactly", u"\xD83D", u"所有列", TMatchMode::kExact, false},
      {"the whole pair exactly", u"A\U0001F600b", u"物品名称", TMatchMode::kExact, true},
      {"replacement character", u"\uFFFD", u"关联", TMatchMode::kExact, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MatchKeyword(record, c.keyword, c.column, c.mode), c.expected);
  }
}

TEST(MatchKeyword, AllColumnsFindsAHitAfterAFalseOneAcrossAFieldBoundary) {
  // "ab" spans Account|CharName at the first occurrence, then occurs inside ItemName.
  const core::TLogRecord record =
      core::ParseLogLine(u"0\txa\t2\tbx\t4\t5\t6\t7\t8\t9\t10\tzzabzz\t12\t13\t14");
  EXPECT_TRUE(MatchKeyword(record, u"AB", u"所有列", TMatchMode::kFolded));
  EXPECT_FALSE(MatchKeyword(record, u"AB", u"帐号", TMatchMode::kFolded));
}

// The plain reading of a folded match: fold both texts, then look for the keyword.
bool NaiveFolded(std::u16string value, std::u16string keyword) {
  if (value.empty()) return false;
  for (std::u16string* text : {&value, &keyword}) {
    for (char16_t& unit : *text) {
      if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 32);
    }
  }
  return value.find(keyword) != std::u16string::npos;
}

TEST(MatchText, FoldedAgreesWithThePlainReadingWhereverTheKeywordFalls) {
  // Lengths around the four-unit steps of the scan, with near-miss units ('@' and '`' border
  // the capitals and small letters).
  const std::u16string alphabet = u"aAbB@`拾";
  std::mt19937_64 random(12345);
  const auto text = [&](std::size_t minLength, std::size_t maxLength) {
    std::u16string t(minLength + random() % (maxLength - minLength + 1), u'a');
    for (char16_t& unit : t)
      unit = alphabet[random() % alphabet.size()];
    return t;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::u16string value = text(0, 24);
    const std::u16string keyword = text(1, 4);
    ASSERT_EQ(MatchText(value, keyword, TMatchMode::kFolded), NaiveFolded(value, keyword))
        << "round " << round;
    // All six searchable fields at once must agree with trying each field.
    std::u16string line = u"0";
    std::vector<std::u16string> fields;
    for (int part = 1; part <= 16; ++part) {
      fields.push_back(text(0, 6));
      line += u'\t';
      line += fields.back();
    }
    const core::TLogRecord record = core::ParseLogLine(line);
    bool any = false;
    for (std::size_t part : {1u, 3u, 9u, 10u, 11u, 14u}) {
      any = any || NaiveFolded(fields[part - 1], keyword);
    }
    ASSERT_EQ(MatchKeyword(record, keyword, u"所有列", TMatchMode::kFolded), any)
        << "round " << round;
  }
}

TEST(TrimText, RemovesEveryCharacterAtOrBelowSpaceAtBothEnds) {
  using namespace std::literals;
  EXPECT_EQ(core::TrimText(u"\t\r\n \x01"
                           u"a b\0 "sv),
            u"a b");
  EXPECT_EQ(core::TrimText(u"a\0b"sv), u"a\0b"sv);  // a NUL inside stays
  EXPECT_EQ(core::TrimText(u"   "), u"");
  EXPECT_EQ(core::TrimText(u"\u3000x\u3000"), u"\u3000x\u3000");  // ideographic space stays
}

}  // namespace
