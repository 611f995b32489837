// Paths as the Windows file layer hands them to the system: the extended-length form for paths
// that the plain form cannot hold, and everything shorter unchanged.

#include "platform/win32/system_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/append_file.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

std::u16string Repeat(std::u16string_view part, int times) {
  std::u16string text;
  for (int i = 0; i < times; ++i)
    text += part;
  return text;
}

TEST(SystemPath, LongPathsTakeTheExtendedFormAndShortOnesStayAsTheyAre) {
  const std::u16string deep = Repeat(u"\\文件夹abcdefghij", 25);  // 25 x 15 = 375 units
  struct Case {
    const char* name;
    std::u16string path;
    std::u16string expected;
  };
  const Case cases[] = {
      {"short drive path", u"D:\\KorloServer\\LogServer", u"D:\\KorloServer\\LogServer"},
      {"short path with slashes", u"D:/KorloServer/x", u"D:/KorloServer/x"},
      {"long drive path", u"D:" + deep, u"\\\\?\\D:" + deep},
      {"long path with slashes and dots", u"D:" + deep + u"/x/../y/./z.log",
       u"\\\\?\\D:" + deep + u"\\y\\z.log"},
      {"long UNC path", u"\\\\server\\share" + deep, u"\\\\?\\UNC\\server\\share" + deep},
      {"already extended", u"\\\\?\\D:" + deep, u"\\\\?\\D:" + deep},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(win32::FromWide(win32::SystemPath(c.path)), c.expected);
  }
}

// A server root of more than 300 characters: every file operation of the program works in it.
// (Wine takes long plain paths that Windows refuses; the test above checks the form Windows
// needs.)
TEST(SystemPath, EveryFileOperationWorksBeneathARootOfOver300Characters) {
  korlo_test::TempTree tree;
  std::string relative;
  while (relative.size() < 300)
    relative += "a long folder name/";
  relative += "LogServer/BaseDir/2024-03-01";
  tree.MakeDir(relative);
  const std::u16string day = tree.WindowsStylePath(relative);
  ASSERT_GT(day.size(), 300u);
  const std::u16string log = day + u"\\a.log";

  AppendToFile(log, "0\tacc1\r\n");
  AppendToFile(log, "0\tacc2\r\n");
  const IFileSystem& files = NativeFileSystem();
  EXPECT_TRUE(files.DirectoryExists(day));
  EXPECT_EQ(files.EnumerateEntries(day, u"*.log", HiddenEntries::kInclude),
            std::vector<std::u16string>{u"a.log"});
  std::string bytes;
  files.ReadWholeFile(log, bytes);
  EXPECT_EQ(bytes, "0\tacc1\r\n0\tacc2\r\n");

  const std::u16string exported = day + u"\\导出.csv";
  {
    TReplacingFile file(exported);
    file.Write("header\r\n");
    file.Commit();
  }
  bytes.clear();
  files.ReadWholeFile(exported, bytes);
  EXPECT_EQ(bytes, "header\r\n");
}

}  // namespace
}  // namespace platform
