// The Payback button and window as a user drives them: real widgets, offscreen.
#include <QAbstractItemModel>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableView>
#include <QWindow>
#include <set>

#include "files/payback_settings.h"
#include "gui_fixture.h"
#include "shell/qt/payback_chart.h"
#include "shell/qt/payback_window.h"
#include "shell/qt/qt_message_boxes.h"

namespace tolvarn {
namespace {

// Whether a field draws its whole text: QLineEdit scrolls a text that, with a pixel for the
// cursor, is wider than its contents less the two pixels it keeps either side.
bool ShowsWhole(const QLineEdit& edit) {
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.rect = edit.rect();
  option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
  const QRect contents = edit.style()
                             ->subElementRect(QStyle::SE_LineEditContents, &option, &edit)
                             .marginsRemoved(edit.textMargins());
  const int text = edit.fontMetrics().horizontalAdvance(edit.text());
  return text <= edit.contentsRect().width() && text + 1 <= contents.width() - 2 * 2;
}

class PaybackGuiTest : public testing::GuiTest {
 protected:
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
// follows each later Calculate (what it shows then: PaybackPanelTest). It stays above others
// with the main window (On Top), so that the main window never hides it; Close and Exit save
// the settings (which changes are kept: PaybackPanelTest).
TEST_F(PaybackGuiTest, TheWindowFollowsCalculateStaysInSightAndSavesOnCloseAndOnExit) {
  ASSERT_TRUE(Open());
  auto* button = Widget<QPushButton>("Payback");
  EXPECT_FALSE(button->isEnabled());
  TypeAll("Item1Use=65 Item1UseD=1");
  Click("Calc");
  EXPECT_FALSE(button->isEnabled());  // one item
  CalculateBoth();
  EXPECT_TRUE(button->isEnabled());
  Click("OnTop");
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  EXPECT_EQ(Widget<QTableView>("Table", payback)->model()->rowCount(), 16);  // years 0 to 15
  EXPECT_EQ(Cell(0, 2), "\u00A3450.00");
  CalculateBoth("300");
  EXPECT_EQ(Cell(0, 2), "\u00A3300.00");
  EXPECT_TRUE(payback->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
  Click("OnTop");
  EXPECT_FALSE(payback->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
  Type(Widget<QLineEdit>("Horizon", payback), "25");
  // On Top changed while the window is closed, however often: above the main window again.
  for (int round = 0; round < 2; ++round) {
    Click("Close", payback);
    Click("OnTop");
    OpenPayback();
    const bool on_top = round == 0;
    EXPECT_EQ(payback->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), on_top);
    EXPECT_EQ(payback->windowFlags().testFlag(Qt::WindowStaysOnTopHint), on_top);
    EXPECT_EQ(payback->windowHandle()->transientParent(), window_->windowHandle());
  }
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.Horizon, 25);
  Type(Widget<QLineEdit>("TemperatureRise", payback), "40");
  // A Calculate with one item leaves nothing to compare.
  TypeAll("Item2Use= Item2UseD= Item2Cost=");
  Click("Calc");
  EXPECT_EQ(Widget<QTableView>("Table", payback)->model()->rowCount(), 0);
  EXPECT_FALSE(button->isEnabled());
  Click("Exit");
  EXPECT_EQ(ReadPaybackSettings(*files_).settings.TemperatureRise, 40);
}

// Every setting has a name a screen reader says, a tooltip and an access key; the own energy
// price follows the energy price on Tab and Metered the US gallons, and both are saved when
// Escape closes the window. Export says what it wrote, in the window; a failure gives the
// system's reason in a box over the Payback window, whichever window the desktop has active.
TEST_F(PaybackGuiTest, TheSettingsByKeyboardAndExport) {
  ASSERT_TRUE(Open());
  CalculateBoth();
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowActive(payback));
  const std::map<std::string, std::string> spoken = SpokenNames(*payback);
  std::set<std::string> names;
  for (const auto& [control, name] : spoken)
    names.insert(name);
  EXPECT_EQ(names.size(), spoken.size()) << "two controls are called alike";
  EXPECT_EQ(spoken.at("OwnEnergyPrice"), "Own energy price");
  EXPECT_EQ(spoken.at("Metered"), "Metered water supply");
  EXPECT_EQ(Widget<QLabel>("OwnEnergyPriceUnit", payback)->text(), "\u00A3 per kWh");

  auto* own = Widget<QLineEdit>("OwnEnergyPrice", payback);
  auto* metered = Widget<QCheckBox>("Metered", payback);
  EXPECT_TRUE(metered->isChecked());
  Widget<QLineEdit>("EnergyPrice", payback)->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), own);
  Widget<QCheckBox>("USGallons", payback)->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), metered);
  QTest::keyClick(payback, Qt::Key_R, Qt::AltModifier);  // clicked a moment later, as it shows
  EXPECT_TRUE(QTest::qWaitFor([metered] { return !metered->isChecked(); }));
  QTest::keyClick(payback, Qt::Key_O, Qt::AltModifier);
  ASSERT_EQ(QApplication::focusWidget(), own);
  QTest::keyClicks(own, "0.3");
  QTest::keyClick(payback, Qt::Key_Escape);
  EXPECT_FALSE(payback->isVisible());
  const PaybackSettings saved = ReadPaybackSettings(*files_).settings;
  EXPECT_FALSE(saved.Metered);
  EXPECT_EQ(saved.OwnEnergyPrice, 0.3);

  OpenPayback();
  std::string name = (dir_ / "payback.csv").string();
  payback->SetFileNameAsker(
      [&name](QWidget*, const QString&) { return QString::fromStdString(name); });
  Click("ExportCsv", payback);
  EXPECT_EQ(Widget<QLabel>("Status", payback)->text().toStdString(), "Exported to " + name);
  name = (dir_ / "missing/payback.csv").string();
  Click("ExportCsv", payback);
  ASSERT_EQ(fake_.boxes.Shown().size(), 1u);
  EXPECT_NE(fake_.boxes.Shown()[0].text.find("No such file or directory"), std::string::npos);
  QtMessageBoxes boxes;
  boxes.SetParent(window_.get());
  QWidget* owner = nullptr;
  QTimer::singleShot(0, [&owner] {
    owner = QApplication::activeModalWidget()->parentWidget();
    QApplication::activeModalWidget()->close();
  });
  expected_modal_ = "Tolvarn Export Error";
  const BoxOwner scope(payback);
  boxes.Show({"Tolvarn Export Error", "", BoxIcon::Exclamation, BoxButtons::Ok});
  EXPECT_EQ(owner, payback);
}

// The largest inputs the checks accept: every figure of the main window shows whole (the layout
// is the same on either screen, and Arial draws the common currency signs equally wide), those
// of the table fit their columns, and the window keeps room for five rows at its smallest.
TEST_F(PaybackGuiTest, TheLargestFiguresShowWhole) {
  fake_.locale.symbol = "\u20AC";
  ASSERT_TRUE(Open());
  TypeAll(
      "WVCost=5 SVCost=5 SVAllow=99 VRate=50 AnInfT=199 PPeriod=10 Item1Use=500 Item1UseD=99 "
      "Item1Cost=5000 Item2Use=1 Item2UseD=1 Item2Cost=5000");
  Click("Calc");
  ASSERT_TRUE(fake_.boxes.Shown().empty()) << "the checks refused the inputs";
  for (const QLineEdit* edit : window_->findChildren<QLineEdit*>())
    EXPECT_TRUE(ShowsWhole(*edit))
        << edit->objectName().toStdString() << " " << edit->text().toStdString();
  EXPECT_EQ(TextOf("Item1Period").size(), std::string("\u20AC").size() + 14);  // the widest
  PaybackWindow* payback = OpenPayback();
  ASSERT_NE(payback, nullptr);
  Type(Widget<QLineEdit>("Horizon", payback), "50");
  auto* table = Widget<QTableView>("Table", payback);
  ASSERT_EQ(table->model()->rowCount(), 51);
  for (int column = 0; column < table->model()->columnCount(); ++column) {
    const QString widest = QString::fromStdString(Cell(50, column));
    EXPECT_GE(table->columnWidth(column), table->fontMetrics().horizontalAdvance(widest) + 6)
        << widest.toStdString();
  }
  payback->resize(payback->minimumSizeHint());
  EXPECT_GE(table->height(), table->horizontalHeader()->height() +
                                 5 * table->verticalHeader()->defaultSectionSize());
}

// The break-even label is clear of both lines: above them where there is room, else below.
TEST(PaybackChartTest, TheBreakEvenLabelIsClearOfBothLines) {
  const QRectF plot(40, 30, 300, 200);
  const QSizeF label(70, 16);
  // Screen y grows downwards: a rising line has falling y.
  const std::array<QPolygonF, 2> cases[] = {
      {QPolygonF{{40, 120}, {100, 100}, {340, 40}}, QPolygonF{{40, 200}, {100, 100}, {340, 35}}},
      {QPolygonF{{40, 32}, {340, 31}}, QPolygonF{{40, 40}, {340, 30}}},      // no room above
      {QPolygonF{{40, 150}, {200, 100}}, QPolygonF{{40, 200}, {200, 100}}},  // beyond their ends
  };
  for (const auto& lines : cases) {
    const QPointF marker = lines[0][lines[0].size() > 2 ? 1 : lines[0].size() - 1];
    const QRectF where = PaybackChart::PlaceLabel(lines, marker, label, plot);
    EXPECT_TRUE(plot.contains(where));
    for (const QPolygonF& line : lines)
      for (qsizetype i = 0; i + 1 < line.size(); ++i)
        for (double t = 0; t <= 1; t += 0.01)
          EXPECT_FALSE(where.contains(line[i] + (line[i + 1] - line[i]) * t));
  }
}

}  // namespace
}  // namespace tolvarn
