#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/form_state.h"
#include "core/keyword_match.h"
#include "core/log_record.h"
#include "core/lowered_search.h"
#include "core/read_ahead.h"
#include "core/window_services.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/text_decoder.h"

namespace core {

// The state of the main window and the operations of the log data and the query engine on it.
// The window owns one; every operation reads its inputs from the window's controls through
// `IWindowServices` when it runs and reports through the same interface. Single-threaded: the
// window re-enters it only through IWindowServices::Yield. (A load's worker threads only read and
// decode files; they never touch this object or the window.)
// The code page log files are read in: the system's ANSI code page, one named, or per file UTF-8
// when the file's bytes are well-formed UTF-8 and the ANSI code page otherwise.
enum class TCodePageChoice : std::uint8_t { kSystem, kGbk, kGb18030, kUtf8, kAuto };

class TLogAnalyzer {
 public:
  // `ansiCodePage` is the code page log files are decoded in (the system's ANSI code page in
  // the program). Sets the initial form state; the action list and keyword table stay empty
  // until InitActionList and InitActionKeywords.
  TLogAnalyzer(IWindowServices& window, const platform::IFileSystem& fileSystem,
               platform::CodePage ansiCodePage);

  TFormState& State() noexcept { return state_; }
  const TFormState& State() const noexcept { return state_; }

  // ---- Directory layout and day folders ----------------------------------------------------

  // Empty when FSelectedPath is empty; otherwise the root, a '\' unless the root already ends
  // with one, then "LogServer\BaseDir\". Computed afresh at every call.
  std::u16string GetLogBaseDir() const;

  // The root test: true when root + ('\' unless it ends with one) + "LogServer\BaseDir" is an
  // existing directory.
  bool IsValidRoot(std::u16string_view root) const;

  // Rewrites the date list with the day folders of the log base directory (entries not hidden
  // or system whose names have the YYYY-MM-DD shape), sorted, and reports the scan in the
  // status line; empties FCurrentSelectedDate. While a load runs it only shows the busy message.
  void RefreshDateFolders();

  // ---- Loader ------------------------------------------------------------------------------

  // Reads every *.log then *.txt file of the selected day folders, in list order, into
  // FAllLogs and runs ApplyFilter, under the busy state. Returns at once while a load runs.
  // A file that cannot be read ends the load by an OsError; the previous records, result,
  // FIsDataLoaded and FCurrentSelectedDate are then kept, and the busy state is left.
  void LoadLogData();

  // The code page the next loads read files in; kSystem (the ANSI code page) at start.
  void SetCodePageChoice(TCodePageChoice choice) noexcept { codePageChoice_ = choice; }
  TCodePageChoice CodePageChoice() const noexcept { return codePageChoice_; }

  // The counts of the last successful load, as its report "已加载 N 个文件，共 M 条记录" gave
  // them: every file read (those without records too) and every record.
  struct TLoadCounts {
    std::int64_t files = 0;
    std::int64_t records = 0;
  };
  TLoadCounts LastLoadCounts() const noexcept { return lastLoadCounts_; }

  // The number of threads that read, cut and decode the next files of a load ahead of the
  // window's thread; 0 reads every file on the window's thread. The records and every report of
  // a load are the same for every number. DefaultLoadWorkers() at start.
  void SetLoadWorkers(unsigned workers) noexcept { loadWorkers_ = workers; }
  unsigned LoadWorkers() const noexcept { return loadWorkers_; }
  // One less than the processor's hardware threads, at least one.
  static unsigned DefaultLoadWorkers() noexcept;

  // ---- Action catalogue and selection -------------------------------------------------------

  // Fills the action list with its thirty-three entries and sets the check flags to "select
  // all" alone.
  void InitActionList();
  // Fills the keyword table with its thirty rows.
  void InitActionKeywords();
  // The keywords stored for an action text, as listed; empty for an unknown text.
  const std::vector<std::u16string>& GetActionKeywords(std::u16string_view action) const;
  // The operator's toggle of one action-list entry; repaints the list.
  void ToggleAction(int index);
  // Sets every member of the group under `header` (1 or 26) to `value`; other headers do
  // nothing. Does not repaint.
  void SetActionGroup(int header, bool value);
  // The two action buttons: check "select all" alone, repaint and report.
  void btnSelectAllActionsClick();
  void btnClearAllActionsClick();

  // ---- Filter pass -------------------------------------------------------------------------

  // True when the record passes the checked actions: always when nothing but headers is
  // checked or "select all" is; otherwise when some keyword of a checked action occurs in the
  // lower-cased LogTime.
  bool MatchActionFilter(const TLogRecord& record);

  // Rebuilds FFilteredLogs from FAllLogs with the two keyword conditions and the action filter,
  // renders the grid and reports the outcome. A pass that yields while a command starts a newer
  // pass or drops the records (ClearRecords, a load) ends at that yield without rendering or
  // reporting: the grid, FFilteredLogs and the counts are always those of the newest pass.
  void ApplyFilter();

  // Empties FAllLogs and FFilteredLogs, as the path commands do; a pass in progress ends.
  void ClearRecords();

 private:
  // The checked actions' keywords, lower-cased, rebuilt whenever the check flags change.
  struct TActionFilterCache {
    std::uint64_t generation = ~std::uint64_t{0};
    bool passAll = true;
    TLoweredKeywordSet keywords;
  };

  // What one load has read so far: the temporary list (as the blocks its records live in) and
  // the counters.
  struct TLoadProgress {
    std::vector<TBlockRef> blocks;
    std::int64_t fileCount = 0;
    std::int64_t recordCount = 0;
  };

  void LoadSelectedFolders();
  // The decoders of the files of a load under the current code page choice.
  TFileDecoding Decoding() const;
  void LeaveLoad();
  void RecomputeSelectAllFlag();
  void ResetActionFlags();
  void ActionFlagsChanged() noexcept { ++actionGeneration_; }
  // The cache for the current check flags; rebuilt only after they changed.
  const TActionFilterCache& ActionFilter() {
    return actionFilter_.generation == actionGeneration_ ? actionFilter_ : RebuildActionFilter();
  }
  const TActionFilterCache& RebuildActionFilter();

  IWindowServices& window_;
  const platform::IFileSystem& fileSystem_;
  platform::CodePage ansiCodePage_;
  TCodePageChoice codePageChoice_ = TCodePageChoice::kSystem;
  unsigned loadWorkers_ = DefaultLoadWorkers();
  TFormState state_;
  std::uint64_t actionGeneration_ = 0;
  TActionFilterCache actionFilter_;
  TLoadCounts lastLoadCounts_;
  std::uint64_t passGeneration_ = 0;  // bumped by every pass and every change of the records
};

}  // namespace core
