// The Payback button and window as a user drives them: real widgets, offscreen.
#include <QAbstractItemModel>
#include <QLabel>
#include <QTableView>
#include <QWindow>

#include "files/payback_settings.h"
#include "gui_fixture.h"
#include "shell/qt/payback_chart.h"
#include "shell/qt/payback_window.h"
#include "shell/qt/qt_message_boxes.h"

namespace tolvarn {
namespace {

class PaybackGuiTest : public testing::GuiTest {
 protected:
  // Both items of the worked example, calculated.
  void CalculateBoth(const std::string& item2_cost = "450") {
    Type("Item1Use", "65");
    Type("Item1UseD", "1");
    Type("Item2Use", "45");
    Type("Item2UseD", "1");
    Type("Item2Cost", item2_cost);
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
  Type("Item1Use", "65");
  Type("Item1UseD", "1");
  Click("Calc");
  EXPECT_FALSE(button->isEnabled());  // one item
  CalculateBoth();
  EXPECT_TRUE(button->isEnabled());
  Type("Item2Use", "900");  // fails its check: no comparison
  fake_.boxes.Clear();
  Click("Calc");
  EXPECT_FALSE(fake_.boxes.Shown().empty());
  EXPECT_FALSE(button->isEnabled());
  CalculateBoth();
  Click("Clear");
  EXPECT_FALSE(button->isEnabled());
  EXPECT_EQ(window_->Payback(), nullptr);  // never made, since never used
}

// The new button comes last in the tab order, after Exit.
TEST_F(PaybackGuiTest, TheButtonFollowsExitInTabOrder) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  QWidget* after = Widget<QPushButton>("Exit")->nextInFocusChain();
  while (after->focusPolicy() == Qt::NoFocus || !after->isEnabled())
    after = after->nextInFocusChain();
  EXPECT_EQ(after->objectName(), "Payback");
}

TEST_F(PaybackGuiTest, TheWindowFollowsALaterCalculate) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  ASSERT_NE(OpenPayback(), nullptr);
  EXPECT_EQ(Table().rowCount(), 16);  // years 0 to 15
  EXPECT_EQ(Cell(0, 2), "\u00A3450.00");
  EXPECT_NE(Shown("Headline"), "");
  EXPECT_FALSE(In<QLabel>("Messages")->isVisible());
  EXPECT_TRUE(ExportEnabled());

  CalculateBoth("300");
  EXPECT_EQ(Cell(0, 2), "\u00A3300.00");

  // A Calculate with one item leaves nothing to compare.
  Type("Item2Use", "");
  Type("Item2UseD", "");
  Type("Item2Cost", "");
  Click("Calc");
  EXPECT_EQ(Table().rowCount(), 0);
  EXPECT_TRUE(In<QLabel>("Messages")->isVisible());
  EXPECT_NE(Shown("Messages").find("both items"), std::string::npos);
  EXPECT_EQ(Shown("Headline"), "");
  EXPECT_FALSE(ExportEnabled());
  EXPECT_FALSE(Widget<QPushButton>("Payback")->isEnabled());
}

TEST_F(PaybackGuiTest, InvalidInputShowsEveryMessageAndDisablesExport) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  ASSERT_NE(OpenPayback(), nullptr);
  TypeIn("Horizon", "0");
  TypeIn("Item1HotShare", "101");
  const std::vector<std::string>& messages = window_->Payback()->Panel().Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(Shown("Messages"), messages[0] + "\n" + messages[1]);
  EXPECT_NE(messages[0].find(PaybackInputTable()[0].label), std::string::npos);
  EXPECT_FALSE(ExportEnabled());
  EXPECT_EQ(Table().rowCount(), 0);
  TypeIn("Horizon", "3");
  TypeIn("Item1HotShare", "100");
  EXPECT_TRUE(ExportEnabled());
  EXPECT_EQ(Table().rowCount(), 4);
  EXPECT_FALSE(In<QLabel>("Messages")->isVisible());
}

// The exported file holds the rows the table shows, figure for figure; a file that cannot be
// written is reported and nothing is left behind.
TEST_F(PaybackGuiTest, ExportWritesTheRowsTheTableShows) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  TypeIn("EnergyPrice", "0.3");
  TypeIn("Item1HotShare", "50");
  TypeIn("Co2PerKWh", "0.2");
  QString asked_for = QString::fromStdString((dir_ / "out.csv").string());
  payback->SetFileNameAsker([&](QWidget*, const QString&) { return asked_for; });
  QTest::mouseClick(In<QPushButton>("ExportCsv"), Qt::LeftButton);
  const std::string csv = Read("out.csv");
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    ASSERT_TRUE(line.ends_with('\r'));
    line.pop_back();
    std::vector<std::string>& row = rows.emplace_back();
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');)
      row.push_back(cell);
  }
  ASSERT_EQ(static_cast<int>(rows.size()), Table().rowCount() + 1);  // and the header
  for (int row = 0; row < Table().rowCount(); ++row)
    for (int column = 0; column < Table().columnCount(); ++column) {
      std::string shown = Cell(row, column);
      if (const size_t symbol = shown.find("\u00A3"); symbol != std::string::npos)
        shown.erase(symbol, std::string("\u00A3").size());
      EXPECT_EQ(rows[static_cast<size_t>(row) + 1][static_cast<size_t>(column)], shown)
          << row << ", " << column;
    }
  EXPECT_NE(Cell(15, 6), "0.000");  // the energy figures take part

  asked_for = QString::fromStdString((dir_ / "missing/out.csv").string());
  QTest::mouseClick(In<QPushButton>("ExportCsv"), Qt::LeftButton);
  ASSERT_EQ(fake_.boxes.Shown().size(), 1u);
  EXPECT_EQ(fake_.boxes.Shown()[0].title, "Tolvarn Export Error");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "missing"));
  // Cancelling the dialog writes nothing.
  asked_for.clear();
  std::filesystem::remove(dir_ / "out.csv");
  QTest::mouseClick(In<QPushButton>("ExportCsv"), Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out.csv"));
}

// Keyboard only: Alt+P opens the window, Tab reaches the inputs, Return leaves it open, Esc
// closes it.
TEST_F(PaybackGuiTest, TheKeyboardAloneWorksTheWindow) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  QTest::keyClick(window_.get(), Qt::Key_P, Qt::AltModifier);
  // An access key presses the button as a click would, over a tenth of a second.
  ASSERT_TRUE(QTest::qWaitFor([this] { return window_->Payback() != nullptr; }));
  PaybackWindow* payback = window_->Payback();
  ASSERT_NE(payback, nullptr);
  ASSERT_TRUE(payback->isVisible());
  ASSERT_TRUE(QTest::qWaitForWindowActive(payback));
  // It opens on its first input; Tab goes round the window and back into it.
  ASSERT_EQ(QApplication::focusWidget(), In<QLineEdit>("Horizon"));
  In<QPushButton>("Close")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), In<QLineEdit>("Horizon"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), In<QLineEdit>("Discount"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(QApplication::focusWidget(), "5");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(payback->isVisible());
  EXPECT_EQ(payback->Panel().Text(PaybackInput::Discount), "5");
  // The access key of an input's label takes the focus to the input.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), In<QLineEdit>("Horizon"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(payback->isVisible());
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.Discount, 5);
}

TEST_F(PaybackGuiTest, SettingsAreSavedOnCloseOnlyWhenChanged) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  TypeIn("Item2OwnEnergy", "0.8");  // an item's value: not kept
  QTest::mouseClick(In<QPushButton>("Close"), Qt::LeftButton);
  EXPECT_FALSE(payback->isVisible());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Data/Payback.ini"));
  OpenPayback();
  EXPECT_EQ(In<QLineEdit>("Item2OwnEnergy")->text(), "0.8");  // kept while the program runs
  TypeIn("Horizon", "25");
  QTest::mouseClick(In<QPushButton>("Close"), Qt::LeftButton);
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.Horizon, 25);
  // Exit closes the Payback window too, keeping its change.
  OpenPayback();
  TypeIn("TemperatureRise", "40");
  Click("Exit");
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.TemperatureRise, 40);
}

TEST_F(PaybackGuiTest, TheFileIsReadOnFirstOpeningAndItsProblemsShowInTheWindow) {
  PaybackSettings stored;
  stored.Horizon = 8;
  Write("Data/Payback.ini", PaybackSettingsText(stored) + "Discount=lots\r\n");
  ASSERT_TRUE(Open());
  CalculateBoth();
  ASSERT_NE(OpenPayback(), nullptr);
  EXPECT_EQ(In<QLineEdit>("Horizon")->text(), "8");
  EXPECT_EQ(Table().rowCount(), 9);
  EXPECT_NE(Shown("Status").find("Discount"), std::string::npos);
  EXPECT_TRUE(fake_.boxes.Shown().empty());
  EXPECT_EQ(ended_, -1);
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
  EXPECT_TRUE(payback->isVisible());
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

TEST_F(PaybackGuiTest, TheChartDrawsBothItemsAndThePriceTakesTheCurrency) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  ASSERT_NE(OpenPayback(), nullptr);
  EXPECT_EQ(In<QLabel>("EnergyPriceUnit")->text(), "\u00A3 per kWh");
  const QImage drawn = In<PaybackChart>("Chart")->grab().toImage();
  int found[2] = {0, 0};
  for (int y = 0; y < drawn.height(); ++y)
    for (int x = 0; x < drawn.width(); ++x)
      for (int item = 1; item <= 2; ++item)
        if (drawn.pixelColor(x, y) == PaybackChart::ItemColour(item)) ++found[item - 1];
  // More than the legend's short line each.
  EXPECT_GT(found[0], 100);
  EXPECT_GT(found[1], 100);
}

}  // namespace
}  // namespace tolvarn
