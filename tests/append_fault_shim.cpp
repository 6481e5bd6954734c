// Preloaded, a disk that fails appends as a real one can. With TOLVARN_SHORT_APPENDS set, a
// write to a file opened for appending puts only half its bytes in, and the next such write
// fails as on a full disk. With TOLVARN_SLOW_APPENDS=MS set, each such write waits MS
// milliseconds first, so that another program can act between the opening and the writing.
// With TOLVARN_NO_FLOCK set, flock() fails as on a file system without it.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  using Real = ssize_t (*)(int, const void*, size_t);
  static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "write"));
  static bool cut_last = false;
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || (flags & O_APPEND) == 0) return real(fd, data, size);
  if (const char* slow = std::getenv("TOLVARN_SLOW_APPENDS")) ::usleep(1000 * std::atoi(slow));
  if (std::getenv("TOLVARN_SHORT_APPENDS") == nullptr || size < 2) return real(fd, data, size);
  if (cut_last) {
    errno = ENOSPC;
    return -1;
  }
  cut_last = true;
  return real(fd, data, size / 2);
}

extern "C" int flock(int fd, int operation) {
  using Real = int (*)(int, int);
  static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "flock"));
  if (std::getenv("TOLVARN_NO_FLOCK") == nullptr) return real(fd, operation);
  errno = ENOLCK;
  return -1;
}
