// Blanks around a text, removed: the one trim every reader uses. Only U+0020 by default, since
// the configuration file and the numbers treat a tab as part of the text; the settings files
// also take tabs.
#pragma once

#include <string_view>

namespace tolvarn {

inline constexpr std::string_view kBlanksAndTabs = " \t";

constexpr std::string_view Trimmed(std::string_view text, std::string_view blanks = " ") {
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace tolvarn
