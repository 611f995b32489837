#include "app/win32/program_icon.h"

namespace app {

HICON ProgramIcon(HINSTANCE instance, int metric) {
  const int size = GetSystemMetrics(metric);
  // Shared: the system keeps the icon for the module's lifetime, nothing to destroy.
  auto* icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(KORLO_ICON_RESOURCE),
                                             IMAGE_ICON, size, size, LR_SHARED));
  return icon != nullptr ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace app
