#pragma once

// The decoder writes UTF-8; the readings it is held to (the system converters', Windows' table)
// are UTF-16. These give the units of what it wrote.

#include <string>
#include <string_view>

#include "platform/text_decoder.h"
#include "platform/unicode.h"

namespace korlo_test {

// The UTF-16 units of `utf8`. Text that is not well-formed UTF-8, which the decoder must never
// write, comes back behind a lone low surrogate, so that it equals no decoder's expected reading.
inline std::u16string Utf16Of(std::string_view utf8) {
  if (!platform::IsValidUtf8(utf8)) return u"\xDC00 ill-formed: " + platform::Utf8ToUtf16(utf8);
  return platform::Utf8ToUtf16(utf8);
}

// What `decoder` makes of `bytes`, as UTF-16 units.
inline std::u16string DecodedUnits(const platform::TextDecoder& decoder, std::string_view bytes) {
  return Utf16Of(decoder.Decode(bytes));
}

}  // namespace korlo_test
