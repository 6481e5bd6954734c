// The payback comparison: the model year by year, its headlines, the checks of its inputs, the
// snapshot Calculate leaves for it, and its settings file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/payback.h"
#include "files/payback_settings.h"
#include "platform/fake_file_system.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

// A tariff where a unit of water costs 1 (1000 per 1000 units) and nothing else is charged, so
// that an item's yearly running cost is use x uses per day x 365.
CalculatedInputs PlainTariff() {
  CalculatedInputs c;
  c.WaterCharge = 1000;
  return c;
}

CalculatedItem Item(double use, double uses_per_day, double cost) {
  return {use, uses_per_day, cost};
}

PaybackInputs Horizon(int years) {
  PaybackInputs inputs;
  inputs.settings.Horizon = years;
  return inputs;
}

// Item 1 costs nothing to buy and `yearly` a year to run; item 2 costs `price` and nothing to
// run. Without inflation it pays back at price / yearly.
struct HeadlineCase {
  const char* meaning;
  double yearly_uses;  // item 1's uses a day with a use of 1: 365 x this a year
  double price;
  int horizon;
  const char* headline;
  double years;  // the break-even, or -1 for none
};

const HeadlineCase kHeadlines[] = {
    {"years and months, interpolated within the third year", 1, 1000, 15,
     "Item 2 pays for itself after 2 years 9 months.", 1000.0 / 365},
    {"a whole number of years is reached exactly", 1, 730, 15,
     "Item 2 pays for itself after 2 years.", 2},
    {"one year and one month take the singular", 12, 365 * 13, 15,
     "Item 2 pays for itself after 1 year 1 month.", 13.0 / 12},
    {"months alone", 2, 365, 15, "Item 2 pays for itself after 6 months.", 0.5},
    {"a month and a half rounds up to two", 24, 9855, 15,
     "Item 2 pays for itself after 1 year 2 months.", 1.125},
    {"eleven and a half months and more carry into the next year", 1, 365 * 2.97, 15,
     "Item 2 pays for itself after 3 years.", 2.97},
    {"less than half a month", 1, 10, 15, "Item 2 pays for itself within a month.", 10.0 / 365},
    {"not within the years shown", 1, 1000, 2, "Item 2 does not pay for itself within 2 years.",
     -1},
    {"not within one year, singular", 1, 1000, 1, "Item 2 does not pay for itself within 1 year.",
     -1},
    {"the last year shown still counts", 1, 1000, 3,
     "Item 2 pays for itself after 2 years 9 months.", 1000.0 / 365},
};

TEST(Payback, HeadlinesAndBreakEven) {
  for (const HeadlineCase& c : kHeadlines) {
    SCOPED_TRACE(c.meaning);
    CalculatedInputs calculated = PlainTariff();
    calculated.items = {Item(1, c.yearly_uses, 0), Item(0, 0, c.price)};
    const PaybackResult result = WorkOutPayback(calculated, Horizon(c.horizon));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.headline, c.headline);
    EXPECT_EQ(result.years.size(), static_cast<size_t>(c.horizon) + 1);
    if (c.years < 0) {
      EXPECT_FALSE(result.breakEven);
    } else {
      ASSERT_TRUE(result.breakEven);
      EXPECT_EQ(result.breakEven->item, 2);
      EXPECT_NEAR(result.breakEven->years, c.years, 1e-12);
    }
  }
}

TEST(Payback, TheDearerItemIsTheOneThatPaysBack) {
  // Item 1 dearer to buy and cheaper to run: it is the one named, either way round.
  CalculatedInputs calculated = PlainTariff();
  calculated.items = {Item(1, 1, 500), Item(2, 1, 0)};  // 365 and 730 a year
  const PaybackResult result = WorkOutPayback(calculated, Horizon(15));
  ASSERT_TRUE(result.breakEven);
  EXPECT_EQ(result.breakEven->item, 1);
  EXPECT_NEAR(result.breakEven->years, 500.0 / 365, 1e-12);
  EXPECT_EQ(result.headline, "Item 1 pays for itself after 1 year 4 months.");

  // Dearer to buy and dearer to run: never.
  calculated.items = {Item(3, 1, 500), Item(2, 1, 0)};
  EXPECT_EQ(WorkOutPayback(calculated, Horizon(50)).headline,
            "Item 1 does not pay for itself within 50 years.");
}

TEST(Payback, EqualPurchaseCostsCompareTheRunningCosts) {
  struct Case {
    double use1, use2;
    const char* headline;
  } const cases[] = {
      {2, 1, "Both items cost the same to buy; item 2 costs less to run."},
      {1, 2, "Both items cost the same to buy; item 1 costs less to run."},
      {1, 1, "Both items cost the same to buy and to run."},
  };
  for (const Case& c : cases) {
    CalculatedInputs calculated = PlainTariff();
    calculated.items = {Item(c.use1, 1, 80), Item(c.use2, 1, 80)};
    const PaybackResult result = WorkOutPayback(calculated, Horizon(5));
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.breakEven);
    EXPECT_EQ(result.headline, c.headline);
  }
}

TEST(Payback, InflationChargesYearIAtItsPriceAndTheDiscountTakesItBack) {
  struct Case {
    const char* meaning;
    double inflation, discount;
  } const cases[] = {{"inflation alone", 10, 0},
                     {"discount alone", 0, 7.5},
                     {"both", 4, 3},
                     {"both equal: every year at today's price", 6, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meaning);
    CalculatedInputs calculated = PlainTariff();
    calculated.Inflation = c.inflation;
    calculated.items = {Item(1, 1, 0), Item(0, 0, 300)};
    PaybackInputs inputs = Horizon(4);
    inputs.settings.Discount = c.discount;
    const PaybackResult result = WorkOutPayback(calculated, inputs);
    double total = 0;
    for (int y = 0; y <= 4; ++y) {
      if (y > 0) total += 365 * std::pow((1 + c.inflation / 100) / (1 + c.discount / 100), y);
      EXPECT_NEAR(result.years[static_cast<size_t>(y)].cost[0], total, 1e-9 * (1 + total));
      EXPECT_EQ(result.years[static_cast<size_t>(y)].cost[1], 300);
      EXPECT_EQ(result.years[static_cast<size_t>(y)].difference,
                result.years[static_cast<size_t>(y)].cost[0] - 300);
    }
    // The crossing lies in the first year: 300 against the first year's discounted 365.
    const double first = 365 * (1 + c.inflation / 100) / (1 + c.discount / 100);
    EXPECT_NEAR(result.breakEven->years, 300 / first, 1e-12);
  }
}

TEST(Payback, TheTariffIsChargedWithSewerageAndTax) {
  CalculatedInputs calculated;
  calculated.WaterCharge = 1.5;
  calculated.SewerageCharge = 2;
  calculated.SewerageAllowance = 95;
  calculated.TaxRate = 20;
  calculated.items = {Item(9, 4, 0), Item(6, 4, 300)};
  const PaybackResult result = WorkOutPayback(calculated, Horizon(1));
  // 36 litres a day: (1.5 + 2 x 0.95) / 1000 x 1.2 a litre.
  EXPECT_NEAR(result.yearlyCost[0], 36 * 365 * (1.5 + 1.9) / 1000 * 1.2, 1e-9);
  EXPECT_NEAR(result.yearlyCost[1], 24 * 365 * (1.5 + 1.9) / 1000 * 1.2, 1e-9);
  EXPECT_DOUBLE_EQ(result.years[1].water[0], 36 * 365);
}

// The energy that heats an item's water, and its CO2e, in litres and in either gallon.
TEST(Payback, HeatingEnergyWaterAndCo2) {
  struct Case {
    const char* meaning;
    bool gallons, us;
    double efficiency, own, hot;
    double litres_per_unit;
  } const cases[] = {
      {"litres, 90 % efficient heater, half of it hot", false, false, 90, 0, 50, 1},
      {"litres ignore the gallon choice", false, true, 90, 0, 50, 1},
      {"UK gallons", true, false, 90, 0, 50, 4.54609},
      {"US gallons", true, true, 90, 0, 50, 3.785411784},
      {"a heat pump above 100 % and the appliance's own energy", false, false, 300, 0.8, 100, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meaning);
    CalculatedInputs calculated = PlainTariff();
    calculated.Gallons = c.gallons;
    calculated.items = {Item(10, 2, 0), Item(0, 0, 100)};
    PaybackInputs inputs = Horizon(3);
    inputs.settings.USGallons = c.us;
    inputs.settings.HeaterEfficiency = c.efficiency;
    inputs.settings.TemperatureRise = 35;
    inputs.settings.EnergyPrice = 0.25;
    inputs.settings.Co2PerKWh = 0.2;
    inputs.settings.Co2PerCubicMetre = 0.7;
    inputs.items[0] = {c.own, c.hot};
    const PaybackResult result = WorkOutPayback(calculated, inputs);
    const double litres = 10 * c.litres_per_unit;
    const double per_use = c.own + litres * c.hot / 100 * 35 * 0.001163 / (c.efficiency / 100);
    const double energy = per_use * 2 * 365;
    const double co2 = energy * 0.2 + litres * 2 * 365 / 1000 * 0.7;
    EXPECT_NEAR(result.years[3].energy[0], 3 * energy, 1e-9);
    EXPECT_NEAR(result.years[3].co2[0], 3 * co2, 1e-9);
    EXPECT_NEAR(result.years[3].water[0], 3 * 10 * 2 * 365, 1e-9);  // in the window's units
    EXPECT_NEAR(result.yearlyCost[0], 10 * 2 * 365 + energy * 0.25, 1e-9);
    EXPECT_EQ(result.years[3].energy[1], 0);
    EXPECT_EQ(result.years[0].energy[0], 0);
  }
}

TEST(Payback, FiguresTooLargeAreNeverLetOut) {
  struct Case {
    const char* meaning;
    double charge, inflation, use;
  } const cases[] = {{"a charge near the top of the double range", 1e306, 0, 1e5},
                     {"inflation compounding past it", 1, 1e9, 1},
                     {"a use past it", 1, 0, 1e308}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meaning);
    CalculatedInputs calculated;
    calculated.WaterCharge = c.charge;
    calculated.Inflation = c.inflation;
    calculated.items = {Item(c.use, 10, 0), Item(0, 0, 1)};
    const PaybackResult result = WorkOutPayback(calculated, Horizon(50));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.years.empty());
    EXPECT_FALSE(result.breakEven);
    EXPECT_EQ(result.headline, "The payback figures are too large to work out.");
    EXPECT_EQ(PaybackCsv(result).find('\n'), PaybackCsv(result).size() - 1);  // header only
  }
}

TEST(Payback, CsvRowsPerYear) {
  CalculatedInputs calculated = PlainTariff();
  calculated.Gallons = true;
  calculated.items = {Item(1, 1, 0.005), Item(0.5, 1, 150)};
  PaybackInputs inputs = Horizon(2);
  inputs.settings.EnergyPrice = 1;
  inputs.settings.HeaterEfficiency = 100;
  inputs.settings.Co2PerKWh = 1;
  inputs.items[1] = {0.0015, 0};
  const std::string csv = PaybackCsv(WorkOutPayback(calculated, inputs));
  EXPECT_EQ(csv,
            "year,item1,item2,difference,item1Water,item2Water,item1Energy,item2Energy,item1Co2,"
            "item2Co2\r\n"
            "0,0.01,150.00,-150.00,0.0,0.0,0.000,0.000,0.000,0.000\r\n"
            "1,365.01,333.05,31.96,365.0,182.5,0.000,0.548,0.000,0.548\r\n"
            "2,730.01,516.10,213.91,730.0,365.0,0.000,1.095,0.000,1.095\r\n");
}

TEST(Payback, ChecksEveryTextAndNamesEachFailure) {
  const auto& table = PaybackInputTable();
  std::array<std::string, kPaybackInputCount> texts;
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(static_cast<size_t>(table[i].input), i) << table[i].name;
    texts[i] = TextOf(table[i].fallback);
  }
  PaybackInputs inputs;
  inputs.settings.USGallons = true;
  EXPECT_TRUE(CheckPaybackInputs(texts, inputs).empty());
  EXPECT_EQ(inputs.settings, PaybackSettings{.USGallons = true});

  texts[static_cast<size_t>(PaybackInput::Horizon)] = " 20 ";
  texts[static_cast<size_t>(PaybackInput::Discount)] = "3.5";
  texts[static_cast<size_t>(PaybackInput::Item2HotShare)] = "1e2";
  ASSERT_TRUE(CheckPaybackInputs(texts, inputs).empty());
  EXPECT_EQ(inputs.settings.Horizon, 20);
  EXPECT_EQ(inputs.settings.Discount, 3.5);
  EXPECT_EQ(inputs.items[1].HotShare, 100);

  // Every failure at once, in the table's order, and nothing taken over.
  const PaybackInputs before = inputs;
  texts[static_cast<size_t>(PaybackInput::Horizon)] = "15.5";
  texts[static_cast<size_t>(PaybackInput::HeaterEfficiency)] = "9.99";
  texts[static_cast<size_t>(PaybackInput::TemperatureRise)] = "30 C";
  texts[static_cast<size_t>(PaybackInput::Item1OwnEnergy)] = "";
  texts[static_cast<size_t>(PaybackInput::Item2HotShare)] = "100.01";
  texts[static_cast<size_t>(PaybackInput::Discount)] = "0";  // the bound itself is allowed
  EXPECT_EQ(CheckPaybackInputs(texts, inputs),
            (std::vector<std::string>{"Years shown must be a whole number from 1 to 50.",
                                      "Heater efficiency must be a number from 10 to 500.",
                                      "Temperature rise must be a number from 0 to 90.",
                                      "Item 1 energy per use must be a number from 0 to 50.",
                                      "Item 2 hot water share must be a number from 0 to 100."}));
  EXPECT_EQ(inputs.settings, before.settings);
  EXPECT_EQ(inputs.items, before.items);
}

TEST(Payback, ValuesAlreadyReadAreCheckedAlike) {
  PaybackInputs inputs;
  EXPECT_TRUE(CheckPaybackInputs(inputs).empty());
  inputs.settings.Horizon = 51;
  inputs.settings.Co2PerKWh = std::nan("");
  inputs.items[0].HotShare = -1;
  EXPECT_EQ(CheckPaybackInputs(inputs),
            (std::vector<std::string>{"Years shown must be a whole number from 1 to 50.",
                                      "CO2e per kWh must be a number from 0 to 5.",
                                      "Item 1 hot water share must be a number from 0 to 100."}));
  // Never worked out from values out of range.
  CalculatedInputs calculated = PlainTariff();
  calculated.items = {Item(1, 1, 0), Item(0, 0, 10)};
  const PaybackResult result = WorkOutPayback(calculated, inputs);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.years.empty());
}

// Calculate leaves what it compared for the payback comparison, and nothing otherwise.
class PaybackWindow : public WindowTest {
 protected:
  void SetUp() override { Start(); }
  // A money field's value without its currency symbol.
  double Money(Field field) {
    const std::string text = Text(field);
    EXPECT_TRUE(text.starts_with(fake.locale.symbol)) << text;
    return TextValue(std::string_view(text).substr(fake.locale.symbol.size()));
  }
};

TEST_F(PaybackWindow, CalculateKeepsWhatItReadBeforeTheCleanUp) {
  Set({{Field::WVCost, "1.23456"},
       {Field::SVCost, "1.5"},
       {Field::SVAllow, "95"},
       {Field::VRate, "5.55"},
       {Field::AnInfT, "2.25"},
       {Field::PPeriod, "5"},
       {Field::Item1Use, "9.87"},
       {Field::Item1UseD, "2.9"},
       {Field::Item2Use, "6"},
       {Field::Item2UseD, "3"},
       {Field::Item2Cost, "450.555"}});
  window.Calc_Click();
  ASSERT_TRUE(State().LastComparison);
  const CalculatedInputs& c = *State().LastComparison;
  EXPECT_EQ(Text(Field::WVCost), "\u00A31.2346");  // the clean-up rounds what is shown
  EXPECT_EQ(c.WaterCharge, 1.23456);
  EXPECT_EQ(c.SewerageCharge, 1.5);
  EXPECT_EQ(c.SewerageAllowance, 95);
  EXPECT_EQ(c.TaxRate, 5.55);
  EXPECT_EQ(c.Inflation, 2.25);
  EXPECT_FALSE(c.Gallons);
  EXPECT_EQ(c.items[0].Use, 9.8);
  EXPECT_EQ(c.items[0].UsesPerDay, 2);
  EXPECT_EQ(c.items[0].PurchaseCost, 0);
  EXPECT_EQ(c.items[1].Use, 6);
  EXPECT_EQ(c.items[1].UsesPerDay, 3);
  EXPECT_EQ(c.items[1].PurchaseCost, 450.555);

  // In gallons, and once more unchanged: the record is not logged again, the comparison stays.
  window.SetCheckBox(Field::VolUnits1, 1);
  window.Calc_Click();
  ASSERT_TRUE(State().LastComparison);
  EXPECT_TRUE(State().LastComparison->Gallons);
  window.Calc_Click();
  EXPECT_EQ(fields.Caption(Field::Status), "The Data Has Not Changed Since The Last Calculation");
  EXPECT_TRUE(State().LastComparison);
}

TEST_F(PaybackWindow, AnyOtherOutcomeAndClearLeaveNoComparison) {
  const auto compared = [&] {
    Set({{Field::WVCost, "1.5"},
         {Field::PPeriod, "5"},
         {Field::Item1Use, "9"},
         {Field::Item1UseD, "4"},
         {Field::Item2Use, "6"},
         {Field::Item2UseD, "4"},
         {Field::Item2Cost, "300"}});
    window.Calc_Click();
    ASSERT_TRUE(State().LastComparison);
  };
  compared();
  Set({{Field::Item2Use, ""}, {Field::Item2UseD, ""}, {Field::Item2Cost, ""}});
  window.Calc_Click();
  EXPECT_FALSE(State().LastComparison) << "item 2 empty";

  compared();
  Set({{Field::WVCost, "9"}});
  window.Calc_Click();
  EXPECT_EQ(fake.boxes.Shown().size(), 1u);
  EXPECT_FALSE(State().LastComparison) << "a check failed";

  compared();
  window.Clear_Click();
  EXPECT_FALSE(State().LastComparison) << "Clear";
}

// With no energy and no discount, the payback's cost after N whole years is the window's total
// over an N-year period, to the 32-bit precision of the window's inflation factors.
TEST_F(PaybackWindow, AgreesWithTheWindowsPeriodTotals) {
  struct Case {
    const char* meaning;
    const char *water, *sewerage, *allowance, *tax, *inflation, *period;
  } const cases[] = {
      {"no inflation, 5 years", "1.5", "2", "95", "20", "", "5"},
      {"10 % inflation, 10 years", "4.5", "3", "80", "", "10", "10"},
      {"deflation, 3 years, the part year not counted", "2.75", "", "", "17.5", "-12.5", "3.9"},
      {"high inflation, 7 years", "0.9", "1.1", "99", "5", "150", "7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meaning);
    Set({{Field::WVCost, c.water},
         {Field::SVCost, c.sewerage},
         {Field::SVAllow, c.allowance},
         {Field::VRate, c.tax},
         {Field::AnInfT, c.inflation},
         {Field::PPeriod, c.period},
         {Field::Item1Use, "65"},
         {Field::Item1UseD, "3"},
         {Field::Item1Cost, "20"},
         {Field::Item2Use, "45.5"},
         {Field::Item2UseD, "3"},
         {Field::Item2Cost, "450"}});
    window.Calc_Click();
    ASSERT_TRUE(State().LastComparison);
    const int whole_years = static_cast<int>(TextValue(c.period));
    const PaybackResult result = WorkOutPayback(*State().LastComparison, Horizon(whole_years));
    ASSERT_TRUE(result.ok);
    const PaybackYear& last = result.years.back();
    for (const auto& [k, field] : {std::pair{0, Field::Item1Period}, {1, Field::Item2Period}}) {
      const double shown = Money(field);  // to 2 decimals
      EXPECT_NEAR(last.cost[static_cast<size_t>(k)], shown, 0.005 + 1e-6 * std::fabs(shown) + 1e-9);
    }
  }
}

// The settings file.
class PaybackSettingsFile : public ::testing::Test {
 protected:
  PaybackSettingsFile() { files.AddDirectory("Data"); }
  PaybackSettingsReading Read(const std::string& text) {
    files.files[std::string(kPaybackSettingsPath)] = text;
    return ReadPaybackSettings(files);
  }
  FakeFileSystem files;
};

const PaybackSettings kSaved{20, 3.5, 0.285, 350, 42.5, true, 0.21, 0.344};

TEST_F(PaybackSettingsFile, WritesEveryValueAndReadsItBack) {
  ASSERT_TRUE(WritePaybackSettings(files, kSaved).ok());
  EXPECT_EQ(files.files.at("Data/Payback.ini"),
            "[Payback]\r\nHorizon=20\r\nDiscount=3.5\r\nEnergyPrice=0.285\r\n"
            "HeaterEfficiency=350\r\nTemperatureRise=42.5\r\nUSGallons=1\r\nCo2PerKWh=0.21\r\n"
            "Co2PerCubicMetre=0.344\r\n");
  EXPECT_EQ(files.operations, std::vector<std::string>{"Replace Data/Payback.ini"});
  const PaybackSettingsReading reading = ReadPaybackSettings(files);
  EXPECT_EQ(reading.settings, kSaved);
  EXPECT_TRUE(reading.problems.empty());
  EXPECT_FALSE(files.files.contains("Data/Tolvarn.ini"));
}

TEST_F(PaybackSettingsFile, AMissingFileGivesTheDefaultsQuietly) {
  const PaybackSettingsReading reading = ReadPaybackSettings(files);
  EXPECT_EQ(reading.settings, PaybackSettings{});
  EXPECT_TRUE(reading.problems.empty());
}

TEST_F(PaybackSettingsFile, ADamagedValueCostsThatValueOnly) {
  struct Case {
    const char* meaning;
    const char* text;
    PaybackSettings expected;
    std::vector<std::string> problems;
  } const cases[] = {
      {"LF line ends, blanks, comments, keys in any order",
       "# mine\n[Payback]\n  Discount = 2 \nHorizon=30\n\n; old\nUSGallons=1\n",
       {.Horizon = 30, .Discount = 2, .USGallons = true},
       {}},
      {"a value that is no number",
       "[Payback]\r\nHorizon=ten\r\nDiscount=4\r\n",
       {.Discount = 4},
       {"Payback.ini: Horizon was damaged; using 15."}},
      {"values out of range, a fraction of a year and a gallon choice of 2",
       "[Payback]\r\nHorizon=12.5\r\nEnergyPrice=101\r\nHeaterEfficiency=5\r\nUSGallons=2\r\n"
       "TemperatureRise=45\r\n",
       {.TemperatureRise = 45},
       {"Payback.ini: Horizon was out of range; using 15.",
        "Payback.ini: EnergyPrice was out of range; using 0.",
        "Payback.ini: HeaterEfficiency was out of range; using 90.",
        "Payback.ini: USGallons was out of range; using 0."}},
      {"a line cut short and an unknown key",
       "[Payback]\r\nCo2PerKWh=0.3\r\nCo2PerCub\r\nLater=1\r\n",
       {.Co2PerKWh = 0.3},
       {"Payback.ini: line 3 was damaged; ignored."}},
      {"a number beyond the double range",
       "Co2PerCubicMetre=1e999\r\n",
       {},
       {"Payback.ini: Co2PerCubicMetre was damaged; using 0."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meaning);
    const PaybackSettingsReading reading = Read(c.text);
    EXPECT_EQ(reading.settings, c.expected);
    EXPECT_EQ(reading.problems, c.problems);
  }
}

TEST_F(PaybackSettingsFile, AFileThatCannotBeReadGivesTheDefaults) {
  files.files["Data/Payback.ini"] = "[Payback]\r\nHorizon=30\r\n";
  for (const FileStep step : {FileStep::Open, FileStep::Read}) {
    files.FailAt(step);
    const PaybackSettingsReading reading = ReadPaybackSettings(files);
    EXPECT_EQ(reading.settings, PaybackSettings{});
    EXPECT_EQ(reading.problems,
              std::vector<std::string>{"Payback.ini could not be read; using the defaults."});
  }
  files.files.clear();
  files.AddDirectory("Data/Payback.ini");
  EXPECT_EQ(ReadPaybackSettings(files).problems.size(), 1u);
}

TEST_F(PaybackSettingsFile, AFailedWriteLeavesTheOldFileWhole) {
  ASSERT_TRUE(WritePaybackSettings(files, kSaved).ok());
  const std::string old_file = files.files.at("Data/Payback.ini");
  for (const FileStep step : {FileStep::Open, FileStep::Write, FileStep::Flush, FileStep::Rename}) {
    files.FailAt(step);
    EXPECT_EQ(WritePaybackSettings(files, PaybackSettings{}).failed, step);
    EXPECT_EQ(files.files.at("Data/Payback.ini"), old_file);
    EXPECT_EQ(files.files.size(), 1u);
  }
  // Settings out of range are never written: the file would not read back.
  PaybackSettings wrong;
  wrong.Horizon = 0;
  EXPECT_FALSE(WritePaybackSettings(files, wrong).ok());
  EXPECT_EQ(files.files.at("Data/Payback.ini"), old_file);
}

}  // namespace
}  // namespace tolvarn
