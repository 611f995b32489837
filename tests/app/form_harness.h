#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "app/qt_text.h"
#include "app/toolkit.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "support/temp_tree.h"

namespace korlo_test {

// The main window with its yields and progress positions recorded, and a hook that runs at each
// yield as if the operator acted then.
class RecordingForm : public app::TForm1 {
 public:
  RecordingForm() : app::TForm1(platform::NativeFileSystem(), platform::kCodePageGbk) {}

  void Yield() override {
    events.push_back(QStringLiteral("yield"));
    if (onYield) onYield();
    app::TForm1::Yield();
  }
  void SetProgressPosition(int position) override {
    events.push_back(QStringLiteral("progress %1").arg(position));
    app::TForm1::SetProgressPosition(position);
  }

  QStringList events;
  std::function<void()> onYield;
};

// A server root on disk with one record per given account in each day folder's a.log.
inline void WriteDay(const TempTree& tree, const std::string& day,
                     const std::vector<std::string>& accounts) {
  std::string bytes;
  for (const std::string& account : accounts) {
    bytes += "0\t" + account + "\t2\tname\t4\t5\t6\t7\t8\t9\t10\titem\t12\t13\t14\t\ttime\r\n";
  }
  tree.WriteFile("LogServer/BaseDir/" + day + "/a.log", bytes);
}

inline QString RootOf(const TempTree& tree) {
  return app::ToQString(tree.WindowsStylePath());
}

// Collects what the default error handler would show, instead of a modal box.
struct ErrorBoxes {
  ErrorBoxes() {
    app::SetErrorPresenter([this](const QString& message) { messages << message; });
  }
  QStringList messages;
};

}  // namespace korlo_test
