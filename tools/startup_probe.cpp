// tolvarn-startup-probe: starts Tolvarn as the program does, prints the time once its window is
// shown and idle, and ends there: the start-up benchmark.
#include <QCoreApplication>

#include "shell/qt/application.h"
#include "tools/idle_report.h"

int main(int argc, char** argv) {
  return tolvarn::RunTolvarn(argc, argv, tolvarn::ReportIdleAndQuit);
}
