#include "platform/text_decoder.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/decoder_tables.h"

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

std::string HexBytes(std::string_view bytes) {
  std::string text;
  for (const char byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(byte));
    text += hex;
  }
  return text;
}

std::string HexUnits(std::u16string_view units) {
  std::string text;
  for (const char16_t unit : units) {
    char hex[6];
    std::snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned>(unit));
    text += hex;
  }
  return text;
}

void AppendUtf16(char32_t code, std::u16string& out) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

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

// Decodes through the decoder into a buffer of exactly bytes.size() units, so that writing one
// unit more than the contract allows is a heap overflow the sanitizer build reports.
std::u16string DecodeIntoExactBuffer(const TextDecoder& decoder, std::string_view bytes) {
  const auto buffer = std::make_unique<char16_t[]>(bytes.size());
  const std::size_t written = decoder.Decode(bytes, buffer.get());
  EXPECT_LE(written, bytes.size()) << HexBytes(bytes);
  return std::u16string(buffer.get(), written);
}

// An iconv conversion from the encoding `from` to the encoding `to`.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("no iconv converter from ") + from);
    }
  }
  ~Iconv() { iconv_close(handle_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  struct Result {
    std::size_t consumed;
    std::size_t produced;
    int error;  // 0 when the whole input was converted
  };

  // Converts `input` from the initial state into `output`.
  Result Convert(std::string_view input, char* output, std::size_t outputSize) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string copy(input);
    char* in = copy.data();
    std::size_t inLeft = copy.size();
    char* out = output;
    std::size_t outLeft = outputSize;
    const bool failed = iconv(handle_, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1);
    return {input.size() - inLeft, outputSize - outLeft, failed ? errno : 0};
  }

 private:
  iconv_t handle_;
};

char32_t ReadUtf32Le(const unsigned char* bytes) {
  return char32_t{bytes[0]} | char32_t{bytes[1]} << 8 | char32_t{bytes[2]} << 16 |
         char32_t{bytes[3]} << 24;
}

// The expected decoding, from iconv asked about one sequence at a time. iconv says which
// sequences are characters; the replacement rules are the decoder's contract: an invalid
// sequence is one U+FFFD covering its lead byte and, when the lead is a lead byte, the byte after
// it unless that is below 0x80, missing, or (GB18030) a digit starting a four-byte sequence.
class ReferenceDecoder {
 public:
  ReferenceDecoder(const char* iconvName, bool gb18030)
      : iconv_("UTF-32LE", iconvName), gb18030_(gb18030) {}

  std::u16string Decode(std::string_view bytes) {
    std::u16string out;
    while (!bytes.empty()) {
      const std::optional<Character> first = FirstCharacter(bytes);
      if (first.has_value() && TablesCanHold(*first)) {
        AppendUtf16(first->code, out);
        bytes.remove_prefix(first->length);
      } else {
        out.push_back(kReplacement);
        bytes.remove_prefix(InvalidLength(bytes));
      }
    }
    return out;
  }

 private:
  struct Character {
    std::size_t length;
    char32_t code;
  };

  // The shortest start of `bytes` that iconv, given it alone, converts into one character.
  std::optional<Character> FirstCharacter(std::string_view bytes) {
    for (std::size_t length = 1; length <= std::min<std::size_t>(4, bytes.size()); ++length) {
      unsigned char utf32[8];
      const Iconv::Result result =
          iconv_.Convert(bytes.substr(0, length), reinterpret_cast<char*>(utf32), sizeof utf32);
      if (result.error == EINVAL) continue;
      if (result.error != 0 || result.produced != 4) return std::nullopt;
      return Character{length, ReadUtf32Le(utf32)};
    }
    return std::nullopt;
  }

  // The tables hold one unit per two-byte sequence, and use U+FFFF to mark a rejected one; glibc
  // maps six two-byte GB18030 sequences beyond the BMP and 84 31 A4 39 to U+FFFF.
  static bool TablesCanHold(const Character& character) {
    return character.code != 0xFFFF && !(character.length == 2 && character.code > 0xFFFF);
  }

  std::size_t InvalidLength(std::string_view bytes) {
    if (bytes.size() < 2 || !IsLead(bytes.substr(0, 1))) return 1;
    const auto second = static_cast<unsigned char>(bytes[1]);
    if (second < 0x80 || (gb18030_ && second >= '0' && second <= '9')) return 1;
    return 2;
  }

  bool IsLead(std::string_view byte) {
    char utf32[4];
    return iconv_.Convert(byte, utf32, sizeof utf32).error == EINVAL;
  }

  Iconv iconv_;
  bool gb18030_;
};

struct TablePage {
  CodePage page;
  const char* iconvName;
  bool gb18030;
};

constexpr TablePage kGbk{kCodePageGbk, "GBK", false};
constexpr TablePage kGb18030{kCodePageGb18030, "GB18030", true};
constexpr TablePage kTablePages[] = {
    kGbk,
    kGb18030,
    {CodePage{950}, "CP950", false},
    {CodePage{932}, "CP932", false},
    {CodePage{949}, "CP949", false},
    {kCodePageWestern, "CP1252", false},
};

// Compares the decoder with the reference on each input; stops after a few mismatches.
void ExpectSameAsReference(const TablePage& page, const std::vector<std::string>& inputs) {
  SCOPED_TRACE(page.iconvName);
  const TextDecoder& decoder = TextDecoder::For(page.page);
  ReferenceDecoder reference(page.iconvName, page.gb18030);
  int mismatches = 0;
  for (const std::string& bytes : inputs) {
    const std::u16string expected = reference.Decode(bytes);
    const std::u16string actual = DecodeIntoExactBuffer(decoder, bytes);
    if (actual == expected) continue;
    ADD_FAILURE() << "bytes " << HexBytes(bytes) << "\n  expected " << HexUnits(expected)
                  << "\n  actual   " << HexUnits(actual);
    if (++mismatches == 5) return;
  }
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int value : values) {
    bytes.push_back(static_cast<char>(value));
  }
  return bytes;
}

TEST(TextDecoderTest, EveryOneAndTwoByteSequenceMatchesIconv) {
  std::vector<std::string> inputs;
  for (int first = 0; first < 256; ++first) {
    inputs.push_back(Bytes({first}));
    for (int second = 0; second < 256; ++second) {
      inputs.push_back(Bytes({first, second}));
    }
  }
  for (const TablePage& page : kTablePages) {
    ExpectSameAsReference(page, inputs);
  }
}

TEST(TextDecoderTest, Gb18030FourByteSequencesMatchIconv) {
  std::vector<std::string> inputs;
  // The whole range the BMP table covers, and a little beyond.
  for (int first = 0x81; first <= 0x84; ++first) {
    for (int second = 0x30; second <= 0x39; ++second) {
      for (int third = 0x81; third <= 0xFE; ++third) {
        for (int fourth = 0x30; fourth <= 0x39; ++fourth) {
          inputs.push_back(Bytes({first, second, third, fourth}));
        }
      }
    }
  }
  // The edges of the ranges each byte counts in, around the supplementary planes and the gaps.
  for (const int first : {0x80, 0x85, 0x8F, 0x90, 0xA0, 0xE3, 0xE4, 0xFE, 0xFF}) {
    for (const int second : {0x2F, 0x30, 0x32, 0x39, 0x3A}) {
      for (const int third : {0x80, 0x81, 0x9A, 0xFE, 0xFF}) {
        for (const int fourth : {0x2F, 0x30, 0x35, 0x36, 0x39, 0x3A}) {
          inputs.push_back(Bytes({first, second, third, fourth}));
        }
      }
    }
  }
  ExpectSameAsReference(kGb18030, inputs);
}

// Random bytes, either mostly ASCII (runs long enough for the fast path, broken by the odd high
// byte) or mostly high bytes with digits among them (GB18030 four-byte candidates).
std::string RandomBytes(std::mt19937& random, std::size_t size, bool mostlyAscii) {
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> ascii(0, 0x7F);
  std::uniform_int_distribution<int> high(0x80, 0xFF);
  std::uniform_int_distribution<int> digit('0', '9');
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) {
    const int roll = percent(random);
    int byte = 0;
    if (mostlyAscii) {
      byte = roll < 90 ? ascii(random) : high(random);
    } else {
      byte = roll < 70 ? high(random) : roll < 85 ? digit(random) : ascii(random);
    }
    bytes.push_back(static_cast<char>(byte));
  }
  return bytes;
}

std::vector<std::string> RandomInputs(std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> inputs;
  for (const bool mostlyAscii : {true, false}) {
    for (std::size_t size = 0; size <= 40; ++size) {
      for (int repeat = 0; repeat < 20; ++repeat) {
        inputs.push_back(RandomBytes(random, size, mostlyAscii));
      }
    }
    for (const std::size_t size : {1000u, 2048u, 4099u}) {
      inputs.push_back(RandomBytes(random, size, mostlyAscii));
    }
  }
  return inputs;
}

TEST(TextDecoderTest, RandomBytesMatchIconv) {
  const std::vector<std::string> inputs = RandomInputs(20240301);
  for (const TablePage& page : kTablePages) {
    ExpectSameAsReference(page, inputs);
  }
}

// Characters iconv encodes alone and decodes back to themselves, chosen by `pick`, as one text.
struct EncodedText {
  std::string bytes;
  std::u16string units;
};

template <typename Pick>
EncodedText EncodeRandomText(const char* iconvName, std::size_t characters, Pick pick) {
  Iconv encoder(iconvName, "UTF-32LE");
  Iconv decoder("UTF-32LE", iconvName);
  EncodedText text;
  while (text.units.size() < characters) {
    const char32_t code = pick();
    const unsigned char utf32[4] = {
        static_cast<unsigned char>(code), static_cast<unsigned char>(code >> 8),
        static_cast<unsigned char>(code >> 16), static_cast<unsigned char>(code >> 24)};
    char encoded[8];
    const Iconv::Result forth =
        encoder.Convert(std::string_view(reinterpret_cast<const char*>(utf32), sizeof utf32),
                        encoded, sizeof encoded);
    if (forth.error != 0) continue;
    unsigned char back[4];
    const std::string_view bytes(encoded, forth.produced);
    const Iconv::Result round = decoder.Convert(bytes, reinterpret_cast<char*>(back), sizeof back);
    // Skips what does not round-trip, and the six glibc GB18030 two-byte sequences beyond the BMP
    // that the tables cannot hold.
    if (round.error != 0 || ReadUtf32Le(back) != code || (bytes.size() == 2 && code > 0xFFFF)) {
      continue;
    }
    text.bytes += bytes;
    AppendUtf16(code, text.units);
  }
  return text;
}

TEST(TextDecoderTest, RandomValidTextDecodesExactly) {
  std::mt19937 random(936);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<char32_t> ascii(0x20, 0x7E);
  std::uniform_int_distribution<char32_t> hanzi(0x4E00, 0x9FA5);
  std::uniform_int_distribution<char32_t> bmp(0x80, 0xFFFD);
  std::uniform_int_distribution<char32_t> supplementary(0x10000, 0x10FFFF);
  const auto logLike = [&] {
    const int roll = percent(random);
    if (roll < 10) return char32_t{'\t'};
    return roll < 70 ? ascii(random) : roll < 95 ? hanzi(random) : bmp(random);
  };
  const auto anywhere = [&] {
    const int roll = percent(random);
    return roll < 20 ? ascii(random) : roll < 80 ? bmp(random) : supplementary(random);
  };
  const struct {
    const char* name;
    TablePage page;
    EncodedText text;
  } cases[] = {
      {"GBK log text", kGbk, EncodeRandomText("GBK", 20000, logLike)},
      {"GB18030 log text", kGb18030, EncodeRandomText("GB18030", 20000, logLike)},
      {"GB18030 from all planes", kGb18030, EncodeRandomText("GB18030", 20000, anywhere)},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(TextDecoder::For(test.page.page).Decode(test.text.bytes), test.text.units);
  }
}

TEST(TextDecoderTest, Gb18030SequencesDecodeToTheirCharacters) {
  const struct {
    const char* name;
    std::string_view bytes;
    std::u16string_view expected;
  } cases[] = {
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
    EXPECT_EQ(HexUnits(decoder.Decode(test.bytes)), HexUnits(test.expected));
  }
}

TEST(TextDecoderTest, SingleByteCodePagesDecodeTheirLetters) {
  const struct {
    const char* name;
    CodePage page;
    std::string_view bytes;
    std::u16string_view expected;
  } cases[] = {
      {"Western euro sign", kCodePageWestern, "\x80", u"\u20AC"},
      {"Western unassigned", kCodePageWestern, "\x81", u"\uFFFD"},
      // iconv holds these back to combine them with what follows.
      {"Hebrew alef", CodePage{1255}, "\xE0z", u"\u05D0z"},
      {"Vietnamese A breve", CodePage{1258}, "\xC3", u"\u0102"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(HexUnits(TextDecoder::For(test.page).Decode(test.bytes)), HexUnits(test.expected));
  }
}

TEST(TextDecoderTest, Utf8FollowsTheUnicodeReplacementPractice) {
  const struct {
    const char* name;
    std::string_view bytes;
    std::u16string_view expected;
  } cases[] = {
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
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(HexUnits(DecodeIntoExactBuffer(decoder, test.bytes)), HexUnits(test.expected));
  }
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
      if (pieces == decoder.Decode(bytes)) continue;
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
  EXPECT_EQ(TextDecoder(kCodePageGbk, SoundTables()).Decode("\x81\x40\t"), u"\u4E00\t");
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    std::unique_ptr<DecoderTables> tables = SoundTables();
    test.spoil(*tables);
    EXPECT_THROW(TextDecoder(kCodePageGbk, std::move(tables)), std::invalid_argument);
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
      {"Johab decodes 5C as the won sign", CodePage{1361}},
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
