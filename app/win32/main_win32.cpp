// The program entry of the Win32 window: common controls and COM (for the folder browser) set
// up, the toolkit and the form created on it, the window shown, and the message loop run until
// the window closes.

#include "app/win32/error_box.h"
#include "app/win32/wide_text.h"
#include "app/win32/win32_toolkit.h"
#include "app/win32/win_api.h"
#include "form/Unit1.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/file_system.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
  // The folder browser's new-style dialog needs a single-threaded apartment.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC =
      ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);

  int exitCode = 1;
  try {
    app::Win32Toolkit toolkit(instance);
    // A server root named on the command line replaces the default one.
    std::u16string root(core::kDefaultRoot);
    int argumentCount = 0;
    if (LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &argumentCount)) {
      if (argumentCount > 1) root = app::FromWide(arguments[1]);
      LocalFree(arguments);
    }
    form::TForm1 form(toolkit, platform::NativeFileSystem(), platform::SystemAnsiCodePage(), root);
    toolkit.Attach(form);
    // KORLO_TIMINGS=FILE: a line a command in FILE (what it cost, for the benchmarks).
    if (auto timings = platform::EnvironmentValue(u"KORLO_TIMINGS")) {
      form.LogTimingsTo(std::move(*timings));
    }
    form.Create();
    toolkit.Show(showCommand);
    exitCode = toolkit.RunMessageLoop();
  } catch (...) {
    app::ShowCurrentException(nullptr);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
