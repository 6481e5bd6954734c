// The household: the fittings a household knows (a shower of so many litres a minute, so many
// minutes, so many times a week each), turned into the litres a day, the energy and the cost a
// day that the comparison needs, and whether a water meter would pay. Double precision
// throughout; no toolkit and no files.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/payback.h"

namespace tolvarn {

enum class FittingKind {
  Shower,
  ElectricShower,
  Bath,
  Toilet,
  DualFlushToilet,
  WashingMachine,
  Dishwasher,
  Tap,
};
inline constexpr size_t kFittingKindCount = 8;
// The most parameters a kind has.
inline constexpr size_t kMaxFittingParameters = 4;
inline constexpr size_t kMaxFittings = 30;
inline constexpr size_t kMaxFittingNameLength = 40;  // characters, not bytes

struct FittingParameterInfo {
  std::string_view name;   // "FlowRate", the key in Household.ini
  std::string_view label;  // "Flow rate", what the window and the messages call it
  std::string_view unit;   // "L/min", ...
  std::string_view tooltip;
  double minimum;
  double maximum;
  double fallback;  // the default, used for a damaged value
};
struct FittingKindInfo {
  FittingKind kind;
  std::string_view name;   // "Shower", the Kind= value in Household.ini
  std::string_view label;  // "Shower (mixer or power)", what the window calls it
  bool warm;               // its warm water comes from the household's heater
  size_t parameterCount;
  std::array<FittingParameterInfo, kMaxFittingParameters> parameters;  // the first Count
};
// Indexed as FittingKind.
const std::array<FittingKindInfo, kFittingKindCount>& FittingKindTable();
const FittingKindInfo& KindInfo(FittingKind kind);
// The kind with that Household.ini name, if any.
std::optional<FittingKind> KindNamed(std::string_view name);

struct Fitting {
  std::string Name{};  // up to 40 characters of UTF-8
  FittingKind Kind = FittingKind::Shower;
  // In the order of the kind's parameters; those past its count are unused (kept at 0).
  std::array<double, kMaxFittingParameters> values{};
  friend bool operator==(const Fitting&, const Fitting&) = default;
};
// A fitting of that kind with every parameter at its default.
Fitting DefaultFitting(FittingKind kind, std::string name);

struct HouseholdSettings {
  int People = 2;              // P: 1-20
  double ColdSupply = 10;      // Tc: degrees C, 0-30
  double UnmeteredBill = 0;    // B: a year, as billed without a meter, 0-100000; 0 = not known
  double StandingCharges = 0;  // F: a year, the fixed part of the metered charges, 0-10000
  friend bool operator==(const HouseholdSettings&, const HouseholdSettings&) = default;
};
struct Household {
  HouseholdSettings settings;
  std::vector<Fitting> fittings;  // at most 30
  friend bool operator==(const Household&, const Household&) = default;
};

// The household settings by name, in the order the window shows them and messages come.
enum class HouseholdInput { People, ColdSupply, UnmeteredBill, StandingCharges };
inline constexpr size_t kHouseholdInputCount = 4;
struct HouseholdInputInfo {
  HouseholdInput input;
  std::string_view name;   // "People", the key in Household.ini
  std::string_view label;  // "People"
  std::string_view unit;   // "", "\u00B0C", "a year" (the currency goes before an amount)
  std::string_view tooltip;
  double minimum;
  double maximum;
  bool whole;
  double fallback;
};
const std::array<HouseholdInputInfo, kHouseholdInputCount>& HouseholdInputTable();

// One message per value out of its range (NaN and infinity included), per name too long or
// holding a control character, per kind unknown and for too many fittings, in order (settings
// first, then too many fittings, then each fitting's name and values as its kind lists them),
// all at once: "People must be a whole number from 1 to 20.", "Fitting 2 (Mixer shower): Flow
// rate must be a number from 1 to 30.", ... Empty when the household can be worked out.
std::vector<std::string> CheckHousehold(const Household& household);

// The tariff as a Calculate would read it now, once it has passed the window's water data
// checks (currency symbols removed).
struct HouseholdTariff {
  double WaterCharge = 0;        // W: per 1000 units
  double SewerageCharge = 0;     // S
  double SewerageAllowance = 0;  // A: percent
  double TaxRate = 0;            // V: percent
  bool Gallons = false;          // the window's volume units
  friend bool operator==(const HouseholdTariff&, const HouseholdTariff&) = default;
};

struct FittingFigures {
  double litresPerDay = 0;             // Ld
  double ownKWhPerDay = 0;             // what it uses itself (an electric shower, a machine)
  double heaterKWhPerDay = 0;          // what the household's heater uses for its warm water
  double hotShare = 0;                 // h: 0-1
  std::optional<double> costPerDay{};  // none without a tariff that passes the checks
};
struct HouseholdFigures {
  std::vector<FittingFigures> fittings;  // as the household's fittings
  double litresPerDay = 0;
  double litresPerPersonPerDay = 0;
  std::optional<double> meteredPerYear;         // M; none without a tariff
  std::optional<double> unmeteredPerYear;       // B; none when not known (0)
  std::optional<double> breakEvenLitresPerDay;  // none without B, a tariff or a volume price
  std::string headline;  // "A water meter would save £12.34 a year.", ... or empty
};
// Works out a household that CheckHousehold accepts, with the heater and the energy prices of
// payback settings that CheckPaybackInputs accepts. `currency` is put before the headline's
// amount. Money too large to work out is left out (none, no headline) rather than infinite.
HouseholdFigures WorkOutHousehold(const Household& household, const PaybackSettings& payback,
                                  const std::optional<HouseholdTariff>& tariff,
                                  std::string_view currency);

// The GB average use a person a day, and where it comes from.
inline constexpr double kAverageLitresPerPersonPerDay = 142;
inline constexpr std::string_view kAverageUseSource =
    "Energy Saving Trust, At Home with Water (2013)";

// A starting point for a fitting, with the source of its figures.
struct FittingPreset {
  std::string_view name;  // "Mixer shower"
  FittingKind kind;
  std::array<double, kMaxFittingParameters> values;
  std::string_view source;  // for its tooltip and the help page
};
const std::vector<FittingPreset>& FittingPresets();
Fitting FromPreset(const FittingPreset& preset);
// What a first-time user is offered: two people and the typical fittings.
Household TypicalHousehold();

// What Compare puts into one item of the main window: n uses a day of the fitting's daily
// water, in the window's units, and the payback values per use.
struct ComparedFitting {
  int usesPerDay = 0;    // n: the smallest whole number >= 1 with Ld / n <= 500 window units
  std::string useText;   // Ld / n in the window's units, to one decimal, a half going up
  double ownEnergy = 0;  // kWh per use: own kWh a day / n
  double hotShare = 0;   // percent: 100 x h
};
// None when the fitting gives less than 1.0 a day in the window's units.
std::optional<ComparedFitting> CompareFitting(const FittingFigures& figures, bool gallons,
                                              bool usGallons);

}  // namespace tolvarn
