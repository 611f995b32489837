#include "app/toolkit.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QWidget>

namespace app {

namespace {

TErrorPresenter& Presenter() {
  static TErrorPresenter presenter = [](const QString& message) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
  };
  return presenter;
}

// Passes key presses aimed at the form or its children to the form first.
class TKeyPreview : public QObject {
 public:
  TKeyPreview(QWidget* form, std::function<bool(QKeyEvent*)> keyDown)
      : QObject(form), form_(form), keyDown_(std::move(keyDown)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != form_ && !form_->isAncestorOf(widget)) return false;
    bool consumed = false;
    RunHandler([&] { consumed = keyDown_(static_cast<QKeyEvent*>(event)); });
    return consumed;
  }

 private:
  QWidget* form_;
  std::function<bool(QKeyEvent*)> keyDown_;
};

TScreenCursor currentCursor = TScreenCursor::kDefault;

}  // namespace

void SetErrorPresenter(TErrorPresenter presenter) {
  Presenter() = std::move(presenter);
}

void ShowException(const std::exception& error) {
  Presenter()(QString::fromUtf8(error.what()));
}

void ShowUnknownException() {
  Presenter()(QStringLiteral("Unknown error"));
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunHandler([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

TButton::TButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  connect(this, &QPushButton::clicked, this, [this] { Click(); });
}

void TButton::SetOnClick(std::function<void()> handler) {
  onClick_ = std::move(handler);
}

void TButton::Click() {
  if (onClick_) RunHandler(onClick_);
}

void InstallKeyPreview(QWidget* form, std::function<bool(QKeyEvent*)> keyDown) {
  qApp->installEventFilter(new TKeyPreview(form, std::move(keyDown)));
}

void SetScreenCursor(TScreenCursor cursor) {
  if (cursor == currentCursor) return;
  currentCursor = cursor;
  if (cursor == TScreenCursor::kHourglass) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

TScreenCursor ScreenCursor() {
  return currentCursor;
}

void ProcessPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace app
