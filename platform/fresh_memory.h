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

// `bytes` of address space straight from the system, never touched yet, given back when the
// object goes: what a large new allocation gets, for measuring what first writes cost. Throws
// std::bad_alloc when the system refuses.
class FreshPages {
 public:
  explicit FreshPages(std::size_t bytes);
  ~FreshPages();
  FreshPages(const FreshPages&) = delete;
  FreshPages& operator=(const FreshPages&) = delete;

  char* Data() const noexcept { return data_; }
  std::size_t Size() const noexcept { return size_; }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace platform
