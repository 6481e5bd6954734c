// The desktop's default handler on a POSIX system: xdg-open, started in the program's working
// directory and watched, without waiting, through the window's event loop.
#pragma once

#include <optional>
#include <string>

#include "platform/launcher.h"

namespace tolvarn {

// Runs "xdg-open TARGET" in the working directory, with an argument vector (never a shell), and
// returns at once. The running handler is watched through a descriptor that becomes readable
// when it ends; its exit status then says whether the opening failed.
class XdgLauncher final : public Launcher {
 public:
  // Calls `ready` once, on the window's thread, when descriptor `fd` becomes readable.
  using Watch = std::function<void(int fd, std::function<void()> ready)>;

  XdgLauncher(std::string root, Watch watch) : root_(std::move(root)), watch_(std::move(watch)) {}
  void Open(std::string_view target, FailureHandler on_failure) override;
  std::string Where(std::string_view target) const override {
    if (target.find("://") != std::string_view::npos || target.starts_with('/') || root_.empty())
      return std::string(target);
    return root_ + "/" + std::string(target);
  }

  // What a handler's wait status means: nothing when it opened the target; NotStarted when it
  // found no viewer (3) or could not run itself (126, 127); Failed for any other ending.
  static std::optional<LaunchFailure> FailureOf(int wait_status);

 private:
  std::string root_;
  Watch watch_;
};

}  // namespace tolvarn
