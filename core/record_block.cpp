#include "core/record_block.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace core {

TFieldSpans TRecordBlock::Line(std::uint32_t line) const noexcept {
  const TLineEntry& entry = lines_[line];
  if (entry.end[kStoredFieldCount - 1] != kWideMark) {
    return TFieldSpans(text_.get() + groupBases_[line / kGroupLines] + entry.offset, entry.end,
                       nullptr);
  }
  std::uint32_t index = 0;
  std::memcpy(&index, entry.end, sizeof index);
  const TWideLine& wide = wide_[index];
  return TFieldSpans(text_.get() + wide.start, nullptr, wide.end);
}

TRecordBlockBuilder::TRecordBlockBuilder(std::size_t textCapacity, std::size_t lineHint)
    : block_(new TRecordBlock), capacity_(textCapacity) {
  if (capacity_ > kMaxTextBytes) throw std::length_error("record block text too large");
  // Default-initialised: pages the lines never reach are never touched.
  block_->text_.reset(new char[capacity_ + kWriteSlack]);
  block_->lines_.reserve(lineHint);
  block_->groupBases_.reserve(lineHint / TRecordBlock::kGroupLines + 1);
}

void TRecordBlockBuilder::CommitLine(const TFieldEnds& ends) {
  const std::uint32_t length = ends[kStoredFieldCount - 1];
  const auto start = static_cast<std::uint32_t>(used_);
  std::vector<TRecordBlock::TLineEntry>& lines = block_->lines_;
  if (lines.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("too many lines in one record block");
  }
  std::vector<std::uint32_t>& bases = block_->groupBases_;
  if (lines.size() % TRecordBlock::kGroupLines == 0) bases.push_back(start);
  const std::uint32_t offset = start - bases.back();
  TRecordBlock::TLineEntry entry{};
  if (length < TRecordBlock::kWideMark && offset <= std::numeric_limits<std::uint16_t>::max()) {
    entry.offset = static_cast<std::uint16_t>(offset);
    for (std::size_t i = 0; i < kStoredFieldCount; ++i) {
      entry.end[i] = static_cast<std::uint8_t>(ends[i]);
    }
  } else {
    TRecordBlock::TWideLine wide{};
    wide.start = start;
    for (std::size_t i = 0; i < kStoredFieldCount; ++i)
      wide.end[i] = ends[i];
    const auto index = static_cast<std::uint32_t>(block_->wide_.size());
    std::memcpy(entry.end, &index, sizeof index);
    entry.end[kStoredFieldCount - 1] = TRecordBlock::kWideMark;
    block_->wide_.push_back(wide);
  }
  constexpr std::size_t kEntryBytes = sizeof(TRecordBlock::TLineEntry);
  linesAhead_.Reach(lines.data(), lines.size() * kEntryBytes, lines.capacity() * kEntryBytes);
  lines.push_back(entry);
  used_ += length;
}

std::uint32_t TBlockRegistry::Register(std::unique_ptr<const TRecordBlock> block) {
  std::uint32_t index = firstFree_;
  if (index != kNoBlock) {
    firstFree_ = static_cast<std::uint32_t>(slots_[index].refs);
  } else {
    if (used_ == kNoBlock) throw std::length_error("too many record blocks");
    if (used_ == capacity_) {
      const std::uint32_t grown = capacity_ == 0
                                      ? 64
                                      : static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                            std::uint64_t{capacity_} * 2, kNoBlock));
      auto* slots = new TSlot[grown];
      std::copy(slots_, slots_ + used_, slots);
      delete[] std::exchange(slots_, slots);
      capacity_ = grown;
    }
    index = used_++;
  }
  slots_[index] = {block.release(), 0};
  ++live_;
  return index;
}

void TBlockRegistry::Free(std::uint32_t index) noexcept {
  delete slots_[index].block;
  slots_[index] = {nullptr, firstFree_};
  firstFree_ = index;
  --live_;
}

TBlockRef TRecordBlockBuilder::Finish() {
  return TBlockRef(TBlockRegistry::Register(Build()));
}

std::unique_ptr<const TRecordBlock> TRecordBlockBuilder::Build() {
  // A small block (a few lines appended to a live log) gets back the room it did not fill: its
  // text and line tables are sized for the worst growth of its bytes, three times what they
  // usually take, and small allocations hold all their room resident.
  if (block_ != nullptr && capacity_ <= kShrinkBelowBytes &&
      capacity_ - used_ > kShrinkSlackBytes) {
    std::unique_ptr<char[]> text(new char[used_ + kWriteSlack]);
    std::memcpy(text.get(), block_->text_.get(), used_ + kWriteSlack);
    block_->text_ = std::move(text);
    block_->lines_.shrink_to_fit();
    block_->groupBases_.shrink_to_fit();
  }
  capacity_ = used_ = 0;
  textAhead_ = linesAhead_ = TWriteAhead();
  return std::move(block_);
}

}  // namespace core
