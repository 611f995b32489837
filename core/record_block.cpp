#include "core/record_block.h"

#include "platform/fresh_memory.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace core {

namespace {

// Text units backed at once: large enough to spare most page faults, small enough that what
// the last lines of a block leave unused stays negligible. Smaller blocks are left to fault
// page by page: not worth a system call.
constexpr std::size_t kPrepareUnits = std::size_t{256} * 1024;

}  // namespace

TFieldSpans TRecordBlock::Line(std::uint32_t line) const noexcept {
  const TLineEntry& entry = lines_[line];
  if (entry.end[kStoredFieldCount - 1] != kWideMark) {
    return TFieldSpans(text_.get() + entry.start, entry.end, nullptr);
  }
  const TWideLine& wide = wide_[entry.start];
  return TFieldSpans(text_.get() + wide.start, nullptr, wide.end);
}

TRecordBlockBuilder::TRecordBlockBuilder(std::size_t textCapacity, std::size_t lineHint)
    : block_(new TRecordBlock), capacity_(textCapacity) {
  if (capacity_ > kMaxTextUnits) throw std::length_error("record block text too large");
  // Default-initialised: pages the lines never reach are never touched.
  block_->text_.reset(new char16_t[capacity_ + kWriteSlack]);
  block_->lines_.reserve(lineHint);
  if (capacity_ < kPrepareUnits) {
    prepared_ = capacity_ + kWriteSlack;
    return;
  }
  platform::PrepareForWriting(block_->lines_.data(), lineHint * sizeof(TRecordBlock::TLineEntry));
}

void TRecordBlockBuilder::PrepareText() noexcept {
  const std::size_t from = std::max(used_, prepared_);
  const std::size_t to = std::min(capacity_ + kWriteSlack, used_ + kPrepareUnits);
  if (to > from) {
    platform::PrepareForWriting(block_->text_.get() + from, (to - from) * sizeof(char16_t));
  }
  prepared_ = to;
}

void TRecordBlockBuilder::CommitLine(const TFieldEnds& ends) {
  const std::uint32_t length = ends[kStoredFieldCount - 1];
  const auto start = static_cast<std::uint32_t>(used_);
  TRecordBlock::TLineEntry entry{};
  if (length < TRecordBlock::kWideMark) {
    entry.start = start;
    for (std::size_t i = 0; i < kStoredFieldCount; ++i) {
      entry.end[i] = static_cast<std::uint16_t>(ends[i]);
    }
  } else {
    TRecordBlock::TWideLine wide{};
    wide.start = start;
    for (std::size_t i = 0; i < kStoredFieldCount; ++i)
      wide.end[i] = ends[i];
    entry.start = static_cast<std::uint32_t>(block_->wide_.size());
    entry.end[kStoredFieldCount - 1] = TRecordBlock::kWideMark;
    block_->wide_.push_back(wide);
  }
  if (block_->lines_.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("too many lines in one record block");
  }
  block_->lines_.push_back(entry);
  used_ += length;
}

TBlockRef TRecordBlockBuilder::Finish() {
  TBlockRef ref(block_.release());
  capacity_ = used_ = prepared_ = 0;
  return ref;
}

}  // namespace core
