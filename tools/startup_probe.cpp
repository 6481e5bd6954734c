// tolvarn-startup-probe: starts Tolvarn as the program does and ends as soon as its window is
// shown and idle, for the start-up benchmark.
#include "../shell/qt/application.h"

int main(int argc, char** argv) {
  return tolvarn::RunTolvarn(argc, argv, true);
}
