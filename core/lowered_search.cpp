#include "core/lowered_search.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/lower_case.h"
#include "platform/unicode.h"

namespace core {

namespace {

constexpr char32_t kFirstSupplementary = 0x10000;

// The units that lower-case to another unit, with that unit: the cased letters, about 1,400.
const std::vector<std::pair<char16_t, char16_t>>& Foldings() {
  static const std::vector<std::pair<char16_t, char16_t>> foldings = [] {
    std::vector<std::pair<char16_t, char16_t>> list;
    for (std::size_t unit = 0; unit < 0x10000; ++unit) {
      const auto from = static_cast<char16_t>(unit);
      const char16_t to = platform::LowerCaseUnit(from);
      if (to != from) list.emplace_back(from, to);
    }
    return list;
  }();
  return foldings;
}

char32_t Lowered(char32_t code) {
  return code < kFirstSupplementary ? platform::LowerCaseUnit(static_cast<char16_t>(code)) : code;
}

unsigned char LeadByte(char32_t code) {
  if (code < 0x80) return static_cast<unsigned char>(code);
  if (code < 0x800) return static_cast<unsigned char>(0xC0 | (code >> 6));
  if (code < kFirstSupplementary) return static_cast<unsigned char>(0xE0 | (code >> 12));
  return static_cast<unsigned char>(0xF0 | (code >> 18));
}

// Reads the character at `at`, before `end`, into `code` and returns its length. A byte that
// starts no complete sequence reads as U+FFFD of one byte: well-formed text has none.
std::size_t ReadCharacter(const unsigned char* at, const unsigned char* end, char32_t& code) {
  const unsigned char lead = at[0];
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || static_cast<std::size_t>(end - at) < length) {
    code = 0xFFFD;
    return 1;
  }
  code = lead & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i)
    code = (code << 6) | (at[i] & 0x3Fu);
  return length;
}

// Whether the characters that lower-case to `wanted` (itself lower-cased) are `wanted` itself
// and, for a-z, its capital, and no other: those an A-Z folding byte comparison accepts.
bool LoweredFromFoldedBytesOnly(char32_t wanted) {
  // No BMP character lower-cases to a supplementary one, and those lower-case to themselves.
  if (wanted >= kFirstSupplementary) return true;
  if (Lowered(wanted) != wanted) return false;
  const bool letter = wanted >= U'a' && wanted <= U'z';
  if (letter && Lowered(wanted - (U'a' - U'A')) != wanted) return false;
  return std::none_of(Foldings().begin(), Foldings().end(), [wanted, letter](const auto& folding) {
    return folding.second == wanted &&
           !(letter && folding.first == static_cast<char16_t>(wanted - (U'a' - U'A')));
  });
}

// Whether `keyword` (lower-cased) occurs lower-cased at `at`.
bool LoweredAt(const unsigned char* at, const unsigned char* end, std::u32string_view keyword) {
  for (const char32_t wanted : keyword) {
    if (at == end) return false;
    char32_t code = 0;
    at += ReadCharacter(at, end, code);
    if (Lowered(code) != wanted) return false;
  }
  return true;
}

}  // namespace

void TLoweredKeywordSet::Add(std::u16string_view keyword) {
  if (keyword.empty()) return;
  std::u16string lowered(keyword);
  platform::LowerCaseInPlace(lowered);
  if (!platform::IsWellFormedUtf16(lowered)) {
    if (std::find(unpaired_.begin(), unpaired_.end(), lowered) == unpaired_.end()) {
      unpaired_.push_back(std::move(lowered));
    }
    return;
  }
  std::u32string characters;
  const std::string utf8 = platform::Utf16ToUtf8(lowered);
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  for (const unsigned char* at = bytes; at != bytes + utf8.size();) {
    char32_t code = 0;
    at += ReadCharacter(at, bytes + utf8.size(), code);
    characters.push_back(code);
  }
  if (std::find(keywords_.begin(), keywords_.end(), characters) != keywords_.end()) return;
  foldsAsBytes_ = foldsAsBytes_ &&
                  std::all_of(characters.begin(), characters.end(), LoweredFromFoldedBytesOnly);
  utf8Keywords_.push_back(utf8);
  const char32_t first = characters.front();
  firstLeads_[LeadByte(first)] = true;
  if (first < kFirstSupplementary) {
    // Several characters can lower-case to the same one (A and a to a, the Kelvin sign to k).
    firstUnits_.set(first);
    for (const auto& [from, to] : Foldings()) {
      if (to != first) continue;
      firstUnits_.set(from);
      firstLeads_[LeadByte(from)] = true;
    }
  }
  keywords_.push_back(std::move(characters));
}

void TLoweredKeywordSet::Clear() {
  keywords_.clear();
  utf8Keywords_.clear();
  foldsAsBytes_ = true;
  unpaired_.clear();
  firstUnits_.reset();
  firstLeads_.fill(false);
}

bool TLoweredKeywordSet::FoundIn(std::string_view text, TTextEnd reach) const {
  // Each keyword is one byte search over the text: past kMostByteSearches keywords, the single
  // pass over the characters below costs less.
  if (foldsAsBytes_ && unpaired_.empty() && utf8Keywords_.size() <= kMostByteSearches) {
    // Matching bytes of well-formed UTF-8 are matching characters (no character's bytes occur
    // inside another's), and A-Z folded as bytes are the only characters lowered.
    return std::any_of(utf8Keywords_.begin(), utf8Keywords_.end(), [text, reach](const auto& k) {
      return FindFolded(text, k, 0, reach) != std::string_view::npos;
    });
  }
  const auto* at = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = at + text.size();
  while (at != end) {
    // Continuation bytes are never a lead: a byte that no first character starts with is
    // passed over alone.
    if (!firstLeads_[*at]) {
      ++at;
      continue;
    }
    char32_t code = 0;
    const std::size_t length = ReadCharacter(at, end, code);
    if (code >= kFirstSupplementary || firstUnits_.test(code)) {
      const char32_t first = Lowered(code);
      for (const std::u32string& keyword : keywords_) {
        if (keyword.front() == first &&
            LoweredAt(at + length, end, {keyword.data() + 1, keyword.size() - 1})) {
          return true;
        }
      }
    }
    at += length;
  }
  return !unpaired_.empty() && FoundUnpairedIn(text);
}

bool TLoweredKeywordSet::FoundUnpairedIn(std::string_view text) const {
  std::u16string lowered = platform::Utf8ToUtf16(text);
  platform::LowerCaseInPlace(lowered);
  return std::any_of(unpaired_.begin(), unpaired_.end(), [&lowered](const std::u16string& keyword) {
    return lowered.find(keyword) != std::u16string::npos;
  });
}

}  // namespace core
