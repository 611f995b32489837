#pragma once

// Internal to the platform layer: the tables a TextDecoder runs on, their derivation from what
// the system's converter makes of each byte sequence, and the one OS-specific step, asking that
// converter.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/code_page.h"

namespace platform {

struct DecoderTables {
  enum class ByteKind : std::uint8_t {
    kSingle,   // decodes alone to `single[b]`
    kInvalid,  // never starts a valid sequence
    kLead,     // starts a two-byte sequence (and, in GB18030, a four-byte one)
  };

  // Entries of `pairs` and `fourByte` hold one UTF-16 unit. No sequence decodes to a lone
  // surrogate, so the surrogate range U+D800..U+DFFF is free to mark the entries that are not
  // one BMP character: kNoChar for a sequence the converter rejects (or gives something the
  // tables cannot hold), and, in `pairs` only, kFirstSupplementaryMarker + i for a two-byte
  // sequence that decodes to the supplementary character pairSupplementary[i]. Every other value,
  // U+FFFF included, is the character itself.
  static constexpr char16_t kFirstSupplementaryMarker = 0xD800;
  static constexpr char16_t kNoChar = 0xDFFF;
  // How many supplementary characters the markers can index: those below kNoChar.
  static constexpr std::size_t kMaxPairSupplementary = kNoChar - kFirstSupplementaryMarker;

  std::array<ByteKind, 256> kind{};
  std::array<char16_t, 256> single{};
  // pairs[lead * 256 + trail]: the character of a two-byte sequence, a marker, or kNoChar.
  std::vector<char16_t> pairs;
  // The characters, U+10000 to U+10FFFF, of the two-byte sequences marked in `pairs` (glibc's
  // GB18030 has six, FE 51 to U+20087 among them). A marked sequence decodes to a surrogate pair:
  // two units from two bytes.
  std::vector<char32_t> pairSupplementary;
  // GB18030 only: the BMP characters of the four-byte sequences 81 30 81 30 to 84 31 A4 39, by
  // linear index ((b1-0x81)*10 + (b2-0x30))*1260 + (b3-0x81)*10 + (b4-0x30); kNoChar where
  // invalid. Four-byte sequences from 90 30 81 30 map to U+10000 upwards by rule.
  std::vector<char16_t> fourByte;
  bool gb18030 = false;
};

// What the system converter makes of one byte sequence given alone, from the initial state and
// as a whole text.
struct SequenceVerdict {
  enum class Kind : std::uint8_t {
    kCharacter,        // exactly one code point, `code`
    kIncomplete,       // the valid start of a longer sequence
    kInvalid,          // rejected; a converter that cannot tell may say so of a valid start too
    kUnrepresentable,  // accepted, but not as one code point (e.g. a letter and a combining mark)
  };
  Kind kind;
  char32_t code;  // for kCharacter
};

// Asks the system converter about a sequence of one to four bytes. May throw
// std::invalid_argument when the converter cannot answer for its code page at all.
using SequenceProbe = std::function<SequenceVerdict(std::span<const unsigned char> bytes)>;

// Derives the tables of `page` by asking `probe` about every byte, every two-byte sequence that
// starts with a lead byte and, for GB18030, every four-byte sequence of the table range, each on
// its own: whatever the converter accepts is what the tables accept. A lead byte is one the probe
// calls incomplete, or calls invalid while some two-byte sequence it starts is a character (a
// converter may not tell an incomplete sequence from an invalid one). Sequences whose verdict the
// tables cannot hold (several code points, a lone surrogate, a supplementary character from a
// four-byte sequence of the table range, or more two-byte supplementary characters than
// kMaxPairSupplementary) stay kNoChar. Throws std::invalid_argument when a single byte decodes to
// anything but one character of the BMP.
std::unique_ptr<const DecoderTables> DeriveDecoderTables(CodePage page, const SequenceProbe& probe);

// Derives the tables of a code page from the system converter (DeriveDecoderTables with the
// system's probe). Throws std::invalid_argument when the system has no converter for it. Not
// called for UTF-8 (65001).
std::unique_ptr<const DecoderTables> BuildDecoderTables(CodePage page);

}  // namespace platform
