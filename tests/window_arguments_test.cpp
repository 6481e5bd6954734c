// The window program's command line, read before the toolkit starts.
#include <gtest/gtest.h>

#include "shell/window_arguments.h"

namespace tolvarn {
namespace {

TEST(WindowArgumentsTest, OwnOptionsToolkitOptionsAndMistakes) {
  using Action = WindowArguments::Action;
  const struct {
    std::vector<std::string_view> words;
    Action action;
    std::optional<std::string> workdir;
    std::string arguments;
  } rows[] = {
      {{}, Action::Run, std::nullopt, ""},
      {{"-InhibitErrorCheck"}, Action::Run, std::nullopt, "-InhibitErrorCheck"},
      {{"--workdir", "/x", "-InhibitErrorCheck"}, Action::Run, "/x", "-InhibitErrorCheck"},
      {{"--workdir=/a", "--workdir", "/b"}, Action::Run, "/b", ""},  // the last counts
      {{"-platform", "offscreen", "--style=Fusion", "-reverse", "--platformtheme", "gtk3"},
       Action::Run,
       std::nullopt,
       ""},
      {{"--workdir="}, Action::Usage, std::nullopt, ""},
      {{"--workdir"}, Action::Usage, std::nullopt, ""},
      {{"--bogus", "--help"}, Action::Usage, std::nullopt, ""},
      {{"--version", "--bogus"}, Action::Version, std::nullopt, ""},
      {{"-InhibitErrorCheck", "--help"}, Action::Help, std::nullopt, "-InhibitErrorCheck"},
  };
  for (const auto& row : rows) {
    const WindowArguments read = ReadWindowArguments(row.words);
    SCOPED_TRACE(row.words.empty() ? "" : std::string(row.words.front()));
    EXPECT_EQ(read.action, row.action);
    EXPECT_EQ(read.workdir, row.workdir);
    EXPECT_EQ(read.arguments, row.arguments);
    EXPECT_EQ(read.error.empty(), row.action != Action::Usage) << read.error;
  }
}

}  // namespace
}  // namespace tolvarn
