#include <psapi.h>
#include <windows.h>

#include "platform/process_stats.h"

namespace platform {

std::uint64_t PeakResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<std::uint64_t>(counters.PeakWorkingSetSize);
}

}  // namespace platform
