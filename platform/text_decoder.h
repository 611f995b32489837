#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace platform {

struct DecoderTables;
struct Utf8Tables;

// Decodes bytes of one code page into UTF-8, table-driven, with no library call per character.
// Bytes below 0x80 are copied as they are; the other characters are written from tables of their
// UTF-8 bytes, derived once from the UTF-16 tables the system's converter gave (DecoderTables);
// UTF-8 text is validated and copied.
//
// Contract, for every supported code page:
// - Exact: valid sequences give the same characters as the system converter (iconv on POSIX,
//   MultiByteToWideChar on Windows). On POSIX, code page 936 also decodes what Windows decodes
//   there and glibc's GBK rejects, by Windows' rule (AddWindowsGbkPrivateUse): its user-defined
//   and unassigned two-byte cells to the Private Use Area, U+E000 to U+E864, and the byte FF to
//   U+F8F5; so a GBK log reads the same on both.
// - Invalid or truncated sequences become U+FFFD (EF BF BD), one per maximal invalid run of a
//   sequence; a byte below 0x80 is never swallowed by an invalid sequence, it is decoded on its
//   own. The output is therefore always well-formed UTF-8.
// - Bytes 0x00 to 0x20 always decode to themselves, one byte each, and no other byte or sequence
//   decodes to a character at or below U+0020. Therefore decoding the pieces of a text cut at
//   such bytes gives the same text as decoding the whole.
// - No sequence decodes to more than kMaxGrowth bytes per byte it has (a single byte to U+FFFD
//   or to a three-byte character): Decode never writes more than kMaxGrowth * bytes.size() bytes.
// - No byte-order mark is looked for; see StripByteOrderMark.
class TextDecoder {
 public:
  // The decoder of a code page, built on first use and kept for the life of the process.
  // Throws std::invalid_argument when the system has no converter for the code page.
  static const TextDecoder& For(CodePage page);

  // The most UTF-8 bytes one byte of any code page decodes to.
  static constexpr std::size_t kMaxGrowth = 3;

  CodePage Page() const { return page_; }

  // Decodes `bytes` into UTF-8 at `out`, which must have room for kMaxGrowth * bytes.size()
  // bytes. Returns the number of bytes written.
  std::size_t Decode(std::string_view bytes, char* out) const;

  std::string Decode(std::string_view bytes) const;

  // The bytes of a file's text with a leading UTF-8 byte-order mark (EF BB BF) removed when this
  // decoder's code page is UTF-8; any other code page decodes the mark like other bytes.
  std::string_view StripByteOrderMark(std::string_view fileBytes) const;

  TextDecoder(CodePage page, std::unique_ptr<const DecoderTables> tables);
  ~TextDecoder();
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;

 private:
  CodePage page_;
  std::unique_ptr<const Utf8Tables> tables_;  // null for UTF-8, which is validated by rule
};

}  // namespace platform
