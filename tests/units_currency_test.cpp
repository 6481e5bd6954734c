// The volume units switch, which relabels and converts nothing, and the currency symbol on the
// money fields with the VAT or tax label that follows from it.
#include <array>
#include <string>

#include "platform/posix_platform.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

const std::string kPound = "\u00A3";
const std::string kEuro = "\u20AC";

struct UnitText {
  Field field;
  bool tooltip;  // otherwise the caption
  const char* litres;
  const char* gallons;
};

// Every text the switch sets on the window, in both unit systems.
const UnitText kUnitTexts[] = {
    {Field::Item1UseL, false, "Ltr", "Gal"},
    {Field::Item2UseL, false, "Ltr", "Gal"},
    {Field::Item1Use, true, "Item 1 Water Use in litres (1.0 to 500.0)",
     "Item 1 Water Use in gallons (1.0 to 500.0)"},
    {Field::Item2Use, true, "Item 2 Water Use in litres (1.0 to 500.0)",
     "Item 2 Water Use in gallons (1.0 to 500.0)"},
    {Field::Item1WatL, false, "Ltr", "Gal"},
    {Field::Item2WatL, false, "Ltr", "Gal"},
    {Field::ItemWatS, false, "Ltr", "Gal"},
    {Field::Item1W, true, "Item 1 water use over Payback Period in litres",
     "Item 1 water use over Payback Period in gallons"},
    {Field::Item2W, true, "Item 2 water use over Payback Period in litres",
     "Item 2 water use over Payback Period in gallons"},
    {Field::WVChargeL, false, "/cu m", "/1000 Gal"},
    {Field::SVChargeL, false, "/cu m", "/1000 Gal"},
    {Field::WVCost, true, "Water Volume Charge per cubic metre ( 0.1000 to 5.0000)",
     "Water Volume Charge per 1000 gallons ( 0.1000 to 5.0000)"},
    {Field::SVCost, true, "Sewerage Volume Charge per cubic metre (0 or 0.1000 to 5.0000)",
     "Sewerage Volume Charge per 1000 gallons (0 or 0.1000 to 5.0000)"},
};

class VolumeUnits : public WindowTest {
 protected:
  void ExpectUnits(bool gallons, const char* when) {
    for (const auto& row : kUnitTexts) {
      const std::string& shown =
          row.tooltip ? fields.ToolTip(row.field) : fields.Caption(row.field);
      EXPECT_EQ(shown, gallons ? row.gallons : row.litres)
          << when << ": " << FieldName(row.field) << (row.tooltip ? " tooltip" : " caption");
    }
    EXPECT_EQ(State().ChargeUnitText, gallons ? "per 1000 Gallons" : "per Cubic Metre") << when;
    EXPECT_EQ(State().UnitAbbrev, gallons ? "Gal" : "Ltr") << when;
    EXPECT_EQ(State().UnitWord, gallons ? "gallons" : "litres") << when;
  }
};

TEST_F(VolumeUnits, StartUpSetsEveryTextOfTheChosenUnits) {
  Start(/*inhibit=*/false, /*gallons=*/false);
  ExpectUnits(false, "started in litres");
  Start(/*inhibit=*/false, /*gallons=*/true);
  ExpectUnits(true, "started in gallons");
}

TEST_F(VolumeUnits, SwitchingRelabelsBothWaysAndConvertsNothing) {
  Start();
  Set({{Field::WVCost, kPound + "1.5000"},
       {Field::Item1Use, "12.0"},
       {Field::Item1W, "65700"},
       {Field::PeriodWater, "100"},
       {Field::Item1Day, kPound + "0.123"}});
  std::array<std::string, kFieldCount> before;
  for (Field field : AllFields())
    before[static_cast<size_t>(field)] = Text(field);

  window.SetCheckBox(Field::VolUnits1, 1);
  ExpectUnits(true, "after ticking");
  window.SetCheckBox(Field::VolUnits1, 0);
  ExpectUnits(false, "after unticking");

  for (Field field : AllFields())
    EXPECT_EQ(Text(field), before[static_cast<size_t>(field)]) << FieldName(field);
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
      {"generic currency sign", "\u00A4", "Tax:", tax},
      {"yen", "\u00A5", "Tax:", tax},
      {"lira sign, which resembles the pound", "\u20A4", "Tax:", tax},
      {"a letter", "R", "Tax:", tax},
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

TEST_F(CurrencySymbols, AddsTheSymbolToEveryMoneyFieldThatHoldsText) {
  for (Field field : kMoneyFields)
    fields.SetText(field, "1.5");
  fields.SetText(Field::Item2Period, "");
  fields.SetText(Field::SVCost, "");
  for (Field field : kNotMoney)
    fields.SetText(field, "1.5");
  window.ManageCurrency(false, true);
  for (Field field : kMoneyFields) {
    const bool empty = field == Field::Item2Period || field == Field::SVCost;
    EXPECT_EQ(Text(field), empty ? "" : kPound + "1.5") << FieldName(field);
  }
  for (Field field : kNotMoney)
    EXPECT_EQ(Text(field), "1.5") << FieldName(field);
}

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

TEST_F(CurrencySymbols, ASymbolTypedTwiceStaysDoubleOnlyOnTheCharges) {
  Set({{Field::WVCost, kPound + kPound + "1.5"},
       {Field::SVCost, kPound + kPound + "2"},
       {Field::Item1Cost, kPound + kPound + "450"},
       {Field::Item1Day, kPound + kPound + "1"}});
  window.ManageCurrency(true, true);
  EXPECT_EQ(Text(Field::WVCost), kPound + kPound + "1.5");
  EXPECT_EQ(Text(Field::SVCost), kPound + kPound + "2");
  EXPECT_EQ(Text(Field::Item1Cost), kPound + "450");
  EXPECT_EQ(Text(Field::Item1Day), kPound + "1");
}

TEST_F(CurrencySymbols, StripsWithTheOldSymbolAndAddsTheNewOne) {
  // The symbol is worked out between the two steps, so a change of regional settings while
  // the program runs replaces the symbols at the next call.
  Set({{Field::WVCost, kPound + "1.5"}, {Field::SVCost, kEuro + "2"}});
  fake.locale.symbol = kEuro;
  window.ManageCurrency(true, true);
  EXPECT_EQ(Text(Field::WVCost), kEuro + "1.5");
  // The charges always get a symbol added, so one the strip did not take stays.
  EXPECT_EQ(Text(Field::SVCost), kEuro + kEuro + "2");
  EXPECT_EQ(State().CurrencySymbol, kEuro);

  window.ManageCurrency(true, false);
  EXPECT_EQ(Text(Field::WVCost), "1.5");
  EXPECT_EQ(Text(Field::SVCost), kEuro + "2");
}

TEST_F(CurrencySymbols, CalculateReadsMoneyFieldsThroughTheirSymbols) {
  Set({{Field::WVCost, kPound + "1.5"},
       {Field::SVCost, kPound + "2"},
       {Field::SVAllow, "90"},
       {Field::PPeriod, "5"},
       {Field::Item1Use, "10"},
       {Field::Item1UseD, "3"},
       {Field::Item1Cost, kPound + "100"},
       {Field::Item2Use, "5"},
       {Field::Item2UseD, "3"},
       {Field::Item2Cost, "300"}});
  window.Calc_Click();
  ASSERT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(Text(Field::WVCost), kPound + "1.5000");
  EXPECT_EQ(Text(Field::SVCost), kPound + "2.0000");
  EXPECT_EQ(Text(Field::Item1Cost), kPound + "100.00");
  EXPECT_EQ(Text(Field::Item2Cost), kPound + "300.00");
  EXPECT_EQ(Text(Field::Item1Day).rfind(kPound, 0), 0u) << Text(Field::Item1Day);
  EXPECT_EQ(Text(Field::Item1W).find(kPound), std::string::npos) << Text(Field::Item1W);

  // Calculating again on the fields as shown, symbols and all, gives the same results.
  std::array<std::string, kFieldCount> first;
  for (Field field : AllFields())
    first[static_cast<size_t>(field)] = Text(field);
  window.Calc_Click();
  ASSERT_TRUE(fake.boxes.Shown().empty());
  for (Field field : AllFields()) {
    if (KindOf(field) == FieldKind::Result || KindOf(field) == FieldKind::Input) {
      EXPECT_EQ(Text(field), first[static_cast<size_t>(field)]) << FieldName(field);
    }
  }
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
      {"dollar before the number", "$1.00", "$", "$"},
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
      {"dollar after the number", "1.00 $", "$", "$"},
      {"several letters after the number", "1,00 kr", "kr", "\u00A4"},
      {"several letters before the number", "kr 1,00", "kr", "\u00A4"},
      {"code before the number", "US$1.00", "US$", "\u00A4"},
      {"symbol followed by a letter", "Fr.1.00", "Fr.", "\u00A4"},
      {"no symbol at all, as in the C locale", "1.00", "", "\u00A4"},
      {"nothing formatted", "", "", "\u00A4"},
      {"a sign can begin a number", "-1", "-", "\u00A4"},
      {"a point can begin a number", ".1", ".", "\u00A4"},
      {"a digit can begin a number", "1,00 ", "1", "\u00A4"},
  };
  for (const auto& row : cases)
    EXPECT_EQ(ChooseCurrencySymbol(row.formatted_one, row.locale_symbol), row.chosen)
        << row.meaning;
}

}  // namespace
}  // namespace tolvarn
