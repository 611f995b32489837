#include "core/record_block.h"

#include <limits>
#include <stdexcept>

namespace core {

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
  if (capacity_ > kMaxTextBytes) throw std::length_error("record block text too large");
  // Default-initialised: pages the lines never reach are never touched.
  block_->text_.reset(new char[capacity_ + kWriteSlack]);
  block_->lines_.reserve(lineHint);
}

void TRecordBlockBuilder::CommitLine(const TFieldEnds& ends) {
  const std::uint32_t length = ends[kStoredFieldCount - 1];
  const auto start = static_cast<std::uint32_t>(used_);
  TRecordBlock::TLineEntry entry{};
  if (length < TRecordBlock::kWideMark) {
    entry.start = start;
    for (std::size_t i = 0; i < kStoredFieldCount; ++i) {
      entry.end[i] = static_cast<std::uint8_t>(ends[i]);
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
  std::vector<TRecordBlock::TLineEntry>& lines = block_->lines_;
  constexpr std::size_t kEntryBytes = sizeof(TRecordBlock::TLineEntry);
  linesAhead_.Reach(lines.data(), lines.size() * kEntryBytes, lines.capacity() * kEntryBytes);
  lines.push_back(entry);
  used_ += length;
}

TBlockRef TRecordBlockBuilder::Finish() {
  TBlockRef ref(block_.release());
  capacity_ = used_ = 0;
  textAhead_ = linesAhead_ = TWriteAhead();
  return ref;
}

}  // namespace core
