// The Household button and window as a user drives them: real widgets, offscreen.
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QTableWidget>
#include <map>

#include "files/household_file.h"
#include "gui_fixture.h"
#include "shell/qt/household_window.h"
#include "shell/qt/payback_window.h"

namespace tolvarn {
namespace {

class HouseholdGuiTest : public testing::GuiTest {
 protected:
  // Opens the Household window as a first-time user who takes the typical household.
  HouseholdWindow* OpenTypical() {
    fake_.boxes.Script({BoxAnswer::Yes});
    Click("Household");
    HouseholdWindow* household = window_->Household();
    EXPECT_TRUE(household != nullptr && household->isVisible());
    return household;
  }
  std::string Cell(const HouseholdWindow* household, int row, int column) const {
    const QTableWidgetItem* cell = Widget<QTableWidget>("Fittings", household)->item(row, column);
    return cell == nullptr ? "" : cell->text().toStdString();
  }
  static int PresetIndex(std::string_view name) {
    for (size_t i = 0; i < FittingPresets().size(); ++i)
      if (FittingPresets()[i].name == name) return static_cast<int>(i);
    return -1;
  }
  static constexpr int kLitres = 2, kCost = 4;
};

// Adding the Household button moved no control of the main window, nor changed its size.
TEST_F(HouseholdGuiTest, TheHouseholdButtonMovesNothing) {
  ASSERT_TRUE(Open());
  const auto places = [this] {
    window_->layout()->activate();
    std::map<std::string, QRect> where;
    for (const QWidget* widget : window_->findChildren<QWidget*>())
      if (!widget->objectName().isEmpty() && widget->objectName() != "Household" &&
          widget->isVisible())
        where[widget->objectName().toStdString()] = widget->geometry();
    return std::pair{where, window_->size()};
  };
  const auto with = places();
  Widget<QPushButton>("Household")->hide();
  const auto without = places();
  EXPECT_EQ(with.second, without.second);
  for (const auto& [name, box] : without.first)
    EXPECT_EQ(with.first.at(name), box) << name;
}

// A first-time user is offered the typical household; the window is kept by keyboard, every
// control says what it is, and the figures follow each edit, the tariff and the units.
TEST_F(HouseholdGuiTest, TheTypicalHouseholdEditedByKeyboard) {
  ASSERT_TRUE(Open());
  TypeAll("WVCost=");  // a tariff that fails its checks: no money shown
  HouseholdWindow* household = OpenTypical();
  ASSERT_NE(household, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowActive(household));
  ASSERT_EQ(fake_.boxes.Shown().size(), 1u);
  EXPECT_EQ(fake_.boxes.Shown()[0].title, "Tolvarn Household");
  auto* table = Widget<QTableWidget>("Fittings", household);
  ASSERT_EQ(table->rowCount(), static_cast<int>(TypicalHousehold().fittings.size()));
  EXPECT_EQ(Cell(household, 0, 0), "Mixer shower");
  EXPECT_EQ(Cell(household, 0, kLitres), "75.4");  // 8 x 7.5 x 4.4 / 7 x 2
  EXPECT_EQ(Cell(household, 0, kCost), "");        // no tariff yet
  EXPECT_TRUE(Widget<QLabel>("MoneyNotice", household)->isVisible());
  EXPECT_NE(Widget<QLabel>("Average", household)->toolTip().toStdString(), "");

  for (QWidget* control : household->findChildren<QWidget*>()) {
    const bool input = qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control) ||
                       qobject_cast<QAbstractButton*>(control) ||
                       qobject_cast<QTableWidget*>(control);
    if (!input || control->objectName().startsWith("qt_") || control->objectName().isEmpty())
      continue;
    EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
        << control->objectName().toStdString();
  }

  // Three people: the shower's litres go up by half.
  Type(Widget<QLineEdit>("People", household), "3");
  EXPECT_EQ(Cell(household, 0, kLitres), "113.1");
  // The bath chosen with the arrow keys, its volume typed: 100 x 1.3 / 7 x 3 = 55.7 L.
  table->setFocus();
  QTest::keyClick(table, Qt::Key_Down);
  EXPECT_EQ(Widget<QLineEdit>("FittingName", household)->text(), "Bath");
  Type(Widget<QLineEdit>("Value0", household), "100");
  EXPECT_EQ(Cell(household, 1, kLitres), "55.7");
  // A wrong value: its message, and no figures until it is put right.
  Type(Widget<QLineEdit>("Value0", household), "1000");
  EXPECT_NE(Widget<QLabel>("Messages", household)->text().toStdString().find("Bath volume must be"),
            std::string::npos);
  EXPECT_EQ(Cell(household, 0, kLitres), "");
  Type(Widget<QLineEdit>("Value0", household), "100");
  // Delete removes the chosen fitting, Alt+A adds the chosen preset at the end.
  table->setFocus();
  QTest::keyClick(table, Qt::Key_Delete);
  EXPECT_EQ(table->rowCount(), 5);
  EXPECT_EQ(Cell(household, 1, 0), "Dual-flush WC 6/4");
  QTest::keyClick(household, Qt::Key_A, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([table] { return table->rowCount() == 6; }));

  // The tariff typed in the main window prices each fitting: 0.1131429 m3 x 3.21 a day.
  TypeAll("WVCost=1.5 SVCost=1.8 SVAllow=95 VRate=0 AnInfT=0 PPeriod=5");
  EXPECT_EQ(Cell(household, 0, kCost), "\u00A30.363");
  EXPECT_FALSE(Widget<QLabel>("MoneyNotice", household)->isVisible());
  Click("VolUnits1");  // the charges are now per 1000 gallons
  EXPECT_EQ(Cell(household, 0, kCost), "\u00A30.080");

  // Escape closes and saves; the next start reads what was typed, and asks nothing.
  QTest::keyClick(household, Qt::Key_Escape);
  EXPECT_FALSE(household->isVisible());
  const HouseholdReading read = ReadHousehold(*files_);
  EXPECT_EQ(read.household.settings.People, 3);
  ASSERT_EQ(read.household.fittings.size(), 6u);
  EXPECT_EQ(read.household.fittings[0].Name, "Mixer shower");
}

// From a first start to "Item 2 pays for itself": a low-flow shower head for 25 replacing the
// mixer shower of the typical household fills both items, calculates and shows the payback.
TEST_F(HouseholdGuiTest, CompareFillsTheMainWindowAndOpensPayback) {
  ASSERT_TRUE(Open());
  TypeAll("WVCost=1.5 SVCost=1.8 SVAllow=95 VRate=0 AnInfT=2 PPeriod=5");
  HouseholdWindow* household = OpenTypical();
  ASSERT_NE(household, nullptr);
  Click("Compare", household);
  EXPECT_TRUE(Widget<QWidget>("CompareBox", household)->isVisible());
  EXPECT_EQ(Widget<QComboBox>("CompareFitting", household)->currentIndex(), 0);
  Widget<QComboBox>("ReplacementPreset", household)
      ->setCurrentIndex(PresetIndex("Low-flow shower head") + 1);
  EXPECT_EQ(Widget<QLineEdit>("Replacement0", household)->text(), "6");
  Type(Widget<QLineEdit>("ReplacementCost", household), "25");
  Click("CompareNow", household);
  EXPECT_EQ(Widget<QLabel>("CompareMessages", household)->text(), "");
  EXPECT_EQ(TextsOf("Item1Use Item1UseD Item1Cost Item2Use Item2UseD Item2Cost"),
            "75.4|1||56.6|1|\u00A325.00");
  PaybackWindow* payback = window_->Payback();
  ASSERT_TRUE(payback != nullptr && payback->isVisible());
  EXPECT_EQ(Widget<QLineEdit>("Item1HotShare", payback)->text(), "100");
  EXPECT_TRUE(Widget<QLabel>("Headline", payback)->text().startsWith("Item 2 pays for itself"));

  // A fitting without water cannot be compared, and says so.
  household->Panel().SetValueText(3, 2, "0");  // the washing machine's cycles a week
  Widget<QComboBox>("CompareFitting", household)->setCurrentIndex(3);
  Click("CompareNow", household);
  EXPECT_TRUE(Widget<QLabel>("CompareMessages", household)->text().startsWith("Washing machine"));
  EXPECT_EQ(TextOf("Item1Use"), "75.4");
}

}  // namespace
}  // namespace tolvarn
