// The Payback window's logic without a toolkit: what it reads, works out, shows and saves.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/number_text.h"
#include "files/payback_settings.h"
#include "platform/fake_platform.h"
#include "shell/payback_panel.h"

namespace tolvarn {
namespace {

CalculatedInputs Example() {
  CalculatedInputs c;
  c.WaterCharge = 1.5;
  c.SewerageCharge = 1.8;
  c.SewerageAllowance = 95;
  c.Inflation = 2;
  c.items[0] = {65, 1, 0};
  c.items[1] = {45, 1, 450};
  return c;
}

class PaybackPanelTest : public ::testing::Test {
 protected:
  FakeFileSystem files;
  FakeMessageBoxes boxes;
  PaybackPanel panel{files, boxes};

  void SetUp() override {
    files.AddDirectory("Data");
    files.AddDirectory("/exports");
  }

  bool Wrote(const std::string& path) const {
    return std::count(files.operations.begin(), files.operations.end(), "Replace " + path) > 0;
  }
};

TEST(PaybackTextsTest, MoneyKeepsItsSignBeforeTheSymbol) {
  for (const auto& [value, text] : {std::pair{-12.5, "-$12.50"},
                                    {-0.004, "$0.00"},
                                    {1.005, "$1.01"},
                                    {-1234567.891, "-$1234567.89"}})
    EXPECT_EQ(MoneyText(value, "$"), text) << value;
}

// Each caption gets a key of its own, none of the form's own keys, and a caption with no free
// letter gets none rather than a clash.
TEST(PaybackTextsTest, AccessKeysNeverClash) {
  EXPECT_EQ(WithAccessKeys({"Tea", "Eat", "Salt & pepper"}, "t"),
            (std::vector<std::string>{"T&ea", "E&at", "&Salt && pepper"}));
  EXPECT_EQ(WithAccessKeys({"ab", "ab"}, ""), (std::vector<std::string>{"&ab", "a&b"}));
  EXPECT_EQ(WithAccessKeys({"ab", "ba", "ab"}, ""), (std::vector<std::string>{"&ab", "&ba", "ab"}));
}

TEST(PaybackTextsTest, AxisTicksAreRoundAndCoverTheRange) {
  struct Case {
    const char* name;
    double low, high;
    std::vector<double> ticks;
  };
  for (const Case& c : {
           Case{"from zero", 0, 97, {0, 20, 40, 60, 80, 100}},
           Case{"below zero", -35, 120, {-50, 0, 50, 100, 150}},
           Case{"small money", 0, 0.42, {0, 0.1, 0.2, 0.3, 0.4, 0.5}},
           Case{"one year", 0, 1, {0, 0.2, 0.4, 0.6000000000000001, 0.8, 1}},
           Case{"nothing at all", 0, 0, {0, 1}},
           Case{"one value", 450, 450, {400, 500}},
       }) {
    const std::vector<double> ticks = AxisTicks(c.low, c.high, 6);
    ASSERT_EQ(ticks.size(), c.ticks.size()) << c.name;
    for (size_t i = 0; i < ticks.size(); ++i)
      EXPECT_NEAR(ticks[i], c.ticks[i], 1e-12) << c.name << " " << i;
  }
}

TEST_F(PaybackPanelTest, TheTableShowsEachYearOfTheComparison) {
  panel.Open();  // no settings file, no comparison: the defaults, and nothing to export
  EXPECT_EQ(panel.Text(PaybackInput::Horizon), "15");
  EXPECT_NE(panel.Notice().find("both items"), std::string::npos);
  EXPECT_FALSE(panel.Export("/tmp/never.csv"));
  EXPECT_TRUE(files.operations.empty());
  panel.SetText(PaybackInput::Horizon, "4");
  ASSERT_TRUE(panel.Follow(Example(), "\u00A3"));
  ASSERT_NE(panel.Result(), nullptr);
  const PaybackResult& result = *panel.Result();
  ASSERT_EQ(panel.Rows(), 5);
  EXPECT_EQ(panel.Notice(), "");
  for (int row = 0; row < panel.Rows(); ++row) {
    const PaybackYear& year = result.years[static_cast<size_t>(row)];
    EXPECT_EQ(panel.Cell(row, 0), std::to_string(row));
    EXPECT_EQ(panel.Cell(row, 2), MoneyText(year.cost[1], "\u00A3"));
    EXPECT_EQ(panel.Cell(row, 3), MoneyText(year.difference, "\u00A3"));
    EXPECT_EQ(panel.Cell(row, 4), FormatFixed(year.water[0], 1));
  }
  EXPECT_EQ(panel.Cell(0, 2), "\u00A3450.00");
  EXPECT_EQ(panel.Cell(4, 4), "94900.0");  // 65 litres a day for 4 years
  EXPECT_EQ(panel.ColumnTitle(4), "Item 1 water\n(litres)");
  // Item 2 is the dearer to buy: the totals are its savings against item 1.
  EXPECT_EQ(panel.Totals().substr(0, panel.Totals().find('\n')),
            "Saved by Item 2 against Item 1 over 4 years (a minus sign: it costs or uses more)");
  EXPECT_NE(panel.Totals().find("Water: 29200.0 litres"), std::string::npos);
  for (const auto input : {PaybackInput::Co2PerKWh, PaybackInput::Co2PerCubicMetre}) {
    EXPECT_EQ(panel.Totals().find("CO2e"), std::string::npos);  // only with a factor
    panel.SetText(input, "0.5");
    EXPECT_NE(panel.Totals().find("\nCO2e: "), std::string::npos);
    panel.SetText(input, "0");
  }

  // The same comparison again changes nothing; another currency only the money texts.
  EXPECT_FALSE(panel.Follow(Example(), "\u00A3"));
  EXPECT_TRUE(panel.Follow(Example(), "$"));
  EXPECT_EQ(panel.Cell(0, 2), "$450.00");
  EXPECT_EQ(panel.Unit(PaybackInput::EnergyPrice), "$ per kWh");
  // Without a comparison any more: nothing shown.
  EXPECT_TRUE(panel.Follow(std::nullopt, "$"));
  EXPECT_EQ(panel.Rows(), 0);
  EXPECT_FALSE(panel.CanExport());
}

// State: a comparison shown. Action: two inputs go wrong, then one is mended. Expected: one
// message per failing input at once, nothing worked out or exported until all pass.
TEST_F(PaybackPanelTest, InvalidInputsShowEveryMessageAndStopTheResults) {
  panel.Open();
  panel.Follow(Example(), "\u00A3");
  panel.SetText(PaybackInput::Horizon, "51");
  panel.SetText(PaybackInput::Item2HotShare, "lots");
  ASSERT_EQ(panel.Messages().size(), 2u);
  EXPECT_EQ(panel.Notice(), panel.Messages()[0] + "\n" + panel.Messages()[1]);
  EXPECT_EQ(panel.Rows(), 0);
  EXPECT_EQ(panel.Totals(), "");
  EXPECT_FALSE(panel.CanExport());
  EXPECT_FALSE(panel.Close());
  EXPECT_TRUE(files.operations.empty());
  panel.SetText(PaybackInput::Horizon, "50");
  EXPECT_EQ(panel.Messages().size(), 1u);
  panel.SetText(PaybackInput::Item2HotShare, " 40 ");
  EXPECT_TRUE(panel.Messages().empty());
  EXPECT_EQ(panel.Rows(), 51);
}

TEST_F(PaybackPanelTest, TheSettingsAreSavedOnCloseOnlyWhenChanged) {
  PaybackSettings stored;
  stored.Horizon = 20;
  stored.EnergyPrice = 0.3;
  files.files[std::string(kPaybackSettingsPath)] = PaybackSettingsText(stored);
  panel.Open();
  EXPECT_EQ(panel.Text(PaybackInput::EnergyPrice), "0.3");

  // Unchanged, or changed and changed back: nothing written.
  EXPECT_FALSE(panel.Close());
  panel.SetText(PaybackInput::Horizon, "12");
  panel.SetText(PaybackInput::Horizon, "20");
  EXPECT_FALSE(panel.Close());
  // An item's value is not a setting.
  panel.SetText(PaybackInput::Item1OwnEnergy, "1.2");
  EXPECT_FALSE(panel.Close());
  EXPECT_FALSE(Wrote(std::string(kPaybackSettingsPath)));

  panel.SetText(PaybackInput::Discount, "3.5");
  panel.SetUSGallons(true);
  EXPECT_TRUE(panel.Close());
  stored.Discount = 3.5;
  stored.USGallons = true;
  EXPECT_EQ(ReadPaybackSettings(files).settings, stored);
  // Saved once: closing again writes nothing more.
  files.operations.clear();
  EXPECT_FALSE(panel.Close());
  EXPECT_TRUE(files.operations.empty());
}

TEST_F(PaybackPanelTest, AFailedSaveIsShownAndTriedAgainNextTime) {
  panel.Open();
  panel.SetText(PaybackInput::Discount, "4");
  files.FailAt(FileStep::Write);
  EXPECT_FALSE(panel.Close());
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, "Tolvarn Payback Settings File Error");
  EXPECT_FALSE(files.files.contains(std::string(kPaybackSettingsPath)));
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(ReadPaybackSettings(files).settings.Discount, 4);
}

// A damaged file never ends anything: its problems go to the window's status line and the
// defaults stand in.
TEST_F(PaybackPanelTest, ADamagedFileIsReportedOnTheStatusLine) {
  files.files[std::string(kPaybackSettingsPath)] = "[Payback]\r\nHorizon=900\r\n";
  panel.Open();
  EXPECT_NE(panel.Status().find("Horizon"), std::string::npos);
  EXPECT_EQ(panel.Text(PaybackInput::Horizon), "15");
  EXPECT_TRUE(boxes.Shown().empty());
  // Reading happens once: a later Open does not read or report again.
  files.files[std::string(kPaybackSettingsPath)] = "[Payback]\r\nHorizon=30\r\n";
  panel.Open();
  EXPECT_EQ(panel.Text(PaybackInput::Horizon), "15");
  // Saving a change writes a sound file, which mends what the status line reported.
  panel.SetText(PaybackInput::Horizon, "16");
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(panel.Status(), "");
  EXPECT_TRUE(ReadPaybackSettings(files).problems.empty());
}

TEST_F(PaybackPanelTest, ExportWritesTheCsvOrSaysItCouldNot) {
  panel.Open();
  panel.Follow(Example(), "\u00A3");
  EXPECT_TRUE(panel.Export("/exports/payback.csv"));
  EXPECT_EQ(files.files["/exports/payback.csv"], PaybackCsv(*panel.Result()));
  files.FailAt(FileStep::Rename);
  EXPECT_FALSE(panel.Export("/exports/other.csv"));
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, "Tolvarn Export Error");
  EXPECT_NE(boxes.Shown()[0].text.find("/exports/other.csv"), std::string::npos);
  EXPECT_FALSE(files.files.contains("/exports/other.csv"));
}

TEST(PaybackComparisonTest, EveryValueCounts) {
  const std::optional<CalculatedInputs> base = Example();
  EXPECT_TRUE(SameComparison(base, Example()));
  EXPECT_FALSE(SameComparison(base, std::nullopt));
  const std::vector<void (*)(CalculatedInputs&)> changes = {
      [](CalculatedInputs& c) { c.WaterCharge += 0.01; },
      [](CalculatedInputs& c) { c.SewerageCharge = 0; },
      [](CalculatedInputs& c) { c.SewerageAllowance = 90; },
      [](CalculatedInputs& c) { c.TaxRate = 5; },
      [](CalculatedInputs& c) { c.Inflation = 3; },
      [](CalculatedInputs& c) { c.Gallons = true; },
      [](CalculatedInputs& c) { c.items[0].Use = 64; },
      [](CalculatedInputs& c) { c.items[1].UsesPerDay = 2; },
      [](CalculatedInputs& c) { c.items[1].PurchaseCost = 449; }};
  for (size_t i = 0; i < changes.size(); ++i) {
    std::optional<CalculatedInputs> changed = Example();
    changes[i](*changed);
    EXPECT_FALSE(SameComparison(base, changed)) << i;
  }
}

}  // namespace
}  // namespace tolvarn
