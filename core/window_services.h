#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace core {

// Which of the two keyword conditions of the query an input belongs to.
enum class TCondition : std::uint8_t { kFirst, kSecond };
// Which end of the query's time range an input gives.
enum class TTimeBound : std::uint8_t { kStart, kEnd };

// Everything the core needs of the main window: the services through which it reports to the
// operator, and the controls whose contents it reads or fills. The window implements it; the
// tests implement it with a recording fake. All calls come from the window's one thread.
class IWindowServices {
 public:
  virtual ~IWindowServices() = default;

  // ---- Reports -------------------------------------------------------------------------------

  // Shows "状态：" followed by `message` in the status line, replacing what was there.
  virtual void SetStatus(std::u16string_view message) = 0;
  // Writes "总记录数: N" (all records) and "筛选后: N" (result) into the status bar.
  virtual void UpdateStatusBar() = 0;
  // Sets the load button's caption: "查询/刷新" when data is loaded, "加载" otherwise.
  virtual void UpdateLoadButton() = 0;
  // Enters (false) or leaves (true) the busy look: enables or disables the seventeen input
  // controls; on entering shows "正在加载数据，请稍候..." and the hourglass, on leaving restores
  // the cursor; then yields once.
  virtual void SetControlsEnabled(bool enabled) = 0;
  // The progress bar. Its minimum is 0.
  virtual void SetProgressVisible(bool visible) = 0;
  virtual void SetProgressMax(int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // Lets the window handle pending input, painting and timers, then returns. Any command may run
  // inside it and change the form state.
  virtual void Yield() = 0;
  // Rewrites the results grid from the result list, with its own status, progress and yields.
  virtual void RenderGrid() = 0;
  // Repaints the action list.
  virtual void RepaintActionList() = 0;

  // ---- The date list (`lstDateFolders`) -----------------------------------------------------

  virtual int DateFolderCount() const = 0;
  virtual std::u16string DateFolderText(int index) const = 0;
  virtual bool IsDateFolderSelected(int index) const = 0;
  // Selecting by the program raises no selection notification.
  virtual void SetDateFolderSelected(int index, bool selected) = 0;
  // Removes every item, and so every selection.
  virtual void ClearDateFolders() = 0;
  // Appends an item; once the list is sorted, inserts it in ascending order instead.
  virtual void AddDateFolder(std::u16string_view name) = 0;
  // Sorts the list ascending and keeps it sorted from now on.
  virtual void SetDateFoldersSorted() = 0;

  // ---- The query inputs ---------------------------------------------------------------------

  // The keyword box's text as it stands (untrimmed).
  virtual std::u16string KeywordText(TCondition condition) const = 0;
  // The text shown by the column box.
  virtual std::u16string ColumnText(TCondition condition) const = 0;
  // Whether the exact-match box is checked.
  virtual bool IsExactChecked(TCondition condition) const = 0;
  // The text of a time-range box as it stands (untrimmed); a window without one has none.
  virtual std::u16string TimeText(TTimeBound) const { return {}; }

  // ---- The action list (`lstActions`) -------------------------------------------------------

  // Empties the list, makes it owner-drawn with fixed item height and adds `texts` in order.
  virtual void FillActionList(std::span<const std::u16string_view> texts) = 0;
  // The number of entries; 0 when the list does not exist.
  virtual int ActionListCount() const = 0;
  virtual std::u16string ActionListText(int index) const = 0;
};

}  // namespace core
