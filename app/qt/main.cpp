// Program entry: the application object, the main window on the task bar, the message loop.

#include "app/qt/qt_window.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
  app::TApplication application(argc, argv);
  app::TApplication::setApplicationName(QStringLiteral("korlo-log-analyzer"));
  app::LoadChineseTranslations(application);
  app::TQtWindow window(platform::NativeFileSystem(), platform::SystemAnsiCodePage());
  window.show();
  return app::TApplication::exec();
}
