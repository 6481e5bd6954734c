// tolvarn-empty-window: an empty Qt Widgets window, shown, its time printed once idle, and
// ended: the baseline of the start-up benchmark.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "idle_report.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.show();
  QTimer::singleShot(0, &application, [] {
    tolvarn::ReportIdle();
    QCoreApplication::quit();
  });
  return QApplication::exec();
}
