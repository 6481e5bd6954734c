#include "shell/qt/about_dialog.h"

#include <QMouseEvent>
#include <QPainter>

#include "shell/qt/artwork.h"
#include "ui_about_window.h"

namespace tolvarn {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

AboutDialog::AboutDialog(TolvarnMain& logic, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmAbout>()), logic_(logic) {
  ui_->setupUi(this);
  const TolvarnMain::AboutTexts texts = logic_.About_Load();
  setWindowTitle(FromUtf8(texts.title));
  ui_->ProgName->setText(FromUtf8(texts.name));
  ui_->ProgVersion->setText(FromUtf8(texts.version));
  ui_->WebSite->setText(FromUtf8(texts.website));
  ui_->Copyright->setText(FromUtf8(texts.copyright));
  QFont name = font();
  name.setPointSizeF(15.75);
  ui_->ProgName->setFont(name);
  QFont version = font();
  version.setPointSizeF(12);
  ui_->ProgVersion->setFont(version);
  QFont small = font();
  small.setPointSizeF(8.25);
  ui_->Copyright->setFont(small);
  if (logic_.About_Activate()) setWindowFlag(Qt::WindowStaysOnTopHint, true);
  ui_->WebSite->installEventFilter(this);
  connect(ui_->ExitAbout, &QPushButton::clicked, this, &QDialog::accept);
  resize(minimumSizeHint().expandedTo(QSize(164, 314)));
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawPixmap(rect(), DrawAboutBackground(devicePixelRatioF()));
  QDialog::paintEvent(event);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->WebSite && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    logic_.WebSite_Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tolvarn
