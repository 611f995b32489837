#include <exception>
#include <optional>
#include <string>
#include <variant>

#include "core/action_catalogue.h"
#include "core/keyword_match.h"
#include "core/log_analyzer.h"
#include "core/status_texts.h"
#include "core/time_range.h"
#include "platform/os_error.h"
#include "platform/unicode.h"

namespace core {

namespace {

constexpr long long kFilterYieldEvery = 500;

// A keyword condition as the query reads it from the window: off when its box is empty or
// holds only characters at or below U+0020.
std::optional<TKeywordCondition> ReadCondition(const IWindowServices& window,
                                               TCondition condition) {
  const std::u16string keyword = window.KeywordText(condition);
  const std::u16string_view trimmed = TrimText(keyword);
  if (trimmed.empty()) return std::nullopt;
  return TKeywordCondition(
      trimmed, window.ColumnText(condition),
      window.IsExactChecked(condition) ? TMatchMode::kExact : TMatchMode::kFolded);
}

std::u16string ExceptionMessage(const std::exception& error) {
  if (const auto* osError = dynamic_cast<const platform::OsError*>(&error)) {
    return osError->Message();
  }
  return platform::Utf8ToUtf16(error.what());
}

}  // namespace

const TLogAnalyzer::TActionFilterCache& TLogAnalyzer::RebuildActionFilter() {
  TActionFilterCache& cache = actionFilter_;
  cache.generation = actionGeneration_;
  cache.keywords.Clear();
  const std::vector<bool>& checked = state_.FActionChecked;
  const int entries = window_.ActionListCount();
  cache.passAll = checked.empty() || entries <= 0 || checked[kSelectAllEntry];
  if (cache.passAll) return cache;
  bool anyChecked = false;
  for (std::size_t i = 0; i < checked.size() && i < static_cast<std::size_t>(entries); ++i) {
    if (IsHeaderOrSelectAll(static_cast<int>(i)) || !checked[i]) continue;
    anyChecked = true;
    for (const std::u16string& keyword :
         GetActionKeywords(window_.ActionListText(static_cast<int>(i)))) {
      // The keyword is looked for in the lower-cased LogTime, so the set lower-cases it the
      // same way: a keyword with capitals ("NPC收回") would otherwise never match. An empty
      // keyword is skipped.
      cache.keywords.Add(keyword);
    }
  }
  cache.passAll = !anyChecked;
  return cache;
}

bool TLogAnalyzer::MatchActionFilter(const TLogRecord& record) {
  const TActionFilterCache& filter = ActionFilter();
  if (filter.passAll) return true;
  return filter.keywords.FoundIn(record.LogTime(), TTextEnd::kSlack);
}

void TLogAnalyzer::ClearRecords() {
  ++passGeneration_;
  ++recordsGeneration_;
  loaded_ = TLoadedLogs();
  state_.FAllLogs.clear();
  state_.FFilteredLogs.clear();
}

void TLogAnalyzer::ApplyFilter() {
  TLogList& all = state_.FAllLogs;
  TLogList& result = state_.FFilteredLogs;
  if (!state_.FIsDataLoaded || all.empty()) {
    result.clear();
    window_.RenderGrid();
    window_.SetStatus(status::kNoData);
    window_.UpdateStatusBar();
    return;
  }
  const std::optional<TKeywordCondition> first = ReadCondition(window_, TCondition::kFirst);
  const std::optional<TKeywordCondition> second = ReadCondition(window_, TCondition::kSecond);
  // A time range that cannot be read runs no query: the result stays as it was.
  const std::variant<TTimeRange, TTimeRange::TError> parsed =
      TTimeRange::Parse(window_.TimeText(TTimeBound::kStart), window_.TimeText(TTimeBound::kEnd));
  if (const auto* error = std::get_if<TTimeRange::TError>(&parsed)) {
    window_.SetStatus(*error == TTimeRange::TError::kBadStart ? status::kBadStartTime
                      : *error == TTimeRange::TError::kBadEnd ? status::kBadEndTime
                                                              : status::kStartAfterEnd);
    return;
  }
  const TTimeRange& range = std::get<TTimeRange>(parsed);

  const std::uint64_t pass = ++passGeneration_;
  result.clear();
  // Untouched capacity costs address space only; it spares the copies of a growing list.
  result.reserve(all.size());
  long long matches = 0;
  window_.SetStatus(status::FilteringRecords(static_cast<long long>(all.size())));
  try {
    const std::size_t count = all.size();
    TLogList::TCursor records(all);
    for (std::size_t j = 0; j < count; ++j) {
      if (j >= all.size()) break;  // a command run during a yield may have replaced the list
      const TLogRecord& record = records.At(j);
      try {
        if (!range.Empty() && !range.Contains(record.LogTime())) continue;
        if (first && !first->Matches(record)) continue;
        if (second && !second->Matches(record)) continue;
        if (!MatchActionFilter(record)) continue;
        result.push_back(record);
        ++matches;
      } catch (...) {
        continue;  // a record that cannot be tested or kept is left out; the pass goes on
      }
      if (matches % kFilterYieldEvery == 0) {
        window_.Yield();
        // A command run during the yield started a newer pass or dropped the records: that
        // command has rendered and reported the current state, which this pass must not undo.
        if (passGeneration_ != pass) return;
      }
    }
  } catch (const std::exception& error) {
    window_.SetStatus(std::u16string(status::kFilterError) + ExceptionMessage(error));
  }
  window_.RenderGrid();
  window_.UpdateStatusBar();
  if (matches == 0) {
    window_.SetStatus(status::kNoMatches);
  } else {
    window_.SetStatus(status::MatchesFound(matches));
  }
}

}  // namespace core
