#include <sys/resource.h>

#include "platform/process_stats.h"

namespace platform {

std::uint64_t PeakResidentBytes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  // Linux reports kilobytes.
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024u;
}

}  // namespace platform
