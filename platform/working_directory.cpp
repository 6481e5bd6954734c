#include "working_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tolvarn {
namespace {

namespace fs = std::filesystem;

bool IsDirectory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool HoldsInstallation(const fs::path& path) {
  return IsDirectory(path / "Data") && IsDirectory(path / "Help") && IsDirectory(path / "Log");
}

fs::path UserDirectory() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && data_home[0] == '/') return fs::path(data_home) / "tolvarn";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return fs::path(home) / ".local" / "share" / "tolvarn";
}

}  // namespace

std::string TemplateDirectory() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    const fs::path beside = program.parent_path().parent_path() / "share" / "tolvarn";
    if (IsDirectory(beside / "Data")) return beside.string();
  }
  return TOLVARN_INSTALLED_TEMPLATE;
}

WorkingDirectory ResolveWorkingDirectory(const std::optional<std::string>& requested) {
  std::error_code error;
  if (requested) {
    const fs::path path = fs::absolute(*requested, error);
    if (error || !IsDirectory(path)) return {"", "no such working directory: " + *requested};
    return {path.string(), ""};
  }
  const fs::path current = fs::current_path(error);
  if (!error && HoldsInstallation(current)) return {current.string(), ""};

  const fs::path user = UserDirectory();
  if (user.empty()) return {"", "no home directory for the program's files"};
  if (IsDirectory(user)) return {user.string(), ""};
  // The first start: made whole in a temporary directory, then renamed into place, so that a
  // failed copy never leaves a half-made directory behind to be taken for a broken one.
  const fs::path source = TemplateDirectory();
  const fs::path staging = user.string() + ".new-" + std::to_string(::getpid());
  fs::create_directories(staging / "Log", error);
  if (!error) fs::copy(source / "Data", staging / "Data", fs::copy_options::recursive, error);
  if (!error) fs::copy(source / "Help", staging / "Help", fs::copy_options::recursive, error);
  if (!error) fs::rename(staging, user, error);
  if (error) {
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    if (IsDirectory(user)) return {user.string(), ""};  // another copy made it meanwhile
    return {"",
            "cannot create " + user.string() + " from " + source.string() + ": " + error.message()};
  }
  return {user.string(), ""};
}

}  // namespace tolvarn
