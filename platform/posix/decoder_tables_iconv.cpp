#include "platform/decoder_tables.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

// The tables are derived by asking iconv about every byte, every two-byte sequence that starts
// with a lead byte and, for GB18030, every four-byte sequence of the table range, each on its
// own from the initial state. Whatever iconv accepts is what the tables accept.

namespace platform {
namespace {

// The iconv name of a Windows code page. "CP950" and "CP932" are the Windows variants of Big5
// and Shift JIS; "CP936" would also do for 936, but "GBK" is the name every iconv knows.
std::string IconvName(CodePage page) {
  const auto number = static_cast<std::uint32_t>(page);
  switch (number) {
    case 936:
      return "GBK";
    case 54936:
      return "GB18030";
    default:
      return "CP" + std::to_string(number);
  }
}

std::string Describe(CodePage page) {
  return "code page " + std::to_string(static_cast<std::uint32_t>(page)) + " (" + IconvName(page) +
         ")";
}

// What iconv makes of a byte sequence given alone.
enum class Verdict {
  kCharacter,        // exactly one character, within the BMP
  kIncomplete,       // the valid start of a longer sequence
  kInvalid,          // rejected
  kUnrepresentable,  // accepted, but not as one BMP character: a table entry cannot hold it
};

struct Probe {
  Verdict verdict;
  char16_t unit;  // the character, for kCharacter
};

class Converter {
 public:
  explicit Converter(CodePage page) : handle_(iconv_open("UTF-32LE", IconvName(page).c_str())) {
    if (handle_ == kNoHandle) {
      throw std::invalid_argument("the system has no converter for " + Describe(page));
    }
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `size` (at most 4) bytes as a whole text, starting from the initial state.
  Probe Convert(const unsigned char* bytes, std::size_t size) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char input[4];
    std::memcpy(input, bytes, size);
    char* in = input;
    std::size_t inLeft = size;
    unsigned char output[4 * sizeof(char32_t)];
    char* out = reinterpret_cast<char*>(output);
    std::size_t outLeft = sizeof output;
    if (iconv(handle_, &in, &inLeft, &out, &outLeft) == kFailure) {
      return {errno == EINVAL ? Verdict::kIncomplete : Verdict::kInvalid, 0};
    }
    // Converters that combine a character with the next (CP1255, CP1258) hold the last one back
    // until told that the text ends.
    iconv(handle_, nullptr, nullptr, &out, &outLeft);
    if (sizeof output - outLeft != sizeof(char32_t)) return {Verdict::kUnrepresentable, 0};
    const char32_t code = char32_t{output[0]} | char32_t{output[1]} << 8 |
                          char32_t{output[2]} << 16 | char32_t{output[3]} << 24;
    if (code > 0xFFFF || code == DecoderTables::kNoChar) return {Verdict::kUnrepresentable, 0};
    return {Verdict::kCharacter, static_cast<char16_t>(code)};
  }

 private:
  static inline const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);
  static constexpr std::size_t kFailure = static_cast<std::size_t>(-1);

  iconv_t handle_;
};

// GB18030's four-byte sequences whose characters the tables hold: 81 30 81 30 to 84 31 A4 39.
constexpr std::size_t kFourByteEntries = 39420;

void ProbeFourByte(Converter& converter, DecoderTables& tables) {
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

}  // namespace

std::unique_ptr<const DecoderTables> BuildDecoderTables(CodePage page) {
  Converter converter(page);
  auto tables = std::make_unique<DecoderTables>();
  bool hasLead = false;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    const auto single = static_cast<unsigned char>(byte);
    const Probe probe = converter.Convert(&single, 1);
    switch (probe.verdict) {
      case Verdict::kCharacter:
        tables->kind[byte] = DecoderTables::ByteKind::kSingle;
        tables->single[byte] = probe.unit;
        break;
      case Verdict::kIncomplete:
        tables->kind[byte] = DecoderTables::ByteKind::kLead;
        hasLead = true;
        break;
      case Verdict::kInvalid:
        tables->kind[byte] = DecoderTables::ByteKind::kInvalid;
        break;
      case Verdict::kUnrepresentable:
        throw std::invalid_argument(Describe(page) + " decodes byte " + std::to_string(byte) +
                                    " to something other than one UTF-16 unit");
    }
  }
  if (hasLead) {
    // A two-byte sequence iconv decodes beyond the BMP (glibc's GB18030 has six, FE 51 among
    // them) stays kNoChar: a table entry holds one unit.
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
