#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace platform {
namespace {

struct MatchCase {
  const char* name;
  std::u16string_view fileName;
  std::u16string_view pattern;
  bool matches;
};

TEST(MatchesWildcardTest, MatchesAsWindowsDoes) {
  const MatchCase cases[] = {
      {"extension in another case", u"a.LOG", u"*.log", true},
      {"pattern in another case", u"server.log", u"*.LOG", true},
      {"extension not at the end", u"a.log.bak", u"*.log", false},
      {"star matches an empty run", u".log", u"*.log", true},
      {"the dot is required", u"log", u"*.log", false},
      {"extension is only a prefix", u"a.logx", u"*.log", false},
      {"star-dot-star matches a name without a dot", u"noext", u"*.*", true},
      {"star-dot-star matches a name with a dot", u"a.b.c", u"*.*", true},
      {"star-dot-star matches the current-folder entry", u".", u"*.*", true},
      {"dot-star still needs a dot in other patterns", u"noext", u"n*.*", false},
      {"star matches the empty name", u"", u"*", true},
      {"empty pattern matches only the empty name", u"a", u"", false},
      {"empty name and pattern", u"", u"", true},
      {"question mark matches one unit", u"abc", u"a?c", true},
      {"question mark needs a unit", u"ac", u"a?c", false},
      {"question mark matches only one unit", u"abbc", u"a?c", false},
      {"question mark does not match the empty name", u"", u"?", false},
      // Written in pieces so that the compiler sees no "??-" trigraph.
      {"day folder", u"2024-03-01",
       u"????"
       u"-??"
       u"-??",
       true},
      {"day folder too long", u"2024-03-011",
       u"????"
       u"-??"
       u"-??",
       false},
      {"trailing stars", u"abc", u"abc***", true},
      {"literal after a star needs backtracking", u"abcabd", u"*abd", true},
      {"several stars", u"mississippi", u"m*iss*ppi", true},
      {"several stars failing at the end", u"mississippi", u"m*iss*ppx", false},
      {"star then question marks", u"ab", u"*???", false},
      {"non-ASCII letters fold", u"ÄRGER.LOG", u"ärger.*", true},
      {"full-width letters fold", u"ＡＢ.log", u"ａｂ.LOG", true},
      {"Cyrillic letters fold", u"ЖУРНАЛ.log", u"журнал*", true},
      {"different letters", u"b.log", u"a.log", false},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MatchesWildcard(c.fileName, c.pattern), c.matches);
  }
}

// A backtracking matcher tries every way to split the name among the stars: far too many here
// to ever finish.
TEST(MatchesWildcardTest, ManyStarsOnALongNameDoNotBacktrackExponentially) {
  const std::u16string name(10'000, u'a');
  EXPECT_FALSE(MatchesWildcard(name, u"*a*a*a*a*b"));
  EXPECT_TRUE(MatchesWildcard(name + u'b', u"*a*a*a*a*b"));
  EXPECT_TRUE(MatchesWildcard(name + u'B', u"*A*A*A*A*b"));
}

}  // namespace
}  // namespace platform
