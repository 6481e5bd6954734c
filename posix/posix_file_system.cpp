#include "posix/posix_file_system.h"

#include "posix/posix_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

namespace tolvarn {
namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  // Closing keeps errno, so that it still tells why the step before failed.
  ~Descriptor() { Reset(-1); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept {
    Reset(other.fd_);
    other.fd_ = -1;
    return *this;
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  void Reset(int fd) {
    const int error = errno;
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    errno = error;
  }
  // Gives up the descriptor without closing it.
  void Forget() { fd_ = -1; }
  // Closes now, reporting whether the data reached the file.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

class FileLineReader final : public LineReader {
 public:
  explicit FileLineReader(int fd) : fd_(fd) {}

  bool ReadLine(std::string& line) override {
    line.clear();
    while (true) {
      if (pos_ == end_) {
        if (eof_ || failed_) return !line.empty() && Finish(line);
        const ssize_t got = posix::Read(fd_.get(), buffer_, sizeof buffer_);
        if (got < 0) {
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
      const ssize_t got = posix::Read(fd_.get(), buffer_.data(), buffer_.size());
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

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The start of every temporary name of `name`'s: hidden, and saying whose it is, so that the
// clean-up never mistakes another program's temporary file for one of ours.
std::string TemporaryPrefix(const std::string& name) {
  return "." + name + ".tolvarn-";
}

// A name for a temporary file beside `path` that no other running copy will pick:
// ".NAME.tolvarn-PID-N.tmp", whose process id lets a later write tell whether it still runs.
std::string TemporaryName(const std::string& path) {
  static std::mt19937_64 random{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  return directory + TemporaryPrefix(NameOf(path)) + std::to_string(::getpid()) + "-" +
         std::to_string(random() % 1000000000) + ".tmp";
}

bool IsNumber(std::string_view text) {
  return !text.empty() && text.size() <= 9 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether a directory entry is a temporary file of `name` whose process has ended.
bool IsStaleTemporary(std::string_view entry, const std::string& name) {
  const std::string prefix = TemporaryPrefix(name);
  if (!entry.starts_with(prefix) || !entry.ends_with(".tmp")) return false;
  entry.remove_prefix(prefix.size());
  entry.remove_suffix(4);
  const size_t dash = entry.find('-');
  if (dash == std::string_view::npos || !IsNumber(entry.substr(0, dash)) ||
      !IsNumber(entry.substr(dash + 1)))
    return false;
  const int pid = std::stoi(std::string(entry.substr(0, dash)));
  return pid > 0 && ProcessHasEnded(pid);
}

// Removes what killed processes left of their temporary files for `target`.
void RemoveStaleTemporaries(const std::string& target) {
  DIR* dir = ::opendir(posix::DirectoryOf(target).c_str());
  if (dir == nullptr) return;
  const std::string name = NameOf(target);
  while (const dirent* entry = ::readdir(dir))
    if (IsStaleTemporary(entry->d_name, name)) ::unlinkat(::dirfd(dir), entry->d_name, 0);
  ::closedir(dir);
}

// How long a copy waits for another to let go of the log (Archive copying a large one, say)
// before it gives up and says so, rather than freezing for good behind a stopped process.
constexpr auto kLockPatience = std::chrono::seconds(10);

enum class LockState { Locked, NoLocks, Busy };

// Whether a descriptor opened with O_NONBLOCK is a regular file, which it then reads and
// writes as usual.
bool BlockingRegularFile(int fd) {
  struct stat info {};
  const int flags = ::fcntl(fd, F_GETFL);
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flags >= 0 &&
         ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Takes an flock lock, waiting for it at most kLockPatience. NoLocks where the file system
// offers none (some network file systems): the caller goes on without.
LockState Lock(int fd, int how) {
  const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
  while (::flock(fd, how | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return LockState::NoLocks;
    if (std::chrono::steady_clock::now() >= deadline) return LockState::Busy;
    ::usleep(5'000);
  }
  return LockState::Locked;
}

// Whether the open file is still the one under `path` (not replaced by Archive or Clear while
// the caller waited for its lock).
bool StillUnderName(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Opens the file under `path` with `flags` and locks it with `how`, following the name to the
// file that replaced it while the lock was awaited. Never through a final link.
Descriptor OpenLocked(const std::string& path, int flags, int how, bool& locked) {
  for (int tries = 0; tries < 100; ++tries) {
    // NFS emulates flock with byte-range locks, whose exclusive kind needs a file open for
    // writing: a reader asks for that first, where the file lets it. O_NONBLOCK keeps a FIFO
    // planted under the name from stopping the program; it goes again once the file is known
    // to be a regular one, which some FUSE file systems would otherwise refuse to wait for.
    const int always = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    Descriptor fd(-1);
    if (flags == O_RDONLY) fd.Reset(::open(path.c_str(), O_RDWR | always));
    if (!fd.ok()) fd.Reset(::open(path.c_str(), flags | always));
    if (fd.ok() && !BlockingRegularFile(fd.get())) fd.Reset(-1);
    if (!fd.ok()) return fd;
    const LockState state = Lock(fd.get(), how);
    if (state == LockState::Busy) {
      errno = EWOULDBLOCK;
      return Descriptor(-1);
    }
    locked = state == LockState::Locked;
    if (!locked || StillUnderName(fd.get(), path)) return fd;
  }
  errno = EAGAIN;
  return Descriptor(-1);
}

// Makes a rename in a directory last through a power loss.
void SyncDirectoryOf(const std::string& path) {
  const int fd = ::open(posix::DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Copies what `in` holds from its current offset to its end.
FileStep CopyRest(int in, int out) {
  char buffer[65536];
  while (true) {
    const ssize_t got = posix::Read(in, buffer, sizeof buffer);
    if (got < 0) return FileStep::Read;
    if (got == 0) return FileStep::None;
    if (!posix::WriteAll(out, std::string_view(buffer, static_cast<size_t>(got))))
      return FileStep::Write;
  }
}

// The permissions a new file gets: what the user's umask leaves of 0666. Read from the kernel's
// account of the process, so that the umask is never changed, even for an instant.
mode_t NewFileMode() {
  Descriptor status(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
  char text[4096];
  const ssize_t got = status.ok() ? ::read(status.get(), text, sizeof text - 1) : -1;
  const std::string_view view(text, got > 0 ? static_cast<size_t>(got) : 0);
  const size_t at = view.find("\nUmask:\t");
  if (at != std::string_view::npos) {
    mode_t mask = 0;
    for (size_t i = at + 8; i < view.size() && view[i] >= '0' && view[i] <= '7'; ++i)
      mask = static_cast<mode_t>(mask * 8 + static_cast<mode_t>(view[i] - '0'));
    return 0666 & ~mask;
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return 0666 & ~mask;
}

// Gives a file the permissions `mode` unless it has them (a file system without permissions may
// refuse any change), and flushes it to disk.
FileStep SetModeAndFlush(int fd, std::optional<mode_t> mode) {
  struct stat info {};
  if (mode &&
      (::fstat(fd, &info) != 0 || ((info.st_mode & 07777) != *mode && ::fchmod(fd, *mode) != 0)))
    return FileStep::Write;
  return ::fsync(fd) == 0 ? FileStep::None : FileStep::Flush;
}

// Whether a failed rename or link says the file system cannot do it, rather than that it failed.
bool Unsupported(int error) {
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

// A new file written beside its target and put under the target's name once it is complete.
// Unnamed (O_TMPFILE) where the file system allows, so a killed process leaves nothing behind;
// otherwise hidden under a temporary name, which the destructor or a later write removes.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    const int error = errno;
    if (!name_.empty()) ::unlink(name_.c_str());
    errno = error;
  }

  // The mode 0666 leaves the permissions to the user's umask, as for any new file. A named
  // temporary file, which others could open while it fills, is private until Flush.
  FileStep Open(const std::string& target) {
    RemoveStaleTemporaries(target);
#ifdef O_TMPFILE
    fd_.Reset(::open(posix::DirectoryOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (fd_.ok()) return FileStep::None;
#endif
    name_ = TemporaryName(target);
    fd_.Reset(::open(name_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd_.ok()) {
      private_ = true;
      return FileStep::None;
    }
    name_.clear();
    return FileStep::Open;
  }

  int fd() const {
    return fd_.get();
  }

  // Gives the file the permissions `keep` (those of the file it replaces) and flushes it.
  FileStep Flush(std::optional<mode_t> keep) const {
    return SetModeAndFlush(fd(), private_ ? keep.value_or(NewFileMode()) : keep);
  }

  // Puts the file under `target` unless that name is taken. Afterwards fd() is the file under
  // that name.
  FileStatus PublishNew(const std::string& target) {
    if (name_.empty()) {
      if (LinkUnnamed(target)) return {};
      if (errno == EEXIST) return {FileStep::Exists};
      if (const FileStep step = Name(target); step != FileStep::None) return {step};
    }
    if (::renameat2(AT_FDCWD, name_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
      name_.clear();
      return {};
    }
    if (errno == EEXIST) return {FileStep::Exists};
    if (!Unsupported(errno)) return {FileStep::Rename};
    if (::link(name_.c_str(), target.c_str()) == 0) return {};  // the temporary name goes later
    if (errno == EEXIST) return {FileStep::Exists};
    if (!Unsupported(errno)) return {FileStep::Rename};
    return WriteInPlace(target);
  }

  // Puts the file under `target`, replacing what stands there.
  FileStatus PublishOver(const std::string& target) {
    if (name_.empty()) {
      const std::string name = TemporaryName(target);
      if (LinkUnnamed(name)) {
        name_ = name;
      } else if (const FileStep step = Name(target); step != FileStep::None) {
        return {step};
      }
    }
    if (::rename(name_.c_str(), target.c_str()) != 0) return {FileStep::Rename};
    name_.clear();
    return {};
  }

 private:
  bool LinkUnnamed(const std::string& name) const {
    const std::string self = "/proc/self/fd/" + std::to_string(fd());
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
  }

  // Copies an unnamed file that cannot be linked (no hard links here) into a named one.
  FileStep Name(const std::string& target) {
    struct stat info {};
    if (::fstat(fd(), &info) != 0) return FileStep::Read;
    const std::string name = TemporaryName(target);
    Descriptor named(::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!named.ok()) return FileStep::Open;
    name_ = name;
    FileStep step = ::lseek(fd(), 0, SEEK_SET) == 0 ? CopyRest(fd(), named.get()) : FileStep::Read;
    if (step == FileStep::None) {
      step = SetModeAndFlush(named.get(), static_cast<mode_t>(info.st_mode & 07777));
      fd_.Reset(named.get());
      named.Forget();
    }
    return step;
  }

  // The last resort where the file system has neither hard links nor an exclusive rename: the
  // file is written under its own name, which it takes with no permissions at all, so that no
  // other copy can open it (and append to it) before it is complete.
  FileStatus WriteInPlace(const std::string& target) {
    struct stat info {};
    if (::fstat(fd(), &info) != 0) return {FileStep::Read};
    Descriptor out(::open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0));
    if (!out.ok()) return {errno == EEXIST ? FileStep::Exists : FileStep::Open};
    // Read back under its name: some FUSE file systems do not read back through the descriptor
    // that wrote.
    Descriptor in(::open(name_.c_str(), O_RDONLY | O_CLOEXEC));
    FileStep step = in.ok() ? CopyRest(in.get(), out.get()) : FileStep::Read;
    if (step == FileStep::None)
      step = SetModeAndFlush(out.get(), static_cast<mode_t>(info.st_mode & 07777));
    if (step != FileStep::None) {
      ::unlink(target.c_str());
      return {step};
    }
    fd_.Reset(out.get());
    out.Forget();
    return {};
  }

  Descriptor fd_{-1};
  std::string name_;      // empty while the file is unnamed or once it has its final name
  bool private_ = false;  // made 0600, to get its own permissions at Flush
};

}  // namespace

bool ProcessHasEnded(int pid) {
  if (::kill(pid, 0) != 0) return errno == ESRCH;
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  char stat[512];
  const ssize_t got = fd.ok() ? ::read(fd.get(), stat, sizeof stat) : -1;
  if (got <= 0) return false;
  // "PID (COMMAND) STATE ...", where the command may hold blanks and parentheses.
  const std::string_view text(stat, static_cast<size_t>(got));
  const size_t close = text.rfind(')');
  return close != std::string_view::npos && close + 2 < text.size() &&
         (text[close + 2] == 'Z' || text[close + 2] == 'X');
}

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
  const int fd = ::open(Full(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  if (!BlockingRegularFile(fd)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FileLineReader>(fd);
}

std::unique_ptr<BlockReader> PosixFileSystem::OpenBlocks(std::string_view path) {
  // Only the log is scanned, and never through a link to someone else's file.
  const int fd = ::open(Full(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return nullptr;
  if (!BlockingRegularFile(fd)) {
    ::close(fd);
    return nullptr;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<FileBlockReader>(fd);
}

namespace {

// The status with the system's reason for a failure.
FileStatus WithReason(FileStatus status) {
  if (!status.ok() && status.error == 0) status.error = errno;
  return status;
}

}  // namespace

FileStatus PosixFileSystem::Append(std::string_view path, std::string_view text) {
  errno = 0;
  return WithReason(AppendEntry(path, text));
}

FileStatus PosixFileSystem::AppendEntry(std::string_view path, std::string_view text) {
  const std::string target = Full(path);
  // Archive and Clear hold the lock while they renew the log, so an entry waits for them and
  // then goes into the new log, never into the old file after its last read.
  bool locked = false;
  Descriptor fd = OpenLocked(target, O_WRONLY | O_APPEND, LOCK_EX, locked);
  if (!fd.ok()) return {FileStep::Open};
  // With O_APPEND the kernel places each write at the end as a whole. Under the lock nobody
  // else appends, so the rest of a short write may follow it; without, one write is all there is,
  // so that copies never mix their entries.
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = posix::Write(fd.get(), text.data() + done, text.size() - done);
    if (written <= 0) break;
    done += static_cast<size_t>(written);
    if (!locked) break;
  }
  if (done < text.size()) {
    // A full disk or a size limit: what part of the entry got in is taken back, as long as
    // nothing came after it, so the log stays as it was and the next entry starts on its own.
    const int error = errno;
    struct stat info {};
    const off_t end = ::lseek(fd.get(), 0, SEEK_CUR);
    // Without the lock another copy may append meanwhile, and a fragment is better than
    // cutting off its entry.
    if (locked && done > 0 && end >= static_cast<off_t>(done) && ::fstat(fd.get(), &info) == 0 &&
        info.st_size == end && ::ftruncate(fd.get(), end - static_cast<off_t>(done)) != 0) {
      // Nothing more to do then: the append's own failure is what is reported.
    }
    return {FileStep::Write, error};
  }
  if (!fd.Close()) return {FileStep::Flush};
  return {};
}

FileStatus PosixFileSystem::CreateNew(std::string_view path, std::string_view text) {
  const std::string target = Full(path);
  TempFile file;
  if (const FileStep step = file.Open(target); step != FileStep::None) return {step};
  if (!posix::WriteAll(file.fd(), text)) return {FileStep::Write};
  if (const FileStep step = file.Flush(std::nullopt); step != FileStep::None) return {step};
  const FileStatus status = file.PublishNew(target);
  if (status.ok()) SyncDirectoryOf(target);
  return status;
}

FileStatus PosixFileSystem::Replace(std::string_view path, std::string_view text) {
  errno = 0;
  return WithReason(Overwrite(path, text, false, true));
}

FileStatus PosixFileSystem::Renew(std::string_view path, std::string_view text) {
  errno = 0;
  return WithReason(Overwrite(path, text, true, true));
}

FileStatus PosixFileSystem::Overwrite(std::string_view path, std::string_view text, bool renew,
                                      bool lock) {
  const std::string target = Full(path);
  std::optional<mode_t> keep;
  struct stat info {};
  Descriptor old(-1);
  // A link under the name is replaced as a name, like any file: what it leads to is never
  // written through, and a new file's permissions apply.
  if (::lstat(target.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
    if (!S_ISREG(info.st_mode)) return {FileStep::Open};
    if (renew) {
      // The renewed file keeps the old one's permissions, a private log staying private, but
      // it may be written again (a read-only log is renewed to be added to). Appenders that
      // wait on the old file's lock meanwhile follow the name to the new one.
      keep = (info.st_mode & 07777) | S_IWUSR;
      bool locked = false;
      if (lock) old = OpenLocked(target, O_RDONLY, LOCK_EX, locked);
    } else {
      // A file that may not be written is not replaced behind its owner's back.
      if (::access(target.c_str(), W_OK) != 0) return {FileStep::Open};
      keep = info.st_mode & 07777;
    }
  }
  TempFile file;
  if (const FileStep step = file.Open(target); step != FileStep::None) return {step};
  if (!posix::WriteAll(file.fd(), text)) return {FileStep::Write};
  if (const FileStep step = file.Flush(keep); step != FileStep::None) return {step};
  const FileStatus status = file.PublishOver(target);
  if (status.ok()) SyncDirectoryOf(target);
  return status;
}

FileSystem::ArchiveStatus PosixFileSystem::Archive(std::string_view from, std::string_view to,
                                                   std::string_view fresh) {
  const std::string source = Full(from);
  const std::string target = Full(to);
  // Held from before the copy until after the last read, so that no entry is appended between
  // them: each one goes whole into the archive or into the new log.
  bool locked = false;
  Descriptor in = OpenLocked(source, O_RDONLY, LOCK_EX, locked);
  struct stat info {};
  if (!in.ok() || ::fstat(in.get(), &info) != 0) return {{FileStep::Open}, {}};
  ArchiveStatus status;
  TempFile copy;
  if (const FileStep step = copy.Open(target); step != FileStep::None) return {{step}, {}};
  if (const FileStep step = CopyRest(in.get(), copy.fd()); step != FileStep::None)
    return {{step}, {}};
  // The archive is as private as the log it copies.
  if (const FileStep step = copy.Flush(static_cast<mode_t>(info.st_mode & 07777));
      step != FileStep::None)
    return {{step}, {}};
  status.archive = copy.PublishNew(target);
  if (!status.archive.ok()) return status;
  SyncDirectoryOf(target);

  status.renew = Overwrite(from, fresh, true, false);
  if (!status.renew.ok()) {
    // All or nothing: the log still holds every entry, so the archive goes again.
    ::unlink(target.c_str());
    SyncDirectoryOf(target);
    return status;
  }
  // Where there is no lock, what another copy appended after the copy was taken, up to the
  // renewal, belongs to the archive; should it not fit there, it goes into the new log rather
  // than nowhere.
  std::string rest;
  char buffer[65536];
  while (true) {
    const ssize_t got = posix::Read(in.get(), buffer, sizeof buffer);
    if (got <= 0) break;
    rest.append(buffer, static_cast<size_t>(got));
  }
  if (!rest.empty()) {
    const bool kept = ::lseek(copy.fd(), 0, SEEK_END) >= 0 && posix::WriteAll(copy.fd(), rest) &&
                      ::fsync(copy.fd()) == 0;
    if (!kept) Append(from, rest);
  }
  return status;
}

}  // namespace tolvarn
