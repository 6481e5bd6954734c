#include "working_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

// Every start takes the paths below with plain strings and stat(); std::filesystem, whose code
// is large, is paged in only on the first start, which copies the template.

namespace tolvarn {
namespace {

namespace fs = std::filesystem;

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

}  // namespace

std::string TemplateDirectory() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    const fs::path beside = program.parent_path().parent_path() / "share" / "tolvarn";
    if (IsDirectory((beside / "Data").string())) return beside.string();
  }
  return TOLVARN_INSTALLED_TEMPLATE;
}

WorkingDirectory ResolveWorkingDirectory(const std::optional<std::string>& requested) {
  const std::string current = CurrentDirectory();
  if (requested) {
    // Made absolute as given (no . or .. resolved), so later changes of directory do not matter.
    std::string path = *requested;
    if (!path.empty() && path.front() != '/')
      path = current.empty() ? "" : (current == "/" ? "" : current) + '/' + path;
    if (path.empty() || !IsDirectory(path)) return {"", "no such working directory: " + *requested};
    return {path, ""};
  }
  if (!current.empty() && HoldsInstallation(current)) return {current, ""};

  const std::string user = UserDirectory();
  if (user.empty()) return {"", "no home directory for the program's files"};
  if (IsDirectory(user)) return {user, ""};
  // The first start: made whole in a temporary directory, then renamed into place, so that a
  // failed copy never leaves a half-made directory behind to be taken for a broken one.
  const fs::path source = TemplateDirectory();
  std::error_code error;
  const fs::path staging = user + ".new-" + std::to_string(::getpid());
  fs::create_directories(staging / "Log", error);
  if (!error) fs::copy(source / "Data", staging / "Data", fs::copy_options::recursive, error);
  if (!error) fs::copy(source / "Help", staging / "Help", fs::copy_options::recursive, error);
  if (!error) fs::rename(staging, user, error);
  if (error) {
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    if (IsDirectory(user)) return {user, ""};  // another copy made it meanwhile
    return {"", "cannot create " + user + " from " + source.string() + ": " + error.message()};
  }
  return {user, ""};
}

}  // namespace tolvarn
