// Small text helpers every layer shares. Trimmed: blanks around a text removed, the one trim
// every reader uses; only U+0020 by default, since the configuration file and the numbers treat
// a tab as part of the text, while the settings files also take tabs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvarn {

inline constexpr std::string_view kBlanksAndTabs = " \t";
// Every file the program writes ends its lines this way, as the stored files do.
inline constexpr std::string_view kLineEnd = "\r\n";

constexpr std::string_view Trimmed(std::string_view text, std::string_view blanks = " ") {
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Lines joined with line feeds, as the windows show a list of messages.
inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

}  // namespace tolvarn
