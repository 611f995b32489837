#include "app/qt/folder_browser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

namespace app {

TFolderBrowser::TFolderBrowser(QWidget* parent, const QString& prompt, const QString& start)
    : QDialog(parent),
      prompt_(new QLabel(prompt, this)),
      model_(new QFileSystemModel(this)),
      tree_(new QTreeView(this)) {
  setWindowTitle(QStringLiteral("浏览文件夹"));
  resize(360, 420);
  prompt_->setWordWrap(true);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setReadOnly(true);
  model_->setRootPath(QDir::rootPath());
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column)
    tree_->hideColumn(column);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt_);
  layout->addWidget(tree_, 1);
  layout->addWidget(buttons);

  if (!start.isEmpty() && QDir(start).exists()) {
    const QModelIndex index = model_->index(QDir(start).absolutePath());
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  }
  ok->setEnabled(!SelectedFolder().isEmpty());
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this, ok] { ok->setEnabled(!SelectedFolder().isEmpty()); });

  if (const QScreen* screen = parent ? parent->screen() : nullptr) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

QString TFolderBrowser::SelectedFolder() const {
  const QModelIndex index = tree_->currentIndex();
  return index.isValid() ? model_->filePath(index) : QString();
}

std::optional<QString> TFolderBrowser::Choose(QWidget* parent, const QString& prompt,
                                              const QString& start) {
  TFolderBrowser browser(parent, prompt, start);
  if (browser.exec() != QDialog::Accepted || browser.SelectedFolder().isEmpty()) {
    return std::nullopt;
  }
  return browser.SelectedFolder();
}

}  // namespace app
