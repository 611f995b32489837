#include "platform/upper_case.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cwctype>
#include <set>
#include <string>

#include "platform/lower_case.h"

namespace platform {
namespace {

struct UnitCase {
  const char* name;
  char16_t unit;
  char16_t expected;
};

void ExpectUpperCase(std::initializer_list<UnitCase> cases) {
  for (const UnitCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(static_cast<unsigned>(UpperCaseUnit(c.unit)), static_cast<unsigned>(c.expected));
  }
}

TEST(UpperCaseUnitTest, MapsLowerCaseLettersOfEveryScriptToTheirCapitals) {
  ExpectUpperCase({
      {"a", u'a', u'A'},
      {"z", u'z', u'Z'},
      {"` before a", u'`', u'`'},
      {"{ after z", u'{', u'{'},
      {"A", u'A', u'A'},
      {"underscore", u'_', u'_'},
      {"digit", u'7', u'7'},
      {"a grave", u'\u00E0', u'\u00C0'},
      {"a diaeresis", u'\u00E4', u'\u00C4'},
      {"division sign among Latin-1 small letters", u'\u00F7', u'\u00F7'},
      {"y diaeresis, capital in another block", u'\u00FF', u'\u0178'},
      {"micro sign to Greek capital mu", u'\u00B5', u'\u039C'},
      {"sharp s has no one-unit capital", u'\u00DF', u'\u00DF'},
      {"long s", u'\u017F', u'S'},
      {"dotless i", u'\u0131', u'I'},
      {"capital I with dot above", u'\u0130', u'\u0130'},
      {"dz digraph, title case", u'\u01C5', u'\u01C4'},
      {"Greek small sigma", u'\u03C3', u'\u03A3'},
      {"Greek final sigma", u'\u03C2', u'\u03A3'},
      {"Greek omega", u'\u03C9', u'\u03A9'},
      {"alpha with ypogegrammeni takes the letter with prosgegrammeni", u'\u1FB3', u'\u1FBC'},
      {"alpha with psili and ypogegrammeni", u'\u1F80', u'\u1F88'},
      {"the letter with prosgegrammeni stays", u'\u1F88', u'\u1F88'},
      {"ff ligature has no one-unit capital", u'\uFB00', u'\uFB00'},
      {"Cyrillic ya", u'\u044F', u'\u042F'},
      {"Cherokee small a maps far down", u'\uAB70', u'\u13A0'},
      {"full-width a", u'\uFF41', u'\uFF21'},
      {"full-width A", u'\uFF21', u'\uFF21'},
      {"Kelvin sign is a capital already", u'\u212A', u'\u212A'},
      {"CJK ideograph", u'\u4E2D', u'\u4E2D'},
      {"private use", u'\uE000', u'\uE000'},
      {"replacement character", u'\uFFFD', u'\uFFFD'},
      {"last unit", u'\uFFFF', u'\uFFFF'},
  });
}

TEST(UpperCaseUnitTest, SurrogatesNeverChange) {
  for (char32_t unit = 0xD800; unit <= 0xDFFF; ++unit) {
    ASSERT_EQ(UpperCaseUnit(static_cast<char16_t>(unit)), static_cast<char16_t>(unit))
        << std::hex << static_cast<std::uint32_t>(unit);
  }
}

// Upper-casing a capital changes nothing, and a letter that upper-cases lower-cases back to
// itself, except the small letters that share their capital with another letter.
TEST(UpperCaseUnitTest, CapitalsAreFixedPointsAndLowerCaseBackToTheirLetter) {
  const std::set<char16_t> sharingCapitals = {
      u'\u00B5',                                   // micro sign, capital mu
      u'\u0131',                                   // dotless i, I
      u'\u017F',                                   // long s, S
      u'\u01C5', u'\u01C8', u'\u01CB', u'\u01F2',  // title-case digraphs
      u'\u0345',                                   // combining ypogegrammeni, capital iota
      u'\u03C2',                                   // final sigma
      u'\u03D0', u'\u03D1', u'\u03D5', u'\u03D6', u'\u03F0', u'\u03F1', u'\u03F5',  // Greek symbols
      u'\u1C80', u'\u1C81', u'\u1C82', u'\u1C83', u'\u1C84', u'\u1C85', u'\u1C86', u'\u1C87',
      u'\u1C88',  // old Cyrillic variants
      u'\u1E9B',  // long s with dot above
      u'\u1FBE',  // Greek prosgegrammeni, capital iota
  };
  std::set<char16_t> found;
  for (char32_t code = 0; code <= 0xFFFF; ++code) {
    const auto unit = static_cast<char16_t>(code);
    const char16_t upper = UpperCaseUnit(unit);
    ASSERT_EQ(UpperCaseUnit(upper), upper) << std::hex << static_cast<std::uint32_t>(code);
    if (upper != unit && LowerCaseUnit(upper) != unit) found.insert(unit);
  }
  EXPECT_EQ(found, sharingCapitals);
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

TEST(UpperCaseUnitTest, TurkishLocaleDoesNotChangeTheMapping) {
  const ProcessLocaleGuard guard;
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) {
    GTEST_SKIP() << "the tr_TR.UTF-8 locale is not installed";
  }
  if (std::towupper(L'i') != L'\u0130') GTEST_SKIP() << "this tr_TR.UTF-8 keeps i as I";
  ExpectUpperCase({
      {"i stays dotless when capital", u'i', u'I'},
      {"dotless i", u'\u0131', u'I'},
  });
}

}  // namespace
}  // namespace platform
