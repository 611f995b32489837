#include <algorithm>
#include <string>
#include <vector>

#include "core/line_parts.h"
#include "core/line_scanner.h"
#include "core/log_analyzer.h"
#include "core/status_texts.h"
#include "core/write_ahead.h"
#include "platform/text_decoder.h"
#include "platform/unicode.h"
#include "platform/vector_ops.h"

namespace core {

namespace {

constexpr std::int64_t kReadYieldEvery = 1000;
constexpr std::size_t kCopyYieldEvery = 10000;
constexpr int kReadingProgressSpan = 50;
constexpr int kCopyProgressStart = 50;
constexpr int kCopyProgressSpan = 20;
constexpr int kFilterProgress = 70;
// Room a record block keeps beyond half as much again as the bytes it is made for, so that a
// short text whose lines all grow threefold still fits one block.
constexpr std::size_t kLineGrowthRoom = 4096;

}  // namespace

const platform::TextDecoder& TLogAnalyzer::DecoderFor(std::string_view fileBytes) const {
  switch (codePageChoice_) {
    case TCodePageChoice::kSystem:
      break;
    case TCodePageChoice::kGbk:
      return platform::TextDecoder::For(platform::kCodePageGbk);
    case TCodePageChoice::kGb18030:
      return platform::TextDecoder::For(platform::kCodePageGb18030);
    case TCodePageChoice::kUtf8:
      return platform::TextDecoder::For(platform::kCodePageUtf8);
    case TCodePageChoice::kAuto:
      if (platform::IsValidUtf8(fileBytes)) {
        return platform::TextDecoder::For(platform::kCodePageUtf8);
      }
      break;
  }
  return platform::TextDecoder::For(ansiCodePage_);
}

void TLogAnalyzer::ReadFolderFiles(std::u16string_view folderPath, std::u16string_view pattern,
                                   TLoadProgress& load) {
  const std::vector<std::u16string> names =
      fileSystem_.EnumerateEntries(folderPath, pattern, platform::HiddenEntries::kInclude);
  for (const std::u16string& name : names) {
    const std::u16string path = std::u16string(folderPath) + name;
    ++load.fileCount;
    fileSystem_.ReadWholeFile(path, load.fileBytes);
    const platform::TextDecoder& decoder = DecoderFor(load.fileBytes);
    const std::string_view text = decoder.StripByteOrderMark(load.fileBytes);

    const char* const textEnd = text.data() + text.size();
    // A block's text is sized for the usual growth and a line goes on in a new block when its
    // most (kMaxGrowth bytes per byte) does not fit: decoding to UTF-8 keeps ASCII as it is and
    // makes a GBK character three bytes of two, so the kept fields of a GBK line, without their
    // TABs and the parts not kept, take less than half as much again. Room for every line, as
    // the line feeds count them (lines ended by a CR alone make the list grow).
    const auto blockFor = [textEnd](const char* from, std::size_t lineHint) {
      const auto unread = static_cast<std::size_t>(textEnd - from);
      return TRecordBlockBuilder(
          std::min(unread + unread / 2 + kLineGrowthRoom, TRecordBlockBuilder::kMaxTextBytes),
          lineHint);
    };
    TRecordBlockBuilder builder =
        blockFor(text.data(), platform::CountBytes(text.data(), text.size(), '\n') + 1);
    TLineScanner scanner(text);
    TScannedLine line;
    // ASCII parts are copied as they are; any other part is decoded.
    const auto writeField = [&decoder, &line, textEnd](std::size_t part, char* out) -> std::size_t {
      const char* from = line.parts.begin[part];
      const auto length = static_cast<std::size_t>(line.parts.end[part] - from);
      if (CopyAscii(from, length, textEnd, out)) return length;
      return decoder.Decode({from, length}, out);
    };
    while (scanner.Next(line)) {
      const char* first = line.parts.begin[0];
      const auto most =
          platform::TextDecoder::kMaxGrowth * static_cast<std::size_t>(line.last - first);
      if (most > builder.FreeBytes()) {
        // A line of bytes that all grow (invalid or single high bytes), or a file of over 2.8
        // billion bytes: its lines go on in a new block.
        if (builder.LineCount() > 0) load.blocks.push_back(builder.Finish());
        builder = blockFor(first, 0);
        if (most > builder.FreeBytes()) builder = TRecordBlockBuilder(most, 0);
      }
      AddLineRecord(builder, line.parts, writeField);
      ++load.recordCount;
      if (load.recordCount % kReadYieldEvery == 0) window_.Yield();
    }
    if (builder.LineCount() > 0) load.blocks.push_back(builder.Finish());
  }
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

  const int itemCount = window_.DateFolderCount();
  int selectedCount = 0;
  for (int i = 0; i < itemCount; ++i) {
    if (window_.IsDateFolderSelected(i)) ++selectedCount;
  }
  int walked = 0;
  for (int i = 0; i < itemCount; ++i) {
    if (!window_.IsDateFolderSelected(i)) continue;
    const std::u16string name = window_.DateFolderText(i);
    const int place = walked++;
    if (firstDate.empty()) firstDate = name;
    const std::u16string folderPath = GetLogBaseDir() + name + u'\\';
    if (!fileSystem_.DirectoryExists(folderPath)) continue;

    window_.SetProgressPosition(place * kReadingProgressSpan / selectedCount);
    window_.SetStatus(status::LoadingFolder(name));
    window_.Yield();
    ReadFolderFiles(folderPath, u"*.log", load);
    ReadFolderFiles(folderPath, u"*.txt", load);
  }
  load.fileBytes = std::string();  // the last file's bytes are not needed any more

  TLogList& all = state_.FAllLogs;
  ++passGeneration_;  // a query pass in progress must not go on over the new records
  all = TLogList();
  all.reserve(static_cast<std::size_t>(load.recordCount));
  TWriteAhead allAhead;
  window_.SetStatus(status::kMovingRecords);
  const auto total = static_cast<std::size_t>(load.recordCount);
  std::size_t k = 0;
  for (const TBlockRef& block : load.blocks) {
    for (std::uint32_t line = 0; line < block->LineCount(); ++line, ++k) {
      allAhead.Reach(all.data(), k * sizeof(TLogRecord), all.capacity() * sizeof(TLogRecord));
      all.emplace_back(block, line);
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
