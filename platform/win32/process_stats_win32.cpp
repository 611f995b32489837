#include "platform/process_stats.h"

#include "platform/win32/win32_api.h"

#include <psapi.h>

namespace platform {

std::uint64_t PeakResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<std::uint64_t>(counters.PeakWorkingSetSize);
}

std::uint64_t ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<std::uint64_t>(counters.WorkingSetSize);
}

CpuTimes ProcessCpuTimes() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return {};
  const auto ms = [](const FILETIME& time) {  // 100-nanosecond ticks
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<double>(ticks) / 10'000.0;
  };
  return {ms(user), ms(kernel)};
}

}  // namespace platform
