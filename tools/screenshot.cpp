// tolvarn-screenshot WORKDIR OUTPUT.png [PAYBACK.png [HOUSEHOLD.png]]: shows the window on
// WORKDIR, types a worked example, clicks Calculate and saves a picture of the window; with
// PAYBACK.png, also opens the Payback window on the example, with the energy each machine uses,
// and saves a picture of it; with HOUSEHOLD.png, then opens the Household window on the typical
// household and saves a picture of that. With TOLVARN_DARK set, under a dark palette, as a dark
// desktop theme gives it. Run under Xvfb by scripts/screenshot.sh.
#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "files/household_file.h"
#include "posix/posix_file_system.h"
#include "posix/posix_platform.h"
#include "posix/xdg_launcher.h"
#include "shell/qt/application.h"
#include "shell/qt/event_loop_watch.h"
#include "shell/qt/household_window.h"
#include "shell/qt/main_window.h"
#include "shell/qt/payback_window.h"
#include "shell/qt/qt_message_boxes.h"

int main(int argc, char** argv) {
  tolvarn::Application application(argc, argv);
  if (argc < 3 || argc > 5) {
    std::fputs("Usage: tolvarn-screenshot WORKDIR OUTPUT.png [PAYBACK.png [HOUSEHOLD.png]]\n",
               stderr);
    return 64;
  }
  if (std::getenv("TOLVARN_DARK") != nullptr) {
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(60, 60, 64));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Mid, QColor(90, 90, 96));
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    QApplication::setPalette(dark);
  }
  tolvarn::QtMessageBoxes boxes;
  tolvarn::SystemClock clock;
  tolvarn::SystemLocale locale;
  tolvarn::PosixFileSystem files(argv[1]);
  QObject handlers;
  tolvarn::XdgLauncher launcher(argv[1], tolvarn::WatchInEventLoop(handlers));
  int ended = -1;
  tolvarn::MainWindow window({boxes, clock, locale, files, launcher}, "",
                             [&ended](int status) { ended = status; });
  window.Load();
  if (ended >= 0) return ended;
  window.show();
  window.Activate();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  // The texts are set rather than typed: Qt's Wayland plugin crashes on simulated keys where the
  // compositor has no keyboard (a headless weston), and the window sees the same change.
  const auto type = [&window](const char* name, const char* text) {
    window.findChild<QLineEdit*>(name)->setText(QString::fromUtf8(text));
  };
  window.findChild<QPlainTextEdit*>("Notes")->setPlainText("Old washing machine against new");
  type("Item1Use", "65");
  type("Item1UseD", "1");
  type("Item2Use", "45");
  type("Item2UseD", "1");
  type("Item2Cost", "450");
  QTest::mouseClick(window.findChild<QPushButton*>("Calc"), Qt::LeftButton);
  QTest::qWait(200);
  if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) return 1;
  if (argc == 3) return 0;

  // The old machine uses 1.2 kWh a wash besides its water, the new one 0.7.
  QTest::mouseClick(window.findChild<QPushButton*>("Payback"), Qt::LeftButton);
  tolvarn::PaybackWindow* payback = window.Payback();
  if (payback == nullptr || !QTest::qWaitForWindowExposed(payback)) return 1;
  const auto set = [payback](const char* name, const char* text) {
    payback->findChild<QLineEdit*>(name)->setText(QString::fromUtf8(text));
  };
  set("EnergyPrice", "0.28");
  set("Co2PerKWh", "0.2");
  set("Co2PerCubicMetre", "0.7");
  set("Item1OwnEnergy", "1.2");
  set("Item2OwnEnergy", "0.7");
  QTest::qWait(200);
  if (!payback->grab().save(QString::fromLocal8Bit(argv[3]))) return 1;
  if (argc == 4) return 0;

  // The typical household, with the bill it pays without a meter.
  tolvarn::Household household = tolvarn::TypicalHousehold();
  household.settings.UnmeteredBill = 450;
  if (!tolvarn::WriteHousehold(files, household).ok()) return 1;
  QTest::mouseClick(window.findChild<QPushButton*>("Household"), Qt::LeftButton);
  tolvarn::HouseholdWindow* shown = window.Household();
  if (shown == nullptr || !QTest::qWaitForWindowExposed(shown)) return 1;
  QTest::qWait(200);
  return shown->grab().save(QString::fromLocal8Bit(argv[4])) ? 0 : 1;
}
