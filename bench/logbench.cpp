// logbench: drives the core's own load and query headless and reports what they did and cost.
//
//   logbench --root ROOT --dates D1[,D2...] [--codepage NAME]
//            [--kw1 TEXT] [--col1 TEXT] [--exact1 0|1] [--kw2 TEXT] [--col2 TEXT] [--exact2 0|1]
//            [--toggle I[,J...]] [--from TEXT] [--to TEXT] [--queries N] [--threads N]
//            [--then-dates D1[,D2...]] [--follow SECONDS]
//            [--sort COLUMN[:desc]] [--counts COLUMN] [--dump FILE] [--export FILE]
//
// The root goes through the root test and the day-folder scan, the named folders are selected,
// the actions toggled in order from the start state, the query inputs set (defaults as the
// window starts: empty keywords, "所有列", exact checked); then one LoadLogData (which runs the
// query) and N more ApplyFilter runs (default 3). Prints one key=value a line:
//   files, records, matches, yields (the core's own yields during the load, its query
//   included; the window's yields when it changes the busy state or paints the grid are not
//   the core's), status, load_ms, load_user_ms and load_system_ms (the processor time of the
//   load in the program's own code and in the system's: fresh memory and file reads), query_ms
//   (median of the extra queries), max_yield_gap_ms, peak_rss_mib, threads (the load's worker
//   threads).
// --threads N sets the number of threads that read and decode files ahead of the load (0: all
// on the calling thread); the program's default, one less than the processor's, when not given.
// --from and --to give the query's time range, as the window's 开始时间 and 结束时间 do.
// --sort COLUMN[:desc] (a header text such as 物品流水号) sorts the result as the window's grid
// does (sort_ms); --counts COLUMN counts its values as the window's 统计此列 does (counts_ms,
// distinct).
// --dump FILE writes the result list as UTF-8, one record a line (LF), the fifteen grid
// columns in grid order (row number first) joined by TAB; with --counts, the count table
// instead: the value, a TAB and its count a line, the most frequent first.
// --export FILE writes the result list exactly as the window's export does (export_ms), in the
//            format the name's extension gives: .xlsx a workbook, .txt tab-separated, else CSV.
// --then-dates D1[,D2...]: after the queries, selects these day folders instead and loads
// again, as the load button does after the date selection changed (keeping the files it has
// read): then_load_ms, then_records.
// --follow SECONDS: after that, reads what changed in the loaded folders every 500 ms for
// SECONDS, as the window's following does, and prints a line a refresh:
//   refresh=N added=… records=… matches=… read_bytes=… ms=…  (added: records after less before)
// then follow_max_yield_gap_ms (over the refreshes' yields), follow_read_mib, and
// follow_peak_growth_mib and follow_resident_growth_mib (how much the peak and the present
// resident memory grew while following).
// --dump and --export then write the final state.
// Exit status: 0 after a successful load, 1 when the load failed (the error, naming the file,
// on stderr), 2 on a usage error.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/headless_window.h"
#include "core/keyword_match.h"
#include "core/log_analyzer.h"
#include "core/record_sort.h"
#include "core/result_export.h"
#include "core/value_counts.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/os_error.h"
#include "platform/process_stats.h"
#include "platform/unicode.h"
#include "korlo_version.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kExitLoadFailed = 1;
constexpr int kExitUsage = 2;

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// The headless window, counting the core's yields and the longest time between two of them.
class BenchWindow : public core::THeadlessWindow {
 public:
  void StartMeasuring() {
    yields_ = 0;
    maxGap_ = Clock::duration::zero();
    lastYield_.reset();
  }
  long long Yields() const { return yields_; }
  // A stretch of work measured on its own (one refresh): the time from its start to its first
  // yield and from its last yield to its end count as gaps, the time between stretches does not.
  void BeginStretch() { lastYield_ = Clock::now(); }
  void EndStretch() {
    Yield();
    lastYield_.reset();
  }
  double MaxGapMs() const { return Milliseconds(maxGap_); }

  void Yield() override {
    if (inBusyChange_) return;  // the window's own yield, not the core's
    const Clock::time_point now = Clock::now();
    if (lastYield_) maxGap_ = std::max(maxGap_, now - *lastYield_);
    lastYield_ = now;
    ++yields_;
  }

  void SetControlsEnabled(bool enabled) override {
    inBusyChange_ = true;
    THeadlessWindow::SetControlsEnabled(enabled);
    inBusyChange_ = false;
  }

 private:
  bool inBusyChange_ = false;
  long long yields_ = 0;
  Clock::duration maxGap_{};
  std::optional<Clock::time_point> lastYield_;
};

struct Options {
  std::u16string root;
  std::vector<std::u16string> dates;
  std::optional<platform::CodePage> codePage;
  std::u16string keyword[2];
  std::u16string column[2] = {std::u16string(core::kAllColumns), std::u16string(core::kAllColumns)};
  bool exact[2] = {true, true};
  std::vector<int> toggles;
  int queries = 3;
  std::optional<unsigned> threads;
  std::vector<std::u16string> thenDates;
  int followSeconds = 0;
  std::u16string timeFrom;
  std::u16string timeTo;
  std::optional<std::size_t> sortColumn;  // a grid column
  core::TSortDirection sortDirection = core::TSortDirection::kAscending;
  std::optional<std::size_t> countColumn;
  std::string dumpFile;
  std::string exportFile;
};

// The grid column a header text names ("物品流水号"), when it shows a field.
std::size_t ColumnNamed(std::string_view option, const std::string& text) {
  for (std::size_t column = 0; column < core::kGridColumnCount; ++column) {
    if (core::GRID_HEADERS[column].field &&
        core::GRID_HEADERS[column].header == platform::Utf8ToUtf16(text)) {
      return column;
    }
  }
  throw UsageError(std::string(option) + ": no column is named '" + text + "'");
}

std::vector<std::string> SplitCommas(std::string_view text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    items.emplace_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) return items;
    start = comma + 1;
  }
}

int ParseInt(std::string_view option, const std::string& text) {
  std::size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size()) {
    throw UsageError(std::string(option) + " needs a whole number, not '" + text + "'");
  }
  return value;
}

bool ParseFlag(std::string_view option, const std::string& text) {
  if (text == "0") return false;
  if (text == "1") return true;
  throw UsageError(std::string(option) + " takes 0 or 1");
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  bool haveRoot = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (i + 1 >= argc) throw UsageError("missing value after " + std::string(option));
    const std::string value = argv[++i];
    const std::u16string text = platform::Utf8ToUtf16(value);
    if (option == "--root") {
      options.root = text;
      haveRoot = true;
    } else if (option == "--dates") {
      for (const std::string& date : SplitCommas(value)) {
        options.dates.push_back(platform::Utf8ToUtf16(date));
      }
    } else if (option == "--codepage") {
      options.codePage = platform::ParseCodePage(value);
      if (!options.codePage) throw UsageError("unknown code page '" + value + "'");
    } else if (option == "--kw1" || option == "--kw2") {
      options.keyword[option == "--kw1" ? 0 : 1] = text;
    } else if (option == "--col1" || option == "--col2") {
      options.column[option == "--col1" ? 0 : 1] = text;
    } else if (option == "--exact1" || option == "--exact2") {
      options.exact[option == "--exact1" ? 0 : 1] = ParseFlag(option, value);
    } else if (option == "--toggle") {
      for (const std::string& index : SplitCommas(value)) {
        options.toggles.push_back(ParseInt(option, index));
      }
    } else if (option == "--queries") {
      options.queries = ParseInt(option, value);
      if (options.queries < 0) throw UsageError("--queries cannot be negative");
    } else if (option == "--threads") {
      const int threads = ParseInt(option, value);
      if (threads < 0) throw UsageError("--threads cannot be negative");
      options.threads = static_cast<unsigned>(threads);
    } else if (option == "--then-dates") {
      for (const std::string& date : SplitCommas(value)) {
        options.thenDates.push_back(platform::Utf8ToUtf16(date));
      }
    } else if (option == "--follow") {
      options.followSeconds = ParseInt(option, value);
      if (options.followSeconds < 0) throw UsageError("--follow cannot be negative");
    } else if (option == "--from" || option == "--to") {
      (option == "--from" ? options.timeFrom : options.timeTo) = text;
    } else if (option == "--sort") {
      std::string column = value;
      if (column.ends_with(":desc")) {
        column.resize(column.size() - 5);
        options.sortDirection = core::TSortDirection::kDescending;
      }
      options.sortColumn = ColumnNamed(option, column);
    } else if (option == "--counts") {
      options.countColumn = ColumnNamed(option, value);
    } else if (option == "--dump") {
      options.dumpFile = value;
    } else if (option == "--export") {
      options.exportFile = value;
    } else {
      throw UsageError("unknown option " + std::string(option));
    }
  }
  if (!haveRoot) throw UsageError("--root is required");
  if (options.dates.empty()) throw UsageError("--dates is required");
  return options;
}

// The count table, one value a line (LF): the value, a TAB, its count.
void WriteCounts(const std::string& fileName, const std::vector<core::TValueCount>& counts) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  for (const core::TValueCount& row : counts)
    out << row.value << '\t' << row.count << '\n';
  if (!out) throw std::runtime_error("cannot write " + fileName);
}

core::TExportFormat ExportFormatOf(std::string_view fileName) {
  if (fileName.ends_with(".xlsx")) return core::TExportFormat::kXlsx;
  if (fileName.ends_with(".txt")) return core::TExportFormat::kTsv;
  return core::TExportFormat::kCsv;
}

void WriteDump(const std::string& fileName, const core::TLogList& records) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  std::string line;
  for (std::size_t row = 0; row < records.size(); ++row) {
    line = std::to_string(row + 1);
    for (const core::TGridColumn& column : core::GRID_HEADERS) {
      if (!column.field) continue;
      line += '\t';
      line += records[row].Field(*column.field);
    }
    line += '\n';
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
  }
  if (!out) throw std::runtime_error("cannot write " + fileName);
}

int Run(const Options& options) {
  BenchWindow window;
  core::TLogAnalyzer analyzer(window, platform::NativeFileSystem(),
                              options.codePage.value_or(platform::SystemAnsiCodePage()));
  window.Attach(analyzer.State());
  if (options.threads) analyzer.SetLoadWorkers(*options.threads);
  analyzer.InitActionList();
  analyzer.InitActionKeywords();

  const std::u16string root(core::TrimText(options.root));
  if (!analyzer.IsValidRoot(root)) {
    std::cerr << "logbench: not a server root (no LogServer/BaseDir): "
              << platform::Utf16ToUtf8(root) << '\n';
    return kExitUsage;
  }
  analyzer.State().FSelectedPath = root;
  analyzer.RefreshDateFolders();
  if (!window.SelectDates(options.dates)) {
    std::cerr << "logbench: a day folder named in --dates is not in the date list\n";
    return kExitUsage;
  }
  for (int index : options.toggles)
    analyzer.ToggleAction(index);
  window.time[0] = options.timeFrom;
  window.time[1] = options.timeTo;
  for (int i = 0; i < 2; ++i) {
    window.keyword[i] = options.keyword[i];
    window.column[i] = options.column[i];
    window.exact[i] = options.exact[i];
  }

  window.StartMeasuring();
  const platform::CpuTimes cpuBefore = platform::ProcessCpuTimes();
  const Clock::time_point loadStart = Clock::now();
  try {
    analyzer.LoadLogData();
  } catch (const platform::OsError& error) {
    std::cerr << "logbench: " << platform::Utf16ToUtf8(error.Message()) << '\n';
    return kExitLoadFailed;
  } catch (const std::exception& error) {
    std::cerr << "logbench: " << error.what() << '\n';
    return kExitLoadFailed;
  }
  const double loadMs = Milliseconds(Clock::now() - loadStart);
  const platform::CpuTimes cpuAfter = platform::ProcessCpuTimes();
  const long long loadYields = window.Yields();
  const double maxGapMs = window.MaxGapMs();
  const std::u16string statusAfterLoad = window.StatusLine();

  std::vector<double> queryMs;
  for (int i = 0; i < options.queries; ++i) {
    const Clock::time_point start = Clock::now();
    analyzer.ApplyFilter();
    queryMs.push_back(Milliseconds(Clock::now() - start));
  }
  std::sort(queryMs.begin(), queryMs.end());
  const double medianQueryMs = queryMs.empty() ? 0.0 : queryMs[queryMs.size() / 2];

  if (!options.thenDates.empty()) {
    if (!window.SelectDates(options.thenDates)) {
      std::cerr << "logbench: a day folder named in --then-dates is not in the date list\n";
      return kExitUsage;
    }
    analyzer.State().FIsDataLoaded = false;  // as a click in the date list leaves it
    const Clock::time_point start = Clock::now();
    analyzer.LoadLogData();
    std::printf("then_load_ms=%.1f\n", Milliseconds(Clock::now() - start));
    std::printf("then_records=%zu\n", analyzer.State().FAllLogs.size());
  }

  if (options.followSeconds > 0) {
    const std::uint64_t peakBefore = platform::PeakResidentBytes();
    const std::uint64_t residentBefore = platform::ResidentBytes();
    std::uint64_t readBytes = 0;
    window.StartMeasuring();
    const Clock::time_point end = Clock::now() + std::chrono::seconds(options.followSeconds);
    for (int refreshes = 1; Clock::now() < end; ++refreshes) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      const Clock::time_point start = Clock::now();
      window.BeginStretch();
      const core::TLogAnalyzer::TRefresh refresh = analyzer.RefreshLoadedLogs();
      window.EndStretch();
      readBytes += refresh.bytesRead;
      std::printf("refresh=%d added=%lld records=%zu matches=%zu read_bytes=%llu ms=%.1f\n",
                  refreshes, static_cast<long long>(refresh.recordsAfter - refresh.recordsBefore),
                  analyzer.State().FAllLogs.size(), analyzer.State().FFilteredLogs.size(),
                  static_cast<unsigned long long>(refresh.bytesRead),
                  Milliseconds(Clock::now() - start));
      std::fflush(stdout);
    }
    std::printf("follow_max_yield_gap_ms=%.1f\n", window.MaxGapMs());
    std::printf("follow_read_mib=%.2f\n", static_cast<double>(readBytes) / (1024.0 * 1024.0));
    const auto mib = [](std::uint64_t after, std::uint64_t before) {
      return (static_cast<double>(after) - static_cast<double>(before)) / (1024.0 * 1024.0);
    };
    std::printf("follow_peak_growth_mib=%.2f\n", mib(platform::PeakResidentBytes(), peakBefore));
    std::printf("follow_resident_growth_mib=%.2f\n",
                mib(platform::ResidentBytes(), residentBefore));
  }

  // The result as the window shows it: sorted when asked, and counted by a column when asked.
  core::TLogList shown = analyzer.State().FFilteredLogs;
  if (options.sortColumn) {
    const Clock::time_point start = Clock::now();
    shown = core::SortRecords(shown, *core::GRID_HEADERS[*options.sortColumn].field,
                              options.sortDirection);
    std::printf("sort_ms=%.1f\n", Milliseconds(Clock::now() - start));
  }
  if (options.countColumn) {
    const Clock::time_point start = Clock::now();
    const std::vector<core::TValueCount> counts =
        core::CountValues(shown, *core::GRID_HEADERS[*options.countColumn].field);
    std::printf("counts_ms=%.1f\n", Milliseconds(Clock::now() - start));
    std::printf("distinct=%zu\n", counts.size());
    if (!options.dumpFile.empty()) WriteCounts(options.dumpFile, counts);
  } else if (!options.dumpFile.empty()) {
    WriteDump(options.dumpFile, shown);
  }
  if (!options.exportFile.empty()) {
    const Clock::time_point start = Clock::now();
    core::TResultExport exported(shown, ExportFormatOf(options.exportFile),
                                 platform::Utf8ToUtf16(options.exportFile));
    exported.Finish();
    std::printf("export_ms=%.1f\n", Milliseconds(Clock::now() - start));
  }

  std::printf("files=%lld\n", static_cast<long long>(analyzer.LastLoadCounts().files));
  std::printf("records=%zu\n", analyzer.State().FAllLogs.size());
  std::printf("matches=%zu\n", analyzer.State().FFilteredLogs.size());
  std::printf("yields=%lld\n", loadYields);
  std::printf("status=%s\n", platform::Utf16ToUtf8(statusAfterLoad).c_str());
  std::printf("load_ms=%.1f\n", loadMs);
  std::printf("load_user_ms=%.1f\n", cpuAfter.userMs - cpuBefore.userMs);
  std::printf("load_system_ms=%.1f\n", cpuAfter.systemMs - cpuBefore.systemMs);
  std::printf("query_ms=%.1f\n", medianQueryMs);
  std::printf("max_yield_gap_ms=%.1f\n", maxGapMs);
  std::printf("peak_rss_mib=%.1f\n",
              static_cast<double>(platform::PeakResidentBytes()) / (1024.0 * 1024.0));
  std::printf("threads=%u\n", analyzer.LoadWorkers());
  return 0;
}

}  // namespace

constexpr const char* kUsage =
    "usage: logbench --root ROOT --dates D1[,D2...] [--codepage NAME]\n"
    "                [--kw1 TEXT] [--col1 TEXT] [--exact1 0|1]\n"
    "                [--kw2 TEXT] [--col2 TEXT] [--exact2 0|1]\n"
    "                [--toggle I[,J...]] [--queries N] [--threads N]\n"
    "                [--from TEXT] [--to TEXT] [--sort COLUMN[:desc]] [--counts COLUMN]\n"
    "                [--then-dates D1[,D2...]] [--follow SECONDS]\n"
    "                [--dump FILE] [--export FILE]\n"
    "       logbench --help | --version\n";

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (std::string_view(argv[i]) == "--version") {
      std::cout << "logbench " KORLO_VERSION_TEXT "\n";
      return 0;
    }
  }
  Options options;
  try {
    options = ParseOptions(argc, argv);
  } catch (const UsageError& error) {
    std::cerr << "logbench: " << error.what() << "\n" << kUsage;
    return kExitUsage;
  }
  try {
    return Run(options);
  } catch (const std::exception& error) {
    std::cerr << "logbench: " << error.what() << '\n';
    return kExitLoadFailed;
  }
}
