#include "platform/decoder_tables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace platform {
namespace {

using ByteKind = DecoderTables::ByteKind;
using Kind = SequenceVerdict::Kind;

constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;

// GB18030's four-byte sequences whose characters the tables hold: 81 30 81 30 to 84 31 A4 39.
constexpr std::size_t kFourByteEntries = 39420;

// The character a verdict gives: its code point when the verdict is one Unicode scalar value.
std::optional<char32_t> CharacterOf(const SequenceVerdict& verdict) {
  if (verdict.kind != Kind::kCharacter) return std::nullopt;
  const char32_t code = verdict.code;
  if ((code >= kFirstSurrogate && code <= kLastSurrogate) || code > kLastCodePoint) {
    return std::nullopt;
  }
  return code;
}

// The character a verdict gives when it fits one table entry: a BMP character.
std::optional<char16_t> BmpCharacterOf(const SequenceVerdict& verdict) {
  const std::optional<char32_t> code = CharacterOf(verdict);
  if (!code.has_value() || *code >= kFirstSupplementary) return std::nullopt;
  return static_cast<char16_t>(*code);
}

SequenceVerdict ProbePair(const SequenceProbe& probe, std::size_t lead, std::size_t trail) {
  const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                 static_cast<unsigned char>(trail)};
  return probe(pair);
}

// Whether some two-byte sequence starting with `lead` decodes to a character.
bool StartsSomePair(const SequenceProbe& probe, std::size_t lead) {
  for (std::size_t trail = 0; trail < 256; ++trail) {
    if (CharacterOf(ProbePair(probe, lead, trail)).has_value()) return true;
  }
  return false;
}

// Fills `kind` and `single`; returns whether the code page has a lead byte.
bool DeriveSingleBytes(CodePage page, const SequenceProbe& probe, DecoderTables& tables) {
  bool hasLead = false;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    const unsigned char single[1] = {static_cast<unsigned char>(byte)};
    const SequenceVerdict verdict = probe(single);
    ByteKind kind = ByteKind::kSingle;
    if (verdict.kind == Kind::kIncomplete) {
      kind = ByteKind::kLead;
    } else if (verdict.kind == Kind::kInvalid) {
      kind = StartsSomePair(probe, byte) ? ByteKind::kLead : ByteKind::kInvalid;
    } else {
      const std::optional<char16_t> unit = BmpCharacterOf(verdict);
      if (!unit.has_value()) {
        throw std::invalid_argument(
            "code page " + std::to_string(static_cast<std::uint32_t>(page)) + " decodes byte " +
            std::to_string(byte) + " to something other than one BMP character");
      }
      tables.single[byte] = *unit;
    }
    tables.kind[byte] = kind;
    hasLead = hasLead || kind == ByteKind::kLead;
  }
  return hasLead;
}

// Fills `pairs` and `pairSupplementary` for every lead byte and every trail byte.
void DerivePairs(const SequenceProbe& probe, DecoderTables& tables) {
  tables.pairs.assign(256 * 256, DecoderTables::kNoChar);
  for (std::size_t lead = 0; lead < 256; ++lead) {
    if (tables.kind[lead] != ByteKind::kLead) continue;
    for (std::size_t trail = 0; trail < 256; ++trail) {
      const std::optional<char32_t> code = CharacterOf(ProbePair(probe, lead, trail));
      if (!code.has_value()) continue;
      char16_t& entry = tables.pairs[lead * 256 + trail];
      if (*code < kFirstSupplementary) {
        entry = static_cast<char16_t>(*code);
      } else if (tables.pairSupplementary.size() < DecoderTables::kMaxPairSupplementary) {
        entry = static_cast<char16_t>(DecoderTables::kFirstSupplementaryMarker +
                                      tables.pairSupplementary.size());
        tables.pairSupplementary.push_back(*code);
      }
    }
  }
}

void DeriveFourByte(const SequenceProbe& probe, DecoderTables& tables) {
  tables.fourByte.assign(kFourByteEntries, DecoderTables::kNoChar);
  for (std::size_t index = 0; index < kFourByteEntries; ++index) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(0x81 + index / 12600),
        static_cast<unsigned char>(0x30 + index / 1260 % 10),
        static_cast<unsigned char>(0x81 + index / 10 % 126),
        static_cast<unsigned char>(0x30 + index % 10),
    };
    const std::optional<char16_t> unit = BmpCharacterOf(probe(bytes));
    if (unit.has_value()) tables.fourByte[index] = *unit;
  }
}

// Code page 936 on Windows: where the Private Use Area characters of its two-byte cells start, the
// user-defined areas that take them first, and the character of the byte FF.
constexpr char16_t kFirstGbkPrivateUse = 0xE000;
struct GbkArea {
  unsigned char firstLead;
  unsigned char lastLead;
  unsigned char firstTrail;
  unsigned char lastTrail;
};
constexpr GbkArea kGbkUserDefinedAreas[] = {
    {0xAA, 0xAF, 0xA1, 0xFE},
    {0xF8, 0xFE, 0xA1, 0xFE},
    {0xA1, 0xA7, 0x40, 0xA0},
};
constexpr GbkArea kGbkCells = {0x81, 0xFE, 0x40, 0xFE};
constexpr unsigned char kGbkNoTrail = 0x7F;
constexpr unsigned char kGbkLastByte = 0xFF;
constexpr char16_t kGbkLastByteCharacter = 0xF8F5;

// Calls `visit(lead, trail)` for every cell of `area`, lead by lead, trail bytes ascending.
template <typename Visit>
void ForEachCell(const GbkArea& area, Visit visit) {
  for (std::size_t lead = area.firstLead; lead <= area.lastLead; ++lead) {
    for (std::size_t trail = area.firstTrail; trail <= area.lastTrail; ++trail) {
      if (trail != kGbkNoTrail) visit(lead, trail);
    }
  }
}

}  // namespace

void AddWindowsGbkPrivateUse(DecoderTables& tables) {
  if (tables.pairs.empty()) tables.pairs.assign(256 * 256, DecoderTables::kNoChar);
  char16_t next = kFirstGbkPrivateUse;
  const auto take = [&tables, &next](std::size_t lead, std::size_t trail) {
    tables.pairs[lead * 256 + trail] = next++;
  };
  for (const GbkArea& area : kGbkUserDefinedAreas) {
    ForEachCell(area, take);
  }
  ForEachCell(kGbkCells, [&tables, &take](std::size_t lead, std::size_t trail) {
    if (tables.pairs[lead * 256 + trail] == DecoderTables::kNoChar) take(lead, trail);
  });
  for (std::size_t lead = kGbkCells.firstLead; lead <= kGbkCells.lastLead; ++lead) {
    tables.kind[lead] = ByteKind::kLead;
  }
  tables.kind[kGbkLastByte] = ByteKind::kSingle;
  tables.single[kGbkLastByte] = kGbkLastByteCharacter;
}

std::unique_ptr<DecoderTables> DeriveDecoderTables(CodePage page, const SequenceProbe& probe) {
  auto tables = std::make_unique<DecoderTables>();
  if (DeriveSingleBytes(page, probe, *tables)) DerivePairs(probe, *tables);
  if (page == kCodePageGb18030) {
    tables->gb18030 = true;
    DeriveFourByte(probe, *tables);
  }
  return tables;
}

}  // namespace platform
