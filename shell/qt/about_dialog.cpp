#include "shell/qt/about_dialog.h"

#include "shell/qt/qt_text.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

#include "shell/qt/artwork.h"
#include "ui_about_window.h"

namespace tolvarn {
AboutDialog::AboutDialog(TolvarnMain& logic, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmAbout>()), logic_(logic) {
  ui_->setupUi(this);
  const TolvarnMain::AboutTexts texts = logic_.About_Load();
  setWindowTitle(FromUtf8(texts.title));
  ui_->ProgName->setText(FromUtf8(texts.name));
  ui_->ProgVersion->setText(FromUtf8(texts.version));
  // A link, which Tab reaches and Return opens, as a click does.
  ui_->WebSite->setTextFormat(Qt::RichText);
  ui_->WebSite->setText(QStringLiteral("<a href=\"site\" style=\"color: rgb(0, 102, 0)\">%1</a>")
                            .arg(FromUtf8(texts.website).toHtmlEscaped()));
  ui_->WebSite->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  ui_->WebSite->setFocusPolicy(Qt::StrongFocus);
  ui_->WebSite->installEventFilter(this);
  ui_->WebSite->setAccessibleName(FromUtf8(texts.website));
  connect(ui_->WebSite, &QLabel::linkActivated, this, [this] { logic_.WebSite_Click(); });
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
  connect(ui_->ExitAbout, &QPushButton::clicked, this, &QDialog::accept);
  // Wide enough for its title beside a window manager's buttons.
  const int title =
      QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(windowTitle());
  resize(minimumSizeHint().expandedTo(QSize(std::max(164, title * 5 / 4 + 120), 314)));
}

AboutDialog::~AboutDialog() = default;

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
  // Return, Enter or the space bar on the focused address opens it, as a click does.
  if (watched == ui_->WebSite && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
      logic_.WebSite_Click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void AboutDialog::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawPixmap(rect(), DrawAboutBackground(devicePixelRatioF()));
  QDialog::paintEvent(event);
}

}  // namespace tolvarn
