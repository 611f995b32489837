#include "form/window_pacing.h"

namespace form {

bool TWindowPacing::Yield(TClock::time_point now) {
  ++counts_.yields;
  if (lastPump_ && now - *lastPump_ < kPumpInterval) return false;
  ++counts_.pumps;
  lastPump_ = now;
  return true;
}

void TWindowPacing::SetProgressMax(int maximum) {
  maximum_ = maximum;
  shown_.reset();
  pending_.reset();
}

std::optional<int> TWindowPacing::ProgressPosition(int position, TClock::time_point now) {
  const bool firstOrLast = position <= 0 || position >= maximum_;
  if (shown_ == position) {
    pending_.reset();
    return std::nullopt;
  }
  if (!firstOrLast && lastMove_ && now - *lastMove_ < kProgressInterval) {
    pending_ = position;
    return std::nullopt;
  }
  return Move(position, now);
}

std::optional<int> TWindowPacing::DueProgress(TClock::time_point now) {
  if (!pending_ || (lastMove_ && now - *lastMove_ < kProgressInterval)) return std::nullopt;
  return Move(*pending_, now);
}

int TWindowPacing::Move(int position, TClock::time_point now) {
  ++counts_.progressMoves;
  lastMove_ = now;
  shown_ = position;
  pending_.reset();
  return position;
}

}  // namespace form
