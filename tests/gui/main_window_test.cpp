// The window as a user drives it: real widgets, clicked and typed into, offscreen.
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWindow>
#include <csignal>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "gui_fixture.h"
#include "platform/instance_lock.h"
#include "platform/posix_platform.h"

namespace tolvarn {
namespace {

using testing::GuiTest;

// Where each named control lies in the window, and how large it is.
std::map<std::string, std::string> Geometries(const QWidget& window) {
  std::map<std::string, std::string> where;
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    const QRect box = widget->geometry();
    if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_"))
      where[widget->objectName().toStdString()] = QString("%1,%2 %3x%4")
                                                      .arg(box.x())
                                                      .arg(box.y())
                                                      .arg(box.width())
                                                      .arg(box.height())
                                                      .toStdString();
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

// State: the offscreen desktop's two screens, 1280 x 900 and 1920 x 1080. Action: open the
// window on each. Expected: the size its layout asks for, every control in the same place.
TEST_F(GuiTest, TheWindowOpensAtItsNaturalSizeOnEveryScreen) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  std::vector<std::map<std::string, std::string>> seen;
  for (QScreen* screen : QGuiApplication::screens()) {
    SCOPED_TRACE(screen->name().toStdString());
    screen_ = screen;
    ASSERT_TRUE(Open());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_EQ(window_->screen(), screen);
    EXPECT_EQ(window_->size(), window_->sizeHint());
    EXPECT_LE(window_->width(), screen->availableGeometry().width());
    seen.push_back(Geometries(*window_));
    seen.back()["window"] =
        std::to_string(window_->width()) + "x" + std::to_string(window_->height());
    window_.reset();
  }
  EXPECT_EQ(seen[0], seen[1]);
}

// Action: ask for a larger window, then maximise it. Expected: the window keeps its size, and
// no heading, label or field moves.
TEST_F(GuiTest, ResizingOrMaximisingMovesNothing) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  const auto before = Geometries(*window_);
  const QSize size = window_->size();
  window_->resize(size + QSize(600, 400));
  QTest::qWait(50);
  EXPECT_EQ(window_->size(), size);
  EXPECT_EQ(Geometries(*window_), before);
  window_->showMaximized();
  QTest::qWait(50);
  EXPECT_EQ(Geometries(*window_), before);
}

// Action: switch units both ways, and show the longest status text. Expected: no control moves
// and no caption wraps.
TEST_F(GuiTest, ChangingCaptionsMovesNothing) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  const auto before = Geometries(*window_);
  Click("VolUnits1");
  ASSERT_EQ(Caption("WVChargeL"), "/1000 Gal");
  QTest::qWait(20);  // the layout settles
  EXPECT_EQ(Geometries(*window_), before);
  Type("Item1Use", "9");
  Type("Item1UseD", "4");
  Click("Calc");
  Click("Calc");
  ASSERT_EQ(Caption("Status"), "The Data Has Not Changed Since The Last Calculation");
  QTest::qWait(10);
  EXPECT_EQ(Geometries(*window_), before);
  Click("VolUnits1");
  QTest::qWait(20);
  EXPECT_EQ(Geometries(*window_), before);
}

// State: the largest inputs the checks accept (the highest tariff, tax, use and cost, 199 %
// inflation, ten years). Expected: every result shows its whole text, on either screen and
// with each common currency symbol.
TEST_F(GuiTest, TheLargestResultsShowWhole) {
  for (QScreen* screen : QGuiApplication::screens()) {
    for (const char* symbol : {"\u00A3", "\u20AC", "$"}) {
      SCOPED_TRACE(screen->name().toStdString() + " " + symbol);
      screen_ = screen;
      fake_.locale.symbol = symbol;
      ASSERT_TRUE(Open());
      for (const auto& [name, text] :
           std::vector<std::pair<const char*, const char*>>{{"WVCost", "5"},
                                                            {"SVCost", "5"},
                                                            {"SVAllow", "99"},
                                                            {"VRate", "50"},
                                                            {"AnInfT", "199"},
                                                            {"PPeriod", "10"},
                                                            {"Item1Use", "500"},
                                                            {"Item1UseD", "99"},
                                                            {"Item1Cost", "5000"},
                                                            {"Item2Use", "1"},
                                                            {"Item2UseD", "1"}})
        Type(name, text);
      Click("Calc");
      ASSERT_TRUE(fake_.boxes.Shown().empty()) << "the checks refused the inputs";
      for (const Field field : AllFields()) {
        if (KindOf(field) != FieldKind::Result && KindOf(field) != FieldKind::Input) continue;
        const std::string name(FieldName(field));
        auto* edit = window_->findChild<QLineEdit*>(QString::fromStdString(name));
        if (edit == nullptr) continue;
        EXPECT_TRUE(ShowsWhole(*edit)) << name << " " << edit->text().toStdString();
      }
      EXPECT_EQ(TextOf("Item1Period").size(), std::string(symbol).size() + 14);
      window_.reset();
    }
  }
}

// State: a working directory without a log. Action: start. Expected: the log begins with its
// header and the start entry, and the window waits with empty entries and Save disabled.
TEST_F(GuiTest, FreshStartPreparesTheLogAndAnEmptyWindow) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(window_->windowTitle(), "Tolvarn");
  EXPECT_EQ(Read("Log/Tolvarn.log"),
            "Tolvarn Results Log\r\nVersion 4.3\r\nFile Created\r\n07/12/26 09:05:03\r\n\r\n\r\n"
            "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n\r\n");
  EXPECT_FALSE(Widget<QPushButton>("Save")->isEnabled());
  for (const char* input : {"Item1Use", "Item1UseD", "Item1Cost", "Item2Use", "Item2Cost"})
    EXPECT_EQ(TextOf(input), "") << input;
  EXPECT_EQ(Widget<QPlainTextEdit>("Notes")->toPlainText(), "");
  EXPECT_EQ(TextOf("WVCost"), "\u00A31.2000");
  EXPECT_FALSE(Widget<QCheckBox>("VolUnits1")->isChecked());
  EXPECT_EQ(Caption("Item1UseL"), "Ltr");
  EXPECT_EQ(Caption("WVChargeL"), "/cu m");
  EXPECT_EQ(Caption("VRateH"), "VAT:");
}

// What the window shows after typing and clicking Calculate is what tolvarn-calc computes.
TEST_F(GuiTest, CalculateShowsWhatTolvarnCalcComputes) {
  ASSERT_TRUE(Open());
  const std::vector<std::pair<std::string, std::string>> inputs = {
      {"WVCost", "1.8"},    {"SVCost", "1.2"},    {"SVAllow", "90"},  {"VRate", "5"},
      {"AnInfT", "3.5"},    {"PPeriod", "4"},     {"Item1Use", "6"},  {"Item1UseD", "3"},
      {"Item1Cost", "400"}, {"Item2Use", "9.87"}, {"Item2UseD", "4"}, {"Item2Cost", ""}};
  std::string command = std::string(TOLVARN_CALC) + " --no-config --json --currency '\u00A3'";
  for (const auto& [name, text] : inputs) {
    Type(name.c_str(), text);
    command += " --set '" + name + "=" + text + "'";
  }
  Click("Calc");
  const std::string out_file = (dir_ / "calc.json").string();
  ASSERT_EQ(std::system((command + " > " + out_file).c_str()), 0);
  const nlohmann::json expected = nlohmann::json::parse(Read("calc.json"));
  for (const auto& [name, text] : expected["fields"].items()) {
    if (name == "Notes") continue;
    EXPECT_EQ(TextOf(name.c_str()), text.get<std::string>()) << name;
  }
  for (const auto& [name, rgb] : expected["colours"].items()) {
    const QColor colour = Widget<QLineEdit>(name.c_str())->palette().color(QPalette::Text);
    EXPECT_EQ(nlohmann::json({colour.red(), colour.green(), colour.blue()}), rgb) << name;
  }
  EXPECT_TRUE(Widget<QPushButton>("Save")->isEnabled());
}

TEST_F(GuiTest, SaveAndAutoSaveEachAppendOneRecord) {
  ASSERT_TRUE(Open());
  const auto records = [this] {
    const std::string log = Read("Log/Tolvarn.log");
    size_t count = 0;
    for (size_t at = log.find("Water Volume Cost"); at != std::string::npos;
         at = log.find("Water Volume Cost", at + 1))
      ++count;
    return count;
  };
  Type("Item1Use", "9");
  Type("Item1UseD", "4");
  Click("Calc");
  EXPECT_EQ(records(), 0u);
  Click("Save");
  EXPECT_EQ(records(), 1u);
  EXPECT_FALSE(Widget<QPushButton>("Save")->isEnabled());

  Click("AutoSave");
  Type("Item1UseD", "5");
  Click("Calc");
  EXPECT_EQ(records(), 2u);
  EXPECT_FALSE(Widget<QPushButton>("Save")->isEnabled());
  Click("Calc");  // unchanged data is not logged again
  EXPECT_EQ(records(), 2u);
  EXPECT_EQ(Caption("Status"), "The Data Has Not Changed Since The Last Calculation");
}

// Switching to another window and back is no activation of the program's own window: a
// record waiting for Save may still be saved.
TEST_F(GuiTest, SaveWaitsAcrossSwitchingToAnotherWindow) {
  ASSERT_TRUE(Open());
  Type("Item1Use", "9");
  Type("Item1UseD", "4");
  Click("Calc");
  ASSERT_TRUE(Widget<QPushButton>("Save")->isEnabled());
  QWidget other;
  other.show();
  other.activateWindow();
  QApplication::processEvents();
  window_->activateWindow();
  QApplication::processEvents();
  EXPECT_TRUE(Widget<QPushButton>("Save")->isEnabled());
}

TEST_F(GuiTest, OnTopKeepsTheWindowAboveWithoutMovingOrHidingIt) {
  ASSERT_TRUE(Open());
  const QRect before = window_->geometry();
  Click("OnTop");
  ASSERT_NE(window_->windowHandle(), nullptr);
  EXPECT_TRUE(window_->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->geometry(), before);
  Click("OnTop");
  EXPECT_FALSE(window_->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

// State: a fresh window. Expected: the focus in the first tariff field, the tab order as it was.
// Action: Return in a field. Expected: Calculate runs; in the notes, Return starts a new line.
TEST_F(GuiTest, ReturnInAFieldCalculates) {
  ASSERT_TRUE(Open());
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  EXPECT_EQ(QApplication::focusWidget(), Widget<QWidget>("WVCost"));
  QTest::keyClick(Widget<QWidget>("WVCost"), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Widget<QWidget>("VRate"));
  QTest::keyClick(Widget<QWidget>("VRate"), Qt::Key_Backtab);
  QTest::keyClick(Widget<QWidget>("WVCost"), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), Widget<QWidget>("AutoSave"));
  EXPECT_TRUE(Widget<QPushButton>("Calc")->isDefault());
  Type("Item1UseD", "4");
  for (const char* field : {"WVCost", "Item1Use", "Item2Cost"}) {
    SCOPED_TRACE(field);
    Click("Clear");
    Type("Item1UseD", "4");
    Type("Item1Use", "9");
    ASSERT_EQ(TextOf("Item1Day"), "");
    Widget<QLineEdit>(field)->setFocus();
    QTest::keyClick(Widget<QLineEdit>(field), Qt::Key_Return);
    EXPECT_NE(TextOf("Item1Day"), "");
  }
  Click("Clear");
  Type("Item1UseD", "4");
  Type("Item1Use", "9");
  auto* notes = Widget<QPlainTextEdit>("Notes");
  notes->setFocus();
  QTest::keyClicks(notes, "old");
  QTest::keyClick(notes, Qt::Key_Return);
  QTest::keyClicks(notes, "new");
  EXPECT_EQ(notes->toPlainText(), "old\nnew");
  EXPECT_EQ(TextOf("Item1Day"), "");
  // A button with the focus is no field.
  Widget<QPushButton>("Help1")->setFocus();
  QTest::keyClick(Widget<QPushButton>("Help1"), Qt::Key_Return);
  EXPECT_EQ(TextOf("Item1Day"), "");
}

TEST_F(GuiTest, NotesTakeSeventyFiveCharacters) {
  ASSERT_TRUE(Open());
  // Pasted, as typing accented letters through the test's keyboard needs a keyboard locale.
  Widget<QPlainTextEdit>("Notes")->insertPlainText(QString(80, QChar(0x00E9)));
  EXPECT_EQ(Widget<QPlainTextEdit>("Notes")->toPlainText(), QString(75, QChar(0x00E9)));
}

TEST_F(GuiTest, ClearEmptiesEntriesAndResultsButKeepsTheTariff) {
  ASSERT_TRUE(Open());
  QTest::keyClicks(Widget<QPlainTextEdit>("Notes"), "kettle");
  Type("Item1Use", "9");
  Type("Item1UseD", "4");
  Click("Calc");
  ASSERT_NE(TextOf("Item1Day"), "");
  Click("Clear");
  for (const char* field : {"Item1Use", "Item1UseD", "Item1Day", "Item1Period", "Item1W"})
    EXPECT_EQ(TextOf(field), "") << field;
  EXPECT_EQ(Widget<QPlainTextEdit>("Notes")->toPlainText(), "");
  EXPECT_EQ(TextOf("WVCost"), "\u00A31.2000");
  EXPECT_EQ(Caption("Status"), "Data Cleared");
  // The status line shows in bold orange.
  auto* status = Widget<QLabel>("Status");
  EXPECT_TRUE(status->font().bold());
  const QImage drawn = status->grab().toImage();
  bool orange = false;
  for (int y = 0; y < drawn.height() && !orange; ++y)
    for (int x = 0; x < drawn.width() && !orange; ++x)
      orange = drawn.pixelColor(x, y) == QColor(255, 128, 0);
  EXPECT_TRUE(orange);
  EXPECT_FALSE(Widget<QPushButton>("Save")->isEnabled());
  // The same data again counts as new.
  Type("Item1Use", "9");
  Type("Item1UseD", "4");
  Click("Calc");
  EXPECT_TRUE(Widget<QPushButton>("Save")->isEnabled());
}

TEST_F(GuiTest, TheUnitsSwitchBothWays) {
  ASSERT_TRUE(Open());
  Type("Item1Use", "600");
  Click("VolUnits1");
  for (const char* unit : {"Item1UseL", "Item2UseL", "Item1WatL", "Item2WatL", "ItemWatS"})
    EXPECT_EQ(Caption(unit), "Gal") << unit;
  EXPECT_EQ(Caption("SVChargeL"), "/1000 Gal");
  EXPECT_EQ(Widget<QLineEdit>("Item1W")->toolTip(),
            "Item 1 water use over Payback Period in gallons");
  EXPECT_EQ(TextOf("Item1Use"), "600");  // nothing is converted
  Click("VolUnits1");
  EXPECT_EQ(Caption("Item1UseL"), "Ltr");
  EXPECT_EQ(Caption("WVChargeL"), "/cu m");
  EXPECT_EQ(Widget<QLineEdit>("WVCost")->toolTip(),
            "Water Volume Charge per cubic metre ( 0.1000 to 5.0000)");
}

TEST_F(GuiTest, TheCurrencyComesFromTheUsersMonetaryLocale) {
  struct Case {
    const char* locale;
    const char* charge;
    const char* label;
  };
  for (const Case& c :
       {Case{"en_GB.UTF-8", "\u00A31.2000", "VAT:"}, Case{"en_US.UTF-8", "$1.2000", "Tax:"},
        Case{"de_DE.UTF-8", "\u20AC1.2000", "VAT:"}}) {
    ::setenv("LC_MONETARY", c.locale, 1);
    ::unsetenv("LC_ALL");
    SystemLocale locale;
    ASSERT_TRUE(Open("", &locale)) << c.locale;
    EXPECT_EQ(TextOf("WVCost"), c.charge) << c.locale;
    EXPECT_EQ(Caption("VRateH"), c.label) << c.locale;
    window_.reset();
  }
  ::unsetenv("LC_MONETARY");
}

TEST_F(GuiTest, SaveDataAndResetData) {
  ASSERT_TRUE(Open());
  Type("WVCost", "2.25");
  Click("Save_Defaults");
  EXPECT_NE(Read("Data/Tolvarn.ini").find("\r\nWVCost=225\r\n"), std::string::npos);
  EXPECT_EQ(Caption("Status"), "Water Data Saved");
  Type("WVCost", "3");
  Click("Reset_Defaults");
  EXPECT_EQ(TextOf("WVCost"), "\u00A32.2500");
  EXPECT_EQ(Caption("Status"), "Water Data Restored");
}

TEST_F(GuiTest, ArchiveWithScriptedAnswers) {
  ASSERT_TRUE(Open());
  Type("Item1Use", "9");
  Type("Item1UseD", "4");
  Click("Calc");
  Click("Save");
  const std::string before = Read("Log/Tolvarn.log");
  fake_.boxes.Script({BoxAnswer::Yes});
  Click("Archive");
  EXPECT_EQ(Read("Log/Tolvarn_261207_1.log"), before);
  EXPECT_EQ(Read("Log/Tolvarn.log").find("Water Volume Cost"), std::string::npos);
  EXPECT_EQ(Caption("Status"), "Results Log File Archived");
}

TEST_F(GuiTest, HelpOpensTheLocalPagesOrSaysTheyAreMissing) {
  ASSERT_TRUE(Open());
  Click("Help1");
  EXPECT_TRUE(WaitFor([this] { return Read("opened") == "Help/index.htm\n"; }));
  std::filesystem::remove(dir_ / "Help/index.htm");
  Click("Help1");
  EXPECT_EQ(Read("opened"), "Help/index.htm\n");
  ASSERT_FALSE(fake_.boxes.Shown().empty());
  EXPECT_EQ(fake_.boxes.Shown().back().title, "Tolvarn Help File Error");
}

TEST_F(GuiTest, UpdateAndTheLogoOpenTheWebSite) {
  ASSERT_TRUE(Open());
  Click("Update");
  EXPECT_TRUE(WaitFor([this] { return !Read("opened").empty(); }));
  QTest::mouseClick(Widget<QLabel>("Logo"), Qt::LeftButton);
  EXPECT_TRUE(WaitFor([this] {
    return Read("opened") ==
           "https://quennix.example/software/misc/update.htm?ID=2&Ver=4.3\n"
           "https://quennix.example/\n";
  }));
  EXPECT_TRUE(fake_.boxes.Shown().empty());
}

// State: a desktop whose handler finds no viewer, or fails to open, two seconds after it
// starts. Action: Help, Update, Results. Expected: each command returns at once, and each
// failure is shown when the handler ends, with the message of its command.
TEST_F(GuiTest, AHandlerThatFailsLateIsStillReported) {
  Write("bin/xdg-open",
        "#!/bin/sh\ncode=$(cat \"" + (dir_ / "exit_code").string() + "\")\nsleep 2\nexit $code\n");
  ASSERT_TRUE(Open());
  Write("exit_code", "3");
  for (const char* command : {"Help1", "Update", "ViewL"})
    Click(command);
  QTest::qWait(300);  // long enough for the handlers to read their exit codes
  Write("exit_code", "4");
  Click("ViewL");
  EXPECT_TRUE(fake_.boxes.Shown().empty()) << "a command waited for its handler";
  ASSERT_TRUE(WaitFor([this] { return fake_.boxes.Shown().size() == 4; }));
  std::multiset<std::string> shown;
  for (const MessageBoxRequest& box : fake_.boxes.Shown())
    shown.insert(box.title + ": " + box.text);
  EXPECT_EQ(shown, (std::multiset<std::string>{
                       "Tolvarn Error: Unable to launch Browser.",
                       "Tolvarn Error: Unable to launch Browser.",
                       "Tolvarn Log File Error: Unable to run Notepad\r\nCheck that it exists "
                       "and\r\nis working properly.",
                       "Tolvarn Log File Error: Unable to opem the log file Tolvarn.log.\r\n"
                       "This may be a permissions problem."}));
}

// A handler that keeps running (a browser left open) has not failed.
TEST_F(GuiTest, AHandlerThatKeepsRunningIsNoFailure) {
  Write("bin/xdg-open",
        "#!/bin/sh\necho $$ > \"" + (dir_ / "pid").string() + "\"\nexec sleep 60\n");
  ASSERT_TRUE(Open());
  Click("Help1");
  ASSERT_TRUE(WaitFor([this] { return !Read("pid").empty(); }));
  QTest::qWait(1500);  // three times as long as the window used to wait
  EXPECT_TRUE(fake_.boxes.Shown().empty());
  const pid_t handler = std::stoi(Read("pid"));
  EXPECT_EQ(::kill(handler, 0), 0) << "the handler was stopped";
  window_.reset();
  handlers_.reset();
  ::kill(handler, SIGKILL);
}

// A result waiting for Save is still savable after the About window.
TEST_F(GuiTest, AboutShowsNameAndVersionAndReturnsWithSaveStillWaiting) {
  ASSERT_TRUE(Open());
  Type("Item1Use", "9");
  Type("Item1UseD", "4");
  Click("Calc");
  ASSERT_TRUE(Widget<QPushButton>("Save")->isEnabled());
  std::string title, name, version;
  QTimer::singleShot(100, [&] {
    auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    title = about->windowTitle().toStdString();
    name = about->findChild<QLabel*>("ProgName")->text().toStdString();
    version = about->findChild<QLabel*>("ProgVersion")->text().toStdString();
    QTest::mouseClick(about->findChild<QPushButton*>("ExitAbout"), Qt::LeftButton);
  });
  expected_modal_ = "About Tolvarn";
  Click("About");
  EXPECT_EQ(title, "About Tolvarn");
  EXPECT_EQ(name, "Tolvarn");
  EXPECT_EQ(version, "Version 4.3");
  ASSERT_TRUE(Widget<QPushButton>("Save")->isEnabled());
  Click("Save");
  EXPECT_NE(Read("Log/Tolvarn.log").find("Water Volume Cost"), std::string::npos);
}

TEST_F(GuiTest, AMissingDirectoryEndsTheProgramWithItsBox) {
  for (const char* directory : {"Help", "Data"}) {
    std::filesystem::remove_all(dir_ / directory);
    ended_ = -1;
    EXPECT_FALSE(Open()) << directory;
    EXPECT_EQ(ended_, kFatalExitStatus);
    ASSERT_FALSE(fake_.boxes.Shown().empty());
    const MessageBoxRequest& box = fake_.boxes.Shown().back();
    EXPECT_EQ(box.title, std::string("Tolvarn ") + directory + " Directory Error");
    EXPECT_EQ(box.text, std::string("The ") + directory + " directory does not exist.\r\n" +
                            "To restore the " + directory + " directory\r\nreinstall the " +
                            "program.\r\nThe program will now terminate.");
    EXPECT_EQ(box.icon, BoxIcon::Stop);
    window_.reset();
  }
}

TEST_F(GuiTest, InhibitErrorCheckLetsOutOfRangeDataThrough) {
  ASSERT_TRUE(Open("-InhibitErrorCheck"));
  Type("Item1Use", "600");
  Type("Item1UseD", "4");
  Click("Calc");
  EXPECT_TRUE(fake_.boxes.Shown().empty());
  EXPECT_EQ(TextOf("Item1Use"), "600.0");
}

// A second copy learns that the first runs, and nothing outlives a first copy that was killed.
TEST(InstanceLockTest, ASecondCopySeesTheFirstUntilItEnds) {
  const std::string name = "tolvarn-test-" + std::to_string(::getpid());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t first = ::fork();
  if (first == 0) {
    InstanceLock lock;
    const bool another = lock.IsAnotherInstance(name);
    ::write(ready[1], another ? "y" : "n", 1);
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

namespace tolvarn {
namespace {

using testing::GuiTest;

// Three copies logging at once — two tolvarn-calc loops and this window with Auto Save — lose
// nothing and mix nothing.
TEST_F(GuiTest, ThreeCopiesLoggingAtOnceKeepEveryRecordWhole) {
  ASSERT_TRUE(Open());
  constexpr int kEach = 300;
  const auto loop = [&](const std::string& notes) {
    return "for ((i = 0; i < " + std::to_string(kEach) + "; ++i)); do '" +
           std::string(TOLVARN_CALC) + "' --workdir '" + dir_.string() +
           "' --currency '$' --log --set Notes=" + notes +
           " --set Item1Use=9 --set Item1UseD=4 >/dev/null; done";
  };
  Write("loops.sh", "(" + loop("first") + ") & (" + loop("second") + ") & wait\n");
  ASSERT_EQ(std::system(("bash '" + (dir_ / "loops.sh").string() + "' &").c_str()), 0);
  Click("AutoSave");
  for (int i = 0; i < kEach; ++i) {
    QPlainTextEdit* notes = Widget<QPlainTextEdit>("Notes");
    notes->setPlainText(QString("window %1").arg(i));
    Type("Item1Use", "9");
    Type("Item1UseD", "4");
    Click("Calc");
  }
  // Wait for the two loops: every one of their records in, or ten minutes.
  const auto count = [this](const std::string& what) {
    const std::string log = Read("Log/Tolvarn.log");
    size_t found = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1))
      ++found;
    return found;
  };
  for (int wait = 0; wait < 6000 && count("\r\nfirst\r\n") + count("\r\nsecond\r\n") < 2 * kEach;
       ++wait)
    QTest::qWait(100);
  const std::string log = Read("Log/Tolvarn.log");
  EXPECT_EQ(count("\r\nfirst\r\n"), static_cast<size_t>(kEach));
  EXPECT_EQ(count("\r\nsecond\r\n"), static_cast<size_t>(kEach));
  EXPECT_EQ(count("\r\nwindow "), static_cast<size_t>(kEach));
  // Every record is whole: as many water lines as records, each right after its dashes.
  EXPECT_EQ(count("\r\nWater Volume Cost"), static_cast<size_t>(3 * kEach));
  EXPECT_EQ(count("-\r\nWater Volume Cost"), static_cast<size_t>(3 * kEach));
  EXPECT_EQ(count(" years\r\n\r\n\r\n\r\n"), static_cast<size_t>(3 * kEach));
}

}  // namespace
}  // namespace tolvarn
