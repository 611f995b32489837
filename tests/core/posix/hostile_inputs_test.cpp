// Hostile entries and contents on the operator's disk: none may hang, crash, exhaust memory or
// leave the window busy. A file that cannot be read ends the load like a locked file: an error
// naming it, and everything of the load before kept.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/os_error.h"
#include "platform/unicode.h"
#include "support/analyzer_harness.h"
#include "support/log_lines.h"
#include "support/temp_tree.h"

namespace {

namespace fs = std::filesystem;
using korlo_test::AnalyzerHarness;
using korlo_test::LogLine;
using korlo_test::TempTree;
using korlo_test::U8;

const std::string kDay = "LogServer/BaseDir/2024-03-02/";

// A root whose day 2024-03-01 has loaded one record ("old"); day 2024-03-02 is selected next.
struct HostileLoad : ::testing::Test {
  void SetUp() override {
    tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log", LogLine("old") + "\r\n");
    tree.WriteFile(kDay + "a.log", LogLine("new") + "\r\n");
    h.State().FSelectedPath = tree.WindowsStylePath();
    h.analyzer.RefreshDateFolders();
    h.window.SelectDates({u"2024-03-01"});
    h.analyzer.LoadLogData();
    h.window.SelectDates({u"2024-03-02"});
  }

  // Loads 2024-03-02 and expects it to fail on `name` with the load of before kept.
  void ExpectFailsOn(const std::string& name) {
    std::string message;
    try {
      h.analyzer.LoadLogData();
    } catch (const platform::OsError& error) {
      message = U8(error.Message());
    }
    EXPECT_NE(message.find("2024-03-02/" + name), std::string::npos) << message;
    ASSERT_EQ(h.State().FAllLogs.size(), 1u);
    EXPECT_EQ(U8(h.State().FAllLogs[0].Account()), "old");
    EXPECT_EQ(U8(h.State().FCurrentSelectedDate), "2024-03-01");
    EXPECT_FALSE(h.State().FIsLoading);
    EXPECT_TRUE(h.window.ControlsEnabled());
    EXPECT_FALSE(h.window.ProgressVisible());
  }

  // Loads 2024-03-02, which must succeed, and returns its records.
  const core::TLogList& LoadsFine() {
    h.analyzer.LoadLogData();
    EXPECT_EQ(U8(h.State().FCurrentSelectedDate), "2024-03-02");
    return h.State().FAllLogs;
  }

  TempTree tree;
  AnalyzerHarness h;
};

TEST_F(HostileLoad, EntriesThatAreNotRegularFilesFailWithoutBlocking) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
  };
  const Case cases[] = {
      {"a FIFO", [](const fs::path& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); }},
      {"a link to an endless device",
       [](const fs::path& at) { fs::create_symlink("/dev/zero", at); }},
      {"a dangling link",
       [](const fs::path& at) { fs::create_symlink(at.string() + ".gone", at); }},
      {"a link loop",
       [](const fs::path& at) {
         fs::create_symlink(at.string() + ".other", at);
         fs::create_symlink(at, at.string() + ".other");
       }},
      {"a directory", [](const fs::path& at) { fs::create_directory(at); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path entry = tree.Root() / (kDay + "x.log");
    c.make(entry);
    ExpectFailsOn("x.log");
    fs::remove_all(entry);
    fs::remove(entry.string() + ".other");
  }
}

// A file system whose listed file is gone by the time it is opened.
class VanishingFileSystem : public platform::IFileSystem {
 public:
  bool DirectoryExists(std::u16string_view path) const override {
    return native_.DirectoryExists(path);
  }
  std::vector<std::u16string> EnumerateEntries(std::u16string_view directory,
                                               std::u16string_view pattern,
                                               platform::HiddenEntries hidden) const override {
    std::vector<std::u16string> names = native_.EnumerateEntries(directory, pattern, hidden);
    if (pattern == u"*.log" && directory.find(u"2024-03-02") != std::u16string_view::npos) {
      for (const std::u16string& name : names) {
        std::u16string path = std::u16string(directory) + name;
        std::replace(path.begin(), path.end(), u'\\', u'/');
        fs::remove(fs::path(platform::Utf16ToUtf8(path)));
      }
    }
    return names;
  }
  void ReadWholeFile(std::u16string_view path, std::string& bytes) const override {
    native_.ReadWholeFile(path, bytes);
  }

 private:
  const platform::IFileSystem& native_ = platform::NativeFileSystem();
};

TEST(HostileVanishing, AFileGoneBetweenListingAndOpeningFailsTheLoad) {
  TempTree tree;
  tree.WriteFile("LogServer/BaseDir/2024-03-02/a.log", LogLine("a") + "\r\n");
  VanishingFileSystem vanishing;
  AnalyzerHarness h(vanishing);
  h.State().FSelectedPath = tree.WindowsStylePath();
  h.analyzer.RefreshDateFolders();
  h.window.SelectDates({u"2024-03-02"});
  try {
    h.analyzer.LoadLogData();
    ADD_FAILURE() << "the load did not fail";
  } catch (const platform::OsError& error) {
    EXPECT_NE(U8(error.Message()).find("2024-03-02/a.log"), std::string::npos);
  }
  EXPECT_TRUE(h.State().FAllLogs.empty());
  EXPECT_FALSE(h.State().FIsDataLoaded);
  EXPECT_FALSE(h.State().FIsLoading);
}

TEST_F(HostileLoad, OddContentsLoadWithoutHarm) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t records;
  };
  std::mt19937 random(7);
  std::string garbage(1 << 20, '\0');
  for (char& byte : garbage)
    byte = static_cast<char>(random());
  std::size_t garbageLines = 0;  // the plain reading: non-empty trimmed lines
  {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= garbage.size(); ++i) {
      const bool end = i == garbage.size() || garbage[i] == '\r' || garbage[i] == '\n';
      if (!end) continue;
      for (std::size_t k = start; k < i; ++k) {
        if (static_cast<unsigned char>(garbage[k]) > 0x20) {
          ++garbageLines;
          break;
        }
      }
      start = i + 1;
    }
  }
  const Case cases[] = {
      {"empty file", "", 0},
      {"binary garbage", garbage, garbageLines},
      {"a line of 100,000 TABs between two words", "x" + std::string(100000, '\t') + "y", 1},
      {"NUL bytes everywhere",
       std::string(1000, '\0') + LogLine("n") + "\r\n" + std::string(1000, '\0'), 1},
      {"every invalid GBK sequence class",
       "0\t\x80\xFF\t2\t\x81\t4\t\x81\x7F\t\x81\x30\x81\t\xFE\t\xA1\r\n", 1},
      {"UTF-8 in a GBK log", "0\t\xE5\xB8\x90\xE5\x8F\xB7\xF0\x9F\x98\x80\r\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tree.WriteFile(kDay + "a.log", c.bytes);
    EXPECT_EQ(LoadsFine().size(), c.records);
    EXPECT_FALSE(h.State().FIsLoading);
  }
}

TEST_F(HostileLoad, AHugeLineWithoutLineEndBecomesOneRecord) {
  // 16 parts, the Remark part 20 MB long: the fields of one record past every compact limit.
  const std::string remark(20 << 20, 'r');
  tree.WriteFile(kDay + "a.log",
                 "0\tacc\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t" + remark + "\ttime");
  const core::TLogList& records = LoadsFine();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Remark().size(), remark.size());
  EXPECT_EQ(U8(records[0].LogTime()), "time");
  EXPECT_EQ(U8(records[0].Account()), "acc");
}

}  // namespace
