// The configuration file Data/Tolvarn.ini: the tariff, the units and two options, kept between
// runs in units of its own (money in hundredths, the tax rate plus 1, the inflation plus 31).
// A file that breaks any rule is damaged, and the program ends rather than use part of it.
#include <algorithm>
#include <array>
#include <cmath>

#include "core/checked_math.h"
#include "core/text.h"
#include "files/files_window.h"
#include "version.h"

namespace tolvarn {
namespace {

enum class Key { LogLevel, RunOnTop, SVAllow, SVCost, WVCost, PayPeriod, VRate, AnInf, VUnits };

struct KeyRule {
  Key key;
  std::string_view prefix;
  bool may_be_empty;  // a key with nothing after "=" still counts
};

// In the order the file is written; a reading takes them in any order.
constexpr std::array<KeyRule, 9> kKeys = {{{Key::AnInf, "AnInf=", true},
                                           {Key::LogLevel, "LogLevel=", false},
                                           {Key::RunOnTop, "RunOnTop=", false},
                                           {Key::PayPeriod, "PayPeriod=", false},
                                           {Key::SVCost, "SVCost=", false},
                                           {Key::SVAllow, "SVAllow=", false},
                                           {Key::VRate, "VRate=", false},
                                           {Key::VUnits, "VUnits=", true},
                                           {Key::WVCost, "WVCost=", false}}};

// A whole-number value: the number taken to the nearest integer, a half going to the even
// neighbour, which must fit a signed 16-bit integer.
int16_t WholeNumber(std::string_view text) {
  const double value = checked::Finite(TextValue(text));
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2) != 0)) whole += 1;
  if (whole < INT16_MIN || whole > INT16_MAX) throw RunTimeFailure("Overflow");
  return static_cast<int16_t>(whole);
}

// The inflation a stored AnInf stands for. Taking 31 away cancels its leading digits, which
// leaves binary noise within the 15 digits the fixed format judges on: 30.85 would give
// -0.149999999999999 and show -0.1 where Save Data showed -0.2. So the difference is cut to
// the decimals the stored value's 15 digits hold (12 to 14 in its range). The clean-up that
// follows gives it its one decimal, as it did when Save Data ran: formatting it here first
// would turn -0.04 into "-0.0", which the clean-up then takes for zero and empties.
double InflationOf(double stored) {
  const int whole_digits = stored >= 100 ? 3 : stored >= 10 ? 2 : 1;
  return TextValue(FormatFixed(checked::Sub(stored, 31), 15 - whole_digits));
}

}  // namespace

void FilesWindow::ReadConfig() {
  WindowState& state = State();
  Guarded("Config Read Error", [&] {
    state.ErrorLocation = 181;
    state.ConfigText = "Tolvarn Configuration";
    state.ConfigText += kLineEnd;
    state.ConfigText.append(21, '-');
    Check_Dir("Data");
    if (!platform().files.IsFile(kConfigPath))
      EndWithMessage("Tolvarn Configuration File Error",
                     "The configuration file is missing or corrupted.\r\n"
                     "Reinstall the program to restore the file.\r\n"
                     "The program will now terminate.",
                     BoxIcon::Stop);

    const auto reader = platform().files.OpenForReading(kConfigPath);
    if (!reader) throw RunTimeFailure("Cannot open the configuration file");
    state.ErrorLocation = 182;
    const bool complete = ReadConfigLines(*reader);

    state.ErrorLocation = 183;
    for (const Field field : {Field::SVAllow, Field::SVCost})
      if (!IsNumericText(Text(field))) SetText(field, "-1");
    const bool accepted = complete && ConfigInRange();
    state.ErrorLocation = 184;
    if (!accepted)
      EndWithMessage("Tolvarn Configuration File Error",
                     "The configuration file is corrupted.\r\n"
                     "Reinstall the program to restore the file.\r\n"
                     "The program will now terminate.",
                     BoxIcon::Stop);

    state.ErrorLocation = 185;
    UseConfig();
  });
}

bool FilesWindow::ReadConfigLines(LineReader& reader) {
  WindowState& state = State();
  std::array<int, kKeys.size()> counts{};
  int run_sections = 0;
  std::string line;
  while (reader.ReadLine(line)) {
    // Comments and empty lines are recognised before the line is trimmed.
    if (line.empty() || line.front() == '#') continue;
    const std::string_view trimmed = Trimmed(line);
    for (size_t i = 0; i < kKeys.size(); ++i) {
      const KeyRule& rule = kKeys[i];
      if (!trimmed.starts_with(rule.prefix)) continue;
      const std::string_view value = trimmed.substr(rule.prefix.size());
      if (value.empty() && !rule.may_be_empty) continue;
      switch (rule.key) {
        case Key::LogLevel:
          state.LogLevel = WholeNumber(value);
          break;
        case Key::RunOnTop:
          state.RunOnTop = WholeNumber(value);
          break;
        case Key::VUnits:
          state.VUnits = WholeNumber(value);
          break;
        case Key::SVAllow:
          SetText(Field::SVAllow, value);
          break;
        case Key::SVCost:
          SetText(Field::SVCost, value);
          break;
        case Key::WVCost:
          SetNumber(Field::WVCost, TextValue(value));
          break;
        case Key::PayPeriod:
          SetNumber(Field::PPeriod, TextValue(value));
          break;
        case Key::VRate:
          SetNumber(Field::VRate, TextValue(value));
          break;
        case Key::AnInf:
          state.AnInf = TextOf(TextValue(value));
          break;
      }
      ++counts[i];
    }
    if (trimmed == "[Run]") ++run_sections;
    state.ConfigText += kLineEnd;
    state.ConfigText += trimmed;
  }
  if (reader.Failed()) throw RunTimeFailure("Cannot read the configuration file");
  state.ConfigText += kLineEnd;
  state.ConfigText += kLineEnd;
  return run_sections == 1 && std::ranges::all_of(counts, [](int count) { return count == 1; });
}

bool FilesWindow::ConfigInRange() {
  const WindowState& state = State();
  const double allowance = Strict(Field::SVAllow);
  const double sewerage = Strict(Field::SVCost);
  return WithinRange(state.LogLevel, 1, 3) && WithinRange(state.RunOnTop, 1, 2) &&
         WithinRange(state.VUnits, 1, 2) && WithinRange(allowance, 0, 99) &&
         WithinRange(sewerage, 0, 500) && WithinRange(Strict(Field::WVCost), 10, 500) &&
         WithinRange(Strict(Field::PPeriod), 1, 10) && WithinRange(Strict(Field::VRate), 1, 51) &&
         WithinRange(StrictTextValue(state.AnInf), 1, 230) && (allowance == 0) == (sewerage == 0) &&
         !(allowance > 0 && allowance < 1) && !(sewerage > 0 && sewerage < 0.1);
}

void FilesWindow::UseConfig() {
  WindowState& state = State();
  if (state.LogLevel == 3) state.LogLevel = 2;
  SetNumber(Field::VRate, checked::Sub(Strict(Field::VRate), 1));
  SetNumber(Field::SVCost, checked::Div(Strict(Field::SVCost), 100));
  SetNumber(Field::WVCost, checked::Div(Strict(Field::WVCost), 100));
  SetText(Field::AnInfT, TextOf(InflationOf(StrictTextValue(state.AnInf))));

  ManageCurrency(true, false);
  CleanWaterData();
  CleanItemData();
  ManageCurrency(false, true);

  // A box set to a new state runs its handler, as a click would.
  SetCheckBox(Field::OnTop, state.RunOnTop - 1);
  SetCheckBox(Field::AutoSave, state.LogLevel - 1);
  SetCheckBox(Field::VolUnits1, state.VUnits - 1);
  // The litres labels are set even when the box did not change.
  if (Fields().CheckValue(Field::VolUnits1) == 0) VolUnits1_Click();
}

std::string FilesWindow::ConfigFileHeader() {
  const LocalDateTime now = platform().clock.Now();
  const auto line = [](std::string_view text) { return std::string(text) + std::string(kLineEnd); };
  std::string text = line("# Tolvarn " + VersionText());
  text += line("# Configuration File");
  text += line("# " + TwoDigits(now.day) + "-" + platform().locale.MonthAbbreviation(now.month) +
               "-" + TwoDigits(now.year % 100) + " " + TwoDigits(now.hour) + ":" +
               TwoDigits(now.minute) + ":" + TwoDigits(now.second));
  text += line("");
  text += line("[Run]");
  return text;
}

std::string FilesWindow::ConfigFileText(const FileTariff& tariff) {
  const WindowState& state = State();
  const auto value = [&](Key key) {
    switch (key) {
      case Key::AnInf:
        return state.AnInf;
      case Key::LogLevel:
        return std::to_string(Fields().CheckValue(Field::AutoSave) + 1);
      case Key::RunOnTop:
        return std::to_string(Fields().CheckValue(Field::OnTop) + 1);
      case Key::PayPeriod:
        return TextOf(tariff.period);
      case Key::SVCost:
        return TextOf(tariff.sewerage);
      case Key::SVAllow:
        return TextOf(tariff.allowance);
      case Key::VRate:
        return TextOf(tariff.rate);
      case Key::VUnits:
        return std::to_string(state.VUnits);
      case Key::WVCost:
        return TextOf(tariff.water);
    }
    return std::string();
  };
  std::string text = ConfigFileHeader();
  for (const KeyRule& rule : kKeys) {
    text += rule.prefix;
    text += value(rule.key);
    text += kLineEnd;
  }
  return text;
}

void FilesWindow::Save_Defaults_Click() {
  WindowState& state = State();
  Guarded("Save Config Error", [&] {
    state.ErrorLocation = 221;
    state.CheckMessages.clear();
    ManageCurrency(true, false);
    // The file is checked as a reading will check it, even when the checks of Calculate are
    // inhibited: a file that breaks a rule would stop the next start.
    const int16_t inhibit = state.InhibitErrorCheck;
    state.InhibitErrorCheck = 0;
    CheckWaterData();
    if (state.CheckMessages.empty()) CheckSewerage();
    state.InhibitErrorCheck = inhibit;

    // The values in the file's units, as they will read back from it.
    const auto carried = [](double value) { return TextValue(TextOf(value)); };
    const double sewerage = carried(checked::Mul(100, Value(Field::SVCost)));
    const double water = carried(checked::Mul(100, Value(Field::WVCost)));
    const double allowance = carried(Value(Field::SVAllow));
    const double period = carried(Value(Field::PPeriod));
    const double rate = carried(checked::Add(Value(Field::VRate), 1));
    state.AnInf = TextOf(checked::Add(Value(Field::AnInfT), 31));
    state.VUnits = static_cast<int16_t>(Fields().CheckValue(Field::VolUnits1) + 1);

    if (!state.CheckMessages.empty()) {
      ShowMessage("Tolvarn Data Error", state.CheckMessages, BoxIcon::Exclamation);
      ManageCurrency(false, true);
      return;
    }

    state.ErrorLocation = 222;
    Check_Dir("Data");
    const std::string text = ConfigFileText({sewerage, water, allowance, period, rate});

    // Written beside the old file and renamed over it, so that the old file stays whole until
    // the new one is complete. Whichever step fails, it is the disk or the permissions.
    if (!platform().files.Replace(kConfigPath, text).ok())
      EndWithMessage("Tolvarn Configuration File Error",
                     "Unable to write to the configuration file. Tolvarn.ini\r\n"
                     "This may be a permissions problem.\r\n"
                     "The program will now terminate.",
                     BoxIcon::Exclamation);

    state.ErrorLocation = 224;
    SetNumber(Field::SVCost, checked::Div(sewerage, 100));
    SetNumber(Field::WVCost, checked::Div(water, 100));
    SetNumber(Field::VRate, checked::Sub(rate, 1));
    SetNumber(Field::SVAllow, allowance);
    SetNumber(Field::PPeriod, period);

    state.ErrorLocation = 225;
    CleanWaterData();
    CleanItemData();
    ManageCurrency(false, true);
    ShowStatus("Water Data Saved");
  });
}

void FilesWindow::Reset_Defaults_Click() {
  ReadConfig();
  Fields().SetEnabled(Field::Save, false);
  ShowStatus("Water Data Restored");
}

}  // namespace tolvarn
