#include <QSignalSpy>
#include <QtTest>

#include "form_harness.h"

using korlo_test::ErrorBoxes;
using korlo_test::RecordingForm;
using korlo_test::RootOf;
using korlo_test::TempTree;
using korlo_test::WriteDay;

namespace {

// Three days of two, three and four records.
struct ThreeDays {
  ThreeDays() {
    WriteDay(tree, "2024-03-01", {"a1", "a2"});
    WriteDay(tree, "2024-03-02", {"b1", "b2", "b3"});
    WriteDay(tree, "2024-03-03", {"c1", "c2", "c3", "c4"});
  }
  TempTree tree;
};

int Row(RecordingForm& form, const QString& day) {
  for (int i = 0; i < form.lstDateFolders->count(); ++i) {
    if (form.lstDateFolders->item(i)->text() == day) return i;
  }
  return -1;
}

void ClickDay(RecordingForm& form, const QString& day, Qt::KeyboardModifiers modifiers = {}) {
  QListWidget* list = form.lstDateFolders;
  const QRect rect = list->visualItemRect(list->item(Row(form, day)));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

QString Status(RecordingForm& form) {
  return form.lblStatus->text();
}

}  // namespace

class CommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void decidesBetweenLoadingAndQuerying_data() {
    QTest::addColumn<QString>("between");
    QTest::addColumn<bool>("reads");
    QTest::addColumn<QString>("firstDate");
    QTest::addColumn<int>("records");
    QTest::newRow("select all keeping A first: query")
        << "select all" << false << "2024-03-01" << 5;
    QTest::newRow("click B: load B") << "click B" << true << "2024-03-02" << 3;
    QTest::newRow("deselect all, click A: load A")
        << "deselect, click A" << true << "2024-03-01" << 2;
    QTest::newRow("nothing: query") << "nothing" << false << "2024-03-01" << 5;
  }
  void decidesBetweenLoadingAndQuerying() {
    QFETCH(QString, between);
    QFETCH(bool, reads);
    QFETCH(QString, firstDate);
    QFETCH(int, records);
    ThreeDays days;
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.edtPath->setText(RootOf(days.tree));
    ClickDay(form, QStringLiteral("2024-03-01"));
    ClickDay(form, QStringLiteral("2024-03-02"), Qt::ControlModifier);
    form.btnLoadSearch->Click();
    QCOMPARE(form.State().FAllLogs.size(), std::size_t{5});
    QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("查询/刷新"));

    if (between == "select all") {
      form.btnSelectAll->Click();
      QCOMPARE(Status(form), QStringLiteral("状态：已选择 3 个文件夹"));
    } else if (between == "click B") {
      ClickDay(form, QStringLiteral("2024-03-02"));
      QCOMPARE(Status(form), QStringLiteral("状态：已选择新的日期文件夹，请点击加载按钮"));
    } else if (between == "deselect, click A") {
      form.btnDeselectAll->Click();
      QCOMPARE(Status(form), QStringLiteral("状态：已取消所有选择"));
      QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("查询/刷新"));
      ClickDay(form, QStringLiteral("2024-03-01"));
    }
    QCOMPARE(form.btnLoadSearch->text(),
             reads ? QStringLiteral("加载") : QStringLiteral("查询/刷新"));
    form.events.clear();
    form.btnLoadSearch->Click();
    QCOMPARE(form.ProgressBar1->isHidden(), reads);  // a query leaves the rendering's bar
    QCOMPARE(form.State().FCurrentSelectedDate, form.DateFolderText(Row(form, firstDate)));
    QCOMPARE(form.State().FAllLogs.size(), std::size_t(records));
    QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("查询/刷新"));
    QCOMPARE(Status(form), QStringLiteral("状态：找到 %1 条匹配记录").arg(records));
  }

  void typingARootReportsEveryKeystroke() {
    ThreeDays days;
    RecordingForm form;
    form.edtPath->clear();
    QCOMPARE(Status(form), QStringLiteral("状态：请输入路径"));
    const QString root = RootOf(days.tree);
    for (int length = 1; length <= root.size(); ++length) {
      QTest::keyClick(form.edtPath, root.at(length - 1).toLatin1());
      if (length < root.size()) {
        QCOMPARE(Status(form), QStringLiteral("状态：路径无效"));
        QCOMPARE(form.lstDateFolders->count(), 0);
      }
    }
    QCOMPARE(form.edtPath->text(), root);
    QCOMPARE(Status(form), QStringLiteral("状态：路径已更改，请选择日期文件夹并点击加载"));
    QCOMPARE(form.lstDateFolders->count(), 3);
  }

  void anInvalidRootKeepsTheLoadedRecords() {
    ThreeDays days;
    RecordingForm form;
    form.edtPath->setText(RootOf(days.tree));
    form.btnSelectAll->Click();
    form.btnLoadSearch->Click();
    form.edtPath->setText(RootOf(days.tree) + QStringLiteral("-missing"));
    QCOMPARE(Status(form), QStringLiteral("状态：路径无效"));
    QCOMPARE(form.lstDateFolders->count(), 0);
    QCOMPARE(form.StringGrid1->RowCount(), 10);
    QCOMPARE(form.StatusBarPanels.at(0)->text(), QStringLiteral("总记录数: 9"));
    QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("查询/刷新"));
    form.btnLoadSearch->Click();
    QCOMPARE(Status(form), QStringLiteral("状态：请先选择至少一个日期文件夹"));
  }

  void refreshWithTheSameRootDropsTheRecords() {
    ThreeDays days;
    RecordingForm form;
    form.edtPath->setText(RootOf(days.tree));
    form.btnSelectAll->Click();
    form.btnLoadSearch->Click();
    form.btnRefreshDates->Click();
    QCOMPARE(form.StringGrid1->RowCount(), 2);
    QCOMPARE(form.StatusBarPanels.at(0)->text(), QStringLiteral("总记录数: 0"));
    QCOMPARE(form.StatusBarPanels.at(1)->text(), QStringLiteral("筛选后: 0"));
    QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("加载"));
    QCOMPARE(Status(form), QStringLiteral("状态：路径已更改，请选择日期文件夹并点击加载"));
    QCOMPARE(form.lstDateFolders->selectedItems().size(), 0);
  }

  void theDirectoryChooserSetsTheRoot() {
    ThreeDays days;
    TempTree notARoot;
    RecordingForm form;
    QStringList asked;
    QString answer;
    form.chooseDirectory = [&](const QString& prompt, const QString& start) {
      asked << prompt << start;
      return answer;
    };
    form.edtPath->setText(QStringLiteral("  ") + RootOf(days.tree) + QStringLiteral(" "));
    const QString before = Status(form);

    answer.clear();  // cancelled
    form.btnSelectPath->Click();
    QCOMPARE(asked, (QStringList{QStringLiteral("选择LogServer上一层目录"), RootOf(days.tree)}));
    QCOMPARE(Status(form), before);

    answer = RootOf(notARoot);
    form.btnSelectPath->Click();
    QCOMPARE(Status(form), QStringLiteral("状态：路径不存在"));
    QCOMPARE(form.lstDateFolders->count(), 0);
    QCOMPARE(form.State().FSelectedPath, form.edtPath->text().toStdU16String());
    QCOMPARE(form.edtPath->text(), answer);

    answer = RootOf(days.tree);
    form.btnSelectPath->Click();
    QCOMPARE(Status(form), QStringLiteral("状态：找到 3 个日期文件夹"));
    QCOMPARE(form.btnLoadSearch->text(), QStringLiteral("加载"));
  }

  void shortcutsFocusTheKeywordAndLoad() {
    ThreeDays days;
    ErrorBoxes errors;
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.edtPath->setText(RootOf(days.tree));
    form.btnSelectAll->Click();
    form.edtKeyword1->setText(QStringLiteral("a1"));
    form.StringGrid1->setFocus();
    for (Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
      form.edtKeyword1->deselect();
      QTest::keyClick(form.StringGrid1, Qt::Key_F, modifiers);
      QTRY_VERIFY(form.edtKeyword1->hasFocus());
      QCOMPARE(form.edtKeyword1->selectedText(), QStringLiteral("a1"));
    }

    bool pressedDuringLoad = false;
    form.onYield = [&] {
      if (pressedDuringLoad || !form.State().FIsLoading) return;
      pressedDuringLoad = true;
      QTest::keyClick(form.StringGrid1, Qt::Key_L, Qt::ControlModifier);
      QCOMPARE(Status(form), QStringLiteral("状态：正在加载数据中，请稍候..."));
      QTest::keyClick(form.StringGrid1, Qt::Key_F, Qt::ControlModifier);  // box disabled
    };
    QTest::keyClick(form.StringGrid1, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(pressedDuringLoad);
    QVERIFY(errors.messages.isEmpty());
    QCOMPARE(form.State().FAllLogs.size(), std::size_t{9});
    QCOMPARE(Status(form), QStringLiteral("状态：找到 1 条匹配记录"));
  }

  void helpShowsTheShortcuts() {
    RecordingForm form;
    QString title;
    QString text;
    form.showInformation = [&](const QString& t, const QString& body) {
      title = t;
      text = body;
    };
    form.btnHelp->Click();
    QCOMPARE(title, QStringLiteral("帮助"));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines.mid(0, 7),
             (QStringList{QStringLiteral("Korlo引擎日志分析工具 1.0"), QString(22, '-'),
                          QStringLiteral("快捷键："), QStringLiteral("  Ctrl+F: 聚焦搜索框"),
                          QStringLiteral("  Ctrl+L: 加载数据"),
                          QStringLiteral("  Ctrl+C: 复制单元格"), QString(22, '-')}));
    QVERIFY(!text.endsWith(QStringLiteral("\r\n")));
  }

  void aQueryRequestedDuringAQueryRunsOnceItEnds() {
    TempTree tree;
    std::vector<std::string> accounts;
    for (int i = 0; i < 1200; ++i)
      accounts.push_back(i % 2 ? "odd" : "even");
    WriteDay(tree, "2024-03-01", accounts);
    RecordingForm form;
    form.edtPath->setText(RootOf(tree));
    form.btnSelectAll->Click();
    form.btnLoadSearch->Click();
    form.edtKeyword1->setText(QStringLiteral("even"));
    int presses = 0;
    form.onYield = [&] {
      if (presses++ != 0) return;
      // Pressed again, with new inputs, while the first query is yielding.
      form.edtKeyword1->setText(QStringLiteral("odd"));
      form.btnLoadSearch->Click();
      QCOMPARE(form.State().FFilteredLogs.empty(), false);  // the first pass goes on
    };
    form.btnLoadSearch->Click();
    QCOMPARE(form.State().FFilteredLogs.size(), std::size_t{600});
    QCOMPARE(QString::fromStdU16String(std::u16string(form.State().FFilteredLogs[0].Account())),
             QStringLiteral("odd"));
    QCOMPARE(form.StringGrid1->RowCount(), 601);
    QCOMPARE(form.StringGrid1->Model().CellText(1, 600), QStringLiteral("odd"));
    QCOMPARE(form.StatusBarPanels.at(1)->text(), QStringLiteral("筛选后: 600"));
    QCOMPARE(Status(form), QStringLiteral("状态：找到 600 条匹配记录"));
  }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
