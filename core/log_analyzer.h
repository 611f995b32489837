#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/form_state.h"
#include "core/keyword_match.h"
#include "core/loaded_logs.h"
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
  // The names of the day folders of the log base directory as RefreshDateFolders finds them,
  // ascending, without touching the date list or the status line.
  std::vector<std::u16string> ScanDayFolders() const;

  // ---- Loader ------------------------------------------------------------------------------

  // Reads every *.log then *.txt file of the selected day folders, in list order, into
  // FAllLogs and runs ApplyFilter, under the busy state. Returns at once while a load runs.
  // A file that cannot be read ends the load by an OsError; the previous records, result,
  // FIsDataLoaded and FCurrentSelectedDate are then kept, and the busy state is left.
  // Files that the last load or refresh read from the same folders in the same code pages, and
  // that have the same size and last-write time, are not read again; files that grew are read
  // from the end of their complete lines on. The records are always those of reading every file
  // afresh.
  void LoadLogData();

  // What a refresh did: whether anything changed, and the records before and after.
  struct TRefresh {
    bool changed = false;
    std::int64_t recordsBefore = 0;
    std::int64_t recordsAfter = 0;
    std::uint64_t bytesRead = 0;  // of the files read, from where each read began
  };
  // Reads what changed in the loaded day folders (and `newFolders`, which join them at the end)
  // since they were read: bytes appended to a file (its unfinished last line again with its
  // rest), new files, files that shrank or were written again (whole), and drops the records of
  // files and folders that are gone. When anything changed, FAllLogs becomes exactly what a load
  // of those folders would read now, and ApplyFilter runs; otherwise nothing happens at all. No
  // busy state: it yields with the controls enabled, and a command run during its yields that
  // replaces or drops the records makes it change nothing. Does nothing while a load runs or when
  // the records do not belong to the date selection (FIsDataLoaded clear).
  TRefresh RefreshLoadedLogs(const std::vector<std::u16string>& newFolders = {});
  // The day folders the records were read from, in the load's order.
  std::vector<std::u16string> LoadedFolders() const { return loaded_.FolderNames(); }
  // What the records were read from, file by file.
  const TLoadedLogs& Loaded() const noexcept { return loaded_; }

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

  // The files a load or refresh of some day folders reads, and those it keeps as they are.
  struct TPlannedFile {
    static constexpr std::size_t kUnchanged = static_cast<std::size_t>(-1);
    std::u16string name;
    const TLoadedFile* previous = nullptr;  // as the last load or refresh read it
    std::size_t read = kUnchanged;          // its index among the reads, or kUnchanged
    // Reading on: the previous blocks kept before what is read now (all but the unfinished last
    // line's).
    std::size_t keepBlocks = 0;
  };
  struct TPlannedFolder {
    std::u16string name;
    bool exists = false;
    std::vector<TPlannedFile> files;
  };
  struct TReadPlan {
    std::u16string baseDir;
    TFileDecoding decoding;
    std::vector<TPlannedFolder> folders;
    std::vector<TFileRead> reads;
    std::uint64_t bytes = 0;  // about what the reads read
    // True when the folders hold exactly the files `loaded` holds, none of them changed.
    bool ChangesNothing(const TLoadedLogs& loaded) const;
  };
  struct TReadCounts {
    std::int64_t records = 0;
    std::int64_t yieldCounter = 0;  // records read from disk, for the yields
    std::uint64_t bytes = 0;        // read from disk
  };

  TReadPlan PlanReads(const std::vector<std::u16string>& folderNames) const;
  // One file of a plan: kept, read whole, or read on from where it ended; yields every 1,000th
  // record read.
  TLoadedFile ReadPlannedFile(const TPlannedFile& planned, TReadAhead& ahead, TReadCounts& counts);
  // Appends the records of `read` to `all`, in order; with `reportProgress`, moves the progress
  // bar from 50 towards 70 and yields every 10,000 records as the load's copy does.
  void CopyRecords(const TLoadedLogs& read, TLogList& all, bool reportProgress);
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
  TLoadedLogs loaded_;                   // what FAllLogs was read from
  std::uint64_t recordsGeneration_ = 0;  // bumped by every change of FAllLogs
  std::uint64_t passGeneration_ = 0;     // bumped by every pass and every change of the records
};

}  // namespace core
