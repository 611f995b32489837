#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "platform/process_stats.h"

namespace platform {

std::uint64_t PeakResidentBytes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  // Linux reports kilobytes.
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024u;
}

std::uint64_t ResidentBytes() {
  // The second number of /proc/self/statm: resident pages.
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  unsigned long long size = 0;
  unsigned long long resident = 0;
  const int read = std::fscanf(statm, "%llu %llu", &size, &resident);
  std::fclose(statm);
  if (read != 2) return 0;
  return resident * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
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
