#pragma once

#include "app/win32/win_api.h"

namespace app {

// The window class of the panels: plain containers in the button-face colour that Tab enters
// (WS_EX_CONTROLPARENT) and that hand their children's notifications (WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*) to the main window, where the form's controls are
// handled in one place.
inline constexpr wchar_t kPanelClass[] = L"KorloPanel";
void RegisterPanelClass(HINSTANCE instance);

}  // namespace app
