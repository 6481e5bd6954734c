// The household help page's worked example is what the program works out.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "core/household.h"
#include "core/number_text.h"
#include "temp_dir.h"

namespace tolvarn {
namespace {

TEST(HouseholdHelp, TheWorkedExampleIsTheProgramsOwn) {
  const std::string page =
      testing::ReadFile(std::filesystem::path(TOLVARN_SOURCE_DIR) / "share/Help/household.htm");
  // Whether the page shows `text` as a figure of its own, not a piece of a longer one.
  const auto shown = [&](std::string text) {
    if (text.starts_with("\u00A3")) text = "&pound;" + text.substr(2);
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    for (size_t at = page.find(text); at != std::string::npos; at = page.find(text, at + 1))
      if (!digit(page[at - 1]) && !digit(page[at + text.size()])) return true;
    return false;
  };
  Household household = TypicalHousehold();
  household.settings.UnmeteredBill = 450;
  PaybackSettings payback;
  payback.EnergyPrice = 0.07;
  payback.OwnEnergyPrice = 0.28;
  const HouseholdTariff tariff{1.5, 1.8, 95, 0, false};
  const HouseholdFigures figures = WorkOutHousehold(household, payback, tariff, "\u00A3");
  for (size_t i = 0; i < figures.fittings.size(); ++i) {
    const FittingFigures& f = figures.fittings[i];
    EXPECT_TRUE(shown(FormatFixed(f.litresPerDay, 1))) << i;
    EXPECT_TRUE(shown(FormatFixed(f.ownKWhPerDay + f.heaterKWhPerDay, 2))) << i;
    EXPECT_TRUE(shown("\u00A3" + FormatFixed(*f.costPerDay, 2))) << i;
  }
  EXPECT_TRUE(shown(FormatFixed(figures.litresPerDay, 1)));
  EXPECT_TRUE(shown(FormatFixed(figures.litresPerPersonPerDay, 1)));
  EXPECT_TRUE(shown("\u00A3" + FormatFixed(*figures.meteredPerYear, 2)));
  EXPECT_TRUE(shown(FormatFixed(*figures.breakEvenLitresPerDay, 0)));
  std::string headline = figures.headline;
  EXPECT_TRUE(shown(headline.replace(headline.find("\u00A3"), 2, "&pound;"))) << headline;
}

}  // namespace
}  // namespace tolvarn
