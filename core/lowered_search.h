#pragma once

#include <array>
#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "core/keyword_match.h"

namespace core {

// A set of keywords looked for in the lower case of texts (the locale-independent lower-casing
// of the platform layer, which folds BMP characters one to one and leaves the others), without
// lower-casing the texts: a text contains a keyword when the keyword, lower-cased the same way,
// occurs in the lower-cased text. The texts are UTF-8 and are read a character at a time, since
// lower-casing may change a character's length in bytes (the Kelvin sign, three bytes, to k).
// One pass over a text answers for every keyword: a position is tried only when its character
// lower-cases to the first character of some keyword.
class TLoweredKeywordSet {
 public:
  // Adds a keyword (UTF-16, as the action keyword table holds it), lower-cased; an empty keyword
  // is ignored (it would match everything).
  void Add(std::u16string_view keyword);
  bool Empty() const noexcept { return keywords_.empty() && unpaired_.empty(); }
  void Clear();

  // True when some keyword occurs in the lower case of `text`, well-formed UTF-8 (other bytes
  // give some answer, never a read outside what `reach` allows).
  bool FoundIn(std::string_view text, TTextEnd reach = TTextEnd::kHard) const;

 private:
  bool FoundUnpairedIn(std::string_view text) const;

  static constexpr std::size_t kMostByteSearches = 3;

  std::vector<std::u32string> keywords_;  // lower-cased, as characters, distinct
  // The same keywords in UTF-8, and whether every character of every one is met, lower-cased, by
  // itself alone or, for a-z, also by its capital: then a keyword occurs in the lower case of a
  // text exactly where its bytes occur in the text with A-Z folded, and a byte search answers.
  std::vector<std::string> utf8Keywords_;
  bool foldsAsBytes_ = true;
  // Lower-cased keywords holding a lone surrogate, which no UTF-8 text holds: looked for in the
  // text's lower-cased UTF-16 units, where they can meet halves of surrogate pairs.
  std::vector<std::u16string> unpaired_;
  std::bitset<0x10000> firstUnits_;  // every BMP character that lower-cases to a keyword's first
  // The first UTF-8 byte of those and of supplementary firsts: a table of bytes, not bits, since
  // it is read for nearly every byte of a text.
  std::array<bool, 256> firstLeads_{};
};

}  // namespace core
