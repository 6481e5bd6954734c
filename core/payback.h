// Payback: when the item that costs more to buy pays for itself, counting the energy that heats
// its water, year by year over a horizon of its own. Works on what the last Calculate that
// compared both items read, in double precision throughout (none of the window's 32-bit values
// or text round trips take part).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvarn {

// A gallon in litres, UK or US, and the energy that warms a litre of water by one degree C.
inline constexpr double kLitresPerUkGallon = 4.54609;
inline constexpr double kLitresPerUsGallon = 3.785411784;
inline constexpr double kKWhPerLitreDegree = 0.001163;
constexpr double LitresPerGallon(bool us_gallons) {
  return us_gallons ? kLitresPerUsGallon : kLitresPerUkGallon;
}

// What a Calculate that compared both items read: the tariff as it read it (currency symbols
// removed) and each item's use and uses per day after their truncation, and purchase cost.
struct CalculatedItem {
  double Use = 0;           // U: per use, in the window's volume units
  double UsesPerDay = 0;    // D
  double PurchaseCost = 0;  // C
  friend bool operator==(const CalculatedItem&, const CalculatedItem&) = default;
};
struct CalculatedInputs {
  double WaterCharge = 0;        // W: per 1000 units (cubic metre or 1000 gallons)
  double SewerageCharge = 0;     // S
  double SewerageAllowance = 0;  // A: percent
  double TaxRate = 0;            // V: percent
  double Inflation = 0;          // r: percent a year
  bool Gallons = false;          // the window's volume units
  std::array<CalculatedItem, 2> items;
  // Whether two comparisons read the same: a Calculate on unchanged data changes nothing.
  friend bool operator==(const CalculatedInputs&, const CalculatedInputs&) = default;
};

// The payback settings, kept between runs, and the per-item values, which are not.
struct PaybackSettings {
  int Horizon = 15;              // H: years shown, 1-50
  double Discount = 0;           // d: percent a year, 0-20
  double EnergyPrice = 0;        // E: per kWh, taxes included, 0-100
  double HeaterEfficiency = 90;  // eta: percent, 10-500
  double TemperatureRise = 30;   // T: degrees C, 0-90
  bool USGallons = false;        // a gallon is 3.785411784 L instead of 4.54609 L
  double Co2PerKWh = 0;          // fE: kg CO2e per kWh of the heater's energy, 0-5
  double Co2PerCubicMetre = 0;   // fW: kg CO2e per 1000 L supplied and treated, 0-10
  bool Metered = true;           // false: water and sewerage are not billed by volume
  // E_o: per kWh of the energy the items use themselves, 0-100; none: the same as EnergyPrice.
  std::optional<double> OwnEnergyPrice = std::nullopt;
  friend bool operator==(const PaybackSettings&, const PaybackSettings&) = default;
};
struct PaybackItemSettings {
  double OwnEnergy = 0;  // e: kWh per use the appliance uses itself, 0-50
  double HotShare = 0;   // h: percent of its water the household's heater warms, 0-100
  friend bool operator==(const PaybackItemSettings&, const PaybackItemSettings&) = default;
};
struct PaybackInputs {
  PaybackSettings settings;
  std::array<PaybackItemSettings, 2> items;
};

// The inputs as typed, by name. `PaybackInputTable()` lists them in the order the messages come
// (and the window shows them, but for the own energy price, which it shows beside the energy
// price): name, label, unit, range, whether whole, default, whether it may be not set.
enum class PaybackInput {
  Horizon,
  Discount,
  EnergyPrice,
  HeaterEfficiency,
  TemperatureRise,
  Co2PerKWh,
  Co2PerCubicMetre,
  OwnEnergyPrice,
  Item1OwnEnergy,
  Item1HotShare,
  Item2OwnEnergy,
  Item2HotShare,
};
inline constexpr size_t kPaybackInputCount = 12;
struct PaybackInputInfo {
  PaybackInput input;
  std::string_view name;   // "Horizon", ..., "Item1OwnEnergy"
  std::string_view label;  // what the window and the messages call it
  std::string_view unit;   // "years", "% a year", "per kWh" (the currency is put before it), ...
  std::string_view tooltip;
  double minimum;
  double maximum;
  bool whole;
  double fallback;        // the default; unused for an optional input, whose default is not set
  bool optional = false;  // may be not set (OwnEnergyPrice), which an empty text says
};
const std::array<PaybackInputInfo, kPaybackInputCount>& PaybackInputTable();
// Whether a value is within the input's range (and whole where it must be); none only for an
// optional input.
bool PaybackInputAccepts(const PaybackInputInfo& info, std::optional<double> value);
// An input's value as `inputs` hold it: none only for an optional input that is not set.
std::optional<double> PaybackInputValue(const PaybackInputs& inputs, PaybackInput input);
// Puts a value into its place (the horizon, a whole number in the settings, cut to one); none
// makes an optional input not set and any other its default.
void SetPaybackInput(PaybackInputs& inputs, PaybackInput input, std::optional<double> value);
// The value's text as the window shows it: the full-precision number, empty when not set.
std::string PaybackInputText(const PaybackInputs& inputs, PaybackInput input);

// Reads every text (indexed as PaybackInput; blanks around a number are allowed, "." is the
// decimal point; an optional input's empty or blank text is not set) into `inputs` (USGallons
// and Metered are left as they are). Returns one message per value that is not a number or out
// of its range, in table order; when any fails, `inputs` is unchanged.
std::vector<std::string> CheckPaybackInputs(
    const std::array<std::string, kPaybackInputCount>& texts, PaybackInputs& inputs);
// The same check of values already read (the command line, the settings file).
std::vector<std::string> CheckPaybackInputs(const PaybackInputs& inputs);

// One year of the comparison: every figure cumulative from year 0, where all are 0 but the
// costs (each item's purchase cost).
struct PaybackYear {
  int year = 0;
  std::array<double, 2> cost{};    // M_k(y), discounted
  double difference = 0;           // M_1(y) - M_2(y)
  std::array<double, 2> water{};   // in the window's volume units
  std::array<double, 2> energy{};  // kWh
  std::array<double, 2> co2{};     // kg CO2e
};
struct BreakEven {
  int item = 0;      // the item that costs more to buy, 1 or 2
  double years = 0;  // t, interpolated within the year it is reached
};
struct PaybackResult {
  bool ok = false;  // false: a figure would be too large to work out (`headline` says so)
  std::vector<PaybackYear> years;  // 0 .. H
  std::optional<BreakEven> breakEven;
  std::string headline;                // "Item 2 pays for itself after 3 years 4 months.", ...
  std::array<double, 2> yearlyCost{};  // R_k: a year's running cost at today's prices (its
                                       // energy only when unmetered)
};
PaybackResult WorkOutPayback(const CalculatedInputs& calculated, const PaybackInputs& inputs);

// The comparison as comma-separated text: a header row, then one row per year from year 0, "."
// as the decimal point, money to 2 decimals, water to 1, energy and CO2e to 3; CR LF line ends.
std::string PaybackCsv(const PaybackResult& result);

}  // namespace tolvarn
