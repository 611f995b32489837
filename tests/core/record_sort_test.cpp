// The grid's sort: how values compare, and a stable sort in both directions.

#include "core/record_sort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
