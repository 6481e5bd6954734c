// tolvarn: the desktop window.
#include "shell/qt/application.h"

int main(int argc, char** argv) {
  return tolvarn::RunTolvarn(argc, argv);
}
