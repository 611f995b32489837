// windowbench: the Linux window's own costs beside the engine's, measured in the same run (use
// -platform offscreen headless):
//   windowbench [--rows N] [--root ROOT --dates D1[,D2...] [--rounds N]] [Qt options]
// render_rows, render_ms (RenderGrid wall time), render_yield_ms (time spent inside its
// yields), render_beyond_yields_ms.
// With --root (read as GBK), N rounds (default 3) of, in turn: the engine's own load through a
// headless window, then the window's load with the load button (its line in the timings log)
// and a second press (the query alone), and the engine's query; medians of each:
//   engine_load_ms, window_load_ms, window_load_ratio (window / engine), window_load_yields,
//   window_load_pumps, window_load_progress_moves, load_to_first_paint_ms (the load button to
//   the first paint of the grid showing rows), engine_query_ms, window_query_ms (the query and
//   the grid's rendering), window_query_ratio, load_records.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/qt/qt_text.h"
#include "app/qt/qt_window.h"
#include "app/qt/string_grid.h"
#include "core/headless_window.h"
#include "core/log_analyzer.h"
#include "core/log_record.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(qint64 ns) {
  return static_cast<double>(ns) / 1e6;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

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

// A line of the timings log: its name and its key=value figures.
struct TimingsLine {
  std::string name;
  std::map<std::string, double> figures;
};

std::vector<TimingsLine> ReadTimings(const QString& path) {
  QFile file(path);
  std::vector<TimingsLine> lines;
  if (!file.open(QIODevice::ReadOnly)) return lines;
  for (const QByteArray& text : file.readAll().split('\n')) {
    const QList<QByteArray> fields = text.split('\t');
    if (fields.size() < 2) continue;
    TimingsLine line{fields[0].toStdString(), {}};
    for (qsizetype i = 1; i < fields.size(); ++i) {
      const qsizetype equals = fields[i].indexOf('=');
      if (equals > 0) {
        line.figures[fields[i].left(equals).toStdString()] = fields[i].mid(equals + 1).toDouble();
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// The engine alone: a load of `dates` through a headless window, then a query; wall ms of each.
std::pair<double, double> EngineLoadAndQuery(const std::u16string& root,
                                             const std::vector<std::u16string>& dates) {
  core::THeadlessWindow window;
  core::TLogAnalyzer analyzer(window, platform::NativeFileSystem(), platform::kCodePageGbk);
  window.Attach(analyzer.State());
  analyzer.InitActionList();
  analyzer.InitActionKeywords();
  analyzer.State().FSelectedPath = root;
  analyzer.RefreshDateFolders();
  window.SelectDates(dates);
  const Clock::time_point loadStart = Clock::now();
  analyzer.LoadLogData();
  const Clock::time_point queryStart = Clock::now();
  analyzer.ApplyFilter();
  const Clock::time_point end = Clock::now();
  return {std::chrono::duration<double, std::milli>(queryStart - loadStart).count(),
          std::chrono::duration<double, std::milli>(end - queryStart).count()};
}

}  // namespace

int main(int argc, char** argv) {
  app::TApplication application(argc, argv);
  const QStringList args = QApplication::arguments();
  int rows = 2'000'000;
  int rounds = 3;
  QString root;
  QStringList dates;
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == "--rows")
      rows = args[++i].toInt();
    else if (args[i] == "--root")
      root = args[++i];
    else if (args[i] == "--dates")
      dates = args[++i].split(',');
    else if (args[i] == "--rounds")
      rounds = std::max(1, args[++i].toInt());
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
  if (root.isEmpty()) return 0;

  result.clear();
  form.RenderGrid();
  QTemporaryDir logFolder;
  const QString timings = logFolder.filePath(QStringLiteral("timings.log"));
  form.LogTimingsTo(app::ToU16(QDir::toNativeSeparators(timings)));
  window.SetCurrentItem(form::TControl::cboCodePage, 1);  // GBK, as the engine reads it here
  form.ComboChanged(form::TControl::cboCodePage);
  std::vector<std::u16string> days;
  for (const QString& day : dates)
    days.push_back(app::ToU16(day));

  std::vector<double> engineLoad, engineQuery, firstPaint;
  for (int round = 0; round < rounds; ++round) {
    const auto [loadMs, queryMs] = EngineLoadAndQuery(app::ToU16(root), days);
    engineLoad.push_back(loadMs);
    engineQuery.push_back(queryMs);

    // The window: a new root (which drops what the last round loaded), the days, the button.
    window.SetText(form::TControl::edtPath, u"");
    window.SetText(form::TControl::edtPath, app::ToU16(root));
    for (int i = 0; i < window.ItemCount(form::TControl::lstDateFolders); ++i) {
      const QString day = app::ToQString(window.ItemText(form::TControl::lstDateFolders, i));
      window.SetItemSelected(form::TControl::lstDateFolders, i, dates.contains(day));
    }
    QApplication::processEvents();
    FirstPaint paint(window.Grid(), form);
    paint.clock.start();
    form.ButtonClicked(form::TControl::btnLoadSearch);
    while (paint.painted < 0 && paint.clock.elapsed() < 60'000) {
      window.Grid()->viewport()->update();
      QApplication::processEvents();
    }
    firstPaint.push_back(Ms(paint.painted));
    form.ButtonClicked(form::TControl::btnLoadSearch);  // the query alone
    QApplication::processEvents();
  }

  std::vector<double> windowLoad, windowQuery, yields, pumps, moves;
  for (const TimingsLine& line : ReadTimings(timings)) {
    if (line.name == "LoadLogData") {
      windowLoad.push_back(line.figures.at("wall_ms"));
      yields.push_back(line.figures.at("yields"));
      pumps.push_back(line.figures.at("pumps"));
      moves.push_back(line.figures.at("progress_moves"));
    } else if (line.name == "ApplyFilter") {
      windowQuery.push_back(line.figures.at("wall_ms"));
    }
  }
  const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
  std::printf("load_records=%zu\n", form.State().FAllLogs.size());
  std::printf("engine_load_ms=%.1f\n", Median(engineLoad));
  std::printf("window_load_ms=%.1f\n", Median(windowLoad));
  std::printf("window_load_ratio=%.2f\n", ratio(Median(windowLoad), Median(engineLoad)));
  std::printf("window_load_yields=%.0f\n", Median(yields));
  std::printf("window_load_pumps=%.0f\n", Median(pumps));
  std::printf("window_load_progress_moves=%.0f\n", Median(moves));
  std::printf("load_to_first_paint_ms=%.1f\n", Median(firstPaint));
  std::printf("engine_query_ms=%.1f\n", Median(engineQuery));
  std::printf("window_query_ms=%.1f\n", Median(windowQuery));
  std::printf("window_query_ratio=%.2f\n", ratio(Median(windowQuery), Median(engineQuery)));
  return 0;
}
