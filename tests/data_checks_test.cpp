// The data checks: each failed rule appends its exact message and a line feed, in rule order;
// the checks never stop early and never change an input.
#include <string>
#include <vector>

#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

constexpr const char* kPeriod = "Payback Period must be between 1.0 and 10.0 years";
constexpr const char* kSewCharge =
    "Sewerage Volume Charge per cubic metre must be zero or between 0.1000 and 5.000";
constexpr const char* kSewAllow = "Sewerage Volume Allowance must be zero or between 1.0 and 99.0%";
constexpr const char* kVat = "VAT Rate must be 0 or between 1.0 and 50.0%";
constexpr const char* kWater =
    "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000";
constexpr const char* kInflation = "Annual Inflation Rate must be between -30.0% and 199.0%";
constexpr const char* kAllowZero =
    "The Sewerage Volume Allowance cannot be zero if the Sewerage Cost is set";
constexpr const char* kCostZero =
    "The Sewerage Cost cannot be zero if the Sewerage Volume Allowance is set";

using WaterDataChecks = WindowTest;

// From a tariff that passes every rule, one input at a time: the texts its rule passes (bounds
// included), then those it fails (just beyond them, empty, or not a whole number).
TEST_F(WaterDataChecks, EachRuleHoldsBothSidesOfItsBoundsAndRejectsMalformedText) {
  const struct {
    Field field;
    std::vector<std::string> passes, fails;
    const char* message;
  } rules[] = {
      {Field::PPeriod, {"1", "10", "  5  "}, {"0.99", "10.01", "", "5 yr", "1e400"}, kPeriod},
      {Field::SVCost, {"0", "0.1", "5"}, {"0.0999", "5.0001", "abc"}, kSewCharge},
      {Field::SVAllow, {"0", "1", "99"}, {"0.5", "99.5"}, kSewAllow},
      {Field::VRate, {"1", "50"}, {"0.5", "50.5"}, kVat},
      {Field::WVCost, {"0.1", "5"}, {"0.0999", "5.0001", ""}, kWater},
      {Field::AnInfT, {"-30", "199"}, {"-30.1", "199.1"}, kInflation},
  };
  Start();
  for (const auto& rule : rules) {
    for (const bool passing : {true, false}) {
      for (const std::string& text : passing ? rule.passes : rule.fails) {
        SCOPED_TRACE(std::string(FieldName(rule.field)) + " \"" + text + '"');
        Enter("1.5|||||5||||||");
        fields.SetText(rule.field, text);
        State().CheckMessages.clear();
        window.CheckWaterData();
        EXPECT_EQ(State().CheckMessages, passing ? "" : rule.message + std::string("\n"));
        EXPECT_EQ(Text(rule.field), text) << "the check changed the input";
      }
    }
  }
}

TEST_F(WaterDataChecks, SewerageAllowanceAndChargeMustBeBothZeroOrBothSet) {
  const struct {
    std::string allowance, charge;
    const char* message;
  } cases[] = {
      {"0", "2.5", kAllowZero}, {"", "2.5", kAllowZero}, {"20", "", kCostZero},
      {"20", "0", kCostZero},   {"0", "0", nullptr},     {"20", "2.5", nullptr},
      {"500", "-3", nullptr},  // out-of-range values are not this rule's business
  };
  Start();
  for (const auto& row : cases) {
    SCOPED_TRACE(row.allowance + "|" + row.charge);
    Set({{Field::SVAllow, row.allowance}, {Field::SVCost, row.charge}});
    State().CheckMessages.clear();
    window.CheckSewerage();
    EXPECT_EQ(State().CheckMessages, row.message ? row.message + std::string("\n") : "");
    EXPECT_EQ(State().ErrorLocation, 131);
  }
}

const std::string kR1 = "Item 1 litres per Use must be between 1.0 and 500.0\n";
const std::string kR2 = "Item 1 Uses per Day must be between 1 and 99\n";
const std::string kR3 = "Item1 Cost must be between 0 and 5000.00\n";
const std::string kR4 = "Item 2 litres per Use must be between 1.0 and 500.0\n";
const std::string kR5 = "Item 2 Uses per Day must be between 1 and 99\n";
const std::string kR6 = "Item 2 Cost must be between 0 and 5000.00\n";
const std::string kR7 = "Item 1 litres per Use must be empty or between 1.0 and 500.0\n";
const std::string kR8 = "Item 1 Uses per Day must be empty or between 1 and 99\n";
const std::string kR9 = "Item 2 litres per Use must be empty or between 1.0 and 500.0\n";
const std::string kR10 = "Item 2 Uses per Day must be empty pr between 1 and 99\n";
const std::string kR11 =
    "Item 1 litres per Use and Item 1 Uses per Day must both be empty or set\n";
const std::string kR12 =
    "Item 2 litres per Use and Item 2 Uses per Day must both be empty or set\n";
const std::string kR13 = "Only one item can have Use and Use per Day not set\n";

constexpr Field kItems[] = {Field::Item1Use, Field::Item1UseD, Field::Item1Cost,
                            Field::Item2Use, Field::Item2UseD, Field::Item2Cost};

using ItemDataChecks = WindowTest;

TEST_F(ItemDataChecks, AppliesTheRulesOfOneItemOrOfBothInOrder) {
  const struct {
    const char* meaning;
    const char* typed;
    std::string messages;  // each followed by a line feed
    int16_t empty1, empty2;
  } cases[] = {
      {"item 1 alone at lower bounds", "1|1|0|||", "", 0, 1},
      {"item 1 alone at upper bounds", "500|99|5000|||", "", 0, 1},
      {"item 1 alone, uses of blanks is no empty text", "10|  ||||", kR2, 0, 1},
      {"item 1 cost only", "||250|||", kR1 + kR2, 0, 1},
      {"item 1 alone, all wrong", "600|100|6000|||", kR1 + kR2 + kR3, 0, 1},
      {"item 2 alone, all wrong", "|||0.5|0.5|-2", kR4 + kR5 + kR6, 1, 0},
      {"both valid", "10|3||20|2|", "", 0, 0},
      {"item 1 cost only beside a complete item 2", "||250|10|3|", "", 0, 0},
      {"both costs only", "||100|||200", kR13, 0, 0},
      {"both, item 1 use of blanks", " |3||20|2|", kR7, 0, 0},
      {"item 1 cost only, item 2 half set", "||100|20||", kR12 + kR13, 0, 0},
      {"item 1 half set, item 2 cost only", "10|||||100", kR11 + kR13, 0, 0},
      {"both all wrong", "600|100|-1|0.5|100|6000", kR3 + kR6 + kR7 + kR8 + kR9 + kR10, 0, 0},
      {"values adding up to zero hold no data", "5||-5|10|3|", "", 1, 0},
      {"letters only hold no data", "abc|x||10|3|", "", 1, 0},
  };
  Start();
  for (const auto& row : cases) {
    SCOPED_TRACE(row.meaning);
    Enter(row.typed, kItems);
    State().CheckMessages.clear();
    State().Item1Empty = 0;
    State().Item2Empty = 0;
    window.CheckItemData();
    EXPECT_EQ(State().CheckMessages, row.messages);
    EXPECT_EQ(State().Item1Empty, row.empty1);
    EXPECT_EQ(State().Item2Empty, row.empty2);
    EXPECT_EQ(State().ErrorLocation, 123);
    EXPECT_EQ(Texts(kItems), row.typed) << "the check changed an input";
  }
}

}  // namespace
}  // namespace tolvarn
