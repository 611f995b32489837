// Code page 936 as the system's converter reads it, on every platform: every one- and two-byte
// sequence outside the runs Windows maps to the Private Use Area decodes as the reference
// reading records it (support/cp936_reference.h, taken from glibc's iconv).

#include <gtest/gtest.h>

#include <cstddef>

#include "platform/text_decoder.h"
#include "support/cp936_reference.h"

namespace {

namespace cp936 = korlo_test::cp936;

// A mismatch means the system reads a row differently from when the digests were taken: compare
// the row's dump with the other platform's, then take the digests anew if the new reading is
// right.
TEST(Cp936Reference, DecodesEveryRowAsTheDigestsRecord) {
  const platform::TextDecoder& decoder = platform::TextDecoder::For(platform::kCodePageGbk);
  for (std::size_t row = 0; row < cp936::kRows; ++row) {
    EXPECT_EQ(cp936::RowDigest(decoder, row), cp936::kRowDigests[row])
        << "row " << row << ": " << cp936::RowDump(decoder, row);
  }
}

}  // namespace
