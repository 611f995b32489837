#include "app/win32/win32_toolkit.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <map>
#include <utility>
#include <vector>

#include "app/win32/error_box.h"
#include "app/win32/key_input.h"
#include "app/win32/panel.h"
#include "app/win32/program_icon.h"
#include "app/win32/wide_text.h"
#include "platform/file_system.h"
#include "platform/os_error.h"

namespace app {
namespace {

using form::TControl;
using form::TControlKind;

constexpr wchar_t kWindowClass[] = L"KorloLogAnalyzerWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = 0;
// Child window identifiers: the control's index after this base, clear of IDOK and IDCANCEL,
// which the dialog navigation sends for Enter and Escape.
constexpr int kFirstControlId = 100;
// How far a list-only drop-down's list reaches below its box, at 96 dpi.
constexpr int kDropDownHeight = 200;

std::wstring WindowText(HWND window) {
  if (window == nullptr) return std::wstring();
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

std::wstring ListItemText(HWND list, bool comboBox, int index) {
  const UINT lengthMessage = comboBox ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT textMessage = comboBox ? CB_GETLBTEXT : LB_GETTEXT;
  const LRESULT length = SendMessageW(list, lengthMessage, static_cast<WPARAM>(index), 0);
  if (length < 0) return std::wstring();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(list, textMessage, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
  return text;
}

// The order a sorted list box keeps (LBS_SORT compares this way).
bool SortsBefore(const std::wstring& a, const std::wstring& b) {
  return lstrcmpiW(a.c_str(), b.c_str()) < 0;
}

std::u16string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  return FromWide(text);
}

// The folder browser's start: preselected when it exists; the dialog centred on the monitor of
// its owner.
struct BrowseStart {
  std::wstring path;
  bool exists;
  HWND owner;
};

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM /*data*/, LPARAM start) {
  if (message != BFFM_INITIALIZED) return 0;
  const auto& browse = *reinterpret_cast<const BrowseStart*>(start);
  if (browse.exists) {
    // Expanded first, then selected: some shells select only what the tree has already shown.
    SendMessageW(dialog, BFFM_SETEXPANDED, TRUE, reinterpret_cast<LPARAM>(browse.path.c_str()));
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(browse.path.c_str()));
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  RECT frame{};
  if (GetMonitorInfoW(MonitorFromWindow(browse.owner, MONITOR_DEFAULTTONEAREST), &monitor) &&
      GetWindowRect(dialog, &frame)) {
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}

}  // namespace

Win32Toolkit::Win32Toolkit(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ProgramIcon(instance, SM_CXICON);
  windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  RegisterPanelClass(instance);
  Splitter::RegisterWindowClass(instance);
  CountWindow::RegisterWindowClass(instance);
}

Win32Toolkit::~Win32Toolkit() {
  form_ = nullptr;  // the form is gone: a window destroyed now reports to nobody
  if (window_ != nullptr) DestroyWindow(window_);
  if (fonts_.regular != nullptr) DeleteObject(fonts_.regular);
  if (fonts_.bold != nullptr) DeleteObject(fonts_.bold);
}

void Win32Toolkit::Attach(form::TForm1& form) {
  form_ = &form;
}

void Win32Toolkit::Show(int showCommand) {
  if (window_ == nullptr) return;
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
  if (form_ != nullptr) form_->Shown();
  if (firstFocus_ != nullptr) SetFocus(firstFocus_);
}

int Win32Toolkit::RunMessageLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    try {
      Dispatch(message);
    } catch (...) {
      ShowCurrentException(window_);
    }
  }
  return static_cast<int>(message.wParam);
}

void Win32Toolkit::Dispatch(MSG& message) {
  const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  if (keyDown && form_ != nullptr && window_ != nullptr &&
      (message.hwnd == window_ || IsChild(window_, message.hwnd))) {
    // Key preview: the form sees every key before the focused control, and a key it consumes
    // goes no further (nor does its character).
    if (form_->KeyPreview(KeyFromVirtualKey(message.wParam), ShiftState())) return;
  }
  // Tab, Shift+Tab and the other dialog keys move the focus through the tab order.
  if (window_ != nullptr && IsDialogMessageW(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

// ---- The window and its controls

void Win32Toolkit::MakeFonts() {
  LOGFONTW font{};
  font.lfHeight = -scale_.ToNative(std::abs(windowLayout_.fontHeight));
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring face = ToWide(windowLayout_.fontFace);
  wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  HFONT regular = CreateFontIndirectW(&font);
  font.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectW(&font);
  if (fonts_.regular != nullptr) DeleteObject(fonts_.regular);
  if (fonts_.bold != nullptr) DeleteObject(fonts_.bold);
  fonts_ = WindowFonts{regular, bold};
}

void Win32Toolkit::SetUpWindow(const form::TWindowLayout& window) {
  windowLayout_ = window;
  scale_.SetDpi(static_cast<int>(GetDpiForSystem()));
  const std::wstring caption = ToWide(window.caption);
  CreateWindowExW(kWindowExStyle, kWindowClass, caption.c_str(), kWindowStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance_, this);
  if (window_ == nullptr) {
    throw platform::OsError(u"无法创建窗口: " + SystemErrorText(GetLastError()));
  }
  // The monitor the window opened on decides its scale.
  scale_.SetDpi(static_cast<int>(GetDpiForWindow(window_)));
  MakeFonts();
  const form::TSize outer = OuterSize(window.clientSize);
  SetWindowPos(window_, nullptr, 0, 0, scale_.ToNative(outer.width), scale_.ToNative(outer.height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::optional<TControl> Win32Toolkit::ControlOf(int id) const {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(form::kControlCount)) return std::nullopt;
  return static_cast<TControl>(index);
}

void Win32Toolkit::CreateControl(const form::TControlLayout& entry) {
  if (window_ == nullptr) return;
  const std::size_t index = form::Index(entry.id);
  kinds_[index] = entry.kind;
  bounds_[index] = entry.bounds;
  HWND parent = entry.HasParent() ? Handle(entry.Parent()) : window_;
  if (parent == nullptr) return;
  const RECT r = scale_.ToNative(entry.bounds);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index));
  const std::wstring text = ToWide(entry.text);
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  const auto make = [&](DWORD exStyle, const wchar_t* className, DWORD style, int h) {
    return CreateWindowExW(exStyle, className, text.c_str(), kChild | style, r.left, r.top, width,
                           h, parent, id, instance_, nullptr);
  };

  HWND control = nullptr;
  switch (entry.kind) {
    case TControlKind::kPanel:
      control = make(WS_EX_CONTROLPARENT, kPanelClass, WS_CLIPCHILDREN, height);
      break;
    case TControlKind::kEdit:
      control = make(WS_EX_CLIENTEDGE, WC_EDITW, ES_LEFT | ES_AUTOHSCROLL, height);
      break;
    case TControlKind::kButton:
      control = make(0, WC_BUTTONW, BS_PUSHBUTTON, height);
      break;
    case TControlKind::kLabel:
      control = make(0, WC_STATICW, SS_LEFT | SS_NOPREFIX, height);
      break;
    case TControlKind::kComboBox:
      control = make(0, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL,
                     height + scale_.ToNative(kDropDownHeight));
      break;
    case TControlKind::kCheckBox:
      control = make(0, WC_BUTTONW, BS_AUTOCHECKBOX, height);
      break;
    case TControlKind::kDateList:
      control = make(WS_EX_CLIENTEDGE, WC_LISTBOXW,
                     LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, height);
      break;
    case TControlKind::kCheckList:
      control =
          make(WS_EX_CLIENTEDGE, WC_LISTBOXW,
               LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
               height);
      break;
    case TControlKind::kSplitter:
      splitter_ = std::make_unique<Splitter>(*form_, scale_);
      control = splitter_->Create(parent, kFirstControlId + static_cast<int>(index), r, instance_);
      break;
    case TControlKind::kGrid:
      grid_ = std::make_unique<ResultsGrid>(*form_, scale_);
      control = grid_->Create(parent, kFirstControlId + static_cast<int>(index), r, instance_,
                              fonts_.regular);
      break;
    case TControlKind::kStatusBar:
      control = make(0, STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, height);
      break;
    case TControlKind::kProgressBar:
      control = make(0, PROGRESS_CLASSW, 0, height);
      break;
  }
  if (control == nullptr) {
    std::u16string name;
    for (const char letter : form::ControlName(entry.id))
      name += static_cast<char16_t>(letter);
    throw platform::OsError(u"无法创建控件 " + name + u": " + SystemErrorText(GetLastError()));
  }
  controls_[index] = control;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.regular), FALSE);

  switch (entry.kind) {
    case TControlKind::kEdit:
      if (!entry.placeholder.empty()) {
        // FALSE: the placeholder disappears while the box has the focus.
        const std::wstring placeholder = ToWide(entry.placeholder);
        SendMessageW(control, EM_SETCUEBANNER, FALSE,
                     reinterpret_cast<LPARAM>(placeholder.c_str()));
      }
      break;
    case TControlKind::kLabel:
      FitLabel(entry.id);
      break;
    case TControlKind::kComboBox:
      // The closed box is as high as designed: its selection field plus the 3-pixel border
      // above and below it.
      SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(height - 6, 1));
      break;
    case TControlKind::kDateList:
    case TControlKind::kCheckList:
      SendMessageW(control, LB_SETITEMHEIGHT, 0, scale_.ToNative(entry.itemHeight));
      if (entry.kind == TControlKind::kCheckList) {
        actionList_ = std::make_unique<ActionList>(*form_, scale_, fonts_);
        actionList_->Attach(control);
      }
      break;
    case TControlKind::kStatusBar:
      SetStatusParts();
      break;
    default:
      break;
  }
}

void Win32Toolkit::SetStatusParts() {
  HWND statusBar = Handle(TControl::StatusBar1);
  if (statusBar == nullptr) return;
  std::vector<int> edges;
  int edge = 0;
  for (const form::TStatusPanelLayout& panel : form::StatusPanels()) {
    edge += panel.width;
    edges.push_back(scale_.ToNative(edge));
  }
  // Every panel, the last included, is as wide as designed; the bar is blank beyond them.
  SendMessageW(statusBar, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void Win32Toolkit::SetTabOrder(std::span<const TControl> order) {
  // The dialog navigation follows each parent's children in their Z order: the controls of the
  // tab order go to the bottom of their parent's order one after the other, behind the controls
  // that take no focus, and so follow each other as given.
  firstFocus_ = nullptr;
  for (const TControl control : order) {
    HWND window = Handle(control);
    if (window == nullptr) continue;
    if (firstFocus_ == nullptr) firstFocus_ = window;
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_TABSTOP);
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void Win32Toolkit::PlaceControl(TControl control) {
  HWND window = Handle(control);
  if (window == nullptr) return;
  const RECT r = scale_.ToNative(bounds_[form::Index(control)]);
  if (Kind(control) == TControlKind::kLabel) {
    SetWindowPos(window, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    FitLabel(control);
    return;
  }
  int height = r.bottom - r.top;
  if (Kind(control) == TControlKind::kComboBox) height += scale_.ToNative(kDropDownHeight);
  // SWP_NOCOPYBITS: a moved control paints itself afresh. Copying its old pixels along is
  // wrong when a neighbour moved in the same docking pass and has not repainted yet (the status
  // bar would carry the grid's scroll bar with it).
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void Win32Toolkit::FitLabel(TControl control) {
  HWND label = Handle(control);
  if (label == nullptr) return;
  const std::wstring text = WindowText(label);
  HDC dc = GetDC(label);
  const HGDIOBJ previous = SelectObject(dc, fonts_.regular);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  form::TRect& bounds = bounds_[form::Index(control)];
  bounds.width = scale_.FromNative(size.cx);
  bounds.height = scale_.FromNative(metrics.tmHeight);
  SetWindowPos(label, nullptr, 0, 0, size.cx, metrics.tmHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Toolkit::SetBounds(TControl control, form::TRect bounds) {
  // The same bounds again move nothing: a docking pass sets every docked control, and under wine
  // each placement of the grid repaints its frame and scroll bars at once.
  if (Handle(control) == nullptr || bounds_[form::Index(control)] == bounds) return;
  bounds_[form::Index(control)] = bounds;
  PlaceControl(control);
}

form::TRect Win32Toolkit::Bounds(TControl control) const {
  if (Handle(control) == nullptr) return form::TRect{};
  return bounds_[form::Index(control)];
}

void Win32Toolkit::SetText(TControl control, std::u16string_view text) {
  HWND window = Handle(control);
  if (window == nullptr) return;
  const std::wstring wide = ToWide(text);
  // An edit box notifies (EN_CHANGE) every WM_SETTEXT; the same text is no change.
  if (Kind(control) == TControlKind::kEdit && WindowText(window) == wide) return;
  SetWindowTextW(window, wide.c_str());
  if (Kind(control) == TControlKind::kLabel) FitLabel(control);
}

std::u16string Win32Toolkit::Text(TControl control) const {
  return FromWide(WindowText(Handle(control)));
}

void Win32Toolkit::SetEnabled(TControl control, bool enabled) {
  HWND window = Handle(control);
  if (window == nullptr) return;
  EnableWindow(window, enabled ? TRUE : FALSE);
  // The frame too: a list's scroll bar keeps its disabled look otherwise.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

bool Win32Toolkit::IsEnabled(TControl control) const {
  HWND window = Handle(control);
  return window != nullptr && IsWindowEnabled(window) != FALSE;
}

void Win32Toolkit::SetVisible(TControl control, bool visible) {
  if (HWND window = Handle(control)) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Toolkit::SetChecked(TControl control, bool checked) {
  if (Is(control, TControlKind::kCheckBox)) {
    SendMessageW(Handle(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool Win32Toolkit::IsChecked(TControl control) const {
  return Is(control, TControlKind::kCheckBox) &&
         SendMessageW(Handle(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Toolkit::FocusAndSelectAll(TControl control) {
  if (!Is(control, TControlKind::kEdit)) return;
  SetFocus(Handle(control));
  SendMessageW(Handle(control), EM_SETSEL, 0, -1);
}

void Win32Toolkit::Invalidate(TControl control) {
  if (HWND window = Handle(control)) InvalidateRect(window, nullptr, TRUE);
}

void Win32Toolkit::SetCaption(std::u16string_view caption) {
  if (window_ == nullptr) return;
  const std::wstring wide = ToWide(caption);
  SetWindowTextW(window_, wide.c_str());
}

std::u16string Win32Toolkit::Caption() const {
  return FromWide(WindowText(window_));
}

form::TRect Win32Toolkit::WorkArea() const {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    return form::TRect{};
  }
  return scale_.FromNative(monitor.rcWork);
}

form::TSize Win32Toolkit::OuterSize(form::TSize client) const {
  RECT frame{0, 0, scale_.ToNative(client.width), scale_.ToNative(client.height)};
  AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle,
                           static_cast<UINT>(scale_.Dpi()));
  return form::TSize{scale_.FromNative(frame.right - frame.left),
                     scale_.FromNative(frame.bottom - frame.top)};
}

void Win32Toolkit::SetWindowBounds(form::TRect outer) {
  if (window_ == nullptr) return;
  const RECT r = scale_.ToNative(outer);
  SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Toolkit::CloseWindow() {
  if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
}

// ---- Lists

void Win32Toolkit::ClearItems(TControl list) {
  if (Is(list, TControlKind::kComboBox)) {
    SendMessageW(Handle(list), CB_RESETCONTENT, 0, 0);
  } else if (Is(list, TControlKind::kDateList) || Is(list, TControlKind::kCheckList)) {
    SendMessageW(Handle(list), LB_RESETCONTENT, 0, 0);
  }
}

void Win32Toolkit::AddItem(TControl list, std::u16string_view text) {
  const std::wstring wide = ToWide(text);
  const auto item = reinterpret_cast<LPARAM>(wide.c_str());
  if (Is(list, TControlKind::kComboBox)) {
    SendMessageW(Handle(list), CB_ADDSTRING, 0, item);
  } else if (Is(list, TControlKind::kDateList) && dateListSorted_) {
    // Binary search for the first item that sorts after the new one.
    int low = 0;
    int high = ItemCount(list);
    while (low < high) {
      const int middle = low + (high - low) / 2;
      if (SortsBefore(wide, ListItemText(Handle(list), false, middle))) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    SendMessageW(Handle(list), LB_INSERTSTRING, static_cast<WPARAM>(low), item);
  } else if (Is(list, TControlKind::kDateList) || Is(list, TControlKind::kCheckList)) {
    SendMessageW(Handle(list), LB_ADDSTRING, 0, item);
  }
}

int Win32Toolkit::ItemCount(TControl list) const {
  LRESULT count = 0;
  if (Is(list, TControlKind::kComboBox)) {
    count = SendMessageW(Handle(list), CB_GETCOUNT, 0, 0);
  } else if (Is(list, TControlKind::kDateList) || Is(list, TControlKind::kCheckList)) {
    count = SendMessageW(Handle(list), LB_GETCOUNT, 0, 0);
  }
  return static_cast<int>(std::max<LRESULT>(count, 0));
}

std::u16string Win32Toolkit::ItemText(TControl list, int index) const {
  if (index < 0 || index >= ItemCount(list)) return std::u16string();
  return FromWide(ListItemText(Handle(list), Kind(list) == TControlKind::kComboBox, index));
}

void Win32Toolkit::SetSorted(TControl list) {
  if (!Is(list, TControlKind::kDateList) || dateListSorted_) return;
  dateListSorted_ = true;
  HWND window = Handle(list);
  std::vector<std::pair<std::wstring, bool>> items;
  const int count = ItemCount(list);
  for (int i = 0; i < count; ++i) {
    items.emplace_back(ListItemText(window, false, i),
                       SendMessageW(window, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0);
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const auto& a, const auto& b) { return SortsBefore(a.first, b.first); });
  SendMessageW(window, WM_SETREDRAW, FALSE, 0);
  SendMessageW(window, LB_RESETCONTENT, 0, 0);
  for (std::size_t i = 0; i < items.size(); ++i) {
    SendMessageW(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i].first.c_str()));
    if (items[i].second) SendMessageW(window, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
  }
  SendMessageW(window, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window, nullptr, TRUE);
}

void Win32Toolkit::SetItemSelected(TControl list, int index, bool selected) {
  if (index < 0 || index >= ItemCount(list)) return;
  if (Is(list, TControlKind::kDateList)) {
    SendMessageW(Handle(list), LB_SETSEL, selected ? TRUE : FALSE, index);
  } else if (Is(list, TControlKind::kCheckList)) {
    SendMessageW(Handle(list), LB_SETCURSEL,
                 selected ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
  }
}

bool Win32Toolkit::IsItemSelected(TControl list, int index) const {
  if (index < 0 || index >= ItemCount(list)) return false;
  if (Is(list, TControlKind::kDateList) || Is(list, TControlKind::kCheckList)) {
    return SendMessageW(Handle(list), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
  }
  return false;
}

int Win32Toolkit::CurrentItem(TControl list) const {
  if (ItemCount(list) == 0) return -1;
  LRESULT current = -1;
  if (Is(list, TControlKind::kComboBox)) {
    current = SendMessageW(Handle(list), CB_GETCURSEL, 0, 0);
  } else if (Is(list, TControlKind::kDateList)) {
    current = SendMessageW(Handle(list), LB_GETCARETINDEX, 0, 0);
  } else if (Is(list, TControlKind::kCheckList)) {
    current = SendMessageW(Handle(list), LB_GETCURSEL, 0, 0);
  }
  return current >= 0 && current < ItemCount(list) ? static_cast<int>(current) : -1;
}

void Win32Toolkit::SetCurrentItem(TControl list, int index) {
  if (index < -1 || index >= ItemCount(list)) return;
  if (Is(list, TControlKind::kComboBox)) {
    SendMessageW(Handle(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else if (Is(list, TControlKind::kDateList)) {
    if (index >= 0) SendMessageW(Handle(list), LB_SETCARETINDEX, static_cast<WPARAM>(index), 0);
  } else if (Is(list, TControlKind::kCheckList)) {
    SendMessageW(Handle(list), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
}

int Win32Toolkit::ItemAt(TControl list, form::TPoint point) const {
  if (!Is(list, TControlKind::kDateList) && !Is(list, TControlKind::kCheckList)) return -1;
  const POINT native = scale_.ToNative(point);
  RECT client{};
  GetClientRect(Handle(list), &client);
  if (!PtInRect(&client, native)) return -1;
  const LRESULT hit =
      SendMessageW(Handle(list), LB_ITEMFROMPOINT, 0, MAKELPARAM(native.x, native.y));
  // The high word is set for a point below the last item: the nearest item is not hit.
  if (HIWORD(hit) != 0) return -1;
  const int index = LOWORD(hit);
  return index < ItemCount(list) ? index : -1;
}

// ---- Status bar and progress bar

void Win32Toolkit::SetPanelText(int panel, std::u16string_view text) {
  HWND statusBar = Handle(TControl::StatusBar1);
  if (statusBar == nullptr || panel < 0 || panel >= PanelCount()) return;
  const std::wstring wide = ToWide(text);
  SendMessageW(statusBar, SB_SETTEXTW, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(wide.c_str()));
}

int Win32Toolkit::PanelCount() const {
  HWND statusBar = Handle(TControl::StatusBar1);
  if (statusBar == nullptr) return 0;
  return static_cast<int>(SendMessageW(statusBar, SB_GETPARTS, 0, 0));
}

void Win32Toolkit::SetProgressMax(int maximum) {
  pacing_.SetProgressMax(maximum);
  if (HWND bar = Handle(TControl::ProgressBar1)) SendMessageW(bar, PBM_SETRANGE32, 0, maximum);
}

void Win32Toolkit::SetProgressPosition(int position) {
  // The progress control repaints at once on every position (about a millisecond under wine).
  MoveProgress(pacing_.ProgressPosition(position, form::TWindowPacing::TClock::now()));
}

void Win32Toolkit::MoveProgress(std::optional<int> position) {
  HWND bar = Handle(TControl::ProgressBar1);
  if (bar != nullptr && position) SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(*position), 0);
}

// ---- The results grid

void Win32Toolkit::SetGridColumns(std::span<const form::TGridColumn> columns) {
  if (grid_ != nullptr) grid_->SetColumns(columns);
}

void Win32Toolkit::SetGridRowCount(int dataRows) {
  if (grid_ != nullptr) grid_->SetRowCount(dataRows);
}

int Win32Toolkit::GridCurrentRow() const {
  return grid_ != nullptr ? grid_->CurrentRow() : -1;
}

void Win32Toolkit::ShowCountWindow(std::u16string_view title,
                                   std::span<const form::TGridColumn> columns, int rows) {
  if (form_ == nullptr || window_ == nullptr) return;
  if (countWindow_ == nullptr) countWindow_ = std::make_unique<CountWindow>(*form_, scale_);
  countWindow_->Show(window_, instance_, fonts_.regular, title, columns, rows);
}

int Win32Toolkit::GridTopRow() const {
  HWND grid = Handle(TControl::StringGrid1);
  return grid != nullptr ? static_cast<int>(SendMessageW(grid, LVM_GETTOPINDEX, 0, 0)) + 1 : 1;
}

void Win32Toolkit::SetGridTopRow(int row) {
  HWND grid = Handle(TControl::StringGrid1);
  if (grid == nullptr) return;
  // The list view scrolls a report view by pixels: rows times the row's height.
  RECT first{};
  first.left = LVIR_BOUNDS;
  if (SendMessageW(grid, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first)) == FALSE) return;
  const int rows = row - GridTopRow();
  SendMessageW(grid, LVM_SCROLL, 0, rows * (first.bottom - first.top));
}

void Win32Toolkit::SetGridCurrentRow(int row) {
  if (grid_ != nullptr) grid_->SetCurrentRow(row);
}

// ---- Services

void Win32Toolkit::SetClipboardText(std::u16string_view text) {
  // Another program may hold the clipboard for a moment.
  bool opened = false;
  for (int attempt = 0; attempt < 5 && !opened; ++attempt) {
    opened = OpenClipboard(window_) != FALSE;
    if (!opened) Sleep(20);
  }
  if (!opened) throw platform::OsError(u"无法打开剪贴板: " + SystemErrorText(GetLastError()));
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory != nullptr) {
    auto* units = static_cast<char16_t*>(GlobalLock(memory));
    std::copy(text.begin(), text.end(), units);
    units[text.size()] = u'\0';
    GlobalUnlock(memory);
    // The clipboard owns the memory once it has taken it.
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
}

form::TTimerId Win32Toolkit::StartTimer(int milliseconds) {
  const UINT_PTR id = nextTimer_++;
  if (window_ != nullptr)
    SetTimer(window_, id, static_cast<UINT>(std::max(milliseconds, 0)), nullptr);
  return static_cast<form::TTimerId>(static_cast<std::uint32_t>(id));
}

void Win32Toolkit::SetScreenCursor(form::TScreenCursor cursor) {
  busyCursor_ = cursor == form::TScreenCursor::kHourglass;
  if (busyCursor_) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return;
  }
  // The window under the mouse picks its own cursor again, as it does on the next move.
  POINT point{};
  GetCursorPos(&point);
  HWND under = WindowFromPoint(point);
  if (under != nullptr && window_ != nullptr && (under == window_ || IsChild(window_, under))) {
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
  } else {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  }
}

void Win32Toolkit::ProcessPendingEvents() {
  // An empty PeekMessageW costs 10-150 us under wine: most yields only read the clock.
  const auto now = form::TWindowPacing::TClock::now();
  if (!pacing_.Yield(now)) return;
  MoveProgress(pacing_.DueProgress(now));
  HandlePendingMessages();
}

form::TPaceCounts Win32Toolkit::PaceCounts() const {
  return pacing_.Counts();
}

void Win32Toolkit::HandlePendingMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The message loop has to see it too.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

std::optional<std::u16string> Win32Toolkit::ChooseDirectory(std::u16string_view prompt,
                                                            std::u16string_view start) {
  BrowseStart browse{ToWide(start), false, window_};
  browse.exists = !start.empty() && platform::NativeFileSystem().DirectoryExists(start);
  const std::wstring title = ToWide(prompt);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = window_;
  info.pidlRoot = nullptr;  // the whole shell namespace
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NONEWFOLDERBUTTON | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&browse);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return std::nullopt;
  // The path of any length (SHGetPathFromIDListW stops at 260 characters).
  wchar_t* path = nullptr;
  const bool hasPath = SUCCEEDED(SHGetNameFromIDList(chosen, SIGDN_FILESYSPATH, &path));
  CoTaskMemFree(chosen);
  if (!hasPath) return std::nullopt;
  std::u16string chosenPath = FromWide(path);
  CoTaskMemFree(path);
  return chosenPath;
}

form::TRowRange Win32Toolkit::GridSelectedRows() const {
  return grid_ != nullptr ? grid_->SelectedRows() : form::TRowRange{};
}

std::optional<int> Win32Toolkit::ShowPopupMenu(std::span<const form::TMenuItem> items) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return std::nullopt;
  // Command identifiers from 1: TrackPopupMenu answers 0 for a dismissed menu.
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::wstring text = ToWide(items[i].text);
    const UINT state = items[i].enabled ? UINT{MF_ENABLED} : UINT{MF_GRAYED};
    AppendMenuW(menu, UINT{MF_STRING} | state, i + 1, text.c_str());
  }
  POINT at{};
  GetCursorPos(&at);
  const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x,
                                     at.y, 0, window_, nullptr);
  DestroyMenu(menu);
  if (chosen <= 0) return std::nullopt;
  return static_cast<int>(chosen) - 1;
}

std::optional<form::TSaveTarget> Win32Toolkit::ChooseSaveFile(
    std::u16string_view title, std::u16string_view fileName,
    std::span<const form::TFileType> types) {
  // "Description (*.ext)\0*.ext\0...\0\0"
  std::wstring filter;
  for (const form::TFileType& type : types) {
    const std::wstring extension = ToWide(type.extension);
    filter += ToWide(type.description) + L" (*." + extension + L")";
    filter.push_back(L'\0');
    filter += L"*." + extension;
    filter.push_back(L'\0');
  }
  filter.push_back(L'\0');
  std::wstring path = ToWide(fileName);
  path.resize(std::max<std::size_t>(path.size() + 1, 32768), L'\0');
  const std::wstring wideTitle = ToWide(title);
  const std::wstring defaultExtension = types.empty() ? L"" : ToWide(types.front().extension);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = wideTitle.c_str();
  // A name typed without an extension gets the chosen type's (Explorer-style dialogs follow
  // the selected filter when a default extension is set).
  dialog.lpstrDefExt = defaultExtension.c_str();
  dialog.Flags =
      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  const int type = dialog.nFilterIndex >= 1 && dialog.nFilterIndex <= types.size()
                       ? static_cast<int>(dialog.nFilterIndex) - 1
                       : 0;
  return form::TSaveTarget{FromWide(path.c_str()), type};
}

void Win32Toolkit::ShowInformation(std::u16string_view title, std::u16string_view text) {
  const std::wstring wideTitle = ToWide(title);
  const std::wstring wideText = ToWide(text);
  MessageBoxW(window_, wideText.c_str(), wideTitle.c_str(), MB_OK | MB_ICONINFORMATION);
}

void Win32Toolkit::ShowError(std::u16string_view title, std::u16string_view message) {
  const std::wstring wideTitle = ToWide(title);
  const std::wstring wideText = ToWide(message);
  MessageBoxW(window_, wideText.c_str(), wideTitle.c_str(), MB_OK | MB_ICONERROR);
}

// ---- Messages

LRESULT CALLBACK Win32Toolkit::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32Toolkit*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return GuardedMessage(window, 0,
                        [&] { return self->HandleMessage(window, message, wParam, lParam); });
}

void Win32Toolkit::HandleCommand(WPARAM wParam, LPARAM lParam) {
  const std::optional<TControl> control = ControlOf(LOWORD(wParam));
  // Notifications sent while a control is being created come before its handle is known.
  if (!control || form_ == nullptr || Handle(*control) != reinterpret_cast<HWND>(lParam)) return;
  const UINT code = HIWORD(wParam);
  switch (Kind(*control)) {
    case TControlKind::kButton:
      if (code == BN_CLICKED) form_->ButtonClicked(*control);
      break;
    case TControlKind::kCheckBox:
      // BN_CLICKED comes for the operator's clicks; BM_SETCHECK sends none.
      if (code == BN_CLICKED) form_->CheckBoxClicked(*control);
      break;
    case TControlKind::kEdit:
      if (code == EN_CHANGE) form_->EditChanged(*control);
      break;
    case TControlKind::kDateList:
      if (code == LBN_SELCHANGE) form_->DateListSelectionChanged();
      break;
    case TControlKind::kComboBox:
      // Sent for the operator's choice only, never for CB_SETCURSEL.
      if (code == CBN_SELCHANGE) form_->ComboChanged(*control);
      break;
    default:
      break;
  }
}

LRESULT Win32Toolkit::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && form_ != nullptr) {
        form_->Resized(
            form::TSize{scale_.FromNative(LOWORD(lParam)), scale_.FromNative(HIWORD(lParam))});
      }
      return 0;
    case WM_COMMAND:
      HandleCommand(wParam, lParam);
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (grid_ != nullptr && header.hwndFrom == Handle(TControl::StringGrid1)) {
        return grid_->Notify(header);
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (actionList_ != nullptr && item.hwndItem == Handle(TControl::lstActions)) {
        actionList_->Draw(item);
        return TRUE;
      }
      break;
    }
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      const std::optional<TControl> control = ControlOf(static_cast<int>(item.CtlID));
      if (control && form::LayoutOf(*control).itemHeight > 0) {
        item.itemHeight = static_cast<UINT>(scale_.ToNative(form::LayoutOf(*control).itemHeight));
        return TRUE;
      }
      break;
    }
    case WM_TIMER:
      // Every timer of the form ticks once.
      KillTimer(window, wParam);
      if (form_ != nullptr) {
        form_->TimerFired(static_cast<form::TTimerId>(static_cast<std::uint32_t>(wParam)));
      }
      return 0;
    case WM_SETCURSOR:
      // Children pass the question to their parent first: the hourglass covers them all.
      if (busyCursor_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) lastFocus_ = focus;
      }
      break;
    case WM_SETFOCUS: {
      // The window itself takes no keys: the focus goes back to the control that had it.
      HWND target = lastFocus_ != nullptr && IsChild(window, lastFocus_) ? lastFocus_ : firstFocus_;
      if (target != nullptr) SetFocus(target);
      return 0;
    }
    case WM_DPICHANGED:
      ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      if (form_ == nullptr || form_->CloseRequested()) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      controls_.fill(nullptr);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Toolkit::ChangeDpi(int dpi, const RECT& suggested) {
  const int oldDpi = scale_.Dpi();
  scale_.SetDpi(dpi);
  MakeFonts();
  for (std::size_t index = 0; index < form::kControlCount; ++index) {
    HWND control = controls_[index];
    if (control == nullptr) continue;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.regular), TRUE);
    const auto id = static_cast<TControl>(index);
    const int itemHeight = form::LayoutOf(id).itemHeight;
    if (Kind(id) == TControlKind::kDateList || Kind(id) == TControlKind::kCheckList) {
      SendMessageW(control, LB_SETITEMHEIGHT, 0, scale_.ToNative(itemHeight));
    }
    PlaceControl(id);
  }
  SetStatusParts();
  if (grid_ != nullptr) grid_->Rescale(oldDpi);
  // The form's layout is in 96-dpi pixels and has not changed; only the window's frame has.
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace app
