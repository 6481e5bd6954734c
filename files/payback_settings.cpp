// Data/Payback.ini, written as a whole by one atomic replace and read forgivingly through the
// settings-file layer: the settings are a convenience, so a damaged value costs that value only.
#include "files/payback_settings.h"

#include <array>
#include <optional>
#include <utility>

#include "core/number_text.h"
#include "core/text.h"
#include "files/settings_file.h"

namespace tolvarn {
namespace {

constexpr std::string_view kSection = "Payback";
constexpr std::string_view kFileName = "Payback.ini";
// Payback.ini's own line rules (settings_file.h says which), so that a file edited by hand reads
// as it always has.
constexpr SettingsDialect kDialect{
    .skipByteOrderMark = false, .onlyHeader = "[Payback]", .trimValueStart = false};

// The file's keys in the order it is written. USGallons and Metered have no row in the input
// table; OwnEnergyPrice may be not set, which an empty value says.
enum class Key {
  Horizon,
  Discount,
  EnergyPrice,
  HeaterEfficiency,
  TemperatureRise,
  USGallons,
  Co2PerKWh,
  Co2PerCubicMetre,
  Metered,
  OwnEnergyPrice
};
struct KeyInfo {
  Key key;
  std::string_view name;
  std::optional<PaybackInput> input;
};
constexpr std::array<KeyInfo, 10> kKeys = {{
    {Key::Horizon, "Horizon", PaybackInput::Horizon},
    {Key::Discount, "Discount", PaybackInput::Discount},
    {Key::EnergyPrice, "EnergyPrice", PaybackInput::EnergyPrice},
    {Key::HeaterEfficiency, "HeaterEfficiency", PaybackInput::HeaterEfficiency},
    {Key::TemperatureRise, "TemperatureRise", PaybackInput::TemperatureRise},
    {Key::USGallons, "USGallons", std::nullopt},
    {Key::Co2PerKWh, "Co2PerKWh", PaybackInput::Co2PerKWh},
    {Key::Co2PerCubicMetre, "Co2PerCubicMetre", PaybackInput::Co2PerCubicMetre},
    {Key::Metered, "Metered", std::nullopt},
    {Key::OwnEnergyPrice, "OwnEnergyPrice", PaybackInput::OwnEnergyPrice},
}};

// A key's value: the input's, or a yes/no as 1 or 0.
std::optional<double> Get(const PaybackSettings& s, const KeyInfo& key) {
  if (key.input) return PaybackInputValue(PaybackInputs{s, {}}, *key.input);
  return (key.key == Key::USGallons ? s.USGallons : s.Metered) ? 1 : 0;
}

// A whole number is cut towards zero, and any yes/no value but 0 is true.
void Put(PaybackSettings& s, const KeyInfo& key, std::optional<double> value) {
  if (key.input) {
    PaybackInputs inputs{s, {}};
    SetPaybackInput(inputs, *key.input, value);
    s = inputs.settings;
  } else {
    (key.key == Key::USGallons ? s.USGallons : s.Metered) = value.value_or(0) != 0;
  }
}

// A yes/no value is 1 or 0.
bool InRange(const KeyInfo& key, double value) {
  if (!key.input) return value == 0 || value == 1;
  return PaybackInputAccepts(PaybackInputTable()[static_cast<size_t>(*key.input)], value);
}

bool MayBeNotSet(const KeyInfo& key) {
  return key.input && PaybackInputTable()[static_cast<size_t>(*key.input)].optional;
}

std::string Problem(const KeyInfo& key, std::string_view what, const PaybackSettings& defaults) {
  const std::optional<double> fallback = Get(defaults, key);
  // The own energy price not set is the energy price.
  return std::string(kFileName) + ": " + std::string(key.name) + " " + std::string(what) +
         "; using " + (fallback ? TextOf(*fallback) : std::string("the energy price")) + ".";
}

void ReadSetting(const SettingsEntry& entry, const PaybackSettings& defaults,
                 PaybackSettings& settings, std::vector<SettingsNote>& notes) {
  const std::string_view value = entry.value;
  for (const KeyInfo& key : kKeys) {
    if (key.name != entry.key) continue;
    if (MayBeNotSet(key) && Trimmed(value, kBlanksAndTabs).empty()) {
      Put(settings, key, std::nullopt);
    } else if (!IsNumericText(value)) {
      Put(settings, key, Get(defaults, key));
      notes.emplace_back(entry.line, Problem(key, "was damaged", defaults));
    } else if (!InRange(key, StrictTextValue(value))) {
      Put(settings, key, Get(defaults, key));
      notes.emplace_back(entry.line, Problem(key, "was out of range", defaults));
    } else {
      Put(settings, key, StrictTextValue(value));
    }
  }
  // Other keys (from a later version, say) are skipped, and not written back by the next save:
  // the file holds the settings this version knows.
}

}  // namespace

PaybackSettingsReading ReadPaybackSettings(FileSystem& files) {
  PaybackSettingsReading reading;
  const SettingsFileReading file = ReadSettingsFile(files, kPaybackSettingsPath, kDialect);
  if (file.outcome == SettingsFileReading::Outcome::Missing) return reading;
  if (file.outcome == SettingsFileReading::Outcome::Unreadable) {
    reading.problems = {std::string(kFileName) + " could not be read; using the defaults."};
    return reading;
  }
  // A key counts wherever it stands, before the header too; the notes go in the file's order.
  const PaybackSettings defaults;
  std::vector<SettingsNote> notes;
  for (const int line : file.document.damagedLines)
    notes.emplace_back(
        line, std::string(kFileName) + ": line " + std::to_string(line) + " was damaged; ignored.");
  for (const SettingsSection& section : file.document.sections)
    for (const SettingsEntry& entry : section.entries)
      ReadSetting(entry, defaults, reading.settings, notes);
  reading.problems = InLineOrder(std::move(notes));
  return reading;
}

std::string PaybackSettingsText(const PaybackSettings& settings) {
  SettingsWriter writer;
  writer.Section(kSection);
  // Nothing after "=" for a value not set.
  for (const KeyInfo& key : kKeys)
    if (const std::optional<double> value = Get(settings, key))
      writer.Number(key.name, *value);
    else
      writer.Value(key.name, "");
  return writer.text();
}

FileStatus WritePaybackSettings(FileSystem& files, const PaybackSettings& settings) {
  if (!CheckPaybackInputs(PaybackInputs{settings, {}}).empty()) return {FileStep::Write};
  return files.Replace(kPaybackSettingsPath, PaybackSettingsText(settings));
}

}  // namespace tolvarn
