#include "platform/vector_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// Every length from 0 to 80, so the vector loops and their tails meet at every offset.
TEST(VectorOps, CountAndCopyAgreeWithPlainLoopsAtEveryLength) {
  std::string bytes;
  for (int i = 0; i < 80 + 16; ++i) {
    bytes.push_back(static_cast<char>(i % 3 == 0 ? '\n' : (i * 37) % 256));
  }
  for (std::size_t length = 0; length <= 80; ++length) {
    SCOPED_TRACE(length);
    EXPECT_EQ(platform::CountBytes(bytes.data(), length, '\n'),
              static_cast<std::size_t>(
                  std::count(bytes.begin(), bytes.begin() + static_cast<long>(length), '\n')));
  }
  std::string copy(platform::kCopyChunk, '\0');
  const unsigned high = platform::CopyBytes(bytes.data() + 3, copy.data());
  for (std::size_t i = 0; i < platform::kCopyChunk; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[3 + i]);
    EXPECT_EQ(static_cast<unsigned char>(copy[i]), byte);
    EXPECT_EQ((high >> i & 1u) != 0, byte >= 0x80) << i;
  }
}

// Byte lanes count up to 255 blocks before they are summed: all-matching runs around and well
// past that bound must not wrap.
TEST(VectorOps, CountBytesOverLongRunsOfMatches) {
  const std::string lineFeeds(20'000, '\n');
  for (const std::size_t length : {4079u, 4080u, 4081u, 4095u, 4096u, 4097u, 20'000u}) {
    EXPECT_EQ(platform::CountBytes(lineFeeds.data(), length, '\n'), length);
  }
}

// A hit at every position of texts of every length up to 40 bytes, at every distance up to 20,
// found by either byte at each end, and never where only one end matches or a byte only differs
// from a wanted one in its high bit (a UTF-8 continuation byte).
TEST(VectorOps, FindBytePairFindsTheFirstPlaceBothEndsMatchAtEveryPosition) {
  for (std::size_t distance = 0; distance <= 20; ++distance) {
    for (std::size_t length = 0; length <= 40; ++length) {
      for (std::size_t hit = 0; hit <= length; ++hit) {
        // With both ends one byte apart, a start without its end is a decoy.
        const char last = distance == 0 ? 'k' : 'z';
        std::string bytes(length + distance, '\xCB');  // 'K' with its high bit set
        for (std::size_t i = 0; i < hit && distance > 0; ++i)
          bytes[i] = i % 2 == 0 ? 'k' : 'K';
        if (hit < length) {
          bytes[hit] = hit % 2 == 0 ? 'k' : 'K';
          if (distance > 0) bytes[hit + distance] = hit % 3 == 0 ? 'z' : 'Z';
        }
        SCOPED_TRACE(testing::Message() << distance << " " << length << " " << hit);
        EXPECT_EQ(platform::FindBytePair(bytes.data(), length, distance, 'k', 'K', last,
                                         static_cast<char>(last - ('a' - 'A'))),
                  hit);
      }
    }
  }
}

// The same, with the slack after the text read: a pair that starts just past the last place
// (its ends in the slack) is never found.
TEST(VectorOps, FindBytePairInSlackIgnoresPairsPastTheLastPlace) {
  for (std::size_t distance = 0; distance <= 20; ++distance) {
    for (std::size_t length = 0; length <= 40; ++length) {
      for (std::size_t hit = 0; hit <= length; ++hit) {
        const char last = distance == 0 ? 'k' : 'z';
        std::string bytes(length + distance + platform::kFindBytePairSlack, '\xCB');
        bytes[length] = 'k';  // a decoy: the place after the last one
        if (distance > 0) bytes[length + distance] = 'z';
        for (std::size_t i = 0; i < hit && distance > 0; ++i)
          bytes[i] = i % 2 == 0 ? 'k' : 'K';
        if (hit < length) {
          bytes[hit] = hit % 2 == 0 ? 'k' : 'K';
          if (distance > 0) bytes[hit + distance] = hit % 3 == 0 ? 'z' : 'Z';
        }
        SCOPED_TRACE(testing::Message() << distance << " " << length << " " << hit);
        EXPECT_EQ(platform::FindBytePairInSlack(bytes.data(), length, distance, 'k', 'K', last,
                                                static_cast<char>(last - ('a' - 'A'))),
                  hit);
      }
    }
  }
}

TEST(VectorOps, ClassifiesTabsAndLineEndsByPosition) {
  std::string chunk(platform::kByteClassesChunk, 'a');
  chunk[0] = '\t';
  chunk[17] = '\r';
  chunk[40] = '\n';
  chunk[63] = '\x89';  // a TAB's low bits
  chunk[31] = '\x8D';  // a CR's
  chunk[50] = '\x0B';  // a control byte that is neither
  const platform::ByteClasses classes = platform::ClassifyBytes(chunk.data());
  EXPECT_EQ(classes.tabs, std::uint64_t{1});
  EXPECT_EQ(classes.lineEnds, (std::uint64_t{1} << 17) | (std::uint64_t{1} << 40));
}

}  // namespace
