// The household model: each kind's litres and energy, the hot share, the costs and the meter's
// verdict, the checks, the presets and what Compare puts into an item.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/household.h"
#include "core/number_text.h"

namespace tolvarn {
namespace {

Fitting Make(FittingKind kind, std::array<double, kMaxFittingParameters> values,
             std::string name = "") {
  Fitting fitting = DefaultFitting(kind, std::move(name));
  fitting.values = values;
  return fitting;
}
Household Of(std::vector<Fitting> fittings, int people = 1, double cold = 10) {
  return {.settings = {.People = people, .ColdSupply = cold}, .fittings = std::move(fittings)};
}
PaybackSettings Heater(double rise, double efficiency, double price = 0) {
  return {.EnergyPrice = price, .HeaterEfficiency = efficiency, .TemperatureRise = rise};
}

// Three people, cold water at 10 degrees, a heater raising it by 50 at 80%.
TEST(Household, EachKindsLitresAndEnergy) {
  struct Case {
    FittingKind kind;
    std::array<double, kMaxFittingParameters> values;
    double litres, own, heater, hot;
  } const cases[] = {
      // 10 x 6 x 7 / 7 x 3; heated 30 of 50 degrees: 180 x 30 x 0.001163 / 0.8.
      {FittingKind::Shower, {10, 6, 7, 40}, 180, 0, 7.85025, 0.6},
      {FittingKind::ElectricShower, {10, 6, 7, 40}, 180, 6.2802, 0, 0},
      {FittingKind::Bath, {100, 7, 35}, 300, 0, 10.903125, 0.5},
      {FittingKind::Toilet, {6, 5}, 90, 0, 0, 0},
      {FittingKind::DualFlushToilet, {6, 3, 4}, 48, 0, 0, 0},  // (6 + 2 x 3) / 3 x 4 x 3
      {FittingKind::WashingMachine, {70, 1.4, 3.5}, 35, 0.7, 0, 0},
      {FittingKind::Dishwasher, {14, 1.12, 7}, 14, 1.12, 0, 0},
      {FittingKind::Tap, {5, 2, 30}, 30, 0, 0.87225, 0.4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(KindInfo(c.kind).name);
    const Household household = Of({Make(c.kind, c.values)}, 3);
    ASSERT_TRUE(CheckHousehold(household).empty());
    const FittingFigures f = WorkOutHousehold(household, Heater(50, 80), {}, "").fittings[0];
    EXPECT_NEAR(f.litresPerDay, c.litres, 1e-12);
    EXPECT_NEAR(f.ownKWhPerDay, c.own, 1e-12);
    EXPECT_NEAR(f.heaterKWhPerDay, c.heater, 1e-12);
    EXPECT_NEAR(f.hotShare, c.hot, 1e-15);
    EXPECT_FALSE(f.costPerDay);
  }
}

// 100 litres a day from a shower and an electric shower each.
TEST(Household, HotShareAndOwnHeatingAreClamped) {
  struct Case {
    double cold, use, rise, hot, own_degrees;
  } const cases[] = {
      {30, 25, 30, 0, 0},   // the cold feed is warmer than the use: neither heats
      {10, 40, 10, 1, 30},  // the heater's rise is less than needed: all its water is hot
      {10, 40, 0, 0, 30},   // a heater that warms nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.use - c.cold);
    const Household household = Of({Make(FittingKind::Shower, {10, 10, 7, c.use}),
                                    Make(FittingKind::ElectricShower, {10, 10, 7, c.use})},
                                   1, c.cold);
    const auto figures = WorkOutHousehold(household, Heater(c.rise, 50), {}, "").fittings;
    EXPECT_EQ(figures[0].hotShare, c.hot);
    EXPECT_NEAR(figures[0].heaterKWhPerDay, 100 * c.hot * c.rise * 0.001163 / 0.5, 1e-12);
    EXPECT_NEAR(figures[1].ownKWhPerDay, 100 * c.own_degrees * 0.001163, 1e-12);
  }
}

// A washing machine (35 L, 0.7 kWh a day) and a shower (180 L, 7.85025 kWh of heating) at
// 3.48 a cubic metre: (2 + 1 x 90%) x 1.2.
TEST(Household, CostsMeteredOrNotWithOneOrTwoEnergyPrices) {
  const Household household = Of({Make(FittingKind::WashingMachine, {70, 1.4, 3.5}),
                                  Make(FittingKind::Shower, {10, 6, 7, 40})},
                                 3);
  const HouseholdTariff tariff{
      .WaterCharge = 2, .SewerageCharge = 1, .SewerageAllowance = 90, .TaxRate = 20};
  struct Case {
    bool metered;
    std::optional<double> own_price;
    double machine, shower;
  } const cases[] = {
      {true, {}, 0.035 * 3.48 + 0.07, 0.18 * 3.48 + 0.785025},  // one price for both
      {true, 0.3, 0.035 * 3.48 + 0.21, 0.18 * 3.48 + 0.785025},
      {false, 0.3, 0.21, 0.785025},  // the energy alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.machine);
    PaybackSettings payback = Heater(50, 80, 0.1);
    payback.Metered = c.metered;
    payback.OwnEnergyPrice = c.own_price;
    const HouseholdFigures figures = WorkOutHousehold(household, payback, tariff, "");
    EXPECT_NEAR(*figures.fittings[0].costPerDay, c.machine, 1e-12);
    EXPECT_NEAR(*figures.fittings[1].costPerDay, c.shower, 1e-12);
    // What a meter would bill, whether or not there is one.
    EXPECT_NEAR(*figures.meteredPerYear, 365 * 0.215 * 3.48, 1e-10);
  }
}

// 100 litres a day, standing charges of 20: in litres at 2 a cubic metre a meter bills 93. 100 L
// is 21.997 UK gallons, 26.417 US; the break-even is given in litres.
TEST(Household, MeterHeadlineAndBreakEvenInLitresAndGallons) {
  struct Case {
    double bill, charge;
    bool gallons, us;
    double metered;
    const char* headline;
    double break_even;  // NaN: none
  } const cases[] = {
      // clang-format off
      {100, 2, false, false, 93, "A water meter would save \u20AC7.00 a year.", 80 / 0.73},
      {93.006, 2, false, false, 93, "A water meter would save \u20AC0.01 a year.", 73.006 / 0.73},
      {10, 2, false, false, 93, "A water meter would cost \u20AC83.00 a year more.", -10 / 0.73},
      {100, 0, false, false, 20, "A water meter would save \u20AC80.00 a year.", NAN},
      {100, 2, true, false, 20 + 73 / 4.54609, "A water meter would save \u20AC63.94 a year.",
       80 / 0.73 * 4.54609},
      {100, 2, true, true, 20 + 73 / 3.785411784, "A water meter would save \u20AC60.72 a year.",
       80 / 0.73 * 3.785411784},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headline);
    Household household = Of({Make(FittingKind::Toilet, {10, 10})});
    household.settings.UnmeteredBill = c.bill;
    household.settings.StandingCharges = 20;
    PaybackSettings payback = Heater(30, 90);
    payback.USGallons = c.us;
    const HouseholdFigures figures =
        WorkOutHousehold(household, payback,
                         HouseholdTariff{.WaterCharge = c.charge, .Gallons = c.gallons}, "\u20AC");
    EXPECT_EQ(figures.headline, c.headline);
    EXPECT_NEAR(*figures.meteredPerYear, c.metered, 1e-12);
    EXPECT_EQ(figures.unmeteredPerYear.has_value(), c.bill > 0);
    EXPECT_EQ(figures.breakEvenLitresPerDay.has_value(), !std::isnan(c.break_even));
    EXPECT_NEAR(figures.breakEvenLitresPerDay.value_or(0),
                std::isnan(c.break_even) ? 0 : c.break_even, 1e-9);
  }
}

TEST(Household, NoMoneyWithoutATariffNorAnyTooLargeToWorkOut) {
  Household household = Of({Make(FittingKind::Toilet, {10, 10})});
  household.settings.UnmeteredBill = 100;
  for (const auto& tariff :
       {std::optional<HouseholdTariff>{},
        std::optional(HouseholdTariff{.WaterCharge = 1e308, .TaxRate = 100})}) {
    const HouseholdFigures figures = WorkOutHousehold(household, Heater(30, 90), tariff, "");
    EXPECT_FALSE(figures.meteredPerYear || figures.breakEvenLitresPerDay ||
                 figures.fittings[0].costPerDay);
    EXPECT_EQ(figures.headline, "");
    EXPECT_EQ(figures.unmeteredPerYear, 100);
    EXPECT_EQ(figures.litresPerDay, 100);
  }
}

TEST(Household, ChecksEveryValueAndSaysAllAtOnce) {
  std::string accents;  // 40 characters of two bytes each: within the limit
  for (int i = 0; i < 40; ++i)
    accents += "\u00E9";
  Household household =
      Of({DefaultFitting(FittingKind::Shower, accents),
          Make(FittingKind::Shower, {31, 7.5, 21, 24.9}, "Mixer shower"),
          DefaultFitting(FittingKind::Tap, accents + "\u00E9"),
          Make(FittingKind::Bath, {80, 14.5, 40}, "Bath"), Make(FittingKind::Toilet, {6, NAN}),
          DefaultFitting(FittingKind::Dishwasher, "two\nlines")},
         0, std::numeric_limits<double>::infinity());
  household.settings.StandingCharges = -1;
  household.fittings.resize(31, DefaultFitting(FittingKind::Toilet, "WC"));
  EXPECT_EQ(CheckHousehold(household),
            (std::vector<std::string>{
                "People must be a whole number from 1 to 20.",
                "Cold supply must be a number from 0 to 30.",
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

// Each kind's defaults are its commonest preset; the typical household's litres are pinned.
TEST(Household, PresetsDefaultsAndTheTypicalHousehold) {
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
  const HouseholdFigures figures = WorkOutHousehold(TypicalHousehold(), Heater(50, 90), {}, "");
  std::string litres;
  for (const FittingFigures& f : figures.fittings)
    litres += FormatFixed(f.litresPerDay, 1) + " ";
  EXPECT_EQ(litres, "75.4 29.7 41.3 33.6 19.0 26.0 ");
  EXPECT_EQ(FormatFixed(figures.litresPerDay, 1), "225.0");
  EXPECT_EQ(FormatFixed(figures.litresPerPersonPerDay, 1), "112.5");
}

TEST(Household, CompareTakesAtLeastOneUnitADayAndRoundsAHalfUp) {
  struct Case {
    double litres;
    bool gallons, us;
    int uses;  // 0: cannot be compared
    const char* use;
  } const cases[] = {
      {500, false, false, 1, "500.0"}, {500.1, false, false, 2, "250.1"},  // 250.05 goes up
      {2.25, false, false, 1, "2.3"},  {1.0, false, false, 1, "1.0"},
      {0.999, false, false, 0, ""},    {100, true, true, 1, "26.4"},
      {4.5, true, false, 0, ""},  // under a UK gallon
      {4000, true, false, 2, "439.9"}, {NAN, false, false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.litres);
    const FittingFigures figures{.litresPerDay = c.litres, .ownKWhPerDay = 6, .hotShare = 0.25};
    const auto compared = CompareFitting(figures, c.gallons, c.us);
    ASSERT_EQ(compared.has_value(), c.uses > 0);
    if (!compared) continue;
    EXPECT_EQ(compared->usesPerDay, c.uses);
    EXPECT_EQ(compared->useText, c.use);
    EXPECT_EQ(compared->ownEnergy, 6.0 / c.uses);
    EXPECT_EQ(compared->hotShare, 25);
  }
}

// Compare splits a day into the fewest uses of at most 500 each.
RC_GTEST_PROP(Household, CompareSplitsADayIntoTheFewestUsesOfAtMost500, ()) {
  const double litres = *rc::gen::inRange(100, 10'000'000) / 100.0;
  const auto compared = CompareFitting({.litresPerDay = litres, .ownKWhPerDay = 6}, false, false);
  RC_ASSERT(compared.has_value());
  const int n = compared->usesPerDay;
  RC_ASSERT(n >= 1 && litres / n <= 500);
  RC_ASSERT(n == 1 || litres / (n - 1) > 500);
  RC_ASSERT(compared->useText == FormatFixed(litres / n, 1));
  RC_ASSERT(compared->ownEnergy == 6.0 / n);
}

// A fitting used by each person: its litres and energy are linear in the number of people.
RC_GTEST_PROP(Household, PerPersonLitresAndEnergyGrowWithThePeople, ()) {
  const auto kind =
      *rc::gen::element(FittingKind::Shower, FittingKind::ElectricShower, FittingKind::Bath,
                        FittingKind::Toilet, FittingKind::DualFlushToilet, FittingKind::Tap);
  const int people = *rc::gen::inRange(1, 21);
  const double cold = *rc::gen::inRange(0, 31);
  Fitting fitting = DefaultFitting(kind, "");
  const FittingKindInfo& info = KindInfo(kind);
  for (size_t p = 0; p < info.parameterCount; ++p) {
    const FittingParameterInfo& parameter = info.parameters[p];
    fitting.values[p] = parameter.minimum + (parameter.maximum - parameter.minimum) *
                                                *rc::gen::inRange(0, 1001) / 1000.0;
  }
  const auto one = WorkOutHousehold(Of({fitting}, 1, cold), Heater(45, 90), {}, "").fittings[0];
  const auto many =
      WorkOutHousehold(Of({fitting}, people, cold), Heater(45, 90), {}, "").fittings[0];
  const double slack = 1e-12 * std::max(1.0, many.litresPerDay);
  RC_ASSERT(std::fabs(many.litresPerDay - people * one.litresPerDay) <= slack);
  RC_ASSERT(std::fabs(many.ownKWhPerDay - people * one.ownKWhPerDay) <= slack);
  RC_ASSERT(std::fabs(many.heaterKWhPerDay - people * one.heaterKWhPerDay) <= slack);
  RC_ASSERT(many.hotShare == one.hotShare);
}

}  // namespace
}  // namespace tolvarn
