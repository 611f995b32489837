#include "app/qt/qt_window.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <exception>

#include "app/qt/action_list_box.h"
#include "app/qt/count_window.h"
#include "app/qt/folder_browser.h"
#include "app/qt/qt_input.h"
#include "app/qt/qt_text.h"
#include "app/qt/string_grid.h"
#include "platform/path_text.h"

namespace app {

namespace {

using form::TControl;
using form::TControlKind;

QRect ToQRect(form::TRect rect) {
  return {rect.left, rect.top, rect.width, rect.height};
}

// The bar between the left panel and the grid: dragging it reports where the panel's right edge
// would be, in the window's client coordinates.
class TSplitterBar : public QWidget {
 public:
  TSplitterBar(QWidget* parent, std::function<void(int x)> dragged)
      : QWidget(parent), dragged_(std::move(dragged)) {
    setCursor(Qt::SplitHCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) grab_ = event->position().toPoint().x();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (grab_ < 0) return;
    const QPoint inWindow = mapToParent(event->position().toPoint());
    dragged_(inWindow.x() - grab_);
  }
  void mouseReleaseEvent(QMouseEvent*) override { grab_ = -1; }

 private:
  std::function<void(int x)> dragged_;
  int grab_ = -1;
};

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void LoadChineseTranslations(QApplication& application) {
  auto* translator = new QTranslator(&application);
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(translator);
  }
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  // The form shows the exceptions of its own handlers; this is the last resort for Qt's.
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    QMessageBox::critical(activeWindow(), ToQString(form::kFormCaption),
                          QString::fromUtf8(error.what()));
  }
  return false;
}

TQtWindow::TQtWindow(const platform::IFileSystem& fileSystem, platform::CodePage ansiCodePage,
                     std::u16string startRoot)
    : form_(std::make_unique<form::TForm1>(*this, fileSystem, ansiCodePage, std::move(startRoot))) {
  qApp->installEventFilter(this);
  form_->Create();
}

TQtWindow::~TQtWindow() {
  // Nothing reaches the form while the widgets go.
  qApp->removeEventFilter(this);
  for (QWidget* widget : widgets_) {
    if (widget) widget->blockSignals(true);
  }
  if (cursor_ == form::TScreenCursor::kHourglass) QApplication::restoreOverrideCursor();
}

// ---- The window and its controls

void TQtWindow::SetUpWindow(const form::TWindowLayout& window) {
  setWindowTitle(ToQString(window.caption));
  QFont font(ToQString(window.fontFace));
  font.setPixelSize(-window.fontHeight);
  setFont(font);
  resize(window.clientSize.width, window.clientSize.height);
}

QWidget* TQtWindow::Parent(const form::TControlLayout& entry) {
  return entry.HasParent() ? widgets_[form::Index(entry.Parent())] : this;
}

void TQtWindow::CreateControl(const form::TControlLayout& entry) {
  QWidget* parent = Parent(entry);
  const TControl id = entry.id;
  const QString text = ToQString(entry.text);
  QWidget* widget = nullptr;
  switch (entry.kind) {
    case TControlKind::kPanel:
      widget = new QFrame(parent);
      break;
    case TControlKind::kEdit: {
      auto* edit = new QLineEdit(text, parent);
      edit->setPlaceholderText(ToQString(entry.placeholder));
      // A disabled box (during a load) would draw its placeholder near-black, like typed text.
      QPalette palette = edit->palette();
      palette.setColor(QPalette::Disabled, QPalette::PlaceholderText,
                       palette.color(QPalette::Active, QPalette::PlaceholderText));
      edit->setPalette(palette);
      connect(edit, &QLineEdit::textChanged, this, [this, id] { form_->EditChanged(id); });
      widget = edit;
      break;
    }
    case TControlKind::kButton: {
      auto* button = new QPushButton(text, parent);
      connect(button, &QPushButton::clicked, this, [this, id] { form_->ButtonClicked(id); });
      widget = button;
      break;
    }
    case TControlKind::kLabel:
      widget = new QLabel(text, parent);
      break;
    case TControlKind::kComboBox: {
      auto* combo = new QComboBox(parent);
      // Only the operator's choice notifies: the program's changes block the signal.
      connect(combo, &QComboBox::currentIndexChanged, this,
              [this, id] { form_->ComboChanged(id); });
      widget = combo;
      break;
    }
    case TControlKind::kCheckBox: {
      auto* box = new QCheckBox(text, parent);
      // clicked: the operator's clicks only, not setChecked.
      connect(box, &QCheckBox::clicked, this, [this, id] { form_->CheckBoxClicked(id); });
      widget = box;
      break;
    }
    case TControlKind::kDateList: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::ExtendedSelection);
      list->setUniformItemSizes(true);
      connect(list, &QListWidget::itemSelectionChanged, this,
              [this] { form_->DateListSelectionChanged(); });
      widget = list;
      break;
    }
    case TControlKind::kCheckList: {
      actions_ = new TActionListBox(entry.itemHeight, parent);
      actions_->onDrawItem = [this](form::IPainter& painter, int index, form::TRect item,
                                    bool selected) {
        form_->DrawActionItem(painter, index, item, selected);
      };
      actions_->onMouseDown = [this](form::TMouseButton button, form::TShift shift,
                                     form::TPoint point) {
        form_->ActionListMouseDown(button, shift, point);
      };
      actions_->onKeyDown = [this](form::TKey key, form::TShift shift) {
        return form_->ActionListKeyDown(key, shift);
      };
      widget = actions_;
      break;
    }
    case TControlKind::kSplitter:
      widget = new TSplitterBar(parent, [this](int x) { form_->SplitterDragged(x); });
      break;
    case TControlKind::kGrid: {
      grid_ = new TStringGrid(
          [this](int column, int row) { return ToQString(form_->GridCellText(column, row)); },
          parent);
      grid_->onSelectCell = [this](form::TGridCell cell) { form_->GridSelectCell(cell); };
      grid_->onMouseDown = [this](form::TMouseButton button, form::TShift shift,
                                  form::TGridCell cell) {
        form_->GridMouseDown(button, shift, cell);
      };
      grid_->onKeyDown = [this](form::TKey key, form::TShift shift) {
        return form_->GridKeyDown(key, shift);
      };
      grid_->onContextMenu = [this](form::TGridCell cell) { form_->GridContextMenu(cell); };
      widget = grid_;
      break;
    }
    case TControlKind::kStatusBar: {
      widget = new QFrame(parent);
      int left = 0;
      for (const form::TStatusPanelLayout& panelLayout : form::StatusPanels()) {
        auto* panel = new QLabel(widget);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setGeometry(left, 0, panelLayout.width, entry.bounds.height);
        left += panelLayout.width;
        statusPanels_.push_back(panel);
      }
      break;
    }
    case TControlKind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      widget = bar;
      break;
    }
  }
  widget->setObjectName(QString::fromLatin1(form::ControlName(id).data(),
                                            static_cast<qsizetype>(form::ControlName(id).size())));
  widgets_[form::Index(id)] = widget;
  if (entry.kind == TControlKind::kLabel) {
    widget->move(entry.bounds.left, entry.bounds.top);
    widget->adjustSize();  // labels size themselves to their text
  } else {
    widget->setGeometry(ToQRect(entry.bounds));
  }
}

void TQtWindow::SetTabOrder(std::span<const TControl> order) {
  for (std::size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(Widget(order[i - 1]), Widget(order[i]));
  }
}

void TQtWindow::SetBounds(TControl control, form::TRect bounds) {
  if (QWidget* widget = Widget(control)) widget->setGeometry(ToQRect(bounds));
  if (control == TControl::StatusBar1) {
    for (QLabel* panel : statusPanels_) {
      panel->setGeometry(panel->x(), 0, panel->width(), bounds.height);
    }
  }
}

form::TRect TQtWindow::Bounds(TControl control) const {
  const QWidget* widget = Widget(control);
  if (!widget) return {};
  const QRect r = widget->geometry();
  return {r.x(), r.y(), r.width(), r.height()};
}

void TQtWindow::SetText(TControl control, std::u16string_view text) {
  const QString value = ToQString(text);
  if (auto* edit = As<QLineEdit>(control)) {
    edit->setText(value);
  } else if (auto* label = As<QLabel>(control)) {
    label->setText(value);
    label->adjustSize();
  } else if (auto* button = As<QAbstractButton>(control)) {
    button->setText(value);
  }
}

std::u16string TQtWindow::Text(TControl control) const {
  if (const auto* edit = As<QLineEdit>(control)) return ToU16(edit->text());
  if (const auto* label = As<QLabel>(control)) return ToU16(label->text());
  if (const auto* button = As<QAbstractButton>(control)) return ToU16(button->text());
  return {};
}

void TQtWindow::SetEnabled(TControl control, bool enabled) {
  if (QWidget* widget = Widget(control)) widget->setEnabled(enabled);
}

bool TQtWindow::IsEnabled(TControl control) const {
  const QWidget* widget = Widget(control);
  return widget && widget->isEnabled();
}

void TQtWindow::SetVisible(TControl control, bool visible) {
  if (QWidget* widget = Widget(control)) widget->setVisible(visible);
}

void TQtWindow::SetChecked(TControl control, bool checked) {
  if (auto* box = As<QCheckBox>(control)) box->setChecked(checked);
}

bool TQtWindow::IsChecked(TControl control) const {
  const auto* box = As<QCheckBox>(control);
  return box && box->isChecked();
}

void TQtWindow::FocusAndSelectAll(TControl control) {
  if (auto* edit = As<QLineEdit>(control)) {
    edit->setFocus(Qt::ShortcutFocusReason);
    edit->selectAll();
  }
}

void TQtWindow::Invalidate(TControl control) {
  if (auto* view = As<QAbstractScrollArea>(control)) {
    view->viewport()->update();
  } else if (QWidget* widget = Widget(control)) {
    widget->update();
  }
}

void TQtWindow::SetCaption(std::u16string_view caption) {
  setWindowTitle(ToQString(caption));
}

std::u16string TQtWindow::Caption() const {
  return ToU16(windowTitle());
}

form::TRect TQtWindow::WorkArea() const {
  const QScreen* current = screen();
  if (!current) return {};
  const QRect area = current->availableGeometry();
  return {area.x(), area.y(), area.width(), area.height()};
}

form::TSize TQtWindow::OuterSize(form::TSize client) const {
  // The frame is known once the window manager has framed the window; before, it counts 0.
  const QRect frame = frameGeometry();
  const QRect inner = geometry();
  return {client.width + frame.width() - inner.width(),
          client.height + frame.height() - inner.height()};
}

void TQtWindow::SetWindowBounds(form::TRect outer) {
  const form::TSize frame = OuterSize({0, 0});
  resize(outer.width - frame.width, outer.height - frame.height);
  move(outer.left, outer.top);
}

void TQtWindow::CloseWindow() {
  QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

// ---- Lists

QListWidget* TQtWindow::List(TControl control) const {
  return As<QListWidget>(control);
}

void TQtWindow::ClearItems(TControl list) {
  if (auto* combo = As<QComboBox>(list)) {
    const QSignalBlocker programmatic(combo);
    combo->clear();
  } else if (QListWidget* items = List(list)) {
    const QSignalBlocker programmatic(items);
    items->clear();
  }
}

void TQtWindow::AddItem(TControl list, std::u16string_view text) {
  if (auto* combo = As<QComboBox>(list)) {
    const QSignalBlocker programmatic(combo);
    combo->addItem(ToQString(text));
  } else if (QListWidget* items = List(list)) {
    const QSignalBlocker programmatic(items);
    auto* item = new QListWidgetItem(ToQString(text));
    item->setSizeHint(QSize(0, form::LayoutOf(list).itemHeight));
    items->addItem(item);
  }
}

int TQtWindow::ItemCount(TControl list) const {
  if (const auto* combo = As<QComboBox>(list)) return combo->count();
  const QListWidget* items = List(list);
  return items ? items->count() : 0;
}

std::u16string TQtWindow::ItemText(TControl list, int index) const {
  if (const auto* combo = As<QComboBox>(list)) {
    return index >= 0 && index < combo->count() ? ToU16(combo->itemText(index)) : u"";
  }
  const QListWidget* items = List(list);
  const QListWidgetItem* item = items ? items->item(index) : nullptr;
  return item ? ToU16(item->text()) : std::u16string();
}

void TQtWindow::SetSorted(TControl list) {
  if (QListWidget* items = List(list)) {
    const QSignalBlocker programmatic(items);
    items->setSortingEnabled(true);
    items->sortItems(Qt::AscendingOrder);
  }
}

void TQtWindow::SetItemSelected(TControl list, int index, bool selected) {
  QListWidget* items = List(list);
  if (QListWidgetItem* item = items ? items->item(index) : nullptr) {
    const QSignalBlocker programmatic(items);
    item->setSelected(selected);
  }
}

bool TQtWindow::IsItemSelected(TControl list, int index) const {
  const QListWidget* items = List(list);
  const QListWidgetItem* item = items ? items->item(index) : nullptr;
  return item && item->isSelected();
}

int TQtWindow::CurrentItem(TControl list) const {
  if (const auto* combo = As<QComboBox>(list)) return combo->currentIndex();
  const QListWidget* items = List(list);
  return items ? items->currentRow() : -1;
}

void TQtWindow::SetCurrentItem(TControl list, int index) {
  if (auto* combo = As<QComboBox>(list)) {
    const QSignalBlocker programmatic(combo);
    combo->setCurrentIndex(index);
  } else if (QListWidget* items = List(list)) {
    const QSignalBlocker programmatic(items);
    items->setCurrentRow(index);
  }
}

int TQtWindow::ItemAt(TControl list, form::TPoint point) const {
  const QListWidget* items = List(list);
  if (!items) return -1;
  const QModelIndex index = items->indexAt(QPoint(point.x, point.y));
  return index.isValid() ? index.row() : -1;
}

// ---- Status bar, progress bar and grid

QLabel* TQtWindow::StatusPanel(int panel) const {
  return panel >= 0 && panel < static_cast<int>(statusPanels_.size())
             ? statusPanels_[static_cast<std::size_t>(panel)]
             : nullptr;
}

void TQtWindow::SetPanelText(int panel, std::u16string_view text) {
  if (QLabel* label = StatusPanel(panel)) label->setText(ToQString(text));
}

int TQtWindow::PanelCount() const {
  return static_cast<int>(statusPanels_.size());
}

void TQtWindow::SetProgressMax(int maximum) {
  pacing_.SetProgressMax(maximum);
  if (auto* bar = As<QProgressBar>(TControl::ProgressBar1)) bar->setMaximum(maximum);
}

void TQtWindow::SetProgressPosition(int position) {
  MoveProgress(pacing_.ProgressPosition(position, form::TWindowPacing::TClock::now()));
}

void TQtWindow::MoveProgress(std::optional<int> position) {
  if (!position) return;
  if (auto* bar = As<QProgressBar>(TControl::ProgressBar1)) bar->setValue(*position);
}

void TQtWindow::SetGridColumns(std::span<const form::TGridColumn> columns) {
  if (!grid_) return;
  grid_->Model().SetColumnCount(static_cast<int>(columns.size()));
  for (std::size_t column = 0; column < columns.size(); ++column) {
    grid_->setColumnWidth(static_cast<int>(column), columns[column].width);
  }
}

void TQtWindow::SetGridRowCount(int dataRows) {
  if (grid_) grid_->SetRowCount(dataRows);
}

int TQtWindow::GridCurrentRow() const {
  return grid_ ? grid_->CurrentRow() : -1;
}

void TQtWindow::SetGridCurrentRow(int row) {
  if (grid_) grid_->SetCurrentRow(row);
}

void TQtWindow::ShowCountWindow(std::u16string_view title,
                                std::span<const form::TGridColumn> columns, int rows) {
  if (countWindow_ == nullptr) countWindow_ = new TCountWindow(*form_, this);
  countWindow_->Show(title, columns, rows);
}

int TQtWindow::GridTopRow() const {
  return grid_ ? grid_->TopRow() : 1;
}

void TQtWindow::SetGridTopRow(int row) {
  if (grid_) grid_->SetTopRow(row);
}

form::TRowRange TQtWindow::GridSelectedRows() const {
  // The selection's ranges, not its rows: listing two million selected rows would take seconds.
  form::TRowRange rows;
  if (!grid_) return rows;
  for (const QItemSelectionRange& range : grid_->selectionModel()->selection()) {
    if (!range.isValid()) continue;
    rows.first = rows.Empty() ? range.top() + 1 : std::min(rows.first, range.top() + 1);
    rows.last = std::max(rows.last, range.bottom() + 1);
  }
  return rows;
}

// ---- Services

void TQtWindow::SetClipboardText(std::u16string_view text) {
  QApplication::clipboard()->setText(ToQString(text));
}

form::TTimerId TQtWindow::StartTimer(int milliseconds) {
  const std::uint32_t id = ++nextTimer_;
  auto* timer = new QTimer(this);
  timer->setSingleShot(true);
  connect(timer, &QTimer::timeout, this, [this, id, timer] {
    timers_.erase(id);
    timer->deleteLater();
    form_->TimerFired(form::TTimerId{id});
  });
  timers_[id] = timer;
  timer->start(milliseconds);
  return form::TTimerId{id};
}

void TQtWindow::SetScreenCursor(form::TScreenCursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  if (cursor == form::TScreenCursor::kHourglass) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void TQtWindow::ProcessPendingEvents() {
  const auto now = form::TWindowPacing::TClock::now();
  if (!pacing_.Yield(now)) return;
  MoveProgress(pacing_.DueProgress(now));
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

form::TPaceCounts TQtWindow::PaceCounts() const {
  return pacing_.Counts();
}

std::optional<std::u16string> TQtWindow::ChooseDirectory(std::u16string_view prompt,
                                                         std::u16string_view start) {
  // The start is a path of the form's ("D:\\KorloServer"): the file system knows it as the
  // platform layer maps it.
  const std::optional<QString> chosen =
      TFolderBrowser::Choose(this, ToQString(prompt), ToQString(platform::NativePathText(start)));
  if (!chosen) return std::nullopt;
  return ToU16(*chosen);
}

std::optional<int> TQtWindow::ShowPopupMenu(std::span<const form::TMenuItem> items) {
  QMenu menu(this);
  std::vector<QAction*> actions;
  for (const form::TMenuItem& item : items) {
    QAction* action = menu.addAction(ToQString(item.text));
    action->setEnabled(item.enabled);
    actions.push_back(action);
  }
  const QAction* chosen = menu.exec(QCursor::pos());
  const auto found = std::find(actions.begin(), actions.end(), chosen);
  if (chosen == nullptr || found == actions.end()) return std::nullopt;
  return static_cast<int>(found - actions.begin());
}

std::optional<form::TSaveTarget> TQtWindow::ChooseSaveFile(std::u16string_view title,
                                                           std::u16string_view fileName,
                                                           std::span<const form::TFileType> types) {
  QStringList filters;
  for (const form::TFileType& type : types) {
    filters << ToQString(type.description) + QStringLiteral(" (*.") + ToQString(type.extension) +
                   QStringLiteral(")");
  }
  QFileDialog dialog(this, ToQString(title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  dialog.selectFile(ToQString(fileName));
  const auto typeOf = [&filters](const QString& filter) {
    return std::max(0, static_cast<int>(filters.indexOf(filter)));
  };
  if (!types.empty()) dialog.setDefaultSuffix(ToQString(types.front().extension));
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    dialog.setDefaultSuffix(ToQString(types[static_cast<std::size_t>(typeOf(filter))].extension));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return form::TSaveTarget{ToU16(dialog.selectedFiles().front()),
                           typeOf(dialog.selectedNameFilter())};
}

void TQtWindow::ShowInformation(std::u16string_view title, std::u16string_view text) {
  QMessageBox::information(this, ToQString(title), ToQString(text));
}

void TQtWindow::ShowError(std::u16string_view title, std::u16string_view message) {
  QMessageBox::critical(this, ToQString(title), ToQString(message));
}

// ---- Events

void TQtWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  form_->Shown();
}

void TQtWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  form_->Resized({width(), height()});
}

void TQtWindow::closeEvent(QCloseEvent* event) {
  if (form_->CloseRequested()) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool TQtWindow::eventFilter(QObject* watched, QEvent* event) {
  // Key preview: the form sees every key meant for the window or a control in it first.
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget != this && !isAncestorOf(widget)) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  return form_->KeyPreview(KeyOf(*key), ShiftOf(key->modifiers()));
}

}  // namespace app
