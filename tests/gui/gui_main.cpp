// The GUI tests' main: a QApplication on the offscreen platform with the program's fonts, then
// GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>

#include "shell/qt/font_configuration.h"
#include "shell/qt/main_window.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The fonts as the program sets them up.
  tolvarn::UseQuickFontConfiguration();
  QApplication application(argc, argv);
  QApplication::setFont(tolvarn::MainWindow::BaseFont());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
