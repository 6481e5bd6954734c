// What a user, another program or the disk may put in the program's way: a megabyte pasted into
// a field, text that is not UTF-8 in the configuration file and the log, a link where an
// archive name would go.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/posix_file_system.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

TEST_F(WindowTest, AMegabytePastedIntoAFieldIsHandled) {
  Start();
  const std::string megabyte(1 << 20, '7');
  // In the notes: calculated and recorded as it stands.
  Set({{Field::WVCost, "1.5"},
       {Field::PPeriod, "5"},
       {Field::Item1Use, "9"},
       {Field::Item1UseD, "4"},
       {Field::Notes, megabyte}});
  window.Calc_Click();
  EXPECT_EQ(State().CheckMessages, "");
  EXPECT_TRUE(State().RecordBody.starts_with(megabyte + "\r\n"));
  // As a number: far beyond the double range, so adding up the item's values overflows.
  Set({{Field::Item2Cost, megabyte}});
  const auto [operation, location] = ExpectFatal([&] { window.Calc_Click(); });
  EXPECT_EQ(operation, "Check Error");
  EXPECT_EQ(location, 121);
}

class RealFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvarn_hard_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    for (const char* sub : {"Data", "Help", "Log"})
      std::filesystem::create_directory(dir_ / sub);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path dir_;
  // A window on the real files of dir_, with the rest of the platform scripted.
  FakePlatform fake;
  std::unique_ptr<PosixFileSystem> files;
  MemoryFieldStore fields;
  std::unique_ptr<TolvarnMain> window;
  void OpenWindow() {
    files = std::make_unique<PosixFileSystem>(dir_.string());
    window = std::make_unique<TolvarnMain>(
        fields, Platform{fake.boxes, fake.clock, fake.locale, fake.process, *files, fake.launcher,
                         fake.window});
  }
};

// Bytes that are not UTF-8 in a comment or after a number are read past, and in the log they
// make no record line.
TEST_F(RealFiles, TextThatIsNotUtf8InTheFilesIsHandled) {
  Write(
      "Data/Tolvarn.ini",
      "# \xff\xfe comment\r\n[Run]\r\nAnInf=33.5\r\nLogLevel=1\r\nRunOnTop=1\r\n"
      "PayPeriod=10\r\nSVCost=150\r\nSVAllow=95\r\nVRate=1\r\nVUnits=1\r\nWVCost=120 \xc3\x28\r\n");
  Write("Log/Tolvarn.log", "Tolvarn Results Log\r\n\xff\xfe\x80\r\n\xc0Water\r\n");
  OpenWindow();
  window->Start(false, true);
  EXPECT_EQ(fields.Text(Field::WVCost), "\u00A31.2000");
  // "\xc0Water" is no record line: the log holds nothing to archive.
  fake.boxes.Script({BoxAnswer::Yes});
  window->Archive_Click();
  ASSERT_FALSE(fake.boxes.Shown().empty());
  EXPECT_EQ(fake.boxes.Shown().back().text,
            "There is no data to archive!\r\nResults log file not archived.");
}

// A link placed where the next archive name would go is left alone, and so is what it points
// to: the archive takes the next free name.
TEST_F(RealFiles, ALinkWhereAnArchiveWouldGoIsNotWrittenThrough) {
  const std::string log = "Tolvarn Results Log\r\n\r\nWater Volume Cost : 1\r\n";
  Write("Log/Tolvarn.log", log);
  const std::filesystem::path outside = dir_ / "outside.txt";
  Write("outside.txt", "not yours");
  std::filesystem::create_symlink(outside, dir_ / "Log/Tolvarn_261207_1.log");
  std::filesystem::create_symlink(dir_ / "nowhere", dir_ / "Log/Tolvarn_261207_2.log");
  OpenWindow();
  fake.boxes.Script({BoxAnswer::Yes});
  window->Archive_Click();
  EXPECT_EQ(Read(outside), "not yours");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "nowhere"));
  EXPECT_EQ(Read(dir_ / "Log/Tolvarn_261207_3.log"), log);
  EXPECT_TRUE(Read(dir_ / "Log/Tolvarn.log").starts_with("Tolvarn Results Log\r\nVersion 4.3"));
}

}  // namespace
}  // namespace tolvarn
