// What the native file system does alike on every platform: directory tests of plain paths,
// folders that cannot be listed, and exact reads. Each platform's own tests add its kinds of
// entries (links and FIFOs, hidden and system attributes, sharing).

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_tree.h"

namespace platform {
namespace {

class FileSystemTest : public testing::Test {
 protected:
  const IFileSystem& fileSystem_ = NativeFileSystem();
  korlo_test::TempTree tree_;
};

TEST_F(FileSystemTest, DirectoryExistsForFoldersOnly) {
  tree_.MakeDir("2024-03-01/sub");
  tree_.WriteFile("2024-03-01/a.log", "x");
  struct Case {
    const char* name;
    std::u16string path;
    bool exists;
  };
  const Case cases[] = {
      {"root", tree_.WindowsStylePath(), true},
      {"nested folder with backslashes", tree_.WindowsStylePath("2024-03-01/sub"), true},
      {"trailing backslash", tree_.WindowsStylePath("2024-03-01") + u"\\", true},
      {"regular file", tree_.WindowsStylePath("2024-03-01/a.log"), false},
      {"missing", tree_.WindowsStylePath("2024-03-02"), false},
      {"embedded NUL cutting to an existing folder",
       tree_.WindowsStylePath("2024-03-01") + std::u16string(1, u'\0') + u"x", false},
      {"empty", u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(fileSystem_.DirectoryExists(c.path), c.exists);
  }
}

TEST_F(FileSystemTest, FolderThatCannotBeListedGivesNoEntries) {
  tree_.WriteFile("file.log", "");
  tree_.WriteFile("day/a.log", "");
  struct Case {
    const char* name;
    std::u16string path;
  };
  const Case cases[] = {
      {"missing", tree_.WindowsStylePath("missing")},
      {"regular file", tree_.WindowsStylePath("file.log")},
      {"embedded NUL cutting to an existing folder",
       tree_.WindowsStylePath("day") + std::u16string(1, u'\0') + u"x"},
      {"empty path", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(fileSystem_.EnumerateEntries(c.path, u"*", HiddenEntries::kInclude).empty());
  }
}

TEST_F(FileSystemTest, ReadGivesTheBytesExactlyAndReplacesTheBuffer) {
  struct Case {
    const char* name;
    std::string content;
  };
  const Case cases[] = {
      {"empty", ""},
      {"CRLF line ends", "a\tb\r\nc\td\r\n"},
      {"NUL bytes", std::string("\0x\0\0y\0", 6)},
      {"NUL bytes and Ctrl-Z", std::string("\0x\x1A\0y\0", 6)},
      {"GBK text and a UTF-8 BOM", "\xEF\xBB\xBF\xD6\xD0\xCE\xC4\r\n"},
      {"larger than a page", std::string(1 << 20, 'q') + "end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tree_.WriteFile("day/file.log", c.content);
    std::string bytes = "stale content from an earlier read";
    fileSystem_.ReadWholeFile(tree_.WindowsStylePath("day/file.log"), bytes);
    EXPECT_TRUE(bytes == c.content) << "read " << bytes.size() << " bytes";
  }
}

}  // namespace
}  // namespace platform
