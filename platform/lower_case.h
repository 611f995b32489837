#pragma once

#include <span>

namespace platform {

// Lower-cases UTF-16 text in place, one code unit at a time, with the simple (one-to-one)
// Unicode lower-case mapping of the Basic Multilingual Plane: letters of every cased script fold
// (A -> a, Ä -> ä, Ω -> ω, Ａ -> ａ, İ -> i), surrogates and uncased units stay as they are. The
// result never depends on the process locale. These are the semantics of CharLowerBuffW.
void LowerCaseInPlace(std::span<char16_t> text);

// The lower-case mapping of one code unit, as LowerCaseInPlace applies it.
char16_t LowerCaseUnit(char16_t unit);

}  // namespace platform
