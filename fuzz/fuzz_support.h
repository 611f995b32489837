#pragma once

// What the fuzz targets share: a failed check aborts with a readable message (libFuzzer then
// saves the input), and texts print as hex so the message shows which unit differs.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace korlo_fuzz {

// "E4 B8 AD": bytes in hex.
inline std::string HexBytes(std::string_view bytes) {
  std::string text;
  for (const char byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(byte));
    text += hex;
  }
  return text;
}

// "4E2D FFFD": UTF-16 units in hex.
inline std::string HexUnits(std::u16string_view units) {
  std::string text;
  for (const char16_t unit : units) {
    char hex[6];
    std::snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned>(unit));
    text += hex;
  }
  return text;
}

// Aborts, printing `what` and the text `detail()` returns, unless `ok`. The detail is made only
// on failure: formatting it for every passing check would dominate the run time.
template <class Detail>
void Require(bool ok, std::string_view what, Detail&& detail) {
  if (ok) return;
  const std::string text = detail();
  std::fprintf(stderr, "check failed: %.*s\n%s\n", static_cast<int>(what.size()), what.data(),
               text.c_str());
  std::abort();
}

inline void Require(bool ok, std::string_view what) {
  Require(ok, what, [] { return std::string(); });
}

}  // namespace korlo_fuzz
