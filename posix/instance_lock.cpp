#include "posix/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tolvarn {

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

// The same place for every copy of the user's, whatever their environment: the user's runtime
// directory where the system has one, else the one the session names, else /tmp.
std::string InstanceLock::PathFor(std::string_view name) {
  const std::string run_user = "/run/user/" + std::to_string(::getuid());
  struct stat info {};
  if (::stat(run_user.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return run_user + "/" + std::string(name) + ".lock";
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/')
    return std::string(runtime) + "/" + std::string(name) + ".lock";
  return "/tmp/" + std::string(name) + "-" + std::to_string(::getuid()) + ".lock";
}

bool InstanceLock::IsAnotherInstance(std::string_view name) {
  if (fd_ >= 0) return false;
  // Never through a link that someone else placed under the name.
  const int fd = ::open(PathFor(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    fd_ = fd;
    return false;
  }
  const bool held_elsewhere = errno == EWOULDBLOCK;
  ::close(fd);
  return held_elsewhere;
}

}  // namespace tolvarn
