// What the native file system does alike on every platform: directory tests of plain paths,
// folders that cannot be listed, the order of a listing, and exact reads. Each platform's own tests
// add its kinds of entries (links and FIFOs, hidden and system attributes, sharing).

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

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

// Windows lists an NTFS folder by upper-cased name, whatever order its files were made in; the
// POSIX layer sorts into that order, so that the same files give the same records everywhere.
TEST_F(FileSystemTest, EnumerationListsNamesInUpperCasedUnitOrder) {
  // Made in an order that is neither name order nor plain unit order. Plain unit order would put
  // "Z.log" and "_x.log" before "a_.log", and "\u00D6.log" (Ö) before "\u00E4.log" (ä); lower-
  // casing would put "_x.log" before "A.log".
  const std::u16string created[] = {u"b.log",  u"_x.log",     u"\u4E2D\u6587.log", u"A.log",
                                    u"9.log",  u"Z.log",      u"\u00D6.log",       u"a_.log",
                                    u"10.log", u"\u00E4.log", u"notes.txt"};
  for (const std::u16string& name : created) {
    std::ofstream(tree_.Root() / std::filesystem::path(name)) << "x";
  }
  std::filesystem::create_directory(tree_.Root() / "sub.d");
  const std::vector<std::u16string> logs = {
      u"10.log", u"9.log",  u"A.log",      u"a_.log",     u"b.log",
      u"Z.log",  u"_x.log", u"\u00E4.log", u"\u00D6.log", u"\u4E2D\u6587.log"};
  std::vector<std::u16string> everything = {u".", u".."};
  everything.insert(everything.end(), logs.begin(), logs.begin() + 5);
  everything.push_back(u"notes.txt");
  everything.push_back(u"sub.d");
  everything.insert(everything.end(), logs.begin() + 5, logs.end());
  struct Case {
    const char* name;
    std::u16string_view pattern;
    HiddenEntries hidden;
    std::vector<std::u16string> expected;
  };
  const Case cases[] = {
      {"logs", u"*.log", HiddenEntries::kInclude, logs},
      {"every entry, the dot entries first", u"*", HiddenEntries::kInclude, everything},
      {"every entry by \"*.*\"", u"*.*", HiddenEntries::kInclude, everything},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(fileSystem_.EnumerateEntries(tree_.WindowsStylePath(), c.pattern, c.hidden),
              c.expected);
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

    // Read in parts of every size, the same bytes.
    for (const std::size_t part : {std::size_t{1}, std::size_t{7}, std::size_t{1} << 16}) {
      const std::unique_ptr<IFileReader> reader =
          fileSystem_.OpenForReading(tree_.WindowsStylePath("day/file.log"));
      std::string parts;
      std::string buffer(part, '\0');
      while (const std::size_t count = reader->Read(buffer.data(), part))
        parts.append(buffer, 0, count);
      EXPECT_TRUE(parts == c.content) << "parts of " << part << ": " << parts.size() << " bytes";
    }
  }
}

}  // namespace
}  // namespace platform
