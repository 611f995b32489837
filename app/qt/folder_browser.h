#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QFileSystemModel;
class QLabel;
class QTreeView;

namespace app {

// The folder browser: `prompt` above a tree of the file system's folders (no files, no button
// for a new folder), OK and Cancel, centred on the screen of `parent`. It opens with `start`
// selected and scrolled into view when that folder exists, with nothing selected otherwise.
class TFolderBrowser : public QDialog {
 public:
  TFolderBrowser(QWidget* parent, const QString& prompt, const QString& start);

  // The selected folder's path, or empty while none is selected.
  QString SelectedFolder() const;
  QLabel* Prompt() const { return prompt_; }

  // Runs the browser modally: the chosen folder, or nothing when the operator cancels.
  static std::optional<QString> Choose(QWidget* parent, const QString& prompt,
                                       const QString& start);

 private:
  QLabel* prompt_;
  QFileSystemModel* model_;
  QTreeView* tree_;
};

}  // namespace app
