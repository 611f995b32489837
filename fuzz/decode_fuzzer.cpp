// Fuzzes platform::TextDecoder. The first input byte picks the code page (GBK, GB18030 or
// UTF-8), the rest is the text. Every input is checked against the decoder's contract:
// - Decode writes at most TextDecoder::kMaxGrowth bytes per byte (into a buffer of exactly that
//   size, so one byte more is a heap overflow) and both overloads agree;
// - bytes 0x00..0x20 decode to themselves, nothing else to a character at or below U+0020, so
//   decoding the pieces cut at those bytes gives the text of the whole;
// - a byte below 0x80 that no valid sequence holds is never swallowed by an invalid one, so
//   such bytes cut the text the same way;
// - the output is well-formed UTF-8: every character decodes to a code point or U+FFFD; the
//   references below are UTF-16, and are compared with the output's UTF-16 units;
// - UTF-8 decodes as platform::Utf8ToUtf16 does (both replace each maximal invalid subpart),
//   and valid UTF-8, and only valid UTF-8, is copied as it is;
// - GB18030 text the system converter (iconv) accepts whole decodes as iconv does; so does GBK
//   text, except that the sequences Windows decodes and iconv rejects (the private-use runs of
//   tests/support/cp936_reference.h, and the byte FF alone) decode to Windows' characters, and
//   iconv is asked about the pieces between them;
// - StripByteOrderMark removes exactly a leading EF BB BF, and only for UTF-8.

#include <iconv.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/code_page.h"
#include "platform/text_decoder.h"
#include "platform/unicode.h"
#include "tests/support/cp936_reference.h"

namespace {

using korlo_fuzz::HexBytes;
using korlo_fuzz::HexUnits;
using korlo_fuzz::Require;
using platform::CodePage;
using platform::TextDecoder;

constexpr std::array<CodePage, 3> kPages = {platform::kCodePageGbk, platform::kCodePageGb18030,
                                            platform::kCodePageUtf8};

std::string DecodeIntoExactBuffer(const TextDecoder& decoder, std::string_view bytes) {
  const std::size_t room = TextDecoder::kMaxGrowth * bytes.size();
  const auto buffer = std::make_unique<char[]>(room);
  const std::size_t written = decoder.Decode(bytes, buffer.get());
  Require(written <= room, "Decode wrote more than its room", [&] { return HexBytes(bytes); });
  return std::string(buffer.get(), written);
}

// Well-formed UTF-8 by the table of well-formed byte sequences of the Unicode standard.
bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) return false;
    }
    i += length;
  }
  return true;
}

// The system converter's reading of a whole text, or nothing when it rejects the text.
class IconvReference {
 public:
  explicit IconvReference(const char* from) : handle_(iconv_open("UTF-16LE", from)) {
    Require(handle_ != reinterpret_cast<iconv_t>(-1), "iconv has no converter",
            [from] { return std::string(from); });
  }
  IconvReference(const IconvReference&) = delete;
  IconvReference& operator=(const IconvReference&) = delete;

  std::optional<std::u16string> Decode(std::string_view bytes) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string input(bytes);
    std::string output(4 * bytes.size() + 16, '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    constexpr auto kFailure = static_cast<std::size_t>(-1);
    if (iconv(handle_, &in, &inLeft, &out, &outLeft) == kFailure || inLeft != 0) return {};
    if (iconv(handle_, nullptr, nullptr, &out, &outLeft) == kFailure) return {};
    const std::size_t produced = output.size() - outLeft;
    std::u16string units(produced / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(output[2 * i]) |
                                       static_cast<unsigned char>(output[2 * i + 1]) << 8);
    }
    return units;
  }

 private:
  iconv_t handle_;
};

// Bytes below 0x80 that no multi-byte sequence of the code page holds: every one in UTF-8; in
// GBK those outside the trail bytes 40..7E; in GB18030 also those outside the digits 30..39 of
// its four-byte sequences. Since the decoder decodes a byte below 0x80 on its own unless a valid
// sequence holds it, such a byte cuts the text as a separator does.
bool StandsAlone(CodePage page, unsigned char byte) {
  if (byte >= 0x80) return false;
  if (page == platform::kCodePageUtf8 || byte < 0x30 || byte == 0x7F) return true;
  if (byte < 0x40) return page == platform::kCodePageGbk || byte > 0x39;
  return false;
}

// Requires that decoding the pieces of `bytes` cut at every byte `isCut` accepts, each cut byte
// decoded to itself between them, gives `whole`; `checkPiece` sees the text of every piece.
template <class IsCut, class CheckPiece>
void CheckCuts(const TextDecoder& decoder, std::string_view bytes, std::string_view whole,
               std::string_view cuts, IsCut isCut, CheckPiece checkPiece) {
  std::string joined;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= bytes.size(); ++i) {
    if (i < bytes.size() && !isCut(static_cast<unsigned char>(bytes[i]))) continue;
    const std::string piece = DecodeIntoExactBuffer(decoder, bytes.substr(start, i - start));
    checkPiece(piece);
    joined += piece;
    if (i < bytes.size()) joined += bytes[i];
    start = i + 1;
  }
  Require(joined == whole, "decoding the pieces differs from decoding the whole", [&] {
    return std::string(cuts) + "\n" + HexBytes(bytes) + "\nwhole:  " + HexBytes(whole) +
           "\npieces: " + HexBytes(joined);
  });
}

void CheckSeparators(const TextDecoder& decoder, std::string_view bytes, std::string_view whole) {
  CheckCuts(
      decoder, bytes, whole, "cut at bytes 00..20", [](unsigned char byte) { return byte <= 0x20; },
      [bytes](std::string_view piece) {
        // In UTF-8 a byte at or below 0x20 is that character.
        for (const char byte : piece) {
          Require(static_cast<unsigned char>(byte) > 0x20,
                  "a byte above 0x20 decoded to a character at or below U+0020",
                  [&] { return HexBytes(bytes) + "\n" + HexBytes(piece); });
        }
      });
  CheckCuts(
      decoder, bytes, whole, "cut at bytes below 80 that no sequence holds",
      [&decoder](unsigned char byte) { return StandsAlone(decoder.Page(), byte); },
      [](std::string_view) {});
}

void CheckUtf8(std::string_view bytes, std::string_view text, std::u16string_view units) {
  const std::u16string reference = platform::Utf8ToUtf16(bytes);
  Require(units == reference, "UTF-8 decodes unlike Utf8ToUtf16", [&] {
    return HexBytes(bytes) + "\ndecoder:     " + HexUnits(units) +
           "\nUtf8ToUtf16: " + HexUnits(reference);
  });
  const bool copied = text == bytes;
  Require(copied == IsValidUtf8(bytes),
          copied ? "invalid UTF-8 is copied as it is" : "valid UTF-8 is not copied as it is",
          [&] { return HexBytes(bytes); });
}

// GBK as Windows reads it: iconv's reading of the pieces between the sequences Windows decodes
// and iconv rejects, which take the characters Windows' reading records. A GBK lead byte 81..FE
// always takes the next byte with it, so a text iconv accepts has one way to cut it. Nothing when
// iconv rejects a piece.
std::optional<std::u16string> WindowsGbkReference(IconvReference& iconvGbk,
                                                  std::string_view bytes) {
  namespace cp936 = korlo_test::cp936;
  std::u16string units;
  std::size_t pieceStart = 0;
  const auto takePiece = [&](std::size_t end) {
    const std::optional<std::u16string> piece =
        iconvGbk.Decode(bytes.substr(pieceStart, end - pieceStart));
    if (piece) units += *piece;
    return piece.has_value();
  };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    char16_t windows = u'\0';
    std::size_t length = 1;
    if (byte == 0xFF) {
      windows = cp936::kWindowsByteFF;
    } else if (byte >= 0x81 && byte <= 0xFE) {
      length = 2;
      if (i + 1 < bytes.size()) {
        windows = cp936::WindowsPrivateUse(1u + byte, static_cast<unsigned char>(bytes[i + 1]));
      }
    }
    if (windows != u'\0') {
      if (!takePiece(i)) return std::nullopt;
      units += windows;
      pieceStart = i + length;
    }
    i += length;
  }
  if (!takePiece(bytes.size())) return std::nullopt;
  return units;
}

void CheckAgainstIconv(CodePage page, std::string_view bytes, std::u16string_view units) {
  static IconvReference gbk("GBK");
  static IconvReference gb18030("GB18030");
  const std::optional<std::u16string> expected =
      page == platform::kCodePageGbk ? WindowsGbkReference(gbk, bytes) : gb18030.Decode(bytes);
  if (!expected) return;
  Require(units == *expected, "text iconv accepts decodes unlike the reference", [&] {
    return HexBytes(bytes) + "\ndecoder:   " + HexUnits(units) +
           "\nreference: " + HexUnits(*expected);
  });
}

void CheckByteOrderMark(const TextDecoder& decoder, std::string_view bytes) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  const bool strips = decoder.Page() == platform::kCodePageUtf8 && bytes.starts_with(kMark);
  const std::string_view expected = strips ? bytes.substr(kMark.size()) : bytes;
  const std::string_view stripped = decoder.StripByteOrderMark(bytes);
  Require(stripped.data() == expected.data() && stripped.size() == expected.size(),
          "StripByteOrderMark", [&] { return HexBytes(bytes); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const CodePage page = kPages[data[0] % kPages.size()];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const TextDecoder& decoder = TextDecoder::For(page);

  const std::string text = DecodeIntoExactBuffer(decoder, bytes);
  Require(decoder.Decode(bytes) == text, "the two Decode overloads differ",
          [&] { return HexBytes(bytes); });
  CheckSeparators(decoder, bytes, text);
  Require(IsValidUtf8(text), "the output is not well-formed UTF-8",
          [&] { return HexBytes(bytes) + "\n" + HexBytes(text); });
  // Well-formed, so its UTF-16 units are exactly its characters.
  const std::u16string units = platform::Utf8ToUtf16(text);
  if (page == platform::kCodePageUtf8) {
    CheckUtf8(bytes, text, units);
  } else {
    CheckAgainstIconv(page, bytes, units);
  }
  CheckByteOrderMark(decoder, bytes);
  return 0;
}
