#pragma once

#include <initializer_list>
#include <string_view>

#include "core/log_analyzer.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "support/fake_window.h"

namespace korlo_test {

// An analyzer wired to a recording fake window, started as the window starts it: action list
// and keyword table filled, default query inputs. The transcript starts empty.
struct AnalyzerHarness {
  explicit AnalyzerHarness(const platform::IFileSystem& fileSystem = platform::NativeFileSystem(),
                           platform::CodePage codePage = platform::kCodePageGbk)
      : analyzer(window, fileSystem, codePage) {
    window.Attach(analyzer.State());
    analyzer.InitActionList();
    analyzer.InitActionKeywords();
    window.ClearTranscript();
  }

  core::TFormState& State() { return analyzer.State(); }

  // Puts parsed lines into FAllLogs as a load would, without touching the disk.
  void SetLoadedLines(std::initializer_list<std::u16string_view> lines) {
    State().FAllLogs.clear();
    for (std::u16string_view line : lines)
      State().FAllLogs.push_back(core::ParseLogLine(line));
    State().FIsDataLoaded = true;
  }

  FakeWindow window;
  core::TLogAnalyzer analyzer;
};

}  // namespace korlo_test
