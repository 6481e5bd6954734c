// tolvarn: the desktop window. Finds the working directory, makes the named object "Tolvarn"
// exist, shows the main window (its load handler first, then its activation handler) and runs
// until Exit, the close button or an ending of the program.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "../platform/instance_lock.h"
#include "../platform/posix_file_system.h"
#include "../platform/posix_platform.h"
#include "../platform/working_directory.h"
#include "../shell/qt/main_window.h"
#include "../shell/qt/qt_message_boxes.h"

namespace {

constexpr const char* kUsage =
    "Usage: tolvarn [--workdir DIR] [-InhibitErrorCheck]\n"
    "Shows the Tolvarn window: the running costs of two water-using appliances.\n"
    "  --workdir DIR        keep the files in DIR (Data/, Help/, Log/)\n"
    "  -InhibitErrorCheck   calculate without the data checks\n";

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tolvarn"));

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

  tolvarn::QtMessageBoxes boxes;
  const tolvarn::WorkingDirectory root = tolvarn::ResolveWorkingDirectory(workdir);
  if (root.path.empty()) {
    boxes.Show({"Tolvarn", root.error, tolvarn::BoxIcon::Stop, tolvarn::BoxButtons::Ok});
    return tolvarn::kFatalExitStatus;
  }

  // A second copy is not refused; it only learns that the first one runs.
  tolvarn::InstanceLock instance;
  instance.IsAnotherInstance("Tolvarn");

  tolvarn::SystemClock clock;
  tolvarn::SystemLocale locale;
  tolvarn::PosixFileSystem files(root.path);
  tolvarn::XdgLauncher launcher(root.path);
  tolvarn::MainWindow window({boxes, clock, locale, files, launcher}, arguments,
                             [](int status) { std::exit(status); });
  boxes.SetParent(&window);
  window.Load();
  window.show();
  window.Activate();
  return QApplication::exec();
}
