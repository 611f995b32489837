#include "form/window_pacing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

namespace korlo_test {
namespace {

using form::TWindowPacing;
using std::chrono::milliseconds;

// A clock that moves only when told.
TWindowPacing::TClock::time_point At(int ms) {
  return TWindowPacing::TClock::time_point(milliseconds(1'000'000 + ms));
}

TEST(WindowPacing, AYieldPumpsOnlyOncePumpIntervalHasPassed) {
  TWindowPacing pacing;
  struct Step {
    int ms;
    bool pumps;
  };
  const Step steps[] = {{0, true},   {1, false}, {9, false},  {10, true},
                        {19, false}, {25, true}, {25, false}, {500, true}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.ms);
    EXPECT_EQ(pacing.Yield(At(step.ms)), step.pumps);
  }
  EXPECT_EQ(pacing.Counts().yields, 8);
  EXPECT_EQ(pacing.Counts().pumps, 4);
}

TEST(WindowPacing, APumpOfTheMessageLoopDelaysTheNextOne) {
  TWindowPacing pacing;
  pacing.Pumped(At(0));
  EXPECT_FALSE(pacing.Yield(At(5)));
  EXPECT_TRUE(pacing.Yield(At(10)));
  EXPECT_EQ(pacing.Counts().pumps, 1);  // the message loop's own is not counted
}

// The positions a command sets, and what the bar shows of them: the first and the last at once,
// the rest at most every kProgressInterval, a held-back one at the next pump once it is due.
TEST(WindowPacing, TheProgressBarMovesAtMostEveryIntervalAndAlwaysToItsEnds) {
  TWindowPacing pacing;
  pacing.SetProgressMax(1000);
  struct Step {
    int ms;
    int position;  // -1: a pump instead of a position
    std::optional<int> moved;
  };
  const Step steps[] = {
      {0, 0, 0},                  // the first position
      {1, 100, std::nullopt},     // too soon after it: held back
      {20, -1, std::nullopt},     // a pump, still too soon
      {49, 200, std::nullopt},    // held back, replacing 100
      {50, -1, 200},              // the pump after the interval shows the held-back position
      {60, 300, std::nullopt},    //
      {61, 1000, 1000},           // the last position, at once
      {62, -1, std::nullopt},     // nothing held back any more
      {200, 1000, std::nullopt},  // the position the bar shows: no move
      {300, 400, 400},            // long after the last move: at once
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.ms);
    const std::optional<int> moved = step.position < 0
                                         ? pacing.DueProgress(At(step.ms))
                                         : pacing.ProgressPosition(step.position, At(step.ms));
    EXPECT_EQ(moved, step.moved);
  }
  EXPECT_EQ(pacing.Counts().progressMoves, 4);
}

TEST(WindowPacing, ANewMaximumStartsTheBarAfreshAndDropsAHeldBackPosition) {
  TWindowPacing pacing;
  pacing.SetProgressMax(100);
  EXPECT_EQ(pacing.ProgressPosition(0, At(0)), 0);
  EXPECT_EQ(pacing.ProgressPosition(40, At(1)), std::nullopt);
  pacing.SetProgressMax(250);
  EXPECT_EQ(pacing.DueProgress(At(100)), std::nullopt);
  // 0 again is a first position of the new range, and 100 is no longer the last.
  EXPECT_EQ(pacing.ProgressPosition(0, At(101)), 0);
  EXPECT_EQ(pacing.ProgressPosition(100, At(102)), std::nullopt);
  EXPECT_EQ(pacing.ProgressPosition(250, At(103)), 250);
}

}  // namespace
}  // namespace korlo_test
