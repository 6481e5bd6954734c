// The volume units switch, which converts nothing, and the currency symbol with its VAT/tax label.
#include <string>

#include "posix/posix_platform.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

const std::string kPound = "\u00A3";
const std::string kEuro = "\u20AC";

TEST_F(WindowTest, VolumeUnitsRelabelBothWaysAndConvertNothing) {
  Start();
  Enter("£1.5000||||||12.0|||||");
  Set({{Field::Item1W, "65700"}});
  const std::string before = Texts(kInputs) + Text(Field::Item1W);
  for (const bool gallons : {true, false}) {
    window.SetCheckBox(Field::VolUnits1, gallons ? 1 : 0);
    EXPECT_EQ(fields.Caption(Field::Item2WatL), gallons ? "Gal" : "Ltr");
    EXPECT_EQ(State().ChargeUnitText, gallons ? "per 1000 Gallons" : "per Cubic Metre");
    EXPECT_EQ(Texts(kInputs) + Text(Field::Item1W), before);
  }
}

// One whole symbol goes from the front of the money fields only (Item1Use holds no money). The
// lira sign resembles the pound but is not it.
TEST_F(WindowTest, OneSymbolIsStrippedAndPoundAndEuroAreLabelledVatAnyOtherSymbolTax) {
  Start();
  constexpr Field kMoney[] = {Field::WVCost,    Field::SVCost,  Field::Item1Cost,
                              Field::Item2Cost, Field::DaySave, Field::Item1Use};
  Enter(kPound + kPound + "1.5|1.5" + kPound + "|$450|" + kPound + "|" + kPound + "2.5|" + kPound +
            "1",
        kMoney);
  window.ManageCurrency(true, false);
  EXPECT_EQ(Texts(kMoney), kPound + "1.5|1.5" + kPound + "|$450||2.5|" + kPound + "1");
  for (const std::string& symbol : {kPound, kEuro, std::string("\u20A4")}) {
    const bool vat = symbol != "\u20A4";
    fake.locale.symbol = symbol;
    window.ManageCurrency(true, false);
    EXPECT_EQ(State().CurrencySymbol, symbol);
    EXPECT_EQ(fields.Caption(Field::VRateH), vat ? "VAT:" : "Tax:") << symbol;
    EXPECT_EQ(fields.ToolTip(Field::VRate).substr(0, 3), vat ? "VAT" : "Tax") << symbol;
    EXPECT_EQ(State().ErrorLocation, 207);
  }
}

TEST(ChooseCurrencySymbol, TakesAOneCharacterSymbolBeforeTheNumberOrFallsBack) {
  const struct {
    std::string formatted_one, locale_symbol, chosen;
  } cases[] = {
      {kEuro + "\u00A0" + "1,00", kEuro, kEuro},  // a no-break space between
      {kPound, kPound, kPound},                   // the symbol alone
      {kPound + "1.00", "GBP", kPound},           // what is formatted wins over the locale
      {"1,00 " + kEuro, kEuro, kEuro},            // after the number: the locale's
      {"kr 1,00", "kr", "\u00A4"},
      {"1.00", "", "\u00A4"},   // the C locale
      {"-1", "-", "\u00A4"},    // a sign can begin a number
      {"1,00", ",", "\u00A4"},  // so can a comma, a decimal point to many
  };
  for (const auto& row : cases)
    EXPECT_EQ(ChooseCurrencySymbol(row.formatted_one, row.locale_symbol), row.chosen)
        << row.formatted_one;
}

}  // namespace
}  // namespace tolvarn
