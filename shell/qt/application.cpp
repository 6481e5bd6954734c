#include "shell/qt/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "posix/instance_lock.h"
#include "posix/posix_file_system.h"
#include "posix/posix_platform.h"
#include "posix/working_directory.h"
#include "posix/xdg_launcher.h"
#include "shell/qt/after_first_paint.h"
#include "shell/qt/event_loop_watch.h"
#include "shell/qt/font_configuration.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_message_boxes.h"
#include "shell/window_arguments.h"
#include "version.h"

namespace {

constexpr int kUsageExitStatus = 64;

}  // namespace

namespace tolvarn {

application_detail::QuickFonts::QuickFonts() {
  UseQuickFontConfiguration();
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setFont(MainWindow::BaseFont());
}

int RunTolvarn(int argc, char** argv, const std::function<void()>& when_idle) {
  // A file size limit makes a write fail and be reported, not the program end mid-entry.
  std::signal(SIGXFSZ, SIG_IGN);
  // Read before the toolkit starts, so that help, the version and a mistake are told on any
  // terminal, with a display or without.
  const WindowArguments read =
      ReadWindowArguments(std::vector<std::string_view>(argv + std::min(argc, 1), argv + argc));
  switch (read.action) {
    case WindowArguments::Action::Help:
      std::fputs(WindowUsage().c_str(), stdout);
      return 0;
    case WindowArguments::Action::Version:
      std::printf("tolvarn %s\n", std::string(kVersionText).c_str());
      return 0;
    case WindowArguments::Action::Usage:
      std::fprintf(stderr, "tolvarn: %s\nRun with --help for more information.\n",
                   read.error.c_str());
      return kUsageExitStatus;
    case WindowArguments::Action::Run:
      break;
  }
  Application application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tolvarn"));
  // Ties the window to its menu entry and icon on desktops that match them by name.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quennix.Tolvarn"));
  const std::optional<std::string>& workdir = read.workdir;
  const std::string& arguments = read.arguments;

  QtMessageBoxes boxes;
  const WorkingDirectory root = ResolveWorkingDirectory(workdir);
  if (root.path.empty()) {
    boxes.Show({"Tolvarn", root.error, BoxIcon::Stop, BoxButtons::Ok});
    return root.bad_request ? kUsageExitStatus : kFatalExitStatus;
  }

  // A second copy is not refused; it says on its terminal that the files are shared. The first
  // copy holds the lock until it ends.
  InstanceLock instance;
  if (instance.IsAnotherInstance("Tolvarn"))
    std::fputs("tolvarn: another copy is running; both use the same tariff and results log.\n",
               stderr);

  SystemClock clock;
  SystemLocale locale;
  PosixFileSystem files(root.path);
  // Handlers are watched as long as the program runs.
  QObject handlers;
  XdgLauncher launcher(root.path, WatchInEventLoop(handlers));
  MainWindow window({boxes, clock, locale, files, launcher}, arguments,
                    [](int status) { std::exit(status); });
  boxes.SetParent(&window);
  window.Load();
  window.show();
  window.Activate();
  std::optional<AfterFirstPaint> idle;
  if (when_idle) idle.emplace(window, when_idle);
  return QApplication::exec();
}

}  // namespace tolvarn
