// The worked examples of the help pages are what the program works out: every figure they show
// stands in the page as a number of its own.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "core/household.h"
#include "core/number_text.h"
#include "temp_dir.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

// Whether the help page `name` shows each of `texts` (pound signs as the pages write them) as a
// figure of its own, not a piece of a longer one.
void ExpectShown(const char* name, const std::vector<std::string>& texts) {
  const std::string page =
      testing::ReadFile(std::filesystem::path(TOLVARN_SOURCE_DIR) / "share/Help" / name);
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  for (std::string text : texts) {
    for (size_t at; (at = text.find("\u00A3")) != std::string::npos;)
      text.replace(at, 2, "&pound;");
    bool shown = false;
    for (size_t at = page.find(text); at != std::string::npos && !shown;
         at = page.find(text, at + 1))
      shown = !digit(page[at - 1]) && !digit(page[at + text.size()]);
    EXPECT_TRUE(shown) << name << ": " << text;
  }
}

TEST(HelpPages, TheHouseholdExampleIsTheProgramsOwn) {
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
    texts.insert(texts.end(), {FormatFixed(f.litresPerDay, 1),
                               FormatFixed(f.ownKWhPerDay + f.heaterKWhPerDay, 2),
                               "\u00A3" + FormatFixed(*f.costPerDay, 2)});
  ExpectShown("household.htm", texts);
}

using HelpPagesWindow = testing::WindowTest;

TEST_F(HelpPagesWindow, TheCostsAndPaybackExamplesAreTheProgramsOwn) {
  Start();
  Enter("1.5|1.8|95||2|5|65|1||45|1|450");
  window.Calc_Click();
  EXPECT_EQ(State().CostSaveLabel, "Cost Increase");
  std::vector<std::string> costs = {Text(Field::Item2W) + " litres",
                                    Text(Field::PeriodWater) + " litres"};
  for (const Field field : {Field::Item2WCost, Field::Item2SCost, Field::Item2Day, Field::Item2Qtr,
                            Field::Item2Period, Field::Item1Period, Field::PeriodSave})
    costs.push_back(Text(field));
  ExpectShown("costs.htm", costs);

  Enter("1.5|1.8|95||2|5|80|2||48|2|35");
  window.Calc_Click();
  ASSERT_TRUE(State().LastComparison);
  PaybackInputs inputs{{.EnergyPrice = 0.07, .Co2PerKWh = 0.18, .Co2PerCubicMetre = 0.34},
                       {{{0, 60}, {0, 60}}}};
  for (const bool metered : {true, false}) {  // without a meter, only the gas counts
    inputs.settings.Metered = metered;
    const PaybackResult result = WorkOutPayback(*State().LastComparison, inputs);
    ASSERT_TRUE(result.breakEven);
    std::vector<std::string> texts = {result.headline, FormatFixed(result.breakEven->years, 2)};
    for (const int year : metered ? std::vector<int>{1, 3, 15} : std::vector<int>{1}) {
      const PaybackYear& y = result.years[static_cast<size_t>(year)];
      for (const double figure : {y.cost[0], y.cost[1], y.difference})
        texts.push_back(FormatFixed(figure, 2));
      for (const double figure : {y.energy[0], y.energy[1], y.co2[0], y.co2[1]})
        if (metered && year == 1) texts.push_back(FormatFixed(figure, 1));
    }
    ExpectShown("payback.htm", texts);
  }
}

}  // namespace
}  // namespace tolvarn
