// The grid's sort: how values compare, and a stable sort in both directions.

#include "core/record_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/value_counts.h"

#include "support/fake_window.h"

namespace {

using core::CompareValues;
using core::TSortDirection;
using korlo_test::U8;

TEST(RecordSort, ValuesCompareAsNumbersOfAnyLengthBeforeText) {
  struct Case {
    std::string_view a;
    std::string_view b;
    std::strong_ordering expected;
  };
  const Case cases[] = {
      {"9", "10", std::strong_ordering::less},
      {"1234567890123456789", "999999999999999999", std::strong_ordering::greater},  // 19 digits
      {"007", "7", std::strong_ordering::equal},  // leading zeros do not count
      {"0", "00", std::strong_ordering::equal},
      {"99999", "a", std::strong_ordering::less},        // numbers before text
      {"", "0", std::strong_ordering::greater},          // empty is text
      {"-5", "3", std::strong_ordering::greater},        // a sign makes text
      {"kr10", "kr9", std::strong_ordering::less},       // text by code point
      {"屠龙刀", "金创药", std::strong_ordering::less},  // U+5C60 before U+91D1
      {"abc", "abcd", std::strong_ordering::less},
      // Past the packed prefix (24 bytes), the texts decide.
      {"2024-03-01 12:34:56 abcdef", "2024-03-01 12:34:56 abcdeg", std::strong_ordering::less},
      {"abcdefghijklmnopqrstuvwx", "abcdefghijklmnopqrstuvwxy", std::strong_ordering::less},
      {std::string_view("ab\0", 3), "ab", std::strong_ordering::greater},  // a NUL is a byte
      {"123456789012345678901", "99999999999999999999", std::strong_ordering::greater},
      {"000123456789012345678901", "123456789012345678901", std::strong_ordering::equal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + std::string(c.b));
    EXPECT_EQ(CompareValues(c.a, c.b), c.expected);
    EXPECT_EQ(CompareValues(c.b, c.a), 0 <=> c.expected);
  }
}

core::TLogList Records(const std::vector<std::pair<std::u16string, std::u16string>>& rows) {
  core::TLogList list;
  for (const auto& [account, serial] : rows)
    list.push_back(core::ParseLogLine(u"0\t" + account + u"\t2\tname\t4\t5\t6\t7\t8\t" + serial));
  return list;
}

std::string Accounts(const core::TLogList& list) {
  std::string text;
  for (const core::TLogRecord& record : list)
    text += (text.empty() ? "" : " ") + U8(record.Account());
  return text;
}

// Equal values keep their order, whichever the direction.
TEST(RecordSort, SortsStablyInBothDirections) {
  const core::TLogList records = Records({{u"a", u"20"},
                                          {u"b", u"3"},
                                          {u"c", u"20"},
                                          {u"d", u""},
                                          {u"e", u"0003"},
                                          {u"f", u"x1"},
                                          {u"g", u"1234567890123456789"}});
  EXPECT_EQ(
      Accounts(core::SortRecords(records, core::TLogField::ItemSerial, TSortDirection::kAscending)),
      "b e a c g d f");
  EXPECT_EQ(Accounts(core::SortRecords(records, core::TLogField::ItemSerial,
                                       TSortDirection::kDescending)),
            "f d g a c b e");
  EXPECT_EQ(Accounts(core::SortRecords(core::TLogList(), core::TLogField::Account,
                                       TSortDirection::kAscending)),
            "");
}

// Against a plain stable sort by CompareValues, on values made to tie in every part of the
// packed key: long texts sharing their first 24 bytes, numbers with leading zeros, numbers past
// 19 digits, empty values.
TEST(RecordSort, AgreesWithAPlainStableSortOnValuesThatTie) {
  const std::u16string pool[] = {
      u"",
      u"7",
      u"007",
      u"18446744073709551615",
      u"018446744073709551615",
      u"99999999999999999999",
      u"2024-03-01 12:34:56",
      u"2024-03-01 12:34:56 A",
      u"2024-03-01 12:34:56 abcdef",
      u"2024-03-01 12:34:56 abcdeg",
      u"屠龙刀屠龙刀屠龙刀",
      u"屠龙刀屠龙刀屠龙刀屠",
      u"kr1",
  };
  std::vector<std::pair<std::u16string, std::u16string>> rows;
  std::uint32_t state = 12345;
  for (int i = 0; i < 400; ++i) {
    state = state * 1103515245u + 12345u;
    rows.emplace_back(u"r" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                          std::u16string(1, static_cast<char16_t>(u'a' + i / 26)),
                      pool[(state >> 16) % std::size(pool)]);
  }
  const core::TLogList records = Records(rows);
  std::vector<core::TLogRecord> expected(records.begin(), records.end());
  const auto serial = [](const core::TLogRecord& r) {
    return r.Field(core::TLogField::ItemSerial);
  };
  std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
    return CompareValues(serial(a), serial(b)) < 0;
  });
  const core::TLogList ascending =
      core::SortRecords(records, core::TLogField::ItemSerial, TSortDirection::kAscending);
  EXPECT_EQ(std::vector<core::TLogRecord>(ascending.begin(), ascending.end()), expected);
  std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
    return CompareValues(serial(a), serial(b)) > 0;
  });
  const core::TLogList descending =
      core::SortRecords(records, core::TLogField::ItemSerial, TSortDirection::kDescending);
  EXPECT_EQ(std::vector<core::TLogRecord>(descending.begin(), descending.end()), expected);

  // The counts: each distinct text once (007 and 7 apart), most frequent first, then in the
  // values' order, equal values by their bytes.
  std::map<std::string, std::int64_t> tally;
  for (const core::TLogRecord& record : records)
    ++tally[std::string(serial(record))];
  std::vector<core::TValueCount> table;
  for (const auto& [value, count] : tally)
    table.push_back({value, count});
  std::stable_sort(table.begin(), table.end(), [](const auto& a, const auto& b) {
    const std::strong_ordering order = CompareValues(a.value, b.value);
    return order != 0 ? order < 0 : a.value < b.value;
  });
  std::stable_sort(table.begin(), table.end(),
                   [](const auto& a, const auto& b) { return a.count > b.count; });
  EXPECT_EQ(core::CountValues(records, core::TLogField::ItemSerial), table);
}

}  // namespace
