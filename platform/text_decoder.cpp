#include "platform/text_decoder.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/decoder_tables.h"

namespace platform {
namespace {

using ByteKind = DecoderTables::ByteKind;

constexpr char16_t kReplacement = 0xFFFD;

// Bytes up to this one are the separators a text may be cut at (see the class contract).
constexpr unsigned char kLastSeparator = 0x20;

// The ASCII fast path takes this many bytes at a time.
constexpr std::size_t kBlockSize = 16;
constexpr std::uint64_t kHighBits = 0x8080808080808080;

// GB18030 four-byte sequences: each of the four bytes counts in its own range, the second and
// fourth in '0'..'9', the first and third in 0x81..0xFE.
constexpr unsigned char kFirstDigit = 0x30;
constexpr unsigned char kLastDigit = 0x39;
constexpr unsigned char kFirstHighByte = 0x81;
constexpr unsigned char kLastHighByte = 0xFE;
// The first byte of the sequences that map by rule to U+10000 (90 30 81 30) and beyond.
constexpr unsigned char kFirstSupplementaryLead = 0x90;
constexpr unsigned char kLastSupplementaryLead = 0xE3;
// The linear index of 90 30 81 30, counted as for DecoderTables::fourByte.
constexpr std::uint32_t kFirstSupplementaryIndex =
    (kFirstSupplementaryLead - kFirstHighByte) * 10 * 1260;

constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;

const unsigned char* BytesOf(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

bool IsDigit(unsigned char byte) {
  return byte >= kFirstDigit && byte <= kLastDigit;
}
bool IsHighByte(unsigned char byte) {
  return byte >= kFirstHighByte && byte <= kLastHighByte;
}

// Writes `code`, U+10000 to U+10FFFF, as a surrogate pair.
void PutSurrogatePair(char32_t code, char16_t* out) {
  out[0] = static_cast<char16_t>(0xD800 + ((code - kFirstSupplementary) >> 10));
  out[1] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

// Writes `code` as one unit or as a surrogate pair; returns the units written.
std::size_t PutCodePoint(char32_t code, char16_t* out) {
  if (code < kFirstSupplementary) {
    out[0] = static_cast<char16_t>(code);
    return 1;
  }
  PutSurrogatePair(code, out);
  return 2;
}

// The position, within a word loaded from memory, of the first byte whose high bit is set in
// `highBits` (which has no other bits set).
std::size_t FirstMarkedByte(std::uint64_t highBits) {
  const int bit = std::endian::native == std::endian::little ? std::countr_zero(highBits)
                                                             : std::countl_zero(highBits);
  return static_cast<std::size_t>(bit / 8);
}

// Widens the kBlockSize bytes at `in` into `out`, one unit per byte, and returns how many of
// them, from the first, are below 0x80. Only those units are decoded text (every code page this
// decoder accepts decodes such bytes to themselves); the caller overwrites the others. The bytes
// are copied to a local array first so that the compiler knows they cannot overlap `out` and
// widens them with vector instructions. Declared inline because it must be inlined into the
// decoding loop to be fast, which GCC does not do on its own.
inline std::size_t WidenBlock(const unsigned char* in, char16_t* out) {
  unsigned char block[kBlockSize];
  std::memcpy(block, in, kBlockSize);
  for (std::size_t k = 0; k < kBlockSize; ++k) {
    out[k] = block[k];
  }
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  std::memcpy(&first, in, sizeof first);
  std::memcpy(&second, in + sizeof first, sizeof second);
  if ((first & kHighBits) != 0) return FirstMarkedByte(first & kHighBits);
  if ((second & kHighBits) != 0) return sizeof first + FirstMarkedByte(second & kHighBits);
  return kBlockSize;
}

// The outcome of decoding one sequence: bytes consumed and units written.
struct Step {
  std::size_t bytes;
  std::size_t units;
};

Step Replace(std::size_t bytes, char16_t* out) {
  out[0] = kReplacement;
  return {bytes, 1};
}

// Decodes `size` bytes at `in` into `out`: bytes below 0x80 as themselves, a block at a time
// where there are enough, and each sequence starting with a byte at or above 0x80 by
// `decodeSequence(in, size, out)`, which returns its Step. Since no step writes more units than
// it consumes bytes, a block widened at the read position stays within the caller's buffer.
template <typename DecodeSequence>
std::size_t DecodeBytes(const unsigned char* in, std::size_t size, char16_t* out,
                        DecodeSequence decodeSequence) {
  std::size_t read = 0;
  std::size_t written = 0;
  while (read < size) {
    if (size - read >= kBlockSize) {
      const std::size_t ascii = WidenBlock(in + read, out + written);
      read += ascii;
      written += ascii;
      if (ascii == kBlockSize) continue;
    } else if (in[read] < 0x80) {
      out[written++] = in[read++];
      continue;
    }
    do {
      const Step step = decodeSequence(in + read, size - read, out + written);
      read += step.bytes;
      written += step.units;
    } while (read < size && in[read] >= 0x80);
  }
  return written;
}

// --- UTF-8 -------------------------------------------------------------------------------------

// What a UTF-8 lead byte announces: how many continuation bytes follow, and the range the first
// of them must lie in. The narrowed ranges exclude overlong forms (E0, F0), surrogates (ED) and
// code points above U+10FFFF (F4).
struct Utf8Lead {
  std::uint8_t continuations;  // 0 for a byte that starts no sequence
  std::uint8_t secondLow;
  std::uint8_t secondHigh;
};

constexpr Utf8Lead ClassifyUtf8Lead(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return {1, 0x80, 0xBF};
  if (byte == 0xE0) return {2, 0xA0, 0xBF};
  if (byte == 0xED) return {2, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {2, 0x80, 0xBF};
  if (byte == 0xF0) return {3, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {3, 0x80, 0xBF};
  if (byte == 0xF4) return {3, 0x80, 0x8F};
  return {0, 0, 0};
}

constexpr std::array<Utf8Lead, 256> kUtf8Leads = [] {
  std::array<Utf8Lead, 256> leads{};
  for (std::size_t byte = 0; byte < leads.size(); ++byte) {
    leads[byte] = ClassifyUtf8Lead(static_cast<unsigned char>(byte));
  }
  return leads;
}();

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

char32_t AppendSixBits(char32_t code, unsigned char continuation) {
  return (code << 6) | (continuation & 0x3Fu);
}

// Decodes the sequence starting with a byte at or above 0x80. An ill-formed sequence gives one
// U+FFFD for its maximal subpart: the longest prefix of some well-formed sequence, or the first
// byte alone. A byte below 0x80 is outside every continuation range, so it always ends the
// subpart and is decoded on its own.
Step DecodeUtf8Sequence(const unsigned char* in, std::size_t size, char16_t* out) {
  // The bulk of non-ASCII log text (CJK) is three-byte sequences: those outside the overlong
  // and surrogate ranges take a short path.
  if (size >= 3 && (in[0] & 0xF0) == 0xE0 && IsContinuation(in[1]) && IsContinuation(in[2])) {
    const char32_t code = AppendSixBits(AppendSixBits(in[0] & 0x0Fu, in[1]), in[2]);
    if (code >= 0x800 && (code < 0xD800 || code > 0xDFFF)) {
      out[0] = static_cast<char16_t>(code);
      return {3, 1};
    }
  }
  const Utf8Lead lead = kUtf8Leads[in[0]];
  if (lead.continuations == 0 || size < 2 || in[1] < lead.secondLow || in[1] > lead.secondHigh) {
    return Replace(1, out);
  }
  // The lead byte carries the bits below its length marker: 5, 4 or 3 of them.
  const char32_t two = AppendSixBits(in[0] & (0x7Fu >> (lead.continuations + 1)), in[1]);
  if (lead.continuations == 1) return {2, PutCodePoint(two, out)};
  if (size < 3 || !IsContinuation(in[2])) return Replace(2, out);
  const char32_t three = AppendSixBits(two, in[2]);
  if (lead.continuations == 2) return {3, PutCodePoint(three, out)};
  if (size < 4 || !IsContinuation(in[3])) return Replace(3, out);
  return {4, PutCodePoint(AppendSixBits(three, in[3]), out)};
}

// --- Tables ------------------------------------------------------------------------------------

// Decodes a GB18030 four-byte sequence starting at `in` (lead, digit, ...). Anything but a valid
// one gives U+FFFD for the lead alone, so the digit is decoded next as itself.
Step DecodeFourByte(const DecoderTables& tables, const unsigned char* in, std::size_t size,
                    char16_t* out) {
  if (size < 4 || !IsHighByte(in[2]) || !IsDigit(in[3])) return Replace(1, out);
  const std::uint32_t index =
      ((static_cast<std::uint32_t>(in[0] - kFirstHighByte) * 10 + (in[1] - kFirstDigit)) * 1260) +
      static_cast<std::uint32_t>(in[2] - kFirstHighByte) * 10 + (in[3] - kFirstDigit);
  if (index < tables.fourByte.size()) {
    const char16_t unit = tables.fourByte[index];
    if (unit == DecoderTables::kNoChar) return Replace(1, out);
    out[0] = unit;
    return {4, 1};
  }
  if (in[0] < kFirstSupplementaryLead || in[0] > kLastSupplementaryLead) return Replace(1, out);
  const char32_t code = kFirstSupplementary + (index - kFirstSupplementaryIndex);
  if (code > kLastCodePoint) return Replace(1, out);
  return {4, PutCodePoint(code, out)};
}

// Whether a table entry lies in the surrogate range U+D800..U+DFFF, which holds the markers and
// kNoChar rather than characters.
constexpr bool IsSurrogate(char16_t unit) {
  return (unit & 0xF800) == 0xD800;
}
static_assert(IsSurrogate(DecoderTables::kFirstSupplementaryMarker) &&
              IsSurrogate(DecoderTables::kNoChar));

// Decodes the sequence a lead byte starts. An invalid one gives one U+FFFD, covering the trail
// byte too only when that is at or above 0x80; a missing trail byte counts as one below 0x80.
Step DecodeMultiByte(const DecoderTables& tables, const unsigned char* in, std::size_t size,
                     char16_t* out) {
  if (size < 2) return Replace(1, out);
  const char16_t unit = tables.pairs[std::size_t{in[0]} * 256 + in[1]];
  if (!IsSurrogate(unit)) {
    out[0] = unit;
    return {2, 1};
  }
  if (unit == DecoderTables::kNoChar) {
    if (tables.gb18030 && IsDigit(in[1])) return DecodeFourByte(tables, in, size, out);
    return Replace(in[1] < 0x80 ? 1 : 2, out);
  }
  // A marker: its character is supplementary (CheckTables), so always two units. Writing them
  // unconditionally, rather than through PutCodePoint, also keeps the decoding loop's registers
  // as they were without markers; GCC's allocation otherwise slows the ASCII path by a seventh.
  PutSurrogatePair(tables.pairSupplementary[unit - DecoderTables::kFirstSupplementaryMarker], out);
  return {2, 2};
}

// Decodes one sequence starting with a byte at or above 0x80.
Step DecodeSequenceWithTables(const DecoderTables& tables, const unsigned char* in,
                              std::size_t size, char16_t* out) {
  const ByteKind kind = tables.kind[in[0]];
  if (kind == ByteKind::kLead) return DecodeMultiByte(tables, in, size, out);
  if (kind == ByteKind::kInvalid) return Replace(1, out);
  out[0] = tables.single[in[0]];
  return {1, 1};
}

// Throws unless the tables let the decoder keep its contract: bytes below 0x80 decode alone to
// themselves (the fast path widens them without looking), no other byte or sequence gives a unit
// at or below U+0020, no valid sequence has a byte at or below 0x20 after its first (so
// decoding pieces cut at such bytes equals decoding the whole), every marker in `pairs` indexes
// `pairSupplementary`, whose characters are supplementary (two units from two bytes, no lone
// surrogate), and `fourByte` holds no surrogate but kNoChar.
void CheckTables(CodePage page, const DecoderTables& tables) {
  const auto fail = [page](const std::string& what) {
    throw std::invalid_argument("code page " + std::to_string(static_cast<std::uint32_t>(page)) +
                                " cannot be decoded: " + what);
  };
  const auto isSeparatorUnit = [](char16_t unit) { return unit <= kLastSeparator; };
  bool hasLead = false;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    const ByteKind kind = tables.kind[byte];
    if (byte < 0x80 && (kind != ByteKind::kSingle || tables.single[byte] != byte)) {
      fail("it does not decode the ASCII byte " + std::to_string(byte) + " to itself");
    }
    if (byte >= 0x80 && kind == ByteKind::kSingle && isSeparatorUnit(tables.single[byte])) {
      fail("byte " + std::to_string(byte) + " decodes to a separator");
    }
    hasLead = hasLead || kind == ByteKind::kLead;
  }
  if (hasLead && tables.pairs.size() != 256 * 256) fail("the two-byte table is incomplete");
  for (std::size_t index = 0; index < tables.pairs.size(); ++index) {
    const char16_t unit = tables.pairs[index];
    if (unit == DecoderTables::kNoChar) continue;
    if (isSeparatorUnit(unit) || index % 256 <= kLastSeparator) {
      fail("a two-byte sequence involves a separator");
    }
    if (IsSurrogate(unit) && std::size_t{unit} - DecoderTables::kFirstSupplementaryMarker >=
                                 tables.pairSupplementary.size()) {
      fail("a two-byte sequence is marked with no supplementary character");
    }
  }
  for (const char32_t code : tables.pairSupplementary) {
    if (code < kFirstSupplementary || code > kLastCodePoint) {
      fail("a two-byte sequence is marked with a character outside the supplementary planes");
    }
  }
  for (const char16_t unit : tables.fourByte) {
    if (unit == DecoderTables::kNoChar) continue;
    if (isSeparatorUnit(unit)) fail("a four-byte sequence decodes to a separator");
    if (IsSurrogate(unit)) fail("a four-byte sequence decodes to a surrogate");
  }
}

}  // namespace

const TextDecoder& TextDecoder::For(CodePage page) {
  // Never destroyed, so a decoder stays valid however late it is used.
  struct Cache {
    std::mutex mutex;
    std::map<CodePage, std::unique_ptr<const TextDecoder>> decoders;
  };
  static Cache& cache = *new Cache;
  const std::lock_guard lock(cache.mutex);
  auto found = cache.decoders.find(page);
  if (found == cache.decoders.end()) {
    auto tables = page == kCodePageUtf8 ? nullptr : BuildDecoderTables(page);
    found =
        cache.decoders.emplace(page, std::make_unique<TextDecoder>(page, std::move(tables))).first;
  }
  return *found->second;
}

TextDecoder::TextDecoder(CodePage page, std::unique_ptr<const DecoderTables> tables)
    : page_(page), tables_(std::move(tables)) {
  if (tables_ != nullptr) CheckTables(page_, *tables_);
}

TextDecoder::~TextDecoder() = default;

std::size_t TextDecoder::Decode(std::string_view bytes, char16_t* out) const {
  if (tables_ == nullptr) return DecodeBytes(BytesOf(bytes), bytes.size(), out, DecodeUtf8Sequence);
  const DecoderTables& tables = *tables_;
  return DecodeBytes(BytesOf(bytes), bytes.size(), out,
                     [&tables](const unsigned char* in, std::size_t size, char16_t* units) {
                       return DecodeSequenceWithTables(tables, in, size, units);
                     });
}

std::u16string TextDecoder::Decode(std::string_view bytes) const {
  std::u16string text(bytes.size(), u'\0');
  text.resize(Decode(bytes, text.data()));
  return text;
}

std::string_view TextDecoder::StripByteOrderMark(std::string_view fileBytes) const {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (page_ == kCodePageUtf8 && fileBytes.starts_with(kUtf8Mark)) {
    fileBytes.remove_prefix(kUtf8Mark.size());
  }
  return fileBytes;
}

}  // namespace platform
