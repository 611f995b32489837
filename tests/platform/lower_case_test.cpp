#include "platform/lower_case.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

namespace platform {
namespace {

struct UnitCase {
  const char* name;
  char16_t unit;
  char16_t expected;
};

void ExpectLowerCase(std::initializer_list<UnitCase> cases) {
  for (const UnitCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(static_cast<unsigned>(LowerCaseUnit(c.unit)), static_cast<unsigned>(c.expected));
  }
}

TEST(LowerCaseUnitTest, FoldsUpperCaseLettersOfEveryScript) {
  ExpectLowerCase({
      {"A", u'A', u'a'},
      {"Z", u'Z', u'z'},
      {"@ before A", u'@', u'@'},
      {"[ after Z", u'[', u'['},
      {"a", u'a', u'a'},
      {"digit", u'7', u'7'},
      {"A grave", u'\u00C0', u'\u00E0'},
      {"A diaeresis", u'\u00C4', u'\u00E4'},
      {"thorn", u'\u00DE', u'\u00FE'},
      {"multiplication sign among Latin-1 capitals", u'\u00D7', u'\u00D7'},
      {"sharp s", u'\u00DF', u'\u00DF'},
      {"Y diaeresis, lower case in another block", u'\u0178', u'\u00FF'},
      {"Greek capital sigma", u'\u03A3', u'\u03C3'},
      {"Greek final sigma", u'\u03C2', u'\u03C2'},
      {"Greek capital omega", u'\u03A9', u'\u03C9'},
      {"Cyrillic ya", u'\u042F', u'\u044F'},
      {"Cyrillic io", u'\u0401', u'\u0451'},
      {"Kelvin sign folds into ASCII", u'\u212A', u'k'},
      {"Cherokee A folds far up", u'\u13A0', u'\uAB70'},
      {"full-width A", u'\uFF21', u'\uFF41'},
      {"full-width Z", u'\uFF3A', u'\uFF5A'},
      {"full-width a", u'\uFF41', u'\uFF41'},
      {"capital I with dot above takes its simple mapping", u'\u0130', u'i'},
      {"dotless i", u'\u0131', u'\u0131'},
      {"CJK ideograph", u'\u4E2D', u'\u4E2D'},
      {"Hangul syllable", u'\uAC00', u'\uAC00'},
      {"replacement character", u'\uFFFD', u'\uFFFD'},
      {"last unit", u'\uFFFF', u'\uFFFF'},
  });
}

// Restores the process locale when the test ends, so later tests see the C locale again.
class ProcessLocaleGuard {
 public:
  ProcessLocaleGuard() : saved_(std::setlocale(LC_ALL, nullptr)) {}
  ~ProcessLocaleGuard() { std::setlocale(LC_ALL, saved_.c_str()); }
  ProcessLocaleGuard(const ProcessLocaleGuard&) = delete;
  ProcessLocaleGuard& operator=(const ProcessLocaleGuard&) = delete;

 private:
  std::string saved_;
};

TEST(LowerCaseUnitTest, TurkishLocaleDoesNotChangeTheMapping) {
  const ProcessLocaleGuard guard;
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) {
    GTEST_SKIP() << "the tr_TR.UTF-8 locale is not installed";
  }
  if (std::towlower(L'I') != L'\u0131') GTEST_SKIP() << "this tr_TR.UTF-8 keeps I as i";
  ExpectLowerCase({
      {"I stays dotted", u'I', u'i'},
      {"capital I with dot above", u'\u0130', u'i'},
      {"dotless i", u'\u0131', u'\u0131'},
  });
}

TEST(LowerCaseUnitTest, SurrogatesNeverChange) {
  for (char32_t unit = 0xD800; unit <= 0xDFFF; ++unit) {
    ASSERT_EQ(LowerCaseUnit(static_cast<char16_t>(unit)), static_cast<char16_t>(unit))
        << std::hex << static_cast<std::uint32_t>(unit);
  }
}

TEST(LowerCaseUnitTest, LowerCaseFormsAreFixedPoints) {
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const char16_t lower = LowerCaseUnit(static_cast<char16_t>(unit));
    ASSERT_EQ(LowerCaseUnit(lower), lower) << std::hex << static_cast<std::uint32_t>(unit);
  }
}

TEST(LowerCaseInPlaceTest, AgreesWithLowerCaseUnitOverTheWholePlane) {
  std::vector<char16_t> text;
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    text.push_back(static_cast<char16_t>(unit));
  }
  LowerCaseInPlace(text);
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    ASSERT_EQ(text[unit], LowerCaseUnit(static_cast<char16_t>(unit)))
        << std::hex << static_cast<std::uint32_t>(unit);
  }
}

TEST(LowerCaseInPlaceTest, LowersMixedTextAndLeavesTheRestOfTheBufferAlone) {
  std::u16string buffer = u"Login ÄÖÜ ΣΟΦΊΑ Москва ＡＢＣ 中文 İ|TAIL";
  const std::size_t end = buffer.find(u'|');
  LowerCaseInPlace(std::span<char16_t>(buffer.data(), end));
  EXPECT_EQ(buffer, u"login äöü σοφία москва ａｂｃ 中文 i|TAIL");
}

// Every start and length, so that ASCII and non-ASCII units fall at every place of the pieces
// the buffer is processed in, and the text around the span is left alone.
TEST(LowerCaseInPlaceTest, AnySpanOfABufferAgreesWithLowerCaseUnit) {
  const std::u16string original = u"ABCDEFGHÄIJKLMNOPQRSTΣUVWXYZabcdЯefghＡijklmnopqrstuvwxyz";
  for (std::size_t start = 0; start <= 16; ++start) {
    for (std::size_t length = 0; start + length <= original.size(); ++length) {
      std::u16string expected = original;
      for (std::size_t i = start; i < start + length; ++i) {
        expected[i] = LowerCaseUnit(expected[i]);
      }
      std::u16string buffer = original;
      LowerCaseInPlace(std::span<char16_t>(buffer).subspan(start, length));
      ASSERT_EQ(buffer, expected) << "start " << start << ", length " << length;
    }
  }
}

}  // namespace
}  // namespace platform
