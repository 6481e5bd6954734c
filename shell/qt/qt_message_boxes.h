// Message boxes on screen.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"

namespace tolvarn {

class QtMessageBoxes final : public MessageBoxes {
 public:
  void SetParent(QWidget* parent) { parent_ = parent; }
  BoxAnswer Show(const MessageBoxRequest& request) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace tolvarn
