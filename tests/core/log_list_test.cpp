#include "core/log_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/record_block.h"

namespace {

using core::TBlockRef;
using core::TLogList;
using core::TLogRecord;

// A registered block of `lines` lines; every field of line i reads "<name>:<i>".
TBlockRef BlockOf(const std::string& name, std::uint32_t lines) {
  core::TRecordBlockBuilder builder(std::size_t{lines} * core::kStoredFieldCount * 16 + 64, lines);
  for (std::uint32_t i = 0; i < lines; ++i) {
    const std::string text = name + ":" + std::to_string(i);
    char* out = builder.LineStart(builder.FreeBytes());
    core::TRecordBlockBuilder::TFieldEnds ends;
    for (std::size_t field = 0; field < ends.size(); ++field) {
      std::memcpy(out + field * text.size(), text.data(), text.size());
      ends[field] = static_cast<std::uint32_t>((field + 1) * text.size());
    }
    builder.CommitLine(ends);
  }
  return builder.Finish();
}

std::string Name(const TLogRecord& record) {
  return std::string(record.Account());
}

// Every way of reading the list gives `expected`, record by record.
void ExpectReads(const TLogList& list, const std::vector<TLogRecord>& expected) {
  ASSERT_EQ(list.size(), expected.size());
  ASSERT_EQ(list.empty(), expected.empty());
  std::vector<std::string> names;
  for (const TLogRecord& record : expected)
    names.push_back(Name(record));
  std::vector<std::string> iterated;
  for (const TLogRecord record : list)
    iterated.push_back(Name(record));
  EXPECT_EQ(iterated, names);
  TLogList::TCursor cursor(list);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(Name(list[i]), names[i]) << "index " << i;
    ASSERT_EQ(Name(cursor.At(i)), names[i]) << "cursor, index " << i;
  }
  // Backwards and jumping: the cursor searches again.
  TLogList::TCursor jumping(list);
  for (std::size_t i = expected.size(); i-- > 0;) {
    ASSERT_EQ(Name(jumping.At(i)), names[i]) << "backwards, index " << i;
    ASSERT_EQ(Name(jumping.At(expected.size() - 1 - i)), names[expected.size() - 1 - i]);
  }
  if (!expected.empty()) {
    EXPECT_EQ(Name(list.front()), names.front());
    EXPECT_EQ(Name(list.back()), names.back());
  }
}

struct TAppendCase {
  const char* name;
  // Pairs of (block number, line) to append; block number -1 is a record with no block.
  std::vector<std::pair<int, std::uint32_t>> records;
};

std::vector<std::pair<int, std::uint32_t>> Lines(int block, std::uint32_t from, std::uint32_t to,
                                                 std::uint32_t step = 1) {
  std::vector<std::pair<int, std::uint32_t>> lines;
  for (std::uint32_t line = from; line < to; line += step)
    lines.emplace_back(block, line);
  return lines;
}

std::vector<std::pair<int, std::uint32_t>> Join(
    std::initializer_list<std::vector<std::pair<int, std::uint32_t>>> parts) {
  std::vector<std::pair<int, std::uint32_t>> joined;
  for (const auto& part : parts)
    joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

TEST(TLogList, ReadsBackWhatWasAppendedInEveryPattern) {
  const std::vector<TBlockRef> blocks = {BlockOf("a", 200), BlockOf("b", 200), BlockOf("c", 5)};
  const std::vector<TAppendCase> cases = {
      {"empty", {}},
      {"one record", {{0, 7}}},
      {"every line of three blocks", Join({Lines(0, 0, 200), Lines(1, 0, 200), Lines(2, 0, 5)})},
      {"lines from the middle of a block", Lines(0, 50, 120)},
      {"every other line", Lines(0, 0, 200, 2)},
      {"scattered, then a long stretch, then scattered",
       Join({Lines(0, 0, 10, 3), Lines(0, 10, 60), Lines(0, 61, 90, 4), Lines(0, 90, 106),
             Lines(0, 110, 125)})},
      {"a stretch just shorter than a run of its own", Join({Lines(0, 0, 6, 5), Lines(0, 6, 21)})},
      {"the same record over and over", std::vector<std::pair<int, std::uint32_t>>(40, {1, 3})},
      {"lines going backwards", {{0, 9}, {0, 8}, {0, 7}, {0, 3}, {0, 4}, {0, 5}}},
      {"blocks taking turns", {{0, 1}, {1, 1}, {0, 2}, {1, 2}, {2, 0}, {0, 3}}},
      {"an earlier block again", Join({Lines(0, 0, 30), Lines(1, 0, 30), Lines(0, 30, 60)})},
      {"records with no block among others",
       {{-1, 0}, {0, 1}, {-1, 0}, {-1, 0}, {0, 2}, {0, 3}, {-1, 0}}},
  };
  for (const TAppendCase& test : cases) {
    SCOPED_TRACE(test.name);
    TLogList list;
    std::vector<TLogRecord> expected;
    for (const auto& [block, line] : test.records) {
      const TLogRecord record =
          block < 0 ? TLogRecord() : TLogRecord(blocks[static_cast<std::size_t>(block)], line);
      list.push_back(record);
      expected.push_back(record);
    }
    ExpectReads(list, expected);
    TLogList copy = list;
    ExpectReads(copy, expected);
    EXPECT_TRUE(copy == list);
  }
}

// A whole block appended at once reads back as its lines appended one by one, whatever the list
// ends with.
TEST(TLogList, AppendingABlockEqualsAppendingItsLines) {
  const std::vector<TBlockRef> blocks = {BlockOf("a", 70), BlockOf("b", 1), BlockOf("c", 9)};
  struct Case {
    const char* name;
    std::vector<std::pair<int, std::uint32_t>> before;  // records first, as in the table above
    std::vector<int> appended;                          // then these blocks whole
  };
  const std::vector<Case> cases = {
      {"blocks one after another", {}, {0, 1, 2}},
      {"after scattered lines of the same block", Lines(0, 0, 20, 3), {0}},
      {"after the block's first line alone", {{2, 0}}, {2}},
      {"the same block twice", {}, {2, 2, 0}},
      {"after a record with no block", {{-1, 0}}, {1, 0}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    TLogList list;
    std::vector<TLogRecord> expected;
    for (const auto& [block, line] : test.before) {
      const TLogRecord record =
          block < 0 ? TLogRecord() : TLogRecord(blocks[static_cast<std::size_t>(block)], line);
      list.push_back(record);
      expected.push_back(record);
    }
    for (const int block : test.appended) {
      const TBlockRef& ref = blocks[static_cast<std::size_t>(block)];
      list.AppendBlock(ref);
      for (std::uint32_t line = 0; line < ref->LineCount(); ++line)
        expected.emplace_back(ref, line);
    }
    ExpectReads(list, expected);
  }
}

TEST(TLogList, ReadsBackARandomMixOfStretchesJumpsAndBlocks) {
  std::vector<TBlockRef> blocks;
  for (int i = 0; i < 4; ++i)
    blocks.push_back(BlockOf(std::string(1, static_cast<char>('k' + i)), 3000));
  std::mt19937 engine(12345);
  const auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
  TLogList list;
  std::vector<TLogRecord> expected;
  std::size_t block = 0;
  std::uint32_t line = 0;
  for (int i = 0; i < 20000; ++i) {
    const unsigned choice = random() % 100;
    if (choice < 60) {
      ++line;  // the next line
    } else if (choice < 85) {
      line += 2 + random() % 7;  // a few lines on
    } else if (choice < 90) {
      line = static_cast<std::uint32_t>(random() % 3000);  // anywhere
    } else if (choice < 95) {
      block = random() % blocks.size();  // another block
    }                                    // else the same record again
    line %= 3000;
    const TLogRecord record(blocks[block], line);
    list.push_back(record);
    expected.push_back(record);
  }
  ExpectReads(list, expected);
}

TEST(TLogList, ClearEmptiesAndTheListFillsAgain) {
  const TBlockRef block = BlockOf("a", 10);
  TLogList list;
  for (std::uint32_t line = 0; line < 10; line += 3)
    list.push_back(TLogRecord(block, line));
  list.clear();
  ExpectReads(list, {});
  list.push_back(TLogRecord(block, 4));
  list.push_back(TLogRecord(block, 5));
  ExpectReads(list, {TLogRecord(block, 4), TLogRecord(block, 5)});
}

TEST(TLogList, ComparesRecordByRecord) {
  const TBlockRef block = BlockOf("a", 4);
  const TBlockRef same = BlockOf("a", 4);  // the same texts in another block
  const TLogList list = {TLogRecord(block, 0), TLogRecord(block, 1), TLogRecord(block, 3)};
  EXPECT_TRUE(list == (TLogList{TLogRecord(same, 0), TLogRecord(same, 1), TLogRecord(same, 3)}));
  EXPECT_FALSE(list == (TLogList{TLogRecord(block, 0), TLogRecord(block, 1)}));
  EXPECT_FALSE(list ==
               (TLogList{TLogRecord(block, 0), TLogRecord(block, 3), TLogRecord(block, 1)}));
  EXPECT_TRUE(TLogList() == TLogList());
}

TEST(TLogList, KeepsItsBlocksAliveAndRecordsReadOutliveIt) {
  const std::size_t before = core::TBlockRegistry::LiveBlocks();
  TLogRecord kept;
  {
    TLogList list;
    {
      const TBlockRef block = BlockOf("a", 3);
      list.push_back(TLogRecord(block, 0));
      list.push_back(TLogRecord(block, 2));
    }
    EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), before + 1);
    EXPECT_EQ(Name(list[1]), "a:2");
    kept = list[1];
  }
  EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), before + 1);
  EXPECT_EQ(Name(kept), "a:2");
  kept = TLogRecord();
  EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), before);
}

TEST(TLogList, ACursorReadsRightAfterItsListWasReplaced) {
  const TBlockRef first = BlockOf("a", 100);
  const TBlockRef second = BlockOf("b", 100);
  TLogList list;
  for (std::uint32_t line = 0; line < 100; ++line)
    list.push_back(TLogRecord(first, line));
  TLogList::TCursor cursor(list);
  EXPECT_EQ(Name(cursor.At(80)), "a:80");
  list = TLogList{TLogRecord(second, 5), TLogRecord(second, 9), TLogRecord(first, 1)};
  EXPECT_EQ(Name(cursor.At(2)), "a:1");
  EXPECT_EQ(Name(cursor.At(0)), "b:5");
  EXPECT_EQ(Name(cursor.At(1)), "b:9");
}

}  // namespace
