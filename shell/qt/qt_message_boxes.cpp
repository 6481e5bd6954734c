#include "shell/qt/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace tolvarn {
namespace {

QPointer<QWidget>& CurrentOwner() {
  static QPointer<QWidget> owner;
  return owner;
}

}  // namespace

BoxOwner::BoxOwner(QWidget* window) : previous_(CurrentOwner()) {
  CurrentOwner() = window;
}

BoxOwner::~BoxOwner() {
  CurrentOwner() = previous_;
}

QWidget* BoxOwner::Current() {
  return CurrentOwner();
}

BoxAnswer QtMessageBoxes::Show(const MessageBoxRequest& request) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  if (request.icon == BoxIcon::Stop) icon = QMessageBox::Critical;
  if (request.icon == BoxIcon::Exclamation) icon = QMessageBox::Warning;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  if (request.buttons == BoxButtons::YesNo) buttons = QMessageBox::Yes | QMessageBox::No;
  if (request.buttons == BoxButtons::YesNoCancel)
    buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  QString text = QString::fromStdString(request.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  // Over the window whose command it reports, else the one the user works in.
  QWidget* parent = BoxOwner::Current();
  if (parent == nullptr) parent = QApplication::activeWindow();
  if (parent == nullptr) parent = parent_;
  QMessageBox box(icon, QString::fromStdString(request.title), text, buttons, parent);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return BoxAnswer::Yes;
    case QMessageBox::No:
      return BoxAnswer::No;
    case QMessageBox::Cancel:
      return BoxAnswer::Cancel;
    default:
      return request.buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Cancel;
  }
}

}  // namespace tolvarn
