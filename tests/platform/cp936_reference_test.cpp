// Code page 936 as Windows reads it, on every platform: every one- and two-byte sequence outside
// the runs Windows maps to the Private Use Area decodes as the reference reading records it
// (support/cp936_reference.h, Windows' reading, which the POSIX decoder gives by completing
// glibc's GBK with Windows' rule), the byte FF alone included.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/text_decoder.h"
#include "support/cp936_reference.h"
#include "support/decoding.h"

namespace {

namespace cp936 = korlo_test::cp936;
using korlo_test::DecodedUnits;
using korlo_test::HexUnits;

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

// Windows' table maps the byte FF to the Private Use Area; its converter rejects it only when
// asked to reject invalid characters, which the decoder's probe does.
TEST(Cp936Reference, DecodesTheByteFFAloneAsWindowsTableMapsIt) {
  const platform::TextDecoder& decoder = platform::TextDecoder::For(platform::kCodePageGbk);
  const std::u16string ff(1, cp936::kWindowsByteFF);
  const struct {
    const char* name;
    std::string bytes;
    std::u16string expected;
  } cases[] = {
      {"alone", "\xFF", ff},
      {"twice", "\xFF\xFF", ff + ff},
      {"between ASCII",
       "a\xFF"
       "b",
       u"a" + ff + u"b"},
      {"after a pair", "\xB0\xA1\xFF", u"\u554A" + ff},
      {"as a trail byte it is no character", "\xB0\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HexUnits(DecodedUnits(decoder, c.bytes)), HexUnits(c.expected));
  }
}

}  // namespace
