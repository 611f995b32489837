// windowbench: the window's own costs, on whatever platform Qt runs on (use -platform offscreen
// headless):
//   windowbench [--rows N] [--root ROOT --dates D1[,D2...]] [Qt options]
// render_rows, render_ms (RenderGrid wall time), render_yield_ms (time spent inside its
// yields), render_beyond_yields_ms; with --root: load_to_first_paint_ms, from pressing the load
// button to the first paint of the grid showing rows.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QStringList>

#include <cstdio>
#include <string>

#include "app/Unit1.h"
#include "core/log_record.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace {

// The window with the time spent in RenderGrid and in the yields it makes measured.
class MeasuredForm : public app::TForm1 {
 public:
  MeasuredForm() : app::TForm1(platform::NativeFileSystem(), platform::SystemAnsiCodePage()) {}

  void RenderGrid() override {
    QElapsedTimer timer;
    timer.start();
    inRender_ = true;
    app::TForm1::RenderGrid();
    inRender_ = false;
    renderNs += timer.nsecsElapsed();
  }
  void Yield() override {
    if (!inRender_) {
      app::TForm1::Yield();
      return;
    }
    QElapsedTimer timer;
    timer.start();
    app::TForm1::Yield();
    yieldNs += timer.nsecsElapsed();
  }

  qint64 renderNs = 0;
  qint64 yieldNs = 0;

 private:
  bool inRender_ = false;
};

// Notes the first paint of the grid's cells while the grid shows rows.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(app::TStringGrid* grid) : grid_(grid) {
    grid->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && painted < 0 && grid_->Model().CellText(0, 1) != "") {
      painted = clock.nsecsElapsed();
    }
    return false;
  }
  QElapsedTimer clock;
  qint64 painted = -1;

 private:
  app::TStringGrid* grid_;
};

double Ms(qint64 ns) {
  return static_cast<double>(ns) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  app::TApplication application(argc, argv);
  const QStringList args = QApplication::arguments();
  int rows = 2'000'000;
  QString root;
  QStringList dates;
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == "--rows")
      rows = args[++i].toInt();
    else if (args[i] == "--root")
      root = args[++i];
    else if (args[i] == "--dates")
      dates = args[++i].split(',');
  }

  MeasuredForm form;
  form.show();
  QApplication::processEvents();

  core::TLogList& result = form.State().FFilteredLogs;
  const core::TLogRecord record = core::ParseLogLine(
      u"0\tkr1234\t2\t玩家名\t4\t0150\t123\t456\t45\t1234567890123\t1001\t屠龙刀\t1\t0\t对方\t\t"
      u"2024-03-01 12:00:00 拾取");
  result.assign(static_cast<std::size_t>(rows), record);
  form.RenderGrid();
  QApplication::processEvents();
  std::printf("render_rows=%d\n", rows);
  std::printf("render_ms=%.1f\n", Ms(form.renderNs));
  std::printf("render_yield_ms=%.1f\n", Ms(form.yieldNs));
  std::printf("render_beyond_yields_ms=%.1f\n", Ms(form.renderNs - form.yieldNs));

  if (!root.isEmpty()) {
    result.clear();
    form.edtPath->setText(root);
    for (int i = 0; i < form.lstDateFolders->count(); ++i) {
      form.SetDateFolderSelected(i, dates.contains(form.lstDateFolders->item(i)->text()));
    }
    FirstPaint paint(form.StringGrid1);
    paint.clock.start();
    form.btnLoadSearch->Click();
    while (paint.painted < 0 && paint.clock.elapsed() < 60'000) {
      form.StringGrid1->viewport()->update();
      QApplication::processEvents();
    }
    std::printf("load_records=%zu\n", form.State().FAllLogs.size());
    std::printf("load_to_first_paint_ms=%.1f\n", Ms(paint.painted));
  }
  return 0;
}
