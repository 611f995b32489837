#pragma once

// The few operations the window expects of its toolkit where Qt behaves differently: the
// default error handler, a button clicked by the program whatever its enabled state, key
// preview, the screen cursor and the yield.

#include <QApplication>
#include <QObject>
#include <QPushButton>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace app {

// Shows the message of an exception that escaped an event handler, as the toolkit's default
// handler does: an error box, after which the program goes on. Tests replace the presenter so
// that nothing modal opens.
using TErrorPresenter = std::function<void(const QString& message)>;
void SetErrorPresenter(TErrorPresenter presenter);
void ShowException(const std::exception& error);
void ShowUnknownException();

// Runs `handler` as an event handler: any exception it lets escape goes to the default handler
// and stops there, so it never unwinds through Qt.
template <class Handler>
void RunHandler(Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {
    ShowException(error);
  } catch (...) {
    ShowUnknownException();
  }
}

// The application object: events whose handlers throw end at the default error handler.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// A push button whose click handler the program can run even while the button is disabled
// (QPushButton::click does nothing then).
class TButton : public QPushButton {
 public:
  TButton(const QString& text, QWidget* parent);
  // The handler of both the operator's clicks and Click(); exceptions go to the error box.
  void SetOnClick(std::function<void()> handler);
  // Runs the click handler now, whatever the enabled state.
  void Click();

 private:
  std::function<void()> onClick_;
};

// Lets `form` see every key press meant for it or any widget inside it before that widget
// does: `keyDown` returns true to consume the key.
void InstallKeyPreview(QWidget* form, std::function<bool(QKeyEvent* event)> keyDown);

// The cursor shown over every window of the program.
enum class TScreenCursor { kDefault, kHourglass };
void SetScreenCursor(TScreenCursor cursor);
TScreenCursor ScreenCursor();

// Handles every pending event (input, painting, timers) and returns.
void ProcessPendingEvents();

}  // namespace app
