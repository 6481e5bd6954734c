// The data checks (messages in rule order, inputs untouched), the clean-up and the currency.
#include <tuple>

#include "window_fixture.h"

namespace tolvarn {
namespace {

using DataChecks = testing::WindowTest;

// By letter: the items' rules, the sewerage pair's two, then the water rules.
const char* const kMessages[] = {
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
    "The Sewerage Volume Allowance cannot be zero if the Sewerage Cost is set",
    "The Sewerage Cost cannot be zero if the Sewerage Volume Allowance is set",
    "Payback Period must be between 1.0 and 10.0 years",
    "Sewerage Volume Charge per cubic metre must be zero or between 0.1000 and 5.000",
    "Sewerage Volume Allowance must be zero or between 1.0 and 99.0%",
    "VAT Rate must be 0 or between 1.0 and 50.0%",
    "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000",
    "Annual Inflation Rate must be between -30.0% and 199.0%",
};
std::string Messages(const std::string& letters) {
  std::string text;
  for (const char letter : letters)
    text += kMessages[letter - 'a'] + std::string("\n");
  return text;
}

// From a tariff that passes, one input at a time: the texts its rule passes, then those it fails.
TEST_F(DataChecks, EachWaterRuleHoldsBothSidesOfItsBounds) {
  using Strings = std::vector<std::string>;
  const std::tuple<Field, Strings, Strings, const char*> rules[] = {
      {Field::PPeriod, {"1", "10", "  5  "}, {"0.99", "10.01", "", "5 yr", "1e400"}, "p"},
      {Field::SVCost, {"0", "0.1", "5"}, {"0.0999", "5.0001"}, "q"},
      {Field::SVAllow, {"0", "1", "99"}, {"0.5", "99.5"}, "r"},
      {Field::VRate, {"1", "50"}, {"0.5", "50.5"}, "s"},
      {Field::WVCost, {"0.1", "5"}, {"0.0999", "5.0001", ""}, "t"},
      {Field::AnInfT, {"-30", "199"}, {"-30.1", "199.1"}, "u"},
  };
  Start();
  for (const auto& [field, passes, fails, message] : rules)
    for (const bool passing : {true, false})
      for (const std::string& text : passing ? passes : fails) {
        Enter("1.5|||||5||||||");
        fields.SetText(field, text);
        State().CheckMessages.clear();
        window.CheckWaterData();
        EXPECT_EQ(State().CheckMessages, Messages(passing ? "" : message))
            << FieldName(field) << " \"" << text << '"';
      }
}

// The sewerage pair (out-of-range values are not its business), then the items alone at their
// bounds and beyond, then both; blanks are not an empty text, values adding up to zero no data.
TEST_F(DataChecks, SewerageAndItemRulesInOrder) {
  Start();
  // clang-format off
  for (const auto& [typed, letters, empty] : {
      std::tuple{"|2.5|0", "n", "00"}, {"||20", "o", "00"}, {"|0|0", "", "00"},
      {"|-3|500", "", "00"}, {"1|1|0|||", "", "01"}, {"500|99|5000|||", "", "01"},
      {"||250|||", "ab", "01"}, {"600|100|6000|||", "abc", "01"}, {"|||0.5|0.5|-2", "def", "10"},
      {"||250|10|3|", "", "00"}, {"||100|||200", "m", "00"}, {" |3||20|2|", "g", "00"},
      {"||100|20||", "lm", "00"}, {"10|||||100", "km", "00"}, {"5||-5|10|3|", "", "10"},
      {"600|100|-1|0.5|100|6000", "cfghij", "00"}}) {
    // clang-format on
    const bool items = std::ranges::count(std::string_view(typed), '|') == 5;
    const std::string all = items ? "||||||" + std::string(typed) : typed + std::string(9, '|');
    Enter(all);
    State().CheckMessages.clear();
    State().Item1Empty = State().Item2Empty = 0;
    items ? window.CheckItemData() : window.CheckSewerage();
    EXPECT_EQ(State().CheckMessages, Messages(letters)) << all;
    EXPECT_EQ(std::to_string(State().Item1Empty) + std::to_string(State().Item2Empty), empty);
    EXPECT_EQ(State().ErrorLocation, items ? 123 : 131);
    EXPECT_EQ(Texts(kInputs), all);
  }
}

// The water charge and period are never emptied, letters are zero, halves round away from zero by
// their decimal form (12.35 is just below it in binary), a tiny cost is not zero, and negative
// values and a number with a unit are kept as typed.
TEST_F(DataChecks, CleanUpEmptiesZerosAndUnusedItemsAndFormatsTheRest) {
  Start();
  for (const auto& [empty1, empty2, before, after] :
       {std::tuple{int16_t{0}, int16_t{0}, "0|0|0.000|-0|0|0|12|3|450|12.25|2.5|0.004",
                   "0|||||0|12.0|3|450.00|12.3|3|0.00"},
        {0, 0, "abc|abc||x|none|abc|0|abc|0|0.0|-0|0.00", "abc|||||abc||||||"},
        {0, 0, "1.23454|1.23456|12.25|17.5|-2|2.45|-10|-1|-5||3x|",
         "1.2345|1.2346|12.3|17.5|-2.0|2.5|-10|-1|-5||3x|"},
        {0, 1, "5|0.00001|12.35|50|-29.96|5|10|3|250|5|2|99",
         "5.0000|0.0000|12.4|50.0|-30.0|5.0|10.0|3|250.00|||"},
        {1, 0, "-1|1.5abc|-1|-5|-30.01|-3|10|3|250|5|2|99",
         "-1|1.5abc|-1|-5|-30.01|-3||||5.0|2|99.00"}}) {
    Enter(before);
    State().Item1Empty = empty1;
    State().Item2Empty = empty2;
    window.CleanWaterData();
    EXPECT_EQ(State().ErrorLocation, 142);
    window.CleanItemData();
    EXPECT_EQ(Texts(kInputs), after) << before;
    EXPECT_EQ(State().ErrorLocation, 233);
  }
}

// One whole symbol goes from the front of the money fields only (Item1Use holds no money). The
// lira sign resembles the pound but is not it.
TEST_F(DataChecks, OneSymbolIsStrippedAndPoundAndEuroAreLabelledVatAnyOtherSymbolTax) {
  Start();
  constexpr Field kMoney[] = {Field::WVCost,    Field::SVCost,  Field::Item1Cost,
                              Field::Item2Cost, Field::DaySave, Field::Item1Use};
  Enter("££1.5|1.5£|$450|£|£2.5|£1", kMoney);
  window.ManageCurrency(true, false);
  EXPECT_EQ(Texts(kMoney), "£1.5|1.5£|$450||2.5|£1");
  for (const std::string symbol : {"£", "€", "₤"}) {
    const bool vat = symbol != "₤";
    fake.locale.symbol = symbol;
    window.ManageCurrency(true, false);
    EXPECT_EQ(fields.Caption(Field::VRateH), vat ? "VAT:" : "Tax:") << symbol;
    EXPECT_EQ(fields.ToolTip(Field::VRate).substr(0, 3), vat ? "VAT" : "Tax") << symbol;
    EXPECT_EQ(State().ErrorLocation, 207);
  }
}

}  // namespace
}  // namespace tolvarn
