// The payback model and its headlines, the checks of its inputs, and its settings file.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/payback.h"
#include "files/payback_settings.h"
#include "tests/support/fake_file_system.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

// A unit of water costs 1 and nothing else is charged: a year's running cost is U x D x 365.
CalculatedInputs Plain(CalculatedItem item1, CalculatedItem item2, double inflation = 0) {
  return {.WaterCharge = 1000, .Inflation = inflation, .items = {item1, item2}};
}
PaybackInputs Shown(int years, double discount = 0) {
  return {.settings = {.Horizon = years, .Discount = discount}, .items = {}};
}

TEST(Payback, HeadlinesAndBreakEven) {
  struct Case {
    CalculatedItem item1, item2;  // use, uses a day, purchase cost
    int horizon;
    double years;  // -1: no break-even
    const char* headline;
  } const cases[] = {
      // Interpolated within the last year shown.
      {{1, 1, 0}, {0, 0, 1000}, 3, 1000.0 / 365, "Item 2 pays for itself after 2 years 9 months."},
      {{1, 1, 500}, {2, 1, 0}, 15, 500.0 / 365, "Item 1 pays for itself after 1 year 4 months."},
      // 11.64 months carry into a year.
      {{1, 1, 0}, {0, 0, 365 * 2.97}, 15, 2.97, "Item 2 pays for itself after 3 years."},
      {{1, 1, 0}, {0, 0, 10}, 15, 10.0 / 365, "Item 2 pays for itself within a month."},
      {{1, 1, 0}, {0, 0, 1000}, 2, -1, "Item 2 does not pay for itself within 2 years."},
      {{2, 1, 80}, {1, 1, 80}, 5, -1, "Both items cost the same to buy; item 2 costs less to run."},
      {{1, 1, 80}, {1, 1, 80}, 5, -1, "Both items cost the same to buy and to run."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headline);
    const PaybackResult result = WorkOutPayback(Plain(c.item1, c.item2), Shown(c.horizon));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.headline, c.headline);
    EXPECT_EQ(result.years.size(), static_cast<size_t>(c.horizon) + 1);
    EXPECT_NEAR(result.breakEven ? result.breakEven->years : -1, c.years, 1e-12);
  }
}

// Break-evens exactly on half a month or on the last year shown, from sums inexact in binary.
TEST(Payback, ExactHalvesAndExactYearsSurviveRounding) {
  struct Case {
    double charge;
    CalculatedItem item1, item2;
    int horizon;
    const char* headline;
  } const cases[] = {
      {1, {10, 1, 10.95}, {58, 1, 0}, 15, "Item 1 pays for itself after 8 months."},
      {1, {10, 1, 0.73}, {58, 1, 0}, 15, "Item 1 pays for itself after 1 month."},
      {1.2, {31, 4, 2079.77}, {101, 4, 0}, 50, "Item 1 pays for itself after 17 years."},
      {2, {14, 2, 1606}, {114, 2, 0}, 11, "Item 1 pays for itself after 11 years."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headline);
    const CalculatedInputs calculated{.WaterCharge = c.charge, .items = {c.item1, c.item2}};
    const PaybackResult result = WorkOutPayback(calculated, Shown(c.horizon));
    EXPECT_EQ(result.headline, c.headline);
  }
}

TEST(Payback, YearIIsChargedAtItsPriceAndDiscountedBack) {
  const double rates[][2] = {{10, 0}, {0, 7.5}, {4, 3}};  // inflation, discount
  for (const auto& [inflation, discount] : rates) {
    SCOPED_TRACE(inflation);
    const PaybackResult result =
        WorkOutPayback(Plain({1, 1, 0}, {0, 0, 300}, inflation), Shown(4, discount));
    double total = 0;
    for (size_t y = 1; y <= 4; ++y) {
      total += 365 * std::pow((1 + inflation / 100) / (1 + discount / 100), y);
      EXPECT_NEAR(result.years[y].cost[0], total, 1e-9 * total);
      EXPECT_EQ(result.years[y].difference, result.years[y].cost[0] - 300);
    }
    EXPECT_NEAR(result.breakEven->years, 300 / result.years[1].cost[0], 1e-12);
  }
}

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
    CalculatedInputs calculated = Plain({10, 2, 0}, {0, 0, 100});
    calculated.Gallons = c.gallons;
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

// Each item's yearly cost R_k = 365 x [water and sewerage + D_k x (e_k x E_o + heater_k x E)],
// the water and sewerage term dropped when unmetered. Item 1: 10 L twice a day, all of it
// warmed 30 degrees at 100 %: heater_1 = 10 x 30 x 0.001163 = 0.3489 kWh a use, e_1 = 0.5 kWh;
// water at 2 a cubic metre: 7.3 m3 x 2 = 14.60 a year; E = 0.10.
TEST(Payback, UnmeteredAndTheOwnEnergyPrice) {
  struct Case {
    bool metered;
    std::optional<double> own_price;
    double yearly;  // R_1
  } const cases[] = {
      {true, std::nullopt, 14.60 + 730 * 0.8489 * 0.10},         // 76.5697, as before
      {true, 0.30, 14.60 + 730 * (0.5 * 0.30 + 0.3489 * 0.10)},  // 149.5697
      {true, 0, 14.60 + 730 * 0.3489 * 0.10},                    // 40.0697: free, not unset
      {false, std::nullopt, 730 * 0.8489 * 0.10},                // 61.9697
      {false, 0.30, 730 * (0.5 * 0.30 + 0.3489 * 0.10)},         // 134.9697
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.yearly);
    const CalculatedInputs calculated{.WaterCharge = 2, .items = {{{10, 2, 0}, {0, 0, 100}}}};
    PaybackInputs inputs{.settings = {.Horizon = 2,
                                      .EnergyPrice = 0.10,
                                      .HeaterEfficiency = 100,
                                      .Metered = c.metered,
                                      .OwnEnergyPrice = c.own_price},
                         .items = {{{0.5, 100}, {}}}};
    const PaybackResult result = WorkOutPayback(calculated, inputs);
    ASSERT_TRUE(result.ok);
    EXPECT_NEAR(result.yearlyCost[0], c.yearly, 1e-9);
    EXPECT_NEAR(result.years[2].cost[0], 2 * c.yearly, 1e-9);
    EXPECT_EQ(result.yearlyCost[1], 0);
    // Only the money changes: the water and the energy are what they are.
    EXPECT_EQ(result.years[1].water[0], 7300);
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
PaybackInputs AnyInputs() {
  PaybackInputs in{.settings = {.Horizon = *rc::gen::inRange(1, 51),
                                .Discount = Between(0, 20),
                                .EnergyPrice = Between(0, 100),
                                .HeaterEfficiency = Between(10, 500),
                                .TemperatureRise = Between(0, 90),
                                .USGallons = *rc::gen::arbitrary<bool>(),
                                .Co2PerKWh = Between(0, 5),
                                .Co2PerCubicMetre = Between(0, 10)},
                   .items = {}};
  for (PaybackItemSettings& item : in.items)
    item = {Between(0, 50), Between(0, 100)};
  return in;
}

bool Same(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}
bool Same(const PaybackResult& a, const PaybackResult& b) {
  if (a.ok != b.ok || a.headline != b.headline || a.years.size() != b.years.size() ||
      a.breakEven.has_value() != b.breakEven.has_value())
    return false;
  if (a.breakEven &&
      (a.breakEven->item != b.breakEven->item || !Same(a.breakEven->years, b.breakEven->years)))
    return false;
  for (size_t k = 0; k < 2; ++k)
    if (!Same(a.yearlyCost[k], b.yearlyCost[k])) return false;
  for (size_t y = 0; y < a.years.size(); ++y) {
    const PaybackYear &p = a.years[y], &q = b.years[y];
    if (p.year != q.year || !Same(p.difference, q.difference)) return false;
    for (size_t k = 0; k < 2; ++k)
      if (!Same(p.cost[k], q.cost[k]) || !Same(p.water[k], q.water[k]) ||
          !Same(p.energy[k], q.energy[k]) || !Same(p.co2[k], q.co2[k]))
        return false;
  }
  return true;
}

// Metered with no own energy price is what there was before either setting: an own price equal
// to the energy price changes no bit of any figure, and one price is applied to a year's kWh
// as a whole (unmetered, the cost is exactly kWh x E).
RC_GTEST_PROP(PaybackProperty, OneEnergyPriceLeavesEveryFigureAsItWas, ()) {
  const CalculatedInputs calculated = AnyComparison();
  PaybackInputs unset = AnyInputs();
  PaybackInputs same = unset;
  same.settings.OwnEnergyPrice = unset.settings.EnergyPrice;
  const PaybackResult result = WorkOutPayback(calculated, unset);
  RC_ASSERT(Same(result, WorkOutPayback(calculated, same)));
  unset.settings.Metered = false;
  const PaybackResult energy_only = WorkOutPayback(calculated, unset);
  for (size_t k = 0; k < 2; ++k)
    RC_ASSERT(
        Same(energy_only.yearlyCost[k], result.years[1].energy[k] * unset.settings.EnergyPrice));
}

TEST(Payback, ChecksEveryInputAndNamesEachFailure) {
  std::array<std::string, kPaybackInputCount> texts;
  for (const PaybackInputInfo& info : PaybackInputTable())
    texts[static_cast<size_t>(info.input)] = PaybackInputText({}, info.input);
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
  at(PaybackInput::Horizon) = "15.5";
  at(PaybackInput::EnergyPrice) = "100.5";
  at(PaybackInput::HeaterEfficiency) = "9.99";
  at(PaybackInput::TemperatureRise) = "30 C";
  at(PaybackInput::OwnEnergyPrice) = "-0.1";
  at(PaybackInput::Item1OwnEnergy) = "";
  EXPECT_EQ(CheckPaybackInputs(texts, inputs),
            (std::vector<std::string>{"Years shown must be a whole number from 1 to 50.",
                                      "Energy price must be a number from 0 to 100.",
                                      "Heater efficiency must be a number from 10 to 500.",
                                      "Temperature rise must be a number from 0 to 90.",
                                      "Own energy price must be a number from 0 to 100.",
                                      "Item 1 energy per use must be a number from 0 to 50."}));
  EXPECT_EQ(inputs.settings.Horizon, 20);

  // Values already read fail alike, and are never worked out from.
  inputs.settings.Horizon = 51;
  inputs.settings.Co2PerKWh = std::nan("");
  inputs.settings.OwnEnergyPrice = 100.01;
  EXPECT_EQ(CheckPaybackInputs(inputs),
            (std::vector<std::string>{"Years shown must be a whole number from 1 to 50.",
                                      "CO2e per kWh must be a number from 0 to 5.",
                                      "Own energy price must be a number from 0 to 100."}));
  EXPECT_FALSE(WorkOutPayback(Plain({1, 1, 0}, {0, 0, 10}), inputs).ok);
}

using PaybackWindow = testing::WindowTest;

// With no energy and no discount, N years cost the window's N-year total (to its 32-bit factors).
TEST_F(PaybackWindow, AgreesWithTheWindowsPeriodTotals) {
  const Field tariff[] = {Field::WVCost, Field::SVCost, Field::SVAllow,
                          Field::VRate,  Field::AnInfT, Field::PPeriod};
  const std::array<const char*, 6> tariffs[] = {{"1.5", "2", "95", "20", "", "5"},
                                                {"2.75", "1.1", "99", "17.5", "-12.5", "3.9"},
                                                {"0.9", "", "", "5", "150", "7"}};
  Start();
  Enter("||||||65|4|20|45.5|4|300");
  for (const auto& t : tariffs) {
    for (size_t i = 0; i < t.size(); ++i)
      fields.SetText(tariff[i], t[i]);
    window.Calc_Click();
    ASSERT_TRUE(State().LastComparison) << t[0];
    const auto years = static_cast<int>(TextValue(t[5]));
    const PaybackYear last = WorkOutPayback(*State().LastComparison, Shown(years)).years.back();
    for (const auto& [k, field] : {std::pair{0, Field::Item1Period}, {1, Field::Item2Period}}) {
      const double shown = TextValue(Text(field).substr(fake.locale.symbol.size()));
      EXPECT_NEAR(last.cost[static_cast<size_t>(k)], shown, 0.005 + 1e-6 * shown) << t[0];
    }
  }
  // Clear takes the results away, and the comparison that described them with them.
  window.Clear_Click();
  EXPECT_FALSE(State().LastComparison.has_value());
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
      {"[Payback]\r\nOwnEnergyPrice= 0.28\r\nMetered=0\r\n",
       {.Metered = false, .OwnEnergyPrice = 0.28},
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

// Whatever is saved reads back as it was: every double whole, the yes/no settings, and the own
// energy price set or not.
RC_GTEST_PROP(PaybackSettingsFile, WhatIsWrittenReadsBack, ()) {
  // Any double in a range, not only short ones.
  const auto any = [](double low, double high) {
    return low + (high - low) * (*rc::gen::inRange<int64_t>(0, int64_t{1} << 53)) / 0x1p53;
  };
  PaybackSettings settings{.Horizon = *rc::gen::inRange(1, 51),
                           .Discount = any(0, 20),
                           .EnergyPrice = any(0, 100),
                           .HeaterEfficiency = any(10, 500),
                           .TemperatureRise = any(0, 90),
                           .USGallons = *rc::gen::arbitrary<bool>(),
                           .Co2PerKWh = any(0, 5),
                           .Co2PerCubicMetre = any(0, 10),
                           .Metered = *rc::gen::arbitrary<bool>()};
  if (*rc::gen::arbitrary<bool>()) settings.OwnEnergyPrice = any(0, 100);
  FakeFileSystem files;
  files.AddDirectory("Data");
  RC_ASSERT(WritePaybackSettings(files, settings).ok());
  const PaybackSettingsReading reading = ReadPaybackSettings(files);
  RC_ASSERT(reading.problems.empty());
  RC_ASSERT(reading.settings == settings);
}

}  // namespace
}  // namespace tolvarn
