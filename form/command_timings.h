#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "form/window_pacing.h"

namespace form {

// What one command of the window cost: the line the timings log gets for it.
struct TCommandTiming {
  std::string_view name;  // the handler, or the work it chose ("LoadLogData", "ApplyFilter")
  std::chrono::steady_clock::duration wall{};
  TPaceCounts paced;   // the toolkit's yields, pumps and progress moves during the command
  long long rows = 0;  // the result's rows in the grid afterwards
};

// The timings log's line for a command, TAB-separated and ended by a line feed:
//   NAME  wall_ms=12.345  yields=N  pumps=N  progress_moves=N  rows=N
std::string TimingsLine(const TCommandTiming& timing);

}  // namespace form
