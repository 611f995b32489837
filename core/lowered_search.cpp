#include "core/lowered_search.h"

#include <algorithm>
#include <utility>

#include "platform/lower_case.h"

namespace core {

namespace {

// The units that lower-case to another unit, with that unit: the cased letters, about 1,400.
const std::vector<std::pair<char16_t, char16_t>>& Foldings() {
  static const std::vector<std::pair<char16_t, char16_t>> foldings = [] {
    std::vector<std::pair<char16_t, char16_t>> list;
    for (std::size_t unit = 0; unit < 0x10000; ++unit) {
      const auto from = static_cast<char16_t>(unit);
      const char16_t to = platform::LowerCaseUnit(from);
      if (to != from) list.emplace_back(from, to);
    }
    return list;
  }();
  return foldings;
}

}  // namespace

void TLoweredKeywordSet::Add(std::u16string_view keyword) {
  if (keyword.empty()) return;
  std::u16string lowered(keyword);
  platform::LowerCaseInPlace(lowered);
  if (std::find(keywords_.begin(), keywords_.end(), lowered) != keywords_.end()) return;
  // Several units can lower-case to the same one (A and a to a, the Kelvin sign to k).
  const char16_t first = lowered.front();
  firstUnits_.set(first);
  for (const auto& [from, to] : Foldings()) {
    if (to == first) firstUnits_.set(from);
  }
  keywords_.push_back(std::move(lowered));
}

void TLoweredKeywordSet::Clear() {
  keywords_.clear();
  firstUnits_.reset();
}

bool TLoweredKeywordSet::FoundIn(std::u16string_view text) const noexcept {
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (!firstUnits_.test(text[at])) continue;
    const char16_t first = platform::LowerCaseUnit(text[at]);
    for (const std::u16string& keyword : keywords_) {
      if (keyword.front() != first || keyword.size() > text.size() - at) continue;
      std::size_t k = 1;
      while (k < keyword.size() && platform::LowerCaseUnit(text[at + k]) == keyword[k])
        ++k;
      if (k == keyword.size()) return true;
    }
  }
  return false;
}

}  // namespace core
