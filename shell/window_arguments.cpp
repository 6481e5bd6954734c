#include "shell/window_arguments.h"

#include <algorithm>
#include <array>

#include "shell/tolvarn_main.h"

namespace tolvarn {
namespace {

// The toolkit's own options, which it reads and removes itself, with "-" or "--" before them.
constexpr std::array<std::string_view, 12> kToolkitOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "style",           "stylesheet",         "display",       "geometry"};
constexpr std::array<std::string_view, 5> kToolkitFlags = {"reverse", "widgetcount", "nograb",
                                                           "dograb", "sync"};

template <size_t N>
bool Holds(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

WindowArguments ReadWindowArguments(const std::vector<std::string_view>& words) {
  WindowArguments read;
  const auto usage = [&read](std::string error) {
    read.action = WindowArguments::Action::Usage;
    read.error = std::move(error);
    return read;
  };
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string_view word = words[i];
    if (word == "--help") {
      read.action = WindowArguments::Action::Help;
      return read;
    }
    if (word == "--version") {
      read.action = WindowArguments::Action::Version;
      return read;
    }
    if (word == "--workdir" || word.starts_with("--workdir=")) {
      // The last one given counts, as with any option; an empty one (an unset variable in a
      // script) never means the default directory.
      const bool joined = word != "--workdir";
      if (!joined && i + 1 == words.size()) return usage("--workdir needs a directory");
      const std::string_view dir = joined ? word.substr(10) : words[++i];
      if (dir.empty()) return usage("--workdir needs a directory");
      read.workdir = std::string(dir);
      continue;
    }
    std::string_view name = word;
    if (name.starts_with("--"))
      name.remove_prefix(2);
    else if (name.starts_with("-"))
      name.remove_prefix(1);
    const std::string_view bare = name.substr(0, name.find('='));
    if (word.starts_with("-") && Holds(kToolkitOptionsWithValue, bare)) {
      if (bare.size() == name.size()) ++i;  // its value follows
      continue;
    }
    if (word.starts_with("-") && Holds(kToolkitFlags, name)) continue;
    if (word.starts_with("--")) return usage("unknown option " + std::string(word));
    if (!read.arguments.empty()) read.arguments += ' ';
    read.arguments += word;
  }
  return read;
}

std::string WindowUsage() {
  return "Usage: tolvarn [--workdir DIR] [-InhibitErrorCheck]\n"
         "Shows the Tolvarn window: the running costs of two water-using appliances.\n"
         "\n"
         "  --workdir DIR        keep the files in DIR (Data/, Help/, Log/); by default\n"
         "                       the current directory when it holds them, else\n"
         "                       ~/.local/share/tolvarn\n"
         "  -InhibitErrorCheck   calculate without the data checks\n"
         "  --help               show this text and end\n"
         "  --version            show the version and end\n"
         "\n"
         "The toolkit's own options (-platform NAME, -style NAME, ...) are taken as well.\n"
         "Given twice, an option counts as the last one. Exit status: 0 done, 3 the\n"
         "program ended (a missing folder or a damaged file), 64 a usage error.\n"
         "Report a fault to the maker: " +
         std::string(kWebSiteBase) + "\n";
}

}  // namespace tolvarn
