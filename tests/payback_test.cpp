// The payback model and its headlines, the checks of its inputs, and its settings file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/payback.h"
#include "files/payback_settings.h"
#include "platform/fake_file_system.h"
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

TEST(Payback, ChecksEveryInputAndNamesEachFailure) {
  std::array<std::string, kPaybackInputCount> texts;
  for (const PaybackInputInfo& info : PaybackInputTable())
    texts[static_cast<size_t>(info.input)] = TextOf(info.fallback);
  const auto at = [&](PaybackInput input) -> std::string& {
    return texts[static_cast<size_t>(input)];
  };
  at(PaybackInput::Horizon) = " 20 ";
  at(PaybackInput::Item2HotShare) = "1e2";
  PaybackInputs inputs;
  ASSERT_TRUE(CheckPaybackInputs(texts, inputs).empty());
  EXPECT_EQ(inputs.settings.Horizon, 20);
  EXPECT_EQ(inputs.items[1].HotShare, 100);

  // Every failure at once, in the table's order, and nothing taken over.
  at(PaybackInput::Horizon) = "15.5";
  at(PaybackInput::EnergyPrice) = "100.5";
  at(PaybackInput::HeaterEfficiency) = "9.99";
  at(PaybackInput::TemperatureRise) = "30 C";
  at(PaybackInput::Item1OwnEnergy) = "";
  EXPECT_EQ(CheckPaybackInputs(texts, inputs),
            (std::vector<std::string>{"Years shown must be a whole number from 1 to 50.",
                                      "Energy price must be a number from 0 to 100.",
                                      "Heater efficiency must be a number from 10 to 500.",
                                      "Temperature rise must be a number from 0 to 90.",
                                      "Item 1 energy per use must be a number from 0 to 50."}));
  EXPECT_EQ(inputs.settings.Horizon, 20);

  // Values already read fail alike, and are never worked out from.
  inputs.settings.Horizon = 51;
  inputs.settings.Co2PerKWh = std::nan("");
  EXPECT_EQ(CheckPaybackInputs(inputs),
            (std::vector<std::string>{"Years shown must be a whole number from 1 to 50.",
                                      "CO2e per kWh must be a number from 0 to 5."}));
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
      {"# LF ends, blanks, any order\n[Payback]\n  Discount = 2 \nHorizon=30\n\nUSGallons=1\n",
       {.Horizon = 30, .Discount = 2, .USGallons = true},
       {}},
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
  EXPECT_EQ(files.files["Data/Payback.ini"], cases[2].text);
  files.FailAt(FileStep::Read);
  const PaybackSettingsReading reading = ReadPaybackSettings(files);
  EXPECT_EQ(reading.settings, PaybackSettings{});
  EXPECT_EQ(reading.problems,
            std::vector<std::string>{"Payback.ini could not be read; using the defaults."});
}

}  // namespace
}  // namespace tolvarn
