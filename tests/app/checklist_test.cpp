#include <QProxyStyle>
#include <QtTest>

#include "app/action_checklist.h"
#include "form_harness.h"

using app::TActionCheckList;
using korlo_test::RecordingForm;

namespace {

// The set flags, e.g. "0" or "26 27 28".
QString SetFlags(const std::vector<bool>& flags) {
  QStringList set;
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (flags[i]) set << QString::number(i);
  }
  return set.join(' ');
}

QPoint PointOn(app::TActionListBox* list, int entry, int x) {
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

class ChecklistTest : public QObject {
  Q_OBJECT

 private slots:
  void looksByIndex_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<int>("textLeft");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("colour");
    const QRect item(0, 34, 260, 17);
    using C = TActionCheckList::TTextColour;
    QTest::newRow("select all") << 0 << false << QRect(5, 36, 16, 13) << 26 << true
                                << int(C::kBlue);
    QTest::newRow("select all, selected")
        << 0 << true << QRect(5, 36, 16, 13) << 26 << true << int(C::kHighlightText);
    QTest::newRow("item header") << 1 << false << QRect(5, 36, 16, 13) << 26 << true
                                 << int(C::kWindowText);
    QTest::newRow("item member") << 5 << false << QRect(25, 36, 16, 13) << 46 << false
                                 << int(C::kWindowText);
    QTest::newRow("last item member")
        << 25 << false << QRect(25, 36, 16, 13) << 46 << false << int(C::kWindowText);
    QTest::newRow("player header")
        << 26 << true << QRect(5, 36, 16, 13) << 26 << true << int(C::kHighlightText);
    QTest::newRow("player member")
        << 32 << false << QRect(25, 36, 16, 13) << 46 << false << int(C::kWindowText);
    Q_UNUSED(item);
  }
  void looksByIndex() {
    QFETCH(int, index);
    QFETCH(bool, selected);
    QFETCH(QRect, box);
    QFETCH(int, textLeft);
    QFETCH(bool, bold);
    QFETCH(int, colour);
    const TActionCheckList::TLook look =
        TActionCheckList::Look(index, QRect(0, 34, 260, 17), selected);
    QCOMPARE(look.checkBox, box);
    QCOMPARE(look.textLeft, textLeft);
    QCOMPARE(look.bold, bold);
    QCOMPARE(int(look.colour), colour);
  }

  void pressesToggleInsideTheHitZoneOnly_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("x");
    QTest::addColumn<bool>("toggles");
    for (int entry : {0, 5, 26}) {
      const int indent = entry == 5 ? 25 : 5;
      for (int x : {12, 30, 45, 50}) {
        QTest::addRow("entry %d at x %d", entry, x)
            << entry << x << (x >= indent && x <= indent + 20);
      }
    }
  }
  void pressesToggleInsideTheHitZoneOnly() {
    QFETCH(int, entry);
    QFETCH(int, x);
    QFETCH(bool, toggles);
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Core().ToggleAction(3);  // so that toggling entry 0 shows
    const std::vector<bool> before = form.State().FActionChecked;
    QTest::mouseClick(form.lstActions->viewport(), Qt::LeftButton, {},
                      PointOn(form.lstActions, entry, x));
    QCOMPARE(form.State().FActionChecked != before, toggles);
    QCOMPARE(form.lstActions->currentRow(), entry);  // a left press always selects
  }

  void otherButtonsToggleWithoutMovingTheCurrentEntry() {
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.lstActions->setCurrentRow(2);
    QTest::mouseClick(form.lstActions->viewport(), Qt::RightButton, {},
                      PointOn(form.lstActions, 5, 30));
    QCOMPARE(SetFlags(form.State().FActionChecked), QStringLiteral("5"));
    QCOMPARE(form.lstActions->currentRow(), 2);
    QTest::mouseClick(form.lstActions->viewport(), Qt::RightButton, {},
                      PointOn(form.lstActions, 5, 50));
    QCOMPARE(form.lstActions->currentRow(), 5);  // outside the zone: moves without toggling
    QCOMPARE(SetFlags(form.State().FActionChecked), QStringLiteral("5"));
  }

  void aDoubleClickTogglesTwice() {
    RecordingForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint at = PointOn(form.lstActions, 5, 30);
    // Through the window, as the system delivers it: press, release, double click, release.
    const QPoint inWindow = form.lstActions->viewport()->mapTo(&form, at);
    QTest::mouseDClick(form.windowHandle(), Qt::LeftButton, {}, inWindow);
    // Flag 5 is as it was; select-all went off with the first toggle and stays off.
    QCOMPARE(SetFlags(form.State().FActionChecked), QString());
    QTest::mouseClick(form.lstActions->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(SetFlags(form.State().FActionChecked), QStringLiteral("5"));
  }

  void spaceTogglesTheCurrentEntryWhateverTheModifiers() {
    RecordingForm form;
    form.lstActions->setCurrentRow(26);
    QTest::keyClick(form.lstActions, Qt::Key_Space);
    QCOMPARE(SetFlags(form.State().FActionChecked), QStringLiteral("26 27 28 29 30 31 32"));
    QTest::keyClick(form.lstActions, Qt::Key_Space, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(SetFlags(form.State().FActionChecked), QString());
  }

  void buttonsCheckSelectAllAlone() {
    RecordingForm form;
    form.Core().ToggleAction(1);
    form.btnSelectAllActions->Click();
    QCOMPARE(SetFlags(form.State().FActionChecked), QStringLiteral("0"));
    QCOMPARE(form.lblStatus->text(), QStringLiteral("状态：已选择全部数据"));
    form.Core().ToggleAction(30);
    form.btnClearAllActions->Click();
    QCOMPARE(SetFlags(form.State().FActionChecked), QStringLiteral("0"));
    QCOMPARE(form.lblStatus->text(), QStringLiteral("状态：已清空所有动作选择，显示全部数据"));
  }

  void drawsEachBoxInItsStateAndPlace() {
    RecordingForm form;
    auto* recorder = new CheckBoxRecorder;
    form.lstActions->setStyle(recorder);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Core().ToggleAction(5);
    recorder->boxes.clear();
    form.lstActions->viewport()->repaint();
    QVERIFY(recorder->boxes.size() >= 6);
    const QRect item0 = form.lstActions->visualItemRect(form.lstActions->item(0));
    QCOMPARE(recorder->boxes.at(0).first, QRect(5, item0.top() + 2, 16, 13));
    QVERIFY(!(recorder->boxes.at(0).second & QStyle::State_On));
    const QRect item5 = form.lstActions->visualItemRect(form.lstActions->item(5));
    QCOMPARE(recorder->boxes.at(5).first, QRect(25, item5.top() + 2, 16, 13));
    QVERIFY(recorder->boxes.at(5).second & QStyle::State_On);
    QVERIFY(recorder->boxes.at(4).second & QStyle::State_Off);
    form.lstActions->setStyle(nullptr);
    delete recorder;
  }
};

QTEST_MAIN(ChecklistTest)
#include "checklist_test.moc"
