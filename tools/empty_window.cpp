// tolvarn-empty-window: an empty Qt Widgets window, shown; once it is drawn and idle, its
// time and peak memory are printed and it ends (with --stay, it stays open): the baseline of the
// start-up benchmark.
#include <QApplication>
#include <QWidget>

#include "shell/qt/after_first_paint.h"
#include "tools/idle_report.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.show();
  const tolvarn::AfterFirstPaint idle(window, tolvarn::WhenIdle(argc, argv));
  return QApplication::exec();
}
