#pragma once

// Texts as hex, for failure messages that show which byte or unit differs.

#include <cstdio>
#include <string>
#include <string_view>

namespace korlo_test {

// "E4 B8 AD ": bytes in hex.
inline std::string HexBytes(std::string_view bytes) {
  std::string text;
  for (const char byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(byte));
    text += hex;
  }
  return text;
}

// "4E2D FFFD ": UTF-16 units in hex.
inline std::string HexUnits(std::u16string_view units) {
  std::string text;
  for (const char16_t unit : units) {
    char hex[6];
    std::snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned>(unit));
    text += hex;
  }
  return text;
}

}  // namespace korlo_test
