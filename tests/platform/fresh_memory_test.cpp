#include "platform/fresh_memory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The file buffer is reused from file to file: it must hold exactly each size asked for, and a
// file a little larger than the one before must not cost a new buffer.
TEST(ResizeForOverwrite, GivesExactSizesAndReusesRoomForSimilarSizes) {
  std::string buffer = "left over";
  platform::ResizeForOverwrite(buffer, 1'000'000);
  ASSERT_EQ(buffer.size(), 1'000'000u);
  buffer.assign(1'000'000, 'a');
  const char* room = buffer.data();

  platform::ResizeForOverwrite(buffer, 10);
  EXPECT_EQ(buffer.size(), 10u);
  EXPECT_EQ(buffer.data(), room);
  platform::ResizeForOverwrite(buffer, 1'100'000);
  EXPECT_EQ(buffer.size(), 1'100'000u);
  EXPECT_EQ(buffer.data(), room);
}

// Backing memory ahead of the writes is a hint: the content is untouched.
TEST(PrepareForWriting, LeavesTheContentAsItWas) {
  std::string text(3 * 65536 + 17, 'x');
  text[70000] = 'y';
  platform::PrepareForWriting(text.data() + 5, text.size() - 10);
  platform::PrepareForWriting(text.data(), 0);
  EXPECT_EQ(text.find_first_not_of('x'), 70000u);
  EXPECT_EQ(text.find_first_not_of('x', 70001), std::string::npos);
}

// Fresh pages read as zeros and take writes at both ends, for every size the bench asks.
TEST(FreshPages, AreZeroedWritableAndOfTheSizeAsked) {
  for (const std::size_t bytes : {std::size_t{1}, std::size_t{4096}, std::size_t{3 * 65536 + 17}}) {
    SCOPED_TRACE(bytes);
    const platform::FreshPages pages(bytes);
    ASSERT_NE(pages.Data(), nullptr);
    EXPECT_EQ(pages.Size(), bytes);
    EXPECT_EQ(pages.Data()[0], 0);
    EXPECT_EQ(pages.Data()[bytes - 1], 0);
    pages.Data()[0] = 'a';
    pages.Data()[bytes - 1] = 'z';
    EXPECT_EQ(pages.Data()[bytes - 1], 'z');
  }
  const platform::FreshPages none(0);
  EXPECT_EQ(none.Size(), 0u);
}

}  // namespace
