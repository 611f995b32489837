// Fuzzes the query: MatchText, MatchKeyword and a reused TKeywordCondition, the action filter
// (TLogAnalyzer::MatchActionFilter after fuzzed toggles of the action list), TLoweredKeywordSet
// with fuzzed keywords, and a whole ApplyFilter pass, each against a plain reference:
// - MatchText: exact is equality; otherwise A-Z fold to a-z on both sides (nothing else folds)
//   and the keyword must occur in the value; an empty value never matches.
// - A condition's column: "所有列" is any of the six searchable fields, one of their six names
//   is that field alone, any other text (an empty one included) matches nothing.
// - Action filter: every record passes when "select all" is checked or nothing but headers is;
//   otherwise when some non-empty keyword of a checked action, lower-cased with
//   platform::LowerCaseInPlace, occurs in the LogTime lower-cased the same way.
// - The pass keeps, in order, the records meeting both conditions (a condition whose keyword
//   is empty once trimmed is off) and the action filter.
//
// The input is read by FuzzedDataProvider: texts are built from a small alphabet (ASCII letters
// around A-Z and a-z, letters whose lower case lies outside ASCII, surrogates, the action
// keywords) or from raw units, so that matches and near misses are frequent.
//
// Records hold UTF-8, where a lone surrogate of a line cannot be kept: it becomes U+FFFD, and the
// plain references read each line as a record holds it. Keywords keep their lone surrogates
// (a window's keyword box can hold one), except for MatchText, which compares UTF-8 texts.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/action_catalogue.h"
#include "core/headless_window.h"
#include "core/keyword_match.h"
#include "core/log_analyzer.h"
#include "core/log_record.h"
#include "core/lowered_search.h"
#include "fuzz_support.h"
#include "plain_record.h"
#include "platform/file_system.h"
#include "platform/lower_case.h"
#include "platform/unicode.h"

namespace {

using core::TLogField;
using core::TLogRecord;
using core::TMatchMode;
using korlo_fuzz::HexUnits;
using korlo_fuzz::PlainFields;
using korlo_fuzz::PlainTrim;
using korlo_fuzz::Require;
using korlo_fuzz::TPlainFields;

constexpr std::u16string_view kAtoms[] = {
    u"a",       u"A",       u"k",      u"K",      u"z",      u"Z",      u"i",        u"I",
    u"@",       u"[",       u"`",      u"{",      u" ",      u"\t",     u"\u00C4",   u"\u00E4",
    u"\u212A",  u"\u0130",  u"\u03A9", u"\u03C9", u"\uFF21", u"\uFF41", u"\u4E2D",   u"\uFFFD",
    u"\xD83D",  u"\xDE00",  u"ab",     u"AB",     u"aB",     u"gm制造", u"GM制造",   u"Gm制造",
    u"npc收回", u"NPC收回", u"|",      u"上线",   u"登陆",   u"离线",   u"英雄死亡", u"仓库取",
    u"使用",    u"货币",    u"等级",   u"拾取",   u"穿戴",   u"帐号",   u"所有列",
};
constexpr std::size_t kAtomCount = std::size(kAtoms);

// Column-box texts: the binding ones and near misses.
constexpr std::u16string_view kColumns[] = {
    u"所有列", u"帐号",    u"角色名", u"物品流水号", u"物品ID",   u"物品名称", u"关联",
    u"",       u"所有列 ", u"物品id", u"地图代码",   u"记录时间", u"Account",
};

struct TPlainColumn {
  std::u16string_view name;
  TLogField field;
};
constexpr TPlainColumn kSearchable[] = {
    {u"帐号", TLogField::Account},          {u"角色名", TLogField::CharName},
    {u"物品流水号", TLogField::ItemSerial}, {u"物品ID", TLogField::ItemID},
    {u"物品名称", TLogField::ItemName},     {u"关联", TLogField::Relation},
};
constexpr std::u16string_view kAllColumns = u"所有列";

// A text of up to `maxPieces` pieces, each an atom or, now and then, one raw unit.
std::u16string Text(FuzzedDataProvider& in, std::size_t maxPieces) {
  std::u16string text;
  const auto pieces = in.ConsumeIntegralInRange<std::size_t>(0, maxPieces);
  for (std::size_t i = 0; i < pieces; ++i) {
    const auto pick = in.ConsumeIntegralInRange<std::size_t>(0, kAtomCount);
    if (pick < kAtomCount) {
      text += kAtoms[pick];
    } else {
      text += static_cast<char16_t>(in.ConsumeIntegral<std::uint16_t>());
    }
  }
  return text;
}

// A log line: up to nineteen parts joined by TABs (more than the seventeen that are read).
std::u16string Line(FuzzedDataProvider& in) {
  std::u16string line = Text(in, 3);
  const auto tabs = in.ConsumeIntegralInRange<std::size_t>(0, 18);
  for (std::size_t i = 0; i < tabs; ++i) {
    line += u'\t';
    line += Text(in, 3);
  }
  return line;
}

// A text as UTF-8 can hold it: each lone surrogate replaced by U+FFFD.
std::u16string AsUtf8Holds(std::u16string_view text) {
  return platform::Utf8ToUtf16(platform::Utf16ToUtf8(text));
}

std::u16string FoldAscii(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
  }
  return folded;
}

std::u16string Lowered(std::u16string_view text) {
  std::u16string lowered(text);
  platform::LowerCaseInPlace(lowered);
  return lowered;
}

bool PlainMatchText(std::u16string_view value, std::u16string_view keyword, TMatchMode mode) {
  if (mode == TMatchMode::kExact) return value == keyword;
  return !value.empty() && FoldAscii(value).find(FoldAscii(keyword)) != std::u16string::npos;
}

bool PlainMatchKeyword(const TPlainFields& fields, std::u16string_view keyword,
                       std::u16string_view column, TMatchMode mode) {
  for (const TPlainColumn& searchable : kSearchable) {
    if (column != kAllColumns && column != searchable.name) continue;
    if (PlainMatchText(fields[static_cast<std::size_t>(searchable.field)], keyword, mode)) {
      return true;
    }
  }
  return false;
}

bool PlainActionPass(const std::vector<bool>& checked, std::u16string_view logTime) {
  if (checked.empty() || checked[core::kSelectAllEntry]) return true;
  const std::u16string text = Lowered(logTime);
  bool anyChecked = false;
  for (std::size_t entry = 0; entry < checked.size(); ++entry) {
    if (!checked[entry] || entry == core::kSelectAllEntry || entry == core::kItemGroupHeader ||
        entry == core::kPlayerGroupHeader) {
      continue;
    }
    anyChecked = true;
    for (const core::TActionKeywordRow& row : core::ACTION_KEYWORD_ROWS) {
      if (row.action != core::ACTION_TEXTS[entry]) continue;
      for (const std::u16string_view keyword : row.keywords) {
        if (!keyword.empty() && text.find(Lowered(keyword)) != std::u16string::npos) return true;
      }
    }
  }
  return !anyChecked;
}

// Toggles the action list as the operator may: entries (out-of-range ones too), group headers,
// the two buttons.
void ToggleActions(FuzzedDataProvider& in, core::TLogAnalyzer& analyzer) {
  const auto toggles = in.ConsumeIntegralInRange<int>(0, 6);
  for (int i = 0; i < toggles; ++i) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        analyzer.ToggleAction(in.ConsumeIntegralInRange<int>(-1, core::kActionEntryCount));
        break;
      case 1:
        analyzer.SetActionGroup(
            in.ConsumeBool() ? core::kItemGroupHeader : core::kPlayerGroupHeader, in.ConsumeBool());
        break;
      case 2:
        analyzer.btnSelectAllActionsClick();
        break;
      default:
        analyzer.btnClearAllActionsClick();
        break;
    }
  }
}

struct TCase {
  std::u16string keyword;
  std::u16string_view column;
  TMatchMode mode;
};

// A file system the analyzer is never asked to use: the query reads no file.
class TNoFileSystem final : public platform::IFileSystem {
 public:
  bool DirectoryExists(std::u16string_view) const override { return false; }
  std::vector<std::u16string> EnumerateEntries(std::u16string_view, std::u16string_view,
                                               platform::HiddenEntries) const override {
    return {};
  }
  void ReadWholeFile(std::u16string_view, std::string&) const override {
    Require(false, "the query read a file");
  }
};

void CheckRecord(const TLogRecord& record, const std::u16string& line, const TPlainFields& fields,
                 const std::array<TCase, 2>& cases,
                 const std::array<core::TKeywordCondition, 2>& conditions) {
  for (std::size_t c = 0; c < cases.size(); ++c) {
    const TCase& test = cases[c];
    const std::string keyword = platform::Utf16ToUtf8(test.keyword);
    const std::u16string heldKeyword = AsUtf8Holds(test.keyword);
    for (const std::u16string& value : fields) {
      for (const TMatchMode mode : {TMatchMode::kExact, TMatchMode::kFolded}) {
        Require(core::MatchText(platform::Utf16ToUtf8(value), keyword, mode) ==
                    PlainMatchText(value, heldKeyword, mode),
                "MatchText", [&] {
                  return "value:   " + HexUnits(value) + "\nkeyword: " + HexUnits(test.keyword) +
                         (mode == TMatchMode::kExact ? "\nexact" : "\nfolded");
                });
      }
    }
    const bool expected = PlainMatchKeyword(fields, test.keyword, test.column, test.mode);
    const auto detail = [&] {
      return "line:    " + HexUnits(line) + "\nkeyword: " + HexUnits(test.keyword) +
             "\ncolumn:  " + HexUnits(test.column) +
             (test.mode == TMatchMode::kExact ? "\nexact" : "\nfolded");
    };
    Require(core::MatchKeyword(record, test.keyword, test.column, test.mode) == expected,
            "MatchKeyword", detail);
    Require(conditions[c].Matches(record) == expected, "TKeywordCondition::Matches", detail);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);

  core::THeadlessWindow window;
  const TNoFileSystem noFiles;
  core::TLogAnalyzer analyzer(window, noFiles, platform::kCodePageGbk);
  window.Attach(analyzer.State());
  analyzer.InitActionList();
  analyzer.InitActionKeywords();
  ToggleActions(in, analyzer);

  std::array<TCase, 2> cases;
  for (TCase& test : cases) {
    test.keyword = Text(in, 4);
    test.column = kColumns[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kColumns) - 1)];
    test.mode = in.ConsumeBool() ? TMatchMode::kExact : TMatchMode::kFolded;
  }
  const std::array<core::TKeywordCondition, 2> conditions = {
      core::TKeywordCondition(cases[0].keyword, cases[0].column, cases[0].mode),
      core::TKeywordCondition(cases[1].keyword, cases[1].column, cases[1].mode)};

  core::TLoweredKeywordSet keywordSet;
  std::vector<std::u16string> setKeywords;
  const auto setSize = in.ConsumeIntegralInRange<std::size_t>(0, 3);
  for (std::size_t i = 0; i < setSize; ++i) {
    setKeywords.push_back(Text(in, 3));
    keywordSet.Add(setKeywords.back());
  }
  bool anyKeyword = false;
  for (const std::u16string& keyword : setKeywords)
    anyKeyword = anyKeyword || !keyword.empty();
  Require(keywordSet.Empty() == !anyKeyword, "TLoweredKeywordSet::Empty");

  std::vector<std::u16string> lines;
  std::vector<TLogRecord> records;
  const auto recordCount = in.ConsumeIntegralInRange<std::size_t>(1, 4);
  for (std::size_t i = 0; i < recordCount; ++i) {
    lines.push_back(AsUtf8Holds(Line(in)));
    records.push_back(core::ParseLogLine(lines.back()));
  }

  const std::vector<bool>& checked = analyzer.State().FActionChecked;
  core::TLogList expectedPass;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const TLogRecord& record = records[i];
    const TPlainFields fields = PlainFields(lines[i]);
    CheckRecord(record, lines[i], fields, cases, conditions);

    const std::u16string& logTime = fields[static_cast<std::size_t>(TLogField::LogTime)];
    const bool actionPass = PlainActionPass(checked, logTime);
    Require(analyzer.MatchActionFilter(record) == actionPass, "MatchActionFilter",
            [&] { return "LogTime: " + HexUnits(logTime); });

    for (const std::u16string& text : {logTime, lines[i]}) {
      const std::u16string lowered = Lowered(text);
      bool found = false;
      for (const std::u16string& keyword : setKeywords) {
        found =
            found || (!keyword.empty() && lowered.find(Lowered(keyword)) != std::u16string::npos);
      }
      Require(keywordSet.FoundIn(platform::Utf16ToUtf8(text)) == found,
              "TLoweredKeywordSet::FoundIn", [&] { return "text: " + HexUnits(text); });
    }

    bool kept = actionPass;
    for (const TCase& test : cases) {
      const std::u16string_view trimmed = PlainTrim(test.keyword);
      kept =
          kept && (trimmed.empty() || PlainMatchKeyword(fields, trimmed, test.column, test.mode));
    }
    if (kept) expectedPass.push_back(record);
  }

  for (std::size_t c = 0; c < cases.size(); ++c) {
    window.keyword[c] = cases[c].keyword;
    window.column[c] = cases[c].column;
    window.exact[c] = cases[c].mode == TMatchMode::kExact;
  }
  core::TFormState& state = analyzer.State();
  state.FAllLogs.clear();
  for (const TLogRecord& record : records)
    state.FAllLogs.push_back(record);
  state.FIsDataLoaded = true;
  analyzer.ApplyFilter();
  Require(state.FFilteredLogs == expectedPass, "ApplyFilter kept other records", [&] {
    return std::to_string(state.FFilteredLogs.size()) + " kept, " +
           std::to_string(expectedPass.size()) + " expected";
  });
  return 0;
}
