// The query's time range: which texts make a bound, what a bound keeps, and how the range joins
// the other conditions of a query.

#include "core/time_range.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "support/analyzer_harness.h"

namespace {

using core::TTimeRange;
using korlo_test::AnalyzerHarness;
using korlo_test::U8;

TEST(TimeRange, TextsMakeBoundsOnlyAtAComponentsEnd) {
  struct Case {
    std::u16string_view start;
    std::u16string_view end;
    std::variant<bool, TTimeRange::TError> expected;  // true: a range
  };
  using E = TTimeRange::TError;
  const Case cases[] = {
      {u"", u"", true},
      {u"  ", u"\t", true},  // blanks are no bound
      {u"2024", u"", true},
      {u"2024-03", u"2024-03-01 12", true},
      {u"2024-03-01 12:30:05", u" 2024-03-02 ", true},
      {u"2024-03-01 12", u"2024-03-01 12", true},  // one hour
      {u"2024-3-1", u"", E::kBadStart},
      {u"2024-03-0", u"", E::kBadStart},
      {u"2024-13-01", u"", E::kBadStart},
      {u"2024-03-01 24", u"", E::kBadStart},
      {u"2024-03-01T12", u"", E::kBadStart},
      {u"", u"2024-03-01 12:60", E::kBadEnd},
      {u"", u"昨天", E::kBadEnd},
      {u"2024-03-02", u"2024-03-01 23:59:59", E::kStartAfterEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.start) + " | " + U8(c.end));
    const auto parsed = TTimeRange::Parse(c.start, c.end);
    if (std::holds_alternative<bool>(c.expected)) {
      EXPECT_TRUE(std::holds_alternative<TTimeRange>(parsed));
    } else {
      ASSERT_TRUE(std::holds_alternative<TTimeRange::TError>(parsed));
      EXPECT_EQ(std::get<TTimeRange::TError>(parsed), std::get<TTimeRange::TError>(c.expected));
    }
  }
}

TEST(TimeRange, APrefixStartsAtItsFirstSecondAndEndsAtItsLast) {
  struct Case {
    std::u16string_view start;
    std::u16string_view end;
    std::string_view logTime;
    bool kept;
  };
  const Case cases[] = {
      {u"", u"", "no time at all", true},  // no bounds keep everything
      {u"2024-03-01 12", u"", "2024-03-01 11:59:59 拾取", false},
      {u"2024-03-01 12", u"", "2024-03-01 12:00:00 拾取", true},
      {u"", u"2024-03-01 12", "2024-03-01 12:59:59 拾取", true},
      {u"", u"2024-03-01 12", "2024-03-01 13:00:00 拾取", false},
      {u"2024-03", u"2024-03", "2024-03-31 23:59:59", true},
      {u"2024-03", u"2024-03", "2024-04-01 00:00:00", false},
      {u"2024", u"", "2023-12-31 23:59:59", false},
      {u"2024-03-01 12:30:05", u"2024-03-01 12:30:05", "2024-03-01 12:30:05", true},
      // Without a timestamp a record passes only a range without bounds.
      {u"2024", u"", "拾取 2024-03-01 12:00:00", false},
      {u"", u"2030", "2024-03-01", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.start) + " | " + U8(c.end) + " | " + std::string(c.logTime));
    const auto parsed = TTimeRange::Parse(c.start, c.end);
    ASSERT_TRUE(std::holds_alternative<TTimeRange>(parsed));
    EXPECT_EQ(std::get<TTimeRange>(parsed).Contains(c.logTime), c.kept);
  }
}

std::u16string Line(std::u16string_view account, std::u16string_view logTime) {
  return u"0\t" + std::u16string(account) +
         u"\t2\tname\t4\t5\t6\t7\t8\t9\t10\titem\t12\t13\t14\t15\t" + std::u16string(logTime);
}

std::string Accounts(const core::TLogList& list) {
  std::string text;
  for (const core::TLogRecord& record : list)
    text += (text.empty() ? "" : " ") + U8(record.Account());
  return text;
}

// The range is one more condition of the query, with the keywords; a range that cannot be read
// says why and leaves the result as it was.
TEST(TimeRangeQuery, KeepsTheRecordsInsideAndRefusesTextsItCannotRead) {
  AnalyzerHarness h;
  h.SetLoadedLines({Line(u"k1", u"2024-03-01 11:00:00 拾取"),
                    Line(u"k2", u"2024-03-01 12:10:00 拾取"),
                    Line(u"x3", u"2024-03-01 12:20:00 拾取"), Line(u"k4", u"no time"),
                    Line(u"k5", u"2024-03-01 13:00:00 拾取")});
  h.window.time[0] = u"2024-03-01 12";
  h.window.time[1] = u"2024-03-01 12";
  h.analyzer.ApplyFilter();
  EXPECT_EQ(Accounts(h.State().FFilteredLogs), "k2 x3");
  h.window.keyword[0] = u"k";
  h.window.exact[0] = false;
  h.analyzer.ApplyFilter();
  EXPECT_EQ(Accounts(h.State().FFilteredLogs), "k2");

  struct Case {
    std::u16string start;
    std::u16string end;
    std::string status;
  };
  const Case refusals[] = {
      {u"2024-03-01 1", u"",
       "状态：开始时间格式无效，请按 YYYY-MM-DD HH:MM:SS 输入，可只写前面部分"},
      {u"", u"13:00", "状态：结束时间格式无效，请按 YYYY-MM-DD HH:MM:SS 输入，可只写前面部分"},
      {u"2024-03-02", u"2024-03-01", "状态：开始时间晚于结束时间"},
  };
  for (const Case& c : refusals) {
    SCOPED_TRACE(c.status);
    h.window.time[0] = c.start;
    h.window.time[1] = c.end;
    h.window.ClearTranscript();
    h.analyzer.ApplyFilter();
    EXPECT_EQ(U8(h.window.StatusLine()), c.status);
    EXPECT_EQ(Accounts(h.State().FFilteredLogs), "k2");
    EXPECT_TRUE(h.window.Lines("render").empty());
  }
  h.window.time[0] = h.window.time[1] = u"";
  h.analyzer.ApplyFilter();
  EXPECT_EQ(Accounts(h.State().FFilteredLogs), "k1 k2 k4 k5");  // "no time" passes again
}

}  // namespace
