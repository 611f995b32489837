#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/win32/action_list.h"
#include "app/win32/count_window.h"
#include "app/win32/dpi_scale.h"
#include "app/win32/results_grid.h"
#include "app/win32/splitter.h"
#include "app/win32/win_api.h"
#include "form/Unit1.h"
#include "form/layout.h"
#include "form/toolkit.h"

namespace app {

// The form's toolkit on the Win32 API with common controls 6: one top-level window whose
// children are the layout table's controls, each made of the native control of its kind. The
// form's coordinates are pixels at 96 dpi; every bound, point and size is scaled to the
// monitor's resolution on the way in and back on the way out.
//
// The toolkit also turns the window's messages into the form's events. It is created first,
// then the form on it; Attach gives it the form before the form builds the window (Create).
// Not final: the toolkit's tests derive from it to answer the modal dialogs and menus instead
// of an operator.
class Win32Toolkit : public form::IToolkit {
 public:
  explicit Win32Toolkit(HINSTANCE instance);
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  void Attach(form::TForm1& form);
  // Shows the window built by the form and gives the keyboard focus to its first control.
  void Show(int showCommand);
  // Runs the message loop until the window is destroyed; the exit code of the WM_QUIT.
  int RunMessageLoop();
  // Handles every pending message now, as the paced yield does when its time has come.
  void HandlePendingMessages();

  // ---- IToolkit ---------------------------------------------------------------------------------
  void SetUpWindow(const form::TWindowLayout& window) override;
  void CreateControl(const form::TControlLayout& entry) override;
  void SetTabOrder(std::span<const form::TControl> order) override;
  void SetBounds(form::TControl control, form::TRect bounds) override;
  form::TRect Bounds(form::TControl control) const override;
  void SetText(form::TControl control, std::u16string_view text) override;
  std::u16string Text(form::TControl control) const override;
  void SetEnabled(form::TControl control, bool enabled) override;
  bool IsEnabled(form::TControl control) const override;
  void SetVisible(form::TControl control, bool visible) override;
  void SetChecked(form::TControl control, bool checked) override;
  bool IsChecked(form::TControl control) const override;
  void FocusAndSelectAll(form::TControl control) override;
  void Invalidate(form::TControl control) override;
  void SetCaption(std::u16string_view caption) override;
  std::u16string Caption() const override;
  form::TRect WorkArea() const override;
  form::TSize OuterSize(form::TSize client) const override;
  void SetWindowBounds(form::TRect outer) override;
  void CloseWindow() override;
  void ClearItems(form::TControl list) override;
  void AddItem(form::TControl list, std::u16string_view text) override;
  int ItemCount(form::TControl list) const override;
  std::u16string ItemText(form::TControl list, int index) const override;
  void SetSorted(form::TControl list) override;
  void SetItemSelected(form::TControl list, int index, bool selected) override;
  bool IsItemSelected(form::TControl list, int index) const override;
  int CurrentItem(form::TControl list) const override;
  void SetCurrentItem(form::TControl list, int index) override;
  int ItemAt(form::TControl list, form::TPoint point) const override;
  void SetPanelText(int panel, std::u16string_view text) override;
  int PanelCount() const override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;
  void SetGridColumns(std::span<const form::TGridColumn> columns) override;
  void SetGridRowCount(int dataRows) override;
  int GridCurrentRow() const override;
  void SetGridCurrentRow(int row) override;
  form::TRowRange GridSelectedRows() const override;
  void ShowCountWindow(std::u16string_view title, std::span<const form::TGridColumn> columns,
                       int rows) override;
  int GridTopRow() const override;
  void SetGridTopRow(int row) override;
  void SetClipboardText(std::u16string_view text) override;
  form::TTimerId StartTimer(int milliseconds) override;
  void SetScreenCursor(form::TScreenCursor cursor) override;
  void ProcessPendingEvents() override;
  form::TPaceCounts PaceCounts() const override;
  std::optional<std::u16string> ChooseDirectory(std::u16string_view prompt,
                                                std::u16string_view start) override;
  std::optional<int> ShowPopupMenu(std::span<const form::TMenuItem> items) override;
  std::optional<form::TSaveTarget> ChooseSaveFile(std::u16string_view title,
                                                  std::u16string_view fileName,
                                                  std::span<const form::TFileType> types) override;
  void ShowInformation(std::u16string_view title, std::u16string_view text) override;
  void ShowError(std::u16string_view title, std::u16string_view message) override;

 protected:
  // The native window of a control, or null before it is created and after the window is gone.
  HWND Handle(form::TControl control) const { return controls_[form::Index(control)]; }
  // The count window and its list view, once shown (null before).
  HWND CountWindowHandle() const { return countWindow_ ? countWindow_->Window() : nullptr; }
  HWND CountList() const { return countWindow_ ? countWindow_->List() : nullptr; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void HandleCommand(WPARAM wParam, LPARAM lParam);
  // Key preview and dialog navigation for one message taken from the queue, then its dispatch.
  void Dispatch(MSG& message);

  form::TControlKind Kind(form::TControl control) const { return kinds_[form::Index(control)]; }
  bool Is(form::TControl control, form::TControlKind kind) const {
    return Handle(control) != nullptr && Kind(control) == kind;
  }
  // The control of a child window's identifier, or nothing for other identifiers.
  std::optional<form::TControl> ControlOf(int id) const;
  void PlaceControl(form::TControl control);
  // A label's size is its text's, in the window font.
  void FitLabel(form::TControl control);
  void MakeFonts();
  void SetStatusParts();
  void MoveProgress(std::optional<int> position);
  // The window, its controls and their fonts follow a new monitor resolution.
  void ChangeDpi(int dpi, const RECT& suggested);

  HINSTANCE instance_;
  form::TForm1* form_ = nullptr;
  HWND window_ = nullptr;
  DpiScale scale_;
  form::TWindowLayout windowLayout_{};
  WindowFonts fonts_;
  std::array<HWND, form::kControlCount> controls_{};
  std::array<form::TControlKind, form::kControlCount> kinds_{};
  std::array<form::TRect, form::kControlCount> bounds_{};  // as set, at 96 dpi
  std::unique_ptr<ResultsGrid> grid_;
  std::unique_ptr<ActionList> actionList_;
  std::unique_ptr<Splitter> splitter_;
  std::unique_ptr<CountWindow> countWindow_;
  bool dateListSorted_ = false;
  bool busyCursor_ = false;
  form::TWindowPacing pacing_;
  UINT_PTR nextTimer_ = 1;
  HWND firstFocus_ = nullptr;  // the first control in the tab order
  HWND lastFocus_ = nullptr;   // the control that had the focus when the window was deactivated
};

}  // namespace app
