// Where the program keeps its files: the directory given with --workdir; else the current
// directory when it holds Data/, Help/ and Log/ (a portable copy); else a per-user directory
// ($XDG_DATA_HOME/tolvarn, by default ~/.local/share/tolvarn), which the first start creates
// from the installed template. After that first creation, missing pieces are reported by the
// program's own messages, never silently replaced.
#pragma once

#include <optional>
#include <string>

namespace tolvarn {

struct WorkingDirectory {
  std::string path;   // empty when there is none
  std::string error;  // why, when there is none
  // Whether the request itself was wrong (an empty name, no such directory), rather than the
  // user's directory could not be made.
  bool bad_request = false;
};

WorkingDirectory ResolveWorkingDirectory(const std::optional<std::string>& requested);

// The installed template (Data/Tolvarn.ini and Help/): beside the program
// (<prefix>/bin/../share/tolvarn), or where the build installs it.
std::string TemplateDirectory();

}  // namespace tolvarn
