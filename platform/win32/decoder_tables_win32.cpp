#include "platform/decoder_tables.h"

#include "platform/win32/win32_api.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

// The tables are derived by asking MultiByteToWideChar about every byte, every two-byte
// sequence that starts with a lead byte and, for GB18030, every four-byte sequence of the table
// range, each on its own and with MB_ERR_INVALID_CHARS so that a rejected sequence fails rather
// than turning into the default character. Whatever the system accepts is what the tables accept.

namespace platform {
namespace {

std::string Describe(CodePage page) {
  return "code page " + std::to_string(static_cast<std::uint32_t>(page));
}

// What the system makes of a byte sequence given alone.
enum class Verdict {
  kCharacter,        // exactly one character, within the BMP
  kInvalid,          // rejected, or only the start of a longer sequence
  kUnrepresentable,  // accepted, but not as one BMP character: a table entry cannot hold it
};

struct Probe {
  Verdict verdict;
  char16_t unit;  // the character, for kCharacter
};

class Converter {
 public:
  // Throws std::invalid_argument when the system has no converter for `page`.
  explicit Converter(CodePage page) : page_(page), number_(static_cast<UINT>(page)) {
    if (IsValidCodePage(number_) == FALSE) {
      throw std::invalid_argument("the system has no converter for " + Describe(page_));
    }
  }

  // Converts `size` (at most 4) bytes as a whole text. Throws std::invalid_argument when the
  // code page takes no MB_ERR_INVALID_CHARS (ISO-2022, ISCII, UTF-7...): such a converter
  // cannot tell a rejected sequence from a decoded one, so no table can match it.
  Probe Convert(const unsigned char* bytes, std::size_t size) const {
    wchar_t units[4];
    const int count =
        MultiByteToWideChar(number_, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                            static_cast<int>(size), units, static_cast<int>(std::size(units)));
    if (count == 0) {
      const DWORD error = GetLastError();
      if (error == ERROR_NO_UNICODE_TRANSLATION) return {Verdict::kInvalid, 0};
      throw std::invalid_argument(Describe(page_) +
                                  " cannot be probed: MultiByteToWideChar failed with error " +
                                  std::to_string(error));
    }
    const auto unit = static_cast<char16_t>(units[0]);
    if (count != 1 || unit == DecoderTables::kNoChar) return {Verdict::kUnrepresentable, 0};
    return {Verdict::kCharacter, unit};
  }

  // True for the lead bytes the system reports for a double-byte code page. GB18030 (54936) is
  // no double-byte code page to the system, so its leads may go unreported here; probing finds
  // them instead (see StartsSomePair).
  bool IsDoubleByteLead(std::size_t byte) const {
    return IsDBCSLeadByteEx(number_, static_cast<BYTE>(byte)) != FALSE;
  }

 private:
  CodePage page_;
  UINT number_;
};

// A byte the system rejects alone but that starts some valid two-byte sequence is a lead byte.
bool StartsSomePair(const Converter& converter, std::size_t lead) {
  for (std::size_t trail = 0; trail < 256; ++trail) {
    const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                   static_cast<unsigned char>(trail)};
    if (converter.Convert(pair, sizeof pair).verdict == Verdict::kCharacter) return true;
  }
  return false;
}

// GB18030's four-byte sequences whose characters the tables hold: 81 30 81 30 to 84 31 A4 39.
constexpr std::size_t kFourByteEntries = 39420;

void ProbeFourByte(const Converter& converter, DecoderTables& tables) {
  tables.fourByte.assign(kFourByteEntries, DecoderTables::kNoChar);
  for (std::size_t index = 0; index < kFourByteEntries; ++index) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(0x81 + index / 12600),
        static_cast<unsigned char>(0x30 + index / 1260 % 10),
        static_cast<unsigned char>(0x81 + index / 10 % 126),
        static_cast<unsigned char>(0x30 + index % 10),
    };
    const Probe probe = converter.Convert(bytes, sizeof bytes);
    if (probe.verdict == Verdict::kCharacter) tables.fourByte[index] = probe.unit;
  }
}

// Bytes up to this one are the separators a decoded text may be cut at.
constexpr std::size_t kLastSeparator = 0x20;

// Throws unless every separator byte decodes alone to itself. The loader cuts lines and parts
// at these bytes before decoding, which is only sound when no sequence can swallow one.
void CheckSeparators(CodePage page, const DecoderTables& tables) {
  for (std::size_t byte = 0; byte <= kLastSeparator; ++byte) {
    if (tables.kind[byte] != DecoderTables::ByteKind::kSingle || tables.single[byte] != byte) {
      throw std::invalid_argument(Describe(page) + " does not decode byte " + std::to_string(byte) +
                                  " to itself");
    }
  }
}

}  // namespace

std::unique_ptr<const DecoderTables> BuildDecoderTables(CodePage page) {
  const Converter converter(page);
  auto tables = std::make_unique<DecoderTables>();
  bool hasLead = false;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    if (converter.IsDoubleByteLead(byte)) {
      tables->kind[byte] = DecoderTables::ByteKind::kLead;
      hasLead = true;
      continue;
    }
    const auto single = static_cast<unsigned char>(byte);
    const Probe probe = converter.Convert(&single, 1);
    switch (probe.verdict) {
      case Verdict::kCharacter:
        tables->kind[byte] = DecoderTables::ByteKind::kSingle;
        tables->single[byte] = probe.unit;
        break;
      case Verdict::kInvalid:
        if (StartsSomePair(converter, byte)) {
          tables->kind[byte] = DecoderTables::ByteKind::kLead;
          hasLead = true;
        } else {
          tables->kind[byte] = DecoderTables::ByteKind::kInvalid;
        }
        break;
      case Verdict::kUnrepresentable:
        throw std::invalid_argument(Describe(page) + " decodes byte " + std::to_string(byte) +
                                    " to more than one UTF-16 unit");
    }
  }
  CheckSeparators(page, *tables);
  if (hasLead) {
    tables->pairs.assign(256 * 256, DecoderTables::kNoChar);
    for (std::size_t lead = 0; lead < 256; ++lead) {
      if (tables->kind[lead] != DecoderTables::ByteKind::kLead) continue;
      for (std::size_t trail = 0; trail < 256; ++trail) {
        const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                       static_cast<unsigned char>(trail)};
        const Probe probe = converter.Convert(pair, sizeof pair);
        if (probe.verdict == Verdict::kCharacter) tables->pairs[lead * 256 + trail] = probe.unit;
      }
    }
  }
  if (page == kCodePageGb18030) {
    tables->gb18030 = true;
    ProbeFourByte(converter, *tables);
  }
  return tables;
}

}  // namespace platform
