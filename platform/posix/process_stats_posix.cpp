#include <sys/resource.h>

#include "platform/process_stats.h"

namespace platform {

std::uint64_t PeakResidentBytes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  // Linux reports kilobytes.
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024u;
}

CpuTimes ProcessCpuTimes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return {};
  const auto ms = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_usec) / 1000.0;
  };
  return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

}  // namespace platform
