#pragma once

#include <QApplication>
#include <QWidget>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "form/Unit1.h"
#include "form/toolkit.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QTimer;

namespace app {

class TActionListBox;
class TCountWindow;
class TStringGrid;

// The application object: an exception that escapes an event handler ends at the error box
// instead of unwinding through Qt.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Qt's own texts (dialog buttons, the standard message boxes) in Chinese, from the translations
// Qt ships; without them those texts stay English.
void LoadChineseTranslations(QApplication& application);

// The window in Qt 6 Widgets: the toolkit operations of the form, nothing else. Controls are
// placed where the form says (no Qt layouts); every notification goes to the form.
class TQtWindow : public QWidget, public form::IToolkit {
 public:
  // Makes the form on this window and creates it, on the server root `startRoot`; the window is
  // not shown yet.
  TQtWindow(const platform::IFileSystem& fileSystem, platform::CodePage ansiCodePage,
            std::u16string startRoot = std::u16string(core::kDefaultRoot));
  ~TQtWindow() override;

  form::TForm1& Form() { return *form_; }
  // The widget made for a control (nullptr before it is created), for tests that act on it.
  QWidget* Widget(form::TControl control) const { return widgets_[form::Index(control)]; }
  TStringGrid* Grid() const { return grid_; }
  TActionListBox* ActionList() const { return actions_; }
  QLabel* StatusPanel(int panel) const;
  form::TScreenCursor ScreenCursor() const { return cursor_; }

  // ---- form::IToolkit ---------------------------------------------------------------------
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
  // The count window, once shown (nullptr before).
  TCountWindow* CountWindow() const { return countWindow_; }
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
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* Parent(const form::TControlLayout& entry);
  QListWidget* List(form::TControl control) const;
  void MoveProgress(std::optional<int> position);
  template <class Widget>
  Widget* As(form::TControl control) const {
    return dynamic_cast<Widget*>(widgets_[form::Index(control)]);
  }

  std::array<QWidget*, form::kControlCount> widgets_{};
  TStringGrid* grid_ = nullptr;
  TActionListBox* actions_ = nullptr;
  TCountWindow* countWindow_ = nullptr;
  std::vector<QLabel*> statusPanels_;
  std::map<std::uint32_t, QTimer*> timers_;
  std::uint32_t nextTimer_ = 0;
  form::TScreenCursor cursor_ = form::TScreenCursor::kDefault;
  bool shown_ = false;
  form::TWindowPacing pacing_;
  std::unique_ptr<form::TForm1> form_;
};

}  // namespace app
