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

#include "app/qt/qt_text.h"
#include "app/qt/qt_window.h"
#include "app/qt/string_grid.h"
#include "core/log_record.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace {

// The Qt window with the time spent in the yields measured while `measuring` is set.
class MeasuredWindow : public app::TQtWindow {
 public:
  MeasuredWindow() : app::TQtWindow(platform::NativeFileSystem(), platform::SystemAnsiCodePage()) {}

  void ProcessPendingEvents() override {
    if (!measuring) {
      app::TQtWindow::ProcessPendingEvents();
      return;
    }
    QElapsedTimer timer;
    timer.start();
    app::TQtWindow::ProcessPendingEvents();
    yieldNs += timer.nsecsElapsed();
  }

  bool measuring = false;
  qint64 yieldNs = 0;
};

// Notes the first paint of the grid's cells while the grid shows rows.
class FirstPaint : public QObject {
 public:
  FirstPaint(app::TStringGrid* grid, const form::TForm1& form) : form_(form) {
    grid->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && painted < 0 && !form_.GridCellText(0, 1).empty()) {
      painted = clock.nsecsElapsed();
    }
    return false;
  }
  QElapsedTimer clock;
  qint64 painted = -1;

 private:
  const form::TForm1& form_;
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

  MeasuredWindow window;
  form::TForm1& form = window.Form();
  window.show();
  QApplication::processEvents();

  core::TLogList& result = form.State().FFilteredLogs;
  const core::TLogRecord record = core::ParseLogLine(
      u"0\tkr1234\t2\t玩家名\t4\t0150\t123\t456\t45\t1234567890123\t1001\t屠龙刀\t1\t0\t对方\t\t"
      u"2024-03-01 12:00:00 拾取");
  result.clear();
  for (int i = 0; i < rows; ++i)
    result.push_back(record);
  QElapsedTimer render;
  render.start();
  window.measuring = true;
  form.RenderGrid();
  window.measuring = false;
  const qint64 renderNs = render.nsecsElapsed();
  QApplication::processEvents();
  std::printf("render_rows=%d\n", rows);
  std::printf("render_ms=%.1f\n", Ms(renderNs));
  std::printf("render_yield_ms=%.1f\n", Ms(window.yieldNs));
  std::printf("render_beyond_yields_ms=%.1f\n", Ms(renderNs - window.yieldNs));

  if (!root.isEmpty()) {
    result.clear();
    form.RenderGrid();
    window.SetText(form::TControl::edtPath, app::ToU16(root));
    for (int i = 0; i < window.ItemCount(form::TControl::lstDateFolders); ++i) {
      const QString day = app::ToQString(window.ItemText(form::TControl::lstDateFolders, i));
      window.SetItemSelected(form::TControl::lstDateFolders, i, dates.contains(day));
    }
    FirstPaint paint(window.Grid(), form);
    paint.clock.start();
    form.ButtonClicked(form::TControl::btnLoadSearch);
    while (paint.painted < 0 && paint.clock.elapsed() < 60'000) {
      window.Grid()->viewport()->update();
      QApplication::processEvents();
    }
    std::printf("load_records=%zu\n", form.State().FAllLogs.size());
    std::printf("load_to_first_paint_ms=%.1f\n", Ms(paint.painted));
  }
  return 0;
}
