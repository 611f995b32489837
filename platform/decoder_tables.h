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
std::unique_ptr<DecoderTables> DeriveDecoderTables(CodePage page, const SequenceProbe& probe);

// Adds to derived tables of code page 936 (GBK) the sequences Windows decodes there and glibc's
// GBK rejects, by the rule Windows maps them by, so that the same bytes read the same on both:
// - the two-byte cells of the three user-defined areas, in this order, AA A1 to AF FE, F8 A1 to
//   FE FE and A1 40 to A7 A0 (each area lead by lead, trail bytes ascending, 7F skipped), decode
//   to the Private Use Area from U+E000 (so the second area starts at U+E234, the third at
//   U+E4C6);
// - then every other two-byte cell (lead 81 to FE, trail 40 to 7E or 80 to FE) that `tables`
//   leaves kNoChar (GBK's unassigned cells among its symbols, and D7 FA to D7 FE), in ascending
//   byte order, from U+E766 on: 2,149 cells in all with the areas, up to U+E864;
// - the byte FF alone decodes to U+F8F5.
// Every lead byte 81 to FE is then a lead. For code page 936 only, and only on top of a converter
// that lacks them (glibc's): on Windows the system's converter is probed for them.
void AddWindowsGbkPrivateUse(DecoderTables& tables);

// Derives the tables of a code page from the system converter (DeriveDecoderTables with the
// system's probe). Throws std::invalid_argument when the system has no converter for it. Not
// called for UTF-8 (65001).
std::unique_ptr<const DecoderTables> BuildDecoderTables(CodePage page);

}  // namespace platform
