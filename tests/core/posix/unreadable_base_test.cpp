// A base directory that exists but cannot be read behaves as an empty one. Permissions do not
// stop root, so when the tests run as root the check runs in a child that drops to "nobody".

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/analyzer_harness.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::AnalyzerHarness;
using korlo_test::TempTree;

constexpr uid_t kNobody = 65534;

bool ScanFindsNoDayFolder(const TempTree& tree) {
  AnalyzerHarness h;
  h.State().FSelectedPath = tree.WindowsStylePath();
  h.analyzer.RefreshDateFolders();
  return h.window.dates.empty() &&
         h.window.Transcript() == std::vector<std::string>{"status 没有找到日期文件夹"};
}

TEST(UnreadableBase, ListsNoDayFolderAndSaysSo) {
  TempTree tree;
  tree.MakeDir("LogServer/BaseDir/2024-03-01");
  const std::string base = (tree.Root() / "LogServer/BaseDir").string();
  ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
  ASSERT_EQ(chmod(base.c_str(), 0311), 0);  // may be entered, not listed
  if (geteuid() != 0) {
    EXPECT_TRUE(ScanFindsNoDayFolder(tree));
  } else {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
      _exit(ScanFindsNoDayFolder(tree) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: wrong list or status; 3: could not drop to nobody";
  }
  chmod(base.c_str(), 0755);
}

}  // namespace
