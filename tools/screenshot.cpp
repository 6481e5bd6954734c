// tolvarn-screenshot WORKDIR OUTPUT.png: shows the window on WORKDIR, types a worked example,
// clicks Calculate and saves a picture of the window. Run under Xvfb by scripts/screenshot.sh.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "../platform/posix_file_system.h"
#include "../platform/posix_platform.h"
#include "../platform/xdg_launcher.h"
#include "../shell/qt/event_loop_watch.h"
#include "../shell/qt/font_configuration.h"
#include "../shell/qt/main_window.h"
#include "../shell/qt/qt_message_boxes.h"

int main(int argc, char** argv) {
  tolvarn::UseQuickFontConfiguration();
  QApplication application(argc, argv);
  QApplication::setFont(tolvarn::MainWindow::BaseFont());
  if (argc != 3) {
    std::fputs("Usage: tolvarn-screenshot WORKDIR OUTPUT.png\n", stderr);
    return 64;
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

  const auto type = [&window](const char* name, const char* text) {
    auto* edit = window.findChild<QLineEdit*>(name);
    edit->clear();
    QTest::keyClicks(edit, QString::fromUtf8(text));
  };
  QTest::keyClicks(window.findChild<QPlainTextEdit*>("Notes"), "Old washing machine against new");
  type("Item1Use", "65");
  type("Item1UseD", "1");
  type("Item2Use", "45");
  type("Item2UseD", "1");
  type("Item2Cost", "450");
  QTest::mouseClick(window.findChild<QPushButton*>("Calc"), Qt::LeftButton);
  QTest::qWait(200);
  return window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
