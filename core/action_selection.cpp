#include <string>
#include <vector>

#include "core/action_catalogue.h"
#include "core/log_analyzer.h"
#include "core/status_texts.h"

namespace core {

void TLogAnalyzer::InitActionList() {
  window_.FillActionList(ACTION_TEXTS);
  state_.FActionChecked.assign(static_cast<std::size_t>(window_.ActionListCount()), false);
  if (!state_.FActionChecked.empty()) state_.FActionChecked[kSelectAllEntry] = true;
  ActionFlagsChanged();
}

void TLogAnalyzer::InitActionKeywords() {
  for (const TActionKeywordRow& row : ACTION_KEYWORD_ROWS) {
    state_.FActionKeywords[std::u16string(row.action)] =
        std::vector<std::u16string>(row.keywords.begin(), row.keywords.end());
  }
  ActionFlagsChanged();
}

const std::vector<std::u16string>& TLogAnalyzer::GetActionKeywords(
    std::u16string_view action) const {
  static const std::vector<std::u16string> kNone;
  const auto row = state_.FActionKeywords.find(action);
  return row != state_.FActionKeywords.end() ? row->second : kNone;
}

void TLogAnalyzer::RecomputeSelectAllFlag() {
  std::vector<bool>& checked = state_.FActionChecked;
  if (checked.empty()) return;
  bool all = true;
  for (std::size_t i = 2; i < checked.size(); ++i) {
    if (i != kPlayerGroupHeader && !checked[i]) {
      all = false;
      break;
    }
  }
  checked[kSelectAllEntry] = all;
}

void TLogAnalyzer::ResetActionFlags() {
  std::vector<bool>& checked = state_.FActionChecked;
  checked.assign(checked.size(), false);
  if (!checked.empty()) checked[kSelectAllEntry] = true;
  ActionFlagsChanged();
}

void TLogAnalyzer::SetActionGroup(int header, bool value) {
  const TActionGroup group = GroupMembers(header);
  if (group.first > group.last) return;
  std::vector<bool>& checked = state_.FActionChecked;
  for (int i = group.first; i <= group.last && static_cast<std::size_t>(i) < checked.size(); ++i) {
    checked[static_cast<std::size_t>(i)] = value;
  }
  RecomputeSelectAllFlag();
  ActionFlagsChanged();
}

void TLogAnalyzer::ToggleAction(int index) {
  if (state_.FIsLoading) {
    window_.SetStatus(status::kBusy);
    return;
  }
  std::vector<bool>& checked = state_.FActionChecked;
  if (index < 0 || static_cast<std::size_t>(index) >= checked.size()) return;
  if (index == kSelectAllEntry) {
    ResetActionFlags();
  } else {
    const auto at = static_cast<std::size_t>(index);
    checked[at] = !checked[at];
    if (index == kItemGroupHeader || index == kPlayerGroupHeader) {
      SetActionGroup(index, checked[at]);
    }
    RecomputeSelectAllFlag();
    ActionFlagsChanged();
  }
  window_.RepaintActionList();
}

void TLogAnalyzer::btnSelectAllActionsClick() {
  if (state_.FIsLoading) {
    window_.SetStatus(status::kBusy);
    return;
  }
  ResetActionFlags();
  window_.RepaintActionList();
  window_.SetStatus(status::kAllActionsSelected);
}

void TLogAnalyzer::btnClearAllActionsClick() {
  if (state_.FIsLoading) {
    window_.SetStatus(status::kBusy);
    return;
  }
  ResetActionFlags();
  window_.RepaintActionList();
  window_.SetStatus(status::kActionsCleared);
}

}  // namespace core
