#pragma once

#include <cstdint>

namespace platform {

// The most memory the process has held resident at once since it started, in bytes.
std::uint64_t PeakResidentBytes();

}  // namespace platform
