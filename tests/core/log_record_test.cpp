#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/form_state.h"
#include "core/log_record.h"
#include "support/fake_window.h"

namespace {

using core::ParseLogLine;
using core::TLogField;
using core::TLogRecord;
using korlo_test::U8;

// "p0\tp1\t...\tp<n-1>": every part names its own number, so a field shows where it came from.
std::u16string NumberedLine(int parts) {
  std::u16string line;
  for (int i = 0; i < parts; ++i) {
    if (i > 0) line += u'\t';
    const std::string name = "p" + std::to_string(i);
    line.append(name.begin(), name.end());
  }
  return line;
}

// The fields of a record in declaration order, as "Account=p1 CharName=p3 ...".
std::string Describe(const TLogRecord& record) {
  static const char* const kNames[] = {"Account",  "CharName", "ItemSerial", "ItemID",  "ItemName",
                                       "Relation", "MapCode",  "PosX",       "PosY",    "Level",
                                       "Param1",   "Param2",   "Remark",     "LogTime", "Action"};
  std::string text;
  for (std::size_t f = 0; f < core::kLogFieldCount; ++f) {
    if (!text.empty()) text += ' ';
    text += std::string(kNames[f]) + "=" + U8(record.Field(static_cast<TLogField>(f)));
  }
  return text;
}

const std::string kAllParts =
    "Account=p1 CharName=p3 ItemSerial=p9 ItemID=p10 ItemName=p11 Relation=p14 MapCode=p5 "
    "PosX=p6 PosY=p7 Level=p8 Param1=p12 Param2=p13 Remark=p15 LogTime=p16 Action=p16";

TEST(ParseLogLine, FillsEachFieldFromItsPartAndLeavesMissingPartsEmpty) {
  struct Case {
    const char* name;
    int parts;
    std::string expected;
  };
  const Case cases[] = {
      {"one part: every field empty", 1,
       "Account= CharName= ItemSerial= ItemID= ItemName= Relation= MapCode= PosX= PosY= Level= "
       "Param1= Param2= Remark= LogTime= Action="},
      {"seventeen parts: every field", 17, kAllParts},
      {"thirty parts: same as the first seventeen", 30, kAllParts},
      {"sixteen parts: no LogTime", 16,
       "Account=p1 CharName=p3 ItemSerial=p9 ItemID=p10 ItemName=p11 Relation=p14 MapCode=p5 "
       "PosX=p6 PosY=p7 Level=p8 Param1=p12 Param2=p13 Remark=p15 LogTime= Action="},
      {"fifteen parts: no Remark either", 15,
       "Account=p1 CharName=p3 ItemSerial=p9 ItemID=p10 ItemName=p11 Relation=p14 MapCode=p5 "
       "PosX=p6 PosY=p7 Level=p8 Param1=p12 Param2=p13 Remark= LogTime= Action="},
      {"four parts", 4,
       "Account=p1 CharName=p3 ItemSerial= ItemID= ItemName= Relation= MapCode= PosX= PosY= "
       "Level= Param1= Param2= Remark= LogTime= Action="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Describe(ParseLogLine(NumberedLine(c.parts))), c.expected);
  }
}

TEST(ParseLogLine, KeepsEmptyPartsAndEveryOtherCharacterAsItIs) {
  // Part 14 empty, part 15 not; quotes, commas, spaces and leading zeros survive.
  const TLogRecord record = ParseLogLine(
      u"0\t\"acc, 1\"\t2\t 名字 \t4\t0050\t007\t7\t8\t9\t10\t11\t12\t13\t\t备注\t2024-03-01 拾取");
  EXPECT_EQ(U8(record.Account()), "\"acc, 1\"");
  EXPECT_EQ(U8(record.CharName()), " 名字 ");
  EXPECT_EQ(U8(record.MapCode()), "0050");
  EXPECT_EQ(U8(record.PosX()), "007");
  EXPECT_EQ(U8(record.Relation()), "");
  EXPECT_EQ(U8(record.Remark()), "备注");
  EXPECT_EQ(U8(record.LogTime()), "2024-03-01 拾取");
  EXPECT_EQ(record.Action(), record.LogTime());
}

TEST(ParseLogLine, StoresWellFormedUtf8FromUtf8OrUtf16Lines) {
  struct Case {
    const char* name;
    TLogRecord record;
    std::string account;  // bytes
  };
  const Case cases[] = {
      {"UTF-8 as it is", ParseLogLine("0\t\xE5\x90\x8D\xE5\xAD\x97!"), "\xE5\x90\x8D\xE5\xAD\x97!"},
      {"UTF-16 converted", ParseLogLine(u"0\t名字!"), "\xE5\x90\x8D\xE5\xAD\x97!"},
      {"UTF-16 surrogate pair", ParseLogLine(u"0\tA\U0001F600"), "A\xF0\x9F\x98\x80"},
      {"UTF-16 lone surrogate", ParseLogLine(u"0\tA\xD83D"), "A\xEF\xBF\xBD"},
      {"UTF-8 truncated sequence", ParseLogLine("0\t\xE5\xB8z"), "\xEF\xBF\xBDz"},
      {"UTF-8 stray byte", ParseLogLine("0\t\xFF"), "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.record.Account(), c.account);
  }
}

TEST(ParseLogLine, AdjacentAndTrailingTabsMakeEmptyParts) {
  // "\t\t" after part 0 makes parts 1 and 2 empty; a final TAB adds an empty last part.
  const TLogRecord record = ParseLogLine(u"x\t\t\tname\t");
  EXPECT_EQ(U8(record.Account()), "");
  EXPECT_EQ(U8(record.CharName()), "name");
  EXPECT_EQ(U8(record.MapCode()), "");
}

TEST(ParseLogLine, HandlesLinesLongerThanTheCompactLayout) {
  // Lines whose fields total more bytes than the compact bookkeeping can count (255) are stored
  // in the wide layout; across the limit and far beyond it they must read the same. A remark of
  // ASCII letters crosses it at about 225 characters, one of Chinese ones (three bytes each) at
  // about 75.
  struct Remarks {
    char16_t character;
    std::vector<std::size_t> lengths;
  };
  Remarks remarks[] = {{u'r', {}}, {u'备', {}}};
  for (std::size_t length = 200; length <= 300; ++length) {
    remarks[0].lengths.push_back(length);
    remarks[1].lengths.push_back(length);
  }
  for (std::size_t length = 60; length <= 100; ++length)
    remarks[1].lengths.push_back(length);
  remarks[1].lengths.push_back(70'000);
  for (const Remarks& remark : remarks) {
    for (const std::size_t remarkLength : remark.lengths) {
      SCOPED_TRACE(testing::Message()
                   << U8(std::u16string(1, remark.character)) << " " << remarkLength);
      const std::u16string longRemark(remarkLength, remark.character);
      std::u16string line = NumberedLine(15) + u'\t' + longRemark + u"\ttime";
      const TLogRecord record = ParseLogLine(line);
      ASSERT_EQ(record.Remark(), U8(longRemark));
      ASSERT_EQ(U8(record.LogTime()), "time");
      ASSERT_EQ(U8(record.Relation()), "p14");
      ASSERT_EQ(U8(record.Account()), "p1");
      ASSERT_EQ(U8(record.Param2()), "p13");
    }
  }
}

TEST(TLogRecord, CopiesStayValidAfterTheirSourceListIsGone) {
  core::TLogList copies;
  {
    core::TLogList source;
    for (int i = 0; i < 3; ++i)
      source.push_back(ParseLogLine(NumberedLine(17)));
    copies.push_back(source[1]);
    TLogRecord assigned;
    assigned = source[2];
    copies.push_back(std::move(assigned));
  }
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(Describe(copies[0]), kAllParts);
  EXPECT_EQ(Describe(copies[1]), kAllParts);
  EXPECT_TRUE(copies[0] == copies[1]);
  EXPECT_FALSE(copies[0] == TLogRecord());
}

TEST(TLogRecord, IsABlockIndexAndALine) {
  EXPECT_EQ(sizeof(TLogRecord), 8u);
  EXPECT_EQ(sizeof(core::TLogList::value_type), 8u);
}

TEST(TBlockRegistry, FreesABlockWithItsLastRecordAndGivesItsSlotToTheNext) {
  const std::size_t before = core::TBlockRegistry::LiveBlocks();
  {
    TLogRecord first = ParseLogLine(NumberedLine(17));
    const TLogRecord copy = first;
    EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), before + 1);
    first = TLogRecord();
    EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), before + 1);
    EXPECT_EQ(Describe(copy), kAllParts);
  }
  EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), before);
  // Many records made and dropped one after another never hold more than one block.
  for (int i = 0; i < 1000; ++i) {
    const TLogRecord record = ParseLogLine(NumberedLine(17));
    ASSERT_EQ(core::TBlockRegistry::LiveBlocks(), before + 1);
  }
  EXPECT_EQ(core::TBlockRegistry::LiveBlocks(), before);
}

TEST(TBlockRegistry, RecordsOfManyBlocksReadTheirOwnTextsWhileTheTableGrows) {
  // More blocks than the table starts with, some dropped on the way so that slots are reused
  // between the ones that stay.
  std::vector<TLogRecord> kept;
  std::vector<std::string> accounts;
  for (int i = 0; i < 1000; ++i) {
    const std::string account = "acc" + std::to_string(i);
    const TLogRecord record = ParseLogLine("0\t" + account);
    if (i % 3 == 0) continue;  // dropped: its slot goes to the next block
    kept.push_back(record);
    accounts.push_back(account);
  }
  for (std::size_t i = 0; i < kept.size(); ++i) {
    ASSERT_EQ(kept[i].Account(), accounts[i]) << i;
  }
}

TEST(GridColumns, ShowTheFieldsOfTheirHeaders) {
  // Row number first, then each header over the part it is filled from.
  const TLogRecord record = ParseLogLine(NumberedLine(17));
  const std::pair<const char*, const char*> expected[] = {
      {"序号", ""},      {"帐号", "p1"},      {"角色名", "p3"}, {"地图代码", "p5"},
      {"坐标X", "p6"},   {"坐标Y", "p7"},     {"等级", "p8"},   {"物品流水号", "p9"},
      {"物品ID", "p10"}, {"物品名称", "p11"}, {"参数1", "p12"}, {"参数2", "p13"},
      {"关联", "p14"},   {"记录时间", "p16"}, {"备注", "p15"},
  };
  ASSERT_EQ(core::GRID_HEADERS.size(), std::size(expected));
  for (std::size_t column = 0; column < core::GRID_HEADERS.size(); ++column) {
    const core::TGridColumn& grid = core::GRID_HEADERS[column];
    SCOPED_TRACE(expected[column].first);
    EXPECT_EQ(U8(grid.header), expected[column].first);
    EXPECT_EQ(grid.field ? U8(record.Field(*grid.field)) : "", expected[column].second);
  }
}

TEST(SearchableColumns, AreTheFirstSixFieldsByName) {
  const TLogRecord record = ParseLogLine(NumberedLine(17));
  const std::pair<const char*, const char*> expected[] = {
      {"帐号", "p1"},    {"角色名", "p3"},    {"物品流水号", "p9"},
      {"物品ID", "p10"}, {"物品名称", "p11"}, {"关联", "p14"},
  };
  for (std::size_t i = 0; i < core::SEARCHABLE_COLUMNS.size(); ++i) {
    SCOPED_TRACE(expected[i].first);
    EXPECT_EQ(U8(core::SEARCHABLE_COLUMNS[i].name), expected[i].first);
    EXPECT_EQ(U8(record.Field(core::SEARCHABLE_COLUMNS[i].field)), expected[i].second);
    EXPECT_EQ(static_cast<std::size_t>(core::SEARCHABLE_COLUMNS[i].field), i);
  }
}

}  // namespace
