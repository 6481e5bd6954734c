// The GUI tests' main: the program's QApplication, offscreen, on a desktop of two screens (1280 x
// 900 and 1920 x 1080) so that tests can open the window on either; then GoogleTest.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "shell/qt/application.h"

int main(int argc, char** argv) {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  const std::string screens = "/tmp/tolvarn_gui_screens_" + std::to_string(::getpid()) + ".json";
  if (platform.isEmpty() || platform == "offscreen") {
    std::ofstream(screens) << R"({"screens": [
      {"name": "Small", "x": 0, "y": 0, "width": 1280, "height": 900, "logicalDpi": 96},
      {"name": "Large", "x": 1280, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96}]})";
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screens.c_str());
  }
  tolvarn::Application application(argc, argv);
  std::remove(screens.c_str());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
