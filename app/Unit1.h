#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QSplitter>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "app/action_checklist.h"
#include "app/string_grid.h"
#include "app/toolkit.h"
#include "core/log_analyzer.h"
#include "core/window_services.h"

namespace app {

// The program's one window. It lays out the controls, owns the form state and the engine that
// works on it (TLogAnalyzer), and gives the engine its window services. All behaviour runs in
// its event handlers, on the one GUI thread; long operations keep the window alive by yielding.
class TForm1 : public QWidget, public core::IWindowServices {
 public:
  // Builds the layout, sets the initial form state and runs FormCreate. `fileSystem` and
  // `ansiCodePage` are what the engine reads and decodes logs with.
  TForm1(const platform::IFileSystem& fileSystem, platform::CodePage ansiCodePage,
         QWidget* parent = nullptr);
  ~TForm1() override;

  core::TFormState& State() { return FCore.State(); }

  // The directory chooser: a modal folder browser showing `prompt`, opening at `start` when
  // that directory exists; the chosen folder's full path, or empty when cancelled. Tests
  // replace it.
  std::function<QString(const QString& prompt, const QString& start)> chooseDirectory;
  // The information box with an OK button. Tests replace it.
  std::function<void(const QString& title, const QString& text)> showInformation;
  core::TLogAnalyzer& Core() { return FCore; }

  // ---- Components -------------------------------------------------------------------------
  QFrame* Panel2;
  QLineEdit* edtPath;
  TButton* btnSelectPath;
  TButton* btnLoadSearch;
  TButton* btnHelp;
  QLabel* lblStatus;
  QLabel* lblColumn1;
  QComboBox* cboColumn1;
  QLineEdit* edtKeyword1;
  QCheckBox* chkExact1;
  QLabel* lblColumn2;
  QComboBox* cboColumn2;
  QLineEdit* edtKeyword2;
  QCheckBox* chkExact2;
  QSplitter* Splitter1;
  QFrame* pnlLeft;
  QLabel* lblDateFolder;
  QListWidget* lstDateFolders;
  TButton* btnRefreshDates;
  TButton* btnSelectAll;
  TButton* btnDeselectAll;
  QLabel* lblActionFilter;
  TActionListBox* lstActions;
  TButton* btnSelectAllActions;
  TButton* btnClearAllActions;
  TStringGrid* StringGrid1;
  QFrame* StatusBar1;
  std::vector<QLabel*> StatusBarPanels;
  QProgressBar* ProgressBar1;

  // ---- Event handlers ---------------------------------------------------------------------
  void FormCreate();
  void FormResize();
  bool FormKeyDown(QKeyEvent* event);
  void edtPathChange();
  void btnSelectPathClick();
  void btnRefreshDatesClick();
  void btnSelectAllClick();
  void btnDeselectAllClick();
  void lstDateFoldersClick();
  void btnLoadSearchClick();
  void btnHelpClick();
  void lstActionsDrawItem(QPainter& painter, int index, const QRect& rect, QStyle::State state);
  void lstActionsMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  bool lstActionsKeyDown(QKeyEvent* event);
  void btnSelectAllActionsClick();
  void btnClearAllActionsClick();
  void StringGrid1MouseDown(int column, int row);
  void StringGrid1SelectCell(int column, int row);
  bool StringGrid1KeyDown(QKeyEvent* event);
  void CopyTimerTick(QTimer* sender);

  // ---- IWindowServices --------------------------------------------------------------------
  void SetStatus(std::u16string_view message) override;
  void UpdateStatusBar() override;
  void UpdateLoadButton() override;
  void SetControlsEnabled(bool enabled) override;
  void SetProgressVisible(bool visible) override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;
  void Yield() override;
  void RenderGrid() override;
  void RepaintActionList() override;
  int DateFolderCount() const override;
  std::u16string DateFolderText(int index) const override;
  bool IsDateFolderSelected(int index) const override;
  void SetDateFolderSelected(int index, bool selected) override;
  void ClearDateFolders() override;
  void AddDateFolder(std::u16string_view name) override;
  void SetDateFoldersSorted() override;
  std::u16string KeywordText(core::TCondition condition) const override;
  std::u16string ColumnText(core::TCondition condition) const override;
  bool IsExactChecked(core::TCondition condition) const override;
  void FillActionList(std::span<const std::u16string_view> texts) override;
  int ActionListCount() const override;
  std::u16string ActionListText(int index) const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs a command handler. A close asked for while a command is still running (it may be
  // yielding) waits until the outermost command returns, so the command's objects stay valid.
  template <class Handler>
  void RunCommand(Handler&& handler);
  void CreateComponents();
  void ApplyDocking();
  // After a new root: nothing is loaded any more, and the grid and counts show it.
  void DropLoadedRecords();
  void ConnectHandlers();

  core::TLogAnalyzer FCore;
  int commandDepth_ = 0;
  bool queryRunning_ = false;    // a query-only pass is in progress (it may be yielding)
  bool queryRequested_ = false;  // the load button was pressed again meanwhile
  bool closeRequested_ = false;
  bool centred_ = false;
};

// The window's captions.
inline constexpr char16_t kFormCaption[] = u"KorloPC引擎日志分析工具";
inline constexpr char16_t kRestoredCaption[] = u"Korlo引擎日志分析工具";

}  // namespace app
