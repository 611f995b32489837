#pragma once

#include <chrono>
#include <optional>

namespace form {

// What a toolkit did for the form's yields and progress positions since it started.
struct TPaceCounts {
  long long yields = 0;         // ProcessPendingEvents calls
  long long pumps = 0;          // of those, the ones that handled the pending messages
  long long progressMoves = 0;  // positions the progress bar was actually moved to
  friend bool operator==(const TPaceCounts&, const TPaceCounts&) = default;
  // What happened between two readings.
  friend TPaceCounts operator-(const TPaceCounts& later, const TPaceCounts& earlier) {
    return {later.yields - earlier.yields, later.pumps - earlier.pumps,
            later.progressMoves - earlier.progressMoves};
  }
};

// How a toolkit paces the two things a long command asks of it many thousand times: the yield
// and the progress bar's position. Asking the system for pending messages costs 10-150 us even
// when there are none (under wine), and a progress control repaints on every position (about a
// millisecond); a load of two million records asks both about 25,000 times. So:
// - a yield pumps the toolkit's messages only when kPumpInterval has passed since the last pump;
//   otherwise it costs one clock read. Input then waits no longer than kPumpInterval plus the
//   longest stretch between two yields;
// - the bar moves at most every kProgressInterval, and always to its first (0) and its last
//   (the maximum) position. A position held back is shown at the next pump once it is due, so
//   the bar never lags behind by more than kProgressInterval plus one pump.
// The form still yields and sets positions at every specified count; only what the toolkit does
// with them is paced. Times come from a monotonic clock, given by the caller.
class TWindowPacing {
 public:
  using TClock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kPumpInterval{10};
  static constexpr std::chrono::milliseconds kProgressInterval{50};

  // A yield at `now`: true when the toolkit should handle its pending messages now (it then
  // also shows a held-back position that DueProgress gives).
  bool Yield(TClock::time_point now);
  // The messages were handled outside a yield (the message loop): the next pump may wait.
  void Pumped(TClock::time_point now) { lastPump_ = now; }

  // The bar's range changed: the next position is a first one again.
  void SetProgressMax(int maximum);
  // The form sets `position`: the position to move the bar to now, or nothing while it holds it
  // back.
  std::optional<int> ProgressPosition(int position, TClock::time_point now);
  // At a pump: a held-back position whose time has come, or nothing.
  std::optional<int> DueProgress(TClock::time_point now);

  const TPaceCounts& Counts() const noexcept { return counts_; }

 private:
  int Move(int position, TClock::time_point now);

  TPaceCounts counts_;
  std::optional<TClock::time_point> lastPump_;
  std::optional<TClock::time_point> lastMove_;
  int maximum_ = 100;
  std::optional<int> shown_;    // the position the bar shows, once moved
  std::optional<int> pending_;  // a position held back
};

}  // namespace form
