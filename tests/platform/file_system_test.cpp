// What the native file system does alike on every platform: directory tests of plain paths,
// folders that cannot be listed, the order of a listing, and exact reads. Each platform's own tests
// add its kinds of entries (links and FIFOs, hidden and system attributes, sharing).

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
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

TEST_F(FileSystemTest, ReadsFromAnOffsetAndTellsTheStampOfWhatItOpened) {
  const std::u16string path = tree_.WindowsStylePath("day/file.log");
  tree_.WriteFile("day/file.log", "0123456789");
  struct Case {
    std::uint64_t offset;
    std::string rest;
  };
  const Case cases[] = {{0, "0123456789"}, {4, "456789"}, {10, ""}, {99, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    const std::unique_ptr<IFileReader> reader = fileSystem_.OpenForReading(path, c.offset);
    std::string bytes(16, '\0');
    bytes.resize(reader->Read(bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, c.rest);
    EXPECT_EQ(reader->Stamp(), fileSystem_.StampOf(path));
    ASSERT_TRUE(reader->Stamp().has_value());
    EXPECT_EQ(reader->Stamp()->size, 10u);
  }
  const std::optional<TFileStamp> before = fileSystem_.StampOf(path);
  {
    std::ofstream out(tree_.Root() / "day/file.log", std::ios::binary | std::ios::app);
    out << "ab";
  }
  const std::optional<TFileStamp> after = fileSystem_.StampOf(path);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->size, 12u);
  EXPECT_NE(after, before);
  // Nothing to stamp: no file, or a folder.
  EXPECT_EQ(fileSystem_.StampOf(tree_.WindowsStylePath("day/missing.log")), std::nullopt);
  EXPECT_EQ(fileSystem_.StampOf(tree_.WindowsStylePath("day")), std::nullopt);
}

// A live server's logger goes on appending to, renaming and deleting a log while the program
// reads it; the read takes the file as it was when opened.
TEST_F(FileSystemTest, OthersMayAppendRenameAndDeleteAFileWhileItIsRead) {
  const std::filesystem::path file = tree_.WriteFile("day/a.log", "line1\r\n");
  const std::unique_ptr<IFileReader> reader =
      fileSystem_.OpenForReading(tree_.WindowsStylePath("day/a.log"));
  {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    ASSERT_TRUE(out.is_open());
    out << "line2\r\n";
    out.flush();
    EXPECT_TRUE(out.good());
  }
  std::error_code error;
  std::filesystem::rename(file, tree_.Root() / "day/a.log.1", error);
  EXPECT_FALSE(error) << error.message();
  tree_.WriteFile("day/a.log", "new\r\n");
  EXPECT_TRUE(std::filesystem::remove(tree_.Root() / "day/a.log.1", error)) << error.message();
  std::string bytes(64, '\0');
  bytes.resize(reader->Read(bytes.data(), bytes.size()));
  EXPECT_EQ(bytes, "line1\r\n");
}

}  // namespace
}  // namespace platform
