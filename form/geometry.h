#pragma once

namespace form {

// Pixels at 96 dots per inch; positions are relative to the parent control (or to the
// window's client area for controls without a parent).
struct TPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  int Right() const { return left + width; }   // one past the last column
  int Bottom() const { return top + height; }  // one past the last row
  bool Contains(TPoint point) const {
    return point.x >= left && point.x < Right() && point.y >= top && point.y < Bottom();
  }
  friend bool operator==(const TRect&, const TRect&) = default;
};

}  // namespace form
