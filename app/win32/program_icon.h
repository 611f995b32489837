#pragma once

// The resource identifier of the program's icon (korlo-log-analyzer.rc includes this file).
#define KORLO_ICON_RESOURCE 1

#ifndef RC_INVOKED
#include "app/win32/win_api.h"

namespace app {

// The program's icon from the module's resources at the system's size for `metric`'s kind
// (SM_CXICON: large, SM_CXSMICON: the caption's and the task bar's small one), or the system's
// application icon when the module has none.
HICON ProgramIcon(HINSTANCE instance, int metric);

}  // namespace app
#endif
