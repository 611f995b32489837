#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace platform {

struct DecoderTables;

// Decodes bytes of one code page into UTF-16, table-driven, with no library call per character.
//
// Contract, for every supported code page:
// - Exact: valid sequences give the same characters as the system converter (iconv on POSIX,
//   MultiByteToWideChar on Windows). On POSIX, code page 936 also decodes what Windows decodes
//   there and glibc's GBK rejects, by Windows' rule (AddWindowsGbkPrivateUse): its user-defined
//   and unassigned two-byte cells to the Private Use Area, U+E000 to U+E864, and the byte FF to
//   U+F8F5; so a GBK log reads the same on both.
// - Invalid or truncated sequences become U+FFFD, one per maximal invalid run of a sequence;
//   a byte below 0x80 is never swallowed by an invalid sequence, it is decoded on its own.
// - Bytes 0x00 to 0x20 always decode to U+0000 to U+0020, one unit each, and no other byte or
//   sequence decodes to a unit at or below U+0020. Therefore decoding the pieces of a text cut at
//   such bytes gives the same units as decoding the whole text.
// - No sequence decodes to more UTF-16 units than it has bytes: Decode never writes more than
//   bytes.size() units.
// - No byte-order mark is looked for; see StripByteOrderMark.
class TextDecoder {
 public:
  // The decoder of a code page, built on first use and kept for the life of the process.
  // Throws std::invalid_argument when the system has no converter for the code page.
  static const TextDecoder& For(CodePage page);

  CodePage Page() const { return page_; }

  // Decodes `bytes` into `out`, which must have room for bytes.size() units. Returns the number
  // of units written.
  std::size_t Decode(std::string_view bytes, char16_t* out) const;

  std::u16string Decode(std::string_view bytes) const;

  // The bytes of a file's text with a leading UTF-8 byte-order mark (EF BB BF) removed when this
  // decoder's code page is UTF-8; any other code page decodes the mark like other bytes.
  std::string_view StripByteOrderMark(std::string_view fileBytes) const;

  TextDecoder(CodePage page, std::unique_ptr<const DecoderTables> tables);
  ~TextDecoder();
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;

 private:
  CodePage page_;
  std::unique_ptr<const DecoderTables> tables_;  // null for UTF-8, which is decoded by rule
};

}  // namespace platform
