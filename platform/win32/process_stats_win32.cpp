#include "platform/process_stats.h"

#include "platform/win32/win32_api.h"

#include <psapi.h>

namespace platform {

std::uint64_t PeakResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<std::uint64_t>(counters.PeakWorkingSetSize);
}

}  // namespace platform
