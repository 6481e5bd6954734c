// Opening a file or web address with the desktop's default handler, as a separate process. The
// program never waits for it: a handler that ends with a failure is reported later, whenever
// that is, and one that keeps running (a browser left open) is no failure.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tolvarn {

enum class LaunchFailure {
  NotStarted,  // no handler could be started, or it found no viewer for the target
  Failed,      // the handler started but could not open the target
};

class Launcher {
 public:
  using FailureHandler = std::function<void(LaunchFailure)>;
  virtual ~Launcher() = default;
  // Starts opening `target` (a path relative to the working directory or a web address) and
  // returns at once. `on_failure` runs at most once, on the window's thread, if the opening
  // fails: at once when no handler can be started, else when the handler ends with a failure.
  virtual void Open(std::string_view target, FailureHandler on_failure) = 0;
  // What `target` is outside the program, for a user to open by hand: a full path, or the
  // web address itself.
  virtual std::string Where(std::string_view target) const { return std::string(target); }
};

// For a program without a desktop (tolvarn-calc): nothing can be opened.
class NoLauncher final : public Launcher {
 public:
  void Open(std::string_view, FailureHandler on_failure) override {
    on_failure(LaunchFailure::NotStarted);
  }
};

}  // namespace tolvarn
