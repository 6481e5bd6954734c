// The few POSIX helpers every file here needs: reads and writes that resume after a signal, and
// the folder part of a path.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace tolvarn::posix {

// read(2), started again when a signal interrupts it before anything was read.
inline ssize_t Read(int fd, void* buffer, size_t size) {
  ssize_t got = 0;
  do {
    got = ::read(fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

// write(2), started again when a signal interrupts it before anything was written.
inline ssize_t Write(int fd, const void* data, size_t size) {
  ssize_t written = 0;
  do {
    written = ::write(fd, data, size);
  } while (written < 0 && errno == EINTR);
  return written;
}

// Writes all of `text`, resuming after interruptions and partial writes.
inline bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = Write(fd, text.data(), text.size());
    if (written <= 0) return false;
    text.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// The folder that holds `path`: "" for a bare name, "/" for a name at the root.
inline std::string Parent(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder to open for `path`'s directory entry: "." for a bare name.
inline std::string DirectoryOf(const std::string& path) {
  const std::string parent = Parent(path);
  return parent.empty() ? "." : parent;
}

}  // namespace tolvarn::posix
