#pragma once

// Helpers for the decoder tests: readable dumps, an exact-size decode, tables of decoding cases,
// random byte strings.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text_decoder.h"
#include "support/decoded_units.h"
#include "support/hex_text.h"

namespace korlo_test {

inline void AppendUtf16(char32_t code, std::u16string& out) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

// Decodes into a buffer of exactly the room the decoder's contract asks for, so that writing one
// byte more is a heap overflow the sanitizer build reports, and gives the UTF-16 units of the
// UTF-8 it wrote (see Utf16Of: ill-formed UTF-8 matches no expectation).
inline std::u16string DecodeIntoExactBuffer(const platform::TextDecoder& decoder,
                                            std::string_view bytes) {
  const std::size_t room = platform::TextDecoder::kMaxGrowth * bytes.size();
  const auto buffer = std::make_unique<char[]>(room);
  const std::size_t written = decoder.Decode(bytes, buffer.get());
  EXPECT_LE(written, room) << HexBytes(bytes);
  return Utf16Of(std::string_view(buffer.get(), written));
}

// One row of a table of decoding cases.
struct DecodeCase {
  const char* name;
  std::string_view bytes;
  std::u16string_view expected;
};

// Decodes the bytes of each case into an exact buffer and compares the units, shown in hex (the
// UTF-8 the decoder wrote is well-formed, so equal units mean equal bytes).
inline void ExpectDecodes(const platform::TextDecoder& decoder, std::span<const DecodeCase> cases) {
  for (const DecodeCase& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(HexUnits(DecodeIntoExactBuffer(decoder, test.bytes)), HexUnits(test.expected));
  }
}

// Random bytes, either mostly ASCII (runs long enough for the decoder's block-wise fast path,
// broken by the odd high byte) or mostly high bytes with digits among them (GB18030 four-byte
// candidates).
inline std::string RandomBytes(std::mt19937& random, std::size_t size, bool mostlyAscii) {
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

// Both kinds of random bytes, many of each length up to 40 and a few of several kilobytes.
inline std::vector<std::string> RandomInputs(std::uint32_t seed) {
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

}  // namespace korlo_test
