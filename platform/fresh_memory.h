#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Asks the system to back the pages of [start, start + bytes) with memory now, in one call,
// instead of one page fault at a time as each page is first written. Worth it before filling a
// large, freshly allocated buffer front to back: taking the faults one by one costs more than
// the writing itself. Only a hint: it changes no content, reports nothing and may do nothing.
// The range must lie within one allocation the caller owns.
void PrepareForWriting(void* start, std::size_t bytes) noexcept;

// Gives `buffer` exactly `size` bytes, all to be overwritten by the caller. When it must grow,
// the old content is dropped rather than copied, the new room is an eighth larger than asked
// (so that the next file of about the same size fits; room never written costs address space,
// not memory), and the bytes asked for are backed with memory in one request.
void ResizeForOverwrite(std::string& buffer, std::size_t size);

}  // namespace platform
