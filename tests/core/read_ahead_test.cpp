#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/log_record.h"
#include "core/read_ahead.h"
#include "platform/os_error.h"
#include "support/analyzer_harness.h"
#include "support/log_lines.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::AnalyzerHarness;
using korlo_test::LogLine;
using korlo_test::TempTree;
using korlo_test::U8;

// Every field of every record, one text per record.
std::vector<std::string> FieldsOf(const core::TLogList& list) {
  std::vector<std::string> texts;
  texts.reserve(list.size());
  for (const core::TLogRecord& record : list) {
    std::string text;
    for (std::size_t i = 0; i < core::kLogFieldCount; ++i) {
      text += record.Field(static_cast<core::TLogField>(i));
      text += '|';
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

// How a file system gives a file in parts.
enum class Parts { kWholeFileFirst, kFiveBytesARead };

// One file, served from memory: read whole first, as a file system that substitutes only
// ReadWholeFile does, or a few bytes a read, as a slow device may.
class OneFile : public platform::IFileSystem {
 public:
  explicit OneFile(std::string bytes, Parts parts = Parts::kWholeFileFirst)
      : bytes_(std::move(bytes)), parts_(parts) {}
  bool DirectoryExists(std::u16string_view) const override { return false; }
  std::vector<std::u16string> EnumerateEntries(std::u16string_view, std::u16string_view,
                                               platform::HiddenEntries) const override {
    return {};
  }
  void ReadWholeFile(std::u16string_view, std::string& bytes) const override {
    bytes = bytes_;  // exactly the file's size: a read past its end is a heap overflow
  }
  std::unique_ptr<platform::IFileReader> OpenForReading(std::u16string_view path,
                                                        std::uint64_t offset) const override {
    if (parts_ == Parts::kWholeFileFirst) return IFileSystem::OpenForReading(path, offset);
    return std::make_unique<Trickle>(
        std::string_view(bytes_).substr(std::min<std::size_t>(offset, bytes_.size())));
  }

 private:
  class Trickle : public platform::IFileReader {
   public:
    explicit Trickle(std::string_view bytes) : left_(bytes) {}
    std::size_t Read(char* to, std::size_t most) override {
      const std::size_t count = std::min({most, left_.size(), std::size_t{5}});
      left_.copy(to, count);
      left_.remove_prefix(count);
      return count;
    }

   private:
    std::string_view left_;
  };

  std::string bytes_;
  Parts parts_;
};

// The records of the file as an independent reading gives them: the decoded text cut at every
// CR and LF, each line trimmed of characters at or below U+0020 and parsed, empty ones skipped.
core::TLogList PlainRecords(const platform::TextDecoder& decoder, std::string_view bytes) {
  const std::string text = decoder.Decode(decoder.StripByteOrderMark(bytes));
  core::TLogList records;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    std::string_view line = std::string_view(text).substr(start, i - start);
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 0x20)
      line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 0x20)
      line.remove_suffix(1);
    if (!line.empty()) records.push_back(core::ParseLogLine(line));
    start = i + 1;
  }
  return records;
}

core::TLogList CutterRecords(core::TFileCutter& cutter) {
  core::TLogList records;
  cutter.Open(u"a.log");
  while (std::unique_ptr<const core::TRecordBlock> block = cutter.Next()) {
    EXPECT_GT(block->LineCount(), 0u);
    const core::TBlockRef ref(core::TBlockRegistry::Register(std::move(block)));
    for (std::uint32_t line = 0; line < ref->LineCount(); ++line)
      records.push_back(core::TLogRecord(ref, line));
  }
  return records;
}

TEST(FileCutter, PiecesCutAnywhereGiveTheRecordsOfTheWholeFile) {
  const std::string gbk = "\xCD\xE6\xBC\xD2";  // 玩家
  const std::string longLine = LogLine(std::string(300, 'L') + gbk);
  struct Case {
    const char* name;
    platform::CodePage page;
    std::string bytes;
  };
  const Case cases[] = {
      {"CR LF", platform::kCodePageGbk,
       LogLine("a") + "\r\n" + LogLine(gbk + "b") + "\r\n" + LogLine("c") + "\r\n"},
      {"LF and CR alone, no final end", platform::kCodePageGbk,
       LogLine("a") + "\n" + LogLine("b") + "\r" + LogLine("c")},
      {"LF CR and blank lines", platform::kCodePageGbk,
       LogLine("a") + "\n\r \t\r\n\r\n" + LogLine("b") + "\n\r"},
      {"a line longer than a piece", platform::kCodePageGbk,
       LogLine("a") + "\r\n" + longLine + "\r\n" + LogLine("c")},
      {"invalid bytes that grow threefold", platform::kCodePageGbk,
       LogLine(std::string(200, '\x80')) + "\r\n" + LogLine("z") + "\r\n"},
      {"UTF-8 with a byte-order mark", platform::kCodePageUtf8,
       "\xEF\xBB\xBF" + LogLine("\xE7\x8E\xA9") + "\r\n" + LogLine("b") + "\n"},
      {"nothing but line ends", platform::kCodePageGbk, "\r\n\r\n\n\r"},
      {"empty", platform::kCodePageGbk, ""},
  };
  for (const Case& c : cases) {
    const platform::TextDecoder& decoder = platform::TextDecoder::For(c.page);
    const std::vector<std::string> expected = FieldsOf(PlainRecords(decoder, c.bytes));
    for (const Parts parts : {Parts::kWholeFileFirst, Parts::kFiveBytesARead}) {
      const OneFile file(c.bytes, parts);
      for (const std::size_t pieceBytes :
           {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{64}, std::size_t{100},
            std::size_t{1} << 20}) {
        SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(pieceBytes) +
                     (parts == Parts::kFiveBytesARead ? ", five bytes a read" : ""));
        core::TFileCutter cutter(file, {nullptr, &decoder}, pieceBytes);
        EXPECT_EQ(FieldsOf(CutterRecords(cutter)), expected);
      }
    }
  }
}

// A file whose reading fails other than by the file system (here a read that throws what a line
// too long for a record block throws): the error names the file, as the file system's do, at
// the file's turn, with or without workers.
TEST(FileCutter, AFailureThatIsNotTheFileSystemsNamesTheFile) {
  class Unreadable : public OneFile {
   public:
    Unreadable() : OneFile("") {}
    std::unique_ptr<platform::IFileReader> OpenForReading(std::u16string_view,
                                                          std::uint64_t) const override {
      throw std::length_error("record block text too large");
    }
  };
  const Unreadable files;
  const core::TFileDecoding gbk{nullptr, &platform::TextDecoder::For(platform::kCodePageGbk)};
  for (const unsigned workers : {0u, 1u}) {
    SCOPED_TRACE(workers);
    std::vector<core::TFileRead> reads(1);
    reads[0].path = u"D:\\Logs\\a.log";
    core::TReadAhead ahead(files, gbk, std::move(reads), workers);
    try {
      ahead.Next(0);
      ADD_FAILURE() << "no error";
    } catch (const platform::OsError& error) {
      EXPECT_EQ(U8(error.Message()), "D:\\Logs\\a.log: record block text too large");
    }
  }
}

TEST(FileCutter, ChoosesUtf8ForWellFormedUtf8UnderTheAutomaticChoice) {
  const std::string utf8 = LogLine("\xE7\x8E\xA9") + "\r\n";  // 玩 in UTF-8
  const std::string gbk = LogLine("\xCD\xE6") + "\r\n";       // 玩 in GBK, not UTF-8
  const core::TFileDecoding automatic{&platform::TextDecoder::For(platform::kCodePageUtf8),
                                      &platform::TextDecoder::For(platform::kCodePageGbk)};
  for (const std::string& bytes : {utf8, gbk}) {
    const OneFile file(bytes, Parts::kFiveBytesARead);
    core::TFileCutter cutter(file, automatic, 8);
    const core::TLogList records = CutterRecords(cutter);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(U8(records[0].Account()), "\xE7\x8E\xA9");
  }
}

// Three files; opening "0.log" waits until "1.log" has been opened, so that the two are read
// at once, by a worker and by the caller, whichever takes which; "1.log" cannot be read.
class GatedFiles : public platform::IFileSystem {
 public:
  bool DirectoryExists(std::u16string_view) const override { return false; }
  std::vector<std::u16string> EnumerateEntries(std::u16string_view, std::u16string_view,
                                               platform::HiddenEntries) const override {
    return {};
  }
  void ReadWholeFile(std::u16string_view path, std::string& bytes) const override {
    if (path == u"0.log") {
      std::unique_lock lock(mutex_);
      overlapped_ = opened_.wait_for(lock, std::chrono::seconds(10), [this] { return oneOpened_; });
      bytes = LogLine("first") + "\r\n" + LogLine("second") + "\r\n";
      return;
    }
    if (path == u"1.log") {
      {
        const std::lock_guard lock(mutex_);
        oneOpened_ = true;
      }
      opened_.notify_all();
      throw platform::OsError(u"1.log: locked by another process");
    }
    bytes = LogLine("third") + "\r\n";
  }
  bool Overlapped() const {
    const std::lock_guard lock(mutex_);
    return overlapped_;
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable opened_;
  mutable bool oneOpened_ = false;
  mutable bool overlapped_ = false;
};

TEST(ReadAhead, AFileReadAheadThatFailsGivesItsErrorOnlyAtItsTurn) {
  const GatedFiles files;
  const core::TFileDecoding gbk{nullptr, &platform::TextDecoder::For(platform::kCodePageGbk)};
  std::vector<core::TFileRead> reads(3);
  reads[0].path = u"0.log";
  reads[1].path = u"1.log";
  reads[2].path = u"2.log";
  core::TReadAhead ahead(files, gbk, std::move(reads), 1);
  core::TLogList records;
  while (std::unique_ptr<const core::TRecordBlock> block = ahead.Next(0)) {
    const core::TBlockRef ref(core::TBlockRegistry::Register(std::move(block)));
    for (std::uint32_t line = 0; line < ref->LineCount(); ++line)
      records.push_back(core::TLogRecord(ref, line));
  }
  EXPECT_EQ(korlo_test::Accounts(records), "first second");
  EXPECT_TRUE(files.Overlapped()) << "the second file was not read while the first was";
  try {
    ahead.Next(1);
    ADD_FAILURE() << "no error at the failing file's turn";
  } catch (const platform::OsError& error) {
    EXPECT_EQ(U8(error.Message()), "1.log: locked by another process");
  }
}

// Everything one load showed and left.
struct Observed {
  std::vector<std::string> transcript;
  std::vector<std::string> all;
  std::vector<std::string> filtered;
  std::int64_t files = 0;
  std::int64_t records = 0;
  std::string error;
  bool loaded = false;
  bool loading = false;
  std::string date;
  std::string statusLine;
  std::string button;
  std::size_t liveBlocksAdded = 0;
};

void ExpectSame(const Observed& got, const Observed& expected) {
  EXPECT_EQ(got.transcript, expected.transcript);
  EXPECT_EQ(got.all, expected.all);
  EXPECT_EQ(got.filtered, expected.filtered);
  EXPECT_EQ(got.files, expected.files);
  EXPECT_EQ(got.records, expected.records);
  EXPECT_EQ(got.error, expected.error);
  EXPECT_EQ(got.loaded, expected.loaded);
  EXPECT_EQ(got.loading, expected.loading);
  EXPECT_EQ(got.date, expected.date);
  EXPECT_EQ(got.statusLine, expected.statusLine);
  EXPECT_EQ(got.button, expected.button);
}

// A tree of several day folders: *.log and *.txt files, empty files, files whose records cross
// the 1,000-record yields, a big file that is read in several pieces, and a folder deleted after
// the scan.
struct LoaderWorkers : ::testing::Test {
  void SetUp() override {
    const std::string gbk = "\xCD\xE6\xBC\xD2";  // 玩家
    Write("2024-03-01/a.log", Lines("a", 1500, "\r\n"));
    Write("2024-03-01/b.log", "");
    Write("2024-03-01/c.txt", Lines("c" + gbk, 2345, "\n"));
    Write("2024-03-01/d.txt", "\r\n \t\r\n");
    Write("2024-03-02/big.log", Lines("big" + gbk, 60000, "\r\n"));  // over 4 MB
    Write("2024-03-02/e.txt", Lines("e", 999, "\r"));
    Write("2024-03-04/k.log", Lines("k", 1, "\r\n"));
    Write("2024-03-04/x.log", Lines("x", 3001, "\r\n"));
    Write("2024-03-04/y.txt", Lines("y", 1000, "\r\n"));
    tree.MakeDir("LogServer/BaseDir/2024-03-03");
  }

  void Write(const std::string& relative, const std::string& bytes) {
    tree.WriteFile("LogServer/BaseDir/" + relative, bytes);
  }
  static std::string Lines(const std::string& account, int count, const char* end) {
    std::string bytes;
    for (int i = 0; i < count; ++i)
      bytes += LogLine(account + std::to_string(i)) + end;
    return bytes;
  }

  // Loads `first`, then (when given) `second`, with `workers` threads; observes the last load.
  using Dates = std::vector<std::u16string>;
  Observed Load(unsigned workers, const Dates& first, const Dates& second = {}) {
    AnalyzerHarness h;
    h.analyzer.SetLoadWorkers(workers);
    h.State().FSelectedPath = tree.WindowsStylePath();
    h.analyzer.RefreshDateFolders();
    h.window.SelectDates(first);
    h.window.keyword[0] = u"99";  // a result that is not the whole list
    if (!second.empty()) {
      h.analyzer.LoadLogData();
      h.window.SelectDates(second);
      h.State().FIsDataLoaded = false;  // as a click in the date list leaves it
    }
    std::filesystem::remove_all(tree.Root() / "LogServer/BaseDir/2024-03-03");
    h.window.ClearTranscript();
    const std::size_t blocksBefore = core::TBlockRegistry::LiveBlocks();
    Observed seen;
    try {
      h.analyzer.LoadLogData();
    } catch (const platform::OsError& error) {
      seen.error = U8(error.Message());
    }
    seen.transcript = h.window.Transcript();
    seen.all = FieldsOf(h.State().FAllLogs);
    seen.filtered = FieldsOf(h.State().FFilteredLogs);
    seen.files = h.analyzer.LastLoadCounts().files;
    seen.records = h.analyzer.LastLoadCounts().records;
    seen.loaded = h.State().FIsDataLoaded;
    seen.loading = h.State().FIsLoading;
    seen.date = U8(h.State().FCurrentSelectedDate);
    seen.statusLine = U8(h.window.StatusLine());
    seen.button = U8(h.window.LoadButtonCaption());
    seen.liveBlocksAdded = core::TBlockRegistry::LiveBlocks() - blocksBefore;
    tree.MakeDir("LogServer/BaseDir/2024-03-03");
    return seen;
  }

  TempTree tree;
};

TEST_F(LoaderWorkers, EveryNumberOfWorkersGivesTheSameLoad) {
  const Dates all = {u"2024-03-01", u"2024-03-02", u"2024-03-03", u"2024-03-04"};
  const Observed alone = Load(0, all);
  ASSERT_EQ(alone.error, "");
  EXPECT_EQ(alone.files, 9);
  EXPECT_EQ(alone.records, 1500 + 2345 + 60000 + 999 + 1 + 3001 + 1000);
  EXPECT_EQ(alone.all.size(), static_cast<std::size_t>(alone.records));
  EXPECT_EQ(std::count(alone.transcript.begin(), alone.transcript.end(), "yield"),
            3 + alone.records / 1000 + alone.records / 10000 + 3);
  for (const unsigned workers : {1u, 3u}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    ExpectSame(Load(workers, all), alone);
  }
}

TEST_F(LoaderWorkers, AFileThatFailsEndsTheLoadAlikeForEveryNumberOfWorkers) {
  // A directory named like a log: the read reports an error. Files are read before it and after
  // it in its folder, and a whole folder after it.
  tree.MakeDir("LogServer/BaseDir/2024-03-04/m.log");
  Write("2024-03-05/z.log", Lines("z", 1200, "\r\n"));
  const Dates before = {u"2024-03-01"};
  const Dates failing = {u"2024-03-02", u"2024-03-04", u"2024-03-05"};
  const Observed alone = Load(0, before, failing);
  std::string slashed = alone.error;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  EXPECT_NE(slashed.find("LogServer/BaseDir/2024-03-04/m.log"), std::string::npos) << slashed;
  EXPECT_EQ(alone.all.size(), 1500u + 2345u);  // the load before
  EXPECT_EQ(alone.statusLine, "状态：正在加载: 2024-03-04");
  EXPECT_EQ(alone.liveBlocksAdded, 0u);
  for (const unsigned workers : {1u, 3u}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    const Observed threaded = Load(workers, before, failing);
    ExpectSame(threaded, alone);
    EXPECT_EQ(threaded.liveBlocksAdded, 0u);
  }
}

}  // namespace
