// tolvarn-controls-window: a window with one control of each kind Tolvarn's form uses (a label,
// a text box, a button, a check box, a notes box), in the program's fonts; once it is drawn
// and idle its time and peak memory are printed and it ends (with --stay, it stays open). The
// start-up benchmark sets it beside the empty window: what any window with text costs.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "shell/qt/after_first_paint.h"
#include "shell/qt/application.h"
#include "tools/idle_report.h"

int main(int argc, char** argv) {
  tolvarn::Application application(argc, argv);
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QLabel(QStringLiteral("Water Cost Calculator")));
  layout->addWidget(new QLineEdit(QStringLiteral("1.5000")));
  layout->addWidget(new QPushButton(QStringLiteral("&Calculate")));
  layout->addWidget(new QCheckBox(QStringLiteral("Auto Save:")));
  layout->addWidget(new QPlainTextEdit);
  window.show();
  const tolvarn::AfterFirstPaint idle(window, tolvarn::WhenIdle(argc, argv));
  return QApplication::exec();
}
