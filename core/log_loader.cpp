#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "core/loaded_logs.h"
#include "core/log_analyzer.h"
#include "core/read_ahead.h"
#include "core/status_texts.h"
#include "platform/text_decoder.h"

namespace core {

namespace {

constexpr std::int64_t kReadYieldEvery = 1000;
constexpr std::size_t kCopyYieldEvery = 10000;
constexpr int kReadingProgressSpan = 50;
constexpr int kCopyProgressStart = 50;
constexpr int kCopyProgressSpan = 20;
constexpr int kFilterProgress = 70;
// What a refresh counts a file it cannot measure as (a new one): more than a few lines.
constexpr std::uint64_t kUnknownBytes = 1024 * 1024;
// A refresh that reads less than this reads it on the window's thread: starting worker threads
// for a few lines costs more than it saves, and each new thread's memory arena keeps its pieces'
// buffers resident long after.
constexpr std::uint64_t kWorkersFromBytes = 16 * 1024 * 1024;

bool SameDecoding(const TFileDecoding& a, const TFileDecoding& b) {
  return a.whenUtf8 == b.whenUtf8 && a.otherwise == b.otherwise;
}

}  // namespace

const TLoadedFile* TLoadedLogs::Find(std::u16string_view folder, std::u16string_view name) const {
  for (const TLoadedFolder& loaded : folders) {
    if (loaded.name != folder) continue;
    for (const TLoadedFile& file : loaded.files) {
      if (file.name == name) return &file;
    }
  }
  return nullptr;
}

std::vector<std::u16string> TLoadedLogs::FolderNames() const {
  std::vector<std::u16string> names;
  for (const TLoadedFolder& folder : folders)
    names.push_back(folder.name);
  return names;
}

std::int64_t TLoadedLogs::Records() const {
  std::int64_t records = 0;
  for (const TLoadedFolder& folder : folders) {
    for (const TLoadedFile& file : folder.files)
      records += file.records;
  }
  return records;
}

unsigned TLogAnalyzer::DefaultLoadWorkers() noexcept {
  const unsigned cores = std::thread::hardware_concurrency();  // 0 when unknown
  return cores > 2 ? cores - 1 : 1;
}

TFileDecoding TLogAnalyzer::Decoding() const {
  using platform::TextDecoder;
  switch (codePageChoice_) {
    case TCodePageChoice::kSystem:
      break;
    case TCodePageChoice::kGbk:
      return {nullptr, &TextDecoder::For(platform::kCodePageGbk)};
    case TCodePageChoice::kGb18030:
      return {nullptr, &TextDecoder::For(platform::kCodePageGb18030)};
    case TCodePageChoice::kUtf8:
      return {nullptr, &TextDecoder::For(platform::kCodePageUtf8)};
    case TCodePageChoice::kAuto:
      return {&TextDecoder::For(platform::kCodePageUtf8), &TextDecoder::For(ansiCodePage_)};
  }
  return {nullptr, &TextDecoder::For(ansiCodePage_)};
}

void TLogAnalyzer::LoadLogData() {
  if (state_.FIsLoading) return;
  state_.FIsLoading = true;
  try {
    window_.SetControlsEnabled(false);
    window_.SetProgressVisible(true);
    window_.SetProgressPosition(0);
    window_.SetProgressMax(100);
    LoadSelectedFolders();
  } catch (...) {
    LeaveLoad();
    throw;
  }
  LeaveLoad();
}

void TLogAnalyzer::LeaveLoad() {
  window_.SetProgressVisible(false);
  state_.FIsLoading = false;
  window_.SetControlsEnabled(true);
  window_.UpdateLoadButton();
}

TLogAnalyzer::TReadPlan TLogAnalyzer::PlanReads(
    const std::vector<std::u16string>& folderNames) const {
  // Only what was read from the same folders in the same code pages can be kept.
  const std::u16string baseDir = GetLogBaseDir();
  const TFileDecoding decoding = Decoding();
  const bool reusable = loaded_.baseDir == baseDir && SameDecoding(loaded_.decoding, decoding);
  TReadPlan plan;
  for (const std::u16string& name : folderNames) {
    TPlannedFolder& folder = plan.folders.emplace_back();
    folder.name = name;
    const std::u16string folderPath = baseDir + name + u'\\';
    folder.exists = fileSystem_.DirectoryExists(folderPath);
    if (!folder.exists) continue;
    for (const std::u16string_view pattern : {u"*.log", u"*.txt"}) {
      for (std::u16string& entry :
           fileSystem_.EnumerateEntries(folderPath, pattern, platform::HiddenEntries::kInclude)) {
        TPlannedFile& file = folder.files.emplace_back();
        TFileRead read;
        read.path = folderPath + entry;
        file.name = std::move(entry);
        file.previous = reusable ? loaded_.Find(name, file.name) : nullptr;
        if (file.previous != nullptr) {
          // Unchanged: the same size and time of its last write. Else what was read goes on
          // from the end of its complete lines, when the file still holds them (the reading
          // checks that, and reads the file whole otherwise).
          const TFileTally& tally = file.previous->tally;
          const std::optional<platform::TFileStamp> stamp = fileSystem_.StampOf(read.path);
          if (stamp && stamp == tally.stamp) continue;
          if (stamp && tally.stamp && stamp->size >= tally.completeEnd &&
              stamp->size > tally.stamp->size) {
            read.from = tally.completeEnd;
            read.tail = tally.tail;
            read.utf8 = tally.utf8;
            read.decoder = tally.decoder;
            file.keepBlocks = file.previous->blocks.size() - (tally.partialLine ? 1 : 0);
          }
        }
        file.read = plan.reads.size();
        const std::optional<platform::TFileStamp> size =
            file.previous != nullptr ? fileSystem_.StampOf(read.path) : std::nullopt;
        plan.bytes += size && size->size > read.from ? size->size - read.from : kUnknownBytes;
        plan.reads.push_back(std::move(read));
      }
    }
  }
  plan.baseDir = baseDir;
  plan.decoding = decoding;
  return plan;
}

bool TLogAnalyzer::TReadPlan::ChangesNothing(const TLoadedLogs& loaded) const {
  if (!reads.empty() || folders.size() != loaded.folders.size()) return false;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const TPlannedFolder& planned = folders[i];
    const TLoadedFolder& was = loaded.folders[i];
    if (planned.name != was.name || planned.exists != was.exists ||
        planned.files.size() != was.files.size()) {
      return false;
    }
    for (std::size_t j = 0; j < planned.files.size(); ++j) {
      if (planned.files[j].previous != &was.files[j]) return false;
    }
  }
  return true;
}

TLoadedFile TLogAnalyzer::ReadPlannedFile(const TPlannedFile& planned, TReadAhead& ahead,
                                          TReadCounts& counts) {
  TLoadedFile file;
  file.name = planned.name;
  if (planned.read == TPlannedFile::kUnchanged) {
    file = *planned.previous;
    counts.records += file.records;
    return file;
  }
  std::vector<TBlockRef> blocks;
  std::int64_t records = 0;
  while (std::unique_ptr<const TRecordBlock> block = ahead.Next(planned.read)) {
    const std::uint32_t lines = block->LineCount();
    blocks.emplace_back(TBlockRegistry::Register(std::move(block)));
    records += lines;
    for (std::uint32_t line = 0; line < lines; ++line) {
      if (++counts.yieldCounter % kReadYieldEvery == 0) window_.Yield();
    }
  }
  file.tally = ahead.Tally(planned.read);
  std::uint64_t from = 0;
  if (!file.tally.whole && planned.previous != nullptr) {
    // Read on from the end of the complete lines: the lines before stay as they were read, the
    // unfinished last line is read again with its rest.
    const TLoadedFile& previous = *planned.previous;
    file.blocks.assign(previous.blocks.begin(),
                       previous.blocks.begin() + static_cast<std::ptrdiff_t>(planned.keepBlocks));
    for (const TBlockRef& block : file.blocks)
      file.records += block->LineCount();
    from = previous.tally.completeEnd;
  }
  const std::uint64_t size = file.tally.stamp ? file.tally.stamp->size : 0;
  counts.bytes += size > from ? size - from : 0;
  for (TBlockRef& block : blocks)
    file.blocks.push_back(std::move(block));
  file.records += records;
  counts.records += file.records;
  return file;
}

void TLogAnalyzer::LoadSelectedFolders() {
  // The walk of the date list: its selected folders in list order, with the files of every
  // existing folder, *.log then *.txt, each in the order the file system lists them; their
  // records come in this order. Files unchanged since the last load or refresh are not read
  // again, files that grew are read from where that read ended.
  std::vector<std::u16string> selected;
  const int itemCount = window_.DateFolderCount();
  for (int i = 0; i < itemCount; ++i) {
    if (window_.IsDateFolderSelected(i)) selected.push_back(window_.DateFolderText(i));
  }
  const auto selectedCount = static_cast<int>(selected.size());
  TReadPlan plan = PlanReads(selected);

  TLoadedLogs read{plan.baseDir, plan.decoding, {}};
  std::u16string firstDate;
  std::int64_t fileCount = 0;
  TReadCounts counts;
  {
    // Workers read, cut and decode the files ahead; this thread takes their blocks in order,
    // registers them and counts their records, yielding at every 1,000th as if it read them line
    // by line. A file that cannot be read throws here, at its turn, and the workers stop.
    TReadAhead ahead(fileSystem_, plan.decoding, std::move(plan.reads), loadWorkers_);
    int walked = 0;
    for (const TPlannedFolder& planned : plan.folders) {
      const int place = walked++;
      if (firstDate.empty()) firstDate = planned.name;
      TLoadedFolder& folder = read.folders.emplace_back();
      folder.name = planned.name;
      folder.exists = planned.exists;
      if (!planned.exists) continue;

      window_.SetProgressPosition(place * kReadingProgressSpan / selectedCount);
      window_.SetStatus(status::LoadingFolder(planned.name));
      window_.Yield();
      for (const TPlannedFile& file : planned.files) {
        ++fileCount;
        folder.files.push_back(ReadPlannedFile(file, ahead, counts));
      }
    }
  }

  ++passGeneration_;  // a query pass in progress must not go on over the new records
  ++recordsGeneration_;
  state_.FAllLogs = TLogList();
  window_.SetStatus(status::kMovingRecords);
  CopyRecords(read, state_.FAllLogs, true);
  loaded_ = std::move(read);

  state_.FCurrentSelectedDate = firstDate;
  state_.FIsDataLoaded = true;
  lastLoadCounts_ = {fileCount, counts.records};
  window_.SetStatus(status::Loaded(fileCount, counts.records));
  window_.UpdateStatusBar();
  window_.SetStatus(status::kFiltering);
  window_.SetProgressPosition(kFilterProgress);
  window_.Yield();
  ApplyFilter();
}

void TLogAnalyzer::CopyRecords(const TLoadedLogs& read, TLogList& all, bool reportProgress) {
  const auto total = static_cast<std::size_t>(read.Records());
  std::size_t k = 0;
  for (const TLoadedFolder& folder : read.folders) {
    for (const TLoadedFile& file : folder.files) {
      for (const TBlockRef& block : file.blocks) {
        if (!reportProgress) {
          all.AppendBlock(block);
          continue;
        }
        for (std::uint32_t line = 0; line < block->LineCount(); ++line, ++k) {
          all.push_back(TLogRecord(block, line));
          if (reportProgress && k > 0 && k % kCopyYieldEvery == 0) {
            window_.SetProgressPosition(kCopyProgressStart +
                                        static_cast<int>(k * kCopyProgressSpan / total));
            window_.Yield();
          }
        }
      }
    }
  }
}

TLogAnalyzer::TRefresh TLogAnalyzer::RefreshLoadedLogs(
    const std::vector<std::u16string>& newFolders) {
  TRefresh refresh;
  if (state_.FIsLoading || !state_.FIsDataLoaded) return refresh;
  std::vector<std::u16string> folders = loaded_.FolderNames();
  folders.insert(folders.end(), newFolders.begin(), newFolders.end());
  TReadPlan plan = PlanReads(folders);
  refresh.recordsBefore = static_cast<std::int64_t>(state_.FAllLogs.size());
  refresh.recordsAfter = refresh.recordsBefore;
  if (plan.ChangesNothing(loaded_)) return refresh;

  // The records of the files read again, as a load would read them; the commands the window runs
  // during the yields may replace or drop the records meanwhile, and then this refresh is void.
  const std::uint64_t generation = recordsGeneration_;
  TLoadedLogs read{plan.baseDir, plan.decoding, {}};
  TReadCounts counts;
  {
    const unsigned workers = plan.bytes < kWorkersFromBytes ? 0 : loadWorkers_;
    TReadAhead ahead(fileSystem_, plan.decoding, std::move(plan.reads), workers);
    for (const TPlannedFolder& planned : plan.folders) {
      TLoadedFolder& folder = read.folders.emplace_back();
      folder.name = planned.name;
      folder.exists = planned.exists;
      for (const TPlannedFile& file : planned.files)
        folder.files.push_back(ReadPlannedFile(file, ahead, counts));
    }
  }
  if (generation != recordsGeneration_ || state_.FIsLoading || !state_.FIsDataLoaded) {
    return refresh;
  }

  ++passGeneration_;
  ++recordsGeneration_;
  TLogList all;
  CopyRecords(read, all, false);
  state_.FAllLogs = std::move(all);
  loaded_ = std::move(read);
  refresh.changed = true;
  refresh.recordsAfter = counts.records;
  refresh.bytesRead = counts.bytes;
  window_.UpdateStatusBar();
  ApplyFilter();
  return refresh;
}

}  // namespace core
