// The household: each fitting's litres, energy and cost a day from what the household knows
// about it, the totals, the bill a meter would send, and the uses Compare puts into an item.
#include "core/household.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/checked_math.h"
#include "core/number_text.h"
#include "core/utf8.h"

namespace tolvarn {
namespace {

constexpr double kDaysPerWeek = 7;
constexpr double kDaysPerYear = 365;
constexpr double kPercent = 100;
constexpr double kUnitsPerCharge = 1000;  // litres per cubic metre, gallons per 1000 gallons
// The most the main window takes as one use; Compare splits a day's water into uses this size.
constexpr double kMostPerUse = 500;
// Less than this a day, in the window's units, is too little to compare.
constexpr double kLeastToCompare = 1.0;

// Parameters shared by several kinds: the ranges are the same, the words fit each kind.
constexpr FittingParameterInfo kNoParameter{};

constexpr FittingParameterInfo FlowRate(std::string_view tooltip, double fallback) {
  return {"FlowRate", "Flow rate", "L/min", tooltip, 1, 30, fallback};
}
constexpr FittingParameterInfo ShowerMinutes() {
  return {"Minutes", "Minutes a shower",
          "min",     "How long a shower lasts, in minutes (0.5 to 60)",
          0.5,       60,
          7.5};
}
constexpr FittingParameterInfo ShowersAWeek() {
  return {"PerPersonPerWeek",
          "Showers a person a week",
          "a week",
          "How many showers each person takes in a week (0 to 21)",
          0,
          21,
          4.4};
}
constexpr FittingParameterInfo UseTemperature(std::string_view tooltip, double fallback) {
  return {"UseTemperature", "Use temperature", "\u00B0C", tooltip, 25, 50, fallback};
}
constexpr FittingParameterInfo FlushesADay() {
  return {"PerPersonPerDay",
          "Flushes a person a day",
          "a day",
          "How many times each person flushes it in a day (0 to 20)",
          0,
          20,
          4.42};
}
constexpr FittingParameterInfo LitresPerCycle(double fallback) {
  return {"LitresPerCycle",
          "Water a cycle",
          "L",
          "The water one cycle takes, in litres: the label gives it for the eco programme (1 to "
          "200)",
          1,
          200,
          fallback};
}
constexpr FittingParameterInfo KWhPerCycle(double fallback) {
  return {"KWhPerCycle",
          "Energy a cycle",
          "kWh",
          "The electricity one cycle takes, in kWh: the label's kWh per 100 cycles divided by 100 "
          "(0 to 5)",
          0,
          5,
          fallback};
}
constexpr FittingParameterInfo CyclesPerWeek(double fallback) {
  return {"CyclesPerWeek",
          "Cycles a week",
          "a week",
          "How many times the household runs it in a week (0 to 28)",
          0,
          28,
          fallback};
}

constexpr std::array<FittingKindInfo, kFittingKindCount> kKinds = {{
    {FittingKind::Shower,
     "Shower",
     "Shower (mixer or power)",
     true,
     4,
     {FlowRate("How many litres a minute the shower gives (1 to 30)", 8), ShowerMinutes(),
      ShowersAWeek(),
      UseTemperature("How warm the water is at the shower head, in \u00B0C (25 to 50)", 40)}},
    {FittingKind::ElectricShower,
     "ElectricShower",
     "Electric shower",
     false,
     4,
     {FlowRate("How many litres a minute the shower gives (1 to 30)", 5), ShowerMinutes(),
      ShowersAWeek(),
      UseTemperature("How warm the shower heats the cold water to, in \u00B0C (25 to 50)", 40)}},
    {FittingKind::Bath,
     "Bath",
     "Bath",
     true,
     3,
     {FittingParameterInfo{"Volume", "Bath volume", "L",
                           "How many litres of water a bath takes (20 to 300)", 20, 300, 80},
      FittingParameterInfo{"PerPersonPerWeek", "Baths a person a week", "a week",
                           "How many baths each person takes in a week (0 to 14)", 0, 14, 1.3},
      UseTemperature("How warm the bath water is, in \u00B0C (25 to 50)", 40), kNoParameter}},
    {FittingKind::Toilet,
     "Toilet",
     "WC",
     false,
     2,
     {FittingParameterInfo{"FlushVolume", "Flush volume", "L",
                           "How many litres a flush takes (1 to 20)", 1, 20, 6},
      FlushesADay(), kNoParameter, kNoParameter}},
    {FittingKind::DualFlushToilet,
     "DualFlushToilet",
     "Dual-flush WC",
     false,
     3,
     {FittingParameterInfo{"FullFlush", "Full flush", "L",
                           "How many litres the full flush takes (1 to 20)", 1, 20, 6},
      FittingParameterInfo{"PartFlush", "Part flush", "L",
                           "How many litres the reduced flush takes; it is counted twice for each "
                           "full flush (0.5 to 20)",
                           0.5, 20, 4},
      FlushesADay(), kNoParameter}},
    {FittingKind::WashingMachine,
     "WashingMachine",
     "Washing machine",
     false,
     3,
     {LitresPerCycle(50), KWhPerCycle(0.63), CyclesPerWeek(4.7), kNoParameter}},
    {FittingKind::Dishwasher,
     "Dishwasher",
     "Dishwasher",
     false,
     3,
     {LitresPerCycle(14), KWhPerCycle(1.12), CyclesPerWeek(4.1), kNoParameter}},
    {FittingKind::Tap,
     "Tap",
     "Tap",
     true,
     3,
     {FlowRate("How many litres a minute the tap gives when it runs (1 to 30)", 6),
      FittingParameterInfo{"MinutesPerPersonPerDay", "Minutes a person a day", "min",
                           "How many minutes the tap runs for each person in a day (0 to 60)", 0,
                           60, 1.58},
      UseTemperature("How warm the water from the tap is, in \u00B0C (25 to 50)", 30),
      kNoParameter}},
}};

constexpr bool KindsInOrder() {
  for (size_t i = 0; i < kFittingKindCount; ++i)
    if (static_cast<size_t>(kKinds[i].kind) != i) return false;
  return true;
}

constexpr std::array<HouseholdInputInfo, kHouseholdInputCount> kInputs = {{
    {HouseholdInput::People, "People", "People", "",
     "How many people live in the household (1 to 20)", 1, 20, true, 2},
    {HouseholdInput::ColdSupply, "ColdSupply", "Cold supply", "\u00B0C",
     "How warm the cold water from the mains is, in \u00B0C (0 to 30)", 0, 30, false, 10},
    {HouseholdInput::UnmeteredBill, "UnmeteredBill", "Unmetered bill", "a year",
     "What the household pays a year for water and sewerage without a meter; 0 if not known (0 "
     "to 100000)",
     0, 100000, false, 0},
    {HouseholdInput::StandingCharges, "StandingCharges", "Standing charges", "a year",
     "The fixed part a year of the metered water and sewerage charges, which a meter adds to "
     "the charge for the water used (0 to 10000)",
     0, 10000, false, 0},
}};

std::string RangeMessage(std::string_view label, double minimum, double maximum, bool whole) {
  return std::string(label) +
         (whole ? " must be a whole number from " : " must be a number from ") + TextOf(minimum) +
         " to " + TextOf(maximum) + ".";
}

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

bool KnownKind(FittingKind kind) {
  return static_cast<size_t>(kind) < kFittingKindCount;
}

// What a unit of the window's volume costs, water and sewerage with tax, times 1000.
double PricePerThousandUnits(const HouseholdTariff& tariff) {
  return (tariff.WaterCharge + tariff.SewerageCharge * tariff.SewerageAllowance / kPercent) *
         (1 + tariff.TaxRate / kPercent);
}

struct Uses {
  double litres = 0;
  double own = 0;                                                    // kWh a day
  double useTemperature = std::numeric_limits<double>::quiet_NaN();  // warm and electric kinds
};

Uses UsesOf(const Fitting& fitting, const HouseholdSettings& household) {
  const auto& v = fitting.values;
  const double people = household.People;
  Uses uses;
  switch (fitting.Kind) {
    case FittingKind::Shower:
    case FittingKind::ElectricShower:
      uses.litres = v[0] * v[1] * v[2] / kDaysPerWeek * people;
      uses.useTemperature = v[3];
      if (fitting.Kind == FittingKind::ElectricShower)
        // Cold water warmer than the shower is set to is not cooled: it takes no energy.
        uses.own = uses.litres * std::max(0.0, v[3] - household.ColdSupply) * kKWhPerLitreDegree;
      break;
    case FittingKind::Bath:
      uses.litres = v[0] * v[1] / kDaysPerWeek * people;
      uses.useTemperature = v[2];
      break;
    case FittingKind::Toilet:
      uses.litres = v[0] * v[1] * people;
      break;
    case FittingKind::DualFlushToilet:
      // Two part flushes to each full one.
      uses.litres = (v[0] + 2 * v[1]) / 3 * v[2] * people;
      break;
    case FittingKind::WashingMachine:
    case FittingKind::Dishwasher:
      uses.litres = v[0] * v[2] / kDaysPerWeek;
      uses.own = v[1] * v[2] / kDaysPerWeek;
      break;
    case FittingKind::Tap:
      uses.litres = v[0] * v[1] * people;
      uses.useTemperature = v[2];
      break;
  }
  return uses;
}

// "Fitting 2 (Mixer shower): ", or "Fitting 2: " for a fitting without a name or with one that
// a message cannot show.
std::string FittingPrefix(size_t index, const Fitting& fitting) {
  std::string prefix = "Fitting " + std::to_string(index + 1);
  if (!fitting.Name.empty() && !HasControlCharacter(fitting.Name)) {
    prefix += " (";
    prefix += fitting.Name;
    prefix += ')';
  }
  prefix += ": ";
  return prefix;
}

constexpr std::string_view kShowerSource =
    "Flow: Consumer Council for Water; minutes and frequency: Energy Saving Trust, At Home with "
    "Water (2013)";

const std::vector<FittingPreset> kPresets = {
    {"Mixer shower", FittingKind::Shower, {8, 7.5, 4.4, 40}, kShowerSource},
    {"Power shower", FittingKind::Shower, {13, 7.5, 4.4, 40}, kShowerSource},
    {"Electric shower", FittingKind::ElectricShower, {5, 7.5, 4.4, 40}, kShowerSource},
    {"Low-flow shower head",
     FittingKind::Shower,
     {6, 7.5, 4.4, 40},
     "Flow: 6 L/min, the top of the EU water label's green band; minutes and frequency: Energy "
     "Saving Trust, At Home with Water (2013)"},
    {"US standard shower head",
     FittingKind::Shower,
     {9.5, 7.5, 4.4, 40},
     "Flow: US EPA WaterSense, a standard shower head of 2.5 gal/min; minutes and frequency: "
     "Energy Saving Trust, At Home with Water (2013)"},
    {"US WaterSense shower head",
     FittingKind::Shower,
     {7.6, 7.5, 4.4, 40},
     "Flow: US EPA WaterSense, a labelled shower head of at most 2.0 gal/min; minutes and "
     "frequency: Energy Saving Trust, At Home with Water (2013)"},
    {"Bath",
     FittingKind::Bath,
     {80, 1.3, 40, 0},
     "Volume: Consumer Council for Water; baths a week: Energy Saving Trust, At Home with Water "
     "(2013)"},
    {"Very old WC",
     FittingKind::Toilet,
     {13, 4.42, 0, 0},
     "Flush: British Bathroom Manufacturers Association, WCs by age (11 to 13 L); flushes a day: "
     "the WC use factor of the Water Efficiency Calculator for New Dwellings (Approved Document "
     "G)"},
    {"Older WC",
     FittingKind::Toilet,
     {9, 4.42, 0, 0},
     "Flush: Consumer Council for Water; flushes a day: the WC use factor of the Water Efficiency "
     "Calculator for New Dwellings (Approved Document G)"},
    {"Modern WC",
     FittingKind::Toilet,
     {6, 4.42, 0, 0},
     "Flush: British Bathroom Manufacturers Association, WCs since 2001; flushes a day: the WC "
     "use factor of the Water Efficiency Calculator for New Dwellings (Approved Document G)"},
    {"Dual-flush WC 6/4",
     FittingKind::DualFlushToilet,
     {6, 4, 4.42, 0},
     "Flushes: Water Regulations UK for WC suites (at most 6 L full, the reduced flush at most "
     "two thirds of it); one full flush to two part flushes and flushes a day: the Water "
     "Efficiency Calculator for New Dwellings (Approved Document G)"},
    {"Dual-flush WC 4/2.6",
     FittingKind::DualFlushToilet,
     {4, 2.6, 4.42, 0},
     "Flushes: the lower-use fittings of the Water Efficiency Calculator for New Dwellings "
     "(Approved Document G); flushes a day: its WC use factor"},
    {"Washing machine",
     FittingKind::WashingMachine,
     {50, 0.63, 4.7, 0},
     "Litres: Consumer Council for Water; cycles a week: Energy Saving Trust, At Home with Water "
     "(2013); kWh: the EU energy label's class C limit for an 8 kg machine (Regulation "
     "2019/2014), 0.69 x 0.909 kWh"},
    {"Dishwasher",
     FittingKind::Dishwasher,
     {14, 1.12, 4.1, 0},
     "Litres: Consumer Council for Water; kWh and cycles: US ENERGY STAR dishwasher criteria "
     "(240 kWh a year) over the US test procedure's 215 cycles a year"},
    {"Eco dishwasher",
     FittingKind::Dishwasher,
     {10, 1.12, 4.1, 0},
     "Litres: Consumer Council for Water (on an eco programme); kWh and cycles: US ENERGY STAR "
     "dishwasher criteria (240 kWh a year) over the US test procedure's 215 cycles a year"},
    {"Basin tap",
     FittingKind::Tap,
     {6, 1.58, 30, 0},
     "Flow: Consumer Council for Water (a running tap); minutes a day: the basin use factor of "
     "the Water Efficiency Calculator for New Dwellings (Approved Document G); temperature: "
     "judgement"},
    {"Aerated basin tap",
     FittingKind::Tap,
     {4, 1.58, 30, 0},
     "Flow: a typical aerator (judgement); minutes a day: the basin use factor of the Water "
     "Efficiency Calculator for New Dwellings (Approved Document G); temperature: judgement"},
    {"Kitchen tap",
     FittingKind::Tap,
     {6, 2.17, 35, 0},
     "Minutes a day: worked out from the kitchen sink of the Water Efficiency Calculator for New "
     "Dwellings (Approved Document G), 13.0 L a person a day at 6 L/min; temperature: "
     "judgement"},
};

}  // namespace

static_assert(KindsInOrder(), "the kind table is indexed by FittingKind");

const std::array<FittingKindInfo, kFittingKindCount>& FittingKindTable() {
  return kKinds;
}

const FittingKindInfo& KindInfo(FittingKind kind) {
  return kKinds[static_cast<size_t>(kind)];
}

std::optional<FittingKind> KindNamed(std::string_view name) {
  for (const FittingKindInfo& info : kKinds)
    if (info.name == name) return info.kind;
  return std::nullopt;
}

Fitting DefaultFitting(FittingKind kind, std::string name) {
  Fitting fitting;
  fitting.Name = std::move(name);
  fitting.Kind = kind;
  const FittingKindInfo& info = KindInfo(kind);
  for (size_t i = 0; i < info.parameterCount; ++i)
    fitting.values[i] = info.parameters[i].fallback;
  return fitting;
}

const std::array<HouseholdInputInfo, kHouseholdInputCount>& HouseholdInputTable() {
  return kInputs;
}

std::vector<std::string> CheckHousehold(const Household& household) {
  std::vector<std::string> messages;
  const HouseholdSettings& s = household.settings;
  const std::array<double, kHouseholdInputCount> values = {
      static_cast<double>(s.People), s.ColdSupply, s.UnmeteredBill, s.StandingCharges};
  for (size_t i = 0; i < kHouseholdInputCount; ++i) {
    const HouseholdInputInfo& info = kInputs[i];
    if (!WithinRange(values[i], info.minimum, info.maximum, info.whole))
      messages.push_back(RangeMessage(info.label, info.minimum, info.maximum, info.whole));
  }
  if (household.fittings.size() > kMaxFittings)
    messages.push_back("A household has at most " + std::to_string(kMaxFittings) + " fittings.");
  for (size_t f = 0; f < household.fittings.size(); ++f) {
    const Fitting& fitting = household.fittings[f];
    const std::string prefix = FittingPrefix(f, fitting);
    if (utf8::Length(fitting.Name) > kMaxFittingNameLength)
      messages.push_back(prefix + "Name must be at most " + std::to_string(kMaxFittingNameLength) +
                         " characters.");
    // A line break would end the name early in Household.ini and start a line of its own.
    if (HasControlCharacter(fitting.Name))
      messages.push_back(prefix + "Name must not hold a line break or other control character.");
    if (!KnownKind(fitting.Kind)) {
      messages.push_back(prefix + "Kind is not one Tolvarn knows.");
      continue;
    }
    const FittingKindInfo& kind = KindInfo(fitting.Kind);
    for (size_t p = 0; p < kind.parameterCount; ++p) {
      const FittingParameterInfo& info = kind.parameters[p];
      if (!WithinRange(fitting.values[p], info.minimum, info.maximum, false))
        messages.push_back(prefix + RangeMessage(info.label, info.minimum, info.maximum, false));
    }
  }
  return messages;
}

HouseholdFigures WorkOutHousehold(const Household& household, const PaybackSettings& payback,
                                  const std::optional<HouseholdTariff>& tariff,
                                  std::string_view currency) {
  const HouseholdSettings& s = household.settings;
  const double rise = payback.TemperatureRise;
  const double efficiency = payback.HeaterEfficiency / kPercent;
  const double own_price = payback.OwnEnergyPrice.value_or(payback.EnergyPrice);
  const double litres_per_unit = tariff && tariff->Gallons ? LitresPerGallon(payback.USGallons) : 1;
  const double price = tariff ? PricePerThousandUnits(*tariff) : 0;

  HouseholdFigures figures;
  figures.fittings.reserve(household.fittings.size());
  double units = 0;  // the household's volume a day, in thousands of the window's units
  bool money_ok = tariff.has_value();
  for (const Fitting& fitting : household.fittings) {
    const Uses uses = UsesOf(fitting, s);
    FittingFigures f;
    f.litresPerDay = uses.litres;
    f.ownKWhPerDay = uses.own;
    if (KindInfo(fitting.Kind).warm && rise != 0)
      f.hotShare = std::min(1.0, std::max(0.0, (uses.useTemperature - s.ColdSupply) / rise));
    f.heaterKWhPerDay = f.litresPerDay * f.hotShare * rise * kKWhPerLitreDegree / efficiency;
    const double volume = f.litresPerDay / litres_per_unit / kUnitsPerCharge;
    units += volume;
    if (tariff) {
      const double energy = f.ownKWhPerDay * own_price + f.heaterKWhPerDay * payback.EnergyPrice;
      const double cost = payback.Metered ? volume * price + energy : energy;
      f.costPerDay = cost;
      money_ok = money_ok && std::isfinite(cost);
    }
    figures.litresPerDay += f.litresPerDay;
    figures.fittings.push_back(f);
  }
  figures.litresPerPersonPerDay = figures.litresPerDay / s.People;
  if (s.UnmeteredBill > 0) figures.unmeteredPerYear = s.UnmeteredBill;
  if (!tariff) return figures;

  // What a meter would bill, metered or not now: the comparison with the unmetered bill.
  const double metered = s.StandingCharges + kDaysPerYear * units * price;
  money_ok = money_ok && std::isfinite(metered);
  if (!money_ok) {
    // Too large to show: no money rather than an infinite one.
    for (FittingFigures& f : figures.fittings)
      f.costPerDay.reset();
    return figures;
  }
  figures.meteredPerYear = metered;
  if (s.UnmeteredBill <= 0) return figures;

  const double bill = s.UnmeteredBill;
  const std::string difference = FormatFixed(std::fabs(metered - bill), 2);
  if (difference == "0.00")
    figures.headline = "A water meter would cost the same.";
  else if (metered < bill)
    figures.headline =
        "A water meter would save " + std::string(currency) + difference + " a year.";
  else
    figures.headline =
        "A water meter would cost " + std::string(currency) + difference + " a year more.";
  if (price != 0) {
    // Below zero when the standing charges alone are above the bill: a meter never pays.
    const double break_even =
        (bill - s.StandingCharges) / (kDaysPerYear * price) * kUnitsPerCharge * litres_per_unit;
    if (std::isfinite(break_even)) figures.breakEvenLitresPerDay = break_even;
  }
  return figures;
}

const std::vector<FittingPreset>& FittingPresets() {
  return kPresets;
}

Fitting FromPreset(const FittingPreset& preset) {
  Fitting fitting;
  fitting.Name = std::string(preset.name);
  fitting.Kind = preset.kind;
  fitting.values = preset.values;
  return fitting;
}

Household TypicalHousehold() {
  Household household;
  household.settings.People = 2;
  for (const std::string_view name :
       {"Mixer shower", "Bath", "Dual-flush WC 6/4", "Washing machine", "Basin tap", "Kitchen tap"})
    for (const FittingPreset& preset : kPresets)
      if (preset.name == name) household.fittings.push_back(FromPreset(preset));
  return household;
}

std::optional<ComparedFitting> CompareFitting(const FittingFigures& figures, bool gallons,
                                              bool usGallons) {
  const double units =
      gallons ? figures.litresPerDay / LitresPerGallon(usGallons) : figures.litresPerDay;
  // NaN fails the first test; anything past a day's possible water fails the second.
  if (!(units >= kLeastToCompare) || !(units <= kMostPerUse * 1e6)) return std::nullopt;
  // The quotient is rounded, so the estimate is checked against the very test that defines n.
  int uses = std::max(1, static_cast<int>(std::ceil(units / kMostPerUse)));
  while (uses > 1 && units / (uses - 1) <= kMostPerUse)
    --uses;
  while (units / uses > kMostPerUse)
    ++uses;
  ComparedFitting compared;
  compared.usesPerDay = uses;
  compared.useText = FormatFixed(units / uses, 1);
  compared.ownEnergy = figures.ownKWhPerDay / uses;
  compared.hotShare = kPercent * figures.hotShare;
  return compared;
}

}  // namespace tolvarn
