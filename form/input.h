#pragma once

#include <cstdint>

namespace form {

// The keys the window gives a meaning to; every other key is kOther. Front-ends map their native
// key codes onto these and pass the rest as kOther, so that a key the form does not know is
// never consumed.
enum class TKey : std::uint8_t { kOther, kC, kF, kL, kS, kSpace, kF5 };

// The modifier keys held during a key press or a mouse press, as a set.
enum class TShift : std::uint8_t { kNone = 0, kShift = 1, kCtrl = 2, kAlt = 4 };

constexpr TShift operator|(TShift a, TShift b) {
  return static_cast<TShift>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr bool Holds(TShift state, TShift key) {
  return (static_cast<std::uint8_t>(state) & static_cast<std::uint8_t>(key)) != 0;
}

enum class TMouseButton : std::uint8_t { kLeft, kRight, kMiddle };

// A cell of the results grid in grid coordinates: row 0 is the header row, data rows start at 1.
// {-1, -1} is no cell (a point outside the cells).
struct TGridCell {
  int column = -1;
  int row = -1;
  friend bool operator==(const TGridCell&, const TGridCell&) = default;
};

}  // namespace form
