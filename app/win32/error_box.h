#pragma once

#include "app/win32/win_api.h"

namespace app {

// Shows the exception being handled in an error box titled with the program's caption; for use
// inside a catch block only. Never throws.
void ShowCurrentException(HWND owner) noexcept;

// Runs `body`, the handling of one window message, so that no exception leaves a window
// procedure: an exception is shown in the error box and `fallback` is returned instead.
template <class Body>
LRESULT GuardedMessage(HWND owner, LRESULT fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    ShowCurrentException(owner);
    return fallback;
  }
}

}  // namespace app
