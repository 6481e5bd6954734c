// The real locale: dates and currency symbols from the user's environment, read afresh each
// time and never through the process's own C locale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/posix_file_system.h"
#include "platform/posix_platform.h"

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

}  // namespace
}  // namespace tolvarn
