#include "cli/console_message_boxes.h"

#include <cstdio>
#include <string>

namespace tolvarn {

BoxAnswer ConsoleMessageBoxes::Show(const MessageBoxRequest& request) {
  // Plain stdio: the boxes never pay for starting the iostreams.
  const std::string line = request.title + ": " + request.text + '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  last_box_ = request;
  ++count_;
  switch (request.buttons) {
    case BoxButtons::Ok:
      return BoxAnswer::Ok;
    case BoxButtons::YesNo:
      return BoxAnswer::No;
    case BoxButtons::YesNoCancel:
      return BoxAnswer::Cancel;
  }
  return BoxAnswer::Ok;
}

}  // namespace tolvarn
