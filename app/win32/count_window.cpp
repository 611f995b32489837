#include "app/win32/count_window.h"

#include <algorithm>

#include "app/win32/error_box.h"
#include "app/win32/key_input.h"
#include "app/win32/program_icon.h"
#include "app/win32/wide_text.h"

namespace app {

namespace {

constexpr wchar_t kCountWindowClass[] = L"KorloCountWindow";
// What the window opens at, at 96 dpi: room for the value and count columns and many rows.
constexpr int kOpeningWidth = 440;
constexpr int kOpeningHeight = 520;

}  // namespace

CountWindow::~CountWindow() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

void CountWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ProgramIcon(instance, SM_CXICON);
  windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kCountWindowClass;
  RegisterClassExW(&windowClass);
}

void CountWindow::Show(HWND owner, HINSTANCE instance, HFONT font, std::u16string_view title,
                       std::span<const form::TGridColumn> columns, int rows) {
  const std::wstring caption = ToWide(title);
  if (window_ == nullptr) {
    CreateWindowExW(0, kCountWindowClass, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, scale_.ToNative(kOpeningWidth), scale_.ToNative(kOpeningHeight),
                    owner, nullptr, instance, this);
    if (window_ == nullptr) return;
    RECT client{};
    GetClientRect(window_, &client);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                            0, 0, client.right, client.bottom, window_, nullptr, instance, nullptr);
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  } else {
    SetWindowTextW(window_, caption.c_str());
  }
  while (SendMessageW(list_, LVM_DELETECOLUMN, 0, 0) != FALSE) {
  }
  int index = 0;
  for (const form::TGridColumn& column : columns) {
    std::wstring text = ToWide(column.header);
    LVCOLUMNW entry{};
    entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    entry.fmt = index == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
    entry.cx = scale_.ToNative(column.width);
    entry.pszText = text.data();
    entry.iSubItem = index;
    SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&entry));
    ++index;
  }
  SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(std::max(rows, 0)), 0);
  InvalidateRect(list_, nullptr, TRUE);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  SetFocus(list_);
}

int CountWindow::FocusedRow() const {
  const int item =
      static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  return item >= 0 ? item + 1 : -1;
}

LRESULT CALLBACK CountWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<CountWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<CountWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return GuardedMessage(window, 0, [&] { return self->Handle(window, message, wParam, lParam); });
}

LRESULT CountWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (list_ != nullptr) MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_NOTIFY:
      return Notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU: {
      // From the keyboard (-1) on the focused row; from the mouse on the row under it.
      int row = FocusedRow();
      if (lParam != -1) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(list_, &hit.pt);
        SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        row = hit.iItem >= 0 && (hit.flags & LVHT_ONITEM) != 0 ? hit.iItem + 1 : -1;
      }
      form_.CountWindowContextMenu(row);
      return 0;
    }
    case WM_SETFOCUS:
      if (list_ != nullptr) SetFocus(list_);
      return 0;
    case WM_CLOSE:
      ShowWindow(window, SW_HIDE);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      list_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CountWindow::Notify(const NMHDR& header) {
  if (header.hwndFrom != list_) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
      if ((item.mask & LVIF_TEXT) != 0) {
        cellText_ = form_.CountCellText(item.iSubItem, item.iItem + 1);
        item.pszText = AsWide(cellText_);
      }
      return 0;
    }
    case LVN_ODFINDITEMW:
      return -1;  // typing letters does not search the rows
    case NM_DBLCLK: {
      const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
      if (activate.iItem >= 0) form_.CountWindowActivated(activate.iItem + 1);
      return 0;
    }
    case LVN_KEYDOWN: {
      const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
      if (key.wVKey == VK_RETURN && FocusedRow() > 0) form_.CountWindowActivated(FocusedRow());
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace app
