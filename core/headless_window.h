#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/form_state.h"
#include "core/window_services.h"

namespace core {

// A window without a screen: the controls the core reads and fills are plain data, and the
// reports update plain fields. Tools that drive the core headless (the benchmark driver) use it
// as it is; the tests' recording window builds on it.
class THeadlessWindow : public IWindowServices {
 public:
  struct TDateItem {
    std::u16string name;
    bool selected = false;
  };

  // The form state the status bar and the load button read; set before the first report.
  void Attach(const TFormState& state) { state_ = &state; }

  // ---- The controls, for the driver to set up and read -------------------------------------
  std::vector<TDateItem> dates;
  bool datesSorted = false;
  std::u16string keyword[2];
  std::u16string column[2] = {std::u16string(kAllColumns), std::u16string(kAllColumns)};
  bool exact[2] = {true, true};
  std::u16string time[2];  // the time range's start and end
  std::vector<std::u16string> actions;

  // Selects exactly the named items; returns false when a name is not in the list.
  bool SelectDates(std::initializer_list<std::u16string_view> names);
  bool SelectDates(const std::vector<std::u16string>& names);
  std::vector<std::u16string> DateNames() const;

  // ---- What the reports left ----------------------------------------------------------------
  // The status line as the operator would see it, prefix included.
  std::u16string StatusLine() const { return u"状态：" + status_; }
  std::u16string LoadButtonCaption() const { return caption_; }
  bool ControlsEnabled() const { return controlsEnabled_; }
  bool ProgressVisible() const { return progressVisible_; }

  // Runs at every yield, as if the operator acted at that moment.
  std::function<void()> onYield;

  // ---- IWindowServices ----------------------------------------------------------------------
  void SetStatus(std::u16string_view message) override;
  void UpdateStatusBar() override {}
  void UpdateLoadButton() override;
  // Does what the window does: on disabling shows the busy status; then yields.
  void SetControlsEnabled(bool enabled) override;
  void SetProgressVisible(bool visible) override { progressVisible_ = visible; }
  void SetProgressMax(int) override {}  // no one reads the bar's scale without a window
  void SetProgressPosition(int) override {}
  void Yield() override;
  void RenderGrid() override {}
  void RepaintActionList() override {}
  int DateFolderCount() const override;
  std::u16string DateFolderText(int index) const override;
  bool IsDateFolderSelected(int index) const override;
  void SetDateFolderSelected(int index, bool selected) override;
  void ClearDateFolders() override { dates.clear(); }
  void AddDateFolder(std::u16string_view name) override;
  void SetDateFoldersSorted() override;
  std::u16string KeywordText(TCondition condition) const override;
  std::u16string ColumnText(TCondition condition) const override;
  bool IsExactChecked(TCondition condition) const override;
  std::u16string TimeText(TTimeBound bound) const override {
    return time[bound == TTimeBound::kStart ? 0 : 1];
  }
  void FillActionList(std::span<const std::u16string_view> texts) override;
  int ActionListCount() const override { return static_cast<int>(actions.size()); }
  std::u16string ActionListText(int index) const override;

 protected:
  const TFormState& State() const;

 private:
  const TFormState* state_ = nullptr;
  std::u16string status_ = u"未加载";
  std::u16string caption_ = u"加载";
  bool controlsEnabled_ = true;
  bool progressVisible_ = false;
};

}  // namespace core
