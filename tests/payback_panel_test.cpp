// The Payback window's logic without a toolkit: what it reads, shows, exports and saves.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "files/payback_settings.h"
#include "shell/payback_panel.h"
#include "tests/support/fake_platform.h"

namespace tolvarn {
namespace {

using enum PaybackInput;

// A year of item 1 costs 65 x 365 / 1000 x (1.5 + 1.8 x 0.95) = 76.15725 at today's prices, of
// item 2 52.72425, each year 2 % more; item 2 costs 450 to buy.
const CalculatedInputs kExample{1.5, 1.8, 95, 0, 2, false, {{{65, 1, 0}, {45, 1, 450}}}};

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
  EXPECT_EQ(WithAccessKeys({"Tea", "Eat", "Salt & pepper", "Top up"}, "t"),
            (std::vector<std::string>{"T&ea", "E&at", "&Salt && pepper", "Top &up"}));
  EXPECT_EQ(WithAccessKeys({"ab", "ba", "ab", "1 %"}, ""),
            (std::vector<std::string>{"&ab", "&ba", "ab", "1 %"}));
}

// Round steps that cover the range (where doubles hold none, the ends themselves), and texts as
// short as they can be read.
TEST(PaybackTextsTest, AxisTicksAreRoundAndTheirTextsShort) {
  // clang-format off
  const std::tuple<double, double, std::vector<double>> ticks[] = {
      {-35, 120, {-50, 0, 50, 100, 150}}, {0, 0.42, {0, 0.1, 0.2, 0.3, 0.4, 0.5}},
      {0, 6, {0, 1, 2, 3, 4, 5, 6}}, {0, 0, {0, 1}}, {450, 450, {400, 500}},
      {-1.7e308, 1.7e308, {-1.7e308, 1.7e308}}, {0, 5e-324, {0, 5e-324}},
      {-5e-324, -5e-324, {-5e-324, 0}}, {1.7e308, 1.7e308, {0, 1.7e308}}};
  const std::pair<std::vector<double>, std::vector<std::string>> texts[] = {
      {{-50, 0, 50}, {"-50", "0", "50"}}, {{7}, {"7"}}, {{0, 0.1, 0.2}, {"0.0", "0.1", "0.2"}},
      {{0, 0.5, 1}, {"0.0", "0.5", "1.0"}}, {{0, 0.5}, {"0.0", "0.5"}},
      {{0, 500000, 1000000}, {"0", "5.0e5", "1.0e6"}}, {{1234567, 1234568}, {"1.234567e6", "1.234568e6"}},
      {{1.2e7, 1.225e7, 1.25e7}, {"1.200e7", "1.225e7", "1.250e7"}},
      {{-1.7e308, 1.7e308}, {"-1.7e308", "1.7e308"}}};
  // clang-format on
  for (const auto& [low, high, expected] : ticks) {
    const std::vector<double> got = AxisTicks(low, high, 6);
    ASSERT_EQ(got.size(), expected.size()) << high;
    for (size_t i = 0; i < got.size(); ++i)
      EXPECT_NEAR(got[i], expected[i], 1e-12 * std::abs(expected[i])) << high;
  }
  for (const auto& [values, expected] : texts)
    EXPECT_EQ(AxisTexts(values), expected);
}

TEST_F(PaybackPanelTest, TheTableShowsEachYearOfTheComparisonAndExportsIt) {
  panel.Open();  // no comparison: nothing to export
  EXPECT_EQ(panel.Notice(), "The payback compares both items: enter both and click Calculate.");
  EXPECT_FALSE(panel.Export("/exports/never.csv"));
  panel.SetText(Horizon, "1");
  ASSERT_TRUE(panel.Follow(kExample, "\u00A3"));
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
  EXPECT_TRUE(panel.Totals().starts_with("Saved by Item 2 against Item 1 over 1 year ("));

  // 4 years at 1.02 + ... + 1.02^4 = 4.20404016; item 2, the dearer to buy, saves against item 1.
  panel.SetText(Horizon, "4");
  ASSERT_EQ(panel.Rows(), 5);
  std::string row;
  for (int column = 0; column < PaybackPanel::kColumns; ++column)
    row += panel.Cell(4, column) + "|";
  EXPECT_EQ(row,
            "4|\u00A3320.17|\u00A3671.65|-\u00A3351.49|94900.0|65700.0|0.000|0.000|0.000|0.000|");
  EXPECT_EQ(MoneyText(-0.004, "$"), "$0.00");  // never a minus zero
  EXPECT_EQ(panel.ColumnTitle(4), "Item 1 water\n(litres)");
  // Item 2's 0.1 kWh a use: 146 kWh more; 0.5 kg CO2e per 1000 L of 29200 L saved: 14.6 kg.
  panel.SetText(Item2OwnEnergy, "0.1");
  panel.SetText(Co2PerCubicMetre, "0.5");
  EXPECT_EQ(panel.Totals(),
            "Saved by Item 2 against Item 1 over 4 years (a minus sign: it costs or uses more)\n"
            "Money: -\u00A3351.49\nWater: 29200.0 litres\nEnergy: -146.000 kWh\nCO2e: 14.600 kg");
  panel.SetText(Co2PerCubicMetre, "0");
  panel.SetText(Co2PerKWh, "0.5");
  EXPECT_TRUE(panel.Totals().ends_with("\nCO2e: -73.000 kg"));
  panel.SetText(Co2PerKWh, "0");
  EXPECT_EQ(panel.Totals().find("CO2e"), std::string::npos);  // only with a factor
  // Unmetered, with no energy price, neither item costs anything to run.
  panel.SetMetered(false);
  EXPECT_EQ(panel.Headline(), "Item 2 does not pay for itself within 4 years.");

  // The same comparison again changes nothing; another currency only the money texts.
  EXPECT_FALSE(panel.Follow(kExample, "\u00A3"));
  EXPECT_TRUE(panel.Follow(kExample, "$"));
  EXPECT_EQ(panel.Cell(0, 2), "$450.00");
  EXPECT_EQ(panel.Unit(EnergyPrice) + "|" + panel.Unit(OwnEnergyPrice), "$ per kWh|$ per kWh");

  // One message per failing input at once, and no results until all pass.
  panel.SetText(Horizon, "51");
  panel.SetText(Item2HotShare, "lots");
  ASSERT_EQ(panel.Messages().size(), 2u);
  EXPECT_EQ(panel.Notice(), panel.Messages()[0] + "\n" + panel.Messages()[1]);
  EXPECT_EQ(panel.Rows(), 0);
  EXPECT_EQ(panel.Totals(), "");
  EXPECT_FALSE(panel.CanExport());
}

// Only a change is written, and only what passes its checks; the item values never are. A
// damaged file's problems go to the status line until a sound file is written.
TEST_F(PaybackPanelTest, TheSettingsAreSavedOnCloseOnlyWhenChanged) {
  const PaybackSettings stored{.Horizon = 20, .EnergyPrice = 0.3, .Co2PerKWh = 0.21};
  files.files[settings_path] = PaybackSettingsText(stored) + "Co2PerCubicMetre=x\r\n";
  panel.Open();
  EXPECT_EQ(panel.Status(), "Payback.ini: Co2PerCubicMetre was damaged; using 0.");
  EXPECT_EQ(panel.Text(OwnEnergyPrice), "");
  files.operations.clear();
  EXPECT_FALSE(panel.Close());
  panel.SetText(Horizon, "12");
  panel.SetText(Horizon, "20");
  panel.SetText(Item1OwnEnergy, "1.2");
  EXPECT_FALSE(panel.Close());
  EXPECT_TRUE(files.operations.empty());

  // A failed save is shown and tried again at the next close; then saved once only.
  panel.SetText(Discount, "3.5");
  panel.SetUSGallons(true);
  files.FailAt(FileStep::Write);
  EXPECT_FALSE(panel.Close());
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, "Tolvarn Payback Settings File Error");
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(files.files[settings_path],
            "[Payback]\r\nHorizon=20\r\nDiscount=3.5\r\nEnergyPrice=0.3\r\nHeaterEfficiency=90\r\n"
            "TemperatureRise=30\r\nUSGallons=1\r\nCo2PerKWh=0.21\r\nCo2PerCubicMetre=0\r\n"
            "Metered=1\r\nOwnEnergyPrice=\r\n");
  EXPECT_EQ(panel.Status(), "");
  EXPECT_FALSE(panel.Close());

  // Emptied on the way through a valid "0": the file's value stays, the valid changes are kept,
  // and the window says which was not, once.
  panel.SetText(EnergyPrice, "0");
  panel.SetText(EnergyPrice, "");
  panel.SetText(OwnEnergyPrice, "0.28");
  EXPECT_TRUE(panel.Close());
  const PaybackSettings saved = ReadPaybackSettings(files).settings;
  EXPECT_TRUE(saved.EnergyPrice == 0.3 && saved.OwnEnergyPrice == 0.28);
  EXPECT_EQ(panel.Status(), "Not saved: Energy price must be a number from 0 to 100.");
  panel.SetText(EnergyPrice, "0.3");
  EXPECT_FALSE(panel.Close());
  EXPECT_EQ(panel.Status(), "");
}

}  // namespace
}  // namespace tolvarn
