// The Household button and window as a user drives them: real widgets, offscreen.
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include "files/household_file.h"
#include "gui_fixture.h"
#include "shell/qt/household_window.h"
#include "shell/qt/payback_window.h"

namespace tolvarn {
namespace {

using HouseholdGuiTest = testing::GuiTest;

// A first-time user takes the typical household; the window is kept by keyboard, every control
// says what it is, and the figures follow each edit, the tariff and the units. Compare then
// replaces the mixer shower with a low-flow shower head for 25, fills both items, calculates and
// shows that item 2 pays for itself.
TEST_F(HouseholdGuiTest, TheHouseholdByKeyboardAndCompare) {
  ASSERT_TRUE(Open());
  TypeAll("WVCost=");  // a tariff that fails its checks: no money shown
  fake_.boxes.Script({BoxAnswer::Yes});
  Click("Household");
  HouseholdWindow* household = window_->Household();
  ASSERT_TRUE(household != nullptr && QTest::qWaitForWindowActive(household));
  EXPECT_EQ(fake_.boxes.Shown().at(0).title, "Tolvarn Household");
  auto* table = Widget<QTableWidget>("Fittings", household);
  ASSERT_EQ(table->rowCount(), static_cast<int>(TypicalHousehold().fittings.size()));
  const auto cell = [table](int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item == nullptr ? "" : item->text().toStdString();
  };
  constexpr int kLitres = 2, kCost = 4;
  EXPECT_TRUE(Widget<QLabel>("MoneyNotice", household)->isVisible());
  EXPECT_NE(Widget<QLabel>("Average", household)->toolTip().toStdString(), "");
  SpokenNames(*household);

  // Three people: 8 x 7.5 x 4.4 / 7 x 3 L for the shower.
  Type(Widget<QLineEdit>("People", household), "3");
  EXPECT_EQ(cell(0, kLitres), "113.1");
  // The bath chosen with the arrow keys, its volume typed: 100 x 1.3 / 7 x 3 = 55.7 L.
  table->setFocus();
  QTest::keyClick(table, Qt::Key_Down);
  EXPECT_EQ(Widget<QLineEdit>("FittingName", household)->text(), "Bath");
  Type(Widget<QLineEdit>("Value0", household), "100");
  EXPECT_EQ(cell(1, kLitres), "55.7");
  Type(Widget<QLineEdit>("Value0", household), "1000");
  EXPECT_NE(Widget<QLabel>("Messages", household)->text().toStdString().find("Bath volume must be"),
            std::string::npos);
  EXPECT_EQ(cell(0, kLitres), "");  // no figures until it is put right
  Type(Widget<QLineEdit>("Value0", household), "100");
  // Delete removes the chosen fitting, Alt+A adds the chosen preset at the end.
  table->setFocus();
  QTest::keyClick(table, Qt::Key_Delete);
  EXPECT_EQ(table->rowCount(), 5);
  EXPECT_EQ(cell(1, 0), "Dual-flush WC 6/4");
  QTest::keyClick(household, Qt::Key_A, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([table] { return table->rowCount() == 6; }));
  // The tariff typed in the main window prices each fitting: 0.1131429 m3 x 3.21 a day.
  TypeAll("WVCost=1.5 SVCost=1.8 SVAllow=95 VRate=0 AnInfT=0 PPeriod=5");
  EXPECT_EQ(cell(0, kCost), "\u00A30.363");
  EXPECT_FALSE(Widget<QLabel>("MoneyNotice", household)->isVisible());

  Click("Compare", household);
  EXPECT_TRUE(Widget<QWidget>("CompareBox", household)->isVisible());
  auto* compared = Widget<QComboBox>("CompareFitting", household);
  EXPECT_EQ(compared->currentIndex(), 5);  // the one chosen in the list
  compared->setCurrentIndex(0);
  auto* replacement = Widget<QComboBox>("ReplacementPreset", household);
  replacement->setCurrentIndex(replacement->findText("Low-flow shower head"));
  EXPECT_EQ(Widget<QLineEdit>("Replacement0", household)->text(), "6");
  Type(Widget<QLineEdit>("ReplacementCost", household), "25");
  Click("CompareNow", household);
  EXPECT_EQ(Widget<QLabel>("CompareMessages", household)->text(), "");
  EXPECT_EQ(TextOf("Item1Use") + "|" + TextOf("Item2Use") + "|" + TextOf("Item2Cost"),
            "113.1|84.9|\u00A325.00");
  PaybackWindow* payback = window_->Payback();
  ASSERT_TRUE(payback != nullptr && payback->isVisible());
  EXPECT_EQ(Widget<QLineEdit>("Item1HotShare", payback)->text(), "100");
  EXPECT_TRUE(Widget<QLabel>("Headline", payback)->text().startsWith("Item 2 pays for itself"));
  // A fitting without water cannot be compared, and says so.
  household->Panel().SetValueText(2, 2, "0");  // the washing machine's cycles a week
  compared->setCurrentIndex(2);
  Click("CompareNow", household);
  EXPECT_TRUE(Widget<QLabel>("CompareMessages", household)->text().startsWith("Washing machine"));
  EXPECT_EQ(TextOf("Item1Use"), "113.1");

  Click("VolUnits1");  // the charges are now per 1000 gallons
  EXPECT_EQ(cell(0, kCost), "\u00A30.080");
  household->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(household));
  QTest::keyClick(household, Qt::Key_Escape);
  EXPECT_FALSE(household->isVisible());
  const HouseholdReading read = ReadHousehold(*files_);
  EXPECT_EQ(read.household.settings.People, 3);
  EXPECT_EQ(read.household.fittings.size(), 6u);
}

}  // namespace
}  // namespace tolvarn
