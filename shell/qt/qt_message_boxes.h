// Message boxes on screen.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"

namespace tolvarn {

// While one lives, the boxes belong to its window: a command of the Payback window reports
// over the Payback window, whichever window the desktop happens to have active then.
class BoxOwner {
 public:
  explicit BoxOwner(QWidget* window);
  ~BoxOwner();
  BoxOwner(const BoxOwner&) = delete;
  BoxOwner& operator=(const BoxOwner&) = delete;
  static QWidget* Current();

 private:
  QWidget* previous_;
};

class QtMessageBoxes final : public MessageBoxes {
 public:
  void SetParent(QWidget* parent) { parent_ = parent; }
  BoxAnswer Show(const MessageBoxRequest& request) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace tolvarn
