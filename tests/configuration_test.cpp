// The configuration file: which files are read and which end the program, what a reading puts
// on the window, and Save Data, which must never leave a file that the next start would refuse.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "files/files_window.h"
#include "temp_dir.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

const std::string kPound = "\u00A3";
const std::string kDashes21(21, '-');

const std::string& kExample = testing::kExampleConfiguration;

const std::string kCorrupted =
    "The configuration file is corrupted.\r\nReinstall the program to restore the file.\r\n"
    "The program will now terminate.";

const std::string kDataMissing =
    "The Data directory does not exist.\r\nTo restore the Data directory\r\n"
    "reinstall the program.\r\nThe program will now terminate.";

// The six tariff inputs in this order, as WindowTest::Enter takes them.
const Field kTariff[] = {Field::WVCost, Field::SVCost, Field::SVAllow,
                         Field::VRate,  Field::AnInfT, Field::PPeriod};
const std::string kExampleShown = "£1.2000|£1.5000|95.0||2.5|10.0";

// The example with the whole line `from` replaced by `to` ("" leaves an empty line, which a
// reading ignores; "\r\n" inside `to` makes several lines).
std::string ExampleWith(const std::string& from, const std::string& to) {
  std::string text = kExample;
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
  // Runs a procedure that must end the program through a message box, not the fatal path.
  template <class Procedure>
  void ExpectEnded(Procedure&& procedure, const std::string& title, const std::string& text) {
    try {
      procedure();
      ADD_FAILURE() << "the program did not end";
    } catch (const ProgramEnded& ended) {
      EXPECT_EQ(ended.status, kFatalExitStatus);
      ASSERT_FALSE(fake.boxes.Shown().empty());
      EXPECT_EQ(fake.boxes.Shown().back().title, title);
      EXPECT_EQ(fake.boxes.Shown().back().text, text);
      EXPECT_FALSE(window.LastFatalError().has_value());
    }
  }
  std::string Shown(Field field) const {
    return KindOf(field) == FieldKind::CheckBox ? std::to_string(fields.CheckValue(field))
                                                : Text(field);
  }
  std::string Tariff() const { return Texts(kTariff); }
  const std::string& ConfigOnDisk() { return fake.files.files.at(std::string(kConfigPath)); }
};

TEST_F(ConfigFile, AcceptedOdditiesAndBoundsShowOnTheWindow) {
  struct Row {
    const char* from;
    const char* to;
    Field field;
    const char* shown;
  };
  const Row rows[] = {
      {"WVCost=120", "WVCost=120 pence", Field::WVCost, "£1.2000"},
      {"PayPeriod=10", "PayPeriod=  7.5", Field::PPeriod, "7.5"},
      {"VRate=1", "    VRate=21", Field::VRate, "20.0"},
      {"[Run]", "  [Run]  ", Field::WVCost, "£1.2000"},
      {"WVCost=120", "#WVCost=999\r\nWVCost=120", Field::WVCost, "£1.2000"},
      {"LogLevel=1", "LogLevel=\r\nLogLevel=2", Field::AutoSave,
       "1"},  // an empty one does not count
      {"VRate=1", "VRate=51", Field::VRate, "50.0"},
      {"AnInf=33.5", "AnInf=31", Field::AnInfT, ""},
      {"SVCost=150\r\nSVAllow=95", "SVCost=0\r\nSVAllow=0", Field::SVCost, ""},
      {"LogLevel=1", "LogLevel=3", Field::AutoSave, "1"},
      {"LogLevel=1", "LogLevel=1.5", Field::AutoSave, "1"},
      {"VUnits=1", "VUnits=2", Field::VolUnits1, "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.to);
    StartWith(ExampleWith(row.from, row.to));
    EXPECT_EQ(Shown(row.field), row.shown);
    EXPECT_TRUE(fake.boxes.Shown().empty());
  }
}

TEST_F(ConfigFile, DamagedFilesEndTheProgram) {
  struct Row {
    const char* meaning;
    const char* from;
    const char* to;
  };
  const Row rows[] = {
      {"no [Run]", "[Run]", ""},
      {"a key twice", "VRate=1", "VRate=1\r\nVRate=1"},
      {"a key missing", "AnInf=33.5", ""},
      {"a blank before =", "PayPeriod=10", "PayPeriod =10"},
      {"LogLevel= with nothing after it", "LogLevel=1", "LogLevel="},
      {"an empty AnInf= still counts", "AnInf=33.5", "AnInf=\r\nAnInf=33.5"},
      {"an allowance without a charge", "SVCost=150", "SVCost=0"},
      {"a charge without an allowance", "SVAllow=95", "SVAllow=0"},
      {"an allowance below 1", "SVAllow=95", "SVAllow=0.5"},
      {"the water charge too low", "WVCost=120", "WVCost=9.99"},
      {"the water charge too high", "WVCost=120", "WVCost=500.01"},
      {"the period too short", "PayPeriod=10", "PayPeriod=0.9"},
      {"the period too long", "PayPeriod=10", "PayPeriod=10.1"},
      {"the rate too low", "VRate=1", "VRate=0.5"},
      {"the rate too high", "VRate=1", "VRate=51.5"},
      {"the inflation too high", "AnInf=33.5", "AnInf=230.5"},
      {"a log level that rounds to 0", "LogLevel=1", "LogLevel=0.5"},
      {"a log level of 4", "LogLevel=1", "LogLevel=4"},
      {"on top of 3", "RunOnTop=1", "RunOnTop=3"},
      {"units of 0", "VUnits=1", "VUnits=0"},
      {"units that round to 3", "VUnits=1", "VUnits=2.6"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.meaning);
    fake.boxes.Clear();
    ExpectEnded([&] { StartWith(ExampleWith(row.from, row.to)); },
                "Tolvarn Configuration File Error", kCorrupted);
    EXPECT_EQ(fake.boxes.Shown().size(), 1u);
    EXPECT_EQ(fake.boxes.Shown().back().icon, BoxIcon::Stop);
  }
}

TEST_F(ConfigFile, MissingDirectoryOrFileEndsTheProgram) {
  ExpectEnded([&] { window.Start(false, true); }, "Tolvarn Configuration File Error",
              "The configuration file is missing or corrupted.\r\n"
              "Reinstall the program to restore the file.\r\nThe program will now terminate.");
  EXPECT_EQ(fake.boxes.Shown().back().icon, BoxIcon::Stop);

  fake.boxes.Clear();
  fake.files.directories.erase("Data");
  ExpectEnded([&] { StartWith(kExample); }, "Tolvarn Data Directory Error", kDataMissing);
}

TEST_F(ConfigFile, NumberBeyond16BitsIsFatalAndTheDumpShowsTheLinesReadSoFar) {
  for (const char* line : {"LogLevel=70000", "LogLevel=-32769", "LogLevel=32767.5"}) {
    SCOPED_TRACE(line);
    fake.files.files[std::string(kLogPath)] = "";
    const auto [operation, location] =
        ExpectFatal([&] { StartWith(ExampleWith("LogLevel=1", line)); });
    EXPECT_EQ(operation, "Config Read Error");
    EXPECT_EQ(location, 182);
    EXPECT_EQ(fake.boxes.Shown().back().text,
              "Error Number 182\r\nA Fatal Config Read Error Has Ocurred.\r\n"
              "The Program Will Now Terminate.");
    // Only the lines before LogLevel=, and none of the empty lines of a complete reading.
    const std::string& log = fake.files.files.at(std::string(kLogPath));
    EXPECT_NE(log.find("******** Config Read Error 182 ********\r\n"), std::string::npos);
    EXPECT_NE(log.find("follows:\r\n\r\nTolvarn Configuration\r\n" + kDashes21 +
                       "\r\n[Run]\r\nAnInf=33.5\r\nProgram Defaults\r\n"),
              std::string::npos)
        << log;
  }
}

TEST_F(ConfigFile, FileThatCannotBeOpenedOrReadIsFatal) {
  fake.files.FailAt(FileStep::Open);
  EXPECT_EQ(ExpectFatal([&] { StartWith(kExample); }),
            std::make_pair(std::string("Config Read Error"), 181));
  fake.files.FailAt(FileStep::Read);
  EXPECT_EQ(ExpectFatal([&] { StartWith(kExample); }),
            std::make_pair(std::string("Config Read Error"), 182));
}

// Save Data writes the example exactly, and what it writes reads back to the same tariff, units
// and options, bounds included.
TEST_F(ConfigFile, SavedDataReadsBackToTheSameTariffUnitsAndOptions) {
  struct Row {
    const char* typed;  // the tariff, as Enter takes it
    const char* boxes;  // gallons, Auto Save, On Top
    const char* shown;  // as saved and as read back
    const char* in_file;
  };
  const Row rows[] = {
      {"£1.20|£1.50|95||2.5|10", "000", "£1.2000|£1.5000|95.0||2.5|10.0", nullptr},
      {"1.2345|||17.5|-3|7.5", "010", "£1.2345|||17.5|-3.0|7.5", "WVCost=123.45"},
      {"5|£5|99|50|199|1", "101", "£5.0000|£5.0000|99.0|50.0|199.0|1.0", "VRate=51"},
      {"£0.1|0.1|1|1|-30|10", "000", "£0.1000|£0.1000|1.0|1.0|-30.0|10.0", "AnInf=1"},
  };
  const Field boxes[] = {Field::VolUnits1, Field::AutoSave, Field::OnTop};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    Start(false, row.boxes[0] == '1');
    for (int i : {1, 2})
      window.SetCheckBox(boxes[i], row.boxes[i] - '0');
    Enter(std::string(row.typed) + "||||||");
    window.Save_Defaults_Click();
    EXPECT_TRUE(fake.boxes.Shown().empty());
    if (row.in_file == nullptr)
      EXPECT_EQ(ConfigOnDisk(), kExample);
    else
      EXPECT_NE(ConfigOnDisk().find("\r\n" + std::string(row.in_file) + "\r\n"), std::string::npos);
    EXPECT_EQ(Tariff(), row.shown) << "as saved";
    EXPECT_EQ(fields.Caption(Field::Status), "Water Data Saved");

    Enter("0|0|0|0|0|0||||||");
    for (const Field box : boxes)
      window.SetCheckBox(box, 1 - fields.CheckValue(box));
    window.Reset_Defaults_Click();
    EXPECT_EQ(Tariff(), row.shown) << "as read back";
    for (int i : {0, 1, 2})
      EXPECT_EQ(fields.CheckValue(boxes[i]), row.boxes[i] - '0');
  }
}

TEST_F(ConfigFile, LogLevel3IsSavedBackAs2) {
  StartWith(ExampleWith("LogLevel=1", "LogLevel=3"));
  EXPECT_EQ(State().LogLevel, 2);
  window.Save_Defaults_Click();
  EXPECT_EQ(ConfigOnDisk(), ExampleWith("LogLevel=1", "LogLevel=2"));
}

// Checked even when the checks are inhibited; a failed range check leaves out the sewerage
// check. Nothing is written or changed on the window.
TEST_F(ConfigFile, SaveDataRefusesDataThatFailsItsChecks) {
  fake.files.files[std::string(kConfigPath)] = kExample;
  window.Start(true, true);
  Set({{Field::SVCost, ""}, {Field::SVAllow, "99.5"}, {Field::PPeriod, "0"}});
  const std::string before = Texts(kInputs);
  window.Save_Defaults_Click();
  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  EXPECT_EQ(fake.boxes.Shown()[0].title, "Tolvarn Data Error");
  EXPECT_EQ(fake.boxes.Shown()[0].text,
            "Payback Period must be between 1.0 and 10.0 years\n"
            "Sewerage Volume Allowance must be zero or between 1.0 and 99.0%\n");
  EXPECT_EQ(ConfigOnDisk(), kExample);
  EXPECT_EQ(Texts(kInputs), before);
  EXPECT_EQ(fields.Caption(Field::Status), "");
}

TEST_F(ConfigFile, FailedSaveLeavesTheOldFileByteForByte) {
  const std::string old = ExampleWith("WVCost=120", "WVCost=130");
  // None: the Data directory has gone.
  for (const FileStep step :
       {FileStep::None, FileStep::Open, FileStep::Write, FileStep::Flush, FileStep::Rename}) {
    SCOPED_TRACE(static_cast<int>(step));
    fake.boxes.Clear();
    fake.files.AddDirectory("Data");
    StartWith(old);
    fields.SetText(Field::WVCost, kPound + "1.40");
    fake.files.FailAt(step);
    if (step == FileStep::None) fake.files.directories.erase("Data");
    ExpectEnded([&] { window.Save_Defaults_Click(); },
                step == FileStep::None ? "Tolvarn Data Directory Error"
                                       : "Tolvarn Configuration File Error",
                step == FileStep::None
                    ? kDataMissing
                    : "Unable to write to the configuration file. Tolvarn.ini\r\n"
                      "This may be a permissions problem.\r\nThe program will now terminate.");
    EXPECT_EQ(ConfigOnDisk(), old);
  }
}

// Reset Data reads the file again, results stay; a file damaged since the start ends the
// program as it would at the start.
TEST_F(ConfigFile, ResetDataReadsTheFileAgain) {
  StartWith(kExample);
  Set({{Field::WVCost, kPound + "2.00"}, {Field::AnInfT, "5"}, {Field::Item1Day, kPound + "0.5"}});
  fields.SetEnabled(Field::Save, true);
  window.Reset_Defaults_Click();
  EXPECT_EQ(Tariff(), kExampleShown);
  EXPECT_EQ(Text(Field::Item1Day), kPound + "0.5");
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  EXPECT_EQ(fields.Caption(Field::Status), "Water Data Restored");
  fake.files.files[std::string(kConfigPath)] = ExampleWith("AnInf=33.5", "");
  ExpectEnded([&] { window.Reset_Defaults_Click(); }, "Tolvarn Configuration File Error",
              kCorrupted);
}

}  // namespace
}  // namespace tolvarn
