#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/line_parts.h"
#include "core/line_scanner.h"

namespace {

// A line as a plain reading of the rules gives it: offsets of the trimmed line and of its parts
// in the text.
struct PlainLine {
  std::size_t first;
  std::size_t last;
  std::vector<std::size_t> begins;
  std::vector<std::size_t> ends;
};

std::vector<PlainLine> ReadPlainly(std::string_view text) {
  std::vector<PlainLine> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t stop = start;
    while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n')
      ++stop;
    std::size_t first = start;
    std::size_t last = stop;
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20)
      ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20)
      --last;
    if (first < last) {
      // Parts of the trimmed line, split unit by unit as decoded text is.
      const std::u16string units(text.begin() + static_cast<std::ptrdiff_t>(first),
                                 text.begin() + static_cast<std::ptrdiff_t>(last));
      const auto parts = core::SplitLineParts(units.data(), units.data() + units.size());
      PlainLine line{first, last, {}, {}};
      for (std::size_t part = 0; part < parts.count; ++part) {
        line.begins.push_back(first + static_cast<std::size_t>(parts.begin[part] - units.data()));
        line.ends.push_back(first + static_cast<std::size_t>(parts.end[part] - units.data()));
      }
      lines.push_back(line);
    }
    start = stop + 1;
  }
  return lines;
}

// The scanner takes its bytes 64 at a time and its lines across chunk boundaries; a plain reading
// of the rules must find the same lines and parts wherever the TABs, line ends, blanks and high
// bytes fall, up to a text ending inside a chunk.
TEST(LineScanner, AgreesWithAPlainReadingWhereverTheBytesFall) {
  std::mt19937_64 random(0x9E3779B97F4A7C15ull);
  // Bytes next to the control bytes' bit patterns (0x08, 0x0B, 0x0C, 0x0E, 0x89, 0x8A, 0x8D)
  // included, and NUL, which is an ordinary character.
  using namespace std::string_view_literals;
  constexpr std::string_view kSpecial =
      "\t\t\t\t\r\n\r\n  \0\x08\x0B\x0C\x0E\x89\x8A\x8D\xB0\xA1\x7F"sv;
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 400, '\0');
    const std::uint64_t specialEvery = 1 + random() % 8;
    for (char& byte : text) {
      byte = random() % specialEvery == 0 ? kSpecial[random() % kSpecial.size()]
                                          : static_cast<char>(random() % 256);
    }
    SCOPED_TRACE(text);
    const std::vector<PlainLine> expected = ReadPlainly(text);
    core::TLineScanner scanner(text);
    core::TScannedLine line;
    for (const PlainLine& want : expected) {
      ASSERT_TRUE(scanner.Next(line));
      ASSERT_EQ(line.parts.begin[0] - text.data(), static_cast<std::ptrdiff_t>(want.first));
      ASSERT_EQ(line.last - text.data(), static_cast<std::ptrdiff_t>(want.last));
      ASSERT_EQ(line.parts.count, want.begins.size());
      for (std::size_t part = 0; part < line.parts.count; ++part) {
        ASSERT_EQ(line.parts.begin[part] - text.data(),
                  static_cast<std::ptrdiff_t>(want.begins[part]));
        ASSERT_EQ(line.parts.end[part] - text.data(), static_cast<std::ptrdiff_t>(want.ends[part]));
      }
    }
    ASSERT_FALSE(scanner.Next(line));
  }
}

TEST(LineScanner, StopsAtPartSixteenAndTrimsTabsBackAcrossIt) {
  const std::string text =
      "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t17\t18\r\n"
      "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t\t\t\t \t";
  core::TLineScanner scanner(text);
  core::TScannedLine line;
  ASSERT_TRUE(scanner.Next(line));
  ASSERT_EQ(line.parts.count, 17u);
  EXPECT_EQ(std::string(line.parts.begin[16], line.parts.end[16]), "16");
  ASSERT_TRUE(scanner.Next(line));
  ASSERT_EQ(line.parts.count, 16u);
  EXPECT_EQ(std::string(line.parts.begin[15], line.parts.end[15]), "15");
  EXPECT_FALSE(scanner.Next(line));
}

// Parts are widened sixteen bytes at a time; a byte at or above 0x80 anywhere in the part, and
// only in the part, sends it to the decoder.
TEST(CopyAscii, RefusesExactlyThePartsHoldingAHighByte) {
  std::string text(64, 'a');
  text[40] = '\xB0';
  std::string out(64 + 16, '\0');
  for (std::size_t from = 0; from < 48; ++from) {
    for (std::size_t length = 0; from + length <= 64; ++length) {
      const bool ascii = from > 40 || from + length <= 40;
      SCOPED_TRACE(testing::Message() << from << " " << length);
      std::fill(out.begin(), out.end(), '\0');
      ASSERT_EQ(core::CopyAscii(text.data() + from, length, text.data() + text.size(), out.data()),
                ascii);
      if (ascii) {
        ASSERT_EQ(out.substr(0, length), std::string(length, 'a'));
      }
    }
  }
}

}  // namespace
