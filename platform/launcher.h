// Opening a file or web address with the desktop's default handler, as a separate process that
// the program neither waits for nor watches once it has started.
#pragma once

#include <string_view>

namespace tolvarn {

enum class LaunchResult {
  Opened,      // the handler started and did not report a failure
  NotStarted,  // no handler could be started
  Failed,      // the handler started but could not open the target
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  // `target` is a path relative to the working directory or a web address.
  virtual LaunchResult OpenWithDefaultHandler(std::string_view target) = 0;
};

}  // namespace tolvarn
