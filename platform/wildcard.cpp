#include "platform/wildcard.h"

#include <cstddef>

#include "platform/lower_case.h"

namespace platform {

bool MatchesWildcard(std::u16string_view name, std::u16string_view pattern) {
  // Windows lets "*.*" match every name, a name without a dot too.
  if (pattern == u"*.*") return true;

  // Greedy matching that remembers only the last '*': when a later literal fails, that '*'
  // takes one more unit of the name and matching resumes after it. An earlier '*' never needs
  // to be revisited, because the last one can absorb whatever an earlier one would have, so the
  // cost stays within name.size() * pattern.size() steps, never exponential.
  constexpr std::size_t kNoStar = std::u16string_view::npos;
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starPattern = kNoStar;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starPattern = p++;
      starName = n;
    } else if (p < pattern.size() &&
               (pattern[p] == u'?' || LowerCaseUnit(pattern[p]) == LowerCaseUnit(name[n]))) {
      ++p;
      ++n;
    } else if (starPattern != kNoStar) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') {
    ++p;
  }
  return p == pattern.size();
}

}  // namespace platform
