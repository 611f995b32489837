#include "core/log_list.h"

#include <algorithm>

namespace core {

TLogList::TLogList(std::initializer_list<TLogRecord> records) {
  for (const TLogRecord& record : records)
    push_back(record);
}

void TLogList::clear() noexcept {
  runs_.clear();
  lines_.clear();
  size_ = 0;
  consecutiveTail_ = 0;
}

void TLogList::reserve(std::size_t count) {
  lines_.reserve(count);
  runs_.reserve(count);
}

void TLogList::AppendBlock(const TBlockRef& block) {
  const std::uint32_t lines = block->LineCount();
  if (lines == 0) return;
  push_back(TLogRecord(block, 0));
  // When the block's first line ends a run of consecutive lines of the block, the rest follow it
  // there at once; otherwise (the block follows itself) they go one by one.
  TRun& run = runs_.back();
  if (run.lines == TRun::kConsecutive && run.block.Index() == block.Index() &&
      run.firstLine + (run.end - run.begin) == 1) {
    run.end += lines - 1;
    size_ += lines - 1;
    return;
  }
  for (std::uint32_t line = 1; line < lines; ++line)
    push_back(TLogRecord(block, line));
}

void TLogList::AppendLine(std::uint32_t line) {
  linesAhead_.Reach(lines_.data(), lines_.size() * sizeof(std::uint32_t),
                    lines_.capacity() * sizeof(std::uint32_t));
  lines_.push_back(line);
}

void TLogList::Append(const TLogRecord& record) {
  const std::uint32_t line = record.line_;
  if (!runs_.empty() && runs_.back().block.Index() == record.block_.Index()) {
    TRun& run = runs_.back();
    const std::size_t count = run.end - run.begin;
    if (run.lines == TRun::kConsecutive) {
      // Not the run's next line (push_back took that).
      if (count == 1) {
        // Two lines that do not follow each other: the run keeps its lines from now on.
        run.lines = lines_.size();
        AppendLine(run.firstLine);
        AppendLine(line);
        ++run.end;
        ++size_;
        consecutiveTail_ = 1;
        return;
      }
      // A run of consecutive lines ends here; a new run begins below.
    } else {
      consecutiveTail_ = line == std::size_t{lines_.back()} + 1 ? consecutiveTail_ + 1 : 1;
      AppendLine(line);
      ++run.end;
      ++size_;
      if (consecutiveTail_ == kSplitConsecutive) {
        // The run began with two lines that do not follow each other, so it keeps at least one.
        const std::uint32_t first = lines_[lines_.size() - kSplitConsecutive];
        lines_.resize(lines_.size() - kSplitConsecutive);
        run.end -= kSplitConsecutive;
        TBlockRef block = run.block;
        runs_.push_back({std::move(block), run.end, size_, first, TRun::kConsecutive});
        consecutiveTail_ = 0;
      }
      return;
    }
  }
  runs_.push_back({record.block_, size_, size_ + 1, line, TRun::kConsecutive});
  ++size_;
  consecutiveTail_ = 0;
}

std::size_t TLogList::FindRun(std::size_t index) const noexcept {
  const auto found =
      std::upper_bound(runs_.begin(), runs_.end(), index,
                       [](std::size_t wanted, const TRun& run) { return wanted < run.end; });
  return static_cast<std::size_t>(found - runs_.begin());
}

std::uint32_t TLogList::LineAt(std::size_t run, std::size_t index) const noexcept {
  const TRun& found = runs_[run];
  const std::size_t offset = index - found.begin;
  return found.lines == TRun::kConsecutive ? found.firstLine + static_cast<std::uint32_t>(offset)
                                           : lines_[found.lines + offset];
}

TLogRecord TLogList::operator[](std::size_t index) const noexcept {
  return Read(FindRun(index), index);
}

const TLogRecord& TLogList::TCursor::Seek(std::size_t index) noexcept {
  const TLogList& list = *list_;
  if (run_ >= list.runs_.size() || index < list.runs_[run_].begin ||
      index >= list.runs_[run_].end) {
    // The next run, as reading in order finds it, else a search.
    if (run_ + 1 < list.runs_.size() && index >= list.runs_[run_].end &&
        index < list.runs_[run_ + 1].end) {
      ++run_;
    } else {
      run_ = list.FindRun(index);
    }
  }
  // The record keeps its block while the run does not change: no count to move per record.
  const TBlockRef& block = list.runs_[run_].block;
  if (record_.block_.Index() != block.Index()) record_.block_ = block;
  record_.line_ = list.LineAt(run_, index);
  return record_;
}

bool operator==(const TLogList& a, const TLogList& b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace core
