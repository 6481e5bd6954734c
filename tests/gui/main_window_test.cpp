// The window as a user drives it: real widgets, clicked and typed into, offscreen.
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include <sys/wait.h>
#include <unistd.h>

#include <QAccessible>

#include "gui_fixture.h"
#include "posix/instance_lock.h"
#include "shell/qt/about_dialog.h"
#include "shell/qt/legible_colour.h"
#include "shell/qt/payback_chart.h"

namespace tolvarn {
namespace {

using testing::GuiTest;

using Places = std::map<std::string, std::array<int, 4>>;

// Where each named control lies in the window, and how large it is.
Places Geometries(const QWidget& window) {
  Places where;
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    const QRect box = widget->geometry();
    if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_"))
      where[widget->objectName().toStdString()] = {box.x(), box.y(), box.width(), box.height()};
  }
  return where;
}

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

// On each of the offscreen desktop's two screens, asked to grow, maximised, with other units and
// the longest status text: the size its layout asks for, every control in the same place.
TEST_F(GuiTest, TheWindowKeepsItsNaturalSizeOnEveryScreen) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  std::vector<Places> seen;
  for (QScreen* screen : QGuiApplication::screens()) {
    SCOPED_TRACE(screen->name().toStdString());
    screen_ = screen;
    ASSERT_TRUE(Open());
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
    Click("Calc");
    ASSERT_EQ(Widget<QLabel>("Status")->text(),
              "The Data Has Not Changed Since The Last Calculation");
    QTest::qWait(50);  // the layout settles
    EXPECT_EQ(Geometries(*window_), seen.back());
    // The status line clears itself two seconds later, once.
    QTimer* timer = Widget<QTimer>("Timer1");
    EXPECT_TRUE(timer->isActive() && timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 2000);
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_TRUE(Widget<QLabel>("Status")->text().isEmpty());
    EXPECT_FALSE(timer->isActive());
    seen.back()["window"] = {0, 0, size.width(), size.height()};
    window_.reset();
  }
  EXPECT_EQ(seen[0], seen[1]);
}

// The largest inputs the checks accept: every result shows whole (the layout is the same on either
// screen, and Arial draws the common currency signs equally wide).
TEST_F(GuiTest, TheLargestResultsShowWhole) {
  fake_.locale.symbol = "\u20AC";
  ASSERT_TRUE(Open());
  TypeAll(
      "WVCost=5 SVCost=5 SVAllow=99 VRate=50 AnInfT=199 PPeriod=10 Item1Use=500 Item1UseD=99 "
      "Item1Cost=5000 Item2Use=1 Item2UseD=1");
  Click("Calc");
  ASSERT_TRUE(fake_.boxes.Shown().empty()) << "the checks refused the inputs";
  for (const Field field : AllFields()) {
    if (KindOf(field) != FieldKind::Result && KindOf(field) != FieldKind::Input) continue;
    const std::string name(FieldName(field));
    auto* edit = window_->findChild<QLineEdit*>(QString::fromStdString(name));
    if (edit == nullptr) continue;
    EXPECT_TRUE(ShowsWhole(*edit)) << name << " " << edit->text().toStdString();
  }
  EXPECT_EQ(TextOf("Item1Period").size(), std::string("\u20AC").size() + 14);  // the widest
}

// State: a fresh window. Expected: the focus in the first tariff field. Action: Return in a
// field. Expected: Calculate runs; in the notes, Return starts a new line.
TEST_F(GuiTest, ReturnInAFieldCalculates) {
  ASSERT_TRUE(Open());
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  EXPECT_EQ(QApplication::focusWidget(), Widget<QWidget>("WVCost"));
  TypeAll("Item1UseD=4 Item1Use=9");
  auto* notes = Widget<QPlainTextEdit>("Notes");
  notes->setFocus();
  QTest::keyClicks(notes, "old");
  QTest::keyClick(notes, Qt::Key_Return);
  QTest::keyClicks(notes, "new");
  EXPECT_EQ(notes->toPlainText(), "old\nnew");
  EXPECT_EQ(TextOf("Item1Day"), "");
  Widget<QLineEdit>("Item2Cost")->setFocus();
  QTest::keyClick(Widget<QLineEdit>("Item2Cost"), Qt::Key_Return);
  EXPECT_NE(TextOf("Item1Day"), "");
}

// A handler that keeps running (a browser left open) is no failure and is left running; one that
// fails two seconds after it starts is reported when it ends, with its command's message, while
// the command itself returns at once.
TEST_F(GuiTest, AHandlerThatFailsLateIsStillReported) {
  namespace fs = std::filesystem;
  fs::create_directory(dir_ / "bin");
  Write("bin/xdg-open", "#!/bin/sh\ncode=$(cat '" + (dir_ / "exit_code").string() +
                            "')\nif [ $code = run ]; then echo $$ > '" + (dir_ / "pid").string() +
                            "'; exec sleep 60; fi\nsleep 2\nexit $code\n");
  fs::permissions(dir_ / "bin/xdg-open", fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  ::setenv("PATH", ((dir_ / "bin").string() + ":" + path).c_str(), 1);
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
  window_.reset();
  handlers_.reset();
  ::kill(handler, SIGKILL);
  ::setenv("PATH", path.c_str(), 1);
}

// A result waiting for Save is still savable after switching to another window and back (no
// activation of the program's own window) and after the About window.
TEST_F(GuiTest, SaveWaitsAcrossAboutAndOtherWindows) {
  ASSERT_TRUE(Open());
  TypeAll("Item1Use=9 Item1UseD=4");
  Click("Calc");
  QWidget other;
  other.show();
  other.activateWindow();
  QApplication::processEvents();
  window_->activateWindow();
  QApplication::processEvents();
  std::string version;
  QTimer::singleShot(100, [&] {
    auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    version = about->findChild<QLabel*>("ProgVersion")->text().toStdString();
    QTest::mouseClick(about->findChild<QPushButton*>("ExitAbout"), Qt::LeftButton);
  });
  expected_modal_ = "About Tolvarn";
  Click("About");
  EXPECT_EQ(version, "Version 4.3");
  ASSERT_TRUE(Widget<QPushButton>("Save")->isEnabled());
  Click("Save");
  EXPECT_NE(Read("Log/Tolvarn.log").find("Water Volume Cost"), std::string::npos);
}

// Under a dark theme, read by a screen reader: the comparison row in the theme's text colour
// (an increase in the program's orange, and said in words), every control named after the
// captions it shows, the results reached by Tab after everything else, and the chart's lines
// legible on the theme's background.
TEST_F(GuiTest, ADarkThemeAndAScreenReaderReadEveryField) {
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  for (const auto& [role, colour] :
       std::map<QPalette::ColorRole, QColor>{{QPalette::Window, QColor(45, 45, 45)},
                                             {QPalette::Base, QColor(30, 30, 30)},
                                             {QPalette::Button, QColor(60, 60, 60)},
                                             {QPalette::Text, QColor(238, 238, 238)},
                                             {QPalette::WindowText, QColor(238, 238, 238)}})
    dark.setColor(role, colour);
  const auto text_colour = [this](const char* name) {
    return Widget<QLineEdit>(name)->palette().color(QPalette::Text);
  };
  const auto accessible = [this](const char* name, QAccessible::Text what) {
    return QAccessible::queryAccessibleInterface(Widget<QWidget>(name))->text(what).toStdString();
  };
  ASSERT_TRUE(Open());
  // Item 2 uses less water but costs more, counting its price. The theme turns dark after.
  TypeAll("Item1Use=65 Item1UseD=1 Item2Use=45 Item2UseD=1 Item2Cost=450");
  Click("Calc");
  QApplication::setPalette(dark);
  QApplication::processEvents();
  EXPECT_EQ(text_colour("PeriodWater"), dark.color(QPalette::Text));
  EXPECT_EQ(text_colour("PeriodSave"), QColor(255, 128, 0));
  EXPECT_EQ(accessible("DaySave", QAccessible::Description), "Cost Increase");
  EXPECT_EQ(accessible("PeriodSave", QAccessible::Description), "Cost Increase");
  EXPECT_EQ(accessible("PeriodWater", QAccessible::Description), "Water Use Saving");
  EXPECT_EQ(accessible("Item2Qtr", QAccessible::Name), "Item 2 Cost /Quarter");
  EXPECT_EQ(accessible("PeriodWater", QAccessible::Name), "Saving Water /Period Ltr");
  EXPECT_EQ(accessible("WVCost", QAccessible::Name), "Water Volume Charge /cu m");
  Click("VolUnits1");
  EXPECT_EQ(accessible("WVCost", QAccessible::Name), "Water Volume Charge /1000 Gal");
  Click("Clear");
  EXPECT_NE(accessible("PeriodSave", QAccessible::Description), "Cost Increase");
  std::set<std::string> names;
  std::vector<Field> tab_order;
  for (const Field field : AllFields()) {
    const FieldKind kind = KindOf(field);
    if (kind != FieldKind::Input && kind != FieldKind::Result && kind != FieldKind::CheckBox)
      continue;
    names.insert(accessible(std::string(FieldName(field)).c_str(), QAccessible::Name));
  }
  EXPECT_EQ(names.size(), 32u);
  EXPECT_FALSE(names.contains(""));
  // The results last along the Tab chain, after every input and command.
  bool result_seen = false;
  int results = 0;
  for (QWidget* at = window_->nextInFocusChain(); at != window_.get();
       at = at->nextInFocusChain()) {
    if ((at->focusPolicy() & Qt::TabFocus) == 0) continue;
    const auto field = FieldFromName(at->objectName().toStdString());
    const bool result = field && KindOf(*field) == FieldKind::Result;
    results += result ? 1 : 0;
    EXPECT_FALSE(result_seen && !result) << at->objectName().toStdString();
    result_seen = result_seen || result;
  }
  EXPECT_EQ(results, 16);
  for (const QColor& base : {dark.color(QPalette::Base), light.color(QPalette::Base)})
    for (const int item : {1, 2})
      EXPECT_GE(ContrastRatio(PaybackChart::ItemColour(item, base), base), 4.5) << item;
  QApplication::setPalette(light);
}

// About: as wide as its title needs, the address on one line, a link that Tab reaches and
// Return opens.
TEST_F(GuiTest, AboutsAddressIsALinkTheKeyboardReaches) {
  namespace fs = std::filesystem;
  fs::create_directory(dir_ / "bin");
  Write("bin/xdg-open", "#!/bin/sh\necho \"$1\" > '" + (dir_ / "opened").string() + "'\n");
  fs::permissions(dir_ / "bin/xdg-open", fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  ::setenv("PATH", ((dir_ / "bin").string() + ":" + path).c_str(), 1);
  ASSERT_TRUE(Open());
  AboutDialog about(window_->Logic(), window_.get());
  about.show();
  about.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
  auto* site = Widget<QLabel>("WebSite", &about);
  EXPECT_FALSE(site->wordWrap());
  EXPECT_NE(site->focusPolicy() & Qt::TabFocus, 0);
  EXPECT_GE(about.width(), about.fontMetrics().horizontalAdvance(about.windowTitle()) + 100);
  for (int tabs = 0; tabs < 3 && !site->hasFocus(); ++tabs)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_TRUE(site->hasFocus());
  QTest::keyClick(site, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Read("opened").ends_with("index.htm\n"); }, 5000))
      << Read("opened");
  ::setenv("PATH", path.c_str(), 1);
}

// A second copy learns that the first runs, and nothing outlives a first copy that was killed.
TEST(InstanceLockTest, ASecondCopySeesTheFirstUntilItEnds) {
  const std::string name = "tolvarn-test-" + std::to_string(::getpid());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t first = ::fork();
  if (first == 0) {
    InstanceLock lock;
    if (::write(ready[1], lock.IsAnotherInstance(name) ? "y" : "n", 1) != 1) ::_exit(1);
    ::pause();
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
