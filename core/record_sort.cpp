#include "core/record_sort.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace core {

namespace {

// A value's place in the sort, packed so that most comparisons touch only the key, not the text
// (which lies scattered over the record blocks): numbers of up to 19 significant digits by their
// value, longer numbers by their digit count, text by its first 16 bytes and its length. Keys
// that tie there compare their texts.
struct TSortKey {
  enum TKind : std::uint32_t { kNumber, kLongNumber, kText };
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  const char* text = nullptr;  // the value, in its record's block
  std::uint32_t size = 0;      // the value's bytes (at most the field's 32-bit end)
  std::uint32_t kind : 2 = kText;
  std::uint32_t record : 30 = 0;  // the record's index in the list sorted
  std::string_view Text() const noexcept { return {text, size}; }
};
static_assert(sizeof(TSortKey) == 32);

constexpr std::size_t kMaxShortDigits = 19;  // below 2^64
constexpr std::size_t kPrefixBytes = 16;     // in `high` and `low`
constexpr std::size_t kMaxRecords = std::size_t{1} << 30;

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

TSortKey KeyOf(std::string_view value, std::size_t record) noexcept {
  TSortKey key;
  key.text = value.data();
  key.size = static_cast<std::uint32_t>(value.size());
  key.record = static_cast<std::uint32_t>(record) & (kMaxRecords - 1);
  if (AllDigits(value)) {
    const std::string_view digits = Significant(value);
    if (digits.size() <= kMaxShortDigits) {
      key.kind = TSortKey::kNumber;
      for (const char digit : digits)
        key.high = key.high * 10 + static_cast<std::uint64_t>(digit - '0');
    } else {
      key.kind = TSortKey::kLongNumber;
      key.high = digits.size();
    }
    return key;
  }
  key.kind = TSortKey::kText;
  key.high = BigEndian(value, 0);
  key.low = BigEndian(value, 8);
  return key;
}

// The values' order of two keys: the key first, the texts only where it ties.
std::strong_ordering CompareKeys(const TSortKey& a, const TSortKey& b) noexcept {
  if (a.kind != b.kind) return std::uint32_t{a.kind} <=> std::uint32_t{b.kind};
  if (a.high != b.high) return a.high <=> b.high;
  if (a.low != b.low) return a.low <=> b.low;
  switch (a.kind) {
    case TSortKey::kNumber:
      return std::strong_ordering::equal;
    case TSortKey::kLongNumber:
      return Significant(a.Text()).compare(Significant(b.Text())) <=> 0;
    default:
      break;
  }
  // Texts whose first 16 bytes are alike and that end within them differ only in length (their
  // prefixes hold zeros past their ends).
  if (a.size <= kPrefixBytes && b.size <= kPrefixBytes && a.size != b.size &&
      std::memchr(a.text, 0, a.size) == nullptr && std::memchr(b.text, 0, b.size) == nullptr) {
    return a.size <=> b.size;
  }
  if (a.size == b.size && a.size <= kPrefixBytes) {
    return std::memcmp(a.text, b.text, a.size) <=> 0;
  }
  return a.Text().compare(b.Text()) <=> 0;
}

// The records' keys, sorted: by the value's order, then (with `byBytes`) by the text's bytes, so
// that equal texts are adjacent, then by the record's place. The keys point into the list's
// blocks.
std::vector<TSortKey> SortKeys(const TLogList& records, TLogField field, bool byBytes) {
  if (records.size() > kMaxRecords) throw std::length_error("too many records to sort");
  std::vector<TSortKey> keys;
  keys.reserve(records.size());
  TLogList::TCursor cursor(records);
  for (std::size_t i = 0; i < records.size(); ++i) {
    // The cursor's record changes with every read; its field stays in the block, which the list
    // keeps alive.
    keys.push_back(KeyOf(cursor.At(i).Field(field), i));
  }
  std::sort(keys.begin(), keys.end(), [byBytes](const TSortKey& a, const TSortKey& b) {
    const std::strong_ordering order = CompareKeys(a, b);
    if (order != 0) return order < 0;
    if (byBytes && a.Text() != b.Text()) return a.Text() < b.Text();
    return a.record < b.record;
  });
  return keys;
}

}  // namespace

std::strong_ordering CompareValues(std::string_view a, std::string_view b) noexcept {
  return CompareKeys(KeyOf(a, 0), KeyOf(b, 0));
}

TLogList SortRecords(const TLogList& records, TLogField field, TSortDirection direction) {
  std::vector<TSortKey> keys = SortKeys(records, field, false);
  if (direction == TSortDirection::kDescending) {
    // The values' order reversed, equal values still in the records' order: each run of equal
    // values keeps its place within the run.
    std::reverse(keys.begin(), keys.end());
    for (auto run = keys.begin(); run != keys.end();) {
      auto end = run + 1;
      while (end != keys.end() && CompareKeys(*run, *end) == 0)
        ++end;
      std::reverse(run, end);
      run = end;
    }
  }
  TLogList result;
  result.reserve(keys.size());
  for (const TSortKey& key : keys)
    result.push_back(records[key.record]);
  return result;
}

std::vector<std::pair<std::string_view, std::int64_t>> CountSortedValues(const TLogList& records,
                                                                         TLogField field) {
  const std::vector<TSortKey> keys = SortKeys(records, field, true);
  std::vector<std::pair<std::string_view, std::int64_t>> counts;
  for (std::size_t i = 0; i < keys.size();) {
    const std::string_view value = keys[i].Text();
    std::size_t end = i + 1;
    while (end < keys.size() && keys[end].Text() == value)
      ++end;
    counts.emplace_back(value, static_cast<std::int64_t>(end - i));
    i = end;
  }
  return counts;
}

}  // namespace core
