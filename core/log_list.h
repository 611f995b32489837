#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "core/log_record.h"
#include "core/record_block.h"
#include "core/write_ahead.h"

namespace core {

// An ordered, growable list of records held by value: the form state's list of all records and
// its result list. It keeps where each record lives instead of the records themselves. Records
// that follow one another in the list and come from one block share one block reference; a run
// of consecutive lines of one block costs nothing per record (the list of all records is made of
// such runs, one a block, and so is a result that keeps most records); any other record costs
// its 4-byte line. A record read back is the record appended, compares equal to it and keeps its
// block alive like any copy. Indexed reads search the runs; reading in order (iterators, TCursor)
// does not. Not thread-safe, like the records.
class TLogList {
 public:
  using value_type = TLogRecord;
  class const_iterator;

  TLogList() = default;
  TLogList(std::initializer_list<TLogRecord> records);

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  void clear() noexcept;
  // Room for `count` records that are not consecutive lines of a block (nor of one block: a
  // sorted list), so that appending them moves nothing; room never filled costs address space,
  // not memory.
  void reserve(std::size_t count);
  void push_back(const TLogRecord& record) {
    // The usual case inline: the next line of the last run's block.
    if (!runs_.empty()) {
      TRun& run = runs_.back();
      if (run.lines == TRun::kConsecutive && run.block.Index() == record.block_.Index() &&
          std::size_t{record.line_} == run.firstLine + (run.end - run.begin)) {
        ++run.end;
        ++size_;
        return;
      }
    }
    Append(record);
  }
  // Appends every line of `block`, in order: as push_back of each, at the cost of one.
  void AppendBlock(const TBlockRef& block);

  // The record at `index`, which must be below size().
  TLogRecord operator[](std::size_t index) const noexcept;
  // The first and the last record; the list must not be empty.
  TLogRecord front() const noexcept { return Read(0, 0); }
  TLogRecord back() const noexcept { return Read(runs_.size() - 1, size_ - 1); }

  const_iterator begin() const noexcept;
  const_iterator end() const noexcept;

  // Reads the records of one list by index: as fast as an iterator while the indexes go up one
  // by one, and still right when the list changed since the last read (it then searches again).
  class TCursor {
   public:
    explicit TCursor(const TLogList& list) noexcept : list_(&list) {}
    // The record at `index`, which must be below the list's size() at the time of the call. The
    // reference is the cursor's own and holds that record until the next call.
    const TLogRecord& At(std::size_t index) noexcept {
      // The usual case inline: the next record of a run of consecutive lines.
      if (run_ < list_->runs_.size()) {
        const TRun& run = list_->runs_[run_];
        if (index >= run.begin && index < run.end && run.lines == TRun::kConsecutive &&
            record_.block_.Index() == run.block.Index()) {
          record_.line_ = run.firstLine + static_cast<std::uint32_t>(index - run.begin);
          return record_;
        }
      }
      return Seek(index);
    }

   private:
    const TLogRecord& Seek(std::size_t index) noexcept;

    const TLogList* list_;
    std::size_t run_ = 0;  // the run the last read found
    TLogRecord record_;
  };

  // Record by record, as records compare (by their field texts).
  friend bool operator==(const TLogList& a, const TLogList& b) noexcept;

 private:
  // Records of one block, one after another in the list.
  struct TRun {
    static constexpr std::size_t kConsecutive = static_cast<std::size_t>(-1);
    TBlockRef block;
    std::size_t begin = 0;             // the list index of the run's first record
    std::size_t end = 0;               // the list index after the run's last record
    std::uint32_t firstLine = 0;       // for consecutive lines: the first record's line
    std::size_t lines = kConsecutive;  // else: where the run's lines start in lines_
  };

  // A run of scattered lines whose last lines are this many consecutive ones hands them to a
  // run of consecutive lines of its own: 64 bytes of lines against one run.
  static constexpr std::uint32_t kSplitConsecutive = 16;

  // The run holding list index `index` (below size()).
  std::size_t FindRun(std::size_t index) const noexcept;
  // The line of the record at list index `index`, which run `run` holds.
  std::uint32_t LineAt(std::size_t run, std::size_t index) const noexcept;
  TLogRecord Read(std::size_t run, std::size_t index) const noexcept {
    return TLogRecord(runs_[run].block, LineAt(run, index));
  }
  void Append(const TLogRecord& record);
  void AppendLine(std::uint32_t line);

  std::vector<TRun> runs_;
  std::vector<std::uint32_t> lines_;
  std::size_t size_ = 0;
  std::uint32_t consecutiveTail_ = 0;  // consecutive lines ending lines_, in the last run
  TWriteAhead linesAhead_;
};

// Reads the records in order.
class TLogList::const_iterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = TLogRecord;
  using difference_type = std::ptrdiff_t;
  using pointer = void;
  using reference = TLogRecord;

  const_iterator() = default;
  TLogRecord operator*() const noexcept { return list_->Read(run_, index_); }
  const_iterator& operator++() noexcept {
    if (++index_ == list_->runs_[run_].end) ++run_;
    return *this;
  }
  const_iterator operator++(int) noexcept {
    const_iterator before = *this;
    ++*this;
    return before;
  }
  friend bool operator==(const const_iterator& a, const const_iterator& b) noexcept {
    return a.index_ == b.index_;
  }

 private:
  friend class TLogList;
  const_iterator(const TLogList* list, std::size_t run, std::size_t index) noexcept
      : list_(list), run_(run), index_(index) {}

  const TLogList* list_ = nullptr;
  std::size_t run_ = 0;
  std::size_t index_ = 0;
};

inline TLogList::const_iterator TLogList::begin() const noexcept {
  return const_iterator(this, 0, 0);
}
inline TLogList::const_iterator TLogList::end() const noexcept {
  return const_iterator(this, runs_.size(), size_);
}

}  // namespace core
