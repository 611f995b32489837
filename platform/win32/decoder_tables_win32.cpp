#include "platform/decoder_tables.h"

#include "platform/win32/win32_api.h"

#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

// The system's probe for DeriveDecoderTables: MultiByteToWideChar, converting each sequence on
// its own and with MB_ERR_INVALID_CHARS so that a rejected sequence fails rather than turning
// into the default character (in code page 936, a single byte it rejects only for mapping to the
// Private Use Area is asked again without the flag).

namespace platform {
namespace {

using Kind = SequenceVerdict::Kind;

std::string Describe(CodePage page) {
  return "code page " + std::to_string(static_cast<std::uint32_t>(page));
}

bool IsHighSurrogate(wchar_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
bool IsPrivateUse(wchar_t unit) {
  return unit >= 0xE000 && unit <= 0xF8FF;
}

class Converter {
 public:
  // Throws std::invalid_argument when the system has no converter for `page`.
  explicit Converter(CodePage page) : page_(page), number_(static_cast<UINT>(page)) {
    if (IsValidCodePage(number_) == FALSE) {
      throw std::invalid_argument("the system has no converter for " + Describe(page_));
    }
  }

  // Converts `bytes` (one to four of them) as a whole text. A single byte the system reports as a
  // double-byte lead is incomplete; otherwise the system cannot tell the start of a longer
  // sequence from an invalid one, and both are invalid. Throws std::invalid_argument when the
  // code page takes no MB_ERR_INVALID_CHARS (ISO-2022, ISCII, UTF-7...): such a converter
  // cannot tell a rejected sequence from a decoded one, so no table can match it.
  SequenceVerdict Convert(std::span<const unsigned char> bytes) const {
    // GB18030 (54936) is no double-byte code page to the system, so its leads go unreported
    // here; DeriveDecoderTables finds them by the pairs they start.
    if (bytes.size() == 1 && IsDBCSLeadByteEx(number_, bytes[0]) != FALSE) {
      return {Kind::kIncomplete, 0};
    }
    wchar_t units[4];
    const int count = MultiByteToWideChar(
        number_, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes.data()),
        static_cast<int>(bytes.size()), units, static_cast<int>(std::size(units)));
    if (count == 0) {
      const DWORD error = GetLastError();
      if (error == ERROR_NO_UNICODE_TRANSLATION) return RejectedVerdict(bytes);
      throw std::invalid_argument(Describe(page_) +
                                  " cannot be probed: MultiByteToWideChar failed with error " +
                                  std::to_string(error));
    }
    if (count == 1) return {Kind::kCharacter, static_cast<char32_t>(units[0])};
    if (count == 2 && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1])) {
      const auto high = static_cast<char32_t>(units[0] - 0xD800);
      const auto low = static_cast<char32_t>(units[1] - 0xDC00);
      return {Kind::kCharacter, 0x10000 + (high << 10) + low};
    }
    return {Kind::kUnrepresentable, 0};
  }

 private:
  // MB_ERR_INVALID_CHARS also rejects a single byte that the code page's table maps to the Private
  // Use Area, although that is the table's own character and not the default one: code page 936
  // maps FF to U+F8F5, which a conversion without the flag gives. In code page 936 such a byte is
  // taken as that character, as the POSIX layer decodes it (AddWindowsGbkPrivateUse); other code
  // pages keep the strict verdict, for which the POSIX layer adds nothing either.
  SequenceVerdict RejectedVerdict(std::span<const unsigned char> bytes) const {
    if (page_ != kCodePageGbk || bytes.size() != 1) return {Kind::kInvalid, 0};
    wchar_t unit = 0;
    const int count =
        MultiByteToWideChar(number_, 0, reinterpret_cast<const char*>(bytes.data()), 1, &unit, 1);
    if (count == 1 && IsPrivateUse(unit)) return {Kind::kCharacter, static_cast<char32_t>(unit)};
    return {Kind::kInvalid, 0};
  }

  CodePage page_;
  UINT number_;
};

}  // namespace

std::unique_ptr<const DecoderTables> BuildDecoderTables(CodePage page) {
  const Converter converter(page);
  return DeriveDecoderTables(page, [&converter](std::span<const unsigned char> bytes) {
    return converter.Convert(bytes);
  });
}

}  // namespace platform
