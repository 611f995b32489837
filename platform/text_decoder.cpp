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
#include <vector>

#include "platform/decoder_tables.h"

namespace platform {

// The tables the decoder runs on: DecoderTables with every character as its UTF-8 bytes.
// An entry holds up to four bytes, its length told by its first byte as in any UTF-8 text; an
// entry whose first byte is 0 holds no character (no sequence but the byte 00 decodes to U+0000).
using Utf8Char = std::array<unsigned char, 4>;
struct Utf8Tables {
  std::array<DecoderTables::ByteKind, 256> kind{};
  std::array<Utf8Char, 256> single{};  // BMP characters: at most three bytes
  std::vector<Utf8Char> pairs;         // lead * 256 + trail; supplementary ones take four bytes
  std::vector<Utf8Char> fourByte;      // GB18030's BMP table, by DecoderTables::fourByte's index
  bool gb18030 = false;
};

namespace {

using ByteKind = DecoderTables::ByteKind;

// U+FFFD as UTF-8.
constexpr unsigned char kReplacement[3] = {0xEF, 0xBF, 0xBD};

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

// The UTF-8 bytes of `code`, a Unicode scalar value.
Utf8Char Utf8Of(char32_t code) {
  const auto byte = [](char32_t value) { return static_cast<unsigned char>(value); };
  if (code < 0x80) return {byte(code), 0, 0, 0};
  if (code < 0x800) return {byte(0xC0 | (code >> 6)), byte(0x80 | (code & 0x3F)), 0, 0};
  if (code < kFirstSupplementary) {
    return {byte(0xE0 | (code >> 12)), byte(0x80 | ((code >> 6) & 0x3F)),
            byte(0x80 | (code & 0x3F)), 0};
  }
  return {byte(0xF0 | (code >> 18)), byte(0x80 | ((code >> 12) & 0x3F)),
          byte(0x80 | ((code >> 6) & 0x3F)), byte(0x80 | (code & 0x3F))};
}

// The length of the UTF-8 character whose first byte is `lead` (a byte that starts one).
std::size_t Utf8Length(unsigned char lead) {
  return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The position, within a word loaded from memory, of the first byte whose high bit is set in
// `highBits` (which has no other bits set).
std::size_t FirstMarkedByte(std::uint64_t highBits) {
  const int bit = std::endian::native == std::endian::little ? std::countr_zero(highBits)
                                                             : std::countl_zero(highBits);
  return static_cast<std::size_t>(bit / 8);
}

// Copies the kBlockSize bytes at `in` to `out` and returns how many of them, from the first, are
// below 0x80. Only those are decoded text (every code page this decoder accepts decodes such
// bytes to themselves); the caller overwrites the others. Declared inline because it must be
// inlined into the decoding loop to be fast, which GCC does not do on its own.
inline std::size_t CopyBlock(const unsigned char* in, char* out) {
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  std::memcpy(&first, in, sizeof first);
  std::memcpy(&second, in + sizeof first, sizeof second);
  std::memcpy(out, &first, sizeof first);
  std::memcpy(out + sizeof first, &second, sizeof second);
  if ((first & kHighBits) != 0) return FirstMarkedByte(first & kHighBits);
  if ((second & kHighBits) != 0) return sizeof first + FirstMarkedByte(second & kHighBits);
  return kBlockSize;
}

// The outcome of decoding one sequence: bytes consumed and bytes written.
struct Step {
  std::size_t bytes;
  std::size_t written;
};

Step Replace(std::size_t bytes, char* out) {
  std::memcpy(out, kReplacement, sizeof kReplacement);
  return {bytes, sizeof kReplacement};
}

// Writes a table entry of a sequence of two or more bytes: all four bytes of the entry, which
// stays within the caller's room since such a sequence may take six (see DecodeBytes).
Step PutEntry(const Utf8Char& entry, std::size_t bytes, char* out) {
  std::memcpy(out, entry.data(), entry.size());
  return {bytes, Utf8Length(entry[0])};
}

// Decodes `size` bytes at `in` into `out`: bytes below 0x80 as themselves, a block at a time
// where there are enough, and each sequence starting with a byte at or above 0x80 by
// `decodeSequence(in, size, out)`, which returns its Step. No step writes more than kMaxGrowth
// bytes per byte it consumes, a step of one byte writes at most three and a longer one at most
// four, so every write stays within kMaxGrowth * size; so does a block copied at the read
// position, which has at least kBlockSize bytes left to read.
template <typename DecodeSequence>
std::size_t DecodeBytes(const unsigned char* in, std::size_t size, char* out,
                        DecodeSequence decodeSequence) {
  std::size_t read = 0;
  std::size_t written = 0;
  while (read < size) {
    if (size - read >= kBlockSize) {
      const std::size_t ascii = CopyBlock(in + read, out + written);
      read += ascii;
      written += ascii;
      if (ascii == kBlockSize) continue;
    } else if (in[read] < 0x80) {
      out[written++] = static_cast<char>(in[read++]);
      continue;
    }
    do {
      const Step step = decodeSequence(in + read, size - read, out + written);
      read += step.bytes;
      written += step.written;
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

// Validates the sequence starting with a byte at or above 0x80 and copies it when it is
// well-formed. An ill-formed sequence gives one U+FFFD for its maximal subpart: the longest
// prefix of some well-formed sequence, or the first byte alone. A byte below 0x80 is outside
// every continuation range, so it always ends the subpart and is decoded on its own.
Step DecodeUtf8Sequence(const unsigned char* in, std::size_t size, char* out) {
  // The bulk of non-ASCII log text (CJK) is three-byte sequences: those outside the overlong
  // and surrogate ranges (E0 80..9F, ED A0..BF) take a short path.
  if (size >= 3 && (in[0] & 0xF0) == 0xE0 && IsContinuation(in[1]) && IsContinuation(in[2]) &&
      (in[0] != 0xE0 || in[1] >= 0xA0) && (in[0] != 0xED || in[1] < 0xA0)) {
    std::memcpy(out, in, 3);
    return {3, 3};
  }
  const Utf8Lead lead = kUtf8Leads[in[0]];
  if (lead.continuations == 0 || size < 2 || in[1] < lead.secondLow || in[1] > lead.secondHigh) {
    return Replace(1, out);
  }
  std::size_t length = 2;
  while (length <= lead.continuations) {
    if (size <= length || !IsContinuation(in[length])) return Replace(length, out);
    ++length;
  }
  std::memcpy(out, in, length);
  return {length, length};
}

// --- Tables ------------------------------------------------------------------------------------

// Decodes a GB18030 four-byte sequence starting at `in` (lead, digit, ...). Anything but a valid
// one gives U+FFFD for the lead alone, so the digit is decoded next as itself.
Step DecodeFourByte(const Utf8Tables& tables, const unsigned char* in, std::size_t size,
                    char* out) {
  if (size < 4 || !IsHighByte(in[2]) || !IsDigit(in[3])) return Replace(1, out);
  const std::uint32_t index =
      ((static_cast<std::uint32_t>(in[0] - kFirstHighByte) * 10 + (in[1] - kFirstDigit)) * 1260) +
      static_cast<std::uint32_t>(in[2] - kFirstHighByte) * 10 + (in[3] - kFirstDigit);
  if (index < tables.fourByte.size()) {
    const Utf8Char& entry = tables.fourByte[index];
    if (entry[0] == 0) return Replace(1, out);
    return PutEntry(entry, 4, out);
  }
  if (in[0] < kFirstSupplementaryLead || in[0] > kLastSupplementaryLead) return Replace(1, out);
  const char32_t code = kFirstSupplementary + (index - kFirstSupplementaryIndex);
  if (code > kLastCodePoint) return Replace(1, out);
  return PutEntry(Utf8Of(code), 4, out);
}

// Decodes the sequence a lead byte starts. An invalid one gives one U+FFFD, covering the trail
// byte too only when that is at or above 0x80; a missing trail byte counts as one below 0x80.
Step DecodeMultiByte(const Utf8Tables& tables, const unsigned char* in, std::size_t size,
                     char* out) {
  if (size < 2) return Replace(1, out);
  const Utf8Char& entry = tables.pairs[std::size_t{in[0]} * 256 + in[1]];
  if (entry[0] != 0) return PutEntry(entry, 2, out);
  if (tables.gb18030 && IsDigit(in[1])) return DecodeFourByte(tables, in, size, out);
  return Replace(in[1] < 0x80 ? 1 : 2, out);
}

// Decodes one sequence starting with a byte at or above 0x80.
Step DecodeSequenceWithTables(const Utf8Tables& tables, const unsigned char* in, std::size_t size,
                              char* out) {
  const ByteKind kind = tables.kind[in[0]];
  if (kind == ByteKind::kLead) return DecodeMultiByte(tables, in, size, out);
  if (kind == ByteKind::kInvalid) return Replace(1, out);
  // Three bytes at most (a BMP character), and never more: one byte has room for three.
  const Utf8Char& entry = tables.single[in[0]];
  std::memcpy(out, entry.data(), 3);
  return {1, Utf8Length(entry[0])};
}

// Whether a table entry lies in the surrogate range U+D800..U+DFFF, which holds the markers and
// kNoChar rather than characters.
constexpr bool IsSurrogate(char16_t unit) {
  return (unit & 0xF800) == 0xD800;
}
static_assert(IsSurrogate(DecoderTables::kFirstSupplementaryMarker) &&
              IsSurrogate(DecoderTables::kNoChar));

// The UTF-8 entry of a UTF-16 table entry: no character for kNoChar, the supplementary
// character of a marker, the BMP character itself otherwise.
Utf8Char EntryOf(const DecoderTables& tables, char16_t unit) {
  if (unit == DecoderTables::kNoChar) return {};
  if (IsSurrogate(unit)) {
    return Utf8Of(tables.pairSupplementary[unit - DecoderTables::kFirstSupplementaryMarker]);
  }
  return Utf8Of(unit);
}

// The UTF-8 tables of checked UTF-16 tables.
std::unique_ptr<const Utf8Tables> Utf8TablesOf(const DecoderTables& tables) {
  auto utf8 = std::make_unique<Utf8Tables>();
  utf8->kind = tables.kind;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    if (tables.kind[byte] == ByteKind::kSingle) utf8->single[byte] = Utf8Of(tables.single[byte]);
  }
  utf8->pairs.reserve(tables.pairs.size());
  for (const char16_t unit : tables.pairs)
    utf8->pairs.push_back(EntryOf(tables, unit));
  utf8->fourByte.reserve(tables.fourByte.size());
  for (const char16_t unit : tables.fourByte)
    utf8->fourByte.push_back(EntryOf(tables, unit));
  utf8->gb18030 = tables.gb18030;
  return utf8;
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

TextDecoder::TextDecoder(CodePage page, std::unique_ptr<const DecoderTables> tables) : page_(page) {
  if (tables == nullptr) return;
  CheckTables(page_, *tables);
  tables_ = Utf8TablesOf(*tables);
}

TextDecoder::~TextDecoder() = default;

std::size_t TextDecoder::Decode(std::string_view bytes, char* out) const {
  if (tables_ == nullptr) return DecodeBytes(BytesOf(bytes), bytes.size(), out, DecodeUtf8Sequence);
  const Utf8Tables& tables = *tables_;
  return DecodeBytes(BytesOf(bytes), bytes.size(), out,
                     [&tables](const unsigned char* in, std::size_t size, char* text) {
                       return DecodeSequenceWithTables(tables, in, size, text);
                     });
}

std::string TextDecoder::Decode(std::string_view bytes) const {
  std::string text(kMaxGrowth * bytes.size(), '\0');
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
