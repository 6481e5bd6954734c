// The payback model and its headlines, the checks of its inputs, and its settings file.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <bit>
#include <cmath>
#include <tuple>

#include "core/number_text.h"
#include "core/payback.h"
#include "files/payback_settings.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

PaybackInputs Shown(int years, double discount = 0) {
  return {.settings = {.Horizon = years, .Discount = discount}, .items = {}};
}

// With `charge` per 1000 units and nothing else charged, a year's running cost is U x D x 365 x
// charge / 1000; the break-even is the difference in purchase cost over the yearly saving.
TEST(Payback, HeadlinesAndBreakEven) {
  // The charge, item 1 and 2 (use, uses a day, cost), the years shown, the break-even (none: -1).
  const std::tuple<double, CalculatedItem, CalculatedItem, int, double, const char*> cases[] = {
      // clang-format off
          {1000, {1, 1, 500}, {2, 1, 0}, 15, 500.0 / 365, "Item 1 pays for itself after 1 year 4 months."},
          {1000, {1, 1, 0}, {0, 0, 10}, 15, 10.0 / 365, "Item 2 pays for itself within a month."},
          {1000, {2, 1, 80}, {1, 1, 80}, 5, -1, "Both items cost the same to buy; item 2 costs less to run."},
          {1000, {1, 1, 80}, {1, 1, 80}, 5, -1, "Both items cost the same to buy and to run."},
          // Exactly half a month (11.5 carrying into a year), or exactly the last year shown,
          // from sums inexact in binary.
          {1, {10, 1, 10.95}, {58, 1, 0}, 15, 10.95 / 17.52, "Item 1 pays for itself after 8 months."},
          {1.2, {31, 4, 2079.77}, {101, 4, 0}, 50, 2079.77 / 122.64, "Item 1 pays for itself after 17 years."},
          {2, {14, 2, 1606}, {114, 2, 0}, 11, 11, "Item 1 pays for itself after 11 years."},
      // clang-format on
  };
  for (const auto& [charge, item1, item2, horizon, years, headline] : cases) {
    SCOPED_TRACE(headline);
    const PaybackResult result =
        WorkOutPayback({.WaterCharge = charge, .items = {item1, item2}}, Shown(horizon));
    EXPECT_EQ(result.headline, headline);
    EXPECT_NEAR(result.breakEven ? result.breakEven->years : -1, years, 1e-9);
  }
}

// Year y is charged at (1 + r)^y and discounted by (1 + d)^y.
TEST(Payback, YearIIsChargedAtItsPriceAndDiscountedBack) {
  const PaybackResult result = WorkOutPayback(
      {.WaterCharge = 1000, .Inflation = 4, .items = {{{1, 1, 0}, {0, 0, 300}}}}, Shown(4, 3));
  double total = 0;
  for (size_t y = 1; y <= 4; ++y) {
    total += 365 * std::pow(1.04 / 1.03, y);
    EXPECT_NEAR(result.years[y].cost[0], total, 1e-9 * total);
  }
  EXPECT_NEAR(result.breakEven->years, 300 / result.years[1].cost[0], 1e-12);
}

// 10 units twice a day (7300 a year at 1000 per 1000 units), half warmed 35 degrees: 10 x 0.5 x
// 35 x 0.001163 / 0.9 kWh a use in litres at 90 %; at 0.25 a kWh, or the own energy's own price.
TEST(Payback, EnergyCo2AndTheYearlyCost) {
  const double heat = 10 * 0.5 * 35 * 0.001163 / 0.9;
  // In gallons, US gallons, efficiency, own kWh a use and price, litres a unit; kWh a use, cost.
  const std::tuple<bool, bool, double, double, std::optional<double>, double, double, double>
      cases[] = {
          // clang-format off
          {false, true, 300, 0.8, {}, 1, 0.8 + heat * 0.3, 7300 + 730 * (0.8 + heat * 0.3) * 0.25},
          {true, false, 90, 0, {}, 4.54609, heat * 4.54609, 7300 + 730 * heat * 4.54609 * 0.25},
          {true, true, 90, 0, {}, 3.785411784, heat * 3.785411784, 7300 + 730 * heat * 3.785411784 * 0.25},
          {false, false, 90, 0.5, 0.3, 1, 0.5 + heat, 7300 + 730 * (0.5 * 0.3 + heat * 0.25)},
          // clang-format on
      };
  for (const auto& [gallons, us, efficiency, own, own_price, litres, kwh, yearly] : cases) {
    SCOPED_TRACE(yearly);
    const PaybackResult result = WorkOutPayback(
        {.WaterCharge = 1000, .Gallons = gallons, .items = {{{10, 2, 0}, {0, 0, 100}}}},
        {.settings = {3, 0, 0.25, efficiency, 35, us, 0.2, 0.7, true, own_price},
         .items = {{{own, 50}, {}}}});
    EXPECT_NEAR(result.years[3].energy[0], 3 * 730 * kwh, 1e-9);
    EXPECT_NEAR(result.years[3].co2[0], 3 * (730 * kwh * 0.2 + 7.3 * litres * 0.7), 1e-9);
    EXPECT_EQ(result.years[3].water[0], 3 * 7300);  // in the window's units
    EXPECT_NEAR(result.yearlyCost[0], yearly, 1e-9);
  }
}

// Random inputs in the checks' ranges, to two decimals (whole numbers where whole).
double Between(double low, double high) {
  return *rc::gen::inRange<int64_t>(std::llround(low * 100), std::llround(high * 100) + 1) / 100.0;
}
CalculatedInputs AnyComparison() {
  const auto item = [] {
    return CalculatedItem{Between(0, 500), Between(0, 99), Between(0, 5000)};
  };
  return {Between(0, 5),   Between(0, 5),    Between(0, 100),
          Between(0, 50),  Between(-20, 20), *rc::gen::arbitrary<bool>(),
          {item(), item()}};
}
// Every input of the table from `any(low, high)`, whole ones to a whole number.
template <class Any = decltype(&Between)>
PaybackInputs AnyInputs(Any any = Between) {
  PaybackInputs in;
  for (const PaybackInputInfo& info : PaybackInputTable()) {
    const double value = any(info.minimum, info.maximum);
    SetPaybackInput(in, info.input, info.whole ? std::floor(value) : value);
  }
  in.settings.USGallons = *rc::gen::arbitrary<bool>();
  in.settings.Metered = *rc::gen::arbitrary<bool>();
  return in;
}

// The break-even does not depend on the years shown, only on whether it is within them, and
// discounting money a year later never brings it earlier. Metered with no own energy price is
// the plain payback: an own price equal to the energy price changes no bit of any figure, and
// one price is applied to a year's kWh as a whole (unmetered, the cost is exactly kWh x E).
RC_GTEST_PROP(PaybackProperty, TheYearsShownTheDiscountAndOneEnergyPrice, ()) {
  const CalculatedInputs calculated = AnyComparison();
  PaybackInputs all = AnyInputs();
  all.settings.Horizon = 50;
  PaybackInputs fewer = all;
  fewer.settings.Horizon = *rc::gen::inRange(1, 50);
  const PaybackResult whole = WorkOutPayback(calculated, all);
  const PaybackResult part = WorkOutPayback(calculated, fewer);
  const bool within =
      whole.breakEven && std::ceil(whole.breakEven->years) <= fewer.settings.Horizon;
  RC_ASSERT(part.breakEven.has_value() == within);
  if (within) RC_ASSERT(part.breakEven->years == whole.breakEven->years);
  if (within) RC_ASSERT(part.headline == whole.headline);
  all.settings.Discount = 0;
  const PaybackResult sooner = WorkOutPayback(calculated, all);
  if (whole.breakEven)
    RC_ASSERT(sooner.breakEven && sooner.breakEven->years <= whole.breakEven->years + 1e-9);

  PaybackInputs& unset = fewer;
  unset.settings.Metered = true;
  unset.settings.OwnEnergyPrice.reset();
  PaybackInputs same = unset;
  same.settings.OwnEnergyPrice = unset.settings.EnergyPrice;
  const PaybackResult a = WorkOutPayback(calculated, unset), b = WorkOutPayback(calculated, same);
  RC_ASSERT(a.headline == b.headline && a.yearlyCost == b.yearlyCost);
  for (size_t y = 0; y < a.years.size(); ++y)
    RC_ASSERT(a.years[y].cost == b.years[y].cost && a.years[y].co2 == b.years[y].co2);
  unset.settings.Metered = false;
  const PaybackResult energy_only = WorkOutPayback(calculated, unset);
  for (size_t k = 0; k < 2; ++k)
    RC_ASSERT(std::bit_cast<uint64_t>(energy_only.yearlyCost[k]) ==
              std::bit_cast<uint64_t>(a.years[1].energy[k] * unset.settings.EnergyPrice));
}

TEST(Payback, ChecksEveryInputAndNamesEachFailure) {
  using enum PaybackInput;
  std::array<std::string, kPaybackInputCount> texts;
  for (const PaybackInputInfo& info : PaybackInputTable()) {
    texts[static_cast<size_t>(info.input)] = PaybackInputText({}, info.input);
    // The table's defaults are the settings' own.
    EXPECT_EQ(PaybackInputValue({}, info.input).value_or(info.fallback), info.fallback);
  }
  const auto set = [&](std::initializer_list<std::pair<PaybackInput, const char*>> changes) {
    for (const auto& [input, text] : changes)
      texts[static_cast<size_t>(input)] = text;
  };
  set({{Horizon, " 20 "}, {Item2HotShare, "1e2"}, {OwnEnergyPrice, " 0.3 "}});
  PaybackInputs inputs;
  ASSERT_TRUE(CheckPaybackInputs(texts, inputs).empty());
  EXPECT_EQ(
      std::tuple(inputs.settings.Horizon, inputs.items[1].HotShare, inputs.settings.OwnEnergyPrice),
      std::tuple(20, 100.0, std::optional(0.3)));
  set({{OwnEnergyPrice, "  "}});  // not set again
  ASSERT_TRUE(CheckPaybackInputs(texts, inputs).empty());
  EXPECT_EQ(inputs.settings.OwnEnergyPrice, std::nullopt);

  // Every failure at once, in the table's order, and nothing taken over.
  set({{Horizon, "15.5"},
       {HeaterEfficiency, "9.99"},
       {TemperatureRise, "30 C"},
       {OwnEnergyPrice, "-0.1"},
       {Item1OwnEnergy, ""}});
  EXPECT_EQ(CheckPaybackInputs(texts, inputs),
            (std::vector<std::string>{"Years shown must be a whole number from 1 to 50.",
                                      "Heater efficiency must be a number from 10 to 500.",
                                      "Temperature rise must be a number from 0 to 90.",
                                      "Own energy price must be a number from 0 to 100.",
                                      "Item 1 energy per use must be a number from 0 to 50."}));
  EXPECT_EQ(inputs.settings.Horizon, 20);

  // Values already read fail alike, and are never worked out from.
  inputs.settings.Co2PerKWh = std::nan("");
  const std::string message = "CO2e per kWh must be a number from 0 to 5.";
  EXPECT_EQ(CheckPaybackInputs(inputs), std::vector<std::string>{message});
  EXPECT_EQ(WorkOutPayback({.WaterCharge = 1, .items = {{{1, 1, 0}, {0, 0, 10}}}}, inputs).headline,
            message);
}

// With no energy and no discount, N years cost the main window's N-year totals (to its 32-bit
// factors), whatever the tariff and items; Clear forgets the comparison with the results.
using PaybackWindow = testing::WindowTest;
TEST_F(PaybackWindow, AgreesWithTheWindowsPeriodTotals) {
  Start();
  EXPECT_TRUE(rc::check([&] {
    const auto any = [](double low, double high, int decimals) {
      return FormatFixed(Between(low, high), decimals) + "|";
    };
    const int years = *rc::gen::inRange(1, 11);
    // The tariff (sewerage and tax or neither), then both items.
    Enter(any(0.1, 5, 2) + (*rc::gen::arbitrary<bool>() ? any(0.1, 5, 2) + any(1, 99, 1) : "||") +
          (*rc::gen::arbitrary<bool>() ? any(1, 50, 1) : "|") + any(-30, 199, 1) +
          std::to_string(years) + "|" + any(1, 500, 1) + any(1, 99, 0) + any(0, 5000, 2) +
          any(1, 500, 1) + any(1, 99, 0) + any(0, 5000, 2));
    window.Calc_Click();
    RC_ASSERT(State().LastComparison.has_value());
    const PaybackYear last = WorkOutPayback(*State().LastComparison, Shown(years)).years.back();
    for (const auto& [k, field] : {std::pair{0, Field::Item1Period}, {1, Field::Item2Period}}) {
      const double shown = TextValue(Text(field).substr(fake.locale.symbol.size()));
      RC_ASSERT(std::fabs(last.cost[static_cast<size_t>(k)] - shown) <= 0.005 + 1e-6 * shown);
    }
    window.Clear_Click();
    RC_ASSERT(!State().LastComparison.has_value() && !fields.IsEnabled(Field::Save));
  }));
}

// The file's layout is pinned where the Payback window saves it.
TEST(PaybackSettingsFile, ADamagedValueCostsThatValueOnly) {
  FakeFileSystem files;
  files.AddDirectory("Data");
  EXPECT_TRUE(ReadPaybackSettings(files).problems.empty());  // no file: the defaults, quietly
  const std::tuple<const char*, PaybackSettings, std::vector<std::string>> cases[] = {
      // A file from before Metered and OwnEnergyPrice: metered, and one energy price.
      {"# LF ends, blanks, any order\n[Payback]\n  Discount = 2 \nHorizon=30\n\nUSGallons=1\n",
       {.Horizon = 30, .Discount = 2, .USGallons = true},
       {}},
      {"[Payback]\rHorizon=7\rOwnEnergyPrice=0.28\rOwnEnergyPrice= \r", {.Horizon = 7}, {}},
      {"[Payback]\r\nHorizon=12.5\r\nUSGallons=2\r\nCo2PerKWh=0.3\r\n"
       "Co2PerCubicMetre=1e999\r\nMetered=no\r\nOwnEnergyPrice=100.5\r\nCo2PerCub\r\nLater=1\r\n",
       {.Co2PerKWh = 0.3},
       {"Payback.ini: Horizon was out of range; using 15.",
        "Payback.ini: USGallons was out of range; using 0.",
        "Payback.ini: Co2PerCubicMetre was damaged; using 0.",
        "Payback.ini: Metered was damaged; using 1.",
        "Payback.ini: OwnEnergyPrice was out of range; using the energy price.",
        "Payback.ini: line 8 was damaged; ignored."}},
  };
  for (const auto& [text, settings, problems] : cases) {
    files.files["Data/Payback.ini"] = text;
    const PaybackSettingsReading reading = ReadPaybackSettings(files);
    EXPECT_EQ(reading.settings, settings) << text;
    EXPECT_EQ(reading.problems, problems) << text;
  }
  // Settings out of range are never written.
  EXPECT_FALSE(WritePaybackSettings(files, {.Horizon = 0}).ok());
  EXPECT_EQ(files.files["Data/Payback.ini"], std::get<0>(cases[2]));
  files.FailAt(FileStep::Read);
  EXPECT_EQ(ReadPaybackSettings(files).problems,
            std::vector<std::string>{"Payback.ini could not be read; using the defaults."});
}

// Whatever is saved reads back as it was: any double in range, not only short ones, the yes/no
// settings, and the own energy price set or not.
RC_GTEST_PROP(PaybackSettingsFile, WhatIsWrittenReadsBack, ()) {
  PaybackSettings settings =
      AnyInputs([](double low, double high) {
        return low + (high - low) * (*rc::gen::inRange<int64_t>(0, int64_t{1} << 53)) / 0x1p53;
      }).settings;
  if (*rc::gen::arbitrary<bool>()) settings.OwnEnergyPrice.reset();
  FakeFileSystem files;
  files.AddDirectory("Data");
  RC_ASSERT(WritePaybackSettings(files, settings).ok());
  const PaybackSettingsReading reading = ReadPaybackSettings(files);
  RC_ASSERT(reading.problems.empty() && reading.settings == settings);
}

}  // namespace
}  // namespace tolvarn
