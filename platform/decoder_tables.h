#pragma once

// Internal to the platform layer: the tables a TextDecoder runs on, and the one OS-specific
// step, deriving them from the system's own converter.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/code_page.h"

namespace platform {

struct DecoderTables {
  enum class ByteKind : std::uint8_t {
    kSingle,   // decodes alone to `single[b]`
    kInvalid,  // never starts a valid sequence
    kLead,     // starts a two-byte sequence (and, in GB18030, a four-byte one)
  };

  // The unit used in `pairs` and `fourByte` for a sequence the converter rejects.
  static constexpr char16_t kNoChar = 0xFFFF;

  std::array<ByteKind, 256> kind{};
  std::array<char16_t, 256> single{};
  // pairs[lead * 256 + trail]: the character of a two-byte sequence, or kNoChar.
  std::vector<char16_t> pairs;
  // GB18030 only: the BMP characters of the four-byte sequences 81 30 81 30 to 84 31 A4 39, by
  // linear index ((b1-0x81)*10 + (b2-0x30))*1260 + (b3-0x81)*10 + (b4-0x30); kNoChar where
  // invalid. Four-byte sequences from 90 30 81 30 map to U+10000 upwards by rule.
  std::vector<char16_t> fourByte;
  bool gb18030 = false;
};

// Derives the tables of a code page from the system converter. Throws std::invalid_argument
// when the system has no converter for it. Not called for UTF-8 (65001).
std::unique_ptr<const DecoderTables> BuildDecoderTables(CodePage page);

}  // namespace platform
