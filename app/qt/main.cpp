// Program entry: the application object, the main window on the task bar, the message loop.

#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include "app/qt/qt_text.h"
#include "app/qt/qt_window.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
  app::TApplication application(argc, argv);
  app::TApplication::setApplicationName(QStringLiteral("korlo-log-analyzer"));
  app::TApplication::setDesktopFileName(QStringLiteral("korlo-log-analyzer"));
  app::LoadChineseTranslations(application);
  // The program's icon, every drawn size built in (each file's size read from it), for the
  // window's caption and the task bar.
  QIcon icon;
  for (const QFileInfo& file : QDir(QStringLiteral(":/icons")).entryInfoList(QDir::Files)) {
    icon.addFile(file.filePath());
  }
  app::TApplication::setWindowIcon(icon);
  // A server root named on the command line replaces the default one.
  const QStringList arguments = QApplication::arguments();
  const std::u16string root =
      arguments.size() > 1 ? app::ToU16(arguments.at(1)) : std::u16string(core::kDefaultRoot);
  app::TQtWindow window(platform::NativeFileSystem(), platform::SystemAnsiCodePage(), root);
  // KORLO_TIMINGS=FILE: a line a command in FILE (what it cost, for the benchmarks).
  if (auto timings = platform::EnvironmentValue(u"KORLO_TIMINGS")) {
    window.Form().LogTimingsTo(std::move(*timings));
  }
  window.show();
  return app::TApplication::exec();
}
