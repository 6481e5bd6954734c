// Preloaded, a file system without hard links (FAT, exFAT, many network shares): link() and
// linkat() fail. With TOLVARN_NO_RENAMEAT2 set, renameat2() fails too (no exclusive rename).
#include <dlfcn.h>

#include <cerrno>
#include <cstdlib>

extern "C" {

int link(const char*, const char*) {
  errno = EPERM;
  return -1;
}

int linkat(int, const char*, int, const char*, int) {
  errno = EPERM;
  return -1;
}

int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned int flags) {
  if (std::getenv("TOLVARN_NO_RENAMEAT2") != nullptr) {
    errno = EINVAL;
    return -1;
  }
  using Real = int (*)(int, const char*, int, const char*, unsigned int);
  static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "renameat2"));
  return real(from_dir, from, to_dir, to, flags);
}
}
