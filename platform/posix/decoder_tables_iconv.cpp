#include "platform/decoder_tables.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

// The system's probe for DeriveDecoderTables: iconv, converting each sequence on its own from the
// initial state into UTF-32; for code page 936, what Windows decodes and glibc's GBK does not is
// added by rule (AddWindowsGbkPrivateUse).

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

using Kind = SequenceVerdict::Kind;

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

  // Converts `bytes` (one to four of them) as a whole text, starting from the initial state.
  SequenceVerdict Convert(std::span<const unsigned char> bytes) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char input[4];
    std::memcpy(input, bytes.data(), bytes.size());
    char* in = input;
    std::size_t inLeft = bytes.size();
    unsigned char output[4 * sizeof(char32_t)];
    char* out = reinterpret_cast<char*>(output);
    std::size_t outLeft = sizeof output;
    if (iconv(handle_, &in, &inLeft, &out, &outLeft) == kFailure) {
      return {errno == EINVAL ? Kind::kIncomplete : Kind::kInvalid, 0};
    }
    // Converters that combine a character with the next (CP1255, CP1258) hold the last one back
    // until told that the text ends.
    iconv(handle_, nullptr, nullptr, &out, &outLeft);
    if (sizeof output - outLeft != sizeof(char32_t)) return {Kind::kUnrepresentable, 0};
    const char32_t code = char32_t{output[0]} | char32_t{output[1]} << 8 |
                          char32_t{output[2]} << 16 | char32_t{output[3]} << 24;
    return {Kind::kCharacter, code};
  }

 private:
  static inline const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);
  static constexpr std::size_t kFailure = static_cast<std::size_t>(-1);

  iconv_t handle_;
};

}  // namespace

std::unique_ptr<const DecoderTables> BuildDecoderTables(CodePage page) {
  Converter converter(page);
  auto tables = DeriveDecoderTables(page, [&converter](std::span<const unsigned char> bytes) {
    return converter.Convert(bytes);
  });
  // glibc's GBK rejects the cells Windows decodes to the Private Use Area, and the byte FF; the
  // same log must read the same on both. GB18030 (54936) has its own mappings for them.
  if (page == kCodePageGbk) AddWindowsGbkPrivateUse(*tables);
  return tables;
}

}  // namespace platform
