// The load on Windows: a log that a logger holds open for writing or appending loads like any
// other; one that another program holds without letting readers in ends the load with an error
// naming it, and everything of the load before stays.

#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "platform/os_error.h"
#include "support/analyzer_harness.h"
#include "support/log_lines.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::Accounts;
using korlo_test::AnalyzerHarness;
using korlo_test::LogLine;
using korlo_test::TempTree;
using korlo_test::U8;

// The system's description of `error`, as the platform layer adds it to a message.
std::u16string Description(DWORD error) {
  wchar_t buffer[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::u16string text(buffer, buffer + length);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' '))
    text.pop_back();
  return text;
}

TEST(Win32LoaderLockedFile, ALogALoggerHoldsLoadsAndOneLockedAgainstReadersEndsTheLoad) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  struct Case {
    const char* name;
    DWORD access;
    DWORD share;
    bool loads;
  };
  const Case cases[] = {
      {"writer sharing nothing", GENERIC_WRITE, 0, false},
      {"writer sharing reading", GENERIC_WRITE, FILE_SHARE_READ, true},
      {"server appending, sharing reading and writing", FILE_APPEND_DATA,
       FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {"server appending and sharing everything", FILE_APPEND_DATA, kShareAll, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree tree;
    tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log", LogLine("old") + "\r\n");
    tree.WriteFile("LogServer/BaseDir/2024-03-02/a.log", LogLine("new1") + "\r\n");
    const std::filesystem::path locked =
        tree.WriteFile("LogServer/BaseDir/2024-03-03/b.log", LogLine("new2") + "\r\n");
    AnalyzerHarness h;
    h.State().FSelectedPath = tree.WindowsStylePath();
    h.analyzer.RefreshDateFolders();
    h.window.SelectDates({u"2024-03-01"});
    h.analyzer.LoadLogData();
    ASSERT_EQ(Accounts(h.State().FAllLogs), "old");
    // The locked log comes after a folder read in full, whose records the failure drops.
    h.window.SelectDates({u"2024-03-02", u"2024-03-03"});
    h.State().FIsDataLoaded = false;  // as a click in the date list leaves it
    h.window.UpdateLoadButton();
    h.window.ClearTranscript();

    const HANDLE writer = CreateFileW(locked.c_str(), c.access, c.share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    if (c.loads) {
      h.analyzer.LoadLogData();
      CloseHandle(writer);
      EXPECT_EQ(Accounts(h.State().FAllLogs), "new1 new2");
      EXPECT_EQ(U8(h.window.LoadButtonCaption()), "查询/刷新");
      continue;
    }
    std::u16string message;
    try {
      h.analyzer.LoadLogData();
      ADD_FAILURE() << "the load did not fail";
    } catch (const platform::OsError& error) {
      message = error.Message();
    }
    CloseHandle(writer);

    EXPECT_EQ(U8(message), U8(tree.WindowsStylePath("LogServer/BaseDir/2024-03-03/b.log") + u": " +
                              Description(ERROR_SHARING_VIOLATION)));
    EXPECT_EQ(Accounts(h.State().FAllLogs), "old");
    EXPECT_EQ(Accounts(h.State().FFilteredLogs), "old");
    EXPECT_FALSE(h.State().FIsDataLoaded);
    EXPECT_FALSE(h.State().FIsLoading);
    EXPECT_EQ(U8(h.State().FCurrentSelectedDate), "2024-03-01");
    EXPECT_EQ(U8(h.window.LoadButtonCaption()), "加载");
    EXPECT_TRUE(h.window.ControlsEnabled());
    EXPECT_FALSE(h.window.ProgressVisible());
    EXPECT_EQ(U8(h.window.StatusLine()), "状态：正在加载: 2024-03-03");
    const std::vector<std::string> tail(h.window.Transcript().end() - 4,
                                        h.window.Transcript().end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"progress hide", "enabled true", "yield", "button 加载"}));

    // Once the writer lets go, the same load succeeds.
    h.analyzer.LoadLogData();
    EXPECT_EQ(Accounts(h.State().FAllLogs), "new1 new2");
    EXPECT_EQ(U8(h.window.LoadButtonCaption()), "查询/刷新");
  }
}

}  // namespace
