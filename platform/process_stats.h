#pragma once

#include <cstdint>

namespace platform {

// The most memory the process has held resident at once since it started, in bytes.
std::uint64_t PeakResidentBytes();
// The memory the process holds resident now, in bytes.
std::uint64_t ResidentBytes();

// The processor time the process has used since it started, in its own code and in the system's
// on its behalf, in milliseconds.
struct CpuTimes {
  double userMs = 0;
  double systemMs = 0;
};
CpuTimes ProcessCpuTimes();

}  // namespace platform
