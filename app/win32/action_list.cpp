#include "app/win32/action_list.h"

#include <string>

#include "app/win32/key_input.h"
#include "app/win32/wide_text.h"

namespace app {
namespace {

COLORREF ColourOf(form::TColourRole role) {
  switch (role) {
    case form::TColourRole::kWindow:
      return GetSysColor(COLOR_WINDOW);
    case form::TColourRole::kWindowText:
      return GetSysColor(COLOR_WINDOWTEXT);
    case form::TColourRole::kHighlight:
      return GetSysColor(COLOR_HIGHLIGHT);
    case form::TColourRole::kHighlightText:
      return GetSysColor(COLOR_HIGHLIGHTTEXT);
    case form::TColourRole::kBlue:
      return RGB(0, 0, 255);
  }
  return GetSysColor(COLOR_WINDOWTEXT);
}

// The form's painter over the device context of one WM_DRAWITEM, in the list's client
// coordinates at 96 dpi. Text is clipped to the item so that it cannot spill into the next one.
class DeviceContextPainter final : public form::IPainter {
 public:
  DeviceContextPainter(HDC dc, const RECT& item, const DpiScale& scale, const WindowFonts& fonts)
      : dc_(dc), item_(item), scale_(scale), fonts_(fonts) {
    SelectObject(dc_, fonts_.regular);
  }

  void FillRect(form::TRect rect, form::TColourRole colour) override {
    background_ = ColourOf(colour);
    const RECT native = scale_.ToNative(rect);
    // ExtTextOut with ETO_OPAQUE fills a rectangle in one colour without making a brush.
    SetBkColor(dc_, background_);
    ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &native, L"", 0, nullptr);
  }

  void DrawCheckBox(form::TRect box, bool checked) override {
    RECT native = scale_.ToNative(box);
    DrawFrameControl(dc_, &native, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (checked ? static_cast<UINT>(DFCS_CHECKED) : 0U));
  }

  void SetFont(form::TFontWeight weight) override {
    SelectObject(dc_, weight == form::TFontWeight::kBold ? fonts_.bold : fonts_.regular);
  }

  void SetTextColour(form::TColourRole colour) override { SetTextColor(dc_, ColourOf(colour)); }

  int TextHeight(std::u16string_view text) override {
    const std::wstring wide = ToWide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    return scale_.FromNative(size.cy);
  }

  void PaintText(form::TPoint at, std::u16string_view text) override {
    const std::wstring wide = ToWide(text);
    const POINT native = scale_.ToNative(at);
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, background_);
    ExtTextOutW(dc_, native.x, native.y, ETO_CLIPPED, &item_, wide.c_str(),
                static_cast<UINT>(wide.size()), nullptr);
  }

 private:
  HDC dc_;
  RECT item_;
  const DpiScale& scale_;
  const WindowFonts& fonts_;
  COLORREF background_ = GetSysColor(COLOR_WINDOW);
};

}  // namespace

ActionList::~ActionList() = default;

void ActionList::Attach(HWND list) {
  list_ = list;
  subclass_.Install(list, this, &Proc);
}

void ActionList::Draw(const DRAWITEMSTRUCT& item) {
  const int saved = SaveDC(item.hDC);
  if (item.itemID != static_cast<UINT>(-1)) {
    DeviceContextPainter painter(item.hDC, item.rcItem, scale_, fonts_);
    form_.DrawActionItem(painter, static_cast<int>(item.itemID), scale_.FromNative(item.rcItem),
                         (item.itemState & ODS_SELECTED) != 0);
  }
  RestoreDC(item.hDC, saved);
  if ((item.itemState & ODS_FOCUS) != 0) {
    // The frame is drawn with the text colour in XOR; the list's own colours give it its look.
    SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(item.hDC, GetSysColor(COLOR_WINDOW));
    DrawFocusRect(item.hDC, &item.rcItem);
  }
}

LRESULT ActionList::Proc(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return static_cast<ActionList*>(self)->Handle(window, message, wParam, lParam);
}

LRESULT ActionList::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
      const LRESULT result = subclass_.CallControl(window, message, wParam, lParam);
      form_.ActionListMouseDown(MouseButtonOf(message), MouseShiftState(wParam),
                                scale_.FromNative(MousePoint(lParam)));
      return result;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (consumedKeys_.KeyDown(form_.ActionListKeyDown(KeyFromVirtualKey(wParam), ShiftState())))
        return 0;
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      if (consumedKeys_.DropsChar()) return 0;
      break;
    default:
      break;
  }
  return subclass_.CallControl(window, message, wParam, lParam);
}

}  // namespace app
