#include "platform/fresh_memory.h"

#include <new>

#include "platform/win32/win32_api.h"

namespace platform {

// Windows offers no call that commits fresh private pages ahead of their first write (the
// prefetch call reads pages in, it does not create them): the pages keep faulting in one by one.
void PrepareForWriting(void*, std::size_t) noexcept {}

FreshPages::FreshPages(std::size_t bytes) : size_(bytes) {
  if (bytes == 0) return;
  void* pages = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (pages == nullptr) throw std::bad_alloc();
  data_ = static_cast<char*>(pages);
}

FreshPages::~FreshPages() {
  if (data_ != nullptr) VirtualFree(data_, 0, MEM_RELEASE);
}

}  // namespace platform
