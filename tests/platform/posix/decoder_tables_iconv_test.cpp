// The decoder on tables derived from iconv, checked against iconv itself.

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_decoder.h"
#include "support/cp936_reference.h"
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

constexpr char16_t kReplacement = 0xFFFD;

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
// sequences are characters; for GBK, the record of Windows' reading (support/cp936_reference.h)
// adds those Windows decodes and iconv rejects. The replacement rules are the decoder's
// contract: an invalid sequence is one U+FFFD covering its lead byte and, when the lead is a lead
// byte, the byte after it unless that is below 0x80, missing, or (GB18030) a digit starting a
// four-byte sequence.
class ReferenceDecoder {
 public:
  ReferenceDecoder(const char* iconvName, bool gb18030)
      : iconv_("UTF-32LE", iconvName),
        gb18030_(gb18030),
        windowsGbk_(std::string_view(iconvName) == "GBK") {}

  std::u16string Decode(std::string_view bytes) {
    std::u16string out;
    while (!bytes.empty()) {
      const std::optional<Character> first = FirstCharacter(bytes);
      if (first.has_value()) {
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

  // The shortest start of `bytes` that iconv, given it alone, converts into one character, or
  // that Windows decodes in GBK where iconv does not.
  std::optional<Character> FirstCharacter(std::string_view bytes) {
    if (windowsGbk_) {
      const std::optional<Character> windows = WindowsGbkCharacter(bytes);
      if (windows.has_value()) return windows;
    }
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

  static std::optional<Character> WindowsGbkCharacter(std::string_view bytes) {
    namespace cp936 = korlo_test::cp936;
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (first == 0xFF) return Character{1, cp936::kWindowsByteFF};
    if (bytes.size() < 2) return std::nullopt;
    const char16_t unit =
        cp936::WindowsPrivateUse(1u + first, static_cast<unsigned char>(bytes[1]));
    if (unit == u'\0') return std::nullopt;
    return Character{2, unit};
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
  bool windowsGbk_;
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

TEST(IconvDecoderTablesTest, EveryOneAndTwoByteSequenceMatchesIconv) {
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

TEST(IconvDecoderTablesTest, Gb18030FourByteSequencesMatchIconv) {
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

// The table entries glibc's GB18030 fills with what one UTF-16 unit per entry cannot hold: two
// bytes decoding to a supplementary character, and a four-byte sequence decoding to U+FFFF.
TEST(IconvDecoderTablesTest, Gb18030SequencesBeyondOneUnitPerEntryMatchGlibc) {
  const DecodeCase cases[] = {
      {"FE 51", "\xFE\x51", u"\U00020087"},
      {"FE 52", "\xFE\x52", u"\U00020089"},
      {"FE 53", "\xFE\x53", u"\U000200CC"},
      {"FE 6C", "\xFE\x6C", u"\U000215D7"},
      {"FE 76", "\xFE\x76", u"\U0002298F"},
      {"FE 91", "\xFE\x91", u"\U000241FE"},
      {"between ASCII and a BMP pair", "a\xFE\x51\xB0\xA1z", u"a\U00020087\u554Az"},
      {"after a fast-path block", "ghijklmnopqrstuv\xFE\x91", u"ghijklmnopqrstuv\U000241FE"},
      {"next to a truncated lead", "\xFE\x52\xFE", u"\U00020089\uFFFD"},
      {"after an invalid pair", "\xFE\xFF\xFE\x53", u"\uFFFD\U000200CC"},
      {"U+FFFF", "\x84\x31\xA4\x39", u"\uFFFF"},
  };
  const TextDecoder& decoder = TextDecoder::For(kCodePageGb18030);
  ReferenceDecoder reference("GB18030", true);
  ExpectDecodes(decoder, cases);
  for (const DecodeCase& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(HexUnits(reference.Decode(test.bytes)), HexUnits(test.expected));
  }
}

TEST(IconvDecoderTablesTest, RandomBytesMatchIconv) {
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
    if (round.error != 0 || ReadUtf32Le(back) != code) continue;  // does not round-trip
    text.bytes += bytes;
    AppendUtf16(code, text.units);
  }
  return text;
}

TEST(IconvDecoderTablesTest, RandomValidTextDecodesExactly) {
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
    EXPECT_EQ(DecodedUnits(TextDecoder::For(test.page.page), test.text.bytes), test.text.units);
  }
}

TEST(IconvDecoderTablesTest, SingleByteCodePagesDecodeTheirLetters) {
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
    EXPECT_EQ(HexUnits(DecodedUnits(TextDecoder::For(test.page), test.bytes)),
              HexUnits(test.expected));
  }
}

TEST(IconvDecoderTablesTest, RefusesJohabWhoseBackslashByteIsTheWonSign) {
  EXPECT_THROW(TextDecoder::For(CodePage{1361}), std::invalid_argument);
}

}  // namespace
}  // namespace platform
