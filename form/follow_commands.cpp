#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/log_record.h"
#include "core/status_texts.h"
#include "form/Unit1.h"

namespace form {

namespace {

using enum TControl;

// The row (grid coordinates) that shows `record` itself (the same line of the same read) in
// `rows`, looked for first at `near`, where it stays when records are only added after it.
std::optional<int> RowOf(const core::TLogRecord& record, const core::TLogList& rows, int near) {
  const auto index = static_cast<std::size_t>(near - 1);
  if (near >= 1 && index < rows.size() && rows[index].IsSameLine(record)) return near;
  core::TLogList::TCursor cursor(rows);
  for (std::size_t i = 0; i < rows.size() && i < INT32_MAX; ++i) {
    if (cursor.At(i).IsSameLine(record)) return static_cast<int>(i) + 1;
  }
  return std::nullopt;
}

}  // namespace

void TForm1::btnReadNewClick() {
  ReadNewRecords(TReadNew::kCommand);
}

void TForm1::chkFollowClick() {
  if (!toolkit_.IsChecked(chkFollow)) {
    followTimer_.reset();  // a tick still to come finds no follow to serve
    return;
  }
  StartFollowTimer();
}

void TForm1::StartFollowTimer() {
  if (!followTimer_) followTimer_ = toolkit_.StartTimer(kFollowMs);
}

std::vector<std::u16string> TForm1::NewDaysToFollow() {
  const int count = DateFolderCount();
  if (count == 0 || !IsDateFolderSelected(count - 1)) return {};
  const std::u16string newest = DateFolderText(count - 1);
  const std::vector<std::u16string> loaded = FCore.LoadedFolders();
  if (std::find(loaded.begin(), loaded.end(), newest) == loaded.end()) return {};
  std::vector<std::u16string> newer;
  for (std::u16string& name : FCore.ScanDayFolders()) {
    if (name > newest) newer.push_back(std::move(name));
  }
  for (const std::u16string& name : newer) {
    AddDateFolder(name);  // the list is sorted: it goes after the newest
    for (int i = 0; i < DateFolderCount(); ++i) {
      if (DateFolderText(i) == name) SetDateFolderSelected(i, true);
    }
  }
  return newer;
}

void TForm1::ReadNewRecords(TReadNew how) {
  const bool command = how == TReadNew::kCommand;
  if (State().FIsLoading) {
    if (command) SetStatus(core::status::kBusy);
    return;
  }
  if (!State().FIsDataLoaded) {
    // The records are not those of the date selection (or there are none): reading new records
    // of the selection is a load, which keeps what it has read already. Following never loads.
    if (command) btnLoadSearchClick();
    return;
  }
  const int currentRow = toolkit_.GridCurrentRow();
  const int topRow = toolkit_.GridTopRow();
  std::optional<core::TLogRecord> current;
  if (currentRow >= 1 && static_cast<std::size_t>(currentRow) <= gridRecords_.size()) {
    current = gridRecords_[static_cast<std::size_t>(currentRow - 1)];
  }
  const core::TLogAnalyzer::TRefresh refresh =
      FCore.RefreshLoadedLogs(command ? std::vector<std::u16string>{} : NewDaysToFollow());
  if (!refresh.changed) {
    if (command) SetStatus(core::status::RecordsAdded(0));
    return;
  }
  // The record that was current stays current, at the same height in the grid.
  if (current) {
    if (const std::optional<int> row = RowOf(*current, gridRecords_, currentRow)) {
      if (*row != toolkit_.GridCurrentRow()) {
        toolkit_.SetGridCurrentRow(*row);
        StringGrid1SelectCell({0, *row});
      }
      toolkit_.SetGridTopRow(std::max(1, *row - (currentRow - topRow)));
    }
  }
  const std::int64_t added = refresh.recordsAfter - refresh.recordsBefore;
  SetStatus(added >= 0 ? core::status::RecordsAdded(added) : core::status::RecordsRemoved(-added));
}

}  // namespace form
