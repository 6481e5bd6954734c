// Message boxes: the one way the program's logic talks to the user in a dialog.
#pragma once

#include <string>

namespace tolvarn {

enum class BoxIcon { None, Stop, Exclamation };
enum class BoxButtons { Ok, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Yes, No, Cancel };

struct MessageBoxRequest {
  std::string title;
  std::string text;  // lines joined by CR LF (or LF where the text comes from the data checks)
  BoxIcon icon = BoxIcon::None;
  BoxButtons buttons = BoxButtons::Ok;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box modally and returns the user's answer.
  virtual BoxAnswer Show(const MessageBoxRequest& request) = 0;
};

}  // namespace tolvarn
