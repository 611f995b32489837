#include "support/fake_window.h"

#include <algorithm>

#include "platform/unicode.h"

namespace korlo_test {

std::string U8(std::u16string_view text) {
  return platform::Utf16ToUtf8(text);
}

std::vector<std::string> FakeWindow::Lines(std::string_view prefix) const {
  std::vector<std::string> lines;
  for (const std::string& line : transcript_) {
    if (line.starts_with(prefix)) lines.push_back(line);
  }
  return lines;
}

std::size_t FakeWindow::Count(std::string_view line) const {
  return static_cast<std::size_t>(std::count(transcript_.begin(), transcript_.end(), line));
}

void FakeWindow::SetStatus(std::u16string_view message) {
  THeadlessWindow::SetStatus(message);
  Record("status " + U8(message));
}

void FakeWindow::UpdateStatusBar() {
  Record("statusbar " + std::to_string(State().FAllLogs.size()) + " " +
         std::to_string(State().FFilteredLogs.size()));
}

void FakeWindow::UpdateLoadButton() {
  THeadlessWindow::UpdateLoadButton();
  Record("button " + U8(LoadButtonCaption()));
}

void FakeWindow::SetControlsEnabled(bool enabled) {
  Record(enabled ? "enabled true" : "enabled false");
  THeadlessWindow::SetControlsEnabled(enabled);
}

void FakeWindow::SetProgressVisible(bool visible) {
  THeadlessWindow::SetProgressVisible(visible);
  Record(visible ? "progress show" : "progress hide");
}

void FakeWindow::SetProgressMax(int maximum) {
  THeadlessWindow::SetProgressMax(maximum);
  Record("progress max " + std::to_string(maximum));
}

void FakeWindow::SetProgressPosition(int position) {
  THeadlessWindow::SetProgressPosition(position);
  Record("progress " + std::to_string(position));
}

void FakeWindow::Yield() {
  Record("yield");
  THeadlessWindow::Yield();
}

void FakeWindow::RenderGrid() {
  Record("render " + std::to_string(State().FFilteredLogs.size()));
}

void FakeWindow::RepaintActionList() {
  Record("repaint actions");
}

void FakeWindow::FillActionList(std::span<const std::u16string_view> texts) {
  THeadlessWindow::FillActionList(texts);
  Record("actions filled " + std::to_string(texts.size()));
}

}  // namespace korlo_test
