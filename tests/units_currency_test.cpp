// The volume units switch, which relabels and converts nothing, and the currency symbol on the
// money fields with the VAT or tax label that follows from it.
#include <string>

#include "platform/posix_platform.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

const std::string kPound = "\u00A3";
const std::string kEuro = "\u20AC";

// Every unit label shows the unit; the switch converts nothing.
TEST_F(WindowTest, VolumeUnitsRelabelBothWaysAndConvertNothing) {
  Start();
  Enter("£1.5000||||||12.0|||||");
  Set({{Field::Item1W, "65700"}});
  const std::string before = Texts(kInputs) + Text(Field::Item1W);
  for (const bool gallons : {true, false, true}) {
    window.SetCheckBox(Field::VolUnits1, gallons ? 1 : 0);
    for (const Field label :
         {Field::Item1UseL, Field::Item2UseL, Field::Item1WatL, Field::Item2WatL, Field::ItemWatS})
      EXPECT_EQ(fields.Caption(label), gallons ? "Gal" : "Ltr") << FieldName(label);
    for (const Field label : {Field::WVChargeL, Field::SVChargeL})
      EXPECT_EQ(fields.Caption(label), gallons ? "/1000 Gal" : "/cu m") << FieldName(label);
    EXPECT_EQ(
        fields.ToolTip(Field::Item2W),
        std::string("Item 2 water use over Payback Period in ") + (gallons ? "gallons" : "litres"));
    EXPECT_EQ(State().ChargeUnitText, gallons ? "per 1000 Gallons" : "per Cubic Metre");
  }
  EXPECT_EQ(Texts(kInputs) + Text(Field::Item1W), before);
}

class CurrencySymbols : public WindowTest {
 protected:
  void SetUp() override { Start(); }
};

struct LabelCase {
  const char* meaning;
  std::string symbol;
  const char* caption;
  const char* tooltip;
};

TEST_F(CurrencySymbols, PoundAndEuroAreLabelledVatAnyOtherSymbolTax) {
  const char* vat = "VAT Rate (0 or between 1.0 and 50.0%)";
  const char* tax = "Tax Rate (0 or between 1.0 and 50.0%)";
  const LabelCase cases[] = {
      {"pound", kPound, "VAT:", vat},
      {"euro", kEuro, "VAT:", vat},
      {"dollar", "$", "Tax:", tax},
      {"lira sign, which resembles the pound", "\u20A4", "Tax:", tax},
  };
  for (const auto& row : cases) {
    for (bool strip : {false, true}) {
      fake.locale.symbol = row.symbol;
      window.ManageCurrency(strip, !strip);
      EXPECT_EQ(State().CurrencySymbol, row.symbol) << row.meaning;
      EXPECT_EQ(fields.Caption(Field::VRateH), row.caption) << row.meaning;
      EXPECT_EQ(fields.ToolTip(Field::VRate), row.tooltip) << row.meaning;
      EXPECT_EQ(State().ErrorLocation, 207) << row.meaning;
    }
  }
}

// Fields that hold no money.
const Field kNotMoney[] = {Field::SVAllow, Field::VRate,       Field::AnInfT,
                           Field::PPeriod, Field::Item1Use,    Field::Item2UseD,
                           Field::Item1W,  Field::PeriodWater, Field::Notes};

TEST_F(CurrencySymbols, StripsOneWholeSymbolFromTheFrontOfMoneyFieldsOnly) {
  for (Field field : kMoneyFields)
    fields.SetText(field, kPound + "2.5");
  fields.SetText(Field::WVCost, kPound + kPound + "1.5");
  fields.SetText(Field::SVCost, "1.5" + kPound);
  fields.SetText(Field::Item1Cost, "$450");
  fields.SetText(Field::Item2Cost, kPound);
  for (Field field : kNotMoney)
    fields.SetText(field, kPound + "1");
  window.ManageCurrency(true, false);
  EXPECT_EQ(Text(Field::WVCost), kPound + "1.5");
  EXPECT_EQ(Text(Field::SVCost), "1.5" + kPound);
  EXPECT_EQ(Text(Field::Item1Cost), "$450");
  EXPECT_EQ(Text(Field::Item2Cost), "");
  for (Field field : kMoneyFields) {
    if (field == Field::WVCost || field == Field::SVCost || field == Field::Item1Cost ||
        field == Field::Item2Cost)
      continue;
    EXPECT_EQ(Text(field), "2.5") << FieldName(field);
  }
  for (Field field : kNotMoney)
    EXPECT_EQ(Text(field), kPound + "1") << FieldName(field);
}

TEST_F(CurrencySymbols, CalculateReadsMoneyFieldsThroughTheirSymbols) {
  Enter("£1.5|£2|90|||5|10|3|£100|5|3|300");
  window.Calc_Click();
  ASSERT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(Text(Field::WVCost), kPound + "1.5000");
  EXPECT_EQ(Text(Field::SVCost), kPound + "2.0000");
  EXPECT_EQ(Text(Field::Item1Cost), kPound + "100.00");
  EXPECT_EQ(Text(Field::Item2Cost), kPound + "300.00");
  EXPECT_EQ(Text(Field::Item1Day).rfind(kPound, 0), 0u) << Text(Field::Item1Day);
  EXPECT_EQ(Text(Field::Item1W).find(kPound), std::string::npos) << Text(Field::Item1W);
}

struct ChoiceCase {
  const char* meaning;
  std::string formatted_one;
  std::string locale_symbol;
  std::string chosen;
};

TEST(ChooseCurrencySymbol, TakesAOneCharacterSymbolBeforeTheNumberOrFallsBack) {
  const std::string nbsp = "\u00A0";
  const ChoiceCase cases[] = {
      {"pound before the number", kPound + "1.00", kPound, kPound},
      {"euro, blank, number", kEuro + " 1,00", kEuro, kEuro},
      {"euro, no-break space, number", kEuro + nbsp + "1,00", kEuro, kEuro},
      {"symbol alone", kPound, kPound, kPound},
      {"formatted symbol wins over the locale's own", kPound + "1.00", "GBP", kPound},
      {"letter symbol", "R1.00", "R", "R"},
      {"three-byte symbol",
       "\u20B9"
       "1.00",
       "\u20B9", "\u20B9"},
      {"euro after the number", "1,00 " + kEuro, kEuro, kEuro},
      {"several letters after the number", "1,00 kr", "kr", "\u00A4"},
      {"several letters before the number", "kr 1,00", "kr", "\u00A4"},
      {"code before the number", "US$1.00", "US$", "\u00A4"},
      {"symbol followed by a letter", "Fr.1.00", "Fr.", "\u00A4"},
      {"no symbol at all, as in the C locale", "1.00", "", "\u00A4"},
      {"nothing formatted", "", "", "\u00A4"},
      {"a sign can begin a number", "-1", "-", "\u00A4"},
  };
  for (const auto& row : cases)
    EXPECT_EQ(ChooseCurrencySymbol(row.formatted_one, row.locale_symbol), row.chosen)
        << row.meaning;
}

}  // namespace
}  // namespace tolvarn
