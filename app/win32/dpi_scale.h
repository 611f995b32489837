#pragma once

#include "app/win32/win_api.h"
#include "form/geometry.h"

namespace app {

// The form works in pixels at 96 dots per inch; the window's controls live in the pixels of the
// monitor the window is on. One scale converts between the two, both ways, for the whole window.
class DpiScale {
 public:
  static constexpr int kDesignDpi = 96;

  int Dpi() const { return dpi_; }
  void SetDpi(int dpi) { dpi_ = dpi > 0 ? dpi : kDesignDpi; }

  int ToNative(int value) const { return MulDiv(value, dpi_, kDesignDpi); }
  int FromNative(int value) const { return MulDiv(value, kDesignDpi, dpi_); }

  // Edges are scaled, not sizes, so that controls that touch at 96 dpi still touch.
  RECT ToNative(form::TRect rect) const {
    return RECT{ToNative(rect.left), ToNative(rect.top), ToNative(rect.Right()),
                ToNative(rect.Bottom())};
  }
  form::TRect FromNative(const RECT& rect) const {
    const int left = FromNative(rect.left);
    const int top = FromNative(rect.top);
    return form::TRect{left, top, FromNative(rect.right) - left, FromNative(rect.bottom) - top};
  }
  POINT ToNative(form::TPoint point) const { return POINT{ToNative(point.x), ToNative(point.y)}; }
  form::TPoint FromNative(POINT point) const {
    return form::TPoint{FromNative(point.x), FromNative(point.y)};
  }

 private:
  int dpi_ = kDesignDpi;
};

}  // namespace app
