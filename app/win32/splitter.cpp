#include "app/win32/splitter.h"

#include "app/win32/error_box.h"
#include "app/win32/key_input.h"

namespace app {
namespace {
constexpr wchar_t kSplitterClass[] = L"KorloSplitter";
}

void Splitter::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kSplitterClass;
  RegisterClassExW(&windowClass);
}

HWND Splitter::Create(HWND parent, int id, const RECT& bounds, HINSTANCE instance) {
  return CreateWindowExW(0, kSplitterClass, L"", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                         bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
}

LRESULT CALLBACK Splitter::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Splitter*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return GuardedMessage(GetAncestor(window, GA_ROOT), 0,
                        [&] { return self->Handle(window, message, wParam, lParam); });
}

LRESULT Splitter::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      grabX_ = MousePoint(lParam).x;
      dragging_ = true;
      SetCapture(window);
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_ && (wParam & MK_LBUTTON) != 0) {
        POINT point = MousePoint(lParam);
        MapWindowPoints(window, GetParent(window), &point, 1);
        form_.SplitterDragged(scale_.FromNative(point.x - grabX_));
      }
      return 0;
    case WM_LBUTTONUP:
      if (dragging_) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace app
