#include "posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace tolvarn {
namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now, reporting whether the data reached the file.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Writes all of `text`, resuming after interruptions and partial writes.
bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

class FileLineReader final : public LineReader {
 public:
  explicit FileLineReader(int fd) : fd_(fd) {}

  bool ReadLine(std::string& line) override {
    line.clear();
    while (true) {
      if (pos_ == end_) {
        if (eof_ || failed_) return !line.empty() && Finish(line);
        const ssize_t got = ::read(fd_.get(), buffer_, sizeof buffer_);
        if (got < 0) {
          if (errno == EINTR) continue;
          failed_ = true;
          return false;
        }
        if (got == 0) {
          eof_ = true;
          continue;
        }
        pos_ = 0;
        end_ = static_cast<size_t>(got);
      }
      const char* start = buffer_ + pos_;
      const void* newline = std::memchr(start, '\n', end_ - pos_);
      if (newline == nullptr) {
        line.append(start, end_ - pos_);
        pos_ = end_;
        continue;
      }
      const size_t length = static_cast<size_t>(static_cast<const char*>(newline) - start);
      line.append(start, length);
      pos_ += length + 1;
      return Finish(line);
    }
  }

  bool Failed() const override { return failed_; }

 private:
  static bool Finish(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }

  Descriptor fd_;
  char buffer_[65536];
  size_t pos_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
  bool failed_ = false;
};

class FileBlockReader final : public BlockReader {
 public:
  explicit FileBlockReader(int fd) : fd_(fd), buffer_(1 << 20) {}
  bool Read(std::string_view& block) override {
    while (true) {
      const ssize_t got = ::read(fd_.get(), buffer_.data(), buffer_.size());
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) failed_ = true;
      if (got <= 0) return false;
      block = std::string_view(buffer_.data(), static_cast<size_t>(got));
      return true;
    }
  }
  bool Failed() const override { return failed_; }

 private:
  Descriptor fd_;
  std::vector<char> buffer_;
  bool failed_ = false;
};

// A name for a temporary file beside `path` that no other running copy will pick.
std::string TemporaryName(const std::string& path) {
  static std::mt19937_64 random{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return directory + "." + name + "." + std::to_string(::getpid()) + "." +
         std::to_string(random() % 1000000000) + ".tmp";
}

// Makes a rename in a directory last through a power loss.
void SyncDirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

std::string PosixFileSystem::Full(std::string_view path) const {
  if (root_.empty() || (!path.empty() && path.front() == '/')) return std::string(path);
  return root_ + "/" + std::string(path);
}

bool PosixFileSystem::DirectoryExists(std::string_view path) {
  struct stat info {};
  return ::stat(Full(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixFileSystem::Exists(std::string_view path) {
  struct stat info {};
  return ::lstat(Full(path).c_str(), &info) == 0;
}

bool PosixFileSystem::IsFile(std::string_view path) {
  struct stat info {};
  return ::stat(Full(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::unique_ptr<LineReader> PosixFileSystem::OpenForReading(std::string_view path) {
  const int fd = ::open(Full(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<FileLineReader>(fd);
}

std::unique_ptr<BlockReader> PosixFileSystem::OpenBlocks(std::string_view path) {
  const int fd = ::open(Full(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<FileBlockReader>(fd);
}

FileStatus PosixFileSystem::Append(std::string_view path, std::string_view text) {
  Descriptor fd(::open(Full(path).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
  if (!fd.ok()) return {FileStep::Open};
  // One write call: with O_APPEND the kernel places it at the end as a whole.
  const ssize_t written = ::write(fd.get(), text.data(), text.size());
  if (written < 0 || static_cast<size_t>(written) != text.size()) return {FileStep::Write};
  if (!fd.Close()) return {FileStep::Flush};
  return {};
}

FileStatus PosixFileSystem::CreateNew(std::string_view path, std::string_view text) {
  return WriteTemporary(Full(path), text, nullptr, false, 0644);
}

FileStatus PosixFileSystem::Replace(std::string_view path, std::string_view text) {
  std::string target = Full(path);
  mode_t mode = 0644;
  struct stat info {};
  if (::lstat(target.c_str(), &info) == 0) {
    if (S_ISLNK(info.st_mode)) {
      // The file the link leads to is the one to replace, not the link.
      char* resolved = ::realpath(target.c_str(), nullptr);
      if (resolved == nullptr) return {FileStep::Open};
      target = resolved;
      std::free(resolved);
      if (::stat(target.c_str(), &info) != 0) return {FileStep::Open};
    }
    // A file that may not be written is not replaced behind its owner's back.
    if (!S_ISREG(info.st_mode) || ::access(target.c_str(), W_OK) != 0) return {FileStep::Open};
    mode = info.st_mode & 07777;
  }
  return WriteTemporary(target, text, nullptr, true, mode);
}

FileStatus PosixFileSystem::Snapshot(std::string_view from, std::string_view to) {
  const std::string source = Full(from);
  const std::string target = Full(to);
  if (::link(source.c_str(), target.c_str()) == 0) {
    SyncDirectoryOf(target);
    return {};
  }
  if (errno == EEXIST) return {FileStep::Exists};
  // No second names on this file system: a copy, which cannot see later appends.
  return WriteTemporary(target, {}, source.c_str(), false, 0644);
}

FileStatus PosixFileSystem::WriteTemporary(const std::string& target, std::string_view text,
                                           const char* source, bool replace, mode_t mode) {
  const std::string temporary = TemporaryName(target);
  FileStatus status;
  {
    Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.ok()) return {FileStep::Open};
    if (source == nullptr) {
      if (!WriteAll(fd.get(), text)) status = {FileStep::Write};
    } else {
      Descriptor in(::open(source, O_RDONLY | O_CLOEXEC));
      if (!in.ok()) status = {FileStep::Open};
      char buffer[65536];
      while (status.ok()) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) status = {FileStep::Read};
        if (got <= 0) break;
        if (!WriteAll(fd.get(), std::string_view(buffer, static_cast<size_t>(got))))
          status = {FileStep::Write};
      }
    }
    if (status.ok() && ::fchmod(fd.get(), mode) != 0) status = {FileStep::Write};
    if (status.ok() && ::fsync(fd.get()) != 0) status = {FileStep::Flush};
    if (!fd.Close() && status.ok()) status = {FileStep::Flush};
  }
  if (status.ok()) {
    if (replace) {
      if (::rename(temporary.c_str(), target.c_str()) != 0) status = {FileStep::Rename};
    } else if (::link(temporary.c_str(), target.c_str()) != 0) {
      status = {errno == EEXIST ? FileStep::Exists : FileStep::Rename};
    }
  }
  // After a rename the temporary name is gone already; after a link or a failure it goes now.
  ::unlink(temporary.c_str());
  if (status.ok()) SyncDirectoryOf(target);
  return status;
}

}  // namespace tolvarn
