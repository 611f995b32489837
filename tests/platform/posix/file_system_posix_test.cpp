// The POSIX file system: byte names, '.'-hidden entries, FIFOs, devices and links.

#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/os_error.h"
#include "platform/unicode.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::u16string> Sorted(std::vector<std::u16string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class PosixFileSystemTest : public testing::Test {
 protected:
  // The path the operator sees in an error: the fixture path with '/' separators.
  std::u16string SlashPath(std::string_view relative) const {
    return Utf8ToUtf16((tree_.Root() / std::string(relative)).string());
  }

  // The message of the OsError that reading `relative` throws; fails the test if none, or if
  // opening it to read in parts does not fail alike.
  std::u16string ReadFailure(std::string_view relative) const {
    std::string bytes;
    try {
      fileSystem_.ReadWholeFile(tree_.WindowsStylePath(relative), bytes);
    } catch (const OsError& error) {
      EXPECT_EQ(error.what(), Utf16ToUtf8(error.Message()));
      EXPECT_EQ(PartsReadFailure(tree_.WindowsStylePath(relative)), error.Message());
      return error.Message();
    }
    ADD_FAILURE() << "no OsError; read " << bytes.size() << " bytes";
    return {};
  }

  // The message of the OsError that opening `path` and reading it in parts throws.
  std::u16string PartsReadFailure(std::u16string_view path) const {
    try {
      const std::unique_ptr<IFileReader> reader = fileSystem_.OpenForReading(path);
      char part[4096];
      while (reader->Read(part, sizeof part) != 0) {
      }
    } catch (const OsError& error) {
      return error.Message();
    }
    return u"no OsError";
  }

  const IFileSystem& fileSystem_ = NativeFileSystem();
  korlo_test::TempTree tree_;
};

TEST_F(PosixFileSystemTest, DirectoryExistsFollowsLinks) {
  tree_.MakeDir("2024-03-01");
  fs::create_directory_symlink(tree_.Root() / "2024-03-01", tree_.Root() / "link-to-day");
  fs::create_symlink(tree_.Root() / "gone", tree_.Root() / "dangling");
  EXPECT_TRUE(fileSystem_.DirectoryExists(tree_.WindowsStylePath("link-to-day")));
  EXPECT_FALSE(fileSystem_.DirectoryExists(tree_.WindowsStylePath("dangling")));
}

TEST_F(PosixFileSystemTest, EnumerationSkipsDotNamesOnlyWhenAsked) {
  tree_.WriteFile("a.log", "");
  tree_.WriteFile("noext", "");
  tree_.MakeDir("folder");
  tree_.MakeDir(".hidden");
  tree_.WriteFile(".hidden/inside.log", "");
  tree_.WriteFile(".profile", "");

  EXPECT_EQ(
      Sorted(fileSystem_.EnumerateEntries(tree_.WindowsStylePath(), u"*.*", HiddenEntries::kSkip)),
      (std::vector<std::u16string>{u"a.log", u"folder", u"noext"}));
  EXPECT_EQ(Sorted(fileSystem_.EnumerateEntries(tree_.WindowsStylePath(), u"*.*",
                                                HiddenEntries::kInclude)),
            (std::vector<std::u16string>{u".", u"..", u".hidden", u".profile", u"a.log", u"folder",
                                         u"noext"}));
}

TEST_F(PosixFileSystemTest, EnumerationMatchesThePatternCaseInsensitivelyOnEveryKind) {
  tree_.WriteFile("A.LOG", "");
  tree_.WriteFile("b.log", "");
  tree_.WriteFile("c.txt", "");
  tree_.WriteFile("d.log.bak", "");
  tree_.MakeDir("x.log");
  ASSERT_EQ(::mkfifo((tree_.Root() / "pipe.log").c_str(), 0600), 0);
  fs::create_symlink(tree_.Root() / "gone", tree_.Root() / "dangling.log");

  EXPECT_EQ(
      Sorted(fileSystem_.EnumerateEntries(tree_.WindowsStylePath(), u"*.log",
                                          HiddenEntries::kInclude)),
      (std::vector<std::u16string>{u"A.LOG", u"b.log", u"dangling.log", u"pipe.log", u"x.log"}));
}

TEST_F(PosixFileSystemTest, UnreadableFolderGivesNoEntries) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  tree_.WriteFile("locked/a.log", "");
  fs::permissions(tree_.Root() / "locked", fs::perms::none);
  EXPECT_TRUE(
      fileSystem_.EnumerateEntries(tree_.WindowsStylePath("locked"), u"*", HiddenEntries::kInclude)
          .empty());
  // The fixture can remove only what it can list.
  fs::permissions(tree_.Root() / "locked", fs::perms::owner_all);
}

// Kernel attribute files report a page as their size but hold less; the read ends at their end,
// as it does for a file that shrinks while it is read.
TEST_F(PosixFileSystemTest, FileShorterThanItsReportedSizeIsReadToItsEnd) {
  const char* const kAttributeFile = "/sys/devices/system/cpu/online";
  struct stat status {};
  std::ifstream in(kAttributeFile, std::ios::binary);
  const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (::stat(kAttributeFile, &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::size_t>(status.st_size) <= content.size()) {
    GTEST_SKIP() << kAttributeFile << " is missing or holds its reported size";
  }
  std::string bytes;
  fileSystem_.ReadWholeFile(Utf8ToUtf16(kAttributeFile), bytes);
  EXPECT_EQ(bytes, content);
}

// A log still being written: the read takes what the file held when it was opened, or a little
// more, and ends; it never chases the writer.
TEST_F(PosixFileSystemTest, FileGrowingWhileReadEndsAtItsSizeWhenOpened) {
  const std::string start(8 << 20, 'a');
  const fs::path path = tree_.WriteFile("day/growing.log", start);
  std::atomic<bool> stop{false};
  std::atomic<std::size_t> written{start.size()};
  std::thread writer([&] {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    const std::string chunk(64 << 10, 'b');
    while (!stop) {
      // Counted before the bytes can reach the file: `written` never falls below its size.
      written += chunk.size();
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      out.flush();
    }
  });
  std::string bytes;
  fileSystem_.ReadWholeFile(tree_.WindowsStylePath("day/growing.log"), bytes);
  const std::size_t writtenAfterRead = written;
  stop = true;
  writer.join();
  EXPECT_GE(bytes.size(), start.size());
  EXPECT_LE(bytes.size(), writtenAfterRead);
  EXPECT_EQ(bytes.substr(0, start.size()), start);
}

TEST_F(PosixFileSystemTest, NonUtf8NameRoundTripsThroughEnumerationAndRead) {
  const std::string gbkName = "\xD6\xD0\xCE\xC4.log";  // "中文.log" in GBK
  tree_.WriteFile("day/" + gbkName, "content");

  const std::vector<std::u16string> names =
      fileSystem_.EnumerateEntries(tree_.WindowsStylePath("day"), u"*.LOG", HiddenEntries::kSkip);
  ASSERT_EQ(names.size(), 1u);
  std::string bytes;
  fileSystem_.ReadWholeFile(tree_.WindowsStylePath("day") + u"\\" + names[0], bytes);
  EXPECT_EQ(bytes, "content");
}

TEST_F(PosixFileSystemTest, ReadOfWhatIsNoRegularFileFailsNamingThePath) {
  tree_.MakeDir("day/x.log");
  ASSERT_EQ(::mkfifo((tree_.Root() / "day/fifo.log").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", tree_.Root() / "day/zero.log");
  fs::create_symlink(tree_.Root() / "day/gone.log", tree_.Root() / "day/dangling.log");
  fs::create_symlink(tree_.Root() / "day/loop-b.log", tree_.Root() / "day/loop-a.log");
  fs::create_symlink(tree_.Root() / "day/loop-a.log", tree_.Root() / "day/loop-b.log");
  struct Case {
    const char* name;
    std::string_view relative;
    std::u16string_view description;
  };
  const Case cases[] = {
      {"directory named like a log", "day/x.log", u"Is a directory"},
      {"missing file", "day/missing.log", u"No such file or directory"},
      {"missing folder", "nowhere/a.log", u"No such file or directory"},
      {"FIFO, which must not block", "day/fifo.log", u"Not a regular file"},
      {"link to a device", "day/zero.log", u"Not a regular file"},
      {"dangling link", "day/dangling.log", u"No such file or directory"},
      {"link loop", "day/loop-a.log", u"Too many levels of symbolic links"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadFailure(c.relative),
              SlashPath(c.relative) + u": " + std::u16string(c.description));
  }
}

TEST_F(PosixFileSystemTest, ReadOfAFileWithoutPermissionFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  tree_.WriteFile("secret.log", "x");
  fs::permissions(tree_.Root() / "secret.log", fs::perms::none);
  EXPECT_EQ(ReadFailure("secret.log"), SlashPath("secret.log") + u": Permission denied");
}

TEST_F(PosixFileSystemTest, ErrorMessageNamesARelativePathAsGiven) {
  try {
    std::string bytes;
    fileSystem_.ReadWholeFile(u"D:\\KorloServer\\LogServer\\BaseDir\\2024-03-01\\a.log", bytes);
    FAIL() << "no OsError";
  } catch (const OsError& error) {
    EXPECT_STREQ(error.what(),
                 "D:/KorloServer/LogServer/BaseDir/2024-03-01/a.log: No such file or directory");
  }
}

TEST_F(PosixFileSystemTest, ErrorMessageKeepsANonUtf8PathRecognizable) {
  const std::u16string gbkName = {char16_t{0xDCD6}, char16_t{0xDCD0}, u'.', u'l', u'o', u'g'};
  std::string bytes;
  try {
    fileSystem_.ReadWholeFile(tree_.WindowsStylePath() + u"\\" + gbkName, bytes);
    FAIL() << "no OsError";
  } catch (const OsError& error) {
    EXPECT_EQ(error.Message(),
              Utf8ToUtf16(tree_.Root().string()) + u"/" + gbkName + u": No such file or directory");
  }
}

}  // namespace
}  // namespace platform
