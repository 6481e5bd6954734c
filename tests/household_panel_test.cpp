// The Household window's logic without a toolkit: what it reads, offers, checks, shows, fills in
// for Compare and saves.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>

#include "files/household_file.h"
#include "files/payback_settings.h"
#include "shell/household_compare.h"
#include "shell/household_panel.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using enum HouseholdInput;

class HouseholdPanelTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    fake.files.AddDirectory("Data");
    Start();
  }
  static size_t PresetIndex(std::string_view name) {
    const auto& presets = FittingPresets();
    return std::ranges::find(presets, name, &FittingPreset::name) - presets.begin();
  }
  // Opens the window on a kept household of `people` and these presets' fittings.
  void Open(int people, std::initializer_list<std::string_view> presets) {
    Household household{.settings = {.People = people}, .fittings = {}};
    for (const std::string_view name : presets)
      household.fittings.push_back(FromPreset(FittingPresets().at(PresetIndex(name))));
    ASSERT_TRUE(WriteHousehold(fake.files, household).ok());
    panel.Open();
  }

  HouseholdPanel panel{window, fake.files, fake.boxes};
};

// Only a first-time user (no file at all) is asked, once: a No is kept on closing as an empty
// household (a Yes as the typical one: HouseholdGuiTest).
TEST_F(HouseholdPanelTest, AFirstTimeUserIsOfferedTheTypicalHouseholdOnce) {
  fake.boxes.Script({BoxAnswer::No});
  panel.Open();
  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  EXPECT_EQ(fake.boxes.Shown()[0].buttons, BoxButtons::YesNo);
  EXPECT_TRUE(panel.Close());
  HouseholdPanel again(window, fake.files, fake.boxes);
  again.Open();  // an unexpected question would throw
  EXPECT_EQ(again.Count(), 0u);
}

// A mixer shower for three: 8 x 7.5 x 4.4 / 7 x 3 = 113.142857 L and 4.386171 kWh a day; at 0.1
// a kWh and 3.21 a cubic metre 0.363189 + 0.438617 = 0.802 a day, 132.56 a year for the water.
TEST_F(HouseholdPanelTest, FiguresFollowTheTariffUnitsAndPaybackSettings) {
  ASSERT_TRUE(WritePaybackSettings(fake.files, {.EnergyPrice = 0.1}).ok());
  Open(3, {"Mixer shower"});
  EXPECT_EQ(panel.FigureTexts(0).kWh, "4.386");
  EXPECT_TRUE(
      panel.MoneyNotice().starts_with("Costs are shown once the water data pass their checks:\n"));
  EXPECT_EQ(panel.TotalText(), "113.1 litres a day");
  EXPECT_EQ(panel.PerPersonText(), "37.7 litres a person a day");

  Enter("1.5|1.8|95|0|0|5");  // a tariff that passes the checks: 3.21 a cubic metre
  EXPECT_TRUE(panel.Follow());
  EXPECT_FALSE(panel.Follow());  // nothing changed since
  EXPECT_EQ(panel.FigureTexts(0).cost, "\u00A30.802");
  EXPECT_EQ(panel.MeterText(),
            "With a meter the water and sewerage would cost \u00A3132.56 a year.\n"
            "Enter the unmetered bill to see whether a meter would pay.");
  panel.SetSettingText(UnmeteredBill, "100");  // even at 100 / (365 x 3.21) x 1000 L a day
  EXPECT_EQ(
      panel.MeterText(),
      "A water meter would cost \u00A332.56 a year more.\nWith a meter the water and "
      "sewerage would cost \u00A3132.56 a year.\nA meter costs the same at 85.3 litres a day.");

  // The Payback window's settings, once it holds valid ones, come before the file's.
  PaybackPanel payback(fake.files, fake.boxes);
  payback.Open();
  payback.SetText(PaybackInput::EnergyPrice, "0.2");
  panel.SetPayback(&payback);
  EXPECT_TRUE(panel.Follow());
  EXPECT_EQ(panel.FigureTexts(0).cost, "\u00A31.240");  // 0.363189 + 0.877234
  payback.SetText(PaybackInput::EnergyPrice, "x");
  EXPECT_TRUE(panel.Follow());
  EXPECT_EQ(panel.FigureTexts(0).cost, "\u00A30.802");
  window.SetCheckBox(Field::VolUnits1, 1);
  EXPECT_TRUE(panel.Follow());
  EXPECT_EQ(panel.TotalText(), "113.1 litres a day (24.9 gallons)");
}

// Every value that fails is listed at once and nothing is worked out until all pass. Closing
// writes only a change, and only what passed its checks; a failed write is said.
TEST_F(HouseholdPanelTest, EveryWrongValueIsListedAndOnlyWhatPassedIsKept) {
  Open(2, {"Mixer shower", "Washing machine"});
  fake.files.operations.clear();
  EXPECT_FALSE(panel.Close());
  EXPECT_TRUE(fake.files.operations.empty());
  panel.SetSettingText(StandingCharges, "20");
  panel.SetSettingText(People, "2.5");
  panel.SetSettingText(ColdSupply, "warm");
  panel.SetValueText(0, 0, "");
  EXPECT_EQ(panel.Messages().size(), 3u);  // People, the cold supply and the flow rate
  EXPECT_FALSE(panel.HasFigures());
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(panel.Status(), "Not saved: People must be a whole number from 1 to 20.");
  EXPECT_EQ(ReadHousehold(fake.files).household.settings,
            (HouseholdSettings{.People = 2, .ColdSupply = 10, .StandingCharges = 20}));

  panel.SetSettingText(People, " 4 ");
  panel.SetSettingText(ColdSupply, "12");
  panel.SetValueText(0, 0, "10");
  EXPECT_TRUE(panel.Messages().empty());
  EXPECT_EQ(panel.FigureTexts(0).litres, "188.6");  // 10 x 7.5 x 4.4 / 7 x 4 = 188.571 L
  panel.SetName(0, "Shower");
  panel.SetKind(1, FittingKind::Toilet);  // a new kind starts from its defaults
  EXPECT_EQ(panel.Row(0).name + "|" + panel.Row(1).name + "|" + panel.Row(1).texts[0],
            "Shower|Washing machine|6");
  EXPECT_EQ(panel.FigureTexts(1).litres, "106.1");  // 6 L x 4.42 flushes x 4 people
  fake.files.FailAt(FileStep::Write);
  EXPECT_FALSE(panel.Close());
  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  EXPECT_EQ(fake.boxes.Shown()[0].title, "Tolvarn Household File Error");
}

// Adding, removing and moving keep the list as a plain list of names would be kept, and never
// let it pass 30 fittings; the fitting chosen to compare stays the same fitting as the list is
// reordered or cut, and when it goes, the one in its place is chosen, with a copy of it.
RC_GTEST_FIXTURE_PROP(HouseholdPanelTest, EditsKeepTheListInOrder, ()) {
  fake.boxes.Script({BoxAnswer::No});
  panel.Open();
  std::vector<std::string> model;
  size_t chosen = 0;
  std::string replacement;
  const auto steps = *rc::gen::container<std::vector<std::pair<int, size_t>>>(
      rc::gen::pair(rc::gen::inRange(0, 5), rc::gen::inRange<size_t>(0, 40)));
  for (const auto& [what, at] : steps) {
    if (what == 0) {
      const size_t preset = at % FittingPresets().size();
      const bool room = model.size() < kMaxFittings;
      RC_ASSERT(panel.AddPreset(preset) == room);
      if (room) model.emplace_back(FittingPresets()[preset].name);
    } else if (what == 1) {
      panel.Remove(at);
      if (at >= model.size()) continue;
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
      if (chosen > at)
        --chosen;
      else if (chosen == at && !model.empty())
        replacement = model[chosen = std::min(at, model.size() - 1)];
    } else if (what == 4) {
      panel.SetCompareFitting(at);
      if (at < model.size()) replacement = model[chosen = at];
    } else {
      // Up from `at`, or down from it: the rows at `lower` and the one above it swap.
      const size_t lower = what == 2 ? at : at + 1;
      const bool moves = lower > 0 && lower < model.size();
      RC_ASSERT((what == 2 ? panel.MoveUp(at) : panel.MoveDown(at)) == moves);
      if (!moves) continue;
      std::swap(model[lower - 1], model[lower]);
      if (chosen == lower || chosen == lower - 1) chosen = 2 * lower - 1 - chosen;
    }
  }
  RC_ASSERT(panel.Count() == model.size());
  RC_ASSERT(panel.CompareFittingIndex() == chosen);
  RC_ASSERT(panel.Replacement().name == replacement);
  RC_ASSERT(panel.Figures()->fittings.size() == model.size());
  for (size_t i = 0; i < model.size(); ++i) {
    RC_ASSERT(panel.Row(i).name == model[i]);
    // The figures follow their rows.
    RC_ASSERT(
        panel.Figures()->fittings[i].litresPerDay ==
        WorkOutHousehold({{}, {FittingOf(panel.Row(i))}}, {}, {}, "").fittings[0].litresPerDay);
  }
}

// Compare puts a mixer shower (75.428571 L a day for two) into Item 1 and an electric shower
// (47.142857 L) with its price into Item 2, the hot shares and own energy into the Payback
// values, and calculates. What cannot be compared is said, and changes nothing.
TEST_F(HouseholdPanelTest, CompareFillsBothItemsAndCalculatesOrSaysWhyNot) {
  Open(2, {"Basin tap", "Mixer shower", "Washing machine"});
  EXPECT_EQ(panel.Replacement().name, "Basin tap");  // the first fitting's copy to start with
  Enter("1.5|1.8|95|0|0|5");
  panel.Follow();
  PaybackPanel payback(fake.files, fake.boxes);
  panel.SetCompareFitting(1);
  EXPECT_EQ(panel.Replacement().name, "Mixer shower");
  panel.SetReplacementPreset(PresetIndex("Electric shower"));
  panel.SetReplacementCost("25");
  panel.SetSettingText(ColdSupply, "25");  // 15 of the heater's 30 degrees: half the shower hot
  int calculated = 0;
  EXPECT_TRUE(panel.Compare(payback, [&] { ++calculated, window.Calc_Click(); }).empty());
  EXPECT_EQ(calculated, 1);
  EXPECT_TRUE(State().LastComparison.has_value());
  // Item 2's own heating: 47.142857 L x 15 degrees x 0.001163.
  using enum PaybackInput;
  EXPECT_EQ(payback.Text(Item1HotShare) + "|" + payback.Text(Item1OwnEnergy) + "|" +
                payback.Text(Item2HotShare) + "|" + payback.Text(Item2OwnEnergy).substr(0, 6),
            "50|0|0|0.8224");

  panel.SetName(3, "beyond the list");  // edits of what is not there change nothing
  panel.SetValueText(2, 3, "9");        // a washing machine has three values
  EXPECT_EQ(panel.Count(), 3u);
  EXPECT_EQ(panel.Row(2).texts[3], "");
  panel.SetValueText(2, 2, "0");  // no cycles a week: no water
  panel.SetName(2, "");           // called by its place in the list
  const auto never = [] { ADD_FAILURE() << "calculated"; };
  panel.SetCompareFitting(2);  // and a copy of it as the replacement
  EXPECT_EQ(
      panel.Compare(payback, never),
      (std::vector<std::string>{"Fitting 3 cannot be compared: it uses less than 1.0 a day.",
                                "Replacement cannot be compared: it uses less than 1.0 a day."}));
  panel.SetCompareFitting(1);
  panel.SetReplacementText(0, "99");
  EXPECT_EQ(panel.Compare(payback, never),
            (std::vector<std::string>{
                "Replacement (Mixer shower): Flow rate must be a number from 1 to 30."}));
  // More than 99 uses a day (30 L/min for an hour twice a day each for 20 people: 72000 L).
  for (const auto& [parameter, text] : {std::pair{0u, "30"}, {1u, "60"}, {2u, "14"}})
    panel.SetReplacementText(parameter, text);
  panel.SetSettingText(People, "20");
  EXPECT_EQ(panel.Compare(payback, never),
            (std::vector<std::string>{"Replacement (Mixer shower) cannot be compared: it " +
                                      std::string(kTooMuchForOneItem) + "."}));
  const auto fits = [](int uses, double kwh) { return FitsOneItem({uses, "", kwh, 0}); };
  EXPECT_TRUE(fits(99, 50));
  EXPECT_FALSE(fits(100, 1) || fits(1, 50.1));
  panel.SetSettingText(People, "0");
  EXPECT_EQ(panel.Compare(payback, never).size(), 1u);
  EXPECT_EQ(
      Text(Field::Item1Use) + "|" + Text(Field::Item2Cost) + "|" + payback.Text(Item1HotShare),
      "75.4|£25.00|50");
}

}  // namespace
}  // namespace tolvarn
