#pragma once

namespace platform {

// The simple (one-to-one) Unicode upper-case mapping of one UTF-16 code unit of the Basic
// Multilingual Plane: letters of every cased script map to their capital (a -> A, ä -> Ä,
// ÿ -> Ÿ U+0178, ω -> Ω, ſ -> S, ａ -> Ａ, ᾳ U+1FB3 -> ᾼ U+1FBC); letters whose capital is more
// than one character keep their form (ß stays ß); surrogates and uncased units stay as they are.
// The result never depends on the process locale. This is the mapping NTFS compares file names by.
char16_t UpperCaseUnit(char16_t unit);

}  // namespace platform
