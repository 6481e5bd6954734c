// The desktop's default handler on a POSIX system: xdg-open, started in the program's working
// directory.
#pragma once

#include <string>

#include "launcher.h"

namespace tolvarn {

// Runs "xdg-open TARGET" in the working directory, with an argument vector (never a shell). A
// handler that reports failure at once (within half a second) counts as NotStarted when no
// viewer could be found and Failed otherwise; one still running then is left to run, and
// reaped when it ends.
class XdgLauncher final : public Launcher {
 public:
  explicit XdgLauncher(std::string root) : root_(std::move(root)) {}
  LaunchResult OpenWithDefaultHandler(std::string_view target) override;

 private:
  std::string root_;
};

}  // namespace tolvarn
