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
    for (size_t at; (at = text.find("\u00A3")) != std::string::npos;)
      text.replace(at, 2, "&pound;");
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    for (size_t at = page.find(text); at != std::string::npos; at = page.find(text, at + 1))
      if (!digit(page[at - 1]) && !digit(page[at + text.size()])) return true;
    return false;
  };
  Household household = TypicalHousehold();
  household.settings.UnmeteredBill = 450;
  const HouseholdFigures figures =
      WorkOutHousehold(household, {.EnergyPrice = 0.07, .OwnEnergyPrice = 0.28},
                       HouseholdTariff{1.5, 1.8, 95, 0, false}, "\u00A3");
  std::vector<std::string> texts = {
      FormatFixed(figures.litresPerDay, 1), FormatFixed(figures.litresPerPersonPerDay, 1),
      "\u00A3" + FormatFixed(*figures.meteredPerYear, 2),
      FormatFixed(*figures.breakEvenLitresPerDay, 0), figures.headline};
  for (const FittingFigures& f : figures.fittings)
    for (const std::string& text :
         {FormatFixed(f.litresPerDay, 1), FormatFixed(f.ownKWhPerDay + f.heaterKWhPerDay, 2),
          "\u00A3" + FormatFixed(*f.costPerDay, 2)})
      texts.push_back(text);
  for (const std::string& text : texts)
    EXPECT_TRUE(shown(text)) << text;
}

}  // namespace
}  // namespace tolvarn
