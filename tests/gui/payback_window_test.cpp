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
    EXPECT_NE(payback, nullptr);
    EXPECT_TRUE(payback != nullptr && payback->isVisible());
    return payback;
  }
  template <class T>
  T* In(const char* name) const {
    T* widget = window_->Payback()->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void TypeIn(const char* name, const std::string& text) {
    QLineEdit* edit = In<QLineEdit>(name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
  }
  std::string Shown(const char* name) const { return In<QLabel>(name)->text().toStdString(); }
  QAbstractItemModel& Table() const { return *In<QTableView>("Table")->model(); }
  std::string Cell(int row, int column) const {
    return Table().data(Table().index(row, column)).toString().toStdString();
  }
  bool ExportEnabled() const { return In<QPushButton>("ExportCsv")->isEnabled(); }
};

// State / Action / Expected: the button is enabled exactly after a Calculate that compared
// both items.
TEST_F(PaybackGuiTest, TheButtonNeedsACalculateOfBothItems) {
  ASSERT_TRUE(Open());
  auto* button = Widget<QPushButton>("Payback");
  EXPECT_EQ(button->text(), "&Payback");
  EXPECT_FALSE(button->isEnabled());  // at start
  TypeAll("Item1Use=65 Item1UseD=1");
  Click("Calc");
  EXPECT_FALSE(button->isEnabled());  // one item
  CalculateBoth();
  EXPECT_TRUE(button->isEnabled());
  Click("Clear");
  EXPECT_FALSE(button->isEnabled());
  EXPECT_EQ(window_->Payback(), nullptr);  // never made, since never used
}

TEST_F(PaybackGuiTest, TheWindowFollowsALaterCalculate) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  ASSERT_NE(OpenPayback(), nullptr);
  EXPECT_EQ(Table().rowCount(), 16);  // years 0 to 15
  EXPECT_EQ(Cell(0, 2), "\u00A3450.00");
  EXPECT_TRUE(ExportEnabled());

  CalculateBoth("300");
  EXPECT_EQ(Cell(0, 2), "\u00A3300.00");

  // A Calculate with one item leaves nothing to compare.
  TypeAll("Item2Use= Item2UseD= Item2Cost=");
  Click("Calc");
  EXPECT_EQ(Table().rowCount(), 0);
  EXPECT_NE(Shown("Messages").find("both items"), std::string::npos);
  EXPECT_FALSE(ExportEnabled());
}

TEST_F(PaybackGuiTest, SettingsAreSavedOnCloseOnlyWhenChanged) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  TypeIn("Item2OwnEnergy", "0.8");  // an item's value: not kept
  QTest::mouseClick(In<QPushButton>("Close"), Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Data/Payback.ini"));
  OpenPayback();
  TypeIn("Horizon", "25");
  QTest::mouseClick(In<QPushButton>("Close"), Qt::LeftButton);
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.Horizon, 25);
  // Exit closes the Payback window too, keeping its change.
  OpenPayback();
  TypeIn("TemperatureRise", "40");
  Click("Exit");
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.TemperatureRise, 40);
}

// With On Top ticked the main window stays above others: the Payback window does too, so that
// the main window never hides it.
TEST_F(PaybackGuiTest, ThePaybackWindowFollowsOnTop) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  Click("OnTop");
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  ASSERT_NE(payback->windowHandle(), nullptr);
  EXPECT_TRUE(payback->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
  Click("OnTop");
  EXPECT_FALSE(payback->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

// A box raised while the Payback window is in use shows over it, not over the main window
// that may lie behind it.
TEST_F(PaybackGuiTest, ABoxShowsOverTheWindowInUse) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
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
