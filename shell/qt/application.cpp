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

#include "platform/instance_lock.h"
#include "platform/posix_file_system.h"
#include "platform/posix_platform.h"
#include "platform/working_directory.h"
#include "platform/xdg_launcher.h"
#include "shell/qt/after_first_paint.h"
#include "shell/qt/event_loop_watch.h"
#include "shell/qt/font_configuration.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_message_boxes.h"

namespace {

constexpr int kUsageExitStatus = 64;
constexpr const char* kUsage =
    "Usage: tolvarn [--workdir DIR] [-InhibitErrorCheck]\n"
    "Shows the Tolvarn window: the running costs of two water-using appliances.\n"
    "  --workdir DIR        keep the files in DIR (Data/, Help/, Log/)\n"
    "  -InhibitErrorCheck   calculate without the data checks\n";

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
  // Before the toolkit starts, so that it is said on any terminal, display or none: an empty
  // working directory (an unset variable in a script) never means the default one.
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--workdir" && (i + 1 == argc || argv[i + 1][0] == '\0')) {
      std::fprintf(stderr, "tolvarn: --workdir needs a directory\n%s", kUsage);
      return kUsageExitStatus;
    }
  Application application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tolvarn"));
  // Ties the window to its menu entry and icon on desktops that match them by name.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quennix.Tolvarn"));

  // Everything but --workdir DIR is the program's argument text.
  std::optional<std::string> workdir;
  std::string arguments;
  const QStringList words = QApplication::arguments();
  for (qsizetype i = 1; i < words.size(); ++i) {
    if (words[i] == QStringLiteral("--help")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (words[i] == QStringLiteral("--workdir") && i + 1 < words.size()) {
      workdir = words[++i].toStdString();
      continue;
    }
    if (!arguments.empty()) arguments += ' ';
    arguments += words[i].toStdString();
  }

  QtMessageBoxes boxes;
  const WorkingDirectory root = ResolveWorkingDirectory(workdir);
  if (root.path.empty()) {
    boxes.Show({"Tolvarn", root.error, BoxIcon::Stop, BoxButtons::Ok});
    return root.bad_request ? kUsageExitStatus : kFatalExitStatus;
  }

  // A second copy is not refused; it only learns that the first one runs.
  InstanceLock instance;
  instance.IsAnotherInstance("Tolvarn");

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
