#include "main_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QWindow>

#include "about_dialog.h"
#include "artwork.h"
#include "ui_tolvarn_main.h"

namespace tolvarn {
namespace {

constexpr int kStatusMilliseconds = 2000;
constexpr int kNotesLimit = 75;

}  // namespace

MainWindow::MainWindow(const WindowServices& services, std::string arguments,
                       std::function<void(int)> on_end)
    : ui_(std::make_unique<Ui::TolvarnMain>()), on_end_(std::move(on_end)) {
  // The form's font is set before its children exist, so none of them lays out its text twice.
  setFont(BaseFont());
  ui_->setupUi(this);
  timer_.setParent(this);
  timer_.setObjectName("Timer1");
  timer_.setInterval(kStatusMilliseconds);
  timer_.setSingleShot(true);
  store_ = std::make_unique<QtFieldStore>(*this, timer_);
  const Platform platform{services.boxes, services.clock, services.locale,
                          process_,       services.files, services.launcher,
                          *this};
  logic_ = std::make_unique<TolvarnMain>(*store_, platform, std::move(arguments));
  ApplyLook();
  ConnectEvents();
  ui_->Save->setEnabled(false);
  // The first thing to enter is the tariff; the notes are optional.
  ui_->WVCost->setFocus();
}

MainWindow::~MainWindow() = default;

QFont MainWindow::BaseFont() {
  QFont base(QStringLiteral("Arial"));
  base.setPointSizeF(9.75);
  // Latin text needs no shaping to be legible; skipping it (kerning and ligatures, which the
  // window's short captions do not miss) roughly halves the cost of laying text out.
  base.setStyleStrategy(QFont::PreferNoShaping);
  return base;
}

void MainWindow::ApplyLook() {
  const QFont base = font();
  QFont title = base;
  title.setPointSizeF(14.25);
  ui_->Label26->setFont(title);
  QFont notes = base;
  notes.setPointSizeF(9);
  ui_->Notes->setFont(notes);
  QFont status = base;
  status.setBold(true);
  ui_->Status->setFont(status);
  // Orange through the palette: a style sheet would start the whole style-sheet engine.
  QPalette status_colours = ui_->Status->palette();
  status_colours.setColor(QPalette::WindowText, QColor(255, 128, 0));
  ui_->Status->setPalette(status_colours);
  ui_->Logo->setPixmap(LogoPixmap(devicePixelRatioF()));
  // The larger drawing for the window icon, which task bars show at up to twice the logo's size.
  setWindowIcon(QIcon(LogoPixmap(2)));
  // Results are read-only on the button face's colour, so they read as answers, not inputs.
  for (const Field field : AllFields()) {
    if (KindOf(field) != FieldKind::Result) continue;
    QWidget* result = store_->WidgetOf(field);
    QPalette palette = result->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    result->setPalette(palette);
    result->setFocusPolicy(Qt::ClickFocus);
  }
}

void MainWindow::ConnectEvents() {
  const auto on_click = [this](QAbstractButton* button, void (TolvarnMain::*handler)()) {
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { Handle([this, handler] { (logic_.get()->*handler)(); }); });
  };
  on_click(ui_->Calc, &TolvarnMain::Calc_Click);
  on_click(ui_->Save, &TolvarnMain::Save_Click);
  on_click(ui_->Clear, &TolvarnMain::Clear_Click);
  on_click(ui_->Exit, &TolvarnMain::Exit_Click);
  on_click(ui_->Archive, &TolvarnMain::Archive_Click);
  on_click(ui_->ViewL, &TolvarnMain::ViewL_Click);
  on_click(ui_->Help1, &TolvarnMain::Help1_Click);
  on_click(ui_->About, &TolvarnMain::About_Click);
  on_click(ui_->Update, &TolvarnMain::Update_Click);
  on_click(ui_->Reset_Defaults, &TolvarnMain::Reset_Defaults_Click);
  on_click(ui_->Save_Defaults, &TolvarnMain::Save_Defaults_Click);
  // A click has changed the box already; its handler runs on the new state.
  on_click(ui_->VolUnits1, &TolvarnMain::VolUnits1_Click);
  on_click(ui_->AutoSave, &TolvarnMain::AutoSave_Click);
  on_click(ui_->OnTop, &TolvarnMain::OnTop_Click);
  connect(&timer_, &QTimer::timeout, this, [this] { Handle([this] { logic_->Timer1_Timer(); }); });
  ui_->Logo->installEventFilter(this);
  // The notes box takes at most 75 characters, as the record's notes line expects.
  connect(ui_->Notes, &QPlainTextEdit::textChanged, this, [this] {
    const QString text = ui_->Notes->toPlainText();
    qsizetype end = 0;  // after the first 75 characters, a surrogate pair counting as one
    for (int kept = 0; end < text.size() && kept < kNotesLimit; ++kept)
      end += text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
    if (end >= text.size()) return;
    ui_->Notes->setPlainText(text.left(end));
    ui_->Notes->moveCursor(QTextCursor::End);
  });
}

void MainWindow::Handle(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const ProgramEnded& ended) {
    on_end_(ended.status);
  } catch (...) {
    // The logic reports its own failures; anything else must still not escape into the toolkit.
    on_end_(kFatalExitStatus);
  }
}

void MainWindow::Load() {
  Handle([this] { logic_->Form_Load(); });
}

void MainWindow::Activate() {
  Handle([this] { logic_->Form_Activate(); });
}

void MainWindow::SetTitle(std::string_view title) {
  setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void MainWindow::SetTopMost(bool on_top) {
  // On a window already shown, the native window's flag changes its keep-above state in place,
  // without hiding, moving or activating it; before that, the widget's flag is enough.
  if (QWindow* native = windowHandle()) {
    if (native->flags().testFlag(Qt::WindowStaysOnTopHint) != on_top)
      native->setFlag(Qt::WindowStaysOnTopHint, on_top);
    return;
  }
  setWindowFlag(Qt::WindowStaysOnTopHint, on_top);
}

void MainWindow::ShowAbout() {
  AboutDialog about(*logic_, this);
  about.exec();
}

void MainWindow::Close() {
  close();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // A field passes on the Return it does not use; the notes box uses it for a new line, and a
  // button that has the focus is not a field.
  const bool in_field = qobject_cast<QLineEdit*>(focusWidget()) != nullptr;
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && in_field &&
      ui_->Calc->isEnabled()) {
    ui_->Calc->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // A click: the left button let go over the logo.
  if (watched == ui_->Logo && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
      ui_->Logo->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
    Handle([this] { logic_->Logo_Click(); });
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tolvarn
