// The day-folder scan on Windows: folders the system marks hidden or system are not listed.

#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"

#include <filesystem>
#include <string>
#include <vector>

#include "support/analyzer_harness.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::AnalyzerHarness;
using korlo_test::TempTree;

TEST(Win32DayFolders, FoldersMarkedHiddenOrSystemAreNotListed) {
  struct Case {
    const char* name;
    DWORD attributes;
    bool listed;
  };
  const Case cases[] = {
      {"2024-03-01", FILE_ATTRIBUTE_NORMAL, true},
      {"2024-03-02", FILE_ATTRIBUTE_HIDDEN, false},
      {"2024-03-03", FILE_ATTRIBUTE_SYSTEM, false},
      {"2024-03-04", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
      {"2024-03-05", FILE_ATTRIBUTE_READONLY, true},
  };
  TempTree tree;
  std::vector<std::u16string> expected;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path folder = tree.MakeDir(std::string("LogServer/BaseDir/") + c.name);
    ASSERT_NE(SetFileAttributesW(folder.c_str(), c.attributes), FALSE);
    // A volume that does not keep the attributes would make the scan's result prove nothing.
    constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_EQ(GetFileAttributesW(folder.c_str()) & kHiddenOrSystem, c.attributes & kHiddenOrSystem);
    if (c.listed) expected.push_back(std::u16string(c.name, c.name + 10));
  }
  AnalyzerHarness h;
  h.State().FSelectedPath = tree.WindowsStylePath();
  h.analyzer.RefreshDateFolders();
  EXPECT_EQ(h.window.DateNames(), expected);
  EXPECT_EQ(h.window.Transcript(), std::vector<std::string>{"status 找到 2 个日期文件夹"});
}

}  // namespace
