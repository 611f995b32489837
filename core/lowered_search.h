#pragma once

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// A set of keywords looked for in the lower case of texts (the locale-independent lower-casing
// of the platform layer), without lower-casing the texts: a text contains a keyword when the
// keyword, lower-cased the same way, occurs in the lower-cased text. One pass over a text
// answers for every keyword: a position is tried only when its unit lower-cases to the first
// unit of some keyword.
class TLoweredKeywordSet {
 public:
  // Adds a keyword, lower-cased; an empty keyword is ignored (it would match everything).
  void Add(std::u16string_view keyword);
  bool Empty() const noexcept { return keywords_.empty(); }
  void Clear();

  // True when some keyword occurs in the lower case of `text`.
  bool FoundIn(std::u16string_view text) const noexcept;

 private:
  std::vector<std::u16string> keywords_;  // lower-cased, distinct
  std::bitset<0x10000> firstUnits_;       // every unit that lower-cases to a keyword's first
};

}  // namespace core
