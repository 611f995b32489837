// Deriving decoder tables from a converter's verdicts, on made-up converters.

#include "platform/decoder_tables.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text_decoder.h"
#include "support/decoding.h"

namespace platform {
namespace {

using korlo_test::DecodeCase;
using korlo_test::DecodedUnits;
using korlo_test::ExpectDecodes;
using korlo_test::HexUnits;
using ByteKind = DecoderTables::ByteKind;
using Kind = SequenceVerdict::Kind;

constexpr CodePage kMadeUpPage{936};

SequenceVerdict Character(char32_t code) {
  return {Kind::kCharacter, code};
}
SequenceVerdict Verdict(Kind kind) {
  return {kind, 0};
}

// A converter that decodes bytes below 0x80 to themselves, gives the verdicts of `known` for
// those sequences, and rejects everything else.
SequenceProbe ProbeOf(std::map<std::string, SequenceVerdict> known) {
  return [known = std::move(known)](std::span<const unsigned char> bytes) {
    if (bytes.size() == 1 && bytes[0] < 0x80) return Character(bytes[0]);
    const auto found = known.find(std::string(bytes.begin(), bytes.end()));
    return found == known.end() ? Verdict(Kind::kInvalid) : found->second;
  };
}

// A double-byte code page with one lead byte of each kind of converter, and two-byte sequences
// of every verdict.
SequenceProbe DoubleByteProbe() {
  return ProbeOf({
      {"\x81", Verdict(Kind::kIncomplete)},  // a lead byte as iconv reports it
      {"\x81\x40", Character(U'\u4E00')},
      {"\x81\x41", Character(U'\U00020087')},
      {"\x81\x42", Character(U'\uFFFF')},
      {"\x81\x43", Verdict(Kind::kUnrepresentable)},
      {"\x81\x44", Character(0xDC00)},    // a lone surrogate
      {"\x81\x45", Character(0x110000)},  // beyond Unicode
      {"\x81\x46", Character(U'\U0001F600')},
      {"\x81\x47", Verdict(Kind::kIncomplete)},
      // A lead byte as MultiByteToWideChar reports it: rejected alone, starting a valid pair.
      {"\x82\x40", Character(U'\u4E01')},
      // A high byte that is neither a lead nor a character: its pairs are rejected too.
      {"\x83", Verdict(Kind::kInvalid)},
      {"\xA0", Character(U'\u00A0')},
      {"\xA1", Character(U'\uFFFF')},
  });
}

TEST(DeriveDecoderTablesTest, ClassifiesBytesByTheirVerdicts) {
  const auto tables = DeriveDecoderTables(kMadeUpPage, DoubleByteProbe());
  const struct {
    const char* name;
    unsigned char byte;
    ByteKind kind;
    char16_t single;
  } cases[] = {
      {"ASCII", 'A', ByteKind::kSingle, u'A'},
      {"NUL", 0x00, ByteKind::kSingle, u'\0'},
      {"incomplete alone", 0x81, ByteKind::kLead, u'\0'},
      {"invalid alone but starts a pair", 0x82, ByteKind::kLead, u'\0'},
      {"invalid alone and starts nothing", 0x83, ByteKind::kInvalid, u'\0'},
      {"never mentioned", 0xFF, ByteKind::kInvalid, u'\0'},
      {"character", 0xA0, ByteKind::kSingle, u'\u00A0'},
      {"U+FFFF", 0xA1, ByteKind::kSingle, u'\uFFFF'},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(tables->kind[test.byte], test.kind);
    EXPECT_EQ(tables->single[test.byte], test.single);
  }
  EXPECT_FALSE(tables->gb18030);
  EXPECT_TRUE(tables->fourByte.empty());
}

TEST(DeriveDecoderTablesTest, FillsPairsWithCharactersMarkersOrNoChar) {
  const auto tables = DeriveDecoderTables(kMadeUpPage, DoubleByteProbe());
  ASSERT_EQ(tables->pairs.size(), 256u * 256u);
  constexpr char16_t kMarker = DecoderTables::kFirstSupplementaryMarker;
  const struct {
    const char* name;
    std::size_t pair;
    char16_t entry;
  } cases[] = {
      {"BMP character", 0x8140, u'\u4E00'},
      {"first supplementary character", 0x8141, kMarker},
      {"U+FFFF", 0x8142, u'\uFFFF'},
      {"unrepresentable", 0x8143, DecoderTables::kNoChar},
      {"lone surrogate", 0x8144, DecoderTables::kNoChar},
      {"beyond Unicode", 0x8145, DecoderTables::kNoChar},
      {"second supplementary character", 0x8146, kMarker + 1},
      {"incomplete", 0x8147, DecoderTables::kNoChar},
      {"invalid", 0x8148, DecoderTables::kNoChar},
      {"lead found by its pairs", 0x8240, u'\u4E01'},
      {"pair of an invalid byte", 0x8340, DecoderTables::kNoChar},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(HexUnits({&tables->pairs[test.pair], 1}), HexUnits({&test.entry, 1}));
  }
  EXPECT_EQ(tables->pairSupplementary, (std::vector<char32_t>{U'\U00020087', U'\U0001F600'}));
}

TEST(DeriveDecoderTablesTest, DecoderOnDerivedTablesGivesTheConverterCharacters) {
  const TextDecoder decoder(kMadeUpPage, DeriveDecoderTables(kMadeUpPage, DoubleByteProbe()));
  const DecodeCase cases[] = {
      {"pairs", "\x81\x40\x82\x40", u"\u4E00\u4E01"},
      {"supplementary pairs", "\x81\x41z\x81\x46", u"\U00020087z\U0001F600"},
      {"U+FFFF alone and as a pair", "\xA1\x81\x42", u"\uFFFF\uFFFF"},
      {"pairs the tables cannot hold", "\x81\x43\x81\x44\x81\x45", u"\uFFFDC\uFFFDD\uFFFDE"},
      {"truncated", "\x81\x41\x81", u"\U00020087\uFFFD"},
  };
  ExpectDecodes(decoder, cases);
}

TEST(DeriveDecoderTablesTest, RefusesSingleBytesThatAreNotOneBmpCharacter) {
  const struct {
    const char* name;
    SequenceVerdict verdict;
  } cases[] = {
      {"unrepresentable", Verdict(Kind::kUnrepresentable)},
      {"supplementary character", Character(U'\U00010000')},
      {"lone surrogate", Character(0xD800)},
      {"beyond Unicode", Character(0x110000)},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_THROW(DeriveDecoderTables(kMadeUpPage, ProbeOf({{"\xC0", test.verdict}})),
                 std::invalid_argument);
  }
}

// More two-byte supplementary characters than the markers can index: those past the limit stay
// kNoChar, the others keep their markers in the order of the pairs.
TEST(DeriveDecoderTablesTest, MarksNoMoreSupplementaryPairsThanItCanIndex) {
  constexpr unsigned char kFirstLead = 0x81;
  constexpr unsigned char kLastLead = 0x8B;  // 11 leads of 192 trails: 2112 pairs
  constexpr unsigned char kFirstTrail = 0x40;
  const SequenceProbe probe = [](std::span<const unsigned char> bytes) {
    if (bytes[0] < 0x80) return Character(bytes[0]);
    if (bytes[0] < kFirstLead || bytes[0] > kLastLead) return Verdict(Kind::kInvalid);
    if (bytes.size() == 1) return Verdict(Kind::kIncomplete);
    if (bytes.size() != 2 || bytes[1] < kFirstTrail) return Verdict(Kind::kInvalid);
    return Character(static_cast<char32_t>(0x10000 + std::size_t{bytes[0]} * 256 + bytes[1]));
  };
  auto tables = DeriveDecoderTables(kMadeUpPage, probe);
  ASSERT_EQ(tables->pairSupplementary.size(), DecoderTables::kMaxPairSupplementary);
  std::size_t marked = 0;
  for (std::size_t lead = kFirstLead; lead <= kLastLead; ++lead) {
    for (std::size_t trail = kFirstTrail; trail < 256; ++trail) {
      const std::size_t pair = lead * 256 + trail;
      SCOPED_TRACE(pair);
      if (marked == DecoderTables::kMaxPairSupplementary) {
        EXPECT_EQ(tables->pairs[pair], DecoderTables::kNoChar);
        continue;
      }
      EXPECT_EQ(tables->pairs[pair], DecoderTables::kFirstSupplementaryMarker + marked);
      EXPECT_EQ(tables->pairSupplementary[marked], 0x10000 + pair);
      ++marked;
    }
  }
  // The tables stay sound: the last marker decodes, the first unmarked pair is rejected.
  const TextDecoder decoder(kMadeUpPage, std::move(tables));
  EXPECT_EQ(HexUnits(DecodedUnits(decoder, "\x8B\xBE\x8B\xBF")), HexUnits(u"\U00018BBE\uFFFD"));
}

// GB18030: each four-byte sequence of the table range is asked about once, and its verdict lands
// at its linear index.
TEST(DeriveDecoderTablesTest, Gb18030FourByteEntriesFollowTheLinearIndex) {
  constexpr std::size_t kInvalidIndex = 5;
  constexpr std::size_t kSupplementaryIndex = 6;
  constexpr std::size_t kUnrepresentableIndex = 7;
  std::size_t fourByteProbes = 0;
  const SequenceProbe probe = [&fourByteProbes](std::span<const unsigned char> bytes) {
    if (bytes[0] < 0x80) return Character(bytes[0]);
    if (bytes[0] == 0x80 || bytes[0] == 0xFF) return Verdict(Kind::kInvalid);
    if (bytes.size() != 4) return Verdict(bytes.size() == 1 ? Kind::kIncomplete : Kind::kInvalid);
    ++fourByteProbes;
    const auto inRange = [](unsigned char byte, unsigned char low, unsigned char high) {
      return byte >= low && byte <= high;
    };
    EXPECT_TRUE(inRange(bytes[0], 0x81, 0x84) && inRange(bytes[1], 0x30, 0x39) &&
                inRange(bytes[2], 0x81, 0xFE) && inRange(bytes[3], 0x30, 0x39));
    const std::size_t index =
        ((std::size_t{bytes[0]} - 0x81) * 10 + (std::size_t{bytes[1]} - 0x30)) * 1260 +
        (std::size_t{bytes[2]} - 0x81) * 10 + (std::size_t{bytes[3]} - 0x30);
    if (index == kInvalidIndex) return Verdict(Kind::kInvalid);
    if (index == kSupplementaryIndex) return Character(U'\U00010000');
    if (index == kUnrepresentableIndex) return Verdict(Kind::kUnrepresentable);
    return Character(static_cast<char32_t>(0x80 + index));
  };
  const auto tables = DeriveDecoderTables(kCodePageGb18030, probe);
  EXPECT_TRUE(tables->gb18030);
  ASSERT_EQ(tables->fourByte.size(), 39420u);
  EXPECT_EQ(fourByteProbes, 39420u);
  for (std::size_t index = 0; index < tables->fourByte.size(); ++index) {
    const bool rejected =
        index == kInvalidIndex || index == kSupplementaryIndex || index == kUnrepresentableIndex;
    if (tables->fourByte[index] == (rejected ? DecoderTables::kNoChar : 0x80 + index)) continue;
    ADD_FAILURE() << "index " << index << " holds " << std::size_t{tables->fourByte[index]};
    break;
  }
}

// Code page 936 completed by Windows' rule, on a made-up converter that decodes every two-byte
// cell except a few: the user-defined areas take U+E000 onwards in their fixed order whatever the
// converter said of them, then the cells it left undecodable follow in byte order, and FF alone
// becomes a character.
TEST(AddWindowsGbkPrivateUseTest, NumbersTheUserDefinedAreasThenTheRejectedCellsInByteOrder) {
  const SequenceProbe probe = [](std::span<const unsigned char> bytes) {
    if (bytes[0] < 0x80) return Character(bytes[0]);
    if (bytes[0] == 0x80 || bytes[0] == 0xFF) return Verdict(Kind::kInvalid);
    if (bytes.size() == 1) return Verdict(Kind::kIncomplete);
    const std::size_t pair = std::size_t{bytes[0]} * 256 + bytes[1];
    const bool trail = bytes[1] >= 0x40 && bytes[1] != 0x7F && bytes[1] != 0xFF;
    const bool rejected = pair == 0x8140 || pair == 0xA2AB || pair == 0xD7FA || pair == 0xFEFE;
    return trail && !rejected ? Character(0x4E00) : Verdict(Kind::kInvalid);
  };
  auto tables = DeriveDecoderTables(kMadeUpPage, probe);
  AddWindowsGbkPrivateUse(*tables);
  const struct {
    const char* name;
    std::size_t pair;
    char16_t entry;
  } cases[] = {
      {"first cell of the first area", 0xAAA1, u'\uE000'},
      {"last cell of its first row", 0xAAFE, u'\uE05D'},
      {"first cell of its second row", 0xABA1, u'\uE05E'},
      {"last cell of the first area", 0xAFFE, u'\uE233'},
      {"first cell of the second area", 0xF8A1, u'\uE234'},
      {"last cell of the second area, which the converter rejected", 0xFEFE, u'\uE4C5'},
      {"first cell of the third area", 0xA140, u'\uE4C6'},
      {"before 7F", 0xA17E, u'\uE504'},
      {"after 7F", 0xA180, u'\uE505'},
      {"last cell of the third area", 0xA7A0, u'\uE765'},
      {"first rejected cell outside the areas", 0x8140, u'\uE766'},
      {"second", 0xA2AB, u'\uE767'},
      {"third", 0xD7FA, u'\uE768'},
      {"a decoded cell stays", 0x8141, u'\u4E00'},
      {"a decoded cell right after an area stays", 0xA1A1, u'\u4E00'},
      {"trail 7F is no cell", 0xAA7F, DecoderTables::kNoChar},
      {"trail FF is no cell", 0x81FF, DecoderTables::kNoChar},
      {"trail below 40 is no cell", 0x813F, DecoderTables::kNoChar},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(HexUnits({&tables->pairs[test.pair], 1}), HexUnits({&test.entry, 1}));
  }
  std::size_t privateUse = 0;
  for (const char16_t entry : tables->pairs) {
    if (entry >= 0xE000 && entry <= 0xF8FF) ++privateUse;
  }
  EXPECT_EQ(privateUse, 0xE768u - 0xE000u + 1);
  EXPECT_EQ(tables->kind[0xFF], ByteKind::kSingle);
  EXPECT_EQ(tables->single[0xFF], u'\uF8F5');
  EXPECT_EQ(tables->kind[0x80], ByteKind::kInvalid);
  const TextDecoder decoder(kMadeUpPage, std::move(tables));
  EXPECT_EQ(HexUnits(DecodedUnits(decoder, "\xFF\xAA\xA1z\xD7\xFA\x81\x7F")),
            HexUnits(u"\uF8F5\uE000z\uE768\uFFFD\u007F"));
}

}  // namespace
}  // namespace platform
