// tolvarn-empty-window: an empty Qt Widgets window, shown and ended once idle: the baseline of
// the start-up benchmark.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.show();
  QTimer::singleShot(0, &application, &QCoreApplication::quit);
  return QApplication::exec();
}
