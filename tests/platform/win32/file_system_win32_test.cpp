// The Windows file system: attributes that hide entries, sharing with other handles, devices and
// pipes, names beyond the ANSI code page, and the system's wording of errors.

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os_error.h"
#include "platform/unicode.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::vector<std::u16string> Sorted(std::vector<std::u16string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

std::u16string FromWide(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

// The system's description of `error` as the operator reads it, without the line end.
std::u16string Description(DWORD error) {
  wchar_t buffer[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return FromWide(text);
}

// A handle another program might hold, closed when the test is done with it.
class OtherHandle {
 public:
  OtherHandle(const fs::path& path, DWORD access, DWORD share)
      : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OtherHandle() {
    if (IsOpen()) CloseHandle(handle_);
  }
  OtherHandle(const OtherHandle&) = delete;
  OtherHandle& operator=(const OtherHandle&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class Win32FileSystemTest : public testing::Test {
 protected:
  // Sets `attributes` on the entry at `relative` and checks that the file system kept the hidden
  // and system marks: a volume that cannot store them would make the tests prove nothing.
  void SetAttributes(std::string_view relative, DWORD attributes) const {
    const fs::path path = tree_.Root() / std::string(relative);
    ASSERT_NE(SetFileAttributesW(path.c_str(), attributes), FALSE) << relative;
    ASSERT_EQ(GetFileAttributesW(path.c_str()) & kHiddenOrSystem, attributes & kHiddenOrSystem)
        << relative;
  }

  // The message of the OsError that reading `path` throws; fails the test if none, or if
  // opening it to read in parts does not fail alike.
  std::u16string ReadFailure(std::u16string_view path) const {
    std::string bytes;
    try {
      fileSystem_.ReadWholeFile(path, bytes);
    } catch (const OsError& error) {
      // A C string: it ends at a NUL the message may hold.
      EXPECT_EQ(error.what(), Utf16ToUtf8(error.Message().substr(0, error.Message().find(u'\0'))));
      EXPECT_EQ(PartsReadFailure(path), error.Message());
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

TEST_F(Win32FileSystemTest, DirectoryExistsForFoldersOfEveryAttributeAndLetterCase) {
  tree_.MakeDir("2024-03-01/sub");
  tree_.MakeDir("hidden");
  SetAttributes("hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(fileSystem_.DirectoryExists(tree_.WindowsStylePath("hidden")));
  EXPECT_TRUE(fileSystem_.DirectoryExists(tree_.WindowsStylePath("2024-03-01/SUB")));
}

TEST_F(Win32FileSystemTest, EnumerationSkipsHiddenAndSystemEntriesOnlyWhenAsked) {
  struct Entry {
    const char* name;
    bool folder;
    DWORD attributes;
  };
  const Entry entries[] = {
      {"plain.log", false, FILE_ATTRIBUTE_NORMAL},
      {"read-only.log", false, FILE_ATTRIBUTE_READONLY},
      {"read-only folder", true, FILE_ATTRIBUTE_READONLY},
      {"hidden.log", false, FILE_ATTRIBUTE_HIDDEN},
      {"system.log", false, FILE_ATTRIBUTE_SYSTEM},
      {"hidden folder", true, FILE_ATTRIBUTE_HIDDEN},
      {"system folder", true, FILE_ATTRIBUTE_SYSTEM},
      {"hidden system.log", false, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
      {".dot-name.log", false, FILE_ATTRIBUTE_NORMAL},  // a leading '.' hides nothing here
  };
  for (const Entry& entry : entries) {
    if (entry.folder) {
      tree_.MakeDir(entry.name);
    } else {
      tree_.WriteFile(entry.name, "");
    }
    SetAttributes(entry.name, entry.attributes);
  }
  const std::vector<std::u16string> visible = {
      u".", u"..", u".dot-name.log", u"plain.log", u"read-only folder", u"read-only.log"};
  EXPECT_EQ(
      Sorted(fileSystem_.EnumerateEntries(tree_.WindowsStylePath(), u"*.*", HiddenEntries::kSkip)),
      visible);
  EXPECT_EQ(
      Sorted(
          fileSystem_.EnumerateEntries(tree_.WindowsStylePath(), u"*.*", HiddenEntries::kInclude)),
      (std::vector<std::u16string>{
          u".", u"..", u".dot-name.log", u"hidden folder", u"hidden system.log", u"hidden.log",
          u"plain.log", u"read-only folder", u"read-only.log", u"system folder", u"system.log"}));
  // A trailing backslash on the folder changes nothing.
  EXPECT_EQ(Sorted(fileSystem_.EnumerateEntries(tree_.WindowsStylePath() + u"\\", u"*.*",
                                                HiddenEntries::kSkip)),
            visible);
}

TEST_F(Win32FileSystemTest, EnumerationMatchesThePatternCaseInsensitively) {
  for (const char* name : {"A.LOG", "b.log", "c.Log", "d.txt", "e.log.bak", "flog"})
    tree_.WriteFile(name, "");
  tree_.MakeDir("x.log");
  EXPECT_EQ(Sorted(fileSystem_.EnumerateEntries(tree_.WindowsStylePath(), u"*.log",
                                                HiddenEntries::kInclude)),
            (std::vector<std::u16string>{u"A.LOG", u"b.log", u"c.Log", u"x.log"}));
  EXPECT_EQ(fileSystem_.EnumerateEntries(tree_.WindowsStylePath(), u"?.TXT", HiddenEntries::kSkip),
            std::vector<std::u16string>{u"d.txt"});
}

// Names outside the ANSI code page (936 here) go through the wide API unchanged.
TEST_F(Win32FileSystemTest, NamesBeyondTheAnsiCodePageRoundTripThroughEnumerationAndRead) {
  const std::u16string folder = u"日志 ΑΩ ☃";
  const std::u16string name = u"한국어 \U0001F600.log";
  const fs::path path = tree_.Root() / folder / name;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << "content";

  const std::u16string folderPath = tree_.WindowsStylePath() + u"\\" + folder;
  EXPECT_TRUE(fileSystem_.DirectoryExists(folderPath));
  const std::vector<std::u16string> names =
      fileSystem_.EnumerateEntries(folderPath, u"*.LOG", HiddenEntries::kSkip);
  ASSERT_EQ(names, std::vector<std::u16string>{name});
  std::string bytes;
  fileSystem_.ReadWholeFile(folderPath + u"\\" + names[0], bytes);
  EXPECT_EQ(bytes, "content");
}

// The read lets others do anything with the file meanwhile: a handle that writes, appends or
// deletes does not stop it, whatever it shares, as long as it shares reading; only a handle that
// refuses readers does.
TEST_F(Win32FileSystemTest, ReadFailsOnlyWhileAnotherHandleRefusesReaders) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  struct Case {
    const char* name;
    DWORD access;
    DWORD share;
    bool reads;
  };
  const Case cases[] = {
      {"writer sharing nothing", GENERIC_WRITE, 0, false},
      {"writer sharing reading", GENERIC_WRITE, FILE_SHARE_READ, true},
      {"writer sharing everything", GENERIC_WRITE, kShareAll, true},
      {"server appending, sharing reading and writing", FILE_APPEND_DATA,
       FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {"deleter sharing everything", DELETE, kShareAll, true},
      {"reader sharing nothing", GENERIC_READ, 0, false},
      {"reader sharing reading", GENERIC_READ, FILE_SHARE_READ, true},
      {"attribute reader sharing nothing", FILE_READ_ATTRIBUTES, 0, true},
  };
  const fs::path path = tree_.WriteFile("day/a.log", "line\r\n");
  const std::u16string shown = tree_.WindowsStylePath("day/a.log");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const OtherHandle other(path, c.access, c.share);
    ASSERT_TRUE(other.IsOpen()) << "error " << GetLastError();
    if (c.reads) {
      std::string bytes;
      fileSystem_.ReadWholeFile(shown, bytes);
      EXPECT_EQ(bytes, "line\r\n");
    } else {
      EXPECT_EQ(ReadFailure(shown), shown + u": " + Description(ERROR_SHARING_VIOLATION));
    }
  }
}

// While the program reads, a logger opens the file as loggers do and appends: its open never
// fails because of the program.
TEST_F(Win32FileSystemTest, ALoggerOpensTheFileWhileItIsRead) {
  const fs::path path = tree_.WriteFile("day/a.log", "line1\r\n");
  const std::unique_ptr<IFileReader> reader =
      fileSystem_.OpenForReading(tree_.WindowsStylePath("day/a.log"));
  for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
    SCOPED_TRACE(share);
    const HANDLE logger = CreateFileW(path.c_str(), FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(logger, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(logger, "more\r\n", 6, &written, nullptr));
    CloseHandle(logger);
  }
  std::string bytes(64, '\0');
  bytes.resize(reader->Read(bytes.data(), bytes.size()));
  EXPECT_EQ(bytes, "line1\r\n");
}

// A pipe opens like a file; reading it until it ends could block for ever.
TEST_F(Win32FileSystemTest, ReadOfAPipeFailsWithoutBlocking) {
  static std::atomic<unsigned> counter{0};
  const std::wstring name = L"\\\\.\\pipe\\korlo-test-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(counter++);
  // Two instances: ReadFailure opens the pipe twice (whole, then to read in parts), and each
  // open takes one.
  HANDLE servers[2];
  for (HANDLE& server : servers) {
    server =
        CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 2, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
  }
  EXPECT_EQ(ReadFailure(FromWide(name)), FromWide(name) + u": Not a regular file");
  for (const HANDLE server : servers)
    CloseHandle(server);
}

TEST_F(Win32FileSystemTest, ReadOfWhatIsNoReadableFileFailsNamingThePath) {
  tree_.MakeDir("day/x.log");
  struct Case {
    const char* name;
    std::u16string path;
    std::u16string description;
  };
  const Case cases[] = {
      {"directory named like a log", tree_.WindowsStylePath("day/x.log"),
       Description(ERROR_ACCESS_DENIED)},
      {"missing file", tree_.WindowsStylePath("day/missing.log"),
       Description(ERROR_FILE_NOT_FOUND)},
      {"missing folder", tree_.WindowsStylePath("nowhere/a.log"),
       Description(ERROR_PATH_NOT_FOUND)},
      {"the NUL device", u"\\\\.\\NUL", u"Not a regular file"},
      {"embedded NUL cutting to an existing folder",
       tree_.WindowsStylePath("day/x.log") + std::u16string(1, u'\0') + u"x",
       Description(ERROR_INVALID_NAME)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.description.empty());
    EXPECT_EQ(ReadFailure(c.path), c.path + u": " + c.description);
  }
}

}  // namespace
}  // namespace platform
