// The configuration file: what a reading takes or refuses, and Save Data.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "files/files_window.h"
#include "temp_dir.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::kExampleConfiguration;

MessageBoxRequest ConfigError(const std::string& lines, BoxIcon icon = BoxIcon::Stop) {
  return {"Tolvarn Configuration File Error", lines + "\r\nThe program will now terminate.", icon,
          BoxButtons::Ok};
}
const std::string kReinstall = "\r\nReinstall the program to restore the file.";
const MessageBoxRequest kCorrupted =
    ConfigError("The configuration file is corrupted." + kReinstall);

// The example with the line before ">" replaced by what follows it ("" leaves an empty line).
std::string ExampleWith(const std::string& change) {
  const size_t split = change.find('>');
  std::string text = kExampleConfiguration;
  const size_t at = text.find("\r\n" + change.substr(0, split) + "\r\n");
  EXPECT_NE(at, std::string::npos) << change;
  if (at != std::string::npos) text.replace(at + 2, split, change.substr(split + 1));
  return text;
}

class ConfigFile : public testing::WindowTest {
 protected:
  ConfigFile() {
    fake.files.AddDirectory("Data");
    fake.files.AddDirectory("Log");
  }
  std::string& ConfigOnDisk() { return fake.files.files[std::string(kConfigPath)]; }
  void StartWith(const std::string& file) {
    ConfigOnDisk() = file;
    window.Start(false, true);
  }
  void ExpectEnded(const std::function<void()>& procedure, const MessageBoxRequest& box) {
    fake.boxes.Clear();
    EXPECT_THROW(procedure(), ProgramEnded);
    ExpectBoxes({box});
    EXPECT_FALSE(window.LastFatalError().has_value());
  }
};

// What a field shows after a change the reading takes; a change of the second list ends the
// program. An empty AnInf= counts.
TEST_F(ConfigFile, ReadingAcceptsOdditiesWithinTheBoundsAndRefusesTheRest) {
  for (const auto& [field, change, shown] :
       {std::tuple{Field::WVCost, "WVCost=120>WVCost=10 pence", "£0.1000"},
        {Field::PPeriod, "PayPeriod=10>PayPeriod=  1", "1.0"},
        {Field::VRate, "VRate=1>    VRate=51", "50.0"},
        {Field::AutoSave, "LogLevel=1>LogLevel=\r\nLogLevel=2", "1"},  // an empty one is none
        {Field::AnInfT, "AnInf=33.5>AnInf=1", "-30.0"},
        {Field::AnInfT, "AnInf=33.5>AnInf=30.85", "-0.2"},  // -0.15, as Save Data shows it
        {Field::AnInfT, "AnInf=33.5>AnInf=30.96", "-0.0"},  // -0.04 likewise, not zero
        {Field::SVCost, "SVCost=150\r\nSVAllow=95>SVCost=0\r\nSVAllow=0", ""},
        {Field::VolUnits1, "VUnits=1>VUnits=1.5", "1"}}) {  // a half rounds to even
    StartWith(ExampleWith(change));
    EXPECT_EQ(KindOf(field) == FieldKind::CheckBox ? std::to_string(fields.CheckValue(field))
                                                   : Text(field),
              shown)
        << change;
    EXPECT_TRUE(fake.boxes.Shown().empty());
  }
  for (const char* change :
       {"[Run]>", "VRate=1>VRate=1\r\nVRate=1", "AnInf=33.5>", "PayPeriod=10>PayPeriod =10",
        "LogLevel=1>LogLevel=", "AnInf=33.5>AnInf=\r\nAnInf=33.5", "SVCost=150>SVCost=0",
        "SVCost=150>SVCost=500.5", "SVAllow=95>SVAllow=0.5", "WVCost=120>WVCost=9.99",
        "WVCost=120>WVCost=500.5", "PayPeriod=10>PayPeriod=0.9", "VRate=1>VRate=51.5",
        "AnInf=33.5>AnInf=230.5", "LogLevel=1>LogLevel=4", "RunOnTop=1>RunOnTop=3",
        "VUnits=1>VUnits=2.6", "SVAllow=95>SVAllow=99.5", "VRate=1>VRate="}) {
    SCOPED_TRACE(change);
    ExpectEnded([&] { StartWith(ExampleWith(change)); }, kCorrupted);
  }
}

TEST_F(ConfigFile, MissingFileOrDataDirectoryEndsTheProgram) {
  ExpectEnded([&] { window.Start(false, true); },
              ConfigError("The configuration file is missing or corrupted." + kReinstall));
  fake.files.directories.erase("Data");
  ExpectEnded([&] { StartWith(kExampleConfiguration); },
              {"Tolvarn Data Directory Error",
               "The Data directory does not exist.\r\nTo restore the Data directory\r\n"
               "reinstall the program.\r\nThe program will now terminate.",
               BoxIcon::Stop, BoxButtons::Ok});
}

// The dump holds the lines read so far, without the empty lines of a complete reading.
TEST_F(ConfigFile, NumberBeyond16BitsIsFatalAndTheDumpShowsTheLinesReadSoFar) {
  for (const char* line : {"LogLevel=-32769", "LogLevel=32767.5"}) {
    fake.files.files[std::string(kLogPath)] = "";
    EXPECT_EQ(ExpectFatal([&] { StartWith(ExampleWith(std::string("LogLevel=1>") + line)); }),
              std::make_pair(std::string("Config Read Error"), 182));
    EXPECT_NE(fake.files.files.at(std::string(kLogPath))
                  .find(":\r\n\r\nTolvarn Configuration\r\n" + std::string(21, '-') +
                        "\r\n[Run]\r\nAnInf=33.5\r\nProgram Defaults\r\n"),
              std::string::npos);
  }
}

// A number of up to four decimals in [low, high], maybe behind the symbol.
std::string Typed(double low, double high, bool money = false) {
  const int decimals = *rc::gen::inRange(0, 5);
  const double scale = std::pow(10, decimals);
  const auto low_step = static_cast<int64_t>(std::ceil(low * scale - 1e-9));
  const auto high_step = static_cast<int64_t>(std::floor(high * scale + 1e-9));
  const double value = *rc::gen::inRange<int64_t>(low_step, high_step + 1) / scale;
  return (money && *rc::gen::arbitrary<bool>() ? "£" : "") + FormatFixed(value, decimals);
}

// Any tariff, units and options the checks accept: Reset Data shows what Save Data showed (the
// file keeps -0.15 % as AnInf=30.85); the units are relabelled, nothing converted, and the
// results are left alone.
RC_GTEST_FIXTURE_PROP(ConfigFile, ResetDataShowsWhatSaveDataShowed, ()) {
  const Field boxes[] = {Field::VolUnits1, Field::AutoSave, Field::OnTop};
  const auto zero = [] { return *rc::gen::elementOf(std::vector<std::string>{"", "0", "0.00"}); };
  const bool sewerage = *rc::gen::arbitrary<bool>(), vat = *rc::gen::arbitrary<bool>();
  const std::string typed =
      Typed(0.1, 5, true) + "|" +
      (sewerage ? Typed(0.1, 5, true) + "|" + Typed(1, 99) : zero() + "|" + zero()) + "|" +
      (vat ? Typed(1, 50) : zero()) + "|" + Typed(-30, 199) + "|" + Typed(1, 10);
  const int ticked[] = {*rc::gen::inRange(0, 2), *rc::gen::inRange(0, 2), *rc::gen::inRange(0, 2)};
  Start();
  Enter(typed);
  for (int i : {0, 1, 2})
    window.SetCheckBox(boxes[i], ticked[i]);
  window.Save_Defaults_Click();
  RC_ASSERT(fields.Caption(Field::Status) == "Water Data Saved");
  const std::string saved = Texts(kInputs);
  Enter("0|0|0|0|0|0");
  fields.SetText(Field::Item1Day, "£0.5");
  for (int i : {0, 1, 2})
    window.SetCheckBox(boxes[i], 1 - ticked[i]);
  fields.SetEnabled(Field::Save, true);
  window.Reset_Defaults_Click();
  RC_ASSERT(Texts(kInputs) + Text(Field::Item1Day) == saved + "£0.5");
  RC_ASSERT(fields.Caption(Field::Item2WatL) == (ticked[0] ? "Gal" : "Ltr"));
  RC_ASSERT(State().ChargeUnitText == (ticked[0] ? "per 1000 Gallons" : "per Cubic Metre"));
  for (int i : {0, 1, 2})
    RC_ASSERT(fields.CheckValue(boxes[i]) == ticked[i]);
  RC_ASSERT(!fields.IsEnabled(Field::Save));
  RC_ASSERT(fields.Caption(Field::Status) == "Water Data Restored");
}

// Refused even with the checks inhibited (the range checks' messages, not the sewerage pair's),
// nothing changes. The example file byte for byte; a LogLevel of 3 goes back as 2; a failed
// write ends the program with the old file whole. Damage since the start ends Reset Data.
TEST_F(ConfigFile, SaveDataWritesTheFileAReadingTakesOrLeavesTheOldOne) {
  Start();
  State().InhibitErrorCheck = 1;
  Enter("£1.20||99.5||2.5|0");
  const std::string before = Texts(kInputs);
  window.Save_Defaults_Click();
  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  EXPECT_EQ(std::ranges::count(fake.boxes.Shown()[0].text, '\n'), 2);
  EXPECT_EQ(Texts(kInputs) + fields.Caption(Field::Status), before);
  Enter("£1.20|£1.50|95||2.5|10");
  window.Save_Defaults_Click();
  EXPECT_EQ(ConfigOnDisk(), kExampleConfiguration);
  StartWith(ExampleWith("LogLevel=1>LogLevel=3"));
  EXPECT_EQ(State().LogLevel, 2);
  window.Save_Defaults_Click();
  const std::string saved = ExampleWith("LogLevel=1>LogLevel=2");
  EXPECT_EQ(ConfigOnDisk(), saved);
  Enter("£1.40|||||5");
  fake.files.FailAt(FileStep::Write);
  ExpectEnded([&] { window.Save_Defaults_Click(); },
              ConfigError("Unable to write to the configuration file. Tolvarn.ini\r\n"
                          "This may be a permissions problem.",
                          BoxIcon::Exclamation));
  EXPECT_EQ(ConfigOnDisk(), saved);
  StartWith(saved);
  ConfigOnDisk() = ExampleWith("AnInf=33.5>");
  ExpectEnded([&] { window.Reset_Defaults_Click(); }, kCorrupted);
}

}  // namespace
}  // namespace tolvarn
