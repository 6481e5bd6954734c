// The window program's command line, read before the toolkit starts, so that --help, --version
// and a mistake are answered on any terminal, with a display or without.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvarn {

struct WindowArguments {
  enum class Action { Run, Help, Version, Usage };
  Action action = Action::Run;
  std::optional<std::string> workdir;
  // The program's argument text: every word that is neither --workdir nor the toolkit's own
  // option, joined by blanks ("-InhibitErrorCheck").
  std::string arguments;
  std::string error;  // with Usage: what was wrong
};

// `words` without the program's name. The toolkit's options (-platform NAME, --style=NAME,
// -reverse and the like) are left to it; any other word beginning with "--" is a mistake.
WindowArguments ReadWindowArguments(const std::vector<std::string_view>& words);

// The text of --help, at most 80 columns wide.
std::string WindowUsage();

}  // namespace tolvarn
