// The real platform: the locale read from the user's environment (never through the process's
// own C locale), the file system's promises, the window on real files, and the first start.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "core/memory_field_store.h"
#include "posix/posix_file_system.h"
#include "posix/posix_platform.h"
#include "posix/working_directory.h"
#include "shell/tolvarn_main.h"
#include "temp_dir.h"
#include "tests/support/fake_platform.h"
#include "version.h"

namespace tolvarn {
namespace {

namespace fs = std::filesystem;

// A one-character symbol before the number (or after it), else the generic one: never a sign,
// a comma or a word that could be read as part of a number or a name.
TEST(SystemLocale, FollowsTheUsersSettingsWithAOneCharacterSymbol) {
  const char* const locales[][3] = {
      // locale, short date, currency symbol
      {"en_GB.UTF-8", "07/12/26", "\u00A3"},
      {"de_DE.UTF-8", "07.12.2026", "\u20AC"},     // after the number
      {"xx_NOWHERE.UTF-8", "12/07/26", "\u00A4"},  // a missing locale acts as C
  };
  for (const auto& [name, date, symbol] : locales) {
    ::setenv("LC_ALL", name, 1);
    SystemLocale locale;
    EXPECT_EQ(locale.ShortDate({2026, 12, 7, 9, 5, 3}), date) << name;
    EXPECT_EQ(locale.CurrencySymbol(), symbol) << name;
  }
  ::unsetenv("LC_ALL");
  const std::string euro = "\u20AC", generic = "\u00A4";
  const std::string rows[][3] = {// formatted 1, the locale's symbol, chosen
                                 {euro + "\u00A0" + "1,00", euro, euro},
                                 {"\u00A31.00", "GBP", "\u00A3"},
                                 {"kr 1,00", "kr", generic},
                                 {"-1", "-", generic},
                                 {"1,00", ",", generic}};
  for (const auto& [formatted, symbol, chosen] : rows)
    EXPECT_EQ(ChooseCurrencySymbol(formatted, symbol), chosen) << formatted;
}

// The real file system's promises. The test command runs these also with link() failing, as on
// FAT (TOLVARN_NO_LINKS is set).
class PosixFileSystemTest : public testing::TempDir {
 protected:
  PosixFileSystemTest() {
    // Reachable by the unprivileged user of AsUser (where the file system has permissions).
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::all, ignored);
  }
  using TempDir::Write;
  void Write(const std::string& name, const std::string& text, mode_t mode) {
    Write(name, text);
    ::chmod((dir_ / name).c_str(), mode);
  }
  mode_t Mode(const std::string& name) {
    struct stat info {};
    return ::stat((dir_ / name).c_str(), &info) == 0 ? info.st_mode & 07777 : 01000;
  }
  size_t Entries() { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }
  // Runs `body` in a child process, as nobody when the tests run as root (whom permissions do
  // not stop), under umask 022; answers whether it answered true.
  static bool AsUser(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::geteuid() == 0 &&
          (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
        ::_exit(2);
      ::umask(022);
      ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
  }
};

// As a user, not root: a new file or an archive never takes a name in use; a read-only log is
// archived and renewed writable, a private one stays private (the archive too); a replaced file
// keeps its permissions; a read-only file, or one in a directory the user may not write, is
// never replaced.
TEST_F(PosixFileSystemTest, NamesInUseAreNeverTakenAndPermissionsCarryOver) {
  Write("log", "one\n", 0444);
  Write("cleared", "one\n", 0640);
  Write("config", "old", 0444);
  Write("kept", "old", 0666);
  fs::create_directory(dir_ / "locked");
  Write("locked/config", "old", 0666);
  ::chmod((dir_ / "locked").c_str(), 0555);
  EXPECT_TRUE(AsUser([&] {
    PosixFileSystem files(dir_.string());
    if (!files.CreateNew("private", "one\n").ok() ||
        files.CreateNew("private", "other\n").failed != FileStep::Exists)
      return false;
    ::chmod((dir_ / "private").c_str(), 0600);
    const auto archived = files.Archive("log", "archive", "new\n");
    const auto kept = files.Archive("private", "private_archive", "new\n");
    return archived.archive.ok() && archived.renew.ok() && kept.archive.ok() && kept.renew.ok() &&
           files.Archive("log", "archive", "newer\n").archive.failed == FileStep::Exists &&
           files.Append("log", "two\n").ok() && files.Renew("cleared", "new\n").ok() &&
           files.Replace("config", "new").failed == FileStep::Open &&
           files.Replace("kept", "new").ok() && !files.Replace("locked/config", "new").ok() &&
           !files.Archive("locked/config", "locked_archive", "new\n").renew.ok();
  }));
  const std::tuple<std::string, mode_t, std::string> expected[] = {
      {"log", 0644, "new\ntwo\n"}, {"archive", 0444, "one\n"},
      {"private", 0600, "new\n"},  {"private_archive", 0600, "one\n"},
      {"cleared", 0640, "new\n"},  {"config", 0444, "old"},
      {"kept", 0666, "new"},       {"locked/config", 0666, "old"}};
  for (const auto& [name, mode, text] : expected) {
    EXPECT_EQ(Mode(name), mode) << name;
    EXPECT_EQ(Read(name), text) << name;
  }
  EXPECT_EQ(Entries(), 8u);  // no archive of the log that could not be renewed
}

// Links planted by another user where a file should be: nothing is read or written through
// them. Appending and archiving refuse, and so does an archive whose name a link takes; a
// replace or a renewal replaces the link itself. A link to a folder keeps working.
TEST_F(PosixFileSystemTest, NothingIsWrittenOrReadThroughAPlantedLink) {
  fs::create_directory(dir_ / "elsewhere");
  fs::permissions(dir_ / "elsewhere", fs::perms::all);
  Write("elsewhere/log", "one\n", 0666);
  fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "folder");
  EXPECT_TRUE(AsUser([&] {
    PosixFileSystem files(dir_.string());
    if (!files.CreateNew("secret", "mine\n").ok()) return false;
    ::chmod((dir_ / "secret").c_str(), 0600);
    for (const char* name : {"log", "config", "cleared", "taken"})
      if (::symlink((dir_ / "secret").c_str(), (dir_ / name).c_str()) != 0) return false;
    return files.Append("log", "two\n").failed == FileStep::Open &&
           files.Archive("log", "archive", "new\n").archive.failed == FileStep::Open &&
           !files.OpenBlocks("log") && files.Replace("config", "new").ok() &&
           files.Renew("cleared", "new\n").ok() && files.Append("folder/log", "two\n").ok() &&
           files.Archive("folder/log", "taken", "new\n").archive.failed == FileStep::Exists &&
           files.Archive("folder/log", "folder/archive", "new\n").renew.ok();
  }));
  EXPECT_EQ(Read("secret"), "mine\n");
  EXPECT_EQ(Mode("secret"), 0600u);
  EXPECT_FALSE(fs::exists(dir_ / "archive"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "log"));
  EXPECT_FALSE(fs::is_symlink(dir_ / "config"));
  EXPECT_EQ(Read("config"), "new");
  EXPECT_EQ(Read("cleared"), "new\n");
  EXPECT_EQ(Read("elsewhere/archive"), "one\ntwo\n");
  EXPECT_EQ(Read("elsewhere/log"), "new\n");
}

// A temporary file that a killed copy left is removed by the next write of the same file, once
// its process has ended; another program's, or one of another file, stays.
TEST_F(PosixFileSystemTest, OnlyOurOwnStaleTemporariesOfTheFileAreRemoved) {
  const pid_t zombie = ::fork();  // ended, not yet reaped by its parent
  if (zombie == 0) ::_exit(0);
  ::usleep(100'000);
  const std::string ended = std::to_string(zombie);
  const auto ours = [](const std::string& name, const std::string& pid) {
    return "." + name + ".tolvarn-" + pid + "-12345.tmp";
  };
  const std::vector<std::string> others = {
      ours("config", std::to_string(::getpid())),  // still running
      ours("thesis", ended),                       // another file's
      ".config." + ended + ".1.tmp"};              // another program's
  Write(ours("config", ended), "partial", 0600);
  for (const std::string& name : others)
    Write(name, "partial", 0600);
  PosixFileSystem files(dir_.string());
  ASSERT_TRUE(files.Replace("config", "new").ok());
  ::waitpid(zombie, nullptr, 0);
  EXPECT_FALSE(fs::exists(dir_ / ours("config", ended)));
  for (const std::string& name : others)
    EXPECT_TRUE(fs::exists(dir_ / name)) << name;
  EXPECT_EQ(Entries(), others.size() + 1);
}

// The window on real files, the rest of the platform scripted: bytes that are not UTF-8 in a
// comment or after a number are read past, and in the log they make no record line.
using RealFiles = testing::TempDir;

TEST_F(RealFiles, TextThatIsNotUtf8InTheFilesIsHandled) {
  Install();
  std::string config = "# \xff\xfe comment\r\n" + testing::kExampleConfiguration;
  config.insert(config.size() - 2, " \xc3\x28");  // after the last number, WVCost=120
  Write("Data/Tolvarn.ini", config);
  Write("Log/Tolvarn.log", "Tolvarn Results Log\r\n\xff\xfe\x80\r\n\xc0Water\r\n");
  FakePlatform fake;
  PosixFileSystem files(dir_.string());
  MemoryFieldStore fields;
  TolvarnMain window(fields, {fake.boxes, fake.clock, fake.locale, fake.process, files,
                              fake.launcher, fake.window});
  window.Start(false, true);
  EXPECT_EQ(fields.Text(Field::WVCost), "\u00A31.2000");
  EXPECT_FALSE(window.ArchiveLog());
  ASSERT_FALSE(fake.boxes.Shown().empty());
  EXPECT_EQ(fake.boxes.Shown().back().text,
            "There is no data to archive!\r\nResults log file not archived.");
}

// The first start makes the user's own directory from the template, whole or not at all; later
// ones keep Help/ and Log/ current, which hold nothing of the user's.
class FirstStartTest : public testing::TempDir {
 protected:
  void SetUp() override {
    // Not a portable copy: the current directory holds no Data/, Help/ and Log/.
    previous_ = fs::current_path();
    fs::current_path(dir_);
    ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_DATA_HOME");
    fs::current_path(previous_);
  }
  // Every file under `root`, by its path below it, with its bytes; the help pages' stamp aside.
  static std::map<std::string, std::string> Files(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
      if (entry.is_regular_file() && entry.path().filename() != ".version")
        files[fs::relative(entry.path(), root).string()] = testing::ReadFile(entry.path());
    return files;
  }
  fs::path previous_;
};

TEST_F(FirstStartTest, CopiesTheTemplateOnceAndKeepsHelpAndLogCurrent) {
  const fs::path user = dir_ / "data/tolvarn";
  // What first starts killed part-way left goes; a running one's stays.
  const pid_t zombie = ::fork();
  if (zombie == 0) ::_exit(0);
  ::usleep(100'000);
  const fs::path killed = dir_ / ("data/tolvarn.new-" + std::to_string(zombie));
  const fs::path running = dir_ / ("data/tolvarn.new-" + std::to_string(::getppid()));
  fs::create_directories(killed / "Data");
  fs::create_directories(running);
  const WorkingDirectory made = ResolveWorkingDirectory(std::nullopt);
  ASSERT_EQ(made.path, user.string()) << made.error;
  const auto installed = Files(TemplateDirectory());
  ASSERT_TRUE(installed.contains("Data/Tolvarn.ini"));
  EXPECT_EQ(Files(user), installed);
  EXPECT_EQ(testing::ReadFile(user / "Help/.version"), std::string(kVersionText) + "\n");
  EXPECT_TRUE(fs::is_directory(user / "Log") && fs::is_empty(user / "Log"));
  ::waitpid(zombie, nullptr, 0);
  EXPECT_FALSE(fs::exists(killed));
  fs::remove(running);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "data"), {}), 1);  // nothing beside it
  // The copies are the user's own, writable files, never copied over again.
  EXPECT_NE(fs::status(user / "Data/Tolvarn.ini").permissions() & fs::perms::owner_write,
            fs::perms::none);
  std::ofstream(user / "Data/Tolvarn.ini", std::ios::binary) << "mine";

  // Pages an older version copied (or one before stamps) give way to the installed ones, the
  // old ones gone at once; those of this version, or of a newer one (a downgrade), stay.
  const auto help = Files(fs::path(TemplateDirectory()) / "Help");
  const std::pair<std::string, bool> stamps[] = {{"", true},
                                                 {"4.2.9\n", true},
                                                 {"junk", true},
                                                 {"4\n", true},
                                                 {std::string(kVersionText) + "\n", false},
                                                 {"999.0.0\n", false}};
  for (const auto& [stamp, replaced] : stamps) {
    fs::remove(user / "Help/index.htm");
    std::ofstream(user / "Help/old.htm") << "old";
    if (stamp.empty())
      fs::remove(user / "Help/.version");
    else
      std::ofstream(user / "Help/.version") << stamp;
    ASSERT_EQ(ResolveWorkingDirectory(std::nullopt).path, user.string());
    EXPECT_EQ(Files(user / "Help") == help, replaced) << "stamp " << stamp;
    EXPECT_EQ(std::distance(fs::directory_iterator(user), {}), 3) << "stamp " << stamp;
  }
  // Missing folders come back, and nothing of the copies is left beside them.
  fs::remove_all(user / "Help");
  fs::remove_all(user / "Log");
  ASSERT_EQ(ResolveWorkingDirectory(std::nullopt).path, user.string());
  EXPECT_TRUE(fs::is_directory(user / "Log"));
  EXPECT_EQ(Files(user / "Help"), help);
  EXPECT_EQ(testing::ReadFile(user / "Data/Tolvarn.ini"), "mine");
  EXPECT_EQ(std::distance(fs::directory_iterator(user), {}), 3);
}

}  // namespace
}  // namespace tolvarn
