#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

#include "platform/fresh_memory.h"

namespace platform {

namespace {

// Linux 5.14 and later; older kernels refuse it with EINVAL, which leaves the faults as they
// were.
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;
#endif

std::uintptr_t PageSize() noexcept {
  static const auto size = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

void PrepareForWriting(void* start, std::size_t bytes) noexcept {
  if (bytes == 0) return;
  // The pages holding the first and the last byte belong to the caller's allocation, so the
  // range widened to whole pages is mapped; populating writes no content.
  const std::uintptr_t page = PageSize();
  const auto first = reinterpret_cast<std::uintptr_t>(start) & ~(page - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(start) + bytes + page - 1) & ~(page - 1);
  madvise(reinterpret_cast<void*>(first), end - first, kPopulateWrite);
}

FreshPages::FreshPages(std::size_t bytes) : size_(bytes) {
  if (bytes == 0) return;
  void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<char*>(pages);
}

FreshPages::~FreshPages() {
  if (data_ != nullptr) munmap(data_, size_);
}

}  // namespace platform
