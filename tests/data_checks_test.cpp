// The data checks, which append each failed rule's message and a line feed in rule order and
// change no input, and the clean-up, which shows zeros and unused items empty and formats the
// rest, leaving text that is not a number for the user to see.
#include <string>
#include <vector>

#include "window_fixture.h"

namespace tolvarn {
namespace {

using DataChecks = testing::WindowTest;

// From a tariff that passes, one input at a time: the texts its rule passes, then those it fails.
TEST_F(DataChecks, EachWaterRuleHoldsBothSidesOfItsBounds) {
  const struct {
    Field field;
    std::vector<std::string> passes, fails;
    const char* message;
  } rules[] = {
      {Field::PPeriod,
       {"1", "10", "  5  "},
       {"0.99", "10.01", "", "5 yr", "1e400"},
       "Payback Period must be between 1.0 and 10.0 years"},
      {Field::SVCost,
       {"0", "0.1", "5"},
       {"0.0999", "5.0001"},
       "Sewerage Volume Charge per cubic metre must be zero or between 0.1000 and 5.000"},
      {Field::SVAllow,
       {"0", "1", "99"},
       {"0.5", "99.5"},
       "Sewerage Volume Allowance must be zero or between 1.0 and 99.0%"},
      {Field::VRate, {"1", "50"}, {"0.5", "50.5"}, "VAT Rate must be 0 or between 1.0 and 50.0%"},
      {Field::WVCost,
       {"0.1", "5"},
       {"0.0999", "5.0001", ""},
       "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000"},
      {Field::AnInfT,
       {"-30", "199"},
       {"-30.1", "199.1"},
       "Annual Inflation Rate must be between -30.0% and 199.0%"},
  };
  Start();
  for (const auto& rule : rules)
    for (const bool passing : {true, false})
      for (const std::string& text : passing ? rule.passes : rule.fails) {
        SCOPED_TRACE(std::string(FieldName(rule.field)) + " \"" + text + '"');
        Enter("1.5|||||5||||||");
        fields.SetText(rule.field, text);
        State().CheckMessages.clear();
        window.CheckWaterData();
        EXPECT_EQ(State().CheckMessages, passing ? "" : rule.message + std::string("\n"));
        EXPECT_EQ(Text(rule.field), text);
      }
}

// By letter: the sewerage pair's two, then the items' rules.
const char* const kMessages[] = {
    "The Sewerage Volume Allowance cannot be zero if the Sewerage Cost is set",
    "The Sewerage Cost cannot be zero if the Sewerage Volume Allowance is set",
    "Item 1 litres per Use must be between 1.0 and 500.0",
    "Item 1 Uses per Day must be between 1 and 99",
    "Item1 Cost must be between 0 and 5000.00",
    "Item 2 litres per Use must be between 1.0 and 500.0",
    "Item 2 Uses per Day must be between 1 and 99",
    "Item 2 Cost must be between 0 and 5000.00",
    "Item 1 litres per Use must be empty or between 1.0 and 500.0",
    "Item 1 Uses per Day must be empty or between 1 and 99",
    "Item 2 litres per Use must be empty or between 1.0 and 500.0",
    "Item 2 Uses per Day must be empty pr between 1 and 99",
    "Item 1 litres per Use and Item 1 Uses per Day must both be empty or set",
    "Item 2 litres per Use and Item 2 Uses per Day must both be empty or set",
    "Only one item can have Use and Use per Day not set",
};
std::string Messages(const std::string& letters) {
  std::string text;
  for (const char letter : letters)
    text += kMessages[letter - 'a'] + std::string("\n");
  return text;
}

// Out-of-range values are not this rule's business.
TEST_F(DataChecks, SewerageAllowanceAndChargeMustBeBothZeroOrBothSet) {
  for (const auto& [typed, letters] :
       {std::pair{"0|2.5", "a"}, {"20|", "b"}, {"0|0", ""}, {"20|2.5", ""}, {"500|-3", ""}}) {
    Enter(typed, {Field::SVAllow, Field::SVCost});
    State().CheckMessages.clear();
    window.CheckSewerage();
    EXPECT_EQ(State().CheckMessages, Messages(letters)) << typed;
    EXPECT_EQ(State().ErrorLocation, 131);
  }
}

// An item alone at its bounds and beyond them, then both; blanks are not an empty text, and
// values adding up to zero hold no data.
TEST_F(DataChecks, ItemRulesOfOneItemOrOfBothInOrder) {
  const struct {
    const char *typed, *letters;
    int16_t empty1, empty2;
  } cases[] = {
      {"1|1|0|||", "", 0, 1},         {"500|99|5000|||", "", 0, 1},
      {"||250|||", "cd", 0, 1},       {"600|100|6000|||", "cde", 0, 1},
      {"|||0.5|0.5|-2", "fgh", 1, 0}, {"||250|10|3|", "", 0, 0},
      {"||100|||200", "o", 0, 0},     {" |3||20|2|", "i", 0, 0},
      {"||100|20||", "no", 0, 0},     {"10|||||100", "mo", 0, 0},
      {"5||-5|10|3|", "", 1, 0},      {"600|100|-1|0.5|100|6000", "ehijkl", 0, 0},
  };
  Start();
  for (const auto& row : cases) {
    Enter(std::string("||||||") + row.typed);
    State().CheckMessages.clear();
    State().Item1Empty = State().Item2Empty = 0;
    window.CheckItemData();
    EXPECT_EQ(State().CheckMessages, Messages(row.letters)) << row.typed;
    EXPECT_EQ(std::pair(State().Item1Empty, State().Item2Empty), std::pair(row.empty1, row.empty2));
    EXPECT_EQ(State().ErrorLocation, 123);
    EXPECT_EQ(Texts(kInputs), std::string("||||||") + row.typed);
  }
}

// The sewerage charge and allowance, the period, the rate, the water charge, the inflation: the
// water charge and the period are never emptied, letters are worth zero, and halves round away
// from zero by their decimal form (12.35 lies just below the halfway point in binary).
TEST_F(DataChecks, CleanUpEmptiesZeroOptionalValuesAndFormatsTheRest) {
  constexpr Field kWater[] = {Field::SVCost, Field::SVAllow, Field::PPeriod,
                              Field::VRate,  Field::WVCost,  Field::AnInfT};
  const std::pair<const char*, const char*> cases[] = {
      {"0|0.000|0|-0|0|0", "||0||0|"},
      {"abc||abc|x|abc|none", "||abc||abc|"},
      {"1.23456|12.25|2.45|17.5|1.23454|-2", "1.2346|12.3|2.5|17.5|1.2345|-2.0"},
      {"0.00001|12.35|5|50|5|-29.96", "0.0000|12.4|5.0|50.0|5.0000|-30.0"},
      {"1.5abc|-1|-3|-5|-1|-30.01", "1.5abc|-1|-3|-5|-1|-30.01"},  // kept as typed
  };
  Start();
  for (const auto& [before, after] : cases) {
    Enter(before, kWater);
    window.CleanWaterData();
    EXPECT_EQ(Texts(kWater), after) << before;
    EXPECT_EQ(State().ErrorLocation, 142);
  }
}

// The uses, the uses a day, the costs: a tiny cost is not zero, and negative values and a number
// with a unit are kept as typed.
TEST_F(DataChecks, CleanUpEmptiesItemsWithoutDataAndZerosAndFormatsTheRest) {
  constexpr Field kItems[] = {Field::Item1Use,  Field::Item2Use,  Field::Item1UseD,
                              Field::Item2UseD, Field::Item1Cost, Field::Item2Cost};
  const struct {
    int16_t empty1, empty2;
    const char *before, *after;
  } cases[] = {
      {0, 0, "12|12.25|3|2.5|450|0.004", "12.0|12.3|3|3|450.00|0.00"},
      {0, 0, "0|0.0|abc|-0|0|0.00", "|||||"},
      {0, 0, "-10||-1|3x|-5|", "-10||-1|3x|-5|"},
      {0, 1, "10|5|3|2|250|99", "10.0||3||250.00|"},
      {1, 0, "10|5|3|2|250|99", "|5.0||2||99.00"},
  };
  Start();
  for (const auto& row : cases) {
    Enter(row.before, kItems);
    State().Item1Empty = row.empty1;
    State().Item2Empty = row.empty2;
    window.CleanItemData();
    EXPECT_EQ(Texts(kItems), row.after) << row.before;
    EXPECT_EQ(State().ErrorLocation, 233);
  }
}

}  // namespace
}  // namespace tolvarn
