#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/line_parts.h"

namespace {

// Byte lines are split eight bytes at a time and UTF-16 lines unit by unit; both must find the
// same parts wherever the TABs fall relative to the eight-byte words.
TEST(SplitLineParts, BytesAndUnitsAgreeWhereverTheTabsFall) {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int round = 0; round < 20000; ++round) {
    // Any byte value: those next to a TAB's bit pattern (0x08, 0x0A, 0x89...) included.
    std::string bytes(next() % 48, '\0');
    const std::uint64_t tabEvery = 1 + next() % 6;
    for (char& byte : bytes) {
      byte = next() % tabEvery == 0 ? '\t' : static_cast<char>(next() % 256);
    }
    const std::u16string units(bytes.begin(), bytes.end());
    const auto byteParts = core::SplitLineParts(bytes.data(), bytes.data() + bytes.size());
    const auto unitParts = core::SplitLineParts(units.data(), units.data() + units.size());
    SCOPED_TRACE(bytes);
    ASSERT_EQ(byteParts.count, unitParts.count);
    for (std::size_t part = 0; part < byteParts.count; ++part) {
      ASSERT_EQ(byteParts.begin[part] - bytes.data(), unitParts.begin[part] - units.data());
      ASSERT_EQ(byteParts.end[part] - bytes.data(), unitParts.end[part] - units.data());
    }
  }
}

TEST(SplitLineParts, StopsAtPartSixteen) {
  const std::string line = "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t17\t18";
  const auto parts = core::SplitLineParts(line.data(), line.data() + line.size());
  ASSERT_EQ(parts.count, 17u);
  EXPECT_EQ(std::string(parts.begin[16], parts.end[16]), "16");
}

}  // namespace
