#pragma once

#include <cstddef>

namespace platform {

// Asks the system to back the pages of [start, start + bytes) with memory now, in one call,
// instead of one page fault at a time as each page is first written. Worth it before filling a
// large, freshly allocated buffer front to back: taking the faults one by one costs more than
// the writing itself. Only a hint: it changes no content, reports nothing and may do nothing.
// The range must lie within one allocation the caller owns.
void PrepareForWriting(void* start, std::size_t bytes) noexcept;

}  // namespace platform
