// The configuration file: which files are read and which end the program, what a reading puts
// on the window, and Save Data, which must never leave a file that the next start would refuse.
//
// The files below were written by hand from the file's format; the window texts they give were
// worked out from the file's units (hundredths, rate plus 1, inflation plus 31) and the tidy
// display formats.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "files/files_window.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

const std::string kPound = "\u00A3";
const std::string kDashes21(21, '-');

// Water 1.20 and sewerage 1.50 per cubic metre, 95 %, no VAT, 2.5 % inflation, ten years, as
// Save Data writes it at the fake clock's time.
const std::string kExample =
    "# Tolvarn Version 4.3\r\n# Configuration File\r\n# 07-Dec-26 09:05:03\r\n\r\n[Run]\r\n"
    "AnInf=33.5\r\nLogLevel=1\r\nRunOnTop=1\r\nPayPeriod=10\r\nSVCost=150\r\nSVAllow=95\r\n"
    "VRate=1\r\nVUnits=1\r\nWVCost=120\r\n";

const std::string kCorrupted =
    "The configuration file is corrupted.\r\nReinstall the program to restore the file.\r\n"
    "The program will now terminate.";

const std::string kDataMissing =
    "The Data directory does not exist.\r\nTo restore the Data directory\r\n"
    "reinstall the program.\r\nThe program will now terminate.";

using Texts = std::vector<std::string>;
// The six tariff inputs in this order.
const Field kTariff[] = {Field::WVCost, Field::SVCost, Field::SVAllow,
                         Field::VRate,  Field::AnInfT, Field::PPeriod};
const Texts kExampleShown = {kPound + "1.2000", kPound + "1.5000", "95.0", "", "2.5", "10.0"};

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
  void SetTariff(const Texts& texts) {
    for (size_t i = 0; i < texts.size(); ++i)
      fields.SetText(kTariff[i], texts[i]);
  }
  Texts Tariff() const {
    Texts texts;
    for (const Field field : kTariff)
      texts.push_back(Text(field));
    return texts;
  }
  const std::string& ConfigOnDisk() { return fake.files.files.at(std::string(kConfigPath)); }
};

TEST_F(ConfigFile, AcceptedOdditiesAndBoundsShowOnTheWindow) {
  struct Row {
    const char* meaning;
    const char* from;
    const char* to;
    Field field;
    std::string shown;
  };
  const Row rows[] = {
      {"a word after a number is ignored", "WVCost=120", "WVCost=120 pence", Field::WVCost,
       kPound + "1.2000"},
      {"blanks after = belong to the value", "PayPeriod=10", "PayPeriod=  7.5", Field::PPeriod,
       "7.5"},
      {"an indented key", "VRate=1", "    VRate=21", Field::VRate, "20.0"},
      {"blanks around a sewerage value", "SVAllow=95", "  SVAllow= 95  ", Field::SVAllow, "95.0"},
      {"an indented section header", "[Run]", "  [Run]  ", Field::WVCost, kPound + "1.2000"},
      {"a commented-out key beside the real one", "WVCost=120", "#WVCost=999\r\nWVCost=120",
       Field::WVCost, kPound + "1.2000"},
      {"an empty LogLevel= does not count", "LogLevel=1", "LogLevel=\r\nLogLevel=2",
       Field::AutoSave, "1"},
      {"an unknown key is ignored", "[Run]", "Currency=EUR\r\n[Run]", Field::VRate, ""},
      {"the highest tax", "VRate=1", "VRate=51", Field::VRate, "50.0"},
      {"AnInf=31 is no inflation", "AnInf=33.5", "AnInf=31", Field::AnInfT, ""},
      {"the lowest inflation", "AnInf=33.5", "AnInf=1", Field::AnInfT, "-30.0"},
      {"the highest inflation", "AnInf=33.5", "AnInf=230", Field::AnInfT, "199.0"},
      {"a sewerage charge of 5 hundredths", "SVCost=150", "SVCost=5", Field::SVCost,
       kPound + "0.0500"},
      {"no sewerage at all", "SVCost=150\r\nSVAllow=95", "SVCost=0\r\nSVAllow=0", Field::SVCost,
       ""},
      {"the lowest water charge", "WVCost=120", "WVCost=10", Field::WVCost, kPound + "0.1000"},
      {"LogLevel=3 ticks Auto Save", "LogLevel=1", "LogLevel=3", Field::AutoSave, "1"},
      {"a half rounds to the even 2", "LogLevel=1", "LogLevel=1.5", Field::AutoSave, "1"},
      {"2.5 rounds down to the even 2", "RunOnTop=1", "RunOnTop=2.5", Field::OnTop, "1"},
      {"on top", "RunOnTop=1", "RunOnTop=2", Field::OnTop, "1"},
      {"gallons", "VUnits=1", "VUnits=2", Field::VolUnits1, "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.meaning);
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
      {"[Run] twice", "[Run]", "[Run]\r\n[Run]"},
      {"[run] in lower case", "[Run]", "[run]"},
      {"a word after [Run]", "[Run]", "[Run] 1"},
      {"a key twice", "VRate=1", "VRate=1\r\nVRate=1"},
      {"a key missing", "AnInf=33.5", ""},
      {"a key commented out", "WVCost=120", "#WVCost=120"},
      {"a key with a lower-case first letter", "WVCost=120", "wVCost=120"},
      {"a blank before =", "PayPeriod=10", "PayPeriod =10"},
      {"LogLevel= with nothing after it", "LogLevel=1", "LogLevel="},
      {"AnInf= with nothing after it", "AnInf=33.5", "AnInf="},
      {"an empty AnInf= still counts", "AnInf=33.5", "AnInf=\r\nAnInf=33.5"},
      {"letters for the sewerage charge", "SVCost=150", "SVCost=abc"},
      {"a word after the allowance", "SVAllow=95", "SVAllow=95 %"},
      {"an allowance without a charge", "SVCost=150", "SVCost=0"},
      {"a charge without an allowance", "SVAllow=95", "SVAllow=0"},
      {"an allowance below 1", "SVAllow=95", "SVAllow=0.5"},
      {"a charge below a tenth", "SVCost=150", "SVCost=0.05"},
      {"the water charge too low", "WVCost=120", "WVCost=9.99"},
      {"the water charge too high", "WVCost=120", "WVCost=500.01"},
      {"the period too short", "PayPeriod=10", "PayPeriod=0.9"},
      {"the period too long", "PayPeriod=10", "PayPeriod=10.1"},
      {"a period in words", "PayPeriod=10", "PayPeriod=ten"},
      {"the rate too low", "VRate=1", "VRate=0.5"},
      {"the rate too high", "VRate=1", "VRate=51.5"},
      {"the inflation too low", "AnInf=33.5", "AnInf=0.5"},
      {"the inflation too high", "AnInf=33.5", "AnInf=230.5"},
      {"a log level that rounds to 0", "LogLevel=1", "LogLevel=0.5"},
      {"a log level of 4", "LogLevel=1", "LogLevel=4"},
      {"a log level at the 16-bit limit", "LogLevel=1", "LogLevel=32767"},
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

TEST_F(ConfigFile, LineEndsBlanksAndCommentsAsRecordedForTheDump) {
  // LF line ends, [Run] last, indented and trailing blanks, and a "#" after blanks, which is no
  // comment: it is kept, trimmed, though it matches nothing.
  StartWith(
      "# Tolvarn\n\n   # not a comment\n  WVCost=120 pence\nAnInf=33.5  \nLogLevel=1\n"
      "RunOnTop=1\nPayPeriod=10\nSVCost=150\nSVAllow=95\nVRate=1\nVUnits=1\n[Run]\n");
  EXPECT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(State().ConfigText, "Tolvarn Configuration\r\n" + kDashes21 +
                                    "\r\n# not a comment\r\nWVCost=120 pence\r\nAnInf=33.5\r\n"
                                    "LogLevel=1\r\nRunOnTop=1\r\nPayPeriod=10\r\nSVCost=150\r\n"
                                    "SVAllow=95\r\nVRate=1\r\nVUnits=1\r\n[Run]\r\n\r\n");
  EXPECT_EQ(Tariff(), kExampleShown);
  EXPECT_EQ(State().AnInf, "33.5");
  EXPECT_EQ(fields.Caption(Field::WVChargeL), "/cu m");  // litres labels, though no box changed
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

TEST_F(ConfigFile, InstallationDirectoryCheck) {
  for (const std::string dir : {"Data", "Help", "Log"}) {
    SCOPED_TRACE(dir);
    fake.files.AddDirectory(dir);
    fake.boxes.Clear();
    window.Check_Dir(dir);
    EXPECT_TRUE(fake.boxes.Shown().empty());

    fake.files.directories.erase(dir);
    ExpectEnded([&] { window.Check_Dir(dir); }, "Tolvarn " + dir + " Directory Error",
                "The " + dir + " directory does not exist.\r\nTo restore the " + dir +
                    " directory\r\nreinstall the program.\r\nThe program will now terminate.");
    EXPECT_EQ(fake.boxes.Shown().back().icon, BoxIcon::Stop);
    EXPECT_EQ(fake.boxes.Shown().back().buttons, BoxButtons::Ok);
  }
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

TEST_F(ConfigFile, SaveDataWritesTheExampleExactly) {
  Start();
  SetTariff({kPound + "1.20", kPound + "1.50", "95", "", "2.5", "10"});
  window.Save_Defaults_Click();
  EXPECT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(ConfigOnDisk(), kExample);
  EXPECT_EQ(Tariff(), kExampleShown);
  EXPECT_EQ(fields.Caption(Field::Status), "Water Data Saved");
  EXPECT_TRUE(fields.IsEnabled(Field::Timer1));
}

TEST_F(ConfigFile, SavedDataReadsBackToTheSameTariffUnitsAndOptions) {
  struct Options {
    int gallons, auto_save, on_top;
  };
  struct Row {
    const char* meaning;
    Texts typed;
    Options options;
    Texts shown;
    const char* file_line;
  };
  const Row rows[] = {
      {"no sewerage, tax and deflation, Auto Save",
       {"1.2345", "", "", "17.5", "-3", "7.5"},
       {0, 1, 0},
       {kPound + "1.2345", "", "", "17.5", "-3.0", "7.5"},
       "WVCost=123.45"},
      {"upper bounds, gallons, on top",
       {"5", kPound + "5", "99", "50", "199", "1"},
       {1, 0, 1},
       {kPound + "5.0000", kPound + "5.0000", "99.0", "50.0", "199.0", "1.0"},
       "VRate=51"},
      {"lower bounds",
       {kPound + "0.1", "0.1", "1", "1", "-30", "10"},
       {0, 0, 0},
       {kPound + "0.1000", kPound + "0.1000", "1.0", "1.0", "-30.0", "10.0"},
       "AnInf=1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.meaning);
    const Options& options = row.options;
    Start(false, options.gallons == 1);
    window.SetCheckBox(Field::AutoSave, options.auto_save);
    window.SetCheckBox(Field::OnTop, options.on_top);
    SetTariff(row.typed);
    window.Save_Defaults_Click();
    EXPECT_TRUE(fake.boxes.Shown().empty());
    EXPECT_NE(ConfigOnDisk().find("\r\n" + std::string(row.file_line) + "\r\n"), std::string::npos)
        << ConfigOnDisk();
    EXPECT_EQ(Tariff(), row.shown) << "as saved";

    for (const Field field : kTariff)
      fields.SetText(field, "0");
    for (const Field box : {Field::VolUnits1, Field::AutoSave, Field::OnTop})
      window.SetCheckBox(box, 1 - fields.CheckValue(box));
    window.Reset_Defaults_Click();
    EXPECT_TRUE(fake.boxes.Shown().empty());
    EXPECT_EQ(Tariff(), row.shown) << "as read back";
    EXPECT_EQ(fields.CheckValue(Field::VolUnits1), options.gallons);
    EXPECT_EQ(fields.CheckValue(Field::AutoSave), options.auto_save);
    EXPECT_EQ(fields.CheckValue(Field::OnTop), options.on_top);
  }
}

TEST_F(ConfigFile, LogLevel3IsSavedBackAs2) {
  StartWith(ExampleWith("LogLevel=1", "LogLevel=3"));
  EXPECT_EQ(State().LogLevel, 2);
  window.Save_Defaults_Click();
  EXPECT_EQ(ConfigOnDisk(), ExampleWith("LogLevel=1", "LogLevel=2"));
}

TEST_F(ConfigFile, SaveDataRefusesDataThatFailsItsChecks) {
  struct Row {
    const char* meaning;
    bool inhibit;
    std::vector<std::pair<Field, std::string>> typed;
    const char* messages;
  };
  const Row rows[] = {
      {"an allowance without a sewerage charge",
       false,
       {{Field::SVCost, ""}},
       "The Sewerage Cost cannot be zero if the Sewerage Volume Allowance is set\n"},
      {"a sewerage charge without an allowance",
       false,
       {{Field::SVAllow, ""}},
       "The Sewerage Volume Allowance cannot be zero if the Sewerage Cost is set\n"},
      {"a failed range check leaves out the sewerage check",
       false,
       {{Field::SVCost, ""}, {Field::SVAllow, "99.5"}, {Field::PPeriod, "0"}},
       "Payback Period must be between 1.0 and 10.0 years\n"
       "Sewerage Volume Allowance must be zero or between 1.0 and 99.0%\n"},
      {"checked even when the checks are inhibited",
       true,
       {{Field::WVCost, kPound + "5.01"}},
       "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.meaning);
    fake.boxes.Clear();
    fake.files.files[std::string(kConfigPath)] = kExample;
    window.Start(row.inhibit, true);
    for (const auto& [field, text] : row.typed)
      fields.SetText(field, text);
    std::vector<std::string> before;
    for (const Field field : AllFields())
      before.push_back(Text(field));
    window.Save_Defaults_Click();
    ASSERT_EQ(fake.boxes.Shown().size(), 1u);
    EXPECT_EQ(fake.boxes.Shown()[0].title, "Tolvarn Data Error");
    EXPECT_EQ(fake.boxes.Shown()[0].text, row.messages);
    EXPECT_EQ(fake.boxes.Shown()[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(ConfigOnDisk(), kExample);
    for (const Field field : AllFields())
      EXPECT_EQ(Text(field), before[static_cast<size_t>(field)]) << FieldName(field);
    EXPECT_EQ(fields.Caption(Field::Status), "");
  }
}

TEST_F(ConfigFile, FailedSaveLeavesTheOldFileByteForByte) {
  struct Row {
    const char* meaning;
    FileStep step;  // None: the Data directory has gone
  };
  const Row rows[] = {
      {"the Data directory has gone", FileStep::None},
      {"the new file cannot be created", FileStep::Open},
      {"writing it fails", FileStep::Write},
      {"flushing it fails", FileStep::Flush},
      {"renaming it over the old one fails", FileStep::Rename},
  };
  const std::string old = ExampleWith("WVCost=120", "WVCost=130");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.meaning);
    fake.boxes.Clear();
    fake.files.AddDirectory("Data");
    StartWith(old);
    fields.SetText(Field::WVCost, kPound + "1.40");
    fake.files.FailAt(row.step);
    if (row.step == FileStep::None) {
      fake.files.directories.erase("Data");
      ExpectEnded([&] { window.Save_Defaults_Click(); }, "Tolvarn Data Directory Error",
                  kDataMissing);
    } else {
      ExpectEnded([&] { window.Save_Defaults_Click(); }, "Tolvarn Configuration File Error",
                  "Unable to write to the configuration file. Tolvarn.ini\r\n"
                  "This may be a permissions problem.\r\nThe program will now terminate.");
      EXPECT_EQ(fake.boxes.Shown().back().icon, BoxIcon::Exclamation);
    }
    EXPECT_EQ(ConfigOnDisk(), old);
  }
}

TEST_F(ConfigFile, ResetDataReadsTheFileAgain) {
  StartWith(kExample);
  Set({{Field::WVCost, kPound + "2.00"}, {Field::AnInfT, "5"}, {Field::Item1Day, kPound + "0.5"}});
  fields.SetEnabled(Field::Save, true);
  window.Reset_Defaults_Click();
  EXPECT_EQ(Tariff(), kExampleShown);
  EXPECT_EQ(Text(Field::Item1Day), kPound + "0.5");  // results stay as they are
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  EXPECT_EQ(fields.Caption(Field::Status), "Water Data Restored");
  EXPECT_TRUE(fields.IsEnabled(Field::Timer1));

  // A file damaged since the start ends the program as it would at the start.
  fake.files.files[std::string(kConfigPath)] = ExampleWith("AnInf=33.5", "");
  ExpectEnded([&] { window.Reset_Defaults_Click(); }, "Tolvarn Configuration File Error",
              kCorrupted);
}

}  // namespace
}  // namespace tolvarn
