#include "core/value_counts.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/record_sort.h"

namespace core {

namespace {

// The distinct values of a column and their tallies, in an open-addressing hash table: one pass
// over the records, each value looked up once, the texts left where they are in the blocks.
class TValueTally {
 public:
  void Add(std::string_view value) {
    if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
    const std::uint64_t hash = Hash(value);
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      TSlot& slot = slots_[i];
      if (slot.count == 0) {
        slot = {value.data(), static_cast<std::uint32_t>(value.size()), 1, hash};
        ++used_;
        return;
      }
      if (slot.hash == hash && slot.Text() == value) {
        ++slot.count;
        return;
      }
    }
  }

  // The values and their tallies, in no particular order.
  void Collect(std::vector<std::string_view>& values, std::vector<std::int64_t>& counts) const {
    values.reserve(used_);
    counts.reserve(used_);
    for (const TSlot& slot : slots_) {
      if (slot.count == 0) continue;
      values.push_back(slot.Text());
      counts.push_back(slot.count);
    }
  }

 private:
  struct TSlot {
    const char* text = nullptr;
    std::uint32_t size = 0;
    std::uint32_t count = 0;  // 0: the slot is free (a value present is held at least once)
    std::uint64_t hash = 0;
    std::string_view Text() const noexcept { return {text, size}; }
  };

  // FNV-1a over the bytes, eight at a time, then mixed so that the low bits (the slot) depend on
  // every byte.
  static std::uint64_t Hash(std::string_view value) noexcept {
    std::uint64_t hash = 0xcbf29ce484222325ull ^ value.size();
    std::size_t i = 0;
    for (; i + 8 <= value.size(); i += 8) {
      std::uint64_t word;
      std::memcpy(&word, value.data() + i, 8);
      hash = (hash ^ word) * 0x100000001b3ull;
    }
    for (; i < value.size(); ++i)
      hash = (hash ^ static_cast<unsigned char>(value[i])) * 0x100000001b3ull;
    hash ^= hash >> 32;
    hash *= 0xd6e8feb86659fd93ull;
    return hash ^ (hash >> 32);
  }

  void Grow() {
    std::vector<TSlot> old = std::move(slots_);
    slots_.assign(std::max<std::size_t>(old.size() * 2, 1024), TSlot{});
    mask_ = slots_.size() - 1;
    for (const TSlot& slot : old) {
      if (slot.count == 0) continue;
      std::size_t i = slot.hash & mask_;
      while (slots_[i].count != 0)
        i = (i + 1) & mask_;
      slots_[i] = slot;
    }
  }

  std::vector<TSlot> slots_;
  std::size_t mask_ = 0;
  std::size_t used_ = 0;
};

}  // namespace

std::vector<TValueCount> CountValues(const TLogList& records, TLogField field) {
  TValueTally tally;
  TLogList::TCursor cursor(records);
  // The cursor's record changes with every read; its field stays in the block, which the list
  // keeps alive until the table holds copies.
  for (std::size_t i = 0; i < records.size(); ++i)
    tally.Add(cursor.At(i).Field(field));
  std::vector<std::string_view> values;
  std::vector<std::int64_t> counts;
  tally.Collect(values, counts);
  // The values in the grid's order, then by count: the stable sort keeps the values' order among
  // equal counts.
  std::vector<std::uint32_t> order = OrderOfValues(values);
  std::stable_sort(order.begin(), order.end(),
                   [&counts](std::uint32_t a, std::uint32_t b) { return counts[a] > counts[b]; });
  std::vector<TValueCount> table;
  table.reserve(order.size());
  for (const std::uint32_t place : order)
    table.push_back({std::string(values[place]), counts[place]});
  return table;
}

}  // namespace core
