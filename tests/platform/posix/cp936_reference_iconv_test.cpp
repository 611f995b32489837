// Code page 936 on POSIX reads as on Windows: the decoder derived from glibc's GBK gives the
// reference reading row for row (cp936_reference_test.cpp), and decodes, by Windows' rule, every
// sequence that Windows decodes to the Private Use Area and glibc rejects, exactly as the record
// of Windows' reading (kWindowsPrivateUseRuns) says.

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstddef>
#include <stdexcept>
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

constexpr char16_t kFirstPrivateUse = 0xE000;
constexpr char16_t kLastPrivateUse = 0xE864;

// Whether glibc's GBK converts `bytes`, given alone, into anything.
bool IconvAccepts(const std::string& bytes) {
  const iconv_t handle = iconv_open("UTF-32LE", "GBK");
  if (handle == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no iconv GBK");
  std::string input = bytes;
  char* in = input.data();
  std::size_t inLeft = input.size();
  char output[16];
  char* out = output;
  std::size_t outLeft = sizeof output;
  const bool accepted = iconv(handle, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
  iconv_close(handle);
  return accepted;
}

TEST(Cp936Reference, DecodesEverySequenceOfTheWindowsPrivateUseRunsAsWindowsDoes) {
  const TextDecoder& decoder = TextDecoder::For(platform::kCodePageGbk);
  std::vector<int> uses(kLastPrivateUse - kFirstPrivateUse + 1, 0);
  std::size_t sequences = 0;
  for (const cp936::PrivateUseRun& run : cp936::kWindowsPrivateUseRuns) {
    for (unsigned trail = run.firstTrail; trail <= run.lastTrail; ++trail) {
      const std::string bytes = cp936::SequenceBytes(1u + run.lead, trail);
      const char16_t expected = cp936::WindowsPrivateUse(1u + run.lead, trail);
      ASSERT_GE(expected, kFirstPrivateUse);
      ASSERT_LE(expected, kLastPrivateUse);
      ++uses[static_cast<std::size_t>(expected - kFirstPrivateUse)];
      EXPECT_EQ(HexUnits(DecodedUnits(decoder, bytes)), HexUnits(std::u16string(1, expected)))
          << HexBytes(bytes);
      // What the decoder adds to glibc's reading: glibc itself still rejects the sequence.
      EXPECT_FALSE(IconvAccepts(bytes)) << HexBytes(bytes);
      ++sequences;
    }
  }
  EXPECT_EQ(sequences, 2149u);
  // Every character of the range is the reading of exactly one sequence of the runs.
  for (std::size_t i = 0; i < uses.size(); ++i) {
    EXPECT_EQ(uses[i], 1) << "U+" << std::hex << (kFirstPrivateUse + i);
  }
}

// No two-byte sequence outside the runs decodes into the range, so the runs are all of it.
TEST(Cp936Reference, NoOtherTwoByteSequenceDecodesToThePrivateUseRange) {
  const TextDecoder& decoder = TextDecoder::For(platform::kCodePageGbk);
  for (std::size_t lead = 0x81; lead <= 0xFE; ++lead) {
    for (std::size_t trail = 0; trail < 256; ++trail) {
      if (cp936::WindowsPrivateUse(1 + lead, trail) != u'\0') continue;
      const std::string bytes = cp936::SequenceBytes(1 + lead, trail);
      for (const char16_t unit : DecodedUnits(decoder, bytes)) {
        EXPECT_TRUE(unit < kFirstPrivateUse || unit > kLastPrivateUse) << HexBytes(bytes);
      }
    }
  }
}

TEST(Cp936Reference, DecodesTheSingleByteGlibcRejectsAsWindowsTableMapsIt) {
  EXPECT_FALSE(IconvAccepts("\xFF"));
  EXPECT_EQ(HexUnits(DecodedUnits(TextDecoder::For(platform::kCodePageGbk), "\xFF")),
            HexUnits(std::u16string(1, cp936::kWindowsByteFF)));
}

}  // namespace
