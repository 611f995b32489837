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

// A run of grid rows in grid coordinates (data rows from 1), both ends included; empty when
// `last` is below `first`. The grid's selection is always one such run: whole rows, adjacent.
struct TRowRange {
  int first = 0;
  int last = -1;

  bool Empty() const { return last < first; }
  // The number of rows, 0 when empty.
  long long Count() const { return Empty() ? 0 : static_cast<long long>(last) - first + 1; }
  friend bool operator==(const TRowRange&, const TRowRange&) = default;
};

}  // namespace form
