#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/headless_window.h"

namespace korlo_test {

// A headless window that records every report as one line of a transcript, so a test checks
// a whole sequence at once: "status 正在加载: 2024-03-01", "yield", "progress 50", "render 6",
// "statusbar 6 2" (all records, result), "button 查询/刷新", "enabled false"...
class FakeWindow : public core::THeadlessWindow {
 public:
  const std::vector<std::string>& Transcript() const { return transcript_; }
  // The transcript lines that begin with `prefix`.
  std::vector<std::string> Lines(std::string_view prefix) const;
  std::size_t Count(std::string_view line) const;
  void ClearTranscript() { transcript_.clear(); }

  void SetStatus(std::u16string_view message) override;
  void UpdateStatusBar() override;
  void UpdateLoadButton() override;
  void SetControlsEnabled(bool enabled) override;
  void SetProgressVisible(bool visible) override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;
  void Yield() override;
  void RenderGrid() override;
  void RepaintActionList() override;
  void FillActionList(std::span<const std::u16string_view> texts) override;

 private:
  void Record(std::string line) { transcript_.push_back(std::move(line)); }

  std::vector<std::string> transcript_;
};

// UTF-8 of a UTF-16 text, for readable assertions; a record's UTF-8 text as it is.
std::string U8(std::u16string_view text);
inline std::string U8(std::string_view utf8) {
  return std::string(utf8);
}

}  // namespace korlo_test
