#include "xdg_launcher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

namespace tolvarn {

LaunchResult XdgLauncher::OpenWithDefaultHandler(std::string_view target) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!root_.empty()) posix_spawn_file_actions_addchdir_np(&actions, root_.c_str());
  std::string program = "xdg-open";
  std::string argument(target);
  std::vector<char*> argv = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, "xdg-open", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return LaunchResult::NotStarted;

  // xdg-open normally hands the target over and ends at once; its status says whether the
  // handler could open it.
  using namespace std::chrono_literals;
  const auto deadline = std::chrono::steady_clock::now() + 500ms;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return LaunchResult::Opened;
      // 3: no viewer was found; 126 and 127: xdg-open itself could not run.
      const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      if (code == 3 || code == 126 || code == 127) return LaunchResult::NotStarted;
      return LaunchResult::Failed;
    }
    if (done < 0) return LaunchResult::Opened;  // already reaped elsewhere
    std::this_thread::sleep_for(20ms);
  }
  // Still running (a viewer in the foreground): let it be, and reap it when it ends.
  std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
  return LaunchResult::Opened;
}

}  // namespace tolvarn
