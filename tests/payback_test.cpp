// The payback model and its headlines, the checks of its inputs, and its settings file.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>

#include "core/number_text.h"
#include "core/payback.h"
#include "files/payback_settings.h"
#include "tests/support/fake_file_system.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

PaybackInputs Shown(int years, double discount = 0) {
  return {.settings = {.Horizon = years, .Discount = discount}, .items = {}};
}

// With `charge` per 1000 units and nothing else charged, a year's running cost is U x D x 365 x
// charge / 1000; the break-even is the difference in purchase cost over the yearly saving.
TEST(Payback, HeadlinesAndBreakEven) {
  struct Case {
    double charge;
    CalculatedItem item1, item2;  // use, uses a day, purchase cost
    int horizon;
    double years;  // -1: no break-even
    const char* headline;
  } const cases[] = {
      // clang-format off
      // Interpolated within the last year shown.
      {1000, {1, 1, 0}, {0, 0, 1000}, 3, 1000.0 / 365, "Item 2 pays for itself after 2 years 9 months."},
      {1000, {1, 1, 500}, {2, 1, 0}, 15, 500.0 / 365, "Item 1 pays for itself after 1 year 4 months."},
      // 11.64 months carry into a year.
      {1000, {1, 1, 0}, {0, 0, 365 * 2.97}, 15, 2.97, "Item 2 pays for itself after 3 years."},
      {1000, {1, 1, 0}, {0, 0, 10}, 15, 10.0 / 365, "Item 2 pays for itself within a month."},
      {1000, {1, 1, 0}, {0, 0, 1000}, 2, -1, "Item 2 does not pay for itself within 2 years."},
      {1000, {2, 1, 80}, {1, 1, 80}, 5, -1, "Both items cost the same to buy; item 2 costs less to run."},
      {1000, {1, 1, 80}, {1, 1, 80}, 5, -1, "Both items cost the same to buy and to run."},
      // Exactly half a month, or exactly the last year shown, from sums inexact in binary.
      {1, {10, 1, 10.95}, {58, 1, 0}, 15, 10.95 / 17.52, "Item 1 pays for itself after 8 months."},
      {1.2, {31, 4, 2079.77}, {101, 4, 0}, 50, 2079.77 / 122.64, "Item 1 pays for itself after 17 years."},
      {2, {14, 2, 1606}, {114, 2, 0}, 11, 11, "Item 1 pays for itself after 11 years."},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headline);
    const CalculatedInputs calculated{.WaterCharge = c.charge, .items = {c.item1, c.item2}};
    const PaybackResult result = WorkOutPayback(calculated, Shown(c.horizon));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.headline, c.headline);
    EXPECT_EQ(result.years.size(), static_cast<size_t>(c.horizon) + 1);
    EXPECT_NEAR(result.breakEven ? result.breakEven->years : -1, c.years, 1e-9);
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
    EXPECT_EQ(result.years[y].difference, result.years[y].cost[0] - 300);
  }
  EXPECT_NEAR(result.breakEven->years, 300 / result.years[1].cost[0], 1e-12);
}

// 10 units twice a day, half of them warmed 35 degrees, CO2e from both the energy and the water.
TEST(Payback, HeatingEnergyAndCo2InLitresAndEitherGallon) {
  struct Case {
    bool gallons, us;
    double efficiency, own, litres_per_unit;
  } const cases[] = {{false, true, 90, 0, 1},           // litres ignore the gallon choice
                     {true, false, 90, 0, 4.54609},     // UK gallons
                     {true, true, 90, 0, 3.785411784},  // US gallons
                     {false, false, 300, 0.8, 1}};      // a heat pump, and the item's own kWh
  for (const Case& c : cases) {
    SCOPED_TRACE(c.litres_per_unit);
    const CalculatedInputs calculated{
        .WaterCharge = 1000, .Gallons = c.gallons, .items = {{{10, 2, 0}, {0, 0, 100}}}};
    const PaybackInputs inputs{.settings = {3, 0, 0.25, c.efficiency, 35, c.us, 0.2, 0.7},
                               .items = {{{c.own, 50}, {}}}};
    const PaybackResult result = WorkOutPayback(calculated, inputs);
    const double litres = 10 * c.litres_per_unit;
    const double energy = 730 * (c.own + litres * 0.5 * 35 * 0.001163 / (c.efficiency / 100));
    EXPECT_NEAR(result.years[3].energy[0], 3 * energy, 1e-9);
    EXPECT_NEAR(result.years[3].co2[0], 3 * (energy * 0.2 + litres * 730 / 1000 * 0.7), 1e-9);
    EXPECT_EQ(result.years[3].water[0], 3 * 7300);  // in the window's units
    EXPECT_NEAR(result.yearlyCost[0], 7300 + energy * 0.25, 1e-9);
  }
}

// R_1 = 365 x [water and sewerage + D x (e x E_o + heater x E)], the water and sewerage dropped
// when unmetered. 10 L twice a day, all warmed 30 degrees at 100 %: heater = 10 x 30 x 0.001163
// = 0.3489 kWh a use, e = 0.5 kWh; water at 2 a cubic metre: 14.60 a year; E = 0.10.
TEST(Payback, UnmeteredAndTheOwnEnergyPrice) {
  struct Case {
    bool metered;
    std::optional<double> own_price;
    double yearly;
  } const cases[] = {
      {true, 0.30, 14.60 + 730 * (0.5 * 0.30 + 0.3489 * 0.10)},
      {true, 0, 14.60 + 730 * 0.3489 * 0.10},  // free, not unset
      {false, std::nullopt, 730 * 0.8489 * 0.10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.yearly);
    const PaybackInputs inputs{.settings = {.Horizon = 2,
                                            .EnergyPrice = 0.10,
                                            .HeaterEfficiency = 100,
                                            .Metered = c.metered,
                                            .OwnEnergyPrice = c.own_price},
                               .items = {{{0.5, 100}, {}}}};
    const PaybackResult result =
        WorkOutPayback({.WaterCharge = 2, .items = {{{10, 2, 0}, {0, 0, 100}}}}, inputs);
    EXPECT_NEAR(result.yearlyCost[0], c.yearly, 1e-9);
    // Only the money changes: the energy is what it is.
    EXPECT_NEAR(result.years[1].energy[0], 730 * 0.8489, 1e-9);
  }
}

// Random inputs in the checks' ranges, to two decimals (whole numbers where whole).
double Between(double low, double high) {
  return *rc::gen::inRange<int64_t>(std::llround(low * 100), std::llround(high * 100) + 1) / 100.0;
}
CalculatedInputs AnyComparison() {
  CalculatedInputs c{.WaterCharge = Between(0, 5),
                     .SewerageCharge = Between(0, 5),
                     .SewerageAllowance = Between(0, 100),
                     .TaxRate = Between(0, 50),
                     .Inflation = Between(-20, 20),
                     .Gallons = *rc::gen::arbitrary<bool>(),
                     .items = {}};
  for (CalculatedItem& item : c.items)
    item = {Between(0, 500), Between(0, 99), Between(0, 5000)};
  return c;
}
// Every input of the table from `any(low, high)`, whole ones to a whole number.
template <class Any>
PaybackInputs AnyInputs(Any any) {
  PaybackInputs in;
  for (const PaybackInputInfo& info : PaybackInputTable()) {
    const double value = any(info.minimum, info.maximum);
    SetPaybackInput(in, info.input, info.whole ? std::floor(value) : value);
  }
  in.settings.USGallons = *rc::gen::arbitrary<bool>();
  in.settings.Metered = *rc::gen::arbitrary<bool>();
  return in;
}
PaybackInputs AnyInputs() {
  return AnyInputs(Between);
}

// Every figure of a result to the bit, and its words.
std::pair<std::string, std::vector<uint64_t>> Bits(const PaybackResult& r) {
  std::vector<uint64_t> bits;
  const auto add = [&bits](double v) { bits.push_back(std::bit_cast<uint64_t>(v)); };
  add(r.yearlyCost[0]);
  add(r.yearlyCost[1]);
  if (r.breakEven) {
    add(r.breakEven->item);
    add(r.breakEven->years);
  }
  for (const PaybackYear& y : r.years)
    for (const double v : {double(y.year), y.difference, y.cost[0], y.cost[1], y.water[0],
                           y.water[1], y.energy[0], y.energy[1], y.co2[0], y.co2[1]})
      add(v);
  return {r.headline + (r.ok ? "" : " (not ok)"), bits};
}

// Metered with no own energy price is the plain payback: an own price equal to the energy price
// changes no bit of any figure, and one price is applied to a year's kWh as a whole
// (unmetered, the cost is exactly kWh x E).
RC_GTEST_PROP(PaybackProperty, OneEnergyPriceLeavesEveryFigureAsItWas, ()) {
  const CalculatedInputs calculated = AnyComparison();
  PaybackInputs unset = AnyInputs();
  unset.settings.Metered = true;
  unset.settings.OwnEnergyPrice.reset();
  PaybackInputs same = unset;
  same.settings.OwnEnergyPrice = unset.settings.EnergyPrice;
  const PaybackResult result = WorkOutPayback(calculated, unset);
  RC_ASSERT(Bits(result) == Bits(WorkOutPayback(calculated, same)));
  unset.settings.Metered = false;
  const PaybackResult energy_only = WorkOutPayback(calculated, unset);
  for (size_t k = 0; k < 2; ++k)
    RC_ASSERT(std::bit_cast<uint64_t>(energy_only.yearlyCost[k]) ==
              std::bit_cast<uint64_t>(result.years[1].energy[k] * unset.settings.EnergyPrice));
}

// The break-even does not depend on the years shown, only on whether it is within them; and
// discounting money a year later never brings it earlier.
RC_GTEST_PROP(PaybackProperty, BreakEvenIgnoresTheHorizonAndDiscountingDelaysIt, ()) {
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
  if (within) {
    RC_ASSERT(part.breakEven->item == whole.breakEven->item);
    RC_ASSERT(part.breakEven->years == whole.breakEven->years);
    RC_ASSERT(part.headline == whole.headline);
  }
  PaybackInputs undiscounted = all;
  undiscounted.settings.Discount = 0;
  const PaybackResult sooner = WorkOutPayback(calculated, undiscounted);
  if (whole.breakEven) {
    RC_ASSERT(sooner.breakEven.has_value());
    RC_ASSERT(sooner.breakEven->years <= whole.breakEven->years + 1e-9);
  }
}

TEST(Payback, ChecksEveryInputAndNamesEachFailure) {
  std::array<std::string, kPaybackInputCount> texts;
  for (const PaybackInputInfo& info : PaybackInputTable()) {
    texts[static_cast<size_t>(info.input)] = PaybackInputText({}, info.input);
    // The table's defaults are the settings' own.
    EXPECT_EQ(PaybackInputValue({}, info.input).value_or(info.fallback), info.fallback);
  }
  const auto at = [&](PaybackInput input) -> std::string& {
    return texts[static_cast<size_t>(input)];
  };
  EXPECT_EQ(at(PaybackInput::OwnEnergyPrice), "");  // not set by default
  at(PaybackInput::Horizon) = " 20 ";
  at(PaybackInput::Item2HotShare) = "1e2";
  at(PaybackInput::OwnEnergyPrice) = " 0.3 ";
  PaybackInputs inputs;
  ASSERT_TRUE(CheckPaybackInputs(texts, inputs).empty());
  EXPECT_EQ(inputs.settings.Horizon, 20);
  EXPECT_EQ(inputs.items[1].HotShare, 100);
  EXPECT_EQ(inputs.settings.OwnEnergyPrice, 0.3);
  // Blanks alone are not set again; neither check touches the yes/no settings.
  at(PaybackInput::OwnEnergyPrice) = "  ";
  inputs.settings.Metered = false;
  ASSERT_TRUE(CheckPaybackInputs(texts, inputs).empty());
  EXPECT_EQ(inputs.settings.OwnEnergyPrice, std::nullopt);
  EXPECT_FALSE(inputs.settings.Metered);

  // Every failure at once, in the table's order, and nothing taken over.
  std::vector<std::string> expected;
  for (const auto& [input, text, message] :
       {std::tuple{PaybackInput::Horizon, "15.5",
                   "Years shown must be a whole number from 1 to 50."},
        {PaybackInput::EnergyPrice, "100.5", "Energy price must be a number from 0 to 100."},
        {PaybackInput::HeaterEfficiency, "9.99",
         "Heater efficiency must be a number from 10 to 500."},
        {PaybackInput::TemperatureRise, "30 C", "Temperature rise must be a number from 0 to 90."},
        {PaybackInput::OwnEnergyPrice, "-0.1", "Own energy price must be a number from 0 to 100."},
        {PaybackInput::Item1OwnEnergy, "",
         "Item 1 energy per use must be a number from 0 to 50."}}) {
    at(input) = text;
    expected.push_back(message);
  }
  EXPECT_EQ(CheckPaybackInputs(texts, inputs), expected);
  EXPECT_EQ(inputs.settings.Horizon, 20);

  // Values already read fail alike, and are never worked out from.
  inputs.settings.Horizon = 51;
  inputs.settings.Co2PerKWh = std::nan("");
  inputs.settings.OwnEnergyPrice = 100.01;
  EXPECT_EQ(CheckPaybackInputs(inputs),
            (std::vector<std::string>{"Years shown must be a whole number from 1 to 50.",
                                      "CO2e per kWh must be a number from 0 to 5.",
                                      "Own energy price must be a number from 0 to 100."}));
  EXPECT_FALSE(WorkOutPayback({.WaterCharge = 1, .items = {{{1, 1, 0}, {0, 0, 10}}}}, inputs).ok);
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
    RC_ASSERT(!State().LastComparison.has_value());
  }));
}

// The file's layout is pinned where the Payback window saves it.
TEST(PaybackSettingsFile, ADamagedValueCostsThatValueOnly) {
  FakeFileSystem files;
  files.AddDirectory("Data");
  EXPECT_TRUE(ReadPaybackSettings(files).problems.empty());  // no file: the defaults, quietly
  struct Case {
    const char* text;
    PaybackSettings expected;
    std::vector<std::string> problems;
  } const cases[] = {
      // A file from before Metered and OwnEnergyPrice: metered, and one energy price.
      {"# LF ends, blanks, any order\n[Payback]\n  Discount = 2 \nHorizon=30\n\nUSGallons=1\n",
       {.Horizon = 30, .Discount = 2, .USGallons = true},
       {}},
      {"[Payback]\r\nOwnEnergyPrice=0.28\r\nOwnEnergyPrice= \r\nMetered=1\r\n", {}, {}},
      {"[Payback]\r\nMetered=no\r\nOwnEnergyPrice=cheap\r\n",
       {},
       {"Payback.ini: Metered was damaged; using 1.",
        "Payback.ini: OwnEnergyPrice was damaged; using the energy price."}},
      {"[Payback]\r\nMetered=0\r\nMetered=-1\r\nOwnEnergyPrice=100.5\r\n",
       {},
       {"Payback.ini: Metered was out of range; using 1.",
        "Payback.ini: OwnEnergyPrice was out of range; using the energy price."}},
      {"[Payback]\rHorizon=7\rDiscount=x\r",
       {.Horizon = 7},
       {"Payback.ini: Discount was damaged; using 0."}},
      {"[Payback]\r\nHorizon=12.5\r\nDiscount=ten\r\nHeaterEfficiency=5\r\nUSGallons=2\r\n"
       "Co2PerKWh=0.3\r\nCo2PerCubicMetre=1e999\r\nCo2PerCub\r\nLater=1\r\n",  // cut short
       {.Co2PerKWh = 0.3},
       {"Payback.ini: Horizon was out of range; using 15.",
        "Payback.ini: Discount was damaged; using 0.",
        "Payback.ini: HeaterEfficiency was out of range; using 90.",
        "Payback.ini: USGallons was out of range; using 0.",
        "Payback.ini: Co2PerCubicMetre was damaged; using 0.",
        "Payback.ini: line 8 was damaged; ignored."}},
  };
  for (const Case& c : cases) {
    files.files["Data/Payback.ini"] = c.text;
    const PaybackSettingsReading reading = ReadPaybackSettings(files);
    EXPECT_EQ(reading.settings, c.expected) << c.text;
    EXPECT_EQ(reading.problems, c.problems) << c.text;
  }
  // Settings out of range are never written.
  EXPECT_FALSE(WritePaybackSettings(files, {.Horizon = 0}).ok());
  EXPECT_EQ(files.files["Data/Payback.ini"], cases[std::size(cases) - 1].text);
  files.FailAt(FileStep::Read);
  const PaybackSettingsReading reading = ReadPaybackSettings(files);
  EXPECT_EQ(reading.settings, PaybackSettings{});
  EXPECT_EQ(reading.problems,
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
  RC_ASSERT(reading.problems.empty());
  RC_ASSERT(reading.settings == settings);
}

}  // namespace
}  // namespace tolvarn
