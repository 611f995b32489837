#pragma once

#include <cstdint>
#include <string_view>

#include "form/geometry.h"

namespace form {

// Colours by their role; the toolkit maps each role to the system's colour (kBlue is pure
// RGB 0, 0, 255).
enum class TColourRole : std::uint8_t { kWindow, kWindowText, kHighlight, kHighlightText, kBlue };

enum class TFontWeight : std::uint8_t { kRegular, kBold };

// The drawing surface of one owner-drawn list item, handed to the form with the list's own font
// (regular) and no colours set. Coordinates are the list's client coordinates.
class IPainter {
 public:
  virtual ~IPainter() = default;
  virtual void FillRect(TRect rect, TColourRole colour) = 0;
  // A check box in the system's look, filling `box`.
  virtual void DrawCheckBox(TRect box, bool checked) = 0;
  // The list's font in the given weight, for the text calls that follow.
  virtual void SetFont(TFontWeight weight) = 0;
  virtual void SetTextColour(TColourRole colour) = 0;
  // The height of `text` in the current font.
  virtual int TextHeight(std::u16string_view text) = 0;
  // Draws `text` with its top-left corner at `at`, on the background last filled.
  virtual void PaintText(TPoint at, std::u16string_view text) = 0;
};

}  // namespace form
