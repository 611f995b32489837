#pragma once

// The Windows API as the Win32 front-end includes it: the platform layer's lean windows.h (no
// min/max macros, no Yield() macro that would erase the form's Yield), then the common
// controls and the shell's folder browser.
#include "platform/win32/win32_api.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>
