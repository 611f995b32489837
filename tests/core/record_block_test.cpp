#include "core/record_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using core::kStoredFieldCount;

// The stored fields of a line `length` bytes long: the length spread over the fourteen fields,
// each a run of one letter that differs from line to line and from field to field.
std::vector<std::string> FieldsOfLine(std::size_t line, std::size_t length) {
  std::vector<std::string> fields;
  for (std::size_t field = 0; field < kStoredFieldCount; ++field) {
    const std::size_t size = field + 1 < kStoredFieldCount
                                 ? length / kStoredFieldCount
                                 : length - (kStoredFieldCount - 1) * (length / kStoredFieldCount);
    fields.emplace_back(size, static_cast<char>('a' + (line * 7 + field) % 26));
  }
  return fields;
}

TEST(TRecordBlock, EveryLineReadsBackWhateverTheLinesBeforeItAndTheBlocksRoom) {
  struct Case {
    const char* name;
    std::vector<std::size_t> lengths;  // of each line, in bytes
  };
  std::vector<Case> cases = {
      {"short lines over several groups", {}},
      {"lengths at the compact limit", {}},
      {"a long line, then short lines in its group", {70'000}},
      {"long lines throughout: offsets beyond 16 bits within groups", {}},
      {"empty lines", std::vector<std::size_t>(150, 0)},
  };
  for (std::size_t i = 0; i < 300; ++i)
    cases[0].lengths.push_back(14 + i % 67);
  for (std::size_t i = 0; i < 200; ++i)
    cases[1].lengths.push_back(253 + i % 4);
  for (std::size_t i = 0; i < 200; ++i)
    cases[2].lengths.push_back(20 + i % 3);
  for (std::size_t i = 0; i < 400; ++i)
    cases[3].lengths.push_back(i % 10 == 3 ? 20'000 : 100 + i % 150);

  for (const Case& c : cases) {
    std::size_t total = 0;
    for (const std::size_t length : c.lengths)
      total += length;
    // Room exactly for the lines, and the room a block is made with for the worst growth of its
    // bytes, which a small block gives back when built.
    for (const std::size_t capacity : {total, total * 3 + 8192}) {
      SCOPED_TRACE(std::string(c.name) + ", room for " + std::to_string(capacity) + " bytes");
      core::TRecordBlockBuilder builder(capacity, c.lengths.size());
      for (std::size_t line = 0; line < c.lengths.size(); ++line) {
        char* const start = builder.LineStart(builder.FreeBytes());
        char* out = start;
        core::TRecordBlockBuilder::TFieldEnds ends;
        const std::vector<std::string> fields = FieldsOfLine(line, c.lengths[line]);
        for (std::size_t field = 0; field < kStoredFieldCount; ++field) {
          std::memcpy(out, fields[field].data(), fields[field].size());
          out += fields[field].size();
          ends[field] = static_cast<std::uint32_t>(out - start);
        }
        builder.CommitLine(ends);
      }
      const core::TBlockRef block = builder.Finish();
      ASSERT_EQ(block->LineCount(), c.lengths.size());
      for (std::uint32_t line = 0; line < block->LineCount(); ++line) {
        const core::TFieldSpans spans = block->Line(line);
        const std::vector<std::string> fields = FieldsOfLine(line, c.lengths[line]);
        for (std::size_t field = 0; field < kStoredFieldCount; ++field) {
          ASSERT_EQ(spans.Field(field), fields[field]) << "line " << line << ", field " << field;
        }
      }
    }
  }
}

}  // namespace
