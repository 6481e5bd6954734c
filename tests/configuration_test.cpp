// The configuration file: which files are read and which end the program, what a reading puts
// on the window, and Save Data, which must never leave a file that the next start would refuse.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "files/files_window.h"
#include "temp_dir.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::kExampleConfiguration;
using testing::WindowTest;

// The configuration file's boxes that end the program differ in their first lines.
MessageBoxRequest ConfigError(const std::string& lines, BoxIcon icon = BoxIcon::Stop) {
  return {"Tolvarn Configuration File Error", lines + "\r\nThe program will now terminate.", icon,
          BoxButtons::Ok};
}
const std::string kReinstall = "\r\nReinstall the program to restore the file.";
const MessageBoxRequest kCorrupted =
    ConfigError("The configuration file is corrupted." + kReinstall);
const MessageBoxRequest kDataMissing{
    "Tolvarn Data Directory Error",
    "The Data directory does not exist.\r\nTo restore the Data directory\r\n"
    "reinstall the program.\r\nThe program will now terminate.",
    BoxIcon::Stop, BoxButtons::Ok};

// The example with the whole line `from` replaced by `to` ("" leaves an empty line, which a
// reading ignores; "\r\n" inside `to` makes several lines).
std::string ExampleWith(const std::string& from, const std::string& to) {
  std::string text = kExampleConfiguration;
  const size_t at = text.find("\r\n" + from + "\r\n");
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at + 2, from.size(), to);
  return text;
}

class ConfigFile : public WindowTest {
 protected:
  ConfigFile() {
    fake.files.AddDirectory("Data");
    fake.files.AddDirectory("Log");
  }
  void StartWith(const std::string& file) {
    fake.files.files[std::string(kConfigPath)] = file;
    window.Start(false, true);
  }
  // Runs a procedure that must end the program with `box` last, not through the fatal path.
  template <class Procedure>
  void ExpectEnded(Procedure&& procedure, const MessageBoxRequest& box) {
    fake.boxes.Clear();
    EXPECT_THROW(procedure(), ProgramEnded);
    ExpectBoxes({box});
    EXPECT_FALSE(window.LastFatalError().has_value());
  }
  const std::string& ConfigOnDisk() { return fake.files.files.at(std::string(kConfigPath)); }
};

// The window's argument turns the checks off with blanks around it, and nothing else does.
TEST_F(ConfigFile, TheInhibitArgumentCountsWithBlanksAroundIt) {
  fake.files.AddDirectory("Help");
  fake.files.files[std::string(kConfigPath)] = kExampleConfiguration;
  for (const auto& [arguments, inhibit] : {std::pair{"-InhibitErrorCheck", 1},
                                           {"  -InhibitErrorCheck   ", 1},
                                           {"", 0},
                                           {"-InhibitErrorCheckX", 0},
                                           {"- InhibitErrorCheck", 0},
                                           {"-inhibiterrorcheck", 0}}) {
    testing::RecordingWindow started(fields, fake.platform(), arguments);
    started.Form_Load();
    EXPECT_EQ(started.State().InhibitErrorCheck, inhibit) << "\"" << arguments << "\"";
  }
}

// A row without a field is a damaged file, which ends the program.
TEST_F(ConfigFile, ReadingAcceptsOdditiesWithinTheBoundsAndRefusesTheRest) {
  struct Row {
    const char *from, *to;
    Field field;
    const char* shown;
  };
  const Row accepted[] = {
      {"WVCost=120", "WVCost=120 pence", Field::WVCost, "£1.2000"},
      {"PayPeriod=10", "PayPeriod=  7.5", Field::PPeriod, "7.5"},
      {"VRate=1", "    VRate=21", Field::VRate, "20.0"},
      {"[Run]", "  [Run]  ", Field::WVCost, "£1.2000"},
      {"LogLevel=1", "LogLevel=\r\nLogLevel=2", Field::AutoSave, "1"},  // an empty one is none
      {"VRate=1", "VRate=51", Field::VRate, "50.0"},
      {"AnInf=33.5", "AnInf=31", Field::AnInfT, ""},
      {"SVCost=150\r\nSVAllow=95", "SVCost=0\r\nSVAllow=0", Field::SVCost, ""},
      {"VUnits=1", "VUnits=2", Field::VolUnits1, "1"},
      {"VUnits=1", "VUnits=1.5", Field::VolUnits1, "1"},  // a half rounds to even
  };
  for (const Row& row : accepted) {
    SCOPED_TRACE(row.to);
    StartWith(ExampleWith(row.from, row.to));
    EXPECT_EQ(KindOf(row.field) == FieldKind::CheckBox
                  ? std::to_string(fields.CheckValue(row.field))
                  : Text(row.field),
              row.shown);
    EXPECT_TRUE(fake.boxes.Shown().empty());
  }
  // Each a line of the example, ">", and what it became; an empty AnInf= counts as the key.
  for (const std::string row :
       {"[Run]>", "VRate=1>VRate=1\r\nVRate=1", "AnInf=33.5>", "PayPeriod=10>PayPeriod =10",
        "LogLevel=1>LogLevel=", "AnInf=33.5>AnInf=\r\nAnInf=33.5", "SVCost=150>SVCost=0",
        "SVCost=150>SVCost=500.5", "SVAllow=95>SVAllow=0.5", "WVCost=120>WVCost=9.99",
        "WVCost=120>WVCost=500.5", "PayPeriod=10>PayPeriod=0.9", "VRate=1>VRate=51.5",
        "AnInf=33.5>AnInf=230.5", "LogLevel=1>LogLevel=4", "RunOnTop=1>RunOnTop=3",
        "VUnits=1>VUnits=2.6"}) {
    SCOPED_TRACE(row);
    const size_t split = row.find('>');
    ExpectEnded([&] { StartWith(ExampleWith(row.substr(0, split), row.substr(split + 1))); },
                kCorrupted);
  }
}

TEST_F(ConfigFile, MissingFileOrDataDirectoryEndsTheProgram) {
  ExpectEnded([&] { window.Start(false, true); },
              ConfigError("The configuration file is missing or corrupted." + kReinstall));
  fake.files.directories.erase("Data");
  ExpectEnded([&] { StartWith(kExampleConfiguration); }, kDataMissing);
}

TEST_F(ConfigFile, NumberBeyond16BitsIsFatalAndTheDumpShowsTheLinesReadSoFar) {
  for (const char* line : {"LogLevel=70000", "LogLevel=-32769", "LogLevel=32767.5"}) {
    SCOPED_TRACE(line);
    fake.files.files[std::string(kLogPath)] = "";
    EXPECT_EQ(ExpectFatal([&] { StartWith(ExampleWith("LogLevel=1", line)); }),
              std::make_pair(std::string("Config Read Error"), 182));
    // Only the lines before LogLevel=, and none of the empty lines of a complete reading.
    const std::string& log = fake.files.files.at(std::string(kLogPath));
    EXPECT_NE(log.find("******** Config Read Error 182 ********\r\n\r\nDump of configuration "
                       "file and available program data follows:\r\n\r\nTolvarn Configuration\r\n" +
                       std::string(21, '-') + "\r\n[Run]\r\nAnInf=33.5\r\nProgram Defaults\r\n"),
              std::string::npos)
        << log;
  }
}

// A number of the given decimals within [low, high], sometimes behind the currency symbol.
std::string Typed(double low, double high, bool money = false) {
  const int decimals = *rc::gen::inRange(0, 5);
  const double scale = std::pow(10, decimals);
  const auto low_step = static_cast<int64_t>(std::ceil(low * scale - 1e-9));
  const auto high_step = static_cast<int64_t>(std::floor(high * scale + 1e-9));
  const double value = *rc::gen::inRange<int64_t>(low_step, high_step + 1) / scale;
  return (money && *rc::gen::arbitrary<bool>() ? "£" : "") + FormatFixed(value, decimals);
}
// Zero as it may be typed.
std::string Zero() {
  return *rc::gen::elementOf(std::vector<std::string>{"", "0", "0.00"});
}

// Any tariff, units and options the checks accept: Save Data shows it as it will read back,
// Reset Data shows the same (results stay as they are), both say so on the status line.
RC_GTEST_FIXTURE_PROP(ConfigFile, SavedDataReadsBackAsShown, ()) {
  const bool sewerage = *rc::gen::arbitrary<bool>();
  const std::string tariff[] = {Typed(0.1, 5, true),
                                sewerage ? Typed(0.1, 5, true) : Zero(),
                                sewerage ? Typed(1, 99) : Zero(),
                                *rc::gen::arbitrary<bool>() ? Typed(1, 50) : Zero(),
                                Typed(-30, 199),
                                Typed(1, 10)};
  const Field boxes[] = {Field::VolUnits1, Field::AutoSave, Field::OnTop};
  int box[3];
  for (int& b : box)
    b = *rc::gen::inRange(0, 2);
  Start(false, box[0] == 1);
  for (int i : {1, 2})
    window.SetCheckBox(boxes[i], box[i]);
  for (size_t i = 0; i < std::size(tariff); ++i)
    fields.SetText(kInputs[i], tariff[i]);
  window.Save_Defaults_Click();
  RC_ASSERT(fake.boxes.Shown().empty());
  RC_ASSERT(fields.Caption(Field::Status) == "Water Data Saved");
  const std::string saved = Texts(kInputs);
  const auto amount = [](const std::string& text) {
    return TextValue(
        std::string_view(text).substr(std::min(text.find_first_not_of("£"), text.size())));
  };
  for (size_t i = 0; i < std::size(tariff); ++i)  // as typed, to the decimals shown
    RC_ASSERT(std::abs(amount(Text(kInputs[i])) - amount(tariff[i])) <= 0.0501);

  Enter("0|0|0|0|0|0||||||");
  fields.SetText(Field::Item1Day, "£0.5");
  for (const Field b : boxes)
    window.SetCheckBox(b, 1 - fields.CheckValue(b));
  fields.SetEnabled(Field::Save, true);
  window.Reset_Defaults_Click();
  RC_ASSERT(Texts(kInputs) == saved);
  for (int i : {0, 1, 2})
    RC_ASSERT(fields.CheckValue(boxes[i]) == box[i]);
  RC_ASSERT(Text(Field::Item1Day) == "£0.5");
  RC_ASSERT(!fields.IsEnabled(Field::Save));
  RC_ASSERT(fields.Caption(Field::Status) == "Water Data Restored");
}

// The example file is what Save Data writes, byte for byte; a LogLevel of 3 goes back as 2, and
// a file damaged since the start ends the program as it would at the start.
TEST_F(ConfigFile, SaveDataWritesTheFileAReadingTakes) {
  Start();
  Enter("£1.20|£1.50|95||2.5|10||||||");
  window.Save_Defaults_Click();
  EXPECT_EQ(ConfigOnDisk(), kExampleConfiguration);
  EXPECT_EQ(Texts(kInputs), "£1.2000|£1.5000|95.0||2.5|10.0||||||");
  StartWith(ExampleWith("LogLevel=1", "LogLevel=3"));
  EXPECT_EQ(State().LogLevel, 2);
  window.Save_Defaults_Click();
  EXPECT_EQ(ConfigOnDisk(), ExampleWith("LogLevel=1", "LogLevel=2"));
  fake.files.files[std::string(kConfigPath)] = ExampleWith("AnInf=33.5", "");
  ExpectEnded([&] { window.Reset_Defaults_Click(); }, kCorrupted);
}

// Checked even when the checks are inhibited; a failed range check leaves out the sewerage
// check. Nothing is written or changed on the window.
TEST_F(ConfigFile, SaveDataRefusesDataThatFailsItsChecks) {
  fake.files.files[std::string(kConfigPath)] = kExampleConfiguration;
  window.Start(true, true);
  Set({{Field::SVCost, ""}, {Field::SVAllow, "99.5"}, {Field::PPeriod, "0"}});
  const std::string before = Texts(kInputs);
  window.Save_Defaults_Click();
  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  EXPECT_EQ(fake.boxes.Shown()[0].text,
            "Payback Period must be between 1.0 and 10.0 years\n"
            "Sewerage Volume Allowance must be zero or between 1.0 and 99.0%\n");
  EXPECT_EQ(ConfigOnDisk(), kExampleConfiguration);
  EXPECT_EQ(Texts(kInputs), before);
  EXPECT_EQ(fields.Caption(Field::Status), "");
}

TEST_F(ConfigFile, FailedSaveLeavesTheOldFileByteForByte) {
  const std::string old = ExampleWith("WVCost=120", "WVCost=130");
  StartWith(old);
  fields.SetText(Field::WVCost, "£1.40");
  fake.files.FailAt(FileStep::Write);
  ExpectEnded([&] { window.Save_Defaults_Click(); },
              ConfigError("Unable to write to the configuration file. Tolvarn.ini\r\n"
                          "This may be a permissions problem.",
                          BoxIcon::Exclamation));
  EXPECT_EQ(ConfigOnDisk(), old);
}

}  // namespace
}  // namespace tolvarn
