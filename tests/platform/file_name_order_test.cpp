#include "platform/file_name_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

struct LessCase {
  const char* name;
  std::u16string_view left;
  std::u16string_view right;
};

// Each case is a strict pair: `left` sorts before `right`, and not the other way round.
TEST(FileNameLessTest, ComparesUpperCasedUnitsAsUnsignedValues) {
  const LessCase cases[] = {
      {"letter case ignored", u"a.log", u"B.log"},
      {"letter case ignored the other way", u"A.log", u"b.log"},
      {"underscore above the capitals", u"Z.log", u"_x.log"},
      {"underscore above the capitals, before a small letter", u"a_.log", u"b.log"},
      {"full stop below the underscore", u"a.log", u"a_.log"},
      {"digits below the letters", u"9.log", u"a.log"},
      {"digit by digit, not by number", u"10.log", u"9.log"},
      {"prefix first", u"a", u"a.log"},
      {"empty first", u"", u"a"},
      {"Latin-1 letters by their capitals", u"\u00E4.log", u"\u00D6.log"},
      {"y diaeresis by its capital U+0178", u"\u0100.log", u"\u00FF.log"},
      {"ideographs by their units", u"\u4E2D.log", u"\u6587.log"},
      {"ideographs above the letters", u"z.log", u"\u4E2D.log"},
      {"surrogates below the private use area", u"\U0001F600", u"\uE000"},
      {"no locale collation: tilde above the capitals", u"Z", u"~"},
      {"same upper-cased name: capital units first", u"A.log", u"a.log"},
  };
  for (const LessCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(FileNameLess(c.left, c.right));
    EXPECT_FALSE(FileNameLess(c.right, c.left));
  }
  EXPECT_FALSE(FileNameLess(u"a.log", u"a.log"));
}

TEST(SortFileNamesTest, PutsTheDotEntriesFirstAndTheRestInNameOrder) {
  std::vector<std::u16string> names = {u"b.log", u"..",     u"!first", u"A.log",
                                       u".",     u" space", u"a_.log", u"_x.log"};
  SortFileNames(names);
  EXPECT_EQ(names, (std::vector<std::u16string>{u".", u"..", u" space", u"!first", u"A.log",
                                                u"a_.log", u"b.log", u"_x.log"}));
}

}  // namespace
}  // namespace platform
