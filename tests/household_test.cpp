// The household model: each kind's litres and energy, the hot share, the costs and the meter's
// verdict, the checks, the presets and what Compare puts into an item.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "core/household.h"
#include "core/number_text.h"

namespace tolvarn {
namespace {

using enum FittingKind;

Fitting Make(FittingKind kind, std::array<double, kMaxFittingParameters> values,
             std::string name = "") {
  Fitting fitting = DefaultFitting(kind, std::move(name));
  fitting.values = values;
  return fitting;
}
Household Of(std::vector<Fitting> fittings, int people = 1, double cold = 10) {
  return {.settings = {.People = people, .ColdSupply = cold}, .fittings = std::move(fittings)};
}

// Three people and a heater at 80 %, cold water at 10 degrees and a rise of 50 unless said.
// Unmetered, a day costs its energy alone, a machine's own kWh at the energy price of 0.1 when it
// has no price of its own; a meter would still bill 365 x m3 x (2 + 1 x 90 %) x 1.2.
TEST(Household, EachKindsLitresEnergyHotShareAndCost) {
  struct Case {
    FittingKind kind;
    std::array<double, kMaxFittingParameters> values;
    double cold, rise, litres, own, heater, hot;
  } const cases[] = {
      // clang-format off
      // 10 x 6 x 7 / 7 x 3; heated 30 of 50 degrees: 180 x 30 x 0.001163 / 0.8.
      {Shower, {10, 6, 7, 40}, 10, 50, 180, 0, 7.85025, 0.6},
      {ElectricShower, {10, 6, 7, 40}, 10, 50, 180, 6.2802, 0, 0},
      {Bath, {100, 7, 35}, 10, 50, 300, 0, 10.903125, 0.5},
      {Toilet, {6, 5}, 10, 50, 90, 0, 0, 0},
      {DualFlushToilet, {6, 3, 4}, 10, 50, 48, 0, 0, 0},  // (6 + 2 x 3) / 3 x 4 x 3
      {WashingMachine, {70, 1.4, 3.5}, 10, 50, 35, 0.7, 0, 0},
      {Tap, {5, 2, 30}, 10, 50, 30, 0, 0.87225, 0.4},
      // The cold feed warmer than the use: neither heats; a rise short of the need: all of it
      // hot; a heater that warms nothing.
      {Shower, {10, 6, 7, 25}, 30, 50, 180, 0, 0, 0},
      {ElectricShower, {10, 6, 7, 25}, 30, 50, 180, 0, 0, 0},
      {Shower, {10, 6, 7, 40}, 10, 10, 180, 0, 2.61675, 1},
      {Shower, {10, 6, 7, 40}, 10, 0, 180, 0, 0, 0},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << KindInfo(c.kind).name << " " << c.cold << " " << c.rise);
    const Household household = Of({Make(c.kind, c.values)}, 3, c.cold);
    ASSERT_TRUE(CheckHousehold(household).empty());
    const HouseholdFigures figures = WorkOutHousehold(
        household,
        {.EnergyPrice = 0.1, .HeaterEfficiency = 80, .TemperatureRise = c.rise, .Metered = false},
        HouseholdTariff{2, 1, 90, 20, false}, "");
    const FittingFigures& f = figures.fittings[0];
    EXPECT_NEAR(f.litresPerDay, c.litres, 1e-12);
    EXPECT_NEAR(f.ownKWhPerDay, c.own, 1e-12);
    EXPECT_NEAR(f.heaterKWhPerDay, c.heater, 1e-12);
    EXPECT_NEAR(f.hotShare, c.hot, 1e-15);
    EXPECT_NEAR(*f.costPerDay, 0.1 * (c.own + c.heater), 1e-12);
    EXPECT_NEAR(*figures.meteredPerYear, 365 * c.litres / 1000 * 3.48, 1e-10);
  }
}

// 100 litres a day, standing charges of 20: in litres at 2 a cubic metre a meter bills 93. 100 L
// is 21.997 UK gallons, 26.417 US; the break-even is given in litres. No tariff, or one whose
// money would overflow: no money at all rather than an infinite one.
TEST(Household, MeterHeadlineAndBreakEvenInLitresAndGallons) {
  // The unmetered bill, the charge, in gallons, in US gallons, then what a meter bills, the
  // headline and the break-even (none: -1).
  const std::tuple<double, double, bool, bool, double, const char*, double> cases[] = {
      // clang-format off
      {93.004, 2, false, false, 93, "A water meter would cost the same.", 73.004 / 0.73},
      {10, 2, false, false, 93, "A water meter would cost \u20AC83.00 a year more.", -10 / 0.73},
      {100, 0, false, false, 20, "A water meter would save \u20AC80.00 a year.", -1},
      {100, 2, true, false, 20 + 73 / 4.54609, "A water meter would save \u20AC63.94 a year.", 80 / 0.73 * 4.54609},
      {100, 2, true, true, 20 + 73 / 3.785411784, "A water meter would save \u20AC60.72 a year.", 80 / 0.73 * 3.785411784},
      // clang-format on
  };
  Household household = Of({Make(Toilet, {10, 10})});
  household.settings.StandingCharges = 20;
  for (const auto& [bill, charge, gallons, us, metered, headline, break_even] : cases) {
    SCOPED_TRACE(headline);
    household.settings.UnmeteredBill = bill;
    const HouseholdFigures figures = WorkOutHousehold(
        household, {.USGallons = us}, HouseholdTariff{charge, 0, 0, 0, gallons}, "\u20AC");
    EXPECT_EQ(figures.headline, headline);
    EXPECT_NEAR(*figures.meteredPerYear, metered, 1e-12);
    EXPECT_NEAR(figures.breakEvenLitresPerDay.value_or(-1), break_even, 1e-9);
  }
  for (const auto& tariff :
       {std::optional<HouseholdTariff>{},
        std::optional(HouseholdTariff{.WaterCharge = 1e308, .TaxRate = 100})}) {
    const HouseholdFigures figures = WorkOutHousehold(household, {}, tariff, "");
    EXPECT_FALSE(figures.meteredPerYear || figures.breakEvenLitresPerDay ||
                 figures.fittings[0].costPerDay || !figures.headline.empty());
    EXPECT_EQ(figures.unmeteredPerYear, household.settings.UnmeteredBill);
    EXPECT_EQ(figures.litresPerDay, 100);
  }
}

TEST(Household, ChecksEveryValueAndSaysAllAtOnce) {
  std::string accents;  // 40 characters of two bytes each: within the limit
  for (int i = 0; i < 40; ++i)
    accents += "\u00E9";
  Household household =
      Of({DefaultFitting(Shower, accents), Make(Shower, {31, 7.5, 21, 24.9}, "Mixer shower"),
          DefaultFitting(Tap, accents + "\u00E9"), Make(Bath, {80, 14.5, 40}, "Bath"),
          Make(Toilet, {6, NAN}), DefaultFitting(Dishwasher, "two\nlines")},
         0);
  household.settings.StandingCharges = INFINITY;
  household.fittings.resize(31, DefaultFitting(Toilet, "WC"));
  EXPECT_EQ(CheckHousehold(household),
            (std::vector<std::string>{
                "People must be a whole number from 1 to 20.",
                "Standing charges must be a number from 0 to 10000.",
                "A household has at most 30 fittings.",
                "Fitting 2 (Mixer shower): Flow rate must be a number from 1 to 30.",
                "Fitting 2 (Mixer shower): Use temperature must be a number from 25 to 50.",
                "Fitting 3 (" + accents + "\u00E9): Name must be at most 40 characters.",
                "Fitting 4 (Bath): Baths a person a week must be a number from 0 to 14.",
                "Fitting 5: Flushes a person a day must be a number from 0 to 20.",
                "Fitting 6: Name must not hold a line break or other control character.",
            }));
}

// Each tooltip tells the range the checks take, and each kind has a tooltip for each parameter.
TEST(Household, EveryTooltipGivesTheRangeChecked) {
  const auto gives = [](std::string_view tooltip, double low, double high) {
    EXPECT_TRUE(tooltip.ends_with("(" + TextOf(low) + " to " + TextOf(high) + ")")) << tooltip;
  };
  for (const FittingKindInfo& kind : FittingKindTable())
    for (size_t p = 0; p < kind.parameterCount; ++p)
      gives(kind.parameters[p].tooltip, kind.parameters[p].minimum, kind.parameters[p].maximum);
  for (const HouseholdInputInfo& info : HouseholdInputTable())
    gives(info.tooltip, info.minimum, info.maximum);
  for (const PaybackInputInfo& info : PaybackInputTable())
    gives(info.tooltip, info.minimum, info.maximum);
}

// Each kind's defaults are its commonest preset; every preset passes the checks and has a source.
TEST(Household, PresetsAndEachKindsDefaults) {
  const std::string_view commonest[] = {"Mixer shower", "Electric shower",   "Bath",
                                        "Modern WC",    "Dual-flush WC 6/4", "Washing machine",
                                        "Dishwasher",   "Basin tap"};
  for (const FittingPreset& preset : FittingPresets()) {
    SCOPED_TRACE(preset.name);
    EXPECT_TRUE(CheckHousehold(Of({FromPreset(preset)})).empty());
    EXPECT_FALSE(preset.source.empty());
    if (preset.name == commonest[static_cast<size_t>(preset.kind)]) {
      EXPECT_EQ(DefaultFitting(preset.kind, std::string(preset.name)), FromPreset(preset));
    }
    EXPECT_EQ(KindNamed(KindInfo(preset.kind).name), preset.kind);
  }
  EXPECT_FALSE(KindNamed("shower"));
}

// Compare takes at least 1.0 a day in the window's units, and splits it into the fewest uses of
// at most 500 each, its own energy with them.
RC_GTEST_PROP(Household, CompareSplitsADayIntoTheFewestUsesOfAtMost500, ()) {
  const double litres = *rc::gen::oneOf(
      rc::gen::element(0.999, 1.0, 500.0, 500.1, 1000.0, double{NAN}),
      rc::gen::map(rc::gen::inRange(0, 10'000'000), [](int l) { return l / 100.0; }));
  const bool gallons = *rc::gen::arbitrary<bool>(), us = *rc::gen::arbitrary<bool>();
  const double units = gallons ? litres / (us ? 3.785411784 : 4.54609) : litres;
  const auto compared = CompareFitting({.litresPerDay = litres, .ownKWhPerDay = 6}, gallons, us);
  RC_ASSERT(compared.has_value() == (units >= 1));
  if (!compared) return;
  const int n = compared->usesPerDay;
  RC_ASSERT(n >= 1 && units / n <= 500);
  RC_ASSERT(n == 1 || units / (n - 1) > 500);
  RC_ASSERT(compared->useText == FormatFixed(units / n, 1));
  RC_ASSERT(compared->ownEnergy == 6.0 / n);
}

}  // namespace
}  // namespace tolvarn
