#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/form_state.h"
#include "form/Unit1.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "support/fake_toolkit.h"
#include "support/temp_tree.h"

namespace korlo_test {

// The native file system with the default root "D:\KorloServer" moved to a folder of the test's
// own, so that what the window finds at start does not depend on the machine.
class DefaultRootRedirect : public platform::IFileSystem {
 public:
  explicit DefaultRootRedirect(std::u16string target) : target_(std::move(target)) {}

  bool DirectoryExists(std::u16string_view path) const override {
    return platform::NativeFileSystem().DirectoryExists(Map(path));
  }
  std::vector<std::u16string> EnumerateEntries(std::u16string_view directory,
                                               std::u16string_view pattern,
                                               platform::HiddenEntries hidden) const override {
    return platform::NativeFileSystem().EnumerateEntries(Map(directory), pattern, hidden);
  }
  void ReadWholeFile(std::u16string_view path, std::string& bytes) const override {
    platform::NativeFileSystem().ReadWholeFile(Map(path), bytes);
  }
  std::unique_ptr<platform::IFileReader> OpenForReading(std::u16string_view path,
                                                        std::uint64_t offset) const override {
    return platform::NativeFileSystem().OpenForReading(Map(path), offset);
  }
  std::optional<platform::TFileStamp> StampOf(std::u16string_view path) const override {
    return platform::NativeFileSystem().StampOf(Map(path));
  }

 private:
  std::u16string Map(std::u16string_view path) const {
    if (!path.starts_with(core::kDefaultRoot)) return std::u16string(path);
    return target_ + std::u16string(path.substr(core::kDefaultRoot.size()));
  }
  std::u16string target_;
};

// A server root on disk with one record per given account in `day`'s a.log. Column 1 of the grid
// shows the account, column 9 "item", column 14 (the remark) is empty.
inline void WriteDay(const TempTree& tree, const std::string& day,
                     const std::vector<std::string>& accounts) {
  std::string bytes;
  for (const std::string& account : accounts) {
    bytes += "0\t" + account + "\t2\tname\t4\t5\t6\t7\t8\t9\t10\titem\t12\t13\t14\t\ttime\r\n";
  }
  tree.WriteFile("LogServer/BaseDir/" + day + "/a.log", bytes);
}

// "acc1" to "accN".
inline std::vector<std::string> Accounts(int count) {
  std::vector<std::string> accounts;
  for (int i = 1; i <= count; ++i)
    accounts.push_back("acc" + std::to_string(i));
  return accounts;
}

// The form on a fake toolkit, created and sized by Start as a front-end does it; the default
// root is `defaultRoot`, a fresh folder without logs unless the test writes some before Start.
class FormHarness : public ::testing::Test {
 protected:
  FormHarness()
      : fileSystem_(defaultRoot.WindowsStylePath()),
        form(toolkit, fileSystem_, platform::kCodePageGbk) {
    toolkit.Attach(form);
  }

  // Builds the window; separate from the constructor so that a test can prepare the default
  // root or the screen first.
  // The transcript starts empty after it.
  void Start() {
    form.Create();
    toolkit.Show();
    toolkit.Resize(form::WindowLayout().clientSize);
    toolkit.ClearTranscript();
  }

  core::TFormState& State() { return form.State(); }
  std::string Status() const { return Utf8(toolkit.Text(form::TControl::lblStatus)); }
  std::string LoadCaption() const { return Utf8(toolkit.Text(form::TControl::btnLoadSearch)); }
  std::string Panel(int index) const { return Utf8(toolkit.PanelText(index)); }
  std::string Cell(int column, int row) const { return Utf8(form.GridCellText(column, row)); }
  std::vector<std::string> Dates() const {
    std::vector<std::string> dates;
    for (const std::u16string& item : toolkit.Control(form::TControl::lstDateFolders).items) {
      dates.push_back(Utf8(item));
    }
    return dates;
  }

  // Points the window at `tree` (pasted into the path box), selects `days` and presses the load
  // button.
  void Load(const TempTree& tree, std::initializer_list<std::u16string_view> days) {
    toolkit.Paste(form::TControl::edtPath, tree.WindowsStylePath());
    toolkit.SelectDates(days);
    ASSERT_TRUE(toolkit.Click(form::TControl::btnLoadSearch));
  }

  TempTree defaultRoot;

 private:
  DefaultRootRedirect fileSystem_;

 protected:
  FakeToolkit toolkit;
  form::TForm1 form;
};

// A started form.
class FormTest : public FormHarness {
 protected:
  void SetUp() override { Start(); }
};

}  // namespace korlo_test
