// The Payback window's logic without a toolkit: what it reads, works out, shows and saves.
#include <gtest/gtest.h>

#include <cmath>

#include "files/payback_settings.h"
#include "shell/payback_panel.h"
#include "tests/support/fake_platform.h"

namespace tolvarn {
namespace {

const CalculatedInputs kExample{.WaterCharge = 1.5,
                                .SewerageCharge = 1.8,
                                .SewerageAllowance = 95,
                                .Inflation = 2,
                                .items = {{{65, 1, 0}, {45, 1, 450}}}};

class PaybackPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.AddDirectory("Data");
    files.AddDirectory("/exports");
  }
  FakeFileSystem files;
  FakeMessageBoxes boxes;
  PaybackPanel panel{files, boxes};
  const std::string settings_path{kPaybackSettingsPath};
};

// A key of each caption's own, none of the form's; no free letter: no key rather than a clash.
TEST(PaybackTextsTest, AccessKeysNeverClash) {
  EXPECT_EQ(WithAccessKeys({"Tea", "Eat", "Salt & pepper"}, "t"),
            (std::vector<std::string>{"T&ea", "E&at", "&Salt && pepper"}));
  EXPECT_EQ(WithAccessKeys({"ab", "ab"}, ""), (std::vector<std::string>{"&ab", "a&b"}));
  EXPECT_EQ(WithAccessKeys({"ab", "ba", "ab"}, ""), (std::vector<std::string>{"&ab", "&ba", "ab"}));
}

TEST(PaybackTextsTest, AxisTicksAreRoundAndCoverTheRange) {
  struct Case {
    double low, high;
    std::vector<double> ticks;
  };
  for (const Case& c :
       {Case{-35, 120, {-50, 0, 50, 100, 150}}, Case{0, 0.42, {0, 0.1, 0.2, 0.3, 0.4, 0.5}},
        Case{0, 6, {0, 1, 2, 3, 4, 5, 6}}, Case{0, 0, {0, 1}}, Case{450, 450, {400, 500}},
        // No round step in doubles: the ends themselves.
        Case{-1.7e308, 1.7e308, {-1.7e308, 1.7e308}}, Case{0, 5e-324, {0, 5e-324}},
        Case{-5e-324, -5e-324, {-5e-324, 0}}, Case{1.7e308, 1.7e308, {0, 1.7e308}}}) {
    SCOPED_TRACE(c.high);
    const std::vector<double> ticks = AxisTicks(c.low, c.high, 6);
    ASSERT_EQ(ticks.size(), c.ticks.size());
    for (size_t i = 0; i < ticks.size(); ++i)
      EXPECT_NEAR(ticks[i], c.ticks[i], 1e-12 * std::abs(c.ticks[i])) << i;
  }
}

TEST(PaybackTextsTest, AxisTextsAreShortBeyondSixDigits) {
  const std::pair<std::vector<double>, std::vector<std::string>> cases[] = {
      {{-50, 0, 50}, {"-50", "0", "50"}},
      {{7}, {"7"}},
      {{0, 0.1, 0.2}, {"0.0", "0.1", "0.2"}},
      {{0, 500000, 1000000}, {"0", "5.0e5", "1.0e6"}},
      {{0, 1e27, 2e27, 3e27}, {"0", "1.0e27", "2.0e27", "3.0e27"}},
      {{1.2e7, 1.225e7, 1.25e7}, {"1.200e7", "1.225e7", "1.250e7"}},
      {{-1.7e308, 1.7e308}, {"-1.7e308", "1.7e308"}}};
  for (const auto& [ticks, texts] : cases)
    EXPECT_EQ(AxisTexts(ticks), texts);
}

// kExample for 4 years at 2 % inflation: a year of item 1 costs 65 x 365 / 1000 x (1.5 + 1.8 x
// 0.95) = 76.15725 at today's prices, of item 2 52.72425; times 1.02 + ... + 1.02^4 = 4.20404016.
TEST_F(PaybackPanelTest, TheTableShowsEachYearOfTheComparisonAndExportsIt) {
  panel.Open();  // no settings file, no comparison: the defaults, and nothing to export
  EXPECT_EQ(panel.Text(PaybackInput::Horizon), "15");
  EXPECT_EQ(panel.Notice(), "The payback compares both items: enter both and click Calculate.");
  EXPECT_FALSE(panel.Export("/tmp/never.csv"));
  panel.SetText(PaybackInput::Horizon, "4");
  ASSERT_TRUE(panel.Follow(kExample, "\u00A3"));
  ASSERT_EQ(panel.Rows(), 5);
  EXPECT_EQ(panel.Notice(), "");
  std::string row;
  for (int column = 0; column < PaybackPanel::kColumns; ++column)
    row += panel.Cell(4, column) + "|";
  EXPECT_EQ(row,
            "4|\u00A3320.17|\u00A3671.65|-\u00A3351.49|94900.0|65700.0|0.000|0.000|0.000|0.000|");
  EXPECT_EQ(MoneyText(-0.004, "$"), "$0.00");  // never a minus zero
  EXPECT_EQ(panel.ColumnTitle(4), "Item 1 water\n(litres)");
  // Item 2 is the dearer to buy: the totals are its savings against item 1.
  EXPECT_EQ(panel.Totals(),
            "Saved by Item 2 against Item 1 over 4 years (a minus sign: it costs or uses more)\n"
            "Money: -\u00A3351.49\nWater: 29200.0 litres\nEnergy: 0.000 kWh");
  for (const auto input : {PaybackInput::Co2PerKWh, PaybackInput::Co2PerCubicMetre}) {
    panel.SetText(input, "0.5");  // 20 L a day for 4 years at 0.5 kg per 1000 L: 14.6 kg
    EXPECT_NE(panel.Totals().find("\nCO2e: "), std::string::npos);
    panel.SetText(input, "0");
    EXPECT_EQ(panel.Totals().find("CO2e"), std::string::npos);  // only with a factor
  }
  panel.SetText(PaybackInput::Item2OwnEnergy, "0.1");  // 0.1 kWh a use for 4 years: 146 kWh more
  EXPECT_NE(panel.Totals().find("\nEnergy: -146.000 kWh"), std::string::npos) << panel.Totals();

  // The same comparison again changes nothing; another currency only the money texts.
  EXPECT_FALSE(panel.Follow(kExample, "\u00A3"));
  EXPECT_TRUE(panel.Follow(kExample, "$"));
  EXPECT_EQ(panel.Cell(0, 2), "$450.00");
  EXPECT_EQ(panel.Unit(PaybackInput::EnergyPrice), "$ per kWh");
  CalculatedInputs other = kExample;
  other.items[1].PurchaseCost = 449;
  EXPECT_TRUE(panel.Follow(other, "$"));
  EXPECT_EQ(panel.Cell(0, 2), "$449.00");
  EXPECT_TRUE(panel.Export("/exports/payback.csv"));
  EXPECT_EQ(files.files["/exports/payback.csv"], PaybackCsv(*panel.Result()));
  EXPECT_EQ(panel.Status(), "Exported to /exports/payback.csv");
  files.FailAt(FileStep::Rename);
  EXPECT_FALSE(panel.Export("/exports/other.csv"));
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, "Tolvarn Export Error");
  EXPECT_EQ(boxes.Shown()[0].text,
            "Unable to write the file\r\n/exports/other.csv\r\nNo space left on device\r\n"
            "The comparison has not been exported.");
  EXPECT_EQ(panel.Status(), "");  // no longer the last file written
}

// One message per failing input at once; nothing worked out or saved until all pass.
TEST_F(PaybackPanelTest, InvalidInputsShowEveryMessageAndStopTheResults) {
  panel.Open();
  panel.Follow(kExample, "\u00A3");
  panel.SetText(PaybackInput::Horizon, "51");
  panel.SetText(PaybackInput::Item2HotShare, "lots");
  ASSERT_EQ(panel.Messages().size(), 2u);
  EXPECT_EQ(panel.Notice(), panel.Messages()[0] + "\n" + panel.Messages()[1]);
  EXPECT_EQ(panel.Rows(), 0);
  EXPECT_EQ(panel.Totals(), "");
  EXPECT_FALSE(panel.CanExport());
  // Closed now, the valid changes are kept and the window says which was not.
  panel.SetText(PaybackInput::Discount, "2");
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(ReadPaybackSettings(files).settings, PaybackSettings{.Discount = 2});
  EXPECT_EQ(panel.Status(), "Not saved: " + panel.Messages()[0]);
  panel.SetText(PaybackInput::Horizon, "50");
  panel.SetText(PaybackInput::Item2HotShare, " 40 ");
  EXPECT_TRUE(panel.Messages().empty());
  EXPECT_EQ(panel.Rows(), 51);
}

TEST_F(PaybackPanelTest, TheSettingsAreSavedOnCloseOnlyWhenChanged) {
  PaybackSettings stored{.Horizon = 20, .EnergyPrice = 0.3, .Co2PerKWh = 0.21};
  files.files[settings_path] = PaybackSettingsText(stored);
  panel.Open();
  EXPECT_EQ(panel.Text(PaybackInput::EnergyPrice), "0.3");
  files.operations.clear();

  // Unchanged, changed and changed back, or only an item's value changed: nothing written.
  EXPECT_FALSE(panel.Close());
  panel.SetText(PaybackInput::Horizon, "12");
  panel.SetText(PaybackInput::Horizon, "20");
  panel.SetText(PaybackInput::Item1OwnEnergy, "1.2");
  EXPECT_FALSE(panel.Close());
  EXPECT_TRUE(files.operations.empty());

  // A failed save is shown and tried again at the next close; then saved once only.
  panel.SetText(PaybackInput::Discount, "3.5");
  panel.SetUSGallons(true);
  files.FailAt(FileStep::Write);
  EXPECT_FALSE(panel.Close());
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, "Tolvarn Payback Settings File Error");
  EXPECT_EQ(ReadPaybackSettings(files).settings, stored);
  files.operations.clear();
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(files.operations, std::vector<std::string>{"Replace " + settings_path});
  EXPECT_EQ(files.files[settings_path],
            "[Payback]\r\nHorizon=20\r\nDiscount=3.5\r\nEnergyPrice=0.3\r\nHeaterEfficiency=90\r\n"
            "TemperatureRise=30\r\nUSGallons=1\r\nCo2PerKWh=0.21\r\nCo2PerCubicMetre=0\r\n"
            "Metered=1\r\nOwnEnergyPrice=\r\n");
  EXPECT_FALSE(panel.Close());
  EXPECT_EQ(files.operations.size(), 1u);

  // Emptied on the way through a valid "0": the file's value stays, and the window says so.
  panel.SetText(PaybackInput::EnergyPrice, "0");
  panel.SetText(PaybackInput::EnergyPrice, "");
  EXPECT_FALSE(panel.Close());
  EXPECT_EQ(ReadPaybackSettings(files).settings.EnergyPrice, 0.3);
  ASSERT_EQ(panel.Messages().size(), 1u);
  EXPECT_EQ(panel.Status(), "Not saved: " + panel.Messages()[0]);
  panel.SetText(PaybackInput::EnergyPrice, "0.3");
  EXPECT_FALSE(panel.Close());
  EXPECT_EQ(panel.Status(), "");  // said once, not for ever
}

// Metered and the own energy price count at once and are kept like the other settings; an
// empty own price is not set, shown empty and saved empty.
TEST_F(PaybackPanelTest, MeteredAndTheOwnEnergyPriceCountAndAreKept) {
  panel.Open();
  EXPECT_TRUE(panel.Metered());
  EXPECT_EQ(panel.Text(PaybackInput::OwnEnergyPrice), "");
  panel.Follow(kExample, "\u00A3");
  EXPECT_EQ(panel.Unit(PaybackInput::OwnEnergyPrice), "\u00A3 per kWh");
  // Unmetered and with no energy, neither item costs anything to run: 450 is never made up.
  panel.SetMetered(false);
  EXPECT_EQ(panel.Headline(), "Item 2 does not pay for itself within 15 years.");
  // Item 2's 0.1 kWh a use at its own price: 365 x 0.1 x 0.3 a year; the energy price is 0.
  panel.SetText(PaybackInput::Item2OwnEnergy, "0.1");
  EXPECT_EQ(panel.Result()->yearlyCost[1], 0);
  panel.SetText(PaybackInput::OwnEnergyPrice, "0.3");
  EXPECT_NEAR(panel.Result()->yearlyCost[1], 10.95, 1e-12);
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(ReadPaybackSettings(files).settings,
            (PaybackSettings{.Metered = false, .OwnEnergyPrice = 0.3}));
  panel.SetMetered(true);
  panel.SetText(PaybackInput::OwnEnergyPrice, "");
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(ReadPaybackSettings(files).settings, PaybackSettings{});
}

// A damaged file never ends anything: its problems go to the status line, the defaults stand in.
TEST_F(PaybackPanelTest, ADamagedFileIsReportedOnTheStatusLine) {
  files.files[settings_path] = "[Payback]\r\nHorizon=900\r\n";
  panel.Open();
  EXPECT_NE(panel.Status().find("Horizon"), std::string::npos);
  EXPECT_EQ(panel.Text(PaybackInput::Horizon), "15");
  EXPECT_TRUE(boxes.Shown().empty());
  // Saving a change writes a sound file, which mends what the status line reported.
  panel.SetText(PaybackInput::Horizon, "16");
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(panel.Status(), "");
  EXPECT_TRUE(ReadPaybackSettings(files).problems.empty());
}

}  // namespace
}  // namespace tolvarn
