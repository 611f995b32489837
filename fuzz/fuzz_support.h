#pragma once

// What the fuzz targets share: a failed check aborts with a readable message (libFuzzer then
// saves the input), and texts print as hex so the message shows which unit differs.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/support/hex_text.h"

namespace korlo_fuzz {

using korlo_test::HexBytes;
using korlo_test::HexUnits;

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
