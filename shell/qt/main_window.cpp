#include "shell/qt/main_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "core/utf8.h"
#include "shell/qt/about_dialog.h"
#include "shell/qt/artwork.h"
#include "shell/qt/household_window.h"
#include "shell/qt/payback_window.h"
#include "shell/qt/qt_text.h"
#include "ui_tolvarn_main.h"

namespace tolvarn {
namespace {

constexpr int kStatusMilliseconds = 2000;

// The widest text each field shows for a value the checks accept, "0" standing for any digit
// (the font's digits are all as wide). Inputs: their display form at the limits, with a digit
// to spare. Results: the largest calculation the checks allow (the highest tariff, tax, use and
// cost, 199 % inflation over ten years) has 8 whole digits a day, 10 a quarter, 11 over the
// period and 9 for the water.
struct WidestText {
  Field field;
  bool money;  // shown after the currency symbol
  const char* digits;
};
constexpr WidestText kWidestTexts[] = {
    {Field::WVCost, true, "00.0000"},
    {Field::SVCost, true, "00.0000"},
    {Field::SVAllow, false, "000.0"},
    {Field::VRate, false, "000.0"},
    {Field::AnInfT, false, "-000.0"},
    {Field::PPeriod, false, "000.0"},
    {Field::Item1Use, false, "0000.0"},
    {Field::Item2Use, false, "0000.0"},
    {Field::Item1UseD, false, "000"},
    {Field::Item2UseD, false, "000"},
    {Field::Item1Cost, true, "00000.00"},
    {Field::Item2Cost, true, "00000.00"},
    {Field::Item1WCost, true, "00000000.000"},
    {Field::Item2WCost, true, "00000000.000"},
    {Field::Item1SCost, true, "00000000.000"},
    {Field::Item2SCost, true, "00000000.000"},
    {Field::Item1Day, true, "00000000.000"},
    {Field::Item2Day, true, "00000000.000"},
    {Field::DaySave, true, "00000000.000"},
    {Field::Item1Qtr, true, "0000000000.00"},
    {Field::Item2Qtr, true, "0000000000.00"},
    {Field::QtrSave, true, "0000000000.00"},
    {Field::Item1Period, true, "00000000000.00"},
    {Field::Item2Period, true, "00000000000.00"},
    {Field::PeriodSave, true, "00000000000.00"},
    {Field::Item1W, false, "000000000"},
    {Field::Item2W, false, "000000000"},
    {Field::PeriodWater, false, "000000000"},
};

// What a screen reader calls each control: its row's caption, its column's and its unit's, as
// the labels show them now (units and tax captions change).
struct AccessibleName {
  Field field;
  const char* row;     // the label before it, or of its row
  const char* column;  // the label over its column, if any
  const char* unit;    // the unit label after it, if any
};
constexpr AccessibleName kAccessibleNames[] = {
    {Field::Notes, "Label21", nullptr, nullptr},
    {Field::VolUnits1, "Label7", nullptr, nullptr},
    {Field::OnTop, "Label44", nullptr, nullptr},
    {Field::AutoSave, "Label43", nullptr, nullptr},
    {Field::WVCost, "Label2", nullptr, "WVChargeL"},
    {Field::SVCost, "Label8", nullptr, "SVChargeL"},
    {Field::SVAllow, "Label33", nullptr, "Label22"},
    {Field::VRate, "VRateH", nullptr, "Label4"},
    {Field::AnInfT, "Label9", nullptr, "Label10"},
    {Field::PPeriod, "Label1", nullptr, "Label6"},
    {Field::Item1Use, "Label12", "Label14", "Item1UseL"},
    {Field::Item1UseD, "Label12", "Label37", nullptr},
    {Field::Item1Cost, "Label12", "Label35", nullptr},
    {Field::Item1WCost, "Label12", "Label19", nullptr},
    {Field::Item1SCost, "Label12", "Label20", nullptr},
    {Field::Item1Day, "Label12", "Label23", nullptr},
    {Field::Item1Qtr, "Label12", "Label24", nullptr},
    {Field::Item1Period, "Label12", "Label25", nullptr},
    {Field::Item1W, "Label12", "Label5", "Item1WatL"},
    {Field::Item2Use, "Label13", "Label14", "Item2UseL"},
    {Field::Item2UseD, "Label13", "Label37", nullptr},
    {Field::Item2Cost, "Label13", "Label35", nullptr},
    {Field::Item2WCost, "Label13", "Label19", nullptr},
    {Field::Item2SCost, "Label13", "Label20", nullptr},
    {Field::Item2Day, "Label13", "Label23", nullptr},
    {Field::Item2Qtr, "Label13", "Label24", nullptr},
    {Field::Item2Period, "Label13", "Label25", nullptr},
    {Field::Item2W, "Label13", "Label5", "Item2WatL"},
    {Field::DaySave, "SaveL", "Label23", nullptr},
    {Field::QtrSave, "SaveL", "Label24", nullptr},
    {Field::PeriodSave, "SaveL", "Label25", nullptr},
    {Field::PeriodWater, "SaveL", "Label5", "ItemWatS"},
};

static_assert(std::size(kAccessibleNames) == 32, "MainWindow::captions_ holds one row each");

// The width at which `edit` shows `text` whole: its frame and text margins, the two pixels
// QLineEdit keeps either side of its text, one for the cursor, and one to spare.
int WidthToShow(const QLineEdit& edit, const QString& text) {
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
  constexpr int kProbe = 1000;
  option.rect = QRect(0, 0, kProbe, edit.sizeHint().height());
  const int contents =
      edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit).width();
  const QMargins margins = edit.textMargins();
  return kProbe - contents + margins.left() + margins.right() + 2 * 2 + 1 + 1 +
         edit.fontMetrics().horizontalAdvance(text);
}

}  // namespace

MainWindow::MainWindow(const WindowServices& services, std::string arguments,
                       std::function<void(int)> on_end)
    : ui_(std::make_unique<Ui::TolvarnMain>()),
      on_end_(std::move(on_end)),
      files_(services.files),
      boxes_(services.boxes) {
  // The form's font is set before its children exist, so none of them lays out its text twice.
  setFont(BaseFont());
  // The form lies at its natural size in the window's top left corner, so that a window made
  // larger than it (by a desktop that ignores its fixed size) pulls nothing apart.
  setObjectName(QStringLiteral("TolvarnMain"));
  auto* form = new QWidget(this);
  form->setObjectName(QStringLiteral("form"));
  ui_->setupUi(form);
  auto* window_layout = new QVBoxLayout(this);
  window_layout->setContentsMargins(0, 0, 0, 0);
  window_layout->addWidget(form, 0, Qt::AlignLeft | Qt::AlignTop);
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
  ui_->Payback->setEnabled(false);
  FixLayout(*window_layout);
  // The first thing to enter is the tariff; the notes are optional.
  ui_->WVCost->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::FixLayout(QLayout& window_layout) {
  // The window is as large as its layout needs in its fonts, whatever the screen: a form of
  // fixed fields gains nothing from more room, and the desktop offers no maximising.
  window_layout.setSizeConstraint(QLayout::SetFixedSize);
  // A status text, however long, takes the room left beside the title and never widens the
  // window.
  QSizePolicy status_policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  status_policy.setHorizontalStretch(1);
  ui_->Status->setSizePolicy(status_policy);
  // Each unit label is as wide as its longer caption, so switching units moves nothing.
  for (const UnitCaption& unit : kUnitCaptions) {
    auto* label = static_cast<QLabel*>(store_->WidgetOf(unit.label));
    const QString designed = label->text();
    int widest = 0;
    for (const std::string_view caption : {unit.litres, unit.gallons}) {
      label->setText(FromUtf8(caption));
      widest = std::max(widest, label->sizeHint().width());
    }
    label->setText(designed);
    label->setMinimumWidth(widest);
  }
}

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
  }
  // The results can be reached by Tab, as read-only fields, after everything else: the order
  // of the inputs and commands stays as the form has it.
  QWidget* last = nullptr;
  for (QWidget* next = nextInFocusChain(); next != this; next = next->nextInFocusChain())
    if ((next->focusPolicy() & Qt::TabFocus) != 0) last = next;
  for (const AccessibleName& name : kAccessibleNames) {
    if (KindOf(name.field) != FieldKind::Result) continue;
    QWidget* result = store_->WidgetOf(name.field);
    result->setFocusPolicy(Qt::StrongFocus);
    if (last != nullptr) QWidget::setTabOrder(last, result);
    last = result;
  }
  // The status line can be selected, to copy a path it gives.
  ui_->Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  for (size_t i = 0; i < std::size(kAccessibleNames); ++i)
    for (size_t part = 0; part < 3; ++part) {
      const AccessibleName& name = kAccessibleNames[i];
      const char* label = part == 0 ? name.row : part == 1 ? name.column : name.unit;
      captions_[i][part] =
          label == nullptr ? nullptr : findChild<QLabel*>(QString::fromLatin1(label));
    }
}

void MainWindow::changeEvent(QEvent* event) {
  // A theme changed while the program runs: the comparison row takes its new text colour.
  if (event->type() == QEvent::PaletteChange && store_)
    for (const Field field : kComparisonFields)
      store_->SetColour(field, store_->ColourOf(field));
  QWidget::changeEvent(event);
}

void MainWindow::NameControls() {
  for (size_t i = 0; i < std::size(kAccessibleNames); ++i) {
    QStringList parts;
    for (const QLabel* label : captions_[i]) {
      if (label == nullptr) continue;
      QString text = label->text().simplified();
      if (text.endsWith(QLatin1Char(':'))) text.chop(1);
      if (!text.isEmpty()) parts << text;
    }
    QWidget* widget = store_->WidgetOf(kAccessibleNames[i].field);
    const QString joined = parts.join(QLatin1Char(' '));
    if (widget->accessibleName() != joined) widget->setAccessibleName(joined);
  }
  // An increase shows as an orange magnitude: said in words too, as the record says it.
  for (const Field field : kComparisonFields) {
    QWidget* widget = store_->WidgetOf(field);
    const bool increase = store_->ColourOf(field) == kOrange;
    QString meaning;
    if (!store_->Text(field).empty()) {
      const bool water = field == Field::PeriodWater;
      const std::string_view words = water ? (increase ? kWaterIncrease : kWaterSaving)
                                           : (increase ? kCostIncrease : kCostSaving);
      meaning = FromUtf8(words);
    }
    if (widget->accessibleDescription() != meaning) widget->setAccessibleDescription(meaning);
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
  connect(ui_->Payback, &QAbstractButton::clicked, this, &MainWindow::ShowPayback);
  connect(ui_->Household, &QAbstractButton::clicked, this, &MainWindow::ShowHousehold);
  connect(&timer_, &QTimer::timeout, this, [this] { Handle([this] { logic_->Timer1_Timer(); }); });
  ui_->Logo->installEventFilter(this);
  // The notes box takes at most 75 characters, as the record's notes line expects.
  connect(ui_->Notes, &QPlainTextEdit::textChanged, this, [this] {
    const QString text = ui_->Notes->toPlainText();
    qsizetype end = 0;  // after the first 75 characters, a surrogate pair counting as one
    for (int kept = 0; end < text.size() && kept < int(utf8::kNotesLimit); ++kept)
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
  FollowCommand();
}

void MainWindow::FollowCommand() {
  NameControls();
  ui_->Payback->setEnabled(logic_->State().LastComparison.has_value());
  if (payback_ && payback_->isVisible()) payback_->Refresh();
  if (household_ && household_->isVisible()) household_->Refresh();
}

PaybackWindow& MainWindow::MakePayback() {
  // Made on first use, so the start pays nothing for it.
  if (!payback_) payback_ = std::make_unique<PaybackWindow>(*logic_, files_, boxes_, this);
  return *payback_;
}

void MainWindow::ShowPayback() {
  MakePayback().Open();
}

void MainWindow::Calculate() {
  Handle([this] { logic_->Calc_Click(); });
}

void MainWindow::ShowHousehold() {
  if (!household_) {
    // Made on first use, as the Payback window is; from then on it follows each change of the
    // tariff as it is typed (units and currency change through commands, which FollowCommand
    // follows).
    household_ = std::make_unique<HouseholdWindow>(*this, files_, boxes_);
    for (const Field field : {Field::WVCost, Field::SVCost, Field::SVAllow, Field::VRate,
                              Field::AnInfT, Field::PPeriod})
      if (auto* edit = qobject_cast<QLineEdit*>(store_->WidgetOf(field)))
        connect(edit, &QLineEdit::textChanged, this, [this] {
          if (household_->isVisible()) household_->Refresh();
        });
  }
  household_->Open();
}

void MainWindow::Load() {
  Handle([this] { logic_->Form_Load(); });
  SizeFields();
}

void MainWindow::SizeFields() {
  // The currency symbol is the locale's, known once the window has loaded.
  const QString symbol = QString::fromStdString(logic_->State().CurrencySymbol);
  for (const WidestText& widest : kWidestTexts) {
    auto* edit = static_cast<QLineEdit*>(store_->WidgetOf(widest.field));
    const QString digits = QString::fromLatin1(widest.digits);
    edit->setFixedWidth(WidthToShow(*edit, widest.money ? symbol + digits : digits));
  }
}

void MainWindow::Activate() {
  Handle([this] { logic_->Form_Activate(); });
}

void MainWindow::SetTitle(std::string_view title) {
  setWindowTitle(FromUtf8(title));
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

void MainWindow::closeEvent(QCloseEvent* event) {
  // The Payback and Household windows go with the main window, saving as they close.
  if (household_) household_->close();
  if (payback_) payback_->close();
  QWidget::closeEvent(event);
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
