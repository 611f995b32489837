// A load that runs out of memory ends like a load that fails on a file: the error goes to the
// window's error handler and the records of before the load are kept. Run in a child process
// whose address space is capped (not under AddressSanitizer, which needs a huge one).

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <new>
#include <string>

#include "support/analyzer_harness.h"
#include "support/temp_tree.h"

namespace {

using korlo_test::AnalyzerHarness;
using korlo_test::TempTree;
using korlo_test::U8;

std::size_t AddressSpaceBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

TEST(OutOfMemory, ALoadThatRunsOutOfMemoryKeepsThePreviousRecords) {
  TempTree tree;
  tree.WriteFile("LogServer/BaseDir/2024-03-01/a.log",
                 "0\told\t2\tname\t4\t5\t6\t7\t8\t9\t10\titem\t12\t13\t14\t15\ttime\r\n");
  std::string big;
  const std::string line = "0\tnew\t2\t名字\t4\t5\t6\t7\t8\t9\t10\titem\t12\t13\t14\t15\ttime\r\n";
  while (big.size() < (96u << 20))
    big += line;
  tree.WriteFile("LogServer/BaseDir/2024-03-02/a.log", big);
  big = std::string();

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    AnalyzerHarness h;
    h.State().FSelectedPath = tree.WindowsStylePath();
    h.analyzer.RefreshDateFolders();
    h.window.SelectDates({u"2024-03-01"});
    h.analyzer.LoadLogData();
    h.window.SelectDates({u"2024-03-02"});
    const rlimit cap{AddressSpaceBytes() + (64u << 20), RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(3);
    bool ranOut = false;
    try {
      h.analyzer.LoadLogData();
    } catch (const std::bad_alloc&) {
      ranOut = true;
    }
    const bool kept = h.State().FAllLogs.size() == 1 &&
                      U8(h.State().FAllLogs[0].Account()) == "old" &&
                      U8(h.State().FCurrentSelectedDate) == "2024-03-01" && !h.State().FIsLoading &&
                      h.window.ControlsEnabled() && !h.window.ProgressVisible();
    _exit(!ranOut ? 1 : !kept ? 2 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died by a signal";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the load did not run out of memory; 2: state lost; "
                                       "3: the cap could not be set";
}

}  // namespace
