#include "core/headless_window.h"

#include <algorithm>
#include <stdexcept>

namespace core {

namespace {

bool NameBefore(const THeadlessWindow::TDateItem& a, const THeadlessWindow::TDateItem& b) {
  return a.name < b.name;
}

std::size_t Slot(TCondition condition) {
  return static_cast<std::size_t>(condition);
}

}  // namespace

const TFormState& THeadlessWindow::State() const {
  if (state_ == nullptr) throw std::logic_error("headless window used before Attach");
  return *state_;
}

bool THeadlessWindow::SelectDates(std::initializer_list<std::u16string_view> names) {
  return SelectDates(std::vector<std::u16string>(names.begin(), names.end()));
}

bool THeadlessWindow::SelectDates(const std::vector<std::u16string>& names) {
  for (TDateItem& item : dates) {
    item.selected = std::find(names.begin(), names.end(), item.name) != names.end();
  }
  return std::all_of(names.begin(), names.end(), [this](const std::u16string& name) {
    return std::any_of(dates.begin(), dates.end(),
                       [&name](const TDateItem& item) { return item.name == name; });
  });
}

std::vector<std::u16string> THeadlessWindow::DateNames() const {
  std::vector<std::u16string> names;
  for (const TDateItem& item : dates)
    names.push_back(item.name);
  return names;
}

void THeadlessWindow::SetStatus(std::u16string_view message) {
  status_ = message;
}

void THeadlessWindow::UpdateLoadButton() {
  caption_ = State().FIsDataLoaded ? u"查询/刷新" : u"加载";
}

void THeadlessWindow::SetControlsEnabled(bool enabled) {
  controlsEnabled_ = enabled;
  if (!enabled) SetStatus(u"正在加载数据，请稍候...");
  Yield();
}

void THeadlessWindow::Yield() {
  if (onYield) onYield();
}

int THeadlessWindow::DateFolderCount() const {
  return static_cast<int>(dates.size());
}

std::u16string THeadlessWindow::DateFolderText(int index) const {
  return dates.at(static_cast<std::size_t>(index)).name;
}

bool THeadlessWindow::IsDateFolderSelected(int index) const {
  return dates.at(static_cast<std::size_t>(index)).selected;
}

void THeadlessWindow::SetDateFolderSelected(int index, bool selected) {
  dates.at(static_cast<std::size_t>(index)).selected = selected;
}

void THeadlessWindow::AddDateFolder(std::u16string_view name) {
  TDateItem item{std::u16string(name), false};
  if (!datesSorted) {
    dates.push_back(std::move(item));
    return;
  }
  dates.insert(std::upper_bound(dates.begin(), dates.end(), item, NameBefore), std::move(item));
}

void THeadlessWindow::SetDateFoldersSorted() {
  datesSorted = true;
  std::stable_sort(dates.begin(), dates.end(), NameBefore);
}

std::u16string THeadlessWindow::KeywordText(TCondition condition) const {
  return keyword[Slot(condition)];
}

std::u16string THeadlessWindow::ColumnText(TCondition condition) const {
  return column[Slot(condition)];
}

bool THeadlessWindow::IsExactChecked(TCondition condition) const {
  return exact[Slot(condition)];
}

void THeadlessWindow::FillActionList(std::span<const std::u16string_view> texts) {
  actions.assign(texts.begin(), texts.end());
}

std::u16string THeadlessWindow::ActionListText(int index) const {
  return actions.at(static_cast<std::size_t>(index));
}

}  // namespace core
