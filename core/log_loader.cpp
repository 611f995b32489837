#include <algorithm>
#include <string>
#include <thread>
#include <vector>

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

}  // namespace

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

void TLogAnalyzer::LoadSelectedFolders() {
  TLoadProgress load;
  std::u16string firstDate;

  // The walk of the date list, with the files of every existing folder, *.log then *.txt, each
  // in the order the file system lists them: their records come in this order.
  struct TFolder {
    std::u16string name;
    int place = 0;
    bool exists = false;
    std::size_t filesEnd = 0;  // the folder's files end here in `paths`
  };
  std::vector<TFolder> folders;
  std::vector<std::u16string> paths;
  const int itemCount = window_.DateFolderCount();
  int selectedCount = 0;
  for (int i = 0; i < itemCount; ++i) {
    if (window_.IsDateFolderSelected(i)) ++selectedCount;
  }
  int walked = 0;
  for (int i = 0; i < itemCount; ++i) {
    if (!window_.IsDateFolderSelected(i)) continue;
    TFolder& folder = folders.emplace_back();
    folder.name = window_.DateFolderText(i);
    folder.place = walked++;
    const std::u16string folderPath = GetLogBaseDir() + folder.name + u'\\';
    folder.exists = fileSystem_.DirectoryExists(folderPath);
    if (folder.exists) {
      for (const std::u16string_view pattern : {u"*.log", u"*.txt"}) {
        for (const std::u16string& name :
             fileSystem_.EnumerateEntries(folderPath, pattern, platform::HiddenEntries::kInclude)) {
          paths.push_back(folderPath + name);
        }
      }
    }
    folder.filesEnd = paths.size();
  }

  {
    // Workers read, cut and decode the files ahead; this thread takes their blocks in order,
    // registers them and counts their records, yielding at every 1,000th as if it read them line
    // by line. A file that cannot be read throws here, at its turn, and the workers stop.
    TReadAhead ahead(fileSystem_, Decoding(), paths, loadWorkers_);
    std::size_t file = 0;
    for (const TFolder& folder : folders) {
      if (firstDate.empty()) firstDate = folder.name;
      if (!folder.exists) continue;

      window_.SetProgressPosition(folder.place * kReadingProgressSpan / selectedCount);
      window_.SetStatus(status::LoadingFolder(folder.name));
      window_.Yield();
      for (; file < folder.filesEnd; ++file) {
        ++load.fileCount;
        while (std::unique_ptr<const TRecordBlock> block = ahead.Next(file)) {
          const std::uint32_t lines = block->LineCount();
          load.blocks.emplace_back(TBlockRegistry::Register(std::move(block)));
          for (std::uint32_t line = 0; line < lines; ++line) {
            ++load.recordCount;
            if (load.recordCount % kReadYieldEvery == 0) window_.Yield();
          }
        }
      }
    }
  }

  TLogList& all = state_.FAllLogs;
  ++passGeneration_;  // a query pass in progress must not go on over the new records
  // The list keeps each block's lines as one run: it needs no room reserved per record.
  all = TLogList();
  window_.SetStatus(status::kMovingRecords);
  const auto total = static_cast<std::size_t>(load.recordCount);
  std::size_t k = 0;
  for (const TBlockRef& block : load.blocks) {
    for (std::uint32_t line = 0; line < block->LineCount(); ++line, ++k) {
      all.push_back(TLogRecord(block, line));
      if (k > 0 && k % kCopyYieldEvery == 0) {
        window_.SetProgressPosition(kCopyProgressStart +
                                    static_cast<int>(k * kCopyProgressSpan / total));
        window_.Yield();
      }
    }
  }
  load.blocks.clear();

  state_.FCurrentSelectedDate = firstDate;
  state_.FIsDataLoaded = true;
  lastLoadCounts_ = {load.fileCount, load.recordCount};
  window_.SetStatus(status::Loaded(load.fileCount, load.recordCount));
  window_.UpdateStatusBar();
  window_.SetStatus(status::kFiltering);
  window_.SetProgressPosition(kFilterProgress);
  window_.Yield();
  ApplyFilter();
}

}  // namespace core
