#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "form/command_timings.h"
#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TKey;
using form::TShift;

std::vector<std::string> LogLines(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);)
    lines.push_back(line);
  return lines;
}

// The name and the counts of a log line; the wall time is checked for its form only.
std::string WithoutWallTime(const std::string& line) {
  static const std::regex wall("\twall_ms=[0-9]+\\.[0-9]{3}\t");
  EXPECT_TRUE(std::regex_search(line, wall)) << line;
  return std::regex_replace(line, wall, "\t");
}

TEST(TimingsLine, NamesTheCommandAndItsFigures) {
  const form::TCommandTiming timing{"ApplyFilter", std::chrono::microseconds(12'345),
                                    form::TPaceCounts{2301, 40, 12}, 1'945'164};
  EXPECT_EQ(form::TimingsLine(timing),
            "ApplyFilter\twall_ms=12.345\tyields=2301\tpumps=40\tprogress_moves=12\t"
            "rows=1945164\n");
}

class TimingsLogTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    WriteDay(tree, "2024-03-01", Accounts(250));
    log = logFolder.Root() / "timings.log";
    form.LogTimingsTo(logFolder.WindowsStylePath("timings.log"));
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const std::string& line : LogLines(log))
      lines.push_back(WithoutWallTime(line));
    return lines;
  }

  TempTree tree;
  TempTree logFolder;
  std::filesystem::path log;
};

// One line a command, named by the work it chose, with what the toolkit did for it; keys that
// pass on and a command run inside another's yield add none.
TEST_F(TimingsLogTest, EveryCommandAppendsOneLine) {
  Load(tree, {u"2024-03-01"});
  EXPECT_FALSE(toolkit.PressKey(TKey::kOther, TShift::kNone, edtKeyword1));
  toolkit.onYield = [&] { toolkit.Click(btnHelp); };  // the help box during the query's yields
  EXPECT_TRUE(toolkit.PressKey(TKey::kL, TShift::kCtrl, edtKeyword1));
  toolkit.onYield = nullptr;
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, lines[0].find('\t')), "edtPathChange");
  EXPECT_EQ(lines[1], "lstDateFoldersClick\tyields=0\tpumps=0\tprogress_moves=0\trows=0");
  // The load: its yields (the busy state's two, every 1,000 lines, the grid's every 100 rows)
  // and the progress positions the fake toolkit all shows.
  EXPECT_EQ(lines[2].substr(0, lines[2].find("\tyields=")), "LoadLogData");
  EXPECT_NE(lines[2].find("\trows=250"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3].substr(0, lines[3].find('\t')), "ApplyFilter");
  EXPECT_NE(lines[3].find("\tyields=2\tpumps=2\t"), std::string::npos) << lines[3];
  EXPECT_NE(lines[3].find("\trows=250"), std::string::npos) << lines[3];
}

TEST_F(TimingsLogTest, ALogThatCannotBeWrittenStopsWithoutTroublingTheCommands) {
  form.LogTimingsTo(logFolder.WindowsStylePath("no such folder/timings.log"));
  Load(tree, {u"2024-03-01"});
  EXPECT_EQ(State().FAllLogs.size(), 250u);
  EXPECT_TRUE(toolkit.Lines({"error "}).empty());
}

}  // namespace
}  // namespace korlo_test
