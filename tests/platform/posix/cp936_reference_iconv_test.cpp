// The reference reading of code page 936 (support/cp936_reference.h) is iconv's: the decoder
// derived from iconv gives it row for row (cp936_reference_test.cpp), and rejects every sequence
// that Windows decodes to the Private Use Area.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/text_decoder.h"
#include "support/cp936_reference.h"
#include "support/decoding.h"

namespace {

namespace cp936 = korlo_test::cp936;
using korlo_test::HexBytes;
using korlo_test::HexUnits;
using platform::TextDecoder;

TEST(Cp936Reference, IconvRejectsEverySequenceOfTheWindowsPrivateUseRuns) {
  const TextDecoder& decoder = TextDecoder::For(platform::kCodePageGbk);
  std::size_t sequences = 0;
  for (const cp936::PrivateUseRun& run : cp936::kWindowsPrivateUseRuns) {
    for (unsigned trail = run.firstTrail; trail <= run.lastTrail; ++trail) {
      const std::string bytes = cp936::SequenceBytes(1u + run.lead, trail);
      // The pair is one invalid sequence; an ASCII trail byte is decoded on its own.
      std::u16string expected = u"\uFFFD";
      if (trail < 0x80) expected += static_cast<char16_t>(trail);
      EXPECT_EQ(HexUnits(decoder.Decode(bytes)), HexUnits(expected)) << HexBytes(bytes);
      ++sequences;
    }
  }
  EXPECT_EQ(sequences, 2149u);
}

}  // namespace
