#include "core/record_sort.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace core {

namespace {

// A value's place in the sort, packed so that most comparisons touch only the key, not the text
// (which lies scattered over the record blocks): numbers of up to 19 significant digits by their
// value, longer numbers by their digit count, text by its first 24 bytes (a timestamp, an item
// name of eight Chinese characters) and its length. Keys that tie there compare their texts,
// found again by the key's place.
struct TSortKey {
  enum TKind : std::uint32_t { kNumber, kLongNumber, kText };
  std::array<std::uint64_t, 3> words{};  // text: 24 bytes, big-endian; a number: words[0]
  std::uint32_t size = 0;                // the value's bytes (at most the field's 32-bit end)
  std::uint32_t kind : 2 = kText;
  std::uint32_t place : 30 = 0;  // the value's index among those sorted
};
static_assert(sizeof(TSortKey) == 32);

constexpr std::size_t kMaxShortDigits = 19;  // below 2^64
constexpr std::size_t kPrefixBytes = 24;     // in `words`
constexpr std::size_t kMaxValues = std::size_t{1} << 30;

bool AllDigits(std::string_view text) noexcept {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The digits of a number without its leading zeros ("0" for zeros alone).
std::string_view Significant(std::string_view digits) noexcept {
  const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
  return digits.substr(first);
}

// Up to 8 bytes of `text` from `at` as a big-endian number, zeros after the text's end.
std::uint64_t BigEndian(std::string_view text, std::size_t at) noexcept {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    const std::size_t index = at + i;
    value = (value << 8) | (index < text.size() ? static_cast<unsigned char>(text[index]) : 0u);
  }
  return value;
}

TSortKey KeyOf(std::string_view value, std::size_t place) noexcept {
  TSortKey key;
  key.size = static_cast<std::uint32_t>(value.size());
  key.place = static_cast<std::uint32_t>(place) & (kMaxValues - 1);
  if (AllDigits(value)) {
    const std::string_view digits = Significant(value);
    if (digits.size() <= kMaxShortDigits) {
      key.kind = TSortKey::kNumber;
      for (const char digit : digits)
        key.words[0] = key.words[0] * 10 + static_cast<std::uint64_t>(digit - '0');
    } else {
      key.kind = TSortKey::kLongNumber;
      key.words[0] = digits.size();
    }
    return key;
  }
  key.kind = TSortKey::kText;
  for (std::size_t word = 0; word < key.words.size(); ++word)
    key.words[word] = BigEndian(value, word * 8);
  return key;
}

// The values' order of two keys whose packed parts are alike, `a` and `b` their texts.
std::strong_ordering CompareTies(const TSortKey& key, std::string_view a,
                                 std::string_view b) noexcept {
  switch (key.kind) {
    case TSortKey::kNumber:
      return std::strong_ordering::equal;
    case TSortKey::kLongNumber:
      return Significant(a).compare(Significant(b)) <=> 0;
    default:
      break;
  }
  // Within the prefix the texts are alike: two that end within it differ at most in length (the
  // longer one's further bytes are zeros, and it comes after).
  if (a.size() <= kPrefixBytes && b.size() <= kPrefixBytes) return a.size() <=> b.size();
  return a.compare(b) <=> 0;
}

// Whether the values of two keys are equal in the values' order, `textAt(place)` a key's text.
template <class TextAt>
bool EqualValues(const TSortKey& a, const TSortKey& b, TextAt& textAt) {
  if (a.kind != b.kind || a.words != b.words) return false;
  if (a.kind == TSortKey::kNumber) return true;
  return CompareTies(a, textAt(a.place), textAt(b.place)) == 0;
}

// The keys of `count` values, `textAt(i)` the i-th, in order: by the values' order, then (with
// `byBytes`) by their bytes, so that equal texts are adjacent, then by their places. The packed
// parts decide most comparisons, inline; a text is read again only where they tie.
template <class TextAt>
std::vector<TSortKey> SortedKeys(std::size_t count, TextAt& textAt, bool byBytes) {
  if (count > kMaxValues) throw std::length_error("too many records to sort");
  std::vector<TSortKey> keys;
  keys.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    keys.push_back(KeyOf(textAt(i), i));
  std::sort(keys.begin(), keys.end(), [&](const TSortKey& a, const TSortKey& b) {
    if (a.kind != b.kind) return a.kind < b.kind;
    if (a.words[0] != b.words[0]) return a.words[0] < b.words[0];
    if (a.words[1] != b.words[1]) return a.words[1] < b.words[1];
    if (a.words[2] != b.words[2]) return a.words[2] < b.words[2];
    const bool sameValue =
        a.kind == TSortKey::kNumber ||
        (a.kind == TSortKey::kText && a.size == b.size && a.size <= kPrefixBytes);
    if (!sameValue || byBytes) {
      const std::string_view textA = textAt(a.place);
      const std::string_view textB = textAt(b.place);
      const std::strong_ordering order = CompareTies(a, textA, textB);
      if (order != 0) return order < 0;
      if (byBytes && textA != textB) return textA < textB;
    }
    return a.place < b.place;
  });
  return keys;
}

}  // namespace

std::strong_ordering CompareValues(std::string_view a, std::string_view b) noexcept {
  const TSortKey keyA = KeyOf(a, 0);
  const TSortKey keyB = KeyOf(b, 0);
  if (keyA.kind != keyB.kind) return std::uint32_t{keyA.kind} <=> std::uint32_t{keyB.kind};
  if (keyA.words != keyB.words) return keyA.words <=> keyB.words;
  return CompareTies(keyA, a, b);
}

TLogList SortRecords(const TLogList& records, TLogField field, TSortDirection direction) {
  // A record's field, read through a cursor: quick in the list's order (the keys' first
  // reading), a search for the record elsewhere (ties of long texts).
  TLogList::TCursor cursor(records);
  auto textAt = [&](std::size_t place) { return cursor.At(place).Field(field); };
  std::vector<TSortKey> keys = SortedKeys(records.size(), textAt, false);
  if (direction == TSortDirection::kDescending) {
    // The values' order reversed, equal values still in the records' order: each run of equal
    // values keeps its place within the run.
    std::reverse(keys.begin(), keys.end());
    for (auto run = keys.begin(); run != keys.end();) {
      auto end = run + 1;
      while (end != keys.end() && EqualValues(*run, *end, textAt))
        ++end;
      std::reverse(run, end);
      run = end;
    }
  }
  TLogList result;
  result.reserve(keys.size());
  for (const TSortKey& key : keys)
    result.push_back(records[key.place]);
  return result;
}

std::vector<std::uint32_t> OrderOfValues(std::span<const std::string_view> values) {
  auto textAt = [&](std::size_t place) { return values[place]; };
  const std::vector<TSortKey> keys = SortedKeys(values.size(), textAt, true);
  std::vector<std::uint32_t> order;
  order.reserve(keys.size());
  for (const TSortKey& key : keys)
    order.push_back(key.place);
  return order;
}

}  // namespace core
