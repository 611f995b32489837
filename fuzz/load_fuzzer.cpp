// Fuzzes the loader's byte path: line cutting, trimming, splitting at TABs and decoding the kept
// parts. The real load runs (TLogAnalyzer::LoadLogData through a headless window) over one day
// folder of an in-memory file system holding three files cut from the input; its records are
// compared with a plain reading of the same files, and with ParseLogLine of each line.
//
// Input: byte 0 picks the code page (GBK, GB18030 or UTF-8 by its value modulo 3; the values 3
// to 5 also start the first file with a line of over 255 units), bytes 1 and 2 where the rest
// is cut into the files "b.log", "a.txt" and "c.LOG" (read in the order b.log, c.LOG, a.txt:
// logs before texts, each in the order the folder lists them, patterns case-insensitive).
//
// The plain reading: decode each whole file to UTF-16 (UTF-8 by platform::Utf8ToUtf16 after a
// leading byte-order mark, the others by TextDecoder, whose UTF-8 the decode fuzzer checks),
// cut lines at CR LF, CR and LF, trim units at or below U+0020, skip empty lines, split at every
// TAB and take each field from its part number. A record's UTF-8 field is compared with the UTF-8
// of the plain field. The same files cut into pieces of 1 to 32 bytes (byte 2 picks the size) by
// the cutter the load's workers use must give the loaded records, in order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/headless_window.h"
#include "core/log_analyzer.h"
#include "core/log_record.h"
#include "core/read_ahead.h"
#include "core/record_block.h"
#include "fuzz_support.h"
#include "plain_record.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/text_decoder.h"
#include "platform/unicode.h"
#include "platform/wildcard.h"

namespace {

using core::kLogFieldCount;
using core::TLogField;
using core::TLogRecord;
using korlo_fuzz::HexBytes;
using korlo_fuzz::HexUnits;
using korlo_fuzz::PlainFields;
using korlo_fuzz::PlainTrim;
using korlo_fuzz::Require;
using korlo_fuzz::TPlainFields;
using platform::CodePage;

constexpr std::array<CodePage, 3> kPages = {platform::kCodePageGbk, platform::kCodePageGb18030,
                                            platform::kCodePageUtf8};

constexpr std::u16string_view kRoot = u"R:\\server";
constexpr std::u16string_view kDay = u"2024-03-01";
constexpr std::u16string_view kDayFolder = u"R:\\server\\LogServer\\BaseDir\\2024-03-01\\";

// A line start whose Account alone holds more bytes than a record block counts in the 8 bits
// of a common line (255), so that the block keeps the line as a wide one.
const std::string& LongLineStart() {
  static const std::string start = "0\t" + std::string(256, 'w');
  return start;
}

// The files as the loader must read them: logs before texts, each in the folder's order.
constexpr std::array<std::size_t, 3> kReadOrder = {0, 2, 1};

struct TMemoryFile {
  std::u16string name;
  std::string bytes;
};

// One day folder holding the given files, listed in the given order.
class TMemoryFileSystem final : public platform::IFileSystem {
 public:
  explicit TMemoryFileSystem(std::vector<TMemoryFile> files) : files_(std::move(files)) {}

  bool DirectoryExists(std::u16string_view path) const override { return path == kDayFolder; }

  std::vector<std::u16string> EnumerateEntries(std::u16string_view directory,
                                               std::u16string_view pattern,
                                               platform::HiddenEntries) const override {
    std::vector<std::u16string> names;
    if (directory != kDayFolder) return names;
    for (const TMemoryFile& file : files_) {
      if (platform::MatchesWildcard(file.name, pattern)) names.push_back(file.name);
    }
    return names;
  }

  void ReadWholeFile(std::u16string_view path, std::string& bytes) const override {
    for (const TMemoryFile& file : files_) {
      if (std::u16string(kDayFolder) + file.name != path) continue;
      // A buffer of exactly the file's size, so a read past its end is a heap overflow.
      bytes = std::string(file.bytes);
      return;
    }
    Require(false, "the loader read a file the folder does not list");
  }

 private:
  std::vector<TMemoryFile> files_;
};

std::u16string PlainDecode(CodePage page, std::string_view bytes) {
  if (page != platform::kCodePageUtf8) {
    return platform::Utf8ToUtf16(platform::TextDecoder::For(page).Decode(bytes));
  }
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  if (bytes.starts_with(kMark)) bytes.remove_prefix(kMark.size());
  return platform::Utf8ToUtf16(bytes);
}

// The trimmed, non-empty lines of a decoded file.
std::vector<std::u16string> PlainLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\r' && text[i] != u'\n') continue;
    const std::u16string_view line = PlainTrim(text.substr(start, i - start));
    if (!line.empty()) lines.emplace_back(line);
    if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  return lines;
}

void RequireFields(const TLogRecord& record, const TPlainFields& expected, std::string_view what,
                   std::u16string_view line) {
  for (std::size_t field = 0; field < kLogFieldCount; ++field) {
    const std::string_view value = record.Field(static_cast<TLogField>(field));
    const std::string wanted = platform::Utf16ToUtf8(expected[field]);
    Require(value == wanted, what, [&] {
      return "field " + std::to_string(field) + "\nline:     " + HexUnits(line) +
             "\nrecord:   " + HexBytes(value) + "\nexpected: " + HexBytes(wanted);
    });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const CodePage page = kPages[data[0] % kPages.size()];
  const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::size_t firstCut = text.size() * data[1] / 255;
  const std::size_t secondCut = firstCut + (text.size() - firstCut) * data[2] / 255;
  const bool longLine = data[0] / kPages.size() == 1;
  const std::vector<TMemoryFile> files = {
      {u"b.log",
       (longLine ? LongLineStart() : std::string()) + std::string(text.substr(0, firstCut))},
      {u"a.txt", std::string(text.substr(firstCut, secondCut - firstCut))},
      {u"c.LOG", std::string(text.substr(secondCut))},
  };
  const TMemoryFileSystem fileSystem(files);

  std::vector<std::u16string> lines;
  for (const std::size_t file : kReadOrder) {
    for (std::u16string& line : PlainLines(PlainDecode(page, files[file].bytes))) {
      lines.push_back(std::move(line));
    }
  }

  core::THeadlessWindow window;
  core::TLogAnalyzer analyzer(window, fileSystem, page);
  window.Attach(analyzer.State());
  analyzer.InitActionList();
  analyzer.InitActionKeywords();
  analyzer.State().FSelectedPath = kRoot;
  window.dates = {{std::u16string(kDay), true}};
  analyzer.LoadLogData();

  const core::TFormState& state = analyzer.State();
  Require(state.FIsDataLoaded && !state.FIsLoading && state.FCurrentSelectedDate == kDay,
          "the load did not complete");
  const core::TLogAnalyzer::TLoadCounts counts = analyzer.LastLoadCounts();
  Require(counts.files == 3, "files counted", [&] { return std::to_string(counts.files); });
  Require(state.FAllLogs.size() == lines.size() &&
              counts.records == static_cast<std::int64_t>(lines.size()),
          "records counted", [&] {
            return std::to_string(state.FAllLogs.size()) + " loaded, " +
                   std::to_string(counts.records) + " counted, " + std::to_string(lines.size()) +
                   " expected\n" + HexBytes(text);
          });
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TPlainFields expected = PlainFields(lines[i]);
    RequireFields(state.FAllLogs[i], expected, "a loaded record differs from the plain reading",
                  lines[i]);
    const TLogRecord parsed = core::ParseLogLine(lines[i]);
    RequireFields(parsed, expected, "ParseLogLine differs from the plain reading", lines[i]);
    Require(parsed == state.FAllLogs[i], "ParseLogLine differs from the loaded record",
            [&] { return HexUnits(lines[i]); });
  }
  // No keyword and every action selected: the query keeps every record.
  Require(state.FFilteredLogs.size() == lines.size(), "the query after the load dropped records");

  const std::size_t pieceBytes = 1 + data[2] % 32;
  core::TFileCutter cutter(fileSystem, {nullptr, &platform::TextDecoder::For(page)}, pieceBytes);
  std::size_t cut = 0;
  for (const std::size_t file : kReadOrder) {
    cutter.Open(std::u16string(kDayFolder) + files[file].name);
    while (std::unique_ptr<const core::TRecordBlock> block = cutter.Next()) {
      const core::TBlockRef ref(core::TBlockRegistry::Register(std::move(block)));
      for (std::uint32_t line = 0; line < ref->LineCount(); ++line, ++cut) {
        Require(cut < lines.size() && TLogRecord(ref, line) == state.FAllLogs[cut],
                "a record of the file cut into pieces differs from the loaded one",
                [&] { return "pieces of " + std::to_string(pieceBytes) + "\n" + HexBytes(text); });
      }
    }
  }
  Require(cut == lines.size(), "the file cut into pieces gave fewer records",
          [&] { return std::to_string(cut) + " of " + std::to_string(lines.size()); });
  return 0;
}
