// The window as a user drives it: real widgets, clicked and typed into, offscreen.
#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>
#include <csignal>
#include <map>
#include <set>

#include <sys/wait.h>
#include <unistd.h>

#include "gui_fixture.h"
#include "posix/instance_lock.h"
#include "shell/qt/legible_colour.h"
#include "shell/qt/payback_chart.h"

namespace tolvarn {
namespace {

using testing::GuiTest;

using Places = std::map<std::string, QRect>;

// Where each named control lies in the window, and how large it is.
Places Geometries(const QWidget& window) {
  Places where;
  for (const QWidget* widget : window.findChildren<QWidget*>())
    if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_"))
      where[widget->objectName().toStdString()] = widget->geometry();
  return where;
}

// On each of the offscreen desktop's two screens, asked to grow, maximised, with other units and
// the longest status text: the size its layout asks for, every control in the same place; and
// the same without the Household button, which was added to the form without moving anything.
TEST_F(GuiTest, TheWindowKeepsItsNaturalSizeOnEveryScreen) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  std::vector<Places> seen;
  for (QScreen* screen : QGuiApplication::screens()) {
    SCOPED_TRACE(screen->name().toStdString());
    ASSERT_TRUE(Open(screen));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_EQ(window_->screen(), screen);
    const QSize size = window_->size();
    EXPECT_EQ(size, window_->sizeHint());
    EXPECT_LE(size.width(), screen->availableGeometry().width());
    seen.push_back(Geometries(*window_));
    window_->resize(size + QSize(600, 400));
    QTest::qWait(50);
    EXPECT_EQ(window_->size(), size);
    window_->showMaximized();
    Click("VolUnits1");
    TypeAll("Item1Use=9 Item1UseD=4");
    Click("Calc");
    Click("Calc");  // the longest status: nothing has changed since
    Widget<QPushButton>("Household")->hide();
    QTest::qWait(50);  // the layout settles
    EXPECT_EQ(Geometries(*window_), seen.back());
    // The status line clears itself two seconds later, once.
    QTimer* timer = Widget<QTimer>("Timer1");
    EXPECT_TRUE(timer->isActive() && timer->isSingleShot() && timer->interval() == 2000);
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_TRUE(Widget<QLabel>("Status")->text().isEmpty());
    EXPECT_FALSE(timer->isActive());
    seen.back()["window"] = QRect(QPoint(), size);
    window_.reset();
  }
  EXPECT_EQ(seen[0], seen[1]);
}

// A handler that keeps running (a browser left open) is no failure and is left running; one that
// fails two seconds after it starts is reported when it ends, with its command's message, while
// the command itself returns at once.
TEST_F(GuiTest, AHandlerThatFailsLateIsStillReported) {
  FakeXdgOpen("code=$(cat '" + (dir_ / "exit_code").string() + "')\nif [ $code = run ]; then " +
              "echo $$ > '" + (dir_ / "pid").string() + "'; exec sleep 60; fi\nsleep 2\n" +
              "exit $code\n");
  ASSERT_TRUE(Open());
  Write("exit_code", "run");
  Click("Help1");
  ASSERT_TRUE(QTest::qWaitFor([this] { return !Read("pid").empty(); }, 5000));
  Write("exit_code", "3");
  Click("Help1");
  Click("ViewL");
  QTest::qWait(300);  // long enough for the handlers to read their exit codes
  Write("exit_code", "4");
  Click("ViewL");
  EXPECT_TRUE(fake_.boxes.Shown().empty()) << "a command waited for its handler";
  ASSERT_TRUE(QTest::qWaitFor([this] { return fake_.boxes.Shown().size() == 3; }, 5000));
  std::multiset<std::string> shown;
  for (const MessageBoxRequest& box : fake_.boxes.Shown())
    shown.insert(box.title + ": " + box.text);
  EXPECT_EQ(shown, (std::multiset<std::string>{
                       "Tolvarn Error: Unable to launch Browser.",
                       "Tolvarn Log File Error: Unable to run Notepad\r\nCheck that it exists "
                       "and\r\nis working properly.",
                       "Tolvarn Log File Error: Unable to opem the log file Tolvarn.log.\r\n"
                       "This may be a permissions problem."}));
  // The status line says where to open by hand what the desktop could not (the last: the log).
  EXPECT_EQ(Widget<QLabel>("Status")->text().toStdString(),
            "Open by hand: " + (dir_ / "Log/Tolvarn.log").string());
  const pid_t handler = std::stoi(Read("pid"));
  EXPECT_EQ(::kill(handler, 0), 0) << "the handler was stopped";
  ::kill(handler, SIGKILL);
}

// A result waiting for Save is still savable after switching to another window and back (no
// activation of the program's own window) and after About, whose address is a link on one line
// that Tab reaches and Return opens, in a window as wide as its title needs.
TEST_F(GuiTest, SaveWaitsAcrossAboutAndOtherWindows) {
  FakeXdgOpen("echo \"$1\" > '" + (dir_ / "opened").string() + "'\n");
  ASSERT_TRUE(Open());
  TypeAll("Item1Use=9 Item1UseD=4");
  Click("Calc");
  QWidget other;
  other.show();
  other.activateWindow();
  QApplication::processEvents();
  window_->activateWindow();
  QApplication::processEvents();
  QTimer::singleShot(100, [this] {
    QWidget* about = QApplication::activeModalWidget();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(Widget<QLabel>("ProgVersion", about)->text(), "Version 4.3");
    EXPECT_GE(about->width(), about->fontMetrics().horizontalAdvance(about->windowTitle()) + 100);
    auto* site = Widget<QLabel>("WebSite", about);
    EXPECT_FALSE(site->wordWrap());
    for (int tabs = 0; tabs < 3 && !site->hasFocus(); ++tabs)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(site->hasFocus());
    QTest::keyClick(site, Qt::Key_Return);
    Click("ExitAbout", about);
  });
  expected_modal_ = "About Tolvarn";
  Click("About");
  EXPECT_TRUE(QTest::qWaitFor([this] { return Read("opened").ends_with("index.htm\n"); }, 5000))
      << Read("opened");
  ASSERT_TRUE(Widget<QPushButton>("Save")->isEnabled());
  Click("Save");
  EXPECT_NE(Read("Log/Tolvarn.log").find("Water Volume Cost"), std::string::npos);
}

// By keyboard, under a dark theme, read by a screen reader: the focus starts in the first tariff
// field, and Return in a field calculates (in the notes it starts a new line); the comparison
// row in the theme's text colour (an increase in the program's orange, and said in words), every
// control named after the captions it shows, the results reached by Tab after everything else,
// and the chart's lines legible on the theme's background.
TEST_F(GuiTest, TheKeyboardADarkThemeAndAScreenReader) {
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  dark.setColor(QPalette::Window, QColor(45, 45, 45));
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Button, QColor(60, 60, 60));
  for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText})
    dark.setColor(role, QColor(238, 238, 238));
  const auto accessible = [this](const char* name, QAccessible::Text what) {
    return QAccessible::queryAccessibleInterface(Widget<QWidget>(name))->text(what).toStdString();
  };
  ASSERT_TRUE(Open());
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  EXPECT_EQ(QApplication::focusWidget(), Widget<QWidget>("WVCost"));
  // Item 2 uses less water but costs more, counting its price. The theme turns dark after.
  TypeAll("Item1Use=65 Item1UseD=1 Item2Use=45 Item2UseD=1 Item2Cost=450");
  auto* notes = Widget<QPlainTextEdit>("Notes");
  notes->setFocus();
  QTest::keyClicks(notes, "old");
  QTest::keyClick(notes, Qt::Key_Return);
  QTest::keyClicks(notes, "new");
  EXPECT_EQ(notes->toPlainText(), "old\nnew");
  EXPECT_EQ(TextOf("Item1Day"), "");
  Widget<QLineEdit>("Item2Cost")->setFocus();
  QTest::keyClick(Widget<QLineEdit>("Item2Cost"), Qt::Key_Return);
  QApplication::setPalette(dark);
  QApplication::processEvents();
  EXPECT_EQ(Widget<QLineEdit>("PeriodWater")->palette().color(QPalette::Text),
            dark.color(QPalette::Text));
  EXPECT_EQ(Widget<QLineEdit>("PeriodSave")->palette().color(QPalette::Text), QColor(255, 128, 0));
  EXPECT_EQ(accessible("PeriodSave", QAccessible::Description), "Cost Increase");
  EXPECT_EQ(accessible("PeriodWater", QAccessible::Description), "Water Use Saving");
  EXPECT_EQ(accessible("PeriodWater", QAccessible::Name), "Saving Water /Period Ltr");
  EXPECT_EQ(accessible("WVCost", QAccessible::Name), "Water Volume Charge /cu m");
  Click("VolUnits1");
  EXPECT_EQ(accessible("WVCost", QAccessible::Name), "Water Volume Charge /1000 Gal");
  Click("Clear");
  EXPECT_NE(accessible("PeriodSave", QAccessible::Description), "Cost Increase");
  const std::map<std::string, std::string> spoken = SpokenNames(*window_);
  std::set<std::string> names;
  for (const auto& [control, name] : spoken)
    names.insert(name);
  EXPECT_EQ(names.size(), spoken.size()) << "two controls are called alike";
  std::vector<bool> results;  // along the Tab chain: whether each stop is a result
  for (QWidget* at = window_->nextInFocusChain(); at != window_.get();
       at = at->nextInFocusChain()) {
    const auto field = FieldFromName(at->objectName().toStdString());
    if ((at->focusPolicy() & Qt::TabFocus) != 0)
      results.push_back(field && KindOf(*field) == FieldKind::Result);
  }
  EXPECT_TRUE(std::is_sorted(results.begin(), results.end())) << "a result before an input";
  EXPECT_EQ(std::count(results.begin(), results.end(), true), 16);
  for (const QColor& base : {dark.color(QPalette::Base), light.color(QPalette::Base)})
    for (const int item : {1, 2})
      EXPECT_GE(ContrastRatio(PaybackChart::ItemColour(item, base), base), 4.5) << item;
  QApplication::setPalette(light);
}

// A second copy learns that the first runs, and nothing outlives a first copy that was killed.
TEST(InstanceLockTest, ASecondCopySeesTheFirstUntilItEnds) {
  const std::string name = "tolvarn-test-" + std::to_string(::getpid());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t first = ::fork();
  if (first == 0) {
    InstanceLock lock;
    if (::write(ready[1], lock.IsAnotherInstance(name) ? "y" : "n", 1) == 1) ::pause();
    ::_exit(0);
  }
  char answer = 0;
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  EXPECT_EQ(answer, 'n');
  InstanceLock second;
  EXPECT_TRUE(second.IsAnotherInstance(name));
  ::kill(first, SIGKILL);
  ::waitpid(first, nullptr, 0);
  InstanceLock third;
  EXPECT_FALSE(third.IsAnotherInstance(name));
  ::close(ready[0]);
  ::close(ready[1]);
  ::unlink(InstanceLock::PathFor(name).c_str());
}

}  // namespace
}  // namespace tolvarn
