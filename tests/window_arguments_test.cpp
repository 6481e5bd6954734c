// The window program's command line, read before the toolkit starts.
#include <gtest/gtest.h>

#include <tuple>

#include "shell/window_arguments.h"

namespace tolvarn {
namespace {

TEST(WindowArgumentsTest, OwnOptionsToolkitOptionsAndMistakes) {
  using Action = WindowArguments::Action;
  using Row = std::tuple<std::vector<std::string_view>, Action, std::optional<std::string>,
                         std::string>;  // the words, then what they give
  const Row rows[] = {
      {{}, Action::Run, std::nullopt, ""},
      {{"--workdir", "/x", "-InhibitErrorCheck"}, Action::Run, "/x", "-InhibitErrorCheck"},
      {{"--workdir=/a", "--workdir", "/b"}, Action::Run, "/b", ""},  // the last counts
      {{"-platform", "xcb", "--style=Fusion", "-reverse"}, Action::Run, std::nullopt, ""},
      {{"--workdir="}, Action::Usage, std::nullopt, ""},
      {{"--workdir"}, Action::Usage, std::nullopt, ""},
      {{"--bogus", "--help"}, Action::Usage, std::nullopt, ""},
      {{"--version", "--bogus"}, Action::Version, std::nullopt, ""},
      {{"-InhibitErrorCheck", "--help"}, Action::Help, std::nullopt, "-InhibitErrorCheck"},
  };
  for (const auto& [words, action, workdir, arguments] : rows) {
    const WindowArguments read = ReadWindowArguments(words);
    SCOPED_TRACE(words.empty() ? "" : std::string(words.front()));
    EXPECT_EQ(read.action, action);
    EXPECT_EQ(read.workdir, workdir);
    EXPECT_EQ(read.arguments, arguments);
    EXPECT_EQ(read.error.empty(), action != Action::Usage) << read.error;
  }
}

}  // namespace
}  // namespace tolvarn
