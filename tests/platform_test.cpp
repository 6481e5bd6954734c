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

TEST(SystemLocale, FollowsTheUsersSettings) {
  const char* const cases[][3] = {
      // locale, short date, currency symbol
      {"en_GB.UTF-8", "07/12/26", "\u00A3"},
      {"de_DE.UTF-8", "07.12.2026", "\u20AC"},
      {"xx_NOWHERE.UTF-8", "12/07/26", "\u00A4"},  // a missing locale acts as C
  };
  for (const auto& [name, date, symbol] : cases) {
    ::setenv("LC_ALL", name, 1);
    SystemLocale locale;
    EXPECT_EQ(locale.ShortDate({2026, 12, 7, 9, 5, 3}), date) << name;
    EXPECT_EQ(locale.CurrencySymbol(), symbol) << name;
  }
  ::unsetenv("LC_ALL");
}

// A one-character symbol before the number (or after it), else the generic one: never a sign,
// a comma or a word that could be read as part of a number or a name.
TEST(SystemLocale, ChoosesAOneCharacterCurrencySymbolOrFallsBack) {
  const std::string euro = "\u20AC", pound = "\u00A3", generic = "\u00A4";
  const std::string rows[][3] = {// formatted 1, the locale's symbol, chosen
                                 {euro + "\u00A0" + "1,00", euro, euro},
                                 {pound + "1.00", "GBP", pound},
                                 {"\u20B91.00", "\u20B9", "\u20B9"},
                                 {"1,00 " + euro, euro, euro},
                                 {"kr 1,00", "kr", generic},
                                 {"1.00", "", generic},
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

// A new file or an archive never takes a name in use, nor appears half-written.
TEST_F(PosixFileSystemTest, CreateNewAndArchiveNeverTakeANameInUse) {
  PosixFileSystem files(dir_.string());
  EXPECT_TRUE(files.CreateNew("log", "one\n").ok());
  EXPECT_EQ(files.CreateNew("log", "other\n").failed, FileStep::Exists);
  const auto archived = files.Archive("log", "archive", "new\n");
  EXPECT_TRUE(archived.archive.ok() && archived.renew.ok());
  EXPECT_EQ(files.Archive("log", "archive", "newer\n").archive.failed, FileStep::Exists);
  ASSERT_TRUE(files.Append("log", "two\n").ok());
  EXPECT_EQ(Read("archive"), "one\n");
  EXPECT_EQ(Read("log"), "new\ntwo\n");
  EXPECT_EQ(Entries(), 2u);
}

// As a user, not root: a read-only log is archived and renewed writable, a private one stays
// private (the archive too); a replaced file keeps its permissions; a read-only file, or one in
// a directory the user may not write, is never replaced.
TEST_F(PosixFileSystemTest, PermissionsCarryOverAndAReadOnlyFileIsNeverReplaced) {
  Write("log", "one\n", 0444);
  Write("cleared", "one\n", 0640);
  Write("config", "old", 0444);
  Write("kept", "old", 0666);
  fs::create_directory(dir_ / "locked");
  Write("locked/config", "old", 0666);
  ::chmod((dir_ / "locked").c_str(), 0555);
  EXPECT_TRUE(AsUser([&] {
    PosixFileSystem files(dir_.string());
    if (!files.CreateNew("private", "one\n").ok()) return false;
    ::chmod((dir_ / "private").c_str(), 0600);
    const auto archived = files.Archive("log", "archive", "new\n");
    const auto kept = files.Archive("private", "private_archive", "new\n");
    return archived.archive.ok() && archived.renew.ok() && kept.archive.ok() && kept.renew.ok() &&
           files.Renew("cleared", "new\n").ok() &&
           files.Replace("config", "new").failed == FileStep::Open &&
           files.Replace("kept", "new").ok() && !files.Replace("locked/config", "new").ok() &&
           !files.Archive("locked/config", "locked_archive", "new\n").renew.ok();
  }));
  EXPECT_EQ(Read("archive"), "one\n");
  const std::map<std::string, mode_t> modes = {{"log", 0644},     {"archive", 0444},
                                               {"private", 0600}, {"cleared", 0640},
                                               {"config", 0444},  {"kept", 0666}};
  for (const auto& [name, mode] : modes)
    EXPECT_EQ(Mode(name), mode) << name;
  EXPECT_EQ(Read("private_archive"), "one\n");
  EXPECT_EQ(Mode("private_archive"), 0600u);
  EXPECT_EQ(Read("config"), "old");
  EXPECT_EQ(Read("locked/config"), "old");
  EXPECT_EQ(Entries(), 8u);  // no archive of the log that could not be renewed
}

// Links planted by another user where a file should be: nothing is read or written through
// them. Appending and archiving refuse; a replace or a renewal replaces the link itself. A link
// to a folder keeps working.
TEST_F(PosixFileSystemTest, NothingIsWrittenOrReadThroughAPlantedLink) {
  fs::create_directory(dir_ / "elsewhere");
  fs::permissions(dir_ / "elsewhere", fs::perms::all);
  Write("elsewhere/log", "one\n", 0666);
  fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "folder");
  EXPECT_TRUE(AsUser([&] {
    PosixFileSystem files(dir_.string());
    if (!files.CreateNew("secret", "mine\n").ok()) return false;
    ::chmod((dir_ / "secret").c_str(), 0600);
    for (const char* name : {"log", "config", "cleared"})
      if (::symlink((dir_ / "secret").c_str(), (dir_ / name).c_str()) != 0) return false;
    return files.Append("log", "two\n").failed == FileStep::Open &&
           files.Archive("log", "archive", "new\n").archive.failed == FileStep::Open &&
           !files.OpenBlocks("log") && files.Replace("config", "new").ok() &&
           files.Renew("cleared", "new\n").ok() && files.Append("folder/log", "two\n").ok() &&
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
      ".config." + ended + ".1.tmp",               // another program's
      ".thesis." + ended + ".1.tmp",
      ".notes.tmp",
      "x.1.2.tmp"};
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

// What another program or the disk may put in the window's way on real files.
class RealFiles : public testing::TempDir {
 protected:
  RealFiles() { Install(); }
  // A window on the real files of dir_, with the rest of the platform scripted.
  FakePlatform fake;
  PosixFileSystem files{dir_.string()};
  MemoryFieldStore fields;
  TolvarnMain window{fields, Platform{fake.boxes, fake.clock, fake.locale, fake.process, files,
                                      fake.launcher, fake.window}};
};

// Bytes that are not UTF-8 in a comment or after a number are read past, and in the log they
// make no record line.
TEST_F(RealFiles, TextThatIsNotUtf8InTheFilesIsHandled) {
  std::string config = "# \xff\xfe comment\r\n" + testing::kExampleConfiguration;
  config.insert(config.size() - 2, " \xc3\x28");  // after the last number, WVCost=120
  Write("Data/Tolvarn.ini", config);
  Write("Log/Tolvarn.log", "Tolvarn Results Log\r\n\xff\xfe\x80\r\n\xc0Water\r\n");
  window.Start(false, true);
  EXPECT_EQ(fields.Text(Field::WVCost), "\u00A31.2000");
  // "\xc0Water" is no record line: the log holds nothing to archive.
  fake.boxes.Script({BoxAnswer::Yes});
  window.Archive_Click();
  ASSERT_FALSE(fake.boxes.Shown().empty());
  EXPECT_EQ(fake.boxes.Shown().back().text,
            "There is no data to archive!\r\nResults log file not archived.");
}

// A link placed where the next archive name would go is left alone, and so is what it points
// to: the archive takes the next free name.
TEST_F(RealFiles, ALinkWhereAnArchiveWouldGoIsNotWrittenThrough) {
  const std::string log = "Tolvarn Results Log\r\n\r\nWater Volume Cost : 1\r\n";
  Write("Log/Tolvarn.log", log);
  const fs::path outside = dir_ / "outside.txt";
  Write("outside.txt", "not yours");
  fs::create_symlink(outside, dir_ / "Log/Tolvarn_261207_1.log");
  fake.boxes.Script({BoxAnswer::Yes});
  window.Archive_Click();
  EXPECT_EQ(testing::ReadFile(outside), "not yours");
  EXPECT_EQ(Read("Log/Tolvarn_261207_2.log"), log);
  EXPECT_TRUE(Read("Log/Tolvarn.log").starts_with("Tolvarn Results Log\r\nVersion 4.3"));
}

// The first start makes the user's own directory from the template, whole or not at all.
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
  // Every file under `root`, by its path below it, with its bytes.
  static std::map<std::string, std::string> Files(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
      if (entry.is_regular_file())
        files[fs::relative(entry.path(), root).string()] = testing::ReadFile(entry.path());
    return files;
  }
  fs::path previous_;
};

TEST_F(FirstStartTest, CopiesTheTemplateWholeOnceAndThenLeavesItAlone) {
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
  ASSERT_TRUE(fs::is_regular_file(fs::path(TemplateDirectory()) / "Data/Tolvarn.ini"));
  auto copied = Files(user);
  EXPECT_EQ(copied.extract("Help/.version").mapped(), std::string(kVersionText) + "\n");
  EXPECT_EQ(copied, Files(TemplateDirectory()));
  EXPECT_TRUE(fs::is_directory(user / "Log") && fs::is_empty(user / "Log"));
  ::waitpid(zombie, nullptr, 0);
  EXPECT_FALSE(fs::exists(killed));
  fs::remove(running);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "data"), {}), 1);  // nothing beside it
  // The copies are the user's own, writable files.
  EXPECT_NE(fs::status(user / "Data/Tolvarn.ini").permissions() & fs::perms::owner_write,
            fs::perms::none);

  // Later starts take the user's files as they are: nothing is copied over what they changed,
  // and help pages of this version stay as they are.
  std::ofstream(user / "Data/Tolvarn.ini", std::ios::binary) << "changed";
  fs::remove(user / "Help/index.htm");
  EXPECT_EQ(ResolveWorkingDirectory(std::nullopt).path, user.string());
  EXPECT_EQ(testing::ReadFile(user / "Data/Tolvarn.ini"), "changed");
  EXPECT_FALSE(fs::exists(user / "Help/index.htm"));
}

// Help/ and Log/ hold nothing of the user's: missing ones come back, and pages an older version
// copied give way to the installed ones; the tariff and the log are never touched.
TEST_F(FirstStartTest, HelpFollowsAnUpgradeAndMissingFoldersComeBack) {
  const fs::path user = dir_ / "data/tolvarn";
  ASSERT_EQ(ResolveWorkingDirectory(std::nullopt).path, user.string());
  const auto installed = Files(fs::path(TemplateDirectory()) / "Help");
  std::ofstream(user / "Data/Tolvarn.ini", std::ios::binary) << "mine";
  std::ofstream(user / "Log/Tolvarn.log", std::ios::binary) << "my log";
  auto older = [&](const std::string& stamp) {
    fs::remove(user / "Help/index.htm");
    std::ofstream(user / "Help/old.htm") << "old";
    if (stamp.empty())
      fs::remove(user / "Help/.version");
    else
      std::ofstream(user / "Help/.version") << stamp;
  };
  for (const std::string stamp : {"", "4.2.9\n", "0.9\n", "junk", "4\n"}) {
    older(stamp);
    ASSERT_EQ(ResolveWorkingDirectory(std::nullopt).path, user.string());
    auto now = Files(user / "Help");
    now.erase(".version");
    EXPECT_EQ(now, installed) << "stamp " << stamp;
  }
  // A newer version's pages (a downgrade) are left as they are.
  older("999.0.0\n");
  ResolveWorkingDirectory(std::nullopt);
  EXPECT_TRUE(fs::exists(user / "Help/old.htm"));

  fs::remove_all(user / "Help");
  fs::remove_all(user / "Log");
  ASSERT_EQ(ResolveWorkingDirectory(std::nullopt).path, user.string());
  EXPECT_TRUE(fs::is_directory(user / "Log"));
  auto restored = Files(user / "Help");
  restored.erase(".version");
  EXPECT_EQ(restored, installed);
  EXPECT_EQ(testing::ReadFile(user / "Data/Tolvarn.ini"), "mine");
  // Nothing of the copies is left beside them.
  for (const auto& entry : fs::directory_iterator(user))
    EXPECT_TRUE(entry.path().filename() == "Data" || entry.path().filename() == "Help" ||
                entry.path().filename() == "Log")
        << entry.path();
}

}  // namespace
}  // namespace tolvarn
