// The byte mapping of file names exists only in the POSIX build.

#include "platform/posix/native_path.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace platform::posix {
namespace {

struct PathCase {
  const char* name;
  std::u16string path;
  std::string native;
};

TEST(NativePathTest, MapsSeparatorsEncodesUtf8AndRestoresEscapedBytes) {
  const PathCase cases[] = {
      {"backslashes", u"D:\\KorloServer\\LogServer\\a.log", "D:/KorloServer/LogServer/a.log"},
      {"slashes stay", u"/tmp/a/b", "/tmp/a/b"},
      {"Chinese", u"\\日志\\中.log", "/\xE6\x97\xA5\xE5\xBF\x97/\xE4\xB8\xAD.log"},
      {"escaped bytes", {char16_t{0xDCD6}, char16_t{0xDCD0}, u'\\', u'x'}, "\xD6\xD0/x"},
      {"first and last escape", {char16_t{0xDC80}, char16_t{0xDCFF}}, "\x80\xFF"},
      {"low half of a pair is no escape", {char16_t{0xD800}, char16_t{0xDC80}}, "\xF0\x90\x82\x80"},
      {"escape after a completed pair",
       {char16_t{0xD800}, char16_t{0xDC80}, char16_t{0xDC80}},
       "\xF0\x90\x82\x80\x80"},
      {"lone surrogate outside the escapes", {char16_t{0xDC00}}, "\xEF\xBF\xBD"},
      {"lone high surrogate",
       {char16_t{0xD800}, u'a'},
       "\xEF\xBF\xBD"
       "a"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NativePath(c.path), c.native);
  }
}

TEST(NameFromNativeTest, DecodesUtf8AndEscapesEachByteOfIllFormedSequences) {
  const PathCase cases[] = {
      {"ASCII", u"a.log", "a.log"},
      {"UTF-8", u"日志.log", "\xE6\x97\xA5\xE5\xBF\x97.log"},
      {"four-byte", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"GBK bytes",
       {char16_t{0xDCD6}, char16_t{0xDCD0}, char16_t{0xDCCE}, char16_t{0xDCC4}, u'.', u'l', u'o',
        u'g'},
       "\xD6\xD0\xCE\xC4.log"},
      {"Latin-1 byte", {u'c', u'a', u'f', char16_t{0xDCE9}}, "caf\xE9"},
      {"truncated sequence, byte by byte", {char16_t{0xDCE4}, char16_t{0xDCB8}}, "\xE4\xB8"},
      {"encoded surrogate stays three bytes",
       {char16_t{0xDCED}, char16_t{0xDCA0}, char16_t{0xDC80}},
       "\xED\xA0\x80"},
      {"valid character after an invalid byte", {char16_t{0xDCFF}, u'\u4E2D'}, "\xFF\xE4\xB8\xAD"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NameFromNative(c.native), c.path);
  }
}

TEST(NameFromNativeTest, EveryNameRoundTripsThroughNativePath) {
  const std::string_view names[] = {
      "plain.log",
      "\xD6\xD0\xCE\xC4.log",                  // GBK
      "\x93\xFA\x96\x7B",                      // Shift_JIS
      "caf\xE9",                               // Latin-1
      "\xED\xB2\x80",                          // U+DC80 encoded as if it were a character
      "\xF0\x90\x82\x80",                      // U+10080, whose low surrogate is DC80
      "\xE6\x97\xA5\xE5\xBF",                  // cut inside a character
      "\xC0\xAF\xF5\xFF\x80\xBF",              // bytes that never start a sequence
      "\xF0\x9F\x98\x80\xE4\xB8\xAD\xD6\xD0",  // valid then invalid
  };
  for (const std::string_view name : names) {
    SCOPED_TRACE(testing::PrintToString(std::string(name)));
    EXPECT_EQ(NativePath(NameFromNative(name)), name);
  }
}

TEST(NameFromNativeTest, EverySingleByteRoundTrips) {
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == '\\') continue;  // a separator to NativePath
    const std::string name(1, static_cast<char>(byte));
    ASSERT_EQ(NativePath(NameFromNative(name)), name) << byte;
  }
}

}  // namespace
}  // namespace platform::posix
