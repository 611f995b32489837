#include "form/command_timings.h"

#include <cstdio>

namespace form {

std::string TimingsLine(const TCommandTiming& timing) {
  const double wallMs = std::chrono::duration<double, std::milli>(timing.wall).count();
  char numbers[200];
  std::snprintf(numbers, sizeof numbers,
                "\twall_ms=%.3f\tyields=%lld\tpumps=%lld\tprogress_moves=%lld\trows=%lld\n", wallMs,
                timing.paced.yields, timing.paced.pumps, timing.paced.progressMoves, timing.rows);
  std::string line(timing.name);
  line += numbers;
  return line;
}

}  // namespace form
