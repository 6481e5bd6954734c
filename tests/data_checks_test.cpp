// The data checks: each failed rule appends its exact message and a line feed, in rule order;
// the checks never stop early, never change an input, and fail over to "Check Error" only for
// a real run-time failure.
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

// Every message is followed by a line feed, the last one included.
std::string Lines(const std::vector<std::string>& messages) {
  std::string text;
  for (const auto& message : messages)
    text += message + "\n";
  return text;
}

class WaterDataChecks : public WindowTest {
 protected:
  void SetUp() override {
    Start();
    Baseline();
  }
  // A tariff that passes every rule; each case spoils one input.
  void Baseline() {
    Set({{Field::PPeriod, "5"},
         {Field::SVCost, ""},
         {Field::SVAllow, ""},
         {Field::VRate, ""},
         {Field::WVCost, "1.5"},
         {Field::AnInfT, ""}});
  }
};

struct OneInputCase {
  const char* meaning;
  Field field;
  std::string text;
  const char* message;  // nullptr: the rule passes
};

TEST_F(WaterDataChecks, EachRuleHoldsBothSidesOfItsBoundsAndRejectsMalformedText) {
  const OneInputCase cases[] = {
      {"period at lower bound", Field::PPeriod, "1", nullptr},
      {"period at upper bound", Field::PPeriod, "10", nullptr},
      {"period just below 1", Field::PPeriod, "0.99", kPeriod},
      {"period just above 10", Field::PPeriod, "10.01", kPeriod},
      {"period empty counts as zero", Field::PPeriod, "", kPeriod},
      {"period followed by a word", Field::PPeriod, "5 years", kPeriod},
      {"period with blanks around", Field::PPeriod, "  5  ", nullptr},
      {"period in exponent form", Field::PPeriod, ".1E2", nullptr},
      {"period beyond the double range", Field::PPeriod, "1e400", kPeriod},
      {"sewerage charge zero", Field::SVCost, "0", nullptr},
      {"sewerage charge at lower bound", Field::SVCost, "0.1", nullptr},
      {"sewerage charge just below 0.1", Field::SVCost, "0.0999", kSewCharge},
      {"sewerage charge at upper bound", Field::SVCost, "5", nullptr},
      {"sewerage charge just above 5", Field::SVCost, "5.0001", kSewCharge},
      {"sewerage charge of letters, value zero but malformed", Field::SVCost, "abc", kSewCharge},
      {"allowance zero", Field::SVAllow, "0", nullptr},
      {"allowance at lower bound", Field::SVAllow, "1", nullptr},
      {"allowance 0.5", Field::SVAllow, "0.5", kSewAllow},
      {"allowance at upper bound", Field::SVAllow, "99", nullptr},
      {"allowance 99.5", Field::SVAllow, "99.5", kSewAllow},
      {"rate at lower bound", Field::VRate, "1", nullptr},
      {"rate 0.5", Field::VRate, "0.5", kVat},
      {"rate at upper bound", Field::VRate, "50", nullptr},
      {"rate 50.5", Field::VRate, "50.5", kVat},
      {"water charge at lower bound", Field::WVCost, "0.1", nullptr},
      {"water charge just below 0.1", Field::WVCost, "0.0999", kWater},
      {"water charge empty counts as zero", Field::WVCost, "", kWater},
      {"water charge at upper bound", Field::WVCost, "5", nullptr},
      {"water charge just above 5", Field::WVCost, "5.0001", kWater},
      {"inflation at lower bound", Field::AnInfT, "-30", nullptr},
      {"inflation just below -30", Field::AnInfT, "-30.1", kInflation},
      {"inflation at upper bound", Field::AnInfT, "199", nullptr},
      {"inflation just above 199", Field::AnInfT, "199.1", kInflation},
  };
  for (const auto& row : cases) {
    Baseline();
    fields.SetText(row.field, row.text);
    State().CheckMessages.clear();
    window.CheckWaterData();
    EXPECT_EQ(State().CheckMessages, row.message ? Lines({row.message}) : "") << row.meaning;
    EXPECT_EQ(Text(row.field), row.text) << row.meaning << ": the check changed the input";
  }
}

struct SewerageCase {
  const char* meaning;
  std::string allowance;
  std::string charge;
  const char* message;
};

TEST_F(WaterDataChecks, SewerageAllowanceAndChargeMustBeBothZeroOrBothSet) {
  const SewerageCase cases[] = {
      {"allowance zero, charge set", "0", "2.5", kAllowZero},
      {"allowance empty, charge set", "", "2.5", kAllowZero},
      {"allowance set, charge empty", "20", "", kCostZero},
      {"allowance set, charge zero", "20", "0", kCostZero},
      {"both zero", "0", "0", nullptr},
      {"both set", "20", "2.5", nullptr},
      {"out-of-range values are not its business", "500", "-3", nullptr},
  };
  for (const auto& row : cases) {
    Set({{Field::SVAllow, row.allowance}, {Field::SVCost, row.charge}});
    State().CheckMessages.clear();
    window.CheckSewerage();
    EXPECT_EQ(State().CheckMessages, row.message ? Lines({row.message}) : "") << row.meaning;
    EXPECT_EQ(State().ErrorLocation, 131) << row.meaning;
  }
}

// The item checks, with litres unless a case says otherwise.
class ItemDataChecks : public WindowTest {
 protected:
  void SetUp() override { Start(); }
};

constexpr const char* kR1 = "Item 1 litres per Use must be between 1.0 and 500.0";
constexpr const char* kR2 = "Item 1 Uses per Day must be between 1 and 99";
constexpr const char* kR3 = "Item1 Cost must be between 0 and 5000.00";
constexpr const char* kR4 = "Item 2 litres per Use must be between 1.0 and 500.0";
constexpr const char* kR5 = "Item 2 Uses per Day must be between 1 and 99";
constexpr const char* kR6 = "Item 2 Cost must be between 0 and 5000.00";
constexpr const char* kR7 = "Item 1 litres per Use must be empty or between 1.0 and 500.0";
constexpr const char* kR8 = "Item 1 Uses per Day must be empty or between 1 and 99";
constexpr const char* kR9 = "Item 2 litres per Use must be empty or between 1.0 and 500.0";
constexpr const char* kR10 = "Item 2 Uses per Day must be empty pr between 1 and 99";
constexpr const char* kR11 =
    "Item 1 litres per Use and Item 1 Uses per Day must both be empty or set";
constexpr const char* kR12 =
    "Item 2 litres per Use and Item 2 Uses per Day must both be empty or set";
constexpr const char* kR13 = "Only one item can have Use and Use per Day not set";

struct ItemCase {
  const char* meaning;
  // Use, uses per day and cost of item 1, then of item 2.
  std::string use1, day1, cost1, use2, day2, cost2;
  std::vector<std::string> messages;
  int16_t empty1, empty2;
};

TEST_F(ItemDataChecks, AppliesTheRulesOfOneItemOrOfBothInOrder) {
  const ItemCase cases[] = {
      {"item 1 alone, valid", "10", "3", "250", "", "", "", {}, 0, 1},
      {"item 1 alone at lower bounds", "1", "1", "0", "", "", "", {}, 0, 1},
      {"item 1 alone at upper bounds", "500", "99", "5000", "", "", "", {}, 0, 1},
      {"item 1 alone, use below 1", "0.99", "3", "", "", "", "", {kR1}, 0, 1},
      {"item 1 alone, uses below 1", "10", "0.5", "", "", "", "", {kR2}, 0, 1},
      {"item 1 alone, negative cost", "10", "3", "-1", "", "", "", {kR3}, 0, 1},
      {"item 1 alone, cost above 5000", "10", "3", "5000.01", "", "", "", {kR3}, 0, 1},
      {"item 1 alone, uses of blanks is no empty text", "10", "  ", "", "", "", "", {kR2}, 0, 1},
      {"item 1 cost only", "", "", "250", "", "", "", {kR1, kR2}, 0, 1},
      {"item 1 alone, all wrong", "600", "100", "6000", "", "", "", {kR1, kR2, kR3}, 0, 1},
      {"item 2 alone, valid", "", "", "", "20", "2", "99", {}, 1, 0},
      {"item 2 alone, all wrong", "", "", "", "0.5", "0.5", "-2", {kR4, kR5, kR6}, 1, 0},
      {"item 2 cost only", "", "", "", "", "", "250", {kR4, kR5}, 1, 0},
      {"both valid", "10", "3", "", "20", "2", "", {}, 0, 0},
      {"item 1 cost only beside a complete item 2", "", "", "250", "10", "3", "", {}, 0, 0},
      {"item 2 cost only beside a complete item 1", "10", "3", "", "", "", "250", {}, 0, 0},
      {"both costs only", "", "", "100", "", "", "200", {kR13}, 0, 0},
      {"both, item 1 uses 100", "10", "100", "", "20", "2", "", {kR8}, 0, 0},
      {"both, item 2 uses 100", "10", "3", "", "20", "100", "", {kR10}, 0, 0},
      {"both, item 1 use 600", "600", "3", "", "20", "2", "", {kR7}, 0, 0},
      {"both, item 2 use 0.5", "10", "3", "", "0.5", "2", "", {kR9}, 0, 0},
      {"both, item 1 use of blanks", " ", "3", "", "20", "2", "", {kR7}, 0, 0},
      {"both, item 2 use without uses", "10", "3", "", "20", "", "", {kR12}, 0, 0},
      {"both, item 1 uses without use", "", "3", "", "20", "2", "", {kR11}, 0, 0},
      {"item 1 cost only, item 2 half set", "", "", "100", "20", "", "", {kR12, kR13}, 0, 0},
      {"item 1 half set, item 2 cost only", "10", "", "", "", "", "100", {kR11, kR13}, 0, 0},
      {"both, bad costs", "10", "3", "-1", "20", "2", "6000", {kR3, kR6}, 0, 0},
      {"both, everything out of range",
       "600",
       "100",
       "-1",
       "0.5",
       "100",
       "6000",
       {kR3, kR6, kR7, kR8, kR9, kR10},
       0,
       0},
      {"values adding up to zero hold no data", "5", "", "-5", "10", "3", "", {}, 1, 0},
      {"letters only hold no data", "abc", "x", "", "10", "3", "", {}, 1, 0},
  };
  for (const auto& row : cases) {
    Set({{Field::Item1Use, row.use1},
         {Field::Item1UseD, row.day1},
         {Field::Item1Cost, row.cost1},
         {Field::Item2Use, row.use2},
         {Field::Item2UseD, row.day2},
         {Field::Item2Cost, row.cost2}});
    State().CheckMessages.clear();
    State().Item1Empty = 0;
    State().Item2Empty = 0;
    window.CheckItemData();
    EXPECT_EQ(State().CheckMessages, Lines(row.messages)) << row.meaning;
    EXPECT_EQ(State().Item1Empty, row.empty1) << row.meaning;
    EXPECT_EQ(State().Item2Empty, row.empty2) << row.meaning;
    EXPECT_EQ(State().ErrorLocation, 123) << row.meaning;
    EXPECT_EQ(Text(Field::Item1Use), row.use1) << row.meaning << ": the check changed an input";
  }
}

}  // namespace
}  // namespace tolvarn
