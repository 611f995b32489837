#include "platform/text_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/decoder_tables.h"
#include "support/decoding.h"

namespace platform {
namespace {

using korlo_test::AppendUtf16;
using korlo_test::DecodeCase;
using korlo_test::DecodedUnits;
using korlo_test::DecodeIntoExactBuffer;
using korlo_test::ExpectDecodes;
using korlo_test::HexBytes;
using korlo_test::HexUnits;
using korlo_test::RandomInputs;

void AppendUtf8(char32_t code, std::string& out) {
  const auto put = [&out](char32_t byte) { out.push_back(static_cast<char>(byte)); };
  if (code < 0x80) {
    put(code);
  } else if (code < 0x800) {
    put(0xC0 | (code >> 6));
    put(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    put(0xE0 | (code >> 12));
    put(0x80 | ((code >> 6) & 0x3F));
    put(0x80 | (code & 0x3F));
  } else {
    put(0xF0 | (code >> 18));
    put(0x80 | ((code >> 12) & 0x3F));
    put(0x80 | ((code >> 6) & 0x3F));
    put(0x80 | (code & 0x3F));
  }
}

TEST(TextDecoderTest, Gb18030SequencesDecodeToTheirCharacters) {
  const DecodeCase cases[] = {
      {"two-byte", "\xB0\xA1", u"\u554A"},
      {"first four-byte", "\x81\x30\x81\x30", u"\u0080"},
      {"last of the BMP table", "\x84\x31\xA4\x38", u"\uFFFE"},
      {"first supplementary", "\x90\x30\x81\x30", u"\U00010000"},
      {"last code point", "\xE3\x32\x9A\x35", u"\U0010FFFF"},
      {"beyond U+10FFFF", "\xE3\x32\x9A\x36", u"\uFFFD2\uFFFD6"},
      {"past the BMP table", "\x84\x31\xA5\x30", u"\uFFFD1\uFFFD0"},
      {"gap before the supplementary range", "\x85\x30\x81\x30", u"\uFFFD0\uFFFD0"},
      {"truncated after two", "\x81\x30", u"\uFFFD0"},
      {"truncated after three", "\x81\x30\x81", u"\uFFFD0\uFFFD"},
      {"separator as fourth byte", "\x81\x30\x81 ", u"\uFFFD0\uFFFD "},
      {"invalid trail byte", "\x81\xFF", u"\uFFFD"},
      {"invalid ASCII trail byte", "\x81\x7F", u"\uFFFD\u007F"},
      {"invalid single bytes", "\x80\xFF", u"\uFFFD\uFFFD"},
  };
  const TextDecoder& decoder = TextDecoder::For(kCodePageGb18030);
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(HexUnits(DecodedUnits(decoder, test.bytes)), HexUnits(test.expected));
  }
}

TEST(TextDecoderTest, Utf8FollowsTheUnicodeReplacementPractice) {
  const DecodeCase cases[] = {
      {"ASCII with NUL", std::string_view("z\0\tz", 4), std::u16string_view(u"z\0\tz", 4)},
      {"two-byte", "\xC3\xA9", u"\u00E9"},
      {"three-byte", "\xE4\xB8\xAD", u"\u4E2D"},
      {"four-byte", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"last code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"lead F5", "\xF5\x80", u"\uFFFD\uFFFD"},
      {"overlong two-byte", "\xC0\xAF\xC1\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"overlong four-byte", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"last before the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
      {"truncated at the end", "\xF0\x9F\x98", u"\uFFFD"},
      {"truncated before ASCII", "\xE4\xB8z", u"\uFFFDz"},
      {"truncated before a lead", "\xE4\xC3\xA9", u"\uFFFD\u00E9"},
      {"lone continuations", "\x80\xBF", u"\uFFFD\uFFFD"},
      {"byte-order mark kept", "\xEF\xBB\xBFz", u"\uFEFFz"},
      {"mixed", "q\xF1\x80\x80\xE1\x80\xC2r\x80s\x80\xBFt",
       u"q\uFFFD\uFFFD\uFFFDr\uFFFDs\uFFFD\uFFFDt"},
      {"after a fast-path block", "ghijklmnopqrstuv\xE4\xB8\xADghijklmnopqrstuv\xE4",
       u"ghijklmnopqrstuv\u4E2Dghijklmnopqrstuv\uFFFD"},
  };
  const TextDecoder& decoder = TextDecoder::For(kCodePageUtf8);
  ExpectDecodes(decoder, cases);
}

TEST(TextDecoderTest, RandomValidUtf8DecodesExactly) {
  std::mt19937 random(65001);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<char32_t> ascii(0, 0x7F);
  std::uniform_int_distribution<char32_t> bmp(0x80, 0xFFFF);
  std::uniform_int_distribution<char32_t> supplementary(0x10000, 0x10FFFF);
  const TextDecoder& decoder = TextDecoder::For(kCodePageUtf8);
  for (const std::size_t characters : {0u, 1u, 2u, 3u, 7u, 15u, 16u, 17u, 31u, 33u, 100u, 3000u}) {
    for (const int asciiPercent : {95, 50, 0}) {
      std::string bytes;
      std::u16string expected;
      while (expected.size() < characters) {
        const int roll = percent(random);
        const char32_t code = roll < asciiPercent ? ascii(random)
                              : roll % 2 == 0     ? bmp(random)
                                                  : supplementary(random);
        if (code >= 0xD800 && code <= 0xDFFF) continue;
        AppendUtf8(code, bytes);
        AppendUtf16(code, expected);
      }
      SCOPED_TRACE(HexBytes(bytes.substr(0, 64)));
      EXPECT_EQ(DecodeIntoExactBuffer(decoder, bytes), expected);
    }
  }
}

// What the loader relies on: it cuts a text at bytes 0x00..0x20 (tabs, line ends) and decodes
// the fields separately.
TEST(TextDecoderTest, DecodingPiecesCutAtSeparatorsEqualsDecodingTheWhole) {
  std::mt19937 random(20);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> separator(0, 0x20);
  std::vector<std::string> inputs = RandomInputs(7);
  for (std::string& bytes : inputs) {
    for (char& byte : bytes) {
      if (percent(random) < 15) byte = static_cast<char>(separator(random));
    }
  }
  for (const CodePage page : {kCodePageGbk, kCodePageGb18030, kCodePageUtf8, CodePage{950},
                              CodePage{932}, kCodePageWestern}) {
    SCOPED_TRACE(static_cast<int>(page));
    const TextDecoder& decoder = TextDecoder::For(page);
    int mismatches = 0;
    for (const std::string& bytes : inputs) {
      std::u16string pieces;
      std::size_t start = 0;
      for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && static_cast<unsigned char>(bytes[i]) > 0x20) continue;
        pieces += DecodeIntoExactBuffer(decoder, std::string_view(bytes).substr(start, i - start));
        if (i < bytes.size()) pieces += DecodeIntoExactBuffer(decoder, bytes.substr(i, 1));
        start = i + 1;
      }
      if (pieces == DecodedUnits(decoder, bytes)) continue;
      ADD_FAILURE() << "bytes " << HexBytes(bytes);
      if (++mismatches == 5) break;
    }
  }
}

TEST(TextDecoderTest, StripByteOrderMarkOnlyForUtf8) {
  const struct {
    const char* name;
    CodePage page;
    std::string_view bytes;
    std::string_view expected;
  } cases[] = {
      {"UTF-8 with mark", kCodePageUtf8, "\xEF\xBB\xBFlog\tline", "log\tline"},
      {"UTF-8 mark alone", kCodePageUtf8, "\xEF\xBB\xBF", ""},
      {"UTF-8 without mark", kCodePageUtf8, "a\tb", "a\tb"},
      {"UTF-8 partial mark", kCodePageUtf8, "\xEF\xBB", "\xEF\xBB"},
      {"UTF-8 mark later", kCodePageUtf8, "a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},
      {"GBK keeps the bytes", kCodePageGbk, "\xEF\xBB\xBFz", "\xEF\xBB\xBFz"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(HexBytes(TextDecoder::For(test.page).StripByteOrderMark(test.bytes)),
              HexBytes(test.expected));
  }
}

TEST(TextDecoderTest, ForKeepsOneDecoderPerCodePage) {
  const TextDecoder& gbk = TextDecoder::For(kCodePageGbk);
  EXPECT_EQ(&TextDecoder::For(kCodePageGbk), &gbk);
  EXPECT_EQ(gbk.Page(), kCodePageGbk);
  const TextDecoder& utf8 = TextDecoder::For(kCodePageUtf8);
  EXPECT_NE(&utf8, &gbk);
  EXPECT_EQ(utf8.Page(), kCodePageUtf8);
}

// Tables like a double-byte code page's: ASCII, lead byte 0x81 with one character at 81 40.
std::unique_ptr<DecoderTables> SoundTables() {
  auto tables = std::make_unique<DecoderTables>();
  for (std::size_t byte = 0; byte < 256; ++byte) {
    tables->kind[byte] =
        byte < 0x80 ? DecoderTables::ByteKind::kSingle : DecoderTables::ByteKind::kInvalid;
    tables->single[byte] = byte < 0x80 ? static_cast<char16_t>(byte) : u'\0';
  }
  tables->kind[0x81] = DecoderTables::ByteKind::kLead;
  tables->pairs.assign(256 * 256, DecoderTables::kNoChar);
  tables->pairs[0x8140] = u'\u4E00';
  tables->fourByte.assign(10, DecoderTables::kNoChar);
  return tables;
}

TEST(TextDecoderTest, RefusesTablesThatBreakTheSeparatorGuarantee) {
  using ByteKind = DecoderTables::ByteKind;
  const struct {
    const char* name;
    void (*spoil)(DecoderTables&);
  } cases[] = {
      {"ASCII byte moved", [](DecoderTables& t) { t.single['\\'] = u'\u00A5'; }},
      {"ASCII byte as a lead", [](DecoderTables& t) { t.kind['@'] = ByteKind::kLead; }},
      {"separator invalid", [](DecoderTables& t) { t.kind['\t'] = ByteKind::kInvalid; }},
      {"high byte decodes to a tab",
       [](DecoderTables& t) {
         t.kind[0xA0] = ByteKind::kSingle;
         t.single[0xA0] = u'\t';
       }},
      {"pair decodes to a space", [](DecoderTables& t) { t.pairs[0x8141] = u' '; }},
      {"pair with a tab as trail byte", [](DecoderTables& t) { t.pairs[0x8109] = u'\u4E01'; }},
      {"four-byte decodes to a line feed", [](DecoderTables& t) { t.fourByte[3] = u'\n'; }},
      {"pair table cut short", [](DecoderTables& t) { t.pairs.resize(0x8200); }},
  };
  EXPECT_EQ(DecodedUnits(TextDecoder(kCodePageGbk, SoundTables()), "\x81\x40\t"), u"\u4E00\t");
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    std::unique_ptr<DecoderTables> tables = SoundTables();
    test.spoil(*tables);
    EXPECT_THROW(TextDecoder(kCodePageGbk, std::move(tables)), std::invalid_argument);
  }
}

// Two-byte sequences marked as supplementary characters, and entries holding U+FFFF, next to
// the sequences of SoundTables.
std::unique_ptr<DecoderTables> TablesWithMarkers() {
  std::unique_ptr<DecoderTables> tables = SoundTables();
  tables->pairSupplementary = {U'\U00020087', U'\U0010FFFF'};
  tables->pairs[0x8150] = DecoderTables::kFirstSupplementaryMarker;
  tables->pairs[0x81A1] = DecoderTables::kFirstSupplementaryMarker + 1;
  tables->pairs[0x8141] = u'\uFFFF';
  tables->gb18030 = true;
  tables->fourByte[7] = u'\uFFFF';
  return tables;
}

TEST(TextDecoderTest, MarkedPairsDecodeToSurrogatePairs) {
  const DecodeCase cases[] = {
      {"first marker", "\x81\x50", u"\U00020087"},
      {"second marker", "\x81\xA1", u"\U0010FFFF"},
      {"markers in a row", "\x81\xA1\x81\x50", u"\U0010FFFF\U00020087"},
      {"between ASCII", "a\x81\x50z", u"a\U00020087z"},
      {"after a fast-path block", "ghijklmnopqrstuv\x81\x50", u"ghijklmnopqrstuv\U00020087"},
      {"next to a BMP pair", "\x81\x40\x81\x50\x81\x40", u"\u4E00\U00020087\u4E00"},
      {"followed by a truncated lead", "\x81\x50\x81", u"\U00020087\uFFFD"},
      {"after an invalid pair", "\x81\xFF\x81\x50", u"\uFFFD\U00020087"},
      {"after an invalid ASCII trail", "\x81\x51\x81\x50", u"\uFFFDQ\U00020087"},
      {"lead cut off before the trail", "\x81", u"\uFFFD"},
      {"trail byte alone", "\x50\x81\x50", u"P\U00020087"},
      {"pair holding U+FFFF", "\x81\x41", u"\uFFFF"},
      {"four-byte entry holding U+FFFF", "\x81\x30\x81\x37", u"\uFFFF"},
      {"four-byte entry with no character", "\x81\x30\x81\x36", u"\uFFFD0\uFFFD6"},
  };
  const TextDecoder decoder(kCodePageGb18030, TablesWithMarkers());
  ExpectDecodes(decoder, cases);
}

TEST(TextDecoderTest, RefusesTablesWithUnsoundMarkers) {
  const struct {
    const char* name;
    void (*spoil)(DecoderTables&);
  } cases[] = {
      {"marker past the side list",
       [](DecoderTables& t) { t.pairs[0x8152] = DecoderTables::kFirstSupplementaryMarker + 2; }},
      {"last marker with no side list",
       [](DecoderTables& t) {
         t.pairSupplementary.clear();
         t.pairs[0x8150] = DecoderTables::kNoChar - 1;
       }},
      {"side list holds a BMP character",
       [](DecoderTables& t) { t.pairSupplementary[1] = U'\uFFFF'; }},
      {"side list holds a surrogate", [](DecoderTables& t) { t.pairSupplementary[0] = 0xD800; }},
      {"side list holds a separator", [](DecoderTables& t) { t.pairSupplementary[0] = U'\t'; }},
      {"side list beyond U+10FFFF", [](DecoderTables& t) { t.pairSupplementary[1] = 0x110000; }},
      {"marker with a tab as trail byte",
       [](DecoderTables& t) { t.pairs[0x8109] = DecoderTables::kFirstSupplementaryMarker; }},
      {"four-byte entry is a marker",
       [](DecoderTables& t) { t.fourByte[2] = DecoderTables::kFirstSupplementaryMarker; }},
  };
  EXPECT_NO_THROW(TextDecoder(kCodePageGb18030, TablesWithMarkers()));
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    std::unique_ptr<DecoderTables> tables = TablesWithMarkers();
    test.spoil(*tables);
    EXPECT_THROW(TextDecoder(kCodePageGb18030, std::move(tables)), std::invalid_argument);
  }
}

TEST(TextDecoderTest, ForRejectsCodePagesItCannotDecode) {
  const struct {
    const char* name;
    CodePage page;
  } cases[] = {
      {"unknown", CodePage{12345}},
      {"UTF-16 has no single-byte form", CodePage{1200}},
      {"EBCDIC moves ASCII and the separators", CodePage{500}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_THROW(TextDecoder::For(test.page), std::invalid_argument);
    // A failure is not cached as a decoder.
    EXPECT_THROW(TextDecoder::For(test.page), std::invalid_argument);
  }
}

}  // namespace
}  // namespace platform
