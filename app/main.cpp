// Program entry: the application object, the main window on the task bar, the message loop.

#include "app/Unit1.h"
#include "app/toolkit.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
  app::TApplication application(argc, argv);
  app::TApplication::setApplicationName(QStringLiteral("korlo-log-analyzer"));
  app::TForm1 form(platform::NativeFileSystem(), platform::SystemAnsiCodePage());
  form.show();
  return app::TApplication::exec();
}
