#include <QClipboard>
#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

#include "app/toolkit.h"
#include "form_harness.h"

using korlo_test::ErrorBoxes;
using korlo_test::RecordingForm;
using korlo_test::RootOf;
using korlo_test::TempTree;
using korlo_test::WriteDay;

namespace {

std::vector<std::string> Accounts(int count) {
  std::vector<std::string> accounts;
  for (int i = 1; i <= count; ++i)
    accounts.push_back("acc" + std::to_string(i));
  return accounts;
}

// Points the form at `tree`, selects the named day folders and loads them.
void Load(RecordingForm& form, const TempTree& tree, const QStringList& days) {
  form.edtPath->setText(RootOf(tree));
  for (int i = 0; i < form.lstDateFolders->count(); ++i) {
    form.SetDateFolderSelected(i, days.contains(form.lstDateFolders->item(i)->text()));
  }
  form.btnLoadSearch->Click();
}

QPoint CellCentre(app::TStringGrid* grid, int column, int gridRow) {
  return grid->visualRect(grid->Model().index(gridRow - 1, column)).center();
}

QPoint HeaderCentre(app::TStringGrid* grid, int column) {
  QHeaderView* header = grid->horizontalHeader();
  return {header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
          header->height() / 2};
}

void PressCtrlC(QWidget* grid, Qt::KeyboardModifiers extra = Qt::NoModifier) {
  QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier | extra);
}

}  // namespace

class FormTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QApplication::clipboard()->clear(); }

  void startsWithTheDesignedState() {
    RecordingForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("KorloPC引擎日志分析工具"));
    QCOMPARE(form.size(), QSize(1200, 700));
    QCOMPARE(form.lblStatus->text(), QStringLiteral("状态：未加载"));
    QCOMPARE(form.StatusBarPanels.at(0)->text(), QStringLiteral("总记录数: 0"));
    QCOMPARE(form.StatusBarPanels.at(1)->text(), QStringLiteral("筛选后: 0"));
    QCOMPARE(form.StatusBarPanels.at(2)->text(), QString());
    QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("加载"));
    QCOMPARE(form.cboColumn1->currentText(), QStringLiteral("所有列"));
    QCOMPARE(form.cboColumn2->currentText(), QStringLiteral("所有列"));
    QCOMPARE(form.cboColumn1->count(), 7);
    QVERIFY(form.chkExact1->isChecked());
    QVERIFY(form.chkExact2->isChecked());
    QCOMPARE(form.edtKeyword1->placeholderText(), QStringLiteral("关键词1"));
    QCOMPARE(form.edtKeyword2->placeholderText(), QStringLiteral("关键词2"));
    QVERIFY(form.ProgressBar1->isHidden());
    QCOMPARE(form.StringGrid1->RowCount(), 2);
    QCOMPARE(form.StringGrid1->Model().CellText(9, 0), QStringLiteral("物品名称"));
    QCOMPARE(form.StringGrid1->Model().CellText(0, 1), QString());
    QCOMPARE(form.StringGrid1->columnWidth(9), 150);
    QCOMPARE(form.lstActions->count(), 33);
    QCOMPARE(form.State().FActionChecked, [] {
      std::vector<bool> flags(33, false);
      flags[0] = true;
      return flags;
    }());
    QCOMPARE(form.State().FActionKeywords.size(), std::size_t{30});
    QCOMPARE(form.State().FLastClickedCol, -1);
  }

  void resizesTheActionListWithTheLeftPanel_data() {
    QTest::addColumn<int>("panelHeight");
    QTest::addColumn<int>("listHeight");
    QTest::addColumn<int>("buttonsTop");
    QTest::newRow("designed") << 600 << 250 << 550;
    QTest::newRow("minimum list") << 400 << 100 << 400;
    QTest::newRow("just the minimum") << 450 << 100 << 400;
    QTest::newRow("tall") << 800 << 450 << 750;
  }
  void resizesTheActionListWithTheLeftPanel() {
    QFETCH(int, panelHeight);
    QFETCH(int, listHeight);
    QFETCH(int, buttonsTop);
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The left panel is the window less the top panel (100) and the status bar (19).
    form.resize(1200, panelHeight + 100 + 19);
    QTRY_COMPARE(form.pnlLeft->height(), panelHeight);
    QCOMPARE(form.lstActions->height(), listHeight);
    QCOMPARE(form.lstActions->y(), 290);
    QCOMPARE(form.btnSelectAllActions->y(), buttonsTop);
    QCOMPARE(form.btnClearAllActions->y(), buttonsTop);
  }

  void entersAndLeavesTheBusyStateAroundALoad() {
    TempTree tree;
    WriteDay(tree, "2024-03-01", Accounts(2));
    RecordingForm form;
    form.show();
    bool checked = false;
    form.onYield = [&] {
      if (checked) return;
      checked = true;
      QCOMPARE(form.lblStatus->text(), QStringLiteral("状态：正在加载数据，请稍候..."));
      QCOMPARE(app::ScreenCursor(), app::TScreenCursor::kHourglass);
      QVERIFY(QApplication::overrideCursor() != nullptr);
      for (QWidget* control : std::initializer_list<QWidget*>{
               form.btnSelectPath, form.btnLoadSearch, form.btnRefreshDates, form.btnSelectAll,
               form.btnDeselectAll, form.btnSelectAllActions, form.btnClearAllActions, form.btnHelp,
               form.edtPath, form.cboColumn1, form.cboColumn2, form.edtKeyword1, form.edtKeyword2,
               form.chkExact1, form.chkExact2, form.lstDateFolders, form.lstActions}) {
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
      }
      QVERIFY(form.StringGrid1->isEnabled());
      QVERIFY(form.State().FIsLoading);
    };
    Load(form, tree, {QStringLiteral("2024-03-01")});
    QVERIFY(checked);
    QVERIFY(form.edtPath->isEnabled());
    QVERIFY(form.lstActions->isEnabled());
    QCOMPARE(app::ScreenCursor(), app::TScreenCursor::kDefault);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(form.ProgressBar1->isHidden());
    QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("查询/刷新"));
    QCOMPARE(form.StatusBarPanels.at(0)->text(), QStringLiteral("总记录数: 2"));
    QCOMPARE(form.StatusBarPanels.at(1)->text(), QStringLiteral("筛选后: 2"));
    QCOMPARE(form.lblStatus->text(), QStringLiteral("状态：找到 2 条匹配记录"));
  }

  void aFailedLoadShowsTheErrorAndLeavesTheBusyState() {
    ErrorBoxes errors;
    TempTree tree;
    WriteDay(tree, "2024-03-01", Accounts(2));
    tree.MakeDir("LogServer/BaseDir/2024-03-01/sub.log");
    RecordingForm form;
    form.show();
    Load(form, tree, {QStringLiteral("2024-03-01")});
    QCOMPARE(errors.messages.size(), 1);
    QVERIFY2(errors.messages.at(0).contains(QStringLiteral("2024-03-01/sub.log")),
             qPrintable(errors.messages.at(0)));
    QVERIFY(form.btnLoadSearch->isEnabled());
    QVERIFY(form.ProgressBar1->isHidden());
    QCOMPARE(app::ScreenCursor(), app::TScreenCursor::kDefault);
    QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("加载"));
    QCOMPARE(form.lblStatus->text(), QStringLiteral("状态：正在加载: 2024-03-01"));
    QVERIFY(!form.State().FIsLoading);
    // The window goes on: the next command runs.
    form.btnSelectAll->Click();
    QCOMPARE(form.lblStatus->text(), QStringLiteral("状态：已选择 1 个文件夹"));
  }

  void rendersRowsWithTheProgressProtocol_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<QStringList>("progress");
    QTest::newRow("three records")
        << 3 << QStringList{QStringLiteral("progress 0"), QStringLiteral("progress 3")};
    QTest::newRow("250 records") << 250 << QStringList{QStringLiteral("progress 0"),
                                                       QStringLiteral("progress 100"),
                                                       QStringLiteral("yield"),
                                                       QStringLiteral("progress 200"),
                                                       QStringLiteral("yield"),
                                                       QStringLiteral("progress 250")};
  }
  void rendersRowsWithTheProgressProtocol() {
    QFETCH(int, records);
    QFETCH(QStringList, progress);
    RecordingForm form;
    core::TFormState& state = form.State();
    for (int i = 1; i <= records; ++i) {
      state.FFilteredLogs.push_back(core::ParseLogLine(u"0\tacc\t2\tname"));
    }
    form.events.clear();
    form.RenderGrid();
    QCOMPARE(form.events, progress);
    QCOMPARE(form.StringGrid1->RowCount(), records + 1);
    QCOMPARE(form.StringGrid1->Model().CellText(0, 1), QStringLiteral("1"));
    QCOMPARE(form.StringGrid1->Model().CellText(0, records), QString::number(records));
    QCOMPARE(form.StringGrid1->Model().CellText(1, records), QStringLiteral("acc"));
    QCOMPARE(form.lblStatus->text(), QStringLiteral("状态：正在渲染 %1 条数据...").arg(records));
    QVERIFY(form.ProgressBar1->isVisibleTo(&form));
    QCOMPARE(form.ProgressBar1->maximum(), records);
    QCOMPARE(form.ProgressBar1->value(), records);
  }

  void anEmptyResultLeavesOneBlankRow() {
    RecordingForm form;
    for (int i = 0; i < 500; ++i)
      form.State().FFilteredLogs.push_back(core::ParseLogLine(u"0\ta"));
    form.RenderGrid();
    form.State().FFilteredLogs.clear();
    form.events.clear();
    form.RenderGrid();
    QCOMPARE(form.StringGrid1->RowCount(), 2);
    QCOMPARE(form.StringGrid1->Model().CellText(0, 1), QString());
    QCOMPARE(form.StringGrid1->Model().CellText(1, 1), QString());
    QVERIFY(form.events.isEmpty());  // no progress for an empty result
  }

  void copiesTheLastPressedOrSelectedCell_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("copied");
    QTest::newRow("before any press") << "none"
                                      << "";
    QTest::newRow("data cell") << "press account of row 2"
                               << "acc2";
    QTest::newRow("header cell") << "press header 物品名称"
                                 << "物品名称";
    QTest::newRow("keyboard down from row 5 column 9") << "press row 5 then Down"
                                                       << "6";
    QTest::newRow("empty cell") << "press remark of row 1"
                                << "";
    QTest::newRow("right button stores without selecting") << "right-press account of row 3"
                                                           << "acc3";
  }
  void copiesTheLastPressedOrSelectedCell() {
    QFETCH(QString, gesture);
    QFETCH(QString, copied);
    TempTree tree;
    WriteDay(tree, "2024-03-01", Accounts(8));
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Load(form, tree, {QStringLiteral("2024-03-01")});
    app::TStringGrid* grid = form.StringGrid1;
    QWidget* cells = grid->viewport();
    if (gesture == "press account of row 2") {
      QTest::mouseClick(cells, Qt::LeftButton, {}, CellCentre(grid, 1, 2));
    } else if (gesture == "press header 物品名称") {
      QTest::mousePress(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                        HeaderCentre(grid, 9));
      QTest::mouseRelease(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          HeaderCentre(grid, 9));
    } else if (gesture == "press row 5 then Down") {
      QTest::mouseClick(cells, Qt::LeftButton, {}, CellCentre(grid, 9, 5));
      QCOMPARE(form.State().FLastClickedCol, 9);
      QTest::keyClick(grid, Qt::Key_Down);
    } else if (gesture == "press remark of row 1") {
      QTest::mouseClick(cells, Qt::LeftButton, {}, CellCentre(grid, 14, 1));
    } else if (gesture == "right-press account of row 3") {
      QTest::mouseClick(cells, Qt::LeftButton, {}, CellCentre(grid, 1, 1));
      QTest::mouseClick(cells, Qt::RightButton, {}, CellCentre(grid, 1, 3));
      QCOMPARE(grid->currentIndex().row(), 0);  // the current row stayed
    }
    const QString captionBefore = form.windowTitle();
    PressCtrlC(grid);
    QCOMPARE(QApplication::clipboard()->text(), copied);
    QCOMPARE(form.windowTitle(),
             copied.isEmpty() ? captionBefore : QStringLiteral("已复制: ") + copied);
  }

  void copyNoticeEndsAfterHalfASecond() {
    TempTree tree;
    WriteDay(tree, "2024-03-01", Accounts(3));
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Load(form, tree, {QStringLiteral("2024-03-01")});
    QTest::mouseClick(form.StringGrid1->viewport(), Qt::LeftButton, {},
                      CellCentre(form.StringGrid1, 1, 3));
    PressCtrlC(form.StringGrid1, Qt::ShiftModifier);  // Shift does not matter
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("acc3"));
    QCOMPARE(form.windowTitle(), QStringLiteral("已复制: acc3"));
    QTRY_COMPARE_WITH_TIMEOUT(form.windowTitle(), QStringLiteral("Korlo引擎日志分析工具"), 2000);
    QTRY_VERIFY(form.findChildren<QTimer*>().isEmpty());  // each timer ticks once, then goes
  }

  void aSmallerResultMovesTheStoredCellToTheNewLastRow() {
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (int i = 0; i < 500; ++i)
      form.State().FFilteredLogs.push_back(core::ParseLogLine(u"0\ta"));
    form.RenderGrid();
    form.StringGrid1->scrollTo(form.StringGrid1->Model().index(399, 0));
    QTest::mouseClick(form.StringGrid1->viewport(), Qt::LeftButton, {},
                      CellCentre(form.StringGrid1, 4, 400));
    QCOMPARE(form.State().FLastClickedRow, 400);
    form.State().FFilteredLogs.resize(3);
    form.RenderGrid();
    QCOMPARE(form.State().FLastClickedCol, 0);
    QCOMPARE(form.State().FLastClickedRow, 3);
    QCOMPARE(form.StringGrid1->currentIndex().row(), 2);
  }

  void closingDuringALoadWaitsForTheLoadToEnd() {
    TempTree tree;
    WriteDay(tree, "2024-03-01", Accounts(3));
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    bool asked = false;
    form.onYield = [&] {
      if (asked) return;
      asked = true;
      form.close();
      QVERIFY(form.isVisible());
    };
    Load(form, tree, {QStringLiteral("2024-03-01")});
    QVERIFY(asked);
    QCOMPARE(form.State().FAllLogs.size(), std::size_t{3});
    QTRY_VERIFY(!form.isVisible());
  }
};

QTEST_MAIN(FormTest)
#include "form_test.moc"
