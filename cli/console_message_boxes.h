// The message boxes of a program without a window.
#pragma once

#include <optional>

#include "platform/message_box.h"

namespace tolvarn {

// Writes each box to stderr as "title: text" and answers OK (or Cancel when asked a question,
// so that nothing is changed without a user).
class ConsoleMessageBoxes final : public MessageBoxes {
 public:
  BoxAnswer Show(const MessageBoxRequest& request) override;
  const std::optional<MessageBoxRequest>& LastBox() const { return last_box_; }
  int Count() const { return count_; }

 private:
  std::optional<MessageBoxRequest> last_box_;
  int count_ = 0;
};

}  // namespace tolvarn
