// The Payback button and window as a user drives them: real widgets, offscreen.
#include <QAbstractItemModel>
#include <QLabel>
#include <QTableView>
#include <QWindow>

#include "files/payback_settings.h"
#include "gui_fixture.h"
#include "shell/qt/payback_window.h"
#include "shell/qt/qt_message_boxes.h"

namespace tolvarn {
namespace {

class PaybackGuiTest : public testing::GuiTest {
 protected:
  // Both items of the worked example, calculated.
  void CalculateBoth(const std::string& item2_cost = "450") {
    TypeAll("Item1Use=65 Item1UseD=1 Item2Use=45 Item2UseD=1 Item2Cost=" + item2_cost);
    Click("Calc");
  }
  PaybackWindow* OpenPayback() {
    Click("Payback");
    PaybackWindow* payback = window_->Payback();
    EXPECT_TRUE(payback != nullptr && payback->isVisible());
    return payback;
  }
  std::string Cell(int row, int column) const {
    const QAbstractItemModel& table = *Widget<QTableView>("Table", window_->Payback())->model();
    return table.data(table.index(row, column)).toString().toStdString();
  }
};

// The button is enabled exactly after a Calculate that compared both items, and the window
// follows each later Calculate.
TEST_F(PaybackGuiTest, TheWindowFollowsEachCalculateOfBothItems) {
  ASSERT_TRUE(Open());
  auto* button = Widget<QPushButton>("Payback");
  EXPECT_FALSE(button->isEnabled());  // at start
  TypeAll("Item1Use=65 Item1UseD=1");
  Click("Calc");
  EXPECT_FALSE(button->isEnabled());  // one item
  CalculateBoth();
  EXPECT_TRUE(button->isEnabled());
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  EXPECT_EQ(Widget<QTableView>("Table", payback)->model()->rowCount(), 16);  // years 0 to 15
  EXPECT_EQ(Cell(0, 2), "\u00A3450.00");
  EXPECT_TRUE(Widget<QPushButton>("ExportCsv", payback)->isEnabled());
  CalculateBoth("300");
  EXPECT_EQ(Cell(0, 2), "\u00A3300.00");

  // A Calculate with one item leaves nothing to compare.
  TypeAll("Item2Use= Item2UseD= Item2Cost=");
  Click("Calc");
  EXPECT_EQ(Widget<QTableView>("Table", payback)->model()->rowCount(), 0);
  EXPECT_NE(Widget<QLabel>("Messages", payback)->text().toStdString().find("both items"),
            std::string::npos);
  EXPECT_FALSE(Widget<QPushButton>("ExportCsv", payback)->isEnabled());
  EXPECT_FALSE(button->isEnabled());
}

TEST_F(PaybackGuiTest, SettingsAreSavedOnCloseOnlyWhenChanged) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  Type(Widget<QLineEdit>("Item2OwnEnergy", payback), "0.8");  // an item's value: not kept
  Click("Close", payback);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Data/Payback.ini"));
  OpenPayback();
  Type(Widget<QLineEdit>("Horizon", payback), "25");
  Click("Close", payback);
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.Horizon, 25);
  // Exit closes the Payback window too, keeping its change.
  OpenPayback();
  Type(Widget<QLineEdit>("TemperatureRise", payback), "40");
  Click("Exit");
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.TemperatureRise, 40);
}

// The Payback window stays above others with the main window (On Top), so that the main window
// never hides it; and a box raised while it is in use shows over it, not over the main window
// that may lie behind it.
TEST_F(PaybackGuiTest, ThePaybackWindowStaysInSight) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  Click("OnTop");
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  ASSERT_NE(payback->windowHandle(), nullptr);
  EXPECT_TRUE(payback->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
  Click("OnTop");
  EXPECT_FALSE(payback->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));

  payback->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(payback));
  QtMessageBoxes boxes;
  boxes.SetParent(window_.get());
  QWidget* over = nullptr;
  QTimer::singleShot(100, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    over = box->parentWidget();
    box->close();
  });
  expected_modal_ = "Tolvarn Export Error";
  boxes.Show(
      {"Tolvarn Export Error", "Unable to write the file", BoxIcon::Exclamation, BoxButtons::Ok});
  EXPECT_EQ(over, payback);
}

}  // namespace
}  // namespace tolvarn
