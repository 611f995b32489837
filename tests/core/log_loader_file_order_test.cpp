// The order of a day's records does not depend on the platform or on the order the files were
// made in: a day folder's "*.log" files are read, then its "*.txt" files, each group in the order
// Windows lists an NTFS folder (upper-cased names compared unit by unit).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/analyzer_harness.h"
#include "support/log_lines.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::Accounts;
using korlo_test::AnalyzerHarness;
using korlo_test::LogLine;
using korlo_test::TempTree;

TEST(LoaderFileOrder, ReadsLogsThenTextsEachInUpperCasedNameOrder) {
  // Each file holds two lines with the accounts <tag>1 and <tag>2; the files are made in an
  // order unlike the expected one, and plain unit order would differ too ("Z.log" and "_x.log"
  // before "a_.log"; "B.TXT" before "a.txt").
  const struct {
    std::u16string name;
    std::string tag;
  } files[] = {
      {u"b.log", "b"},      {u"notes.txt", "notes"},
      {u"_x.log", "ux"},    {u"\u4E2D\u6587.log", "zhongwen"},
      {u"A.log", "A"},      {u"9.log", "nine"},
      {u"B.TXT", "BT"},     {u"Z.log", "Z"},
      {u"a_.log", "au"},    {u"a.txt", "at"},
      {u"10.log", "ten"},   {u"_t.txt", "ut"},
      {u"readme.md", "md"},
  };
  TempTree tree;
  const std::filesystem::path day = tree.MakeDir("LogServer/BaseDir/2024-03-01");
  for (const auto& file : files) {
    std::ofstream(day / std::filesystem::path(file.name), std::ios::binary)
        << LogLine(file.tag + "1") << "\r\n"
        << LogLine(file.tag + "2") << "\r\n";
  }
  AnalyzerHarness h;
  h.State().FSelectedPath = tree.WindowsStylePath();
  h.analyzer.RefreshDateFolders();
  h.window.SelectDates({u"2024-03-01"});

  h.analyzer.LoadLogData();

  EXPECT_EQ(Accounts(h.State().FAllLogs),
            "ten1 ten2 nine1 nine2 A1 A2 au1 au2 b1 b2 Z1 Z2 ux1 ux2 zhongwen1 zhongwen2 "
            "at1 at2 BT1 BT2 notes1 notes2 ut1 ut2");
}

}  // namespace
