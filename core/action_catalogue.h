#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace core {

// The entries of the action list, by index: the select-all entry, the item group (header 1,
// members 2 to 25) and the player group (header 26, members 27 to 32). The indexes are fixed
// numbers, not derived from the texts.
inline constexpr int kActionEntryCount = 33;
inline constexpr int kSelectAllEntry = 0;
inline constexpr int kItemGroupHeader = 1;
inline constexpr int kPlayerGroupHeader = 26;
inline constexpr int kLastActionEntry = 32;

extern const std::array<std::u16string_view, kActionEntryCount> ACTION_TEXTS;

// True for the select-all entry and the two group headers, which select nothing themselves.
constexpr bool IsHeaderOrSelectAll(int index) {
  return index == kSelectAllEntry || index == kItemGroupHeader || index == kPlayerGroupHeader;
}

// The member range of a group header, both ends included; {0, -1} for any other index.
struct TActionGroup {
  int first;
  int last;
};
constexpr TActionGroup GroupMembers(int header) {
  if (header == kItemGroupHeader) return {2, 25};
  if (header == kPlayerGroupHeader) return {27, kLastActionEntry};
  return {0, -1};
}

// One row of the action keyword table as shipped: the action's text and its keywords in order.
struct TActionKeywordRow {
  std::u16string_view action;
  std::span<const std::u16string_view> keywords;
};
inline constexpr std::size_t kActionKeywordRowCount = 30;
extern const std::array<TActionKeywordRow, kActionKeywordRowCount> ACTION_KEYWORD_ROWS;

}  // namespace core
