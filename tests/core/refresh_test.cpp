// Reading only what changed: a refresh of the loaded day folders, and a load that keeps the files
// it has already read, give exactly the records and the result of reading every file afresh.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "support/analyzer_harness.h"
#include "support/log_lines.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::Accounts;
using korlo_test::AnalyzerHarness;
using korlo_test::LogLine;
using korlo_test::TempTree;
using korlo_test::U8;

// The native file system, counting the bytes each file is read from (by its name).
class CountingFiles : public platform::IFileSystem {
 public:
  bool DirectoryExists(std::u16string_view path) const override {
    return platform::NativeFileSystem().DirectoryExists(path);
  }
  std::vector<std::u16string> EnumerateEntries(std::u16string_view directory,
                                               std::u16string_view pattern,
                                               platform::HiddenEntries hidden) const override {
    return platform::NativeFileSystem().EnumerateEntries(directory, pattern, hidden);
  }
  void ReadWholeFile(std::u16string_view path, std::string& bytes) const override {
    platform::NativeFileSystem().ReadWholeFile(path, bytes);
  }
  std::unique_ptr<platform::IFileReader> OpenForReading(std::u16string_view path,
                                                        std::uint64_t offset) const override {
    const std::lock_guard lock(mutex_);
    opened_[U8(path.substr(path.find_last_of(u'\\') + 1))].push_back(offset);
    return platform::NativeFileSystem().OpenForReading(path, offset);
  }
  std::optional<platform::TFileStamp> StampOf(std::u16string_view path) const override {
    return platform::NativeFileSystem().StampOf(path);
  }

  // Every open since the last call: the file's name and the offsets it was opened at.
  std::map<std::string, std::vector<std::uint64_t>> TakeOpens() const {
    const std::lock_guard lock(mutex_);
    return std::exchange(opened_, {});
  }

 private:
  mutable std::mutex mutex_;
  mutable std::map<std::string, std::vector<std::uint64_t>> opened_;
};

// A server root, an analyzer that loaded some of its days and refreshes them, and a fresh
// analyzer to compare with.
class Refresh : public ::testing::Test {
 public:
  std::filesystem::path Path(const std::string& relative) const {
    return tree->Root() / ("LogServer/BaseDir/" + relative);
  }
  void Write(const std::string& relative, const std::string& bytes) {
    tree->WriteFile("LogServer/BaseDir/" + relative, bytes);
  }
  void Append(const std::string& relative, const std::string& bytes) {
    std::ofstream out(Path(relative), std::ios::binary | std::ios::app);
    out << bytes;
  }
  static std::string Lines(std::initializer_list<const char*> accounts) {
    std::string bytes;
    for (const char* account : accounts)
      bytes += LogLine(account) + "\r\n";
    return bytes;
  }
  // Enough lines that a file holding them is read on from its end when it grows, not read
  // again: accounts `letter`0 to `letter`5999, none holding a "k".
  static std::string Padding(char letter = 'p') {
    std::string bytes;
    for (int i = 0; i < 6000; ++i)
      bytes += LogLine(letter + std::to_string(i)) + "\r\n";
    return bytes;
  }
  void Load(AnalyzerHarness& harness, std::initializer_list<std::u16string_view> days) {
    harness.State().FSelectedPath = tree->WindowsStylePath();
    harness.analyzer.RefreshDateFolders();
    harness.window.SelectDates(days);
    harness.window.keyword[0] = keyword;
    harness.window.exact[0] = false;
    harness.analyzer.LoadLogData();
    ASSERT_TRUE(harness.State().FIsDataLoaded);
  }
  // What a load of `days` reads now, from nothing.
  void ExpectAsAFreshLoad(std::initializer_list<std::u16string_view> days) {
    AnalyzerHarness fresh(platform::NativeFileSystem(), platform::kCodePageGbk);
    fresh.analyzer.SetCodePageChoice(h->analyzer.CodePageChoice());
    Load(fresh, days);
    EXPECT_EQ(Accounts(h->State().FAllLogs), Accounts(fresh.State().FAllLogs));
    EXPECT_TRUE(h->State().FAllLogs == fresh.State().FAllLogs);
    EXPECT_EQ(Accounts(h->State().FFilteredLogs), Accounts(fresh.State().FFilteredLogs));
    EXPECT_TRUE(h->State().FFilteredLogs == fresh.State().FFilteredLogs);
  }
  // A new analyzer over a new root.
  void Reset() {
    h.reset();
    tree = std::make_unique<TempTree>();
    h = std::make_unique<AnalyzerHarness>(files, platform::kCodePageGbk);
  }
  // The offset a grown file is opened at: the tail it must still hold before its complete
  // lines' end.
  static std::uint64_t OnFrom(std::size_t completeEnd) { return completeEnd - 64; }

  std::unique_ptr<TempTree> tree = std::make_unique<TempTree>();
  std::u16string keyword = u"k";  // the query both analyzers run: accounts holding a "k"
  CountingFiles files;
  std::unique_ptr<AnalyzerHarness> h =
      std::make_unique<AnalyzerHarness>(files, platform::kCodePageGbk);
};

// A table of changes to a loaded root; each refresh must give what a fresh load gives.
TEST_F(Refresh, GivesTheRecordsAndTheResultOfAFreshLoad) {
  struct Case {
    const char* name;
    std::function<void(Refresh&)> change;
    std::map<std::string, std::vector<std::uint64_t>> opened;  // name: offsets; -1 for any
  };
  constexpr std::uint64_t kWhole = 0;
  const Case cases[] = {
      {"lines appended to the last file",
       [](Refresh& r) {
         r.Append("2024-03-02/b.log", Lines({"k7", "x8"}));
       },
       {{"b.log", {1}}}},
      {"lines appended to a file in the middle of a folder",
       [](Refresh& r) { r.Append("2024-03-01/a.log", Lines({"k9"})); },
       {{"a.log", {1}}}},
      {"an unfinished last line completed",
       [](Refresh& r) { r.Append("2024-03-01/c.txt", "\tname\r\n" + Lines({"k10"})); },
       {{"c.txt", {1}}}},
      {"an unfinished last line grows, still unfinished",
       [](Refresh& r) { r.Append("2024-03-01/c.txt", "zz\tna"); },
       {{"c.txt", {1}}}},
      {"a new file sorting first",
       [](Refresh& r) { r.Write("2024-03-01/0.log", Lines({"k0"})); },
       {{"0.log", {kWhole}}}},
      {"a new .txt file",
       [](Refresh& r) { r.Write("2024-03-02/z.txt", Lines({"kz"})); },
       {{"z.txt", {kWhole}}}},
      {"a file truncated",
       [](Refresh& r) { r.Write("2024-03-01/a.log", Lines({"k1"})); },
       {{"a.log", {kWhole}}}},
      {"a file replaced by a longer one",
       [](Refresh& r) {
         r.Write("2024-03-01/a.log", Padding('q') + Lines({"n1", "kn3", "n4"}));
       },
       {{"a.log", {1, kWhole}}}},
      {"a file written again at the same size",
       [](Refresh& r) {
         r.Write("2024-03-02/b.log", Padding() + Lines({"k5", "y6"}));
       },
       {{"b.log", {kWhole}}}},
      {"a file deleted",
       [](Refresh& r) { std::filesystem::remove(r.Path("2024-03-01/a.log")); },
       {}},
      {"a day folder deleted",
       [](Refresh& r) { std::filesystem::remove_all(r.Path("2024-03-02")); },
       {}},
      {"an appended line that ends in a CR, then its LF",
       [](Refresh& r) {
         r.Append("2024-03-02/b.log", LogLine("k11") + "\r");
         r.h->analyzer.RefreshLoadedLogs();
         r.Append("2024-03-02/b.log", "\n" + LogLine("k12") + "\r\n");
       },
       {{"b.log", {1, 1}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Write("2024-03-01/a.log", Padding() + Lines({"k1", "x2"}));
    Write("2024-03-01/c.txt", Padding() + Lines({"k3", "x3"}) + LogLine("k4").substr(0, 5));
    Write("2024-03-02/b.log", Padding() + Lines({"k5", "x6"}));
    Write("2024-03-03/d.log", Lines({"k99"}));  // not loaded
    Load(*h, {u"2024-03-01", u"2024-03-02"});
    files.TakeOpens();
    c.change(*this);
    const core::TLogAnalyzer::TRefresh refresh = h->analyzer.RefreshLoadedLogs();
    EXPECT_TRUE(refresh.changed);
    EXPECT_EQ(refresh.recordsAfter, static_cast<std::int64_t>(h->State().FAllLogs.size()));
    ExpectAsAFreshLoad({u"2024-03-01", u"2024-03-02"});
    // Only the changed files were read, from the end of their complete lines when they grew.
    std::map<std::string, std::vector<bool>> opened;
    for (const auto& [name, offsets] : files.TakeOpens()) {
      for (const std::uint64_t offset : offsets)
        opened[name].push_back(offset != 0);
    }
    std::map<std::string, std::vector<bool>> expected;
    for (const auto& [name, offsets] : c.opened) {
      for (const std::uint64_t offset : offsets)
        expected[name].push_back(offset != 0);
    }
    EXPECT_EQ(opened, expected);
  }
}

// A logger that writes a line at a time: every refresh reads on from the end of what the last
// one read.
TEST_F(Refresh, AFileWrittenALineAtATimeIsReadOnFromWhereTheLastReadEnded) {
  const std::string start = Padding() + Lines({"k2"});
  Write("2024-03-01/a.log", start);
  Load(*h, {u"2024-03-01"});
  files.TakeOpens();
  std::vector<std::uint64_t> expected;
  std::uint64_t end = start.size();
  for (int i = 0; i < 20; ++i) {
    Append("2024-03-01/a.log", Lines({"kt"}));
    ASSERT_TRUE(h->analyzer.RefreshLoadedLogs().changed);
    expected.push_back(OnFrom(end));
    end += Lines({"kt"}).size();
  }
  ExpectAsAFreshLoad({u"2024-03-01"});
  EXPECT_EQ(files.TakeOpens().at("a.log"), expected);
}

TEST_F(Refresh, ReadsANewDayFolderAndLeavesEverythingAloneWhenNothingChanged) {
  Write("2024-03-01/a.log", Lines({"k1", "x2"}));
  Load(*h, {u"2024-03-01"});
  h->window.ClearTranscript();
  files.TakeOpens();

  // Nothing changed: no file is opened, no query runs, nothing is reported.
  core::TLogAnalyzer::TRefresh refresh = h->analyzer.RefreshLoadedLogs();
  EXPECT_FALSE(refresh.changed);
  EXPECT_TRUE(h->window.Transcript().empty());
  EXPECT_TRUE(files.TakeOpens().empty());

  // A new day joins the loaded ones.
  Write("2024-03-02/b.log", Lines({"k3"}));
  refresh = h->analyzer.RefreshLoadedLogs({u"2024-03-02"});
  EXPECT_TRUE(refresh.changed);
  EXPECT_EQ(refresh.recordsBefore, 2);
  EXPECT_EQ(refresh.recordsAfter, 3);
  EXPECT_EQ(h->analyzer.LoadedFolders(),
            (std::vector<std::u16string>{u"2024-03-01", u"2024-03-02"}));
  EXPECT_EQ(files.TakeOpens(), (std::map<std::string, std::vector<std::uint64_t>>{{"b.log", {0}}}));
  ExpectAsAFreshLoad({u"2024-03-01", u"2024-03-02"});
  EXPECT_EQ(h->window.Count("enabled false"), 0u);  // no busy state
}

// Under the automatic choice a file is UTF-8 only when all of its bytes are: bytes appended that
// are not, or the rest of a character cut at the end, change the choice for the whole file.
TEST_F(Refresh, TheAutomaticChoiceIsMadeForTheWholeFileAgain) {
  struct Case {
    const char* name;
    std::string start;
    std::string appended;
  };
  const std::string play = "\xE7\x8E\xA9";  // 玩 in UTF-8
  const Case cases[] = {
      {"UTF-8 file, GBK appended", Lines({"k1"}) + LogLine("k" + play) + "\r\n",
       LogLine("k\xCD\xE6") + "\r\n"},
      {"a character cut at the end, completed", Lines({"k1"}) + LogLine("k" + play.substr(0, 2)),
       play.substr(2) + "\r\n"},
      {"GBK file, UTF-8 appended", LogLine("k\xCD\xE6") + "\r\n", LogLine("k" + play) + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Write("2024-03-01/a.log", c.start);
    h->analyzer.SetCodePageChoice(core::TCodePageChoice::kAuto);
    Load(*h, {u"2024-03-01"});
    Append("2024-03-01/a.log", c.appended);
    EXPECT_TRUE(h->analyzer.RefreshLoadedLogs().changed);
    ExpectAsAFreshLoad({u"2024-03-01"});
  }
}

// The load button after the date selection changed: the folders and files already read and
// unchanged are kept, a folder no longer selected is dropped, and the load reports as always.
TEST_F(Refresh, ALoadKeepsTheUnchangedFilesItHasRead) {
  Write("2024-03-01/a.log", Lines({"k1", "x2"}));
  Write("2024-03-02/b.log", Padding() + Lines({"k3", "x3"}));
  Write("2024-03-03/c.log", Lines({"k4"}));
  Load(*h, {u"2024-03-01", u"2024-03-02"});
  files.TakeOpens();
  Append("2024-03-02/b.log", Lines({"k5"}));
  h->window.SelectDates({u"2024-03-02", u"2024-03-03"});
  h->window.ClearTranscript();
  h->analyzer.LoadLogData();
  EXPECT_EQ(files.TakeOpens(),
            (std::map<std::string, std::vector<std::uint64_t>>{
                {"b.log", {OnFrom((Padding() + Lines({"k3", "x3"})).size())}}, {"c.log", {0}}}));
  ExpectAsAFreshLoad({u"2024-03-02", u"2024-03-03"});
  EXPECT_EQ(h->window.Lines("status 已加载"),
            (std::vector<std::string>{"status 已加载 2 个文件，共 6004 条记录"}));
  EXPECT_EQ(U8(h->State().FCurrentSelectedDate), "2024-03-02");
}

}  // namespace
