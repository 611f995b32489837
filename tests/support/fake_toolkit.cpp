#include "support/fake_toolkit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/unicode.h"

namespace korlo_test {

using form::TControl;

namespace {

std::string Name(TControl control) {
  return std::string(form::ControlName(control));
}

std::string Flag(bool value) {
  return value ? "true" : "false";
}

// One transcript line per call: line ends inside a text are shown escaped.
std::string OneLine(std::u16string_view text) {
  std::string line;
  for (char c : Utf8(text)) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

std::string Utf8(std::u16string_view text) {
  return platform::Utf16ToUtf8(text);
}

std::string RectText(form::TRect rect) {
  return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
         std::to_string(rect.width) + " " + std::to_string(rect.height);
}

std::string RoleName(form::TColourRole role) {
  switch (role) {
    case form::TColourRole::kWindow:
      return "window";
    case form::TColourRole::kWindowText:
      return "windowtext";
    case form::TColourRole::kHighlight:
      return "highlight";
    case form::TColourRole::kHighlightText:
      return "highlighttext";
    case form::TColourRole::kBlue:
      return "blue";
  }
  return "?";
}

// ---- Transcript and state ---------------------------------------------------------------------

std::vector<std::string> FakeToolkit::Lines(
    std::initializer_list<std::string_view> prefixes) const {
  std::vector<std::string> lines;
  for (const std::string& line : transcript_) {
    for (std::string_view prefix : prefixes) {
      if (line.starts_with(prefix)) {
        lines.push_back(line);
        break;
      }
    }
  }
  return lines;
}

std::size_t FakeToolkit::Count(std::string_view line) const {
  return static_cast<std::size_t>(std::count(transcript_.begin(), transcript_.end(), line));
}

const FakeToolkit::TControlState& FakeToolkit::Control(TControl control) const {
  return controls_.at(form::Index(control));
}

FakeToolkit::TControlState* FakeToolkit::Find(TControl control) {
  TControlState& state = controls_.at(form::Index(control));
  return state.created ? &state : nullptr;
}

const FakeToolkit::TControlState* FakeToolkit::Find(TControl control) const {
  const TControlState& state = controls_.at(form::Index(control));
  return state.created ? &state : nullptr;
}

FakeToolkit::TControlState* FakeToolkit::FindItem(TControl list, int index) {
  TControlState* state = Find(list);
  if (!state || index < 0 || static_cast<std::size_t>(index) >= state->items.size()) {
    return nullptr;
  }
  return state;
}

const FakeToolkit::TControlState* FakeToolkit::FindItem(TControl list, int index) const {
  const TControlState* state = Find(list);
  if (!state || index < 0 || static_cast<std::size_t>(index) >= state->items.size()) {
    return nullptr;
  }
  return state;
}

std::vector<std::u16string> FakeToolkit::SelectedItems(TControl list) const {
  std::vector<std::u16string> selected;
  const TControlState& state = Control(list);
  for (std::size_t i = 0; i < state.items.size(); ++i) {
    if (state.selected[i]) selected.push_back(state.items[i]);
  }
  return selected;
}

std::u16string FakeToolkit::PanelText(int panel) const {
  if (panel < 0 || static_cast<std::size_t>(panel) >= panels_.size()) return {};
  return panels_[static_cast<std::size_t>(panel)];
}

form::TForm1& FakeToolkit::Form() {
  if (!form_) throw std::logic_error("FakeToolkit: no form attached");
  return *form_;
}

// ---- The fake clock ---------------------------------------------------------------------------

void FakeToolkit::Advance(int milliseconds) {
  const long long target = now_ + milliseconds;
  for (;;) {
    // The earliest due timer; among equal due times, the one started first.
    auto next = std::min_element(
        timers_.begin(), timers_.end(),
        [](const TPendingTimer& a, const TPendingTimer& b) { return a.due < b.due; });
    if (next == timers_.end() || next->due > target) break;
    now_ = next->due;
    const form::TTimerId id = next->id;
    timers_.erase(next);
    Record("tick " + std::to_string(static_cast<std::uint32_t>(id)));
    Form().TimerFired(id);
  }
  now_ = target;
}

void FakeToolkit::FireDueTimers() {
  Advance(0);
}

// ---- The operator -----------------------------------------------------------------------------

void FakeToolkit::ChangeEditText(TControl edit, std::u16string text) {
  TControlState* state = Find(edit);
  if (!state || state->text == text) return;
  state->text = std::move(text);
  Form().EditChanged(edit);
}

void FakeToolkit::Type(TControl edit, std::u16string_view text) {
  for (char16_t c : text) {
    ChangeEditText(edit, Control(edit).text + c);
  }
}

void FakeToolkit::Paste(TControl edit, std::u16string_view text) {
  ChangeEditText(edit, std::u16string(text));
}

void FakeToolkit::ClickCheckBox(TControl box) {
  TControlState* state = Find(box);
  if (!state || !state->enabled) return;
  state->checked = !state->checked;
  Form().CheckBoxClicked(box);
}

void FakeToolkit::ShowCountWindow(std::u16string_view title,
                                  std::span<const form::TGridColumn> columns, int rows) {
  std::string headers;
  for (const form::TGridColumn& column : columns)
    headers += (headers.empty() ? "" : " ") + Utf8(column.header);
  Record("countwindow " + Utf8(title) + " | " + headers + " | " + std::to_string(rows));
  countTitle_ = title;
  countRows_ = rows;
}

void FakeToolkit::SetGridTopRow(int row) {
  Record("toprow " + std::to_string(row));
  gridTopRow_ = std::clamp(row, 1, std::max(gridRows_, 1));
}

void FakeToolkit::NotifyUnchangedText(TControl edit) {
  Form().EditChanged(edit);
}

bool FakeToolkit::Click(TControl button) {
  const TControlState* state = Find(button);
  if (!state || !state->enabled || !state->visible) return false;
  Form().ButtonClicked(button);
  return true;
}

void FakeToolkit::SetCheckBox(TControl box, bool checked) {
  if (TControlState* state = Find(box)) state->checked = checked;
}

void FakeToolkit::PickComboItem(TControl combo, int index) {
  if (TControlState* state = FindItem(combo, index)) state->current = index;
}

void FakeToolkit::ChooseComboItem(TControl combo, int index) {
  TControlState* state = FindItem(combo, index);
  if (!state || state->current == index) return;
  state->current = index;
  Form().ComboChanged(combo);
}

int FakeToolkit::IndexOfDate(std::u16string_view name) const {
  const std::vector<std::u16string>& items = Control(TControl::lstDateFolders).items;
  const auto found = std::find(items.begin(), items.end(), name);
  return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

void FakeToolkit::SelectDates(const std::vector<std::u16string_view>& names) {
  TControlState& list = controls_[form::Index(TControl::lstDateFolders)];
  for (std::u16string_view name : names) {
    EXPECT_GE(IndexOfDate(name), 0) << "no date folder " << Utf8(name);
  }
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    list.selected[i] = std::find(names.begin(), names.end(), list.items[i]) != names.end();
  }
  if (names.size() > 0) list.current = IndexOfDate(*names.begin());
  Form().DateListSelectionChanged();
}

void FakeToolkit::CtrlClickDate(std::u16string_view name) {
  TControlState& list = controls_[form::Index(TControl::lstDateFolders)];
  const int index = IndexOfDate(name);
  ASSERT_GE(index, 0) << "no date folder " << Utf8(name);
  list.selected[static_cast<std::size_t>(index)] = !list.selected[static_cast<std::size_t>(index)];
  list.current = index;
  Form().DateListSelectionChanged();
}

bool FakeToolkit::PressKey(form::TKey key, form::TShift shift, TControl focused) {
  if (Form().KeyPreview(key, shift)) return true;
  if (focused == TControl::StringGrid1) return Form().GridKeyDown(key, shift);
  if (focused == TControl::lstActions) return Form().ActionListKeyDown(key, shift);
  return false;
}

void FakeToolkit::PressGridDown() {
  if (PressKey(form::TKey::kOther, form::TShift::kNone, TControl::StringGrid1)) return;
  const int next = gridCurrentRow_ < 1 ? 1 : gridCurrentRow_ + 1;
  if (next > gridRows_) return;
  Form().GridSelectCell({0, next});
  gridCurrentRow_ = next;
}

void FakeToolkit::PressGrid(form::TMouseButton button, form::TGridCell cell, form::TShift shift) {
  if (button == form::TMouseButton::kLeft && !form::Holds(shift, form::TShift::kShift) &&
      cell.column >= 0 && cell.row >= 1) {
    Form().GridSelectCell(cell);
    gridCurrentRow_ = cell.row;
  }
  Form().GridMouseDown(button, shift, cell);
}

void FakeToolkit::PressActionList(form::TMouseButton button, form::TPoint point,
                                  form::TShift shift) {
  if (button == form::TMouseButton::kLeft) {
    const int entry = ItemAt(TControl::lstActions, point);
    if (entry >= 0) controls_[form::Index(TControl::lstActions)].current = entry;
  }
  Form().ActionListMouseDown(button, shift, point);
}

form::TPoint FakeToolkit::ActionPoint(int index, int x) {
  const int itemHeight = form::LayoutOf(TControl::lstActions).itemHeight;
  return {x, index * itemHeight + itemHeight / 2};
}

void FakeToolkit::Show() {
  Form().Shown();
}

void FakeToolkit::Resize(form::TSize client) {
  Form().Resized(client);
}

void FakeToolkit::DragSplitter(int x) {
  Form().SplitterDragged(x);
}

bool FakeToolkit::RequestClose() {
  const bool agreed = Form().CloseRequested();
  if (agreed) closed_ = true;
  return agreed;
}

// ---- IToolkit: the window and its controls ----------------------------------------------------

void FakeToolkit::SetUpWindow(const form::TWindowLayout& window) {
  caption_ = window.caption;
  Record("window " + Utf8(window.caption) + " " + std::to_string(window.clientSize.width) + "x" +
         std::to_string(window.clientSize.height) + " " + Utf8(window.fontFace) + " " +
         std::to_string(window.fontHeight));
}

void FakeToolkit::CreateControl(const form::TControlLayout& entry) {
  Record("create " + Name(entry.id));
  TControlState& state = controls_.at(form::Index(entry.id));
  state = TControlState{};
  state.created = true;
  state.layout = entry;
  state.text = entry.text;
  state.bounds = entry.bounds;
  if (entry.kind == form::TControlKind::kStatusBar) {
    panels_.clear();
    for (const form::TStatusPanelLayout& panel : form::StatusPanels()) {
      panels_.emplace_back(panel.text);
    }
  }
}

void FakeToolkit::SetTabOrder(std::span<const TControl> order) {
  std::string line = "taborder";
  for (TControl control : order)
    line += " " + Name(control);
  Record(line);
  tabOrder_.assign(order.begin(), order.end());
}

void FakeToolkit::SetBounds(TControl control, form::TRect bounds) {
  Record("bounds " + Name(control) + " " + RectText(bounds));
  if (TControlState* state = Find(control)) state->bounds = bounds;
}

form::TRect FakeToolkit::Bounds(TControl control) const {
  const TControlState* state = Find(control);
  return state ? state->bounds : form::TRect{};
}

void FakeToolkit::SetText(TControl control, std::u16string_view text) {
  Record("text " + Name(control) + " " + OneLine(text));
  TControlState* state = Find(control);
  if (!state) return;
  if (state->layout.kind == form::TControlKind::kEdit) {
    ChangeEditText(control, std::u16string(text));
  } else {
    state->text = text;
  }
}

std::u16string FakeToolkit::Text(TControl control) const {
  const TControlState* state = Find(control);
  return state ? state->text : std::u16string();
}

void FakeToolkit::SetEnabled(TControl control, bool enabled) {
  Record("enable " + Name(control) + " " + Flag(enabled));
  if (TControlState* state = Find(control)) state->enabled = enabled;
}

bool FakeToolkit::IsEnabled(TControl control) const {
  const TControlState* state = Find(control);
  return state && state->enabled;
}

void FakeToolkit::SetVisible(TControl control, bool visible) {
  Record("visible " + Name(control) + " " + Flag(visible));
  if (TControlState* state = Find(control)) state->visible = visible;
}

void FakeToolkit::SetChecked(TControl control, bool checked) {
  Record("check " + Name(control) + " " + Flag(checked));
  if (TControlState* state = Find(control)) state->checked = checked;
}

bool FakeToolkit::IsChecked(TControl control) const {
  const TControlState* state = Find(control);
  return state && state->checked;
}

void FakeToolkit::FocusAndSelectAll(TControl control) {
  Record("focus " + Name(control));
  const TControlState* state = Find(control);
  if (state && state->enabled) focused_ = control;
}

void FakeToolkit::Invalidate(TControl control) {
  Record("invalidate " + Name(control));
}

void FakeToolkit::SetCaption(std::u16string_view caption) {
  Record("caption " + Utf8(caption));
  caption_ = caption;
}

std::u16string FakeToolkit::Caption() const {
  return caption_;
}

form::TRect FakeToolkit::WorkArea() const {
  return workArea;
}

form::TSize FakeToolkit::OuterSize(form::TSize client) const {
  return {client.width + frame.width, client.height + frame.height};
}

void FakeToolkit::SetWindowBounds(form::TRect outer) {
  Record("windowbounds " + RectText(outer));
}

void FakeToolkit::CloseWindow() {
  Record("close");
  closed_ = true;
}

// ---- IToolkit: lists --------------------------------------------------------------------------

void FakeToolkit::ClearItems(TControl list) {
  Record("clear " + Name(list));
  if (TControlState* state = Find(list)) {
    state->items.clear();
    state->selected.clear();
    state->current = -1;
  }
}

void FakeToolkit::AddItem(TControl list, std::u16string_view text) {
  Record("add " + Name(list) + " " + Utf8(text));
  TControlState* state = Find(list);
  if (!state) return;
  auto at = state->items.end();
  if (state->sorted) at = std::upper_bound(state->items.begin(), state->items.end(), text);
  const auto offset = at - state->items.begin();
  state->items.insert(at, std::u16string(text));
  state->selected.insert(state->selected.begin() + offset, false);
  if (state->current >= offset) ++state->current;
}

int FakeToolkit::ItemCount(TControl list) const {
  const TControlState* state = Find(list);
  return state ? static_cast<int>(state->items.size()) : 0;
}

std::u16string FakeToolkit::ItemText(TControl list, int index) const {
  const TControlState* state = FindItem(list, index);
  return state ? state->items[static_cast<std::size_t>(index)] : std::u16string();
}

void FakeToolkit::SetSorted(TControl list) {
  Record("sorted " + Name(list));
  TControlState* state = Find(list);
  if (!state || state->layout.kind != form::TControlKind::kDateList) return;
  state->sorted = true;
  std::vector<std::pair<std::u16string, bool>> entries;
  for (std::size_t i = 0; i < state->items.size(); ++i) {
    entries.emplace_back(state->items[i], state->selected[i]);
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < entries.size(); ++i) {
    state->items[i] = entries[i].first;
    state->selected[i] = entries[i].second;
  }
  state->current = -1;
}

void FakeToolkit::SetItemSelected(TControl list, int index, bool selected) {
  Record("select " + Name(list) + " " + std::to_string(index) + " " + Flag(selected));
  if (TControlState* state = FindItem(list, index)) {
    state->selected[static_cast<std::size_t>(index)] = selected;
  }
}

bool FakeToolkit::IsItemSelected(TControl list, int index) const {
  const TControlState* state = FindItem(list, index);
  return state && state->selected[static_cast<std::size_t>(index)];
}

int FakeToolkit::CurrentItem(TControl list) const {
  const TControlState* state = Find(list);
  return state ? state->current : -1;
}

void FakeToolkit::SetCurrentItem(TControl list, int index) {
  Record("current " + Name(list) + " " + std::to_string(index));
  TControlState* state = Find(list);
  if (state && index >= -1 && index < static_cast<int>(state->items.size())) {
    state->current = index;
  }
}

int FakeToolkit::ItemAt(TControl list, form::TPoint point) const {
  const TControlState* state = Find(list);
  if (!state || state->layout.itemHeight <= 0) return -1;
  const form::TRect client{0, 0, state->bounds.width, state->bounds.height};
  if (!client.Contains(point)) return -1;
  const int index = point.y / state->layout.itemHeight;
  return index < static_cast<int>(state->items.size()) ? index : -1;
}

// ---- IToolkit: status bar, progress bar, grid -------------------------------------------------

void FakeToolkit::SetPanelText(int panel, std::u16string_view text) {
  Record("panel " + std::to_string(panel) + " " + Utf8(text));
  if (panel >= 0 && static_cast<std::size_t>(panel) < panels_.size()) {
    panels_[static_cast<std::size_t>(panel)] = text;
  }
}

int FakeToolkit::PanelCount() const {
  return static_cast<int>(panels_.size());
}

void FakeToolkit::SetProgressMax(int maximum) {
  Record("progress max " + std::to_string(maximum));
  progressMax_ = maximum;
}

void FakeToolkit::SetProgressPosition(int position) {
  Record("progress " + std::to_string(position));
  progressPosition_ = position;
  ++paceCounts_.progressMoves;
}

void FakeToolkit::SetGridColumns(std::span<const form::TGridColumn> columns) {
  Record("columns " + std::to_string(columns.size()));
  columns_.clear();
  for (const form::TGridColumn& column : columns) {
    columns_.emplace_back(std::u16string(column.header), column.width);
  }
}

void FakeToolkit::SetGridRowCount(int dataRows) {
  // The current row stays where it was: what a shorter grid does to it is the form's decision.
  Record("rows " + std::to_string(dataRows));
  gridRows_ = std::max(dataRows, 0);
}

int FakeToolkit::GridCurrentRow() const {
  return gridCurrentRow_;
}

void FakeToolkit::SetGridCurrentRow(int row) {
  Record("gridrow " + std::to_string(row));
  if (row == -1 || (row >= 1 && row <= gridRows_)) gridCurrentRow_ = row;
}

form::TRowRange FakeToolkit::GridSelectedRows() const {
  return {std::max(gridSelection.first, 1), std::min(gridSelection.last, gridRows_)};
}

// ---- IToolkit: services -----------------------------------------------------------------------

void FakeToolkit::SetClipboardText(std::u16string_view text) {
  Record("clipboard " + OneLine(text));
  clipboard_ = text;
}

form::TTimerId FakeToolkit::StartTimer(int milliseconds) {
  const form::TTimerId id{nextTimer_++};
  Record("timer " + std::to_string(static_cast<std::uint32_t>(id)) + " " +
         std::to_string(milliseconds));
  timers_.push_back({id, now_ + milliseconds});
  return id;
}

void FakeToolkit::SetScreenCursor(form::TScreenCursor cursor) {
  Record(cursor == form::TScreenCursor::kHourglass ? "cursor hourglass" : "cursor default");
  cursor_ = cursor;
}

void FakeToolkit::ProcessPendingEvents() {
  Record("yield");
  ++paceCounts_.yields;
  ++paceCounts_.pumps;
  FireDueTimers();
  if (onYield && !inYieldHook_) {
    inYieldHook_ = true;
    onYield();
    inYieldHook_ = false;
  }
}

form::TPaceCounts FakeToolkit::PaceCounts() const {
  return paceCounts_;
}

std::optional<std::u16string> FakeToolkit::ChooseDirectory(std::u16string_view prompt,
                                                           std::u16string_view start) {
  Record("choose " + Utf8(prompt) + " | " + Utf8(start));
  if (directoryAnswers.empty()) {
    ADD_FAILURE() << "the folder chooser opened without a scripted answer";
    return std::nullopt;
  }
  std::optional<std::u16string> answer = std::move(directoryAnswers.front());
  directoryAnswers.pop_front();
  return answer;
}

std::optional<int> FakeToolkit::ShowPopupMenu(std::span<const form::TMenuItem> items) {
  std::string line = "menu ";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) line += '|';
    if (!items[i].enabled) line += '-';
    line += Utf8(items[i].text);
  }
  Record(line);
  if (menuAnswers.empty()) {
    ADD_FAILURE() << "a popup menu opened without a scripted answer";
    return std::nullopt;
  }
  const std::optional<int> answer = menuAnswers.front();
  menuAnswers.pop_front();
  return answer;
}

std::optional<form::TSaveTarget> FakeToolkit::ChooseSaveFile(
    std::u16string_view title, std::u16string_view fileName,
    std::span<const form::TFileType> types) {
  std::string line = "save " + Utf8(title) + " | " + Utf8(fileName) + " |";
  for (const form::TFileType& type : types)
    line += " " + Utf8(type.extension);
  Record(line);
  if (saveAnswers.empty()) {
    ADD_FAILURE() << "the save dialog opened without a scripted answer";
    return std::nullopt;
  }
  std::optional<form::TSaveTarget> answer = std::move(saveAnswers.front());
  saveAnswers.pop_front();
  return answer;
}

void FakeToolkit::ShowInformation(std::u16string_view title, std::u16string_view text) {
  Record("info " + Utf8(title) + " | " + OneLine(text));
  informations.emplace_back(title, text);
}

void FakeToolkit::ShowError(std::u16string_view title, std::u16string_view message) {
  Record("error " + Utf8(title) + " | " + OneLine(message));
  errors.emplace_back(title, message);
}

// ---- FakePainter ------------------------------------------------------------------------------

void FakePainter::FillRect(form::TRect rect, form::TColourRole colour) {
  calls_.push_back("fill " + RectText(rect) + " " + RoleName(colour));
}

void FakePainter::DrawCheckBox(form::TRect box, bool checked) {
  calls_.push_back("checkbox " + RectText(box) + (checked ? " checked" : " unchecked"));
}

void FakePainter::SetFont(form::TFontWeight weight) {
  calls_.push_back(weight == form::TFontWeight::kBold ? "font bold" : "font regular");
}

void FakePainter::SetTextColour(form::TColourRole colour) {
  calls_.push_back("colour " + RoleName(colour));
}

int FakePainter::TextHeight(std::u16string_view) {
  return textHeight;
}

void FakePainter::PaintText(form::TPoint at, std::u16string_view text) {
  calls_.push_back("paint " + std::to_string(at.x) + " " + std::to_string(at.y) + " " + Utf8(text));
}

}  // namespace korlo_test
