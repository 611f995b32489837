#include <algorithm>
#include <string>
#include <vector>

#include "core/log_analyzer.h"
#include "core/status_texts.h"

namespace core {

namespace {

constexpr std::u16string_view kBaseDirFromRoot = u"LogServer\\BaseDir";

std::u16string WithTrailingBackslash(std::u16string_view path) {
  std::u16string result(path);
  if (result.empty() || result.back() != u'\\') result += u'\\';
  return result;
}

// The YYYY-MM-DD shape: ten characters with '-' fifth and eighth; nothing else is tested.
bool HasDayFolderShape(std::u16string_view name) {
  return name.size() == 10 && name[4] == u'-' && name[7] == u'-';
}

}  // namespace

std::u16string TLogAnalyzer::GetLogBaseDir() const {
  if (state_.FSelectedPath.empty()) return {};
  return WithTrailingBackslash(state_.FSelectedPath) + std::u16string(kBaseDirFromRoot) + u'\\';
}

bool TLogAnalyzer::IsValidRoot(std::u16string_view root) const {
  if (root.empty()) return false;
  return fileSystem_.DirectoryExists(WithTrailingBackslash(root) +
                                     std::u16string(kBaseDirFromRoot));
}

std::vector<std::u16string> TLogAnalyzer::ScanDayFolders() const {
  std::vector<std::u16string> names;
  const std::u16string baseDir = GetLogBaseDir();
  if (baseDir.empty()) return names;
  for (std::u16string& name :
       fileSystem_.EnumerateEntries(baseDir, u"*.*", platform::HiddenEntries::kSkip)) {
    if (HasDayFolderShape(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

void TLogAnalyzer::RefreshDateFolders() {
  if (state_.FIsLoading) {
    window_.SetStatus(status::kBusy);
    return;
  }
  window_.ClearDateFolders();
  const std::u16string baseDir = GetLogBaseDir();
  if (baseDir.empty() || !fileSystem_.DirectoryExists(baseDir)) {
    window_.SetStatus(status::kPathMissing);
    return;
  }
  int found = 0;
  for (const std::u16string& name :
       fileSystem_.EnumerateEntries(baseDir, u"*.*", platform::HiddenEntries::kSkip)) {
    if (name == u"." || name == u"..") continue;
    if (HasDayFolderShape(name)) {
      window_.AddDateFolder(name);
      ++found;
    }
  }
  if (found == 0) {
    window_.SetStatus(status::kNoDateFolders);
  } else {
    window_.SetDateFoldersSorted();
    window_.SetStatus(status::DateFoldersFound(window_.DateFolderCount()));
  }
  state_.FCurrentSelectedDate.clear();
}

}  // namespace core
