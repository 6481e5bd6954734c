// Runs an action once a window has been drawn for the first time and the event loop has
// nothing left to do: the moment a start-up is over. Used by the start-up benchmark's probes.
#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

namespace tolvarn {

class AfterFirstPaint final : public QObject {
 public:
  AfterFirstPaint(QWidget& window, std::function<void()> action) : action_(std::move(action)) {
    window.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // The window is drawn before its children, all in one pass; the queued call runs after it.
    if (event->type() == QEvent::Paint && action_) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, std::exchange(action_, {}));
    }
    return false;
  }

 private:
  std::function<void()> action_;
};

}  // namespace tolvarn
