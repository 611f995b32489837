#pragma once

#include <algorithm>
#include <cstddef>

#include "platform/fresh_memory.h"

namespace core {

// Backs a buffer that is filled front to back with memory one stretch at a time, just ahead of
// the writes: one request to the system per stretch instead of one page fault per page, and
// never more than a stretch beyond what is written, so that a buffer reserved large but filled
// little stays small and no single request holds up the window. Buffers smaller than a stretch
// are left to fault page by page: not worth a system call.
class TWriteAhead {
 public:
  static constexpr std::size_t kStretchBytes = std::size_t{256} * 1024;

  // The buffer at `base`, with room for `capacity` bytes, is written up to `filled` bytes and
  // the next writes follow on from there. A new `base` (a reallocated buffer) starts afresh.
  void Reach(const void* base, std::size_t filled, std::size_t capacity) noexcept {
    if (base != base_ || filled >= prepared_) Advance(base, filled, capacity);
  }

 private:
  void Advance(const void* base, std::size_t filled, std::size_t capacity) noexcept {
    if (base != base_) {
      base_ = base;
      prepared_ = capacity < kStretchBytes ? capacity : 0;
      if (filled < prepared_) return;
    }
    const std::size_t from = std::max(filled, prepared_);
    const std::size_t to = std::min(capacity, filled + kStretchBytes);
    if (to > from) {
      platform::PrepareForWriting(const_cast<char*>(static_cast<const char*>(base)) + from,
                                  to - from);
    }
    prepared_ = std::max(to, from);
  }

  const void* base_ = nullptr;
  std::size_t prepared_ = 0;  // bytes from base_ backed ahead of the writes
};

}  // namespace core
