// The Household window's logic without a toolkit: what it reads, offers, checks, works out,
// fills in for Compare and saves.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>

#include "core/item_fields.h"
#include "files/household_file.h"
#include "files/payback_settings.h"
#include "shell/household_compare.h"
#include "shell/household_panel.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

const std::string kPath{kHouseholdPath};

class HouseholdPanelTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    fake.files.AddDirectory("Data");
    Start();
  }
  // A tariff that passes the checks: W 1.5, S 1.8, A 95 %, no tax.
  void EnterTariff() { Enter("1.5|1.8|95|0|0|5"); }
  void Keep(const Household& household) { ASSERT_TRUE(WriteHousehold(fake.files, household).ok()); }
  void KeepPayback(double energy_price) {
    ASSERT_TRUE(WritePaybackSettings(fake.files, {.EnergyPrice = energy_price}).ok());
  }
  // People and the fittings of these presets, by name.
  static Household Of(int people, std::initializer_list<std::string_view> presets) {
    Household household;
    household.settings.People = people;
    for (const std::string_view name : presets)
      for (const FittingPreset& preset : FittingPresets())
        if (preset.name == name) household.fittings.push_back(FromPreset(preset));
    return household;
  }
  static size_t PresetIndex(std::string_view name) {
    for (size_t i = 0; i < FittingPresets().size(); ++i)
      if (FittingPresets()[i].name == name) return i;
    ADD_FAILURE() << name;
    return 0;
  }

  HouseholdPanel panel{window, fake.files, fake.boxes};
};

// Only a first-time user (no file at all) is asked, once: either answer is kept on closing.
TEST_F(HouseholdPanelTest, AFirstTimeUserIsOfferedTheTypicalHouseholdOnce) {
  for (const BoxAnswer answer : {BoxAnswer::Yes, BoxAnswer::No}) {
    fake.files.files.erase(kPath);
    HouseholdPanel first(window, fake.files, fake.boxes);
    fake.boxes.Script({answer});
    first.Open();
    ASSERT_EQ(fake.boxes.Shown().size(), 1u);
    EXPECT_EQ(fake.boxes.Shown()[0].buttons, BoxButtons::YesNo);
    const size_t typical = TypicalHousehold().fittings.size();
    EXPECT_EQ(first.Count(), answer == BoxAnswer::Yes ? typical : 0u);
    EXPECT_TRUE(first.Close());
    fake.boxes.Clear();

    HouseholdPanel again(window, fake.files, fake.boxes);
    again.Open();  // an unexpected question would throw
    EXPECT_TRUE(fake.boxes.Shown().empty());
    EXPECT_EQ(again.Count(), first.Count());
  }
}

// One fitting's figures by hand: a mixer shower for three people, 8 L/min x 7.5 min x 4.4 a
// week / 7 x 3 = 113.142857 L a day, all of it warmed (40 - 10 >= 30) by a heater of 90 %:
// 113.142857 x 30 x 0.001163 / 0.9 = 4.386171 kWh; cost 0.113142857 m3 x (1.5 + 1.8 x 0.95)
// = 0.363189 and 4.386171 kWh x 0.1 = 0.438617, 0.801806 in all.
TEST_F(HouseholdPanelTest, FiguresFollowTheTariffUnitsAndPaybackSettings) {
  Keep(Of(3, {"Mixer shower"}));
  KeepPayback(0.1);
  panel.Open();
  ASSERT_TRUE(panel.HasFigures());
  EXPECT_EQ(panel.FigureTexts(0).litres, "113.1");
  EXPECT_EQ(panel.FigureTexts(0).kWh, "4.386");
  EXPECT_EQ(panel.FigureTexts(0).cost, "");  // the tariff is empty
  EXPECT_NE(panel.MoneyNotice().find("Water Volume Charge"), std::string::npos)
      << panel.MoneyNotice();
  EXPECT_EQ(panel.TotalText(), "113.1 litres a day");
  EXPECT_EQ(panel.PerPersonText(), "37.7 litres a person a day");

  EnterTariff();
  EXPECT_TRUE(panel.Follow());
  EXPECT_FALSE(panel.Follow());  // nothing changed since
  EXPECT_EQ(panel.MoneyNotice(), "");
  EXPECT_EQ(panel.FigureTexts(0).cost, "\u00A30.802");
  // A year with a meter: 365 x 0.363189 = 132.56.
  EXPECT_NE(panel.MeterText().find("\u00A3132.56 a year"), std::string::npos) << panel.MeterText();

  // In gallons the same charges are per 1000 gallons: 113.142857 / 4.54609 / 1000 x 3.21.
  window.SetCheckBox(Field::VolUnits1, 1);
  EXPECT_TRUE(panel.Follow());
  EXPECT_EQ(panel.FigureTexts(0).cost, "\u00A30.519");  // 0.079890 + 0.438617
  EXPECT_EQ(panel.TotalText(), "113.1 litres a day (24.9 gallons)");

  // The Payback window's settings, once it holds valid ones, come before the file's.
  PaybackPanel payback(fake.files, fake.boxes);
  payback.Open();
  payback.SetText(PaybackInput::EnergyPrice, "0.2");
  panel.SetPayback(&payback);
  EXPECT_TRUE(panel.Follow());
  EXPECT_EQ(panel.FigureTexts(0).cost, "\u00A30.957");  // 0.079890 + 0.877234
  payback.SetText(PaybackInput::EnergyPrice, "x");
  EXPECT_TRUE(panel.Follow());
  EXPECT_EQ(panel.FigureTexts(0).cost, "\u00A30.519");
}

// Every value that fails is listed at once, in the model's words, and nothing is worked out
// until all pass. Closing writes only a change, and only what passed its checks; a failed write
// is said.
TEST_F(HouseholdPanelTest, EveryWrongValueIsListedAndOnlyWhatPassedIsKept) {
  Keep(Of(2, {"Mixer shower", "Washing machine"}));
  panel.Open();
  fake.files.operations.clear();
  EXPECT_FALSE(panel.Close());
  EXPECT_TRUE(fake.files.operations.empty());
  panel.SetSettingText(HouseholdInput::StandingCharges, "20");
  panel.SetSettingText(HouseholdInput::People, "2.5");
  panel.SetSettingText(HouseholdInput::ColdSupply, "warm");
  panel.SetValueText(0, 0, "");
  EXPECT_EQ(panel.Messages(),
            (std::vector<std::string>{
                "People must be a whole number from 1 to 20.",
                "Cold supply must be a number from 0 to 30.",
                "Fitting 1 (Mixer shower): Flow rate must be a number from 1 to 30."}));
  EXPECT_FALSE(panel.HasFigures());
  EXPECT_EQ(panel.FigureTexts(1).litres, "");
  EXPECT_EQ(panel.TotalText(), "");
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(panel.Status(), "Not saved: People must be a whole number from 1 to 20.");
  EXPECT_EQ(ReadHousehold(fake.files).household.settings,
            (HouseholdSettings{.People = 2, .ColdSupply = 10, .StandingCharges = 20}));

  panel.SetSettingText(HouseholdInput::People, " 4 ");
  panel.SetSettingText(HouseholdInput::ColdSupply, "12");
  panel.SetValueText(0, 0, "10");
  EXPECT_TRUE(panel.Messages().empty());
  EXPECT_EQ(panel.FigureTexts(0).litres, "188.6");  // 10 x 7.5 x 4.4 / 7 x 4 = 188.571 L
  // A new kind starts from its defaults.
  panel.SetKind(1, FittingKind::Toilet);
  EXPECT_EQ(panel.Row(1).texts[0], TextOf(KindInfo(FittingKind::Toilet).parameters[0].fallback));
  EXPECT_EQ(panel.Row(1).name, "Washing machine");
  fake.files.FailAt(FileStep::Write);
  EXPECT_FALSE(panel.Close());
  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  EXPECT_EQ(fake.boxes.Shown()[0].title, "Tolvarn Household File Error");
  EXPECT_EQ(ReadHousehold(fake.files).household.settings.ColdSupply, 10);
}

// Adding, removing and moving keep the list as a plain list of names would be kept, and never
// let it pass 30 fittings; the fitting chosen to compare stays the same fitting as the list is
// reordered or cut, and when it goes, the one in its place is chosen, with a copy of it.
RC_GTEST_PROP(HouseholdPanelProperty, EditsKeepTheListInOrder, ()) {
  MemoryFieldStore fields;
  FakePlatform fake;
  testing::RecordingWindow window(fields, fake.platform());
  window.Start(false, false);
  fake.boxes.Clear();
  fake.boxes.Script({BoxAnswer::No});
  HouseholdPanel panel(window, fake.files, fake.boxes);
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
  for (size_t i = 0; i < model.size(); ++i)
    RC_ASSERT(panel.Row(i).name == model[i]);
  RC_ASSERT(panel.CompareFittingIndex() == chosen);
  RC_ASSERT(panel.Replacement().name == replacement);
  RC_ASSERT(panel.Messages().empty());
  RC_ASSERT(panel.Figures()->fittings.size() == model.size());
  // The figures follow their rows.
  for (size_t i = 0; i < model.size(); ++i)
    RC_ASSERT(panel.Figures()->fittings[i].litresPerDay ==
              WorkOutHousehold({{}, {FittingOf(panel.Row(i))}}, {}, std::nullopt, "")
                  .fittings[0]
                  .litresPerDay);
}

// Compare puts a mixer shower (75.428571 L a day for two) into Item 1 and an electric shower
// (47.142857 L) with its price into Item 2, the hot shares and own energy into the Payback
// values, and calculates; the window's Calculate then compares both.
TEST_F(HouseholdPanelTest, CompareFillsBothItemsAndCalculates) {
  Keep(Of(2, {"Basin tap", "Mixer shower"}));
  panel.Open();
  EXPECT_EQ(panel.Replacement().name, "Basin tap");  // the first fitting's copy to start with
  EnterTariff();
  panel.Follow();
  PaybackPanel payback(fake.files, fake.boxes);
  panel.SetCompareFitting(1);
  EXPECT_EQ(panel.Replacement().name, "Mixer shower");  // a copy to start with
  panel.SetReplacementPreset(PresetIndex("Electric shower"));
  panel.SetReplacementCost("25");
  int calculated = 0;
  EXPECT_TRUE(panel
                  .Compare(payback,
                           [&] {
                             ++calculated;
                             window.Calc_Click();
                           })
                  .empty());
  EXPECT_EQ(calculated, 1);
  EXPECT_EQ(Texts<6>({Field::Item1Use, Field::Item1UseD, Field::Item1Cost, Field::Item2Use,
                      Field::Item2UseD, Field::Item2Cost}),
            "75.4|1||47.1|1|\u00A325.00");
  EXPECT_EQ(payback.Text(PaybackInput::Item1HotShare), "100");
  EXPECT_EQ(payback.Text(PaybackInput::Item1OwnEnergy), "0");
  EXPECT_EQ(payback.Text(PaybackInput::Item2HotShare), "0");
  // Its own heating: 47.142857 L x 30 degrees x 0.001163.
  EXPECT_EQ(payback.Text(PaybackInput::Item2OwnEnergy).substr(0, 6), "1.6448");
  EXPECT_TRUE(State().LastComparison.has_value());

  // More than 500 L a day goes in as more uses: for 20 people the mixer's 754.286 L as 2 x
  // 377.1, a power shower's 13 x 7.5 x 4.4 / 7 x 20 = 1225.714 L as 3 x 408.6.
  panel.SetSettingText(HouseholdInput::People, "20");
  panel.SetReplacementPreset(PresetIndex("Power shower"));
  EXPECT_TRUE(panel.Compare(payback, [] {}).empty());
  EXPECT_EQ(Texts<4>({Field::Item1Use, Field::Item1UseD, Field::Item2Use, Field::Item2UseD}),
            "377.1|2|408.6|3");
}

TEST_F(HouseholdPanelTest, CompareRefusesWhatCannotBeCompared) {
  Household household = Of(2, {"Washing machine", "Mixer shower"});
  household.fittings[0].values[2] = 0;  // no cycles a week: no water
  Keep(household);
  panel.Open();
  PaybackPanel payback(fake.files, fake.boxes);
  const auto never = [] { ADD_FAILURE() << "calculated"; };
  panel.SetCompareFitting(0);  // and a copy of it as the replacement
  EXPECT_EQ(panel.Compare(payback, never),
            (std::vector<std::string>{
                "Washing machine cannot be compared: it uses less than 1.0 a day.",
                "Replacement (Washing machine) cannot be compared: it uses less than 1.0 a day."}));
  panel.SetCompareFitting(1);
  panel.SetReplacementText(0, "99");
  EXPECT_EQ(panel.Compare(payback, never),
            (std::vector<std::string>{
                "Replacement (Mixer shower): Flow rate must be a number from 1 to 30."}));
  // More than 99 uses a day (30 L/min for an hour twice a day each for 20 people: 72000 L).
  panel.SetReplacementPreset(PresetIndex("Mixer shower"));
  for (const auto& [parameter, text] : {std::pair{0, "30"}, {1, "60"}, {2, "14"}})
    panel.SetReplacementText(static_cast<size_t>(parameter), text);
  panel.SetSettingText(HouseholdInput::People, "20");
  EXPECT_EQ(panel.Compare(payback, never),
            (std::vector<std::string>{"Replacement (Mixer shower) cannot be compared: it " +
                                      std::string(kTooMuchForOneItem) + "."}));
  panel.SetSettingText(HouseholdInput::People, "0");
  EXPECT_EQ(panel.Compare(payback, never).size(), 1u);
  EXPECT_EQ(Text(Field::Item1Use), "");
  EXPECT_EQ(payback.Text(PaybackInput::Item1HotShare), "0");
}

}  // namespace
}  // namespace tolvarn
