#include "posix/working_directory.h"

#include "posix/posix_file_system.h"
#include "posix/posix_io.h"
#include "version.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// Every start takes the paths below with plain strings and POSIX calls: std::filesystem, whose
// code is large, would be paged in for the first start's copy of the template alone.

namespace tolvarn {
namespace {

bool IsDirectory(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool HoldsInstallation(const std::string& path) {
  return IsDirectory(path + "/Data") && IsDirectory(path + "/Help") && IsDirectory(path + "/Log");
}

std::string CurrentDirectory() {
  std::string path(256, '\0');
  while (::getcwd(path.data(), path.size()) == nullptr) {
    if (errno != ERANGE) return "";
    path.resize(path.size() * 2);
  }
  path.resize(path.find('\0'));
  return path;
}

std::string UserDirectory() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && data_home[0] == '/') return std::string(data_home) + "/tolvarn";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/.local/share/tolvarn";
}

// Makes the folder `path` and those above it that are missing, as `mkdir -p` does.
bool MakeParents(const std::string& path) {
  if (path.empty() || IsDirectory(path)) return true;
  if (!MakeParents(posix::Parent(path))) return false;
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return false;
  if (IsDirectory(path)) return true;  // made meanwhile
  errno = ENOTDIR;
  return false;
}

bool CopyFile(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  // The copies are the user's own files, made as any new file of theirs is.
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  bool copied = out >= 0;
  char buffer[16384];
  while (copied) {
    const ssize_t got = posix::Read(in, buffer, sizeof buffer);
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    copied = posix::WriteAll(out, std::string_view(buffer, static_cast<size_t>(got)));
  }
  int error = errno;
  if (out >= 0 && ::close(out) != 0 && copied) {
    copied = false;  // a write that the file system could not keep after all
    error = errno;
  }
  ::close(in);
  errno = error;
  return copied;
}

// Copies the folder `from` to `to`, which must not exist yet: its folders and regular files
// (a link is followed, as a copy of the template should hold what it points at); anything else
// in it is left out. On failure errno says why and the caller removes what was made.
bool CopyTree(const std::string& from, const std::string& to, int depth = 0) {
  if (depth > 32) {
    errno = ELOOP;
    return false;
  }
  if (::mkdir(to.c_str(), 0777) != 0) return false;
  DIR* folder = ::opendir(from.c_str());
  if (folder == nullptr) return false;
  bool copied = true;
  errno = 0;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status {};
    const std::string source = from + '/' + name;
    const std::string target = to + '/' + name;
    if (::stat(source.c_str(), &status) != 0) {
      copied = false;
    } else if (S_ISDIR(status.st_mode)) {
      copied = CopyTree(source, target, depth + 1);
    } else if (S_ISREG(status.st_mode)) {
      copied = CopyFile(source, target);
    }
    if (!copied) break;
    errno = 0;
  }
  if (copied && errno != 0) copied = false;  // readdir failed
  const int saved = errno;
  ::closedir(folder);
  errno = saved;
  return copied;
}

void RemoveTree(const std::string& path) {
  ::nftw(
      path.c_str(),
      [](const char* name, const struct stat*, int, FTW*) {
        ::remove(name);
        return 0;
      },
      16, FTW_DEPTH | FTW_PHYS);
}

// Removes what starts that were killed part-way left in `folder`: "PREFIX-PID" whose process
// has ended (or is this one, from an earlier process of the same id).
void RemoveStaleStaging(const std::string& folder, std::string_view prefix) {
  DIR* listing = ::opendir(folder.empty() ? "/" : folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(prefix) || name.size() <= prefix.size() + 1 || name[prefix.size()] != '-')
      continue;
    const std::string_view digits = name.substr(prefix.size() + 1);
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    const int pid = std::stoi(std::string(digits));
    if (pid == ::getpid() || ProcessHasEnded(pid)) RemoveTree(folder + '/' + std::string(name));
  }
  ::closedir(listing);
}

std::string Staging(const std::string& path, std::string_view kind) {
  return path + '.' + std::string(kind) + '-' + std::to_string(::getpid());
}

// The help pages in the per-user directory carry the version of the program that copied them,
// so that an upgraded program's pages replace them.
constexpr std::string_view kHelpStamp = "/.version";

bool WriteStamp(const std::string& help) {
  const std::string name = help + std::string(kHelpStamp);
  const int out = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) return false;
  const std::string text = std::string(kVersionText) + '\n';
  const bool written = ::write(out, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return ::close(out) == 0 && written;
}

// Whether the version in the stamp is older than this program's, number by number ("4.9.2" is
// older than "4.10.0"). No stamp, or one that does not read, counts as older: such pages came
// from a version before stamps.
bool StampIsOlder(const std::string& help) {
  char text[32] = {};
  const int in = ::open((help + std::string(kHelpStamp)).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return true;
  const ssize_t got = ::read(in, text, sizeof text - 1);
  ::close(in);
  if (got <= 0) return true;
  std::string_view stamp(text, static_cast<size_t>(got));
  std::string_view version = kVersionText;
  while (!version.empty()) {
    auto next = [](std::string_view& rest) {
      unsigned long number = 0;
      size_t i = 0;
      for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && number < 1'000'000; ++i)
        number = number * 10 + static_cast<unsigned long>(rest[i] - '0');
      rest.remove_prefix(i < rest.size() ? i + 1 : i);
      return std::pair{number, i > 0};
    };
    const auto [mine, ok_mine] = next(version);
    const auto [theirs, ok_theirs] = next(stamp);
    if (!ok_theirs) return true;
    if (ok_mine && theirs != mine) return theirs < mine;
  }
  return false;
}

// Copies the template's help pages into `help` (which must not exist yet) with the stamp.
bool CopyHelp(const std::string& source, const std::string& help) {
  return CopyTree(source + "/Help", help) && WriteStamp(help);
}

// Brings the per-user directory up to the installed program at every start: a missing Log/ is
// made, a missing Help/ copied from the template, and help pages older than the program
// replaced by the installed ones. Neither folder holds anything of the user's. A failure
// leaves what was there: the program's own messages then say what is missing.
void KeepCurrent(const std::string& user, const std::string& source) {
  const std::string log = user + "/Log";
  if (!IsDirectory(log)) ::mkdir(log.c_str(), 0777);
  const std::string help = user + "/Help";
  if (!IsDirectory(source + "/Help")) return;
  RemoveStaleStaging(user, "Help.new");
  RemoveStaleStaging(user, "Help.old");
  if (IsDirectory(help) && !StampIsOlder(help)) return;
  // Made whole beside the old pages, then put in their place, so a failed copy changes nothing.
  const std::string fresh = Staging(help, "new");
  if (!CopyHelp(source, fresh)) {
    RemoveTree(fresh);
    return;
  }
  if (!IsDirectory(help)) {
    if (::rename(fresh.c_str(), help.c_str()) != 0) RemoveTree(fresh);
    return;
  }
  if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, help.c_str(), RENAME_EXCHANGE) == 0) {
    RemoveTree(fresh);  // now the old pages
    return;
  }
  // A file system without an exchange: the old pages are moved aside first; a start killed
  // between the two renames finds no Help/ and copies it.
  const std::string old = Staging(help, "old");
  if (::rename(help.c_str(), old.c_str()) != 0) {
    RemoveTree(fresh);
    return;
  }
  if (::rename(fresh.c_str(), help.c_str()) != 0) {
    ::rename(old.c_str(), help.c_str());
    RemoveTree(fresh);
    return;
  }
  RemoveTree(old);
}

}  // namespace

std::string TemplateDirectory() {
  char program[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
  if (length > 0) {
    // <prefix>/bin/tolvarn -> <prefix>/share/tolvarn
    const std::string prefix =
        posix::Parent(posix::Parent(std::string(program, static_cast<size_t>(length))));
    const std::string beside = prefix + "/share/tolvarn";
    if (IsDirectory(beside + "/Data")) return beside;
  }
  return TOLVARN_INSTALLED_TEMPLATE;
}

WorkingDirectory ResolveWorkingDirectory(const std::optional<std::string>& requested) {
  const std::string current = CurrentDirectory();
  if (requested) {
    // Made absolute as given (no . or .. resolved), so later changes of directory do not matter.
    // An empty name is a mistake (an unset variable in a script), never the default directory.
    if (requested->empty()) return {"", "the working directory's name is empty", true};
    std::string path = *requested;
    if (path.front() != '/')
      path = current.empty() ? "" : (current == "/" ? "" : current) + '/' + path;
    if (path.empty() || !IsDirectory(path))
      return {"", "no such working directory: " + *requested, true};
    return {path, ""};
  }
  if (!current.empty() && HoldsInstallation(current)) return {current, ""};

  const std::string user = UserDirectory();
  if (user.empty()) return {"", "no home directory for the program's files"};
  const std::string source = TemplateDirectory();
  if (IsDirectory(user)) {
    KeepCurrent(user, source);
    return {user, ""};
  }
  // The first start: made whole in a temporary directory, then renamed into place, so that a
  // failed copy never leaves a half-made directory behind to be taken for a broken one.
  const std::string staging = Staging(user, "new");
  RemoveStaleStaging(posix::Parent(user), user.substr(user.rfind('/') + 1) + ".new");
  bool made = MakeParents(posix::Parent(staging)) && ::mkdir(staging.c_str(), 0777) == 0 &&
              ::mkdir((staging + "/Log").c_str(), 0777) == 0 &&
              CopyTree(source + "/Data", staging + "/Data") &&
              CopyHelp(source, staging + "/Help") && ::rename(staging.c_str(), user.c_str()) == 0;
  if (!made) {
    const int error = errno;
    RemoveTree(staging);
    if (IsDirectory(user)) return {user, ""};  // another copy made it meanwhile
    return {"", "cannot create " + user + " from " + source + ": " + std::strerror(error)};
  }
  return {user, ""};
}

}  // namespace tolvarn
