// The Qt front-end's toolkit operations: that each does what form::IToolkit says, seen through
// the real form. The window's behaviour itself is tested once, headless, in tests/form.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <string>

#include "app/qt/action_list_box.h"
#include "app/qt/count_window.h"
#include "app/qt/folder_browser.h"
#include "app/qt/qt_text.h"
#include "app/qt/qt_window.h"
#include "app/qt/string_grid.h"
#include "core/log_record.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "support/temp_tree.h"

using form::TControl;
using korlo_test::TempTree;

namespace {

class Window : public app::TQtWindow {
 public:
  Window() : app::TQtWindow(platform::NativeFileSystem(), platform::kCodePageGbk) {}

  template <class Widget>
  Widget* Get(TControl control) {
    return static_cast<Widget*>(this->Widget(control));
  }
  QString Status() { return Get<QLabel>(TControl::lblStatus)->text(); }
  void ShowAndWait() {
    show();
    QVERIFY(QTest::qWaitForWindowExposed(this));
  }
  void ShowRecords(int count) {
    for (int i = 1; i <= count; ++i) {
      const std::u16string account = u"acc" + app::ToU16(QString::number(i));
      Form().State().FFilteredLogs.push_back(core::ParseLogLine(u"0\t" + account));
    }
    Form().RenderGrid();
  }
};

void WriteDay(const TempTree& tree, const std::string& day, int records) {
  std::string bytes;
  for (int i = 1; i <= records; ++i)
    bytes += "0\tacc" + std::to_string(i) + "\t2\tname\r\n";
  tree.WriteFile("LogServer/BaseDir/" + day + "/a.log", bytes);
}

QPoint CellCentre(app::TStringGrid* grid, int column, int gridRow) {
  return grid->visualRect(grid->Model().index(gridRow - 1, column)).center();
}

QPoint EntryPoint(QListWidget* list, int entry, int x) {
  list->scrollToItem(list->item(entry));
  return {x, list->visualItemRect(list->item(entry)).center().y()};
}

// Records the check boxes the list asks the style to draw.
class CheckBoxRecorder : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_IndicatorCheckBox) boxes.append({option->rect, option->state});
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
  mutable QList<QPair<QRect, QStyle::State>> boxes;
};

}  // namespace

class QtWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QApplication::clipboard()->clear(); }

  void createsTheControlsOfTheLayoutTable() {
    Window window;
    QCOMPARE(window.windowTitle(), QStringLiteral("KorloPC引擎日志分析工具"));
    for (const form::TControlLayout& entry : form::LayoutTable()) {
      QWidget* widget = window.Widget(entry.id);
      QVERIFY(widget != nullptr);
      QCOMPARE(widget->objectName().toStdString(), std::string(form::ControlName(entry.id)));
    }
    QCOMPARE(window.Get<QLineEdit>(TControl::edtKeyword1)->placeholderText(),
             QStringLiteral("关键词1"));
    QCOMPARE(window.Get<QPushButton>(TControl::btnSelectPath)->geometry(), QRect(280, 19, 90, 25));
    QCOMPARE(window.StatusPanel(0)->text(), QStringLiteral("总记录数: 0"));
    QCOMPARE(window.Grid()->horizontalHeader()->sectionSize(9), 150);
    QCOMPARE(window.Grid()->Model().headerData(9, Qt::Horizontal).toString(),
             QStringLiteral("物品名称"));
    QCOMPARE(window.Grid()->verticalHeader()->defaultSectionSize(), 20);
    QCOMPARE(window.ActionList()->count(), 33);
  }

  // A long command yields thousands of times; the paced yield handles the pending input, paints
  // and timers only every few milliseconds, and the progress bar follows at most every 50 ms
  // but always reaches its last position.
  void aLongCommandStillHandlesInputPaintsAndTimers() {
    Window window;
    window.ShowAndWait();
    auto* edit = window.Get<QLineEdit>(TControl::edtKeyword1);
    struct PaintCounter : QObject {
      int paints = 0;
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
      }
    } counter;
    edit->installEventFilter(&counter);
    bool timerFired = false;
    QTimer::singleShot(0, &window, [&] { timerFired = true; });
    QCoreApplication::postEvent(edit,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    edit->update();
    const form::TPaceCounts before = window.PaceCounts();
    window.SetProgressMax(100'000);
    QElapsedTimer clock;
    clock.start();
    int position = 0;
    while (clock.elapsed() < 200 || position < 100'000) {
      position = std::min(position + 10, 100'000);
      window.SetProgressPosition(position);
      window.ProcessPendingEvents();
    }
    const form::TPaceCounts paced = window.PaceCounts() - before;
    QCOMPARE(edit->text(), QStringLiteral("a"));
    QVERIFY(timerFired);
    QVERIFY(counter.paints > 0);
    QCOMPARE(window.Get<QProgressBar>(TControl::ProgressBar1)->value(), 100'000);
    QVERIFY(paced.pumps >= 1);
    QVERIFY2(paced.pumps < paced.yields && paced.progressMoves < paced.yields,
             qPrintable(QStringLiteral("%1 yields, %2 pumps, %3 moves")
                            .arg(paced.yields)
                            .arg(paced.pumps)
                            .arg(paced.progressMoves)));
  }

  // The count window: its own window with the form's count table; a double click or Enter on a
  // value queries by it.
  void theCountWindowShowsTheCountsAndQueriesByAValue() {
    Window window;
    window.ShowAndWait();
    TempTree tree;
    WriteDay(tree, "2024-03-01", 3);
    window.SetText(TControl::edtPath, app::ToU16(QString::fromStdString(tree.Root().string())));
    window.SetItemSelected(TControl::lstDateFolders, 0, true);
    window.Form().ButtonClicked(TControl::btnLoadSearch);
    QCOMPARE(window.Form().State().FAllLogs.size(), std::size_t{3});
    window.Form().CountByColumn(1);
    app::TCountWindow* counts = window.CountWindow();
    QVERIFY(counts != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(counts));
    QCOMPARE(counts->windowTitle(), QStringLiteral("统计: 帐号（3 个不同值，共 3 条记录）"));
    app::TStringGrid* grid = counts->Grid();
    QCOMPARE(grid->Model().rowCount(), 3);
    QCOMPARE(grid->Model().headerData(1, Qt::Horizontal).toString(), QStringLiteral("次数"));
    QCOMPARE(grid->Model().data(grid->Model().index(1, 0)).toString(), QStringLiteral("acc2"));

    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, 0, 2));
    QCOMPARE(window.Get<QLineEdit>(TControl::edtKeyword1)->text(), QStringLiteral("acc2"));
    QCOMPARE(window.Form().State().FFilteredLogs.size(), std::size_t{1});

    grid->SetCurrentRow(3);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(window.Get<QLineEdit>(TControl::edtKeyword1)->text(), QStringLiteral("acc3"));
  }

  void fitsTheWindowIntoTheScreensWorkArea() {
    Window window;
    window.ShowAndWait();
    const QRect area = window.screen()->availableGeometry();
    QVERIFY2(area.contains(window.frameGeometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                            .arg(window.frameGeometry().x())
                            .arg(window.frameGeometry().y())
                            .arg(window.frameGeometry().width())
                            .arg(window.frameGeometry().height())
                            .arg(area.width())
                            .arg(area.height())));
  }

  void anEditNotifiesEveryChangeAndOnlyAChange() {
    Window window;
    window.ShowAndWait();
    auto* path = window.Get<QLineEdit>(TControl::edtPath);
    window.SetText(TControl::edtPath, u"Q:\\nowhere");
    QCOMPARE(window.Status(), QStringLiteral("状态：路径无效"));
    window.Form().SetStatus(u"marker");
    window.SetText(TControl::edtPath, u"Q:\\nowhere");  // the same text: no change
    QCOMPARE(window.Status(), QStringLiteral("状态：marker"));
    path->setFocus();
    QTest::keyClick(path, Qt::Key_Backspace);  // the operator's edit notifies
    QCOMPARE(window.Status(), QStringLiteral("状态：路径无效"));
  }

  void theDateListNotifiesTheOperatorsSelectionOnly() {
    TempTree tree;
    WriteDay(tree, "2024-03-01", 1);
    WriteDay(tree, "2024-03-02", 1);
    Window window;
    window.ShowAndWait();
    window.SetText(TControl::edtPath, tree.WindowsStylePath());
    QCOMPARE(window.ItemCount(TControl::lstDateFolders), 2);
    window.Form().State().FIsDataLoaded = true;
    window.SetItemSelected(TControl::lstDateFolders, 1, true);
    QVERIFY(window.Form().State().FIsDataLoaded);  // the program's selection is silent
    auto* list = window.Get<QListWidget>(TControl::lstDateFolders);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, EntryPoint(list, 0, 20));
    QVERIFY(!window.Form().State().FIsDataLoaded);
    QCOMPARE(window.Status(), QStringLiteral("状态：已选择新的日期文件夹，请点击加载按钮"));
  }

  void theGridReportsPressesAndMovesInGridCoordinates() {
    Window window;
    window.ShowAndWait();
    window.ShowRecords(8);
    app::TStringGrid* grid = window.Grid();
    const core::TFormState& state = window.Form().State();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, 1, 2));
    QCOMPARE(std::pair(state.FLastClickedCol, state.FLastClickedRow), std::pair(1, 2));
    QCOMPARE(window.GridCurrentRow(), 2);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(std::pair(state.FLastClickedCol, state.FLastClickedRow), std::pair(0, 3));
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, CellCentre(grid, 4, 6));
    QCOMPARE(std::pair(state.FLastClickedCol, state.FLastClickedRow), std::pair(4, 6));
    QCOMPARE(window.GridCurrentRow(), 3);  // another button selects nothing
    QHeaderView* header = grid->horizontalHeader();
    const QPoint headerCell(header->sectionViewportPosition(9) + 20, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, headerCell);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, headerCell);
    QCOMPARE(std::pair(state.FLastClickedCol, state.FLastClickedRow), std::pair(9, 0));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("物品名称"));
  }

  void theGridKeepsItsCurrentRowWithinTheRows() {
    Window window;
    window.ShowAndWait();
    window.ShowRecords(50);
    window.SetGridCurrentRow(40);
    QCOMPARE(window.GridCurrentRow(), 40);
    window.SetGridRowCount(60);
    QCOMPARE(window.GridCurrentRow(), 40);
    window.SetGridRowCount(3);
    QCOMPARE(window.GridCurrentRow(), 3);
    QCOMPARE(window.Grid()->selectionModel()->selectedRows().size(), 1);
  }

  void theCopyNoticeTimerTicksOnceAndGoes() {
    Window window;
    window.ShowAndWait();
    window.ShowRecords(3);
    app::TStringGrid* grid = window.Grid();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, 1, 3));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("acc3"));
    QCOMPARE(window.windowTitle(), QStringLiteral("已复制: acc3"));
    QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), QStringLiteral("Korlo引擎日志分析工具"), 2000);
    QTRY_VERIFY(window.findChildren<QTimer*>().isEmpty());
  }

  void theActionListHandsPressesOverAfterItsOwnHandling() {
    Window window;
    window.ShowAndWait();
    app::TActionListBox* list = window.ActionList();
    const std::vector<bool>& flags = window.Form().State().FActionChecked;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, EntryPoint(list, 5, 50));
    QCOMPARE(list->currentRow(), 5);  // the text: only the current entry moves
    QVERIFY(!flags[5]);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, EntryPoint(list, 7, 30));
    QVERIFY(flags[7]);                // the box: toggled
    QCOMPARE(list->currentRow(), 5);  // another button leaves the current entry
    // Through the window, as the system delivers it: press, release, double click, release.
    const QPoint onNine = list->viewport()->mapTo(&window, EntryPoint(list, 9, 30));
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, onNine);
    QVERIFY(!flags[9]);  // a double click is two presses: toggled twice
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space);
    QVERIFY(flags[9]);  // Space toggles the current entry, which the left press made 9
    QCOMPARE(list->currentRow(), 9);
  }

  void theActionListDrawsThroughTheStylesCheckBox() {
    Window window;
    auto* recorder = new CheckBoxRecorder;
    window.ActionList()->setStyle(recorder);
    window.ShowAndWait();
    window.Form().Core().ToggleAction(5);
    recorder->boxes.clear();
    window.ActionList()->viewport()->repaint();
    QVERIFY(recorder->boxes.size() >= 6);
    const QRect item5 = window.ActionList()->visualItemRect(window.ActionList()->item(5));
    QCOMPARE(recorder->boxes.at(5).first, QRect(25, item5.top() + 2, 16, 13));
    QVERIFY(recorder->boxes.at(5).second & QStyle::State_On);
    QVERIFY(recorder->boxes.at(4).second & QStyle::State_Off);
    window.ActionList()->setStyle(nullptr);
    delete recorder;
  }

  void keysReachTheFormBeforeTheFocusedControl() {
    Window window;
    window.ShowAndWait();
    auto* keyword = window.Get<QLineEdit>(TControl::edtKeyword1);
    keyword->setText(QStringLiteral("abc"));
    window.Grid()->setFocus();
    QTest::keyClick(window.Grid(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(keyword->hasFocus());
    QCOMPARE(keyword->selectedText(), QStringLiteral("abc"));
  }

  void busyShowsTheHourglassAndClosingWaitsForTheLoad() {
    TempTree tree;
    WriteDay(tree, "2024-03-01", 3);
    Window window;
    window.ShowAndWait();
    window.SetText(TControl::edtPath, tree.WindowsStylePath());
    window.SetItemSelected(TControl::lstDateFolders, 0, true);
    bool asked = false;
    QTimer::singleShot(0, &window, [&] {
      asked = true;
      QVERIFY(QApplication::overrideCursor() != nullptr);
      QVERIFY(!window.Widget(TControl::btnLoadSearch)->isEnabled());
      window.close();
      QVERIFY(window.isVisible());  // the load is still running
    });
    QTest::mouseClick(window.Get<QPushButton>(TControl::btnLoadSearch), Qt::LeftButton);
    QVERIFY(asked);
    QCOMPARE(window.Form().State().FAllLogs.size(), std::size_t{3});
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QTRY_VERIFY(!window.isVisible());
  }

  void theFolderBrowserShowsThePromptAndStartsAtTheRoot() {
    TempTree tree;
    WriteDay(tree, "2024-03-01", 1);
    Window window;
    window.ShowAndWait();
    // The root as the form spells it, with '\' separators: found as the file system sees it.
    const std::u16string root = tree.WindowsStylePath();
    QString prompt;
    QString selected;
    QTimer::singleShot(0, &window, [&] {
      auto* browser = dynamic_cast<app::TFolderBrowser*>(QApplication::activeModalWidget());
      QVERIFY(browser != nullptr);
      prompt = browser->Prompt()->text();
      selected = browser->SelectedFolder();
      browser->accept();
    });
    const std::optional<std::u16string> chosen =
        window.ChooseDirectory(u"选择LogServer上一层目录", root);
    QCOMPARE(prompt, QStringLiteral("选择LogServer上一层目录"));
    const QString native = QString::fromStdString(tree.Root().string());
    QCOMPARE(selected, native);
    QVERIFY(chosen.has_value());
    QCOMPARE(app::ToQString(*chosen), native);

    QTimer::singleShot(0, &window, [] { QApplication::activeModalWidget()->close(); });
    QVERIFY(!window.ChooseDirectory(u"p", u"Q:\\nowhere").has_value());  // cancelled
  }

  void cutValuesEndWithAnEllipsisAndRowsStay20High() {
    Window window;
    // A font taller than the rows: the fallback for CJK text is, at 9 points.
    window.Grid()->setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 11));
    window.ShowAndWait();
    window.ShowRecords(3);
    QCOMPARE(window.Grid()->textElideMode(), Qt::ElideRight);
    QCOMPARE(window.Grid()->rowHeight(0), 20);
    QCOMPARE(window.Grid()->rowHeight(2), 20);
  }

  void placeholdersStayGreyInDisabledBoxes() {
    Window window;
    auto* keyword = window.Get<QLineEdit>(TControl::edtKeyword1);
    const QPalette palette = keyword->palette();
    QCOMPARE(palette.color(QPalette::Disabled, QPalette::PlaceholderText),
             palette.color(QPalette::Active, QPalette::PlaceholderText));
  }

  void aComboNotifiesTheOperatorsChoiceOnly() {
    Window window;
    window.ShowAndWait();
    window.SetCurrentItem(TControl::cboCodePage, 4);  // the program: silent
    QCOMPARE(window.Form().Core().CodePageChoice(), core::TCodePageChoice::kSystem);
    auto* combo = window.Get<QComboBox>(TControl::cboCodePage);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);  // the operator: 自动 to UTF-8
    QCOMPARE(window.CurrentItem(TControl::cboCodePage), 3);
    QCOMPARE(window.Form().Core().CodePageChoice(), core::TCodePageChoice::kUtf8);
  }

  void theGridReportsItsSelectedRowsAndItsContextMenu() {
    Window window;
    window.ShowAndWait();
    window.ShowRecords(6);
    app::TStringGrid* grid = window.Grid();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, 1, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCentre(grid, 1, 4));
    QCOMPARE(window.GridSelectedRows(), (form::TRowRange{2, 4}));

    // The context menu on a cell: the menu the form decides, at the mouse pointer; choosing
    // "复制选中行" copies the rows.
    QStringList shown;
    QTimer::singleShot(0, &window, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu != nullptr);
      for (QAction* action : menu->actions())
        shown << action->text() + (action->isEnabled() ? QString() : QStringLiteral("(off)"));
      menu->setActiveAction(menu->actions().at(1));
      QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = CellCentre(grid, 1, 3);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &event);
    QCOMPARE(shown, (QStringList{QStringLiteral("导出结果..."), QStringLiteral("复制选中行"),
                                 QStringLiteral("按此值查询"), QStringLiteral("按此列升序排序"),
                                 QStringLiteral("按此列降序排序"), QStringLiteral("原始顺序(off)"),
                                 QStringLiteral("统计此列")}));
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 5);  // the header, three rows, and the end of the last line
    QVERIFY(lines.at(1).startsWith(QStringLiteral("2\tacc2\t")));

    // "按此值查询" takes the value of the cell the menu was opened on.
    QTimer::singleShot(0, &window, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu != nullptr);
      menu->setActiveAction(menu->actions().at(2));
      QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint onFive = CellCentre(grid, 1, 5);
    QContextMenuEvent onCell(QContextMenuEvent::Mouse, onFive,
                             grid->viewport()->mapToGlobal(onFive));
    QApplication::sendEvent(grid->viewport(), &onCell);
    QCOMPARE(window.Get<QLineEdit>(TControl::edtKeyword1)->text(), QStringLiteral("acc5"));
  }

  void theSaveDialogAddsTheChosenTypesExtension() {
    TempTree tree;
    Window window;
    window.ShowAndWait();
    const form::TFileType types[] = {{u"CSV 文件", u"csv"}, {u"文本文件", u"txt"}};
    const QString folder = QString::fromStdString(tree.Root().string());
    QTimer::singleShot(0, &window, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      dialog->setDirectory(folder);
      dialog->selectNameFilter(dialog->nameFilters().at(1));
      emit dialog->filterSelected(dialog->nameFilters().at(1));  // as the operator's choice
      dialog->selectFile(QStringLiteral("result"));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::optional<form::TSaveTarget> target =
        window.ChooseSaveFile(u"导出结果", u"查询结果.csv", types);
    QVERIFY(target.has_value());
    QCOMPARE(app::ToQString(target->path), folder + QStringLiteral("/result.txt"));
    QCOMPARE(target->type, 1);

    QTimer::singleShot(0, &window, [] { QApplication::activeModalWidget()->close(); });
    QVERIFY(!window.ChooseSaveFile(u"导出结果", u"查询结果.csv", types).has_value());
  }

  void qtsOwnTextsAreChinese() {
    app::LoadChineseTranslations(*qApp);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
  }
};

QTEST_MAIN(QtWindowTest)
#include "qt_window_test.moc"
