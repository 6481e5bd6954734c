// Data/Payback.ini, written as a whole by one atomic replace and read forgivingly: the
// settings are a convenience, so a damaged value costs that value only.
#include "files/payback_settings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "core/number_text.h"
#include "core/text.h"

namespace tolvarn {
namespace {

constexpr std::string_view kSection = "[Payback]";
constexpr std::string_view kFileName = "Payback.ini";

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

bool InRange(const KeyInfo& key, double value) {
  if (!key.input) return value == 0 || value == 1;
  const PaybackInputInfo& info = PaybackInputTable()[static_cast<size_t>(*key.input)];
  return value >= info.minimum && value <= info.maximum &&
         (!info.whole || value == std::floor(value));
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

void ReadSetting(std::string_view line, int number, const PaybackSettings& defaults,
                 PaybackSettingsReading& reading) {
  const std::string_view trimmed = Trimmed(line, kBlanksAndTabs);
  if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';' || trimmed == kSection)
    return;
  const size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) {
    reading.problems.push_back(std::string(kFileName) + ": line " + std::to_string(number) +
                               " was damaged; ignored.");
    return;
  }
  const std::string_view name = Trimmed(trimmed.substr(0, equals), kBlanksAndTabs);
  const std::string_view value = trimmed.substr(equals + 1);
  for (const KeyInfo& key : kKeys) {
    if (key.name != name) continue;
    if (MayBeNotSet(key) && Trimmed(value, kBlanksAndTabs).empty()) {
      Put(reading.settings, key, std::nullopt);
    } else if (!IsNumericText(value)) {
      Put(reading.settings, key, Get(defaults, key));
      reading.problems.push_back(Problem(key, "was damaged", defaults));
    } else if (!InRange(key, StrictTextValue(value))) {
      Put(reading.settings, key, Get(defaults, key));
      reading.problems.push_back(Problem(key, "was out of range", defaults));
    } else {
      Put(reading.settings, key, StrictTextValue(value));
    }
  }
  // Other keys (from a later version, say) are skipped, and not written back by the next save:
  // the file holds the settings this version knows.
}

}  // namespace

PaybackSettingsReading ReadPaybackSettings(FileSystem& files) {
  PaybackSettingsReading reading;
  const PaybackSettings defaults;
  if (!files.Exists(kPaybackSettingsPath)) return reading;
  const auto unreadable = [&] {
    reading.settings = defaults;
    reading.problems = {std::string(kFileName) + " could not be read; using the defaults."};
    return reading;
  };
  const auto reader =
      files.IsFile(kPaybackSettingsPath) ? files.OpenForReading(kPaybackSettingsPath) : nullptr;
  if (!reader) return unreadable();

  // Lines end with LF or CR LF; a lone CR ends one too (as an old Mac editor writes them).
  std::string read;
  int number = 0;
  while (reader->ReadLine(read)) {
    std::string_view rest = read;
    while (true) {
      const size_t cr = rest.find('\r');
      ReadSetting(rest.substr(0, cr), ++number, defaults, reading);
      if (cr == std::string_view::npos) break;
      rest.remove_prefix(cr + 1);
    }
  }
  if (reader->Failed()) return unreadable();
  return reading;
}

std::string PaybackSettingsText(const PaybackSettings& settings) {
  std::string text(kSection);
  text += kLineEnd;
  for (const KeyInfo& key : kKeys) {
    text += key.name;
    text += '=';
    // The shortest text that reads back as the same double, so that a setting saved is the
    // setting read (a 16-digit value typed in is kept whole); "." whatever the locale. Nothing
    // for a value not set.
    if (const std::optional<double> value = Get(settings, key)) {
      char number[32];
      const auto written = std::to_chars(number, number + sizeof number, *value);
      text.append(number, written.ptr);
    }
    text += kLineEnd;
  }
  return text;
}

FileStatus WritePaybackSettings(FileSystem& files, const PaybackSettings& settings) {
  if (!CheckPaybackInputs(PaybackInputs{settings, {}}).empty()) return {FileStep::Write};
  return files.Replace(kPaybackSettingsPath, PaybackSettingsText(settings));
}

}  // namespace tolvarn
