#include "app/Unit1.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <string>

#include "app/qt_text.h"
#include "core/keyword_match.h"
#include "core/status_texts.h"

namespace app {

namespace {

constexpr int kFormWidth = 1200;
constexpr int kFormHeight = 700;
constexpr int kTopPanelHeight = 100;
constexpr int kLeftPanelWidth = 280;
constexpr int kSplitterWidth = 5;
constexpr int kStatusBarHeight = 19;
constexpr int kProgressBarHeight = 19;
constexpr int kDateItemHeight = 15;
constexpr int kActionListTop = 290;
constexpr int kActionListBottomMargin = 60;
constexpr int kActionListMinHeight = 100;
constexpr int kActionButtonGap = 10;
constexpr int kCopyNoticeMs = 500;
constexpr int kStatusPanelWidths[] = {150, 150, 50};

QFrame* MakePanel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  return panel;
}

template <class Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(left, top);
  label->adjustSize();
  return label;
}

void SetLabelText(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();  // labels size themselves to their text
}

}  // namespace

TForm1::TForm1(const platform::IFileSystem& fileSystem, platform::CodePage ansiCodePage,
               QWidget* parent)
    : QWidget(parent), FCore(*this, fileSystem, ansiCodePage) {
  chooseDirectory = [this](const QString& prompt, const QString& start) {
    return QFileDialog::getExistingDirectory(this, prompt, QDir(start).exists() ? start : QString(),
                                             QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
  };
  showInformation = [this](const QString& title, const QString& text) {
    QMessageBox::information(this, title, text);
  };
  CreateComponents();
  ConnectHandlers();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::CreateComponents() {
  setWindowTitle(ToQString(kFormCaption));
  setFont(QFont(QStringLiteral("Segoe UI"), 9));
  resize(kFormWidth, kFormHeight);

  Panel2 = MakePanel(this, "Panel2");
  Panel2->setFixedHeight(kTopPanelHeight);
  edtPath = Place(new QLineEdit(Panel2), "edtPath", 20, 20, 250, 23);
  btnSelectPath =
      Place(new TButton(QStringLiteral("选择路径"), Panel2), "btnSelectPath", 280, 19, 90, 25);
  btnLoadSearch =
      Place(new TButton(QStringLiteral("加载"), Panel2), "btnLoadSearch", 380, 19, 90, 25);
  btnHelp = Place(new TButton(QStringLiteral("帮助"), Panel2), "btnHelp", 480, 19, 60, 25);
  lblStatus = MakeLabel(Panel2, "lblStatus", QStringLiteral("状态：未加载"), 550, 23);
  lblColumn1 = MakeLabel(Panel2, "lblColumn1", QStringLiteral("查询条件1"), 20, 60);
  cboColumn1 = Place(new QComboBox(Panel2), "cboColumn1", 90, 57, 100, 23);
  edtKeyword1 = Place(new QLineEdit(Panel2), "edtKeyword1", 200, 57, 120, 23);
  edtKeyword1->setPlaceholderText(QStringLiteral("关键词1"));
  chkExact1 =
      Place(new QCheckBox(QStringLiteral("精确查找1"), Panel2), "chkExact1", 330, 59, 80, 17);
  lblColumn2 = MakeLabel(Panel2, "lblColumn2", QStringLiteral("查询条件2"), 420, 60);
  cboColumn2 = Place(new QComboBox(Panel2), "cboColumn2", 490, 57, 100, 23);
  edtKeyword2 = Place(new QLineEdit(Panel2), "edtKeyword2", 600, 57, 120, 23);
  edtKeyword2->setPlaceholderText(QStringLiteral("关键词2"));
  chkExact2 =
      Place(new QCheckBox(QStringLiteral("精确查找2"), Panel2), "chkExact2", 730, 59, 80, 17);

  Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(kSplitterWidth);
  Splitter1->setChildrenCollapsible(false);
  pnlLeft = MakePanel(Splitter1, "pnlLeft");
  lblDateFolder = MakeLabel(pnlLeft, "lblDateFolder", QStringLiteral("日期文件夹:"), 10, 10);
  lstDateFolders = Place(new QListWidget(pnlLeft), "lstDateFolders", 10, 30, 260, 200);
  btnRefreshDates =
      Place(new TButton(QStringLiteral("刷新列表"), pnlLeft), "btnRefreshDates", 10, 235, 80, 25);
  btnSelectAll =
      Place(new TButton(QStringLiteral("全选"), pnlLeft), "btnSelectAll", 100, 235, 70, 25);
  btnDeselectAll =
      Place(new TButton(QStringLiteral("取消全选"), pnlLeft), "btnDeselectAll", 180, 235, 70, 25);
  lblActionFilter = MakeLabel(pnlLeft, "lblActionFilter", QStringLiteral("动作筛选:"), 10, 270);
  lstActions = Place(new TActionListBox(pnlLeft), "lstActions", 10, kActionListTop, 260, 250);
  btnSelectAllActions = Place(new TButton(QStringLiteral("全选动作"), pnlLeft),
                              "btnSelectAllActions", 10, 550, 80, 25);
  btnClearAllActions = Place(new TButton(QStringLiteral("清空动作"), pnlLeft), "btnClearAllActions",
                             100, 550, 80, 25);
  StringGrid1 = new TStringGrid(Splitter1);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  Splitter1->addWidget(pnlLeft);
  Splitter1->addWidget(StringGrid1);
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({kLeftPanelWidth, kFormWidth - kLeftPanelWidth - kSplitterWidth});

  StatusBar1 = MakePanel(this, "StatusBar1");
  StatusBar1->setFixedHeight(kStatusBarHeight);
  int left = 0;
  for (int width : kStatusPanelWidths) {
    auto* panel = new QLabel(StatusBar1);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(left, 0, width, kStatusBarHeight);
    left += width;
    StatusBarPanels.push_back(panel);
  }
  StatusBarPanels[0]->setText(QStringLiteral("总记录数: 0"));
  StatusBarPanels[1]->setText(QStringLiteral("筛选后: 0"));
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setFixedHeight(kProgressBarHeight);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel2);
  layout->addWidget(Splitter1, 1);
  layout->addWidget(StatusBar1);
  layout->addWidget(ProgressBar1);
  layout->activate();

  QWidget::setTabOrder(edtPath, btnSelectPath);
  QWidget::setTabOrder(btnSelectPath, btnLoadSearch);
  QWidget::setTabOrder(btnLoadSearch, btnHelp);
  QWidget::setTabOrder(btnHelp, cboColumn1);
  QWidget::setTabOrder(cboColumn1, edtKeyword1);
  QWidget::setTabOrder(edtKeyword1, chkExact1);
  QWidget::setTabOrder(chkExact1, cboColumn2);
  QWidget::setTabOrder(cboColumn2, edtKeyword2);
  QWidget::setTabOrder(edtKeyword2, chkExact2);
  QWidget::setTabOrder(chkExact2, lstDateFolders);
  QWidget::setTabOrder(lstDateFolders, btnRefreshDates);
  QWidget::setTabOrder(btnRefreshDates, btnSelectAll);
  QWidget::setTabOrder(btnSelectAll, btnDeselectAll);
  QWidget::setTabOrder(btnDeselectAll, lstActions);
  QWidget::setTabOrder(lstActions, btnSelectAllActions);
  QWidget::setTabOrder(btnSelectAllActions, btnClearAllActions);
  QWidget::setTabOrder(btnClearAllActions, StringGrid1);
}

template <class Handler>
void TForm1::RunCommand(Handler&& handler) {
  ++commandDepth_;
  RunHandler(std::forward<Handler>(handler));
  if (--commandDepth_ == 0 && closeRequested_) {
    closeRequested_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

void TForm1::ConnectHandlers() {
  const auto command = [this](void (TForm1::*handler)()) {
    return [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); };
  };
  connect(edtPath, &QLineEdit::textChanged, this, command(&TForm1::edtPathChange));
  btnSelectPath->SetOnClick(command(&TForm1::btnSelectPathClick));
  btnLoadSearch->SetOnClick(command(&TForm1::btnLoadSearchClick));
  btnHelp->SetOnClick(command(&TForm1::btnHelpClick));
  btnRefreshDates->SetOnClick(command(&TForm1::btnRefreshDatesClick));
  btnSelectAll->SetOnClick(command(&TForm1::btnSelectAllClick));
  btnDeselectAll->SetOnClick(command(&TForm1::btnDeselectAllClick));
  connect(lstDateFolders, &QListWidget::itemSelectionChanged, this,
          command(&TForm1::lstDateFoldersClick));
  StringGrid1->onMouseDown = [this](int column, int row) { StringGrid1MouseDown(column, row); };
  StringGrid1->onSelectCell = [this](int column, int row) { StringGrid1SelectCell(column, row); };
  StringGrid1->onKeyDown = [this](QKeyEvent* event) { return StringGrid1KeyDown(event); };
  InstallKeyPreview(this, [this](QKeyEvent* event) {
    bool consumed = false;
    RunCommand([&] { consumed = FormKeyDown(event); });
    return consumed;
  });
}

// ---- Start-up and layout ----------------------------------------------------------------------

void TForm1::FormCreate() {
  for (QComboBox* box : {cboColumn1, cboColumn2}) {
    box->clear();
    box->addItem(ToQString(core::kAllColumns));
    for (const core::TSearchableColumn& column : core::SEARCHABLE_COLUMNS) {
      box->addItem(ToQString(column.name));
    }
    box->setCurrentIndex(0);
  }
  chkExact1->setChecked(true);
  chkExact2->setChecked(true);

  for (std::size_t column = 0; column < core::GRID_HEADERS.size(); ++column) {
    StringGrid1->setColumnWidth(static_cast<int>(column), core::GRID_HEADERS[column].width);
  }
  StringGrid1->SetRecords({});

  FCore.InitActionList();
  FCore.InitActionKeywords();

  lstActions->onDrawItem = [this](QPainter& painter, int index, const QRect& rect,
                                  QStyle::State state) {
    lstActionsDrawItem(painter, index, rect, state);
  };
  lstActions->onMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                   int y) {
    RunCommand([&] { lstActionsMouseDown(button, shift, x, y); });
  };
  lstActions->onKeyDown = [this](QKeyEvent* event) {
    bool consumed = false;
    RunCommand([&] { consumed = lstActionsKeyDown(event); });
    return consumed;
  };
  btnSelectAllActions->SetOnClick([this] { RunCommand([this] { btnSelectAllActionsClick(); }); });
  btnClearAllActions->SetOnClick([this] { RunCommand([this] { btnClearAllActionsClick(); }); });

  SetLabelText(lblDateFolder, QStringLiteral("日期文件夹:"));
  SetLabelText(lblActionFilter, QStringLiteral("动作筛选:"));
  lstDateFolders->setSelectionMode(QAbstractItemView::ExtendedSelection);

  State().FSelectedPath = std::u16string(core::kDefaultRoot);
  edtPath->setText(ToQString(State().FSelectedPath));  // runs edtPathChange: the box was empty

  FCore.RefreshDateFolders();
  UpdateLoadButton();
  SetStatus(u"未加载");
  UpdateStatusBar();
  ApplyDocking();
  FormResize();
}

void TForm1::FormResize() {
  if (!pnlLeft || !lstDateFolders || !lstActions || !btnSelectAllActions || !btnClearAllActions) {
    return;
  }
  int h = pnlLeft->height() - kActionListTop - kActionListBottomMargin;
  if (h < kActionListMinHeight) h = kActionListMinHeight;
  lstActions->resize(lstActions->width(), h);
  const int buttonsTop = kActionListTop + h + kActionButtonGap;
  btnSelectAllActions->move(btnSelectAllActions->x(), buttonsTop);
  btnClearAllActions->move(btnClearAllActions->x(), buttonsTop);
  lstActions->viewport()->update();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplyDocking();
  RunHandler([this] { FormResize(); });
}

void TForm1::ApplyDocking() {
  // Qt lays out hidden children late, when they are shown; the panels' sizes are read right
  // after the window's size changes, so the docking is applied at once.
  layout()->activate();
  Splitter1->refresh();
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (const QScreen* screen = this->screen()) {
    const QRect available = screen->availableGeometry();
    move(available.center() - rect().center());
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (commandDepth_ > 0) {
    closeRequested_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

// ---- Window services ----------------------------------------------------------------------------

void TForm1::SetStatus(std::u16string_view message) {
  if (lblStatus) SetLabelText(lblStatus, QStringLiteral("状态：") + ToQString(message));
}

void TForm1::UpdateStatusBar() {
  if (!StatusBar1 || StatusBarPanels.size() < 2) return;
  StatusBarPanels[0]->setText(QStringLiteral("总记录数: %1").arg(State().FAllLogs.size()));
  StatusBarPanels[1]->setText(QStringLiteral("筛选后: %1").arg(State().FFilteredLogs.size()));
}

void TForm1::UpdateLoadButton() {
  btnLoadSearch->setText(State().FIsDataLoaded ? QStringLiteral("查询/刷新")
                                               : QStringLiteral("加载"));
}

void TForm1::SetControlsEnabled(bool enabled) {
  QWidget* const controls[] = {
      btnSelectPath,       btnLoadSearch,      btnRefreshDates, btnSelectAll, btnDeselectAll,
      btnSelectAllActions, btnClearAllActions, btnHelp,         edtPath,      cboColumn1,
      cboColumn2,          edtKeyword1,        edtKeyword2,     chkExact1,    chkExact2,
      lstDateFolders,      lstActions,
  };
  for (QWidget* control : controls)
    control->setEnabled(enabled);
  if (!enabled) {
    SetStatus(u"正在加载数据，请稍候...");
    SetScreenCursor(TScreenCursor::kHourglass);
  } else {
    SetScreenCursor(TScreenCursor::kDefault);
  }
  Yield();
}

void TForm1::SetProgressVisible(bool visible) {
  ProgressBar1->setVisible(visible);
}

void TForm1::SetProgressMax(int maximum) {
  ProgressBar1->setMaximum(maximum);
}

void TForm1::SetProgressPosition(int position) {
  ProgressBar1->setValue(position);
}

void TForm1::Yield() {
  ProcessPendingEvents();
}

void TForm1::RenderGrid() {
  if (!StringGrid1) return;
  const core::TLogList& result = State().FFilteredLogs;
  const std::size_t n = result.size();
  StringGrid1->SetRecords(result);
  if (n == 0) return;
  SetStatus(u"正在渲染 " + core::DecimalText(static_cast<long long>(n)) + u" 条数据...");
  const int maximum = static_cast<int>(std::min<std::size_t>(n, INT32_MAX));
  SetProgressVisible(true);
  SetProgressMax(maximum);
  SetProgressPosition(0);
  // The rows read their records on demand; the pass keeps the progress and the yields of
  // writing them one by one.
  for (std::size_t i = 0; i < n && i < State().FFilteredLogs.size(); ++i) {
    if (i > 0 && i % 100 == 0) {
      SetProgressPosition(static_cast<int>(i));
      Yield();
    }
  }
  SetProgressPosition(maximum);
}

void TForm1::RepaintActionList() {
  lstActions->viewport()->update();
}

int TForm1::DateFolderCount() const {
  return lstDateFolders->count();
}

std::u16string TForm1::DateFolderText(int index) const {
  const QListWidgetItem* item = lstDateFolders->item(index);
  return item ? ToU16(item->text()) : std::u16string();
}

bool TForm1::IsDateFolderSelected(int index) const {
  const QListWidgetItem* item = lstDateFolders->item(index);
  return item && item->isSelected();
}

void TForm1::SetDateFolderSelected(int index, bool selected) {
  if (QListWidgetItem* item = lstDateFolders->item(index)) {
    const QSignalBlocker programmatic(lstDateFolders);
    item->setSelected(selected);
  }
}

void TForm1::ClearDateFolders() {
  const QSignalBlocker programmatic(lstDateFolders);
  lstDateFolders->clear();
}

void TForm1::AddDateFolder(std::u16string_view name) {
  const QSignalBlocker programmatic(lstDateFolders);
  auto* item = new QListWidgetItem(ToQString(name));
  item->setSizeHint(QSize(0, kDateItemHeight));
  lstDateFolders->addItem(item);
}

void TForm1::SetDateFoldersSorted() {
  const QSignalBlocker programmatic(lstDateFolders);
  lstDateFolders->setSortingEnabled(true);
  lstDateFolders->sortItems(Qt::AscendingOrder);
}

std::u16string TForm1::KeywordText(core::TCondition condition) const {
  return ToU16((condition == core::TCondition::kFirst ? edtKeyword1 : edtKeyword2)->text());
}

std::u16string TForm1::ColumnText(core::TCondition condition) const {
  return ToU16((condition == core::TCondition::kFirst ? cboColumn1 : cboColumn2)->currentText());
}

bool TForm1::IsExactChecked(core::TCondition condition) const {
  return (condition == core::TCondition::kFirst ? chkExact1 : chkExact2)->isChecked();
}

void TForm1::FillActionList(std::span<const std::u16string_view> texts) {
  lstActions->clear();
  for (std::u16string_view text : texts)
    lstActions->addItem(ToQString(text));
}

int TForm1::ActionListCount() const {
  return lstActions ? lstActions->count() : 0;
}

std::u16string TForm1::ActionListText(int index) const {
  const QListWidgetItem* item = lstActions->item(index);
  return item ? ToU16(item->text()) : std::u16string();
}

// ---- Commands -----------------------------------------------------------------------------------

void TForm1::edtPathChange() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  const std::u16string typed = ToU16(edtPath->text());
  const std::u16string_view root = core::TrimText(typed);
  if (root.empty()) {
    ClearDateFolders();
    SetStatus(u"请输入路径");
    return;
  }
  if (!FCore.IsValidRoot(root)) {
    ClearDateFolders();
    SetStatus(u"路径无效");
    return;
  }
  State().FSelectedPath = root;
  FCore.RefreshDateFolders();
  DropLoadedRecords();
  SetStatus(u"路径已更改，请选择日期文件夹并点击加载");
}

void TForm1::DropLoadedRecords() {
  State().FIsDataLoaded = false;
  State().FCurrentSelectedDate.clear();
  FCore.ClearRecords();
  RenderGrid();
  UpdateLoadButton();
  UpdateStatusBar();
}

void TForm1::btnRefreshDatesClick() {
  edtPathChange();
}

void TForm1::btnSelectPathClick() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  const QString typed = ToQString(core::TrimText(ToU16(edtPath->text())));
  const QString start = typed.isEmpty() ? ToQString(State().FSelectedPath) : typed;
  const QString chosen = chooseDirectory(QStringLiteral("选择LogServer上一层目录"), start);
  if (chosen.isEmpty()) return;
  State().FSelectedPath = ToU16(chosen);
  edtPath->setText(chosen);
  DropLoadedRecords();
  FCore.RefreshDateFolders();
}

void TForm1::btnSelectAllClick() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  for (int i = 0; i < DateFolderCount(); ++i)
    SetDateFolderSelected(i, true);
  SetStatus(u"已选择 " + core::DecimalText(lstDateFolders->selectedItems().size()) + u" 个文件夹");
}

void TForm1::btnDeselectAllClick() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  for (int i = 0; i < DateFolderCount(); ++i)
    SetDateFolderSelected(i, false);
  SetStatus(u"已取消所有选择");
}

void TForm1::lstDateFoldersClick() {
  if (!State().FIsDataLoaded) return;
  State().FIsDataLoaded = false;
  UpdateLoadButton();
  SetStatus(u"已选择新的日期文件夹，请点击加载按钮");
}

void TForm1::btnLoadSearchClick() {
  if (State().FIsLoading) {
    SetStatus(core::status::kBusy);
    return;
  }
  if (State().FSelectedPath.empty()) {
    SetStatus(u"请先选择或输入LogServer上一层目录");
    return;
  }
  std::vector<std::u16string> selected;
  for (int i = 0; i < DateFolderCount(); ++i) {
    if (IsDateFolderSelected(i)) selected.push_back(DateFolderText(i));
  }
  if (selected.empty()) {
    SetStatus(u"请先选择至少一个日期文件夹");
    return;
  }
  if (!State().FIsDataLoaded || selected.front() != State().FCurrentSelectedDate) {
    FCore.LoadLogData();
    return;
  }
  if (queryRunning_) {
    // A query is yielding with its result half built: run this request once it is done, with
    // the inputs as they stand then.
    queryRequested_ = true;
    return;
  }
  queryRunning_ = true;
  FCore.ApplyFilter();
  UpdateLoadButton();
  queryRunning_ = false;
  if (queryRequested_) {
    queryRequested_ = false;
    btnLoadSearchClick();
  }
}

bool TForm1::FormKeyDown(QKeyEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) return false;
  if (event->key() == Qt::Key_F) {
    if (edtKeyword1->isEnabled()) {
      edtKeyword1->setFocus(Qt::ShortcutFocusReason);
      edtKeyword1->selectAll();
    }
    return true;
  }
  if (event->key() == Qt::Key_L) {
    btnLoadSearch->Click();
    return true;
  }
  return false;
}

void TForm1::btnHelpClick() {
  const QString text = QStringLiteral(
      "Korlo引擎日志分析工具 1.0\r\n"
      "----------------------\r\n"
      "快捷键：\r\n"
      "  Ctrl+F: 聚焦搜索框\r\n"
      "  Ctrl+L: 加载数据\r\n"
      "  Ctrl+C: 复制单元格\r\n"
      "----------------------\r\n"
      "作者：Korlo日志分析工具开发组\r\n"
      "联系：请通过项目的问题反馈渠道");
  showInformation(QStringLiteral("帮助"), text);
}

// ---- Action checklist ---------------------------------------------------------------------------

void TForm1::lstActionsDrawItem(QPainter& painter, int index, const QRect& rect,
                                QStyle::State state) {
  const std::vector<bool>& checked = State().FActionChecked;
  const bool isChecked = index >= 0 && static_cast<std::size_t>(index) < checked.size() &&
                         checked[static_cast<std::size_t>(index)];
  const QListWidgetItem* item = lstActions->item(index);
  TActionCheckList::Paint(
      painter, *lstActions->style(), lstActions, index, rect, (state & QStyle::State_Selected) != 0,
      isChecked, item ? item->text() : QString(), lstActions->font(), lstActions->palette());
}

void TForm1::lstActionsMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
  const QModelIndex entry = lstActions->indexAt(QPoint(x, y));
  if (!entry.isValid()) return;
  if (TActionCheckList::HitsCheckBox(entry.row(), x)) {
    FCore.ToggleAction(entry.row());
  } else {
    lstActions->setCurrentRow(entry.row());
  }
}

bool TForm1::lstActionsKeyDown(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space) return false;
  if (lstActions->currentRow() >= 0) FCore.ToggleAction(lstActions->currentRow());
  return true;
}

void TForm1::btnSelectAllActionsClick() {
  FCore.btnSelectAllActionsClick();
}

void TForm1::btnClearAllActionsClick() {
  FCore.btnClearAllActionsClick();
}

// ---- Grid --------------------------------------------------------------------------------------

void TForm1::StringGrid1MouseDown(int column, int row) {
  if (column < 0 || row < 0) return;
  State().FLastClickedCol = column;
  State().FLastClickedRow = row;
}

void TForm1::StringGrid1SelectCell(int column, int row) {
  State().FLastClickedCol = column;
  State().FLastClickedRow = row;
}

bool TForm1::StringGrid1KeyDown(QKeyEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier) || event->key() != Qt::Key_C) return false;
  if (State().FLastClickedRow >= 0 && State().FLastClickedCol >= 0) {
    const QString text =
        StringGrid1->Model().CellText(State().FLastClickedCol, State().FLastClickedRow);
    if (!text.isEmpty()) {
      QApplication::clipboard()->setText(text);
      setWindowTitle(QStringLiteral("已复制: ") + text);
      auto* timer = new QTimer(this);
      timer->setInterval(kCopyNoticeMs);
      connect(timer, &QTimer::timeout, this, [this, timer] { CopyTimerTick(timer); });
      timer->start();
    }
  }
  return true;
}

void TForm1::CopyTimerTick(QTimer* sender) {
  setWindowTitle(ToQString(kRestoredCaption));
  if (sender) {
    sender->stop();
    sender->deleteLater();
  }
}

}  // namespace app
