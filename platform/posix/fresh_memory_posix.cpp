#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

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

}  // namespace platform
