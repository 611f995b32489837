#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "core/write_ahead.h"

namespace core {

// The fourteen fields a record stores, `Account` to `LogTime` in declaration order (`Action`
// reads `LogTime`).
inline constexpr std::size_t kStoredFieldCount = 14;

// How many readable bytes follow every field of a record: the line's later fields, later lines,
// or the slack a block keeps after its text (a record with no block has only empty fields, on
// as many readable bytes). Searches may read whole vectors past a field's end.
inline constexpr std::size_t kFieldReadSlack = 15;

// The stored fields of one line: one run of UTF-8 text holding the fields one after another, and
// the offset where each ends; each field is followed by kFieldReadSlack readable bytes.
class TFieldSpans {
 public:
  TFieldSpans(const char* text, const std::uint8_t* narrowEnds,
              const std::uint32_t* wideEnds) noexcept
      : text_(text), narrowEnds_(narrowEnds), wideEnds_(wideEnds) {}

  // Offset, from the start of the run, where stored field `index` ends.
  std::size_t End(std::size_t index) const noexcept {
    return narrowEnds_ != nullptr ? narrowEnds_[index] : wideEnds_[index];
  }
  std::size_t Begin(std::size_t index) const noexcept { return index == 0 ? 0 : End(index - 1); }
  std::string_view Field(std::size_t index) const noexcept {
    return {text_ + Begin(index), End(index) - Begin(index)};
  }
  // The run holding stored fields 0 to `count` - 1.
  std::string_view Run(std::size_t count) const noexcept {
    return {text_, count == 0 ? 0 : End(count - 1)};
  }

 private:
  const char* text_;
  const std::uint8_t* narrowEnds_;
  const std::uint32_t* wideEnds_;
};

// An immutable store of the field texts of many lines, as well-formed UTF-8, kept in the block
// registry while records refer to it. Lines whose fields total fewer than 255 bytes (nearly all:
// a log line's fields run to about 75 characters, a Chinese one three bytes) cost 16 bytes of
// bookkeeping; longer ones are also kept in a side table.
class TRecordBlock {
 public:
  std::uint32_t LineCount() const noexcept { return static_cast<std::uint32_t>(lines_.size()); }
  TFieldSpans Line(std::uint32_t line) const noexcept;

 private:
  friend class TRecordBlockBuilder;
  TRecordBlock() = default;

  static constexpr std::uint8_t kWideMark = 0xFF;
  // Lines come in groups of kGroupLines: a line's text starts at its group's base (where the
  // group's first line starts in text_) plus the line's own 16-bit offset. A line of fewer than
  // 255 bytes whose offset does not fit (the group holds long lines before it) is kept as a wide
  // line.
  static constexpr std::uint32_t kGroupLines = 64;
  struct TLineEntry {
    std::uint16_t offset;                 // from the group's base; unused for a wide line
    std::uint8_t end[kStoredFieldCount];  // end[13] == kWideMark marks a wide line, whose index
                                          // in wide_ end[0..3] then hold
  };
  static_assert(sizeof(TLineEntry) == 16, "a line costs 16 bytes of bookkeeping");
  struct TWideLine {
    std::uint32_t start;
    std::uint32_t end[kStoredFieldCount];
  };

  std::unique_ptr<char[]> text_;
  std::vector<TLineEntry> lines_;
  std::vector<std::uint32_t> groupBases_;  // one a group of kGroupLines lines
  std::vector<TWideLine> wide_;
};

// The process-wide table of the record blocks that records refer to, so that a record names its
// block by a 32-bit index instead of a pointer. Each slot counts the references to its block
// (TBlockRef, and so every record, in any list or on its own); the block is freed, and its slot
// taken again by a later block, when the last reference goes. A block therefore lives exactly as
// long as some record of it: the result list and the grid's copy keep theirs after the next load
// replaces the list of all records. Single-threaded, like the records: blocks are registered,
// referenced and released on one thread. The table itself is never freed, so records that outlive
// main (static ones) stay safe.
class TBlockRegistry {
 public:
  static constexpr std::uint32_t kNoBlock = 0xFFFF'FFFFu;

  // Takes `block` into a free slot with no reference yet and returns its index. Throws
  // std::length_error when every index below kNoBlock is taken.
  static std::uint32_t Register(std::unique_ptr<const TRecordBlock> block);

  static const TRecordBlock& Block(std::uint32_t index) noexcept { return *slots_[index].block; }
  static void AddRef(std::uint32_t index) noexcept { ++slots_[index].refs; }
  static void Release(std::uint32_t index) noexcept {
    if (--slots_[index].refs == 0) Free(index);
  }

  // Slots holding a block; for tests.
  static std::size_t LiveBlocks() noexcept { return live_; }

 private:
  struct TSlot {
    const TRecordBlock* block;  // null in a free slot
    std::size_t refs;           // in a free slot: the index of the next free slot, or kNoBlock
  };

  static void Free(std::uint32_t index) noexcept;

  static inline TSlot* slots_ = nullptr;
  static inline std::uint32_t used_ = 0;      // slots ever handed out
  static inline std::uint32_t capacity_ = 0;  // slots allocated
  static inline std::uint32_t firstFree_ = kNoBlock;
  static inline std::size_t live_ = 0;
};

// An owning handle to a registered block: copying it counts one more reference.
class TBlockRef {
 public:
  TBlockRef() = default;
  // Refers to the block in slot `index` (or to none, for kNoBlock).
  explicit TBlockRef(std::uint32_t index) noexcept : index_(index) {
    if (index_ != TBlockRegistry::kNoBlock) TBlockRegistry::AddRef(index_);
  }
  TBlockRef(const TBlockRef& other) noexcept : TBlockRef(other.index_) {}
  TBlockRef(TBlockRef&& other) noexcept
      : index_(std::exchange(other.index_, TBlockRegistry::kNoBlock)) {}
  TBlockRef& operator=(TBlockRef other) noexcept {
    std::swap(index_, other.index_);
    return *this;
  }
  ~TBlockRef() {
    if (index_ != TBlockRegistry::kNoBlock) TBlockRegistry::Release(index_);
  }

  const TRecordBlock* operator->() const noexcept { return &TBlockRegistry::Block(index_); }
  explicit operator bool() const noexcept { return index_ != TBlockRegistry::kNoBlock; }
  // The block's slot in the registry; kNoBlock for none. Two references name one block exactly
  // when their indexes are equal.
  std::uint32_t Index() const noexcept { return index_; }

 private:
  std::uint32_t index_ = TBlockRegistry::kNoBlock;
};

// Fills one block, line by line:
//   char* start = builder.LineStart(rest);
//   write the stored fields one after another from start as UTF-8, noting where each ends;
//   builder.CommitLine(ends);
// The caller keeps every line within FreeBytes() (checked before LineStart); a line's writer
// may also scribble up to kWriteSlack bytes past the line's end.
class TRecordBlockBuilder {
 public:
  // The largest text one block can hold: offsets are 32-bit.
  static constexpr std::size_t kMaxTextBytes = 0xFFFF'FFFFu;
  // Blocks made for fewer bytes than this give back their unused room when built, when it is
  // more than kShrinkSlackBytes (larger ones leave it untouched, which costs no memory).
  static constexpr std::size_t kShrinkBelowBytes = 1024 * 1024;
  static constexpr std::size_t kShrinkSlackBytes = 1024;
  static constexpr std::size_t kWriteSlack = 16;
  static_assert(kWriteSlack >= kFieldReadSlack);
  // Where each stored field of a line ends, in bytes from the line's start.
  using TFieldEnds = std::array<std::uint32_t, kStoredFieldCount>;

  // Room for `textCapacity` bytes of field text (at most kMaxTextBytes) and about `lineHint`
  // lines. Untouched capacity costs address space, not memory.
  TRecordBlockBuilder(std::size_t textCapacity, std::size_t lineHint);

  std::size_t FreeBytes() const noexcept { return capacity_ - used_; }
  // Where the next line's text goes. `restBytes` is about what this line and the block's later
  // lines will write (the input left to read is a fair measure): memory is backed ahead of the
  // writes no further than that, so that a finished block holds next to no backed memory it does
  // not use. Writing beyond it, within FreeBytes(), is allowed and costs page faults.
  char* LineStart(std::size_t restBytes) noexcept {
    char* text = block_->text_.get();
    textAhead_.Reach(text, used_, used_ + std::min(restBytes, capacity_ - used_) + kWriteSlack);
    return text + used_;
  }
  void CommitLine(const TFieldEnds& ends);
  std::uint32_t LineCount() const noexcept { return block_->LineCount(); }

  // The finished block, registered; the builder is empty afterwards. Only on the thread that
  // owns the registry.
  TBlockRef Finish();
  // The finished block, not registered: a block built on another thread goes to the registry's
  // thread this way. The builder is empty afterwards.
  std::unique_ptr<const TRecordBlock> Build();

 private:
  std::unique_ptr<TRecordBlock> block_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  TWriteAhead textAhead_;
  TWriteAhead linesAhead_;
};

}  // namespace core
