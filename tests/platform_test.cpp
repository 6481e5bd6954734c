// The real locale: dates and currency symbols from the user's environment, read afresh each
// time and never through the process's own C locale.
#include <gtest/gtest.h>

#include <poll.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix_file_system.h"
#include "platform/posix_platform.h"
#include "platform/xdg_launcher.h"

namespace tolvarn {
namespace {

class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const char* locale) { ::setenv("LC_ALL", locale, 1); }
  ~ScopedEnvironment() { ::unsetenv("LC_ALL"); }
};

TEST(SystemLocale, FollowsTheUsersSettings) {
  struct Case {
    const char* locale;
    const char* date;
    const char* symbol;
  };
  const Case cases[] = {
      {"C", "12/07/26", "\u00A4"},
      {"en_GB.UTF-8", "07/12/26", "\u00A3"},
      {"en_US.UTF-8", "12/07/2026", "$"},
      {"de_DE.UTF-8", "07.12.2026", "\u20AC"},
      {"xx_NOWHERE.UTF-8", "12/07/26", "\u00A4"},  // a missing locale acts as C
  };
  const LocalDateTime when{2026, 12, 7, 9, 5, 3};
  for (const Case& c : cases) {
    const ScopedEnvironment environment(c.locale);
    SystemLocale locale;
    EXPECT_EQ(locale.ShortDate(when), c.date) << c.locale;
    EXPECT_EQ(locale.CurrencySymbol(), c.symbol) << c.locale;
  }
}

}  // namespace
}  // namespace tolvarn

namespace tolvarn {
namespace {

// The real file system's promises: nothing half-written under a final name, late appends kept
// by an archive, and a replaced file keeping its permissions and its link.
class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvarn_fs_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path dir_;
};

TEST_F(PosixFileSystemTest, CreateNewAppearsWholeOrNotAtAll) {
  PosixFileSystem files(dir_.string());
  EXPECT_TRUE(files.CreateNew("log", "header\r\n").ok());
  EXPECT_EQ(files.CreateNew("log", "other\r\n").failed, FileStep::Exists);
  EXPECT_EQ(Read("log"), "header\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(PosixFileSystemTest, ASnapshotKeepsWhatIsAppendedUntilTheFileIsReplaced) {
  PosixFileSystem files(dir_.string());
  ASSERT_TRUE(files.CreateNew("log", "one\n").ok());
  ASSERT_TRUE(files.Snapshot("log", "archive").ok());
  EXPECT_EQ(files.Snapshot("log", "archive").failed, FileStep::Exists);
  ASSERT_TRUE(files.Append("log", "two\n").ok());  // another copy, a moment too late
  ASSERT_TRUE(files.Replace("log", "new\n").ok());
  ASSERT_TRUE(files.Append("log", "three\n").ok());
  EXPECT_EQ(Read("archive"), "one\ntwo\n");
  EXPECT_EQ(Read("log"), "new\nthree\n");
}

TEST_F(PosixFileSystemTest, ReplaceKeepsPermissionsAndFollowsALink) {
  PosixFileSystem files(dir_.string());
  std::filesystem::create_directory(dir_ / "real");
  ASSERT_TRUE(files.CreateNew("real/config", "old").ok());
  std::filesystem::permissions(dir_ / "real/config", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_write |
                                                         std::filesystem::perms::group_read |
                                                         std::filesystem::perms::group_write);
  std::filesystem::create_symlink(dir_ / "real/config", dir_ / "config");
  ASSERT_TRUE(files.Replace("config", "new").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "config"));
  EXPECT_EQ(Read("real/config"), "new");
  EXPECT_EQ(
      std::filesystem::status(dir_ / "real/config").permissions() & std::filesystem::perms::all,
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
          std::filesystem::perms::group_read | std::filesystem::perms::group_write);
  EXPECT_FALSE(files.IsFile("real"));
  EXPECT_TRUE(files.Exists("real"));
}

// The launcher returns at once; how the handler ends decides what is reported, whenever that
// is. The watch here polls the descriptor, as the window's event loop does.
TEST(XdgLauncherTest, TheHandlersEndingDecidesTheFailure) {
  const std::filesystem::path bin =
      std::filesystem::temp_directory_path() / ("tolvarn_launch_" + std::to_string(::getpid()));
  std::filesystem::create_directories(bin);
  const std::string saved_path = std::getenv("PATH");
  std::vector<std::pair<int, std::function<void()>>> watched;
  XdgLauncher launcher(bin.string(), [&watched](int fd, std::function<void()> ready) {
    watched.emplace_back(fd, std::move(ready));
  });
  struct Row {
    const char* script;  // the handler's body; none: no xdg-open at all
    std::optional<LaunchFailure> failure;
  };
  const Row rows[] = {
      {nullptr, LaunchFailure::NotStarted},           {"exit 0", std::nullopt},
      {"sleep 1; exit 3", LaunchFailure::NotStarted},  // no viewer, found late
      {"exit 127", LaunchFailure::NotStarted},        {"exit 4", LaunchFailure::Failed},
      {"kill -9 $$", LaunchFailure::Failed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.script == nullptr ? "none" : row.script);
    std::filesystem::remove(bin / "xdg-open");
    ::setenv("PATH",
             (row.script == nullptr ? bin.string() : bin.string() + ":" + saved_path).c_str(), 1);
    if (row.script != nullptr) {
      std::ofstream(bin / "xdg-open") << "#!/bin/sh\n" << row.script << "\n";
      std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    }
    watched.clear();
    std::vector<LaunchFailure> reported;
    launcher.Open("Help/index.htm", [&reported](LaunchFailure f) { reported.push_back(f); });
    if (row.script != nullptr) {
      ASSERT_EQ(watched.size(), 1u);
      EXPECT_TRUE(reported.empty());  // nothing is known until the handler ends
      pollfd ended{watched[0].first, POLLIN, 0};
      ASSERT_EQ(::poll(&ended, 1, 5000), 1);
      watched[0].second();
    }
    EXPECT_EQ(reported, row.failure ? std::vector<LaunchFailure>{*row.failure}
                                    : std::vector<LaunchFailure>{});
  }
  ::setenv("PATH", saved_path.c_str(), 1);
  std::filesystem::remove_all(bin);
}

}  // namespace
}  // namespace tolvarn
