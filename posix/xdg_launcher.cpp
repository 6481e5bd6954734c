#include "posix/xdg_launcher.h"

#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace tolvarn {

std::optional<LaunchFailure> XdgLauncher::FailureOf(int wait_status) {
  if (!WIFEXITED(wait_status)) return LaunchFailure::Failed;
  switch (WEXITSTATUS(wait_status)) {
    case 0:
      return std::nullopt;
    case 3:
    case 126:
    case 127:
      return LaunchFailure::NotStarted;
    default:
      return LaunchFailure::Failed;
  }
}

void XdgLauncher::Open(std::string_view target, FailureHandler on_failure) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!root_.empty()) posix_spawn_file_actions_addchdir_np(&actions, root_.c_str());
  std::string program = "xdg-open";
  std::string argument(target);
  std::vector<char*> argv = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, "xdg-open", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    on_failure(LaunchFailure::NotStarted);
    return;
  }
  // Through the system call: the C library of Debian 12 declares pidfd_open for C only.
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0 || !watch_) {
    // Nothing to watch it with: it is left to run, and reaped when it ends.
    if (pidfd >= 0) ::close(pidfd);
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return;
  }
  watch_(pidfd, [pid, pidfd, on_failure = std::move(on_failure)] {
    int status = 0;
    pid_t done = 0;
    do {
      done = ::waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    ::close(pidfd);
    if (done != pid) return;  // reaped elsewhere: nothing to tell
    if (const std::optional<LaunchFailure> failure = FailureOf(status)) on_failure(*failure);
  });
}

}  // namespace tolvarn
