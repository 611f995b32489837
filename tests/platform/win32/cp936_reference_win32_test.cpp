// The decoder of code page 936 that Windows' own converter (MultiByteToWideChar) derives gives the
// reference reading of every one- and two-byte sequence (support/cp936_reference.h,
// cp936_reference_test.cpp), and decodes each sequence of the runs Windows maps to the Private
// Use Area as the record of them says.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/text_decoder.h"
#include "support/cp936_reference.h"
#include "support/decoding.h"

namespace {

namespace cp936 = korlo_test::cp936;
using korlo_test::DecodedUnits;
using korlo_test::HexBytes;
using korlo_test::HexUnits;
using platform::TextDecoder;

TEST(Win32Cp936Reading, DecodesEachSequenceOfThePrivateUseRunsToACharacterOfItsOwn) {
  constexpr char16_t kFirst = 0xE000;
  constexpr char16_t kLast = 0xE864;
  const TextDecoder& decoder = TextDecoder::For(platform::kCodePageGbk);
  std::vector<int> uses(kLast - kFirst + 1, 0);
  for (const cp936::PrivateUseRun& run : cp936::kWindowsPrivateUseRuns) {
    for (unsigned trail = run.firstTrail; trail <= run.lastTrail; ++trail) {
      const char16_t expected = cp936::WindowsPrivateUse(1u + run.lead, trail);
      ASSERT_GE(expected, kFirst);
      ASSERT_LE(expected, kLast);
      ++uses[static_cast<std::size_t>(expected - kFirst)];
      const std::string bytes = cp936::SequenceBytes(1u + run.lead, trail);
      EXPECT_EQ(HexUnits(DecodedUnits(decoder, bytes)), HexUnits(std::u16string(1, expected)))
          << HexBytes(bytes);
    }
  }
  // Every character of the range is the reading of exactly one sequence.
  for (std::size_t i = 0; i < uses.size(); ++i) {
    EXPECT_EQ(uses[i], 1) << "U+" << std::hex << (kFirst + i);
  }
}

}  // namespace
