#include "shell/qt/household_window.h"

#include "core/text.h"
#include "shell/qt/qt_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QWindow>
#include <algorithm>

#include "core/number_text.h"
#include "shell/qt/kept_above.h"
#include "shell/qt/legible_colour.h"
#include "shell/qt/main_window.h"
#include "shell/qt/payback_window.h"
#include "shell/qt/qt_message_boxes.h"
#include "ui_household_window.h"

namespace tolvarn {
namespace {

// The access keys the form's own captions take, so that a parameter's caption takes none of
// them: People, Cold, uNmetered, Standing, Fittings, prEset, Add, Remove, Up, Down, naMe, Kind,
// fItting to replace, replacemenT, purcHase, shoW, cOmpare, cLose.
constexpr std::string_view kFormKeys = "pcnsfeardumkithwol";

enum Column { kName, kKind, kLitres, kKWh, kCost, kColumns };

// What a screen reader calls a control: its label's caption without the access key and colon.
QString Spoken(const QLabel& label) {
  QString text = label.text();
  text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
  text.replace(QStringLiteral("&&"), QStringLiteral("&"));
  if (text.endsWith(QLatin1Char(':'))) text.chop(1);
  return text;
}

void SetCell(QTableWidget& table, int row, int column, const QString& text) {
  QTableWidgetItem* cell = table.item(row, column);
  if (cell == nullptr) {
    cell = new QTableWidgetItem(text);
    if (column >= kLitres) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table.setItem(row, column, cell);
  } else if (cell->text() != text) {
    cell->setText(text);
  }
}

// Shows a kind's parameters in rows of label, edit and unit; rows past its count are hidden.
void ShowParameters(const FittingKindInfo& kind, const FittingRow& row,
                    const std::array<QLabel*, kMaxFittingParameters>& labels,
                    const std::array<QLineEdit*, kMaxFittingParameters>& edits,
                    const std::array<QLabel*, kMaxFittingParameters>& units) {
  std::vector<std::string_view> captions;
  for (size_t p = 0; p < kind.parameterCount; ++p)
    captions.push_back(kind.parameters[p].label);
  const std::vector<std::string> keyed = WithAccessKeys(captions, kFormKeys);
  for (size_t p = 0; p < kMaxFittingParameters; ++p) {
    const bool used = p < kind.parameterCount;
    labels[p]->setVisible(used);
    edits[p]->setVisible(used);
    units[p]->setVisible(used);
    if (!used) continue;
    const FittingParameterInfo& info = kind.parameters[p];
    labels[p]->setText(FromUtf8(keyed[p]) + QLatin1Char(':'));
    units[p]->setText(FromUtf8(info.unit));
    edits[p]->setToolTip(FromUtf8(info.tooltip) + QStringLiteral(" (") +
                         FromUtf8(TextOf(info.minimum)) + QStringLiteral(" to ") +
                         FromUtf8(TextOf(info.maximum)) + QLatin1Char(')'));
    edits[p]->setAccessibleName(Spoken(*labels[p]));
    const QSignalBlocker quiet(edits[p]);
    const QString text = FromUtf8(row.texts[p]);
    if (edits[p]->text() != text) edits[p]->setText(text);
  }
}

}  // namespace

HouseholdWindow::HouseholdWindow(MainWindow& main, FileSystem& files, MessageBoxes& boxes)
    : QWidget(nullptr, Qt::Window),
      ui_(std::make_unique<Ui::HouseholdWindow>()),
      main_(main),
      panel_(main.Logic(), files, boxes) {
  ui_->setupUi(this);
  setFont(MainWindow::BaseFont());
  for (size_t p = 0; p < kMaxFittingParameters; ++p) {
    const QString n = QString::number(p);
    values_[p] = findChild<QLineEdit*>(QStringLiteral("Value") + n);
    value_labels_[p] = findChild<QLabel*>(QStringLiteral("Value") + n + QStringLiteral("Label"));
    value_units_[p] = findChild<QLabel*>(QStringLiteral("Value") + n + QStringLiteral("Unit"));
    replacement_values_[p] = findChild<QLineEdit*>(QStringLiteral("Replacement") + n);
    replacement_labels_[p] =
        findChild<QLabel*>(QStringLiteral("Replacement") + n + QStringLiteral("Label"));
    replacement_units_[p] =
        findChild<QLabel*>(QStringLiteral("Replacement") + n + QStringLiteral("Unit"));
  }
  BindControls();
  QFont bold = font();
  bold.setBold(true);
  ui_->Meter->setFont(bold);
  FollowTheme();
  ui_->CompareBox->hide();
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  auto* remove = new QShortcut(QKeySequence(Qt::Key_Delete), ui_->Fittings);
  remove->setContext(Qt::WidgetShortcut);
  connect(remove, &QShortcut::activated, ui_->Remove, &QPushButton::click);
}

HouseholdWindow::~HouseholdWindow() = default;

void HouseholdWindow::BindControls() {
  BindSettings();
  SetUpFittingsTable();
  FillChoicesAndTips();
  ConnectFittingEditor();
  ConnectCompare();
  connect(ui_->Close, &QPushButton::clicked, this, &QWidget::close);
}

void HouseholdWindow::BindSettings() {
  for (const HouseholdInputInfo& info : HouseholdInputTable()) {
    const QString name = FromUtf8(info.name);
    auto* edit = findChild<QLineEdit*>(name);
    auto* label = findChild<QLabel*>(name + QStringLiteral("Label"));
    Q_ASSERT(edit != nullptr && label != nullptr);
    settings_[static_cast<size_t>(info.input)] = edit;
    edit->setToolTip(FromUtf8(info.tooltip));
    edit->setAccessibleName(Spoken(*label));
    // Every keystroke works the household out again, so a message or a figure shows at once.
    connect(edit, &QLineEdit::textChanged, this, [this, input = info.input](const QString& text) {
      panel_.SetSettingText(input, text.toStdString());
      ShowFigures();
    });
  }
}

void HouseholdWindow::SetUpFittingsTable() {
  QTableWidget& table = *ui_->Fittings;
  table.setColumnCount(kColumns);
  table.setHorizontalHeaderLabels(
      {tr("Fitting"), tr("Kind"), tr("Litres a day"), tr("kWh a day"), tr("Cost a day")});
  table.setSelectionBehavior(QAbstractItemView::SelectRows);
  table.setSelectionMode(QAbstractItemView::SingleSelection);
  table.setEditTriggers(QAbstractItemView::NoEditTriggers);
  table.setTabKeyNavigation(false);
  table.verticalHeader()->hide();
  table.horizontalHeader()->setSectionResizeMode(kName, QHeaderView::Stretch);
  table.setMinimumWidth(600);
  // Room for the typical household's six fittings without scrolling, and the kind's name whole.
  const QFontMetrics metrics(font());
  table.verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
  table.setMinimumHeight(table.horizontalHeader()->sizeHint().height() +
                         6 * table.verticalHeader()->defaultSectionSize() + 2 * table.frameWidth());
  table.setColumnWidth(kKind, metrics.horizontalAdvance(tr("Shower (mixer or power)")) + 12);
  table.setToolTip(
      tr("The household's fittings with what each uses a day: choose one with the arrow keys to "
         "edit it below; Delete removes it"));
  table.setAccessibleName(tr("Fittings"));
  connect(&table, &QTableWidget::currentCellChanged, this, [this] { ShowEditor(); });
}

void HouseholdWindow::FillChoicesAndTips() {
  for (const FittingPreset& preset : FittingPresets()) {
    ui_->Preset->addItem(FromUtf8(preset.name));
    ui_->Preset->setItemData(ui_->Preset->count() - 1, FromUtf8(preset.source), Qt::ToolTipRole);
    ui_->ReplacementPreset->addItem(FromUtf8(preset.name));
    ui_->ReplacementPreset->setItemData(ui_->ReplacementPreset->count() - 1,
                                        FromUtf8(preset.source), Qt::ToolTipRole);
  }
  ui_->ReplacementPreset->insertItem(0, tr("A copy of the fitting, to edit"));
  ui_->ReplacementPreset->setCurrentIndex(0);
  ui_->Preset->setToolTip(tr("The fitting Add puts into the list; each names its figures' source"));
  ui_->Preset->setAccessibleName(tr("Preset"));
  for (const FittingKindInfo& kind : FittingKindTable())
    ui_->FittingKind->addItem(FromUtf8(kind.label));
  ui_->FittingKind->setToolTip(tr("What kind of fitting it is: the kind decides what it asks"));
  ui_->FittingKind->setAccessibleName(tr("Kind"));
  ui_->FittingName->setToolTip(tr("The fitting's name (at most 40 characters)"));
  ui_->FittingName->setMaxLength(static_cast<int>(kMaxFittingNameLength));
  ui_->FittingName->setAccessibleName(tr("Name"));
  ui_->CompareFitting->setToolTip(tr("The fitting to compare, which goes into Item 1"));
  ui_->CompareFitting->setAccessibleName(tr("Fitting to replace"));
  ui_->ReplacementPreset->setToolTip(
      tr("What would replace it, which goes into Item 2: a preset, or a copy of the fitting to "
         "edit below"));
  ui_->ReplacementPreset->setAccessibleName(tr("Replacement"));
  ui_->ReplacementCost->setToolTip(tr("What the replacement costs to buy and fit (Item 2 Cost)"));
  ui_->ReplacementCost->setAccessibleName(tr("Purchase price"));
  ui_->Average->setToolTip(FromUtf8(kAverageUseSource));
  ui_->TotalLitres->setToolTip(tr("What the whole household uses a day"));
  ui_->PerPerson->setToolTip(tr("What the household uses a day for each person in it"));
  ui_->Meter->setToolTip(
      tr("Whether a water meter would pay: what a meter would bill a year against the unmetered "
         "bill, and the use a day at which both cost the same"));
  ui_->Messages->setToolTip(tr("What must be put right before the household is worked out"));
  ui_->MoneyNotice->setToolTip(tr("Costs need the main window's water data"));
  ui_->Status->setToolTip(tr("What the household file held wrong, and what closing did"));
  ui_->CompareMessages->setToolTip(tr("Why the fitting could not be compared"));
  for (QLabel* label : {ui_->TotalLitres, ui_->PerPerson, ui_->Average, ui_->Meter, ui_->Messages,
                        ui_->MoneyNotice, ui_->Status, ui_->CompareMessages})
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

// The list's buttons and the chosen fitting's name, kind and values.
void HouseholdWindow::ConnectFittingEditor() {
  connect(ui_->Add, &QPushButton::clicked, this, [this] {
    if (!panel_.AddPreset(static_cast<size_t>(ui_->Preset->currentIndex()))) return;
    ShowFigures();
    Choose(static_cast<int>(panel_.Count()) - 1);
  });
  connect(ui_->Remove, &QPushButton::clicked, this, [this] {
    const int row = Chosen();
    if (row < 0) return;
    panel_.Remove(static_cast<size_t>(row));
    ShowFigures();
    Choose(std::min(row, static_cast<int>(panel_.Count()) - 1));
  });
  connect(ui_->Up, &QPushButton::clicked, this, [this] {
    const int row = Chosen();
    if (row < 0 || !panel_.MoveUp(static_cast<size_t>(row))) return;
    ShowFigures();
    Choose(row - 1);
  });
  connect(ui_->Down, &QPushButton::clicked, this, [this] {
    const int row = Chosen();
    if (row < 0 || !panel_.MoveDown(static_cast<size_t>(row))) return;
    ShowFigures();
    Choose(row + 1);
  });
  connect(ui_->FittingName, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (Chosen() < 0) return;
    panel_.SetName(static_cast<size_t>(Chosen()), text.toStdString());
    ShowFigures();
  });
  connect(ui_->FittingKind, &QComboBox::currentIndexChanged, this, [this](int kind) {
    if (Chosen() < 0 || kind < 0) return;
    panel_.SetKind(static_cast<size_t>(Chosen()), static_cast<FittingKind>(kind));
    ShowEditor();
    ShowFigures();
  });
  for (size_t p = 0; p < kMaxFittingParameters; ++p) {
    connect(values_[p], &QLineEdit::textChanged, this, [this, p](const QString& text) {
      if (Chosen() < 0) return;
      panel_.SetValueText(static_cast<size_t>(Chosen()), p, text.toStdString());
      ShowFigures();
    });
    connect(replacement_values_[p], &QLineEdit::textChanged, this,
            [this, p](const QString& text) { panel_.SetReplacementText(p, text.toStdString()); });
  }
}

void HouseholdWindow::ConnectCompare() {
  connect(ui_->Compare, &QPushButton::clicked, this, [this] {
    ui_->CompareBox->show();
    FillCompareFittings();
    if (Chosen() >= 0) {
      const QSignalBlocker quiet(ui_->CompareFitting);
      ui_->CompareFitting->setCurrentIndex(Chosen());
      panel_.SetCompareFitting(static_cast<size_t>(Chosen()));
      ui_->ReplacementPreset->setCurrentIndex(0);
    }
    ShowReplacement();
    ui_->CompareFitting->setFocus();
  });
  connect(ui_->CompareFitting, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (row < 0) return;
    panel_.SetCompareFitting(static_cast<size_t>(row));
    const QSignalBlocker quiet(ui_->ReplacementPreset);
    ui_->ReplacementPreset->setCurrentIndex(0);
    ShowReplacement();
  });
  connect(ui_->ReplacementPreset, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index <= 0)
      panel_.SetCompareFitting(panel_.CompareFittingIndex());
    else
      panel_.SetReplacementPreset(static_cast<size_t>(index - 1));
    ShowReplacement();
  });
  connect(ui_->ReplacementCost, &QLineEdit::textChanged, this,
          [this](const QString& text) { panel_.SetReplacementCost(text.toStdString()); });
  connect(ui_->CompareNow, &QPushButton::clicked, this, &HouseholdWindow::RunCompare);
}

void HouseholdWindow::Open() {
  if (!panel_.Opened()) {
    {
      const BoxOwner owner(&main_);
      panel_.SetPayback(main_.Payback() != nullptr ? &main_.Payback()->Panel() : nullptr);
      panel_.Open();
    }
    for (const HouseholdInputInfo& info : HouseholdInputTable()) {
      QLineEdit* edit = settings_[static_cast<size_t>(info.input)];
      const QSignalBlocker quiet(edit);
      edit->setText(FromUtf8(panel_.SettingText(info.input)));
    }
    ShowFigures();
    Choose(panel_.Count() > 0 ? 0 : -1);
    ShowReplacement();
    settings_[0]->setFocus();
  }
  Refresh();
  KeepAboveOwner();
  show();
  raise();
  activateWindow();
}

void HouseholdWindow::Refresh() {
  FollowOnTop();
  if (!panel_.Opened()) return;
  panel_.SetPayback(main_.Payback() != nullptr ? &main_.Payback()->Panel() : nullptr);
  if (panel_.Follow()) ShowFigures();
}

int HouseholdWindow::Chosen() const {
  const int row = ui_->Fittings->currentRow();
  return row >= 0 && static_cast<size_t>(row) < panel_.Count() ? row : -1;
}

void HouseholdWindow::Choose(int row) {
  if (row >= 0)
    ui_->Fittings->setCurrentCell(row, kName);
  else
    ui_->Fittings->setCurrentCell(-1, -1);
  ShowEditor();
}

void HouseholdWindow::ShowFigures() {
  QTableWidget& table = *ui_->Fittings;
  const int rows = static_cast<int>(panel_.Count());
  if (table.rowCount() != rows) table.setRowCount(rows);
  for (int row = 0; row < rows; ++row) {
    const FittingRow& fitting = panel_.Row(static_cast<size_t>(row));
    const HouseholdPanel::RowTexts figures = panel_.FigureTexts(static_cast<size_t>(row));
    SetCell(table, row, kName, FromUtf8(fitting.name));
    SetCell(table, row, kKind, FromUtf8(KindInfo(fitting.kind).label));
    SetCell(table, row, kLitres, FromUtf8(figures.litres));
    SetCell(table, row, kKWh, FromUtf8(figures.kWh));
    SetCell(table, row, kCost, FromUtf8(figures.cost));
  }
  const QString messages = FromUtf8(JoinLines(panel_.Messages()));
  if (ui_->Messages->text() != messages) ui_->Messages->setText(messages);
  ui_->Messages->setVisible(!messages.isEmpty());
  ui_->TotalLitres->setText(FromUtf8(panel_.TotalText()));
  ui_->PerPerson->setText(FromUtf8(panel_.PerPersonText()));
  ui_->Average->setText(QStringLiteral("(") + FromUtf8(panel_.AverageText()) + QStringLiteral(")"));
  ui_->Meter->setText(FromUtf8(panel_.MeterText()));
  const QString money = FromUtf8(panel_.MoneyNotice());
  if (ui_->MoneyNotice->text() != money) ui_->MoneyNotice->setText(money);
  ui_->MoneyNotice->setVisible(!money.isEmpty());
  ui_->Status->setText(FromUtf8(panel_.Status()));
  const QString year = FromUtf8(panel_.Currency()) + QStringLiteral(" a year");
  ui_->UnmeteredBillUnit->setText(year);
  ui_->StandingChargesUnit->setText(year);
  ui_->ReplacementCostUnit->setText(FromUtf8(panel_.Currency()));
  ui_->ColdSupplyUnit->setText(FromUtf8(HouseholdInputTable()[1].unit));
  ui_->Add->setEnabled(panel_.Count() < kMaxFittings);
  const bool chosen = Chosen() >= 0;
  ui_->Remove->setEnabled(chosen);
  ui_->Up->setEnabled(chosen && Chosen() > 0);
  ui_->Down->setEnabled(chosen && static_cast<size_t>(Chosen()) + 1 < panel_.Count());
  ui_->EditorBox->setEnabled(chosen);
  if (ui_->CompareBox->isVisible()) FillCompareFittings();
}

void HouseholdWindow::ShowEditor() {
  const int row = Chosen();
  ui_->EditorBox->setEnabled(row >= 0);
  ui_->Remove->setEnabled(row >= 0);
  ui_->Up->setEnabled(row > 0);
  ui_->Down->setEnabled(row >= 0 && static_cast<size_t>(row) + 1 < panel_.Count());
  const FittingRow shown = row >= 0 ? panel_.Row(static_cast<size_t>(row)) : FittingRow{};
  {
    const QSignalBlocker quiet_name(ui_->FittingName);
    const QSignalBlocker quiet_kind(ui_->FittingKind);
    const QString name = FromUtf8(shown.name);
    if (ui_->FittingName->text() != name) ui_->FittingName->setText(name);
    ui_->FittingKind->setCurrentIndex(static_cast<int>(shown.kind));
  }
  ShowParameters(KindInfo(shown.kind), shown, value_labels_, values_, value_units_);
}

void HouseholdWindow::FillCompareFittings() {
  QStringList names;
  for (size_t i = 0; i < panel_.Count(); ++i) {
    const std::string& name = panel_.Row(i).name;
    names << QString::number(i + 1) + QStringLiteral(". ") +
                 (name.empty() ? tr("(no name)") : FromUtf8(name));
  }
  QComboBox& combo = *ui_->CompareFitting;
  bool same = combo.count() == names.size();
  for (int i = 0; same && i < names.size(); ++i)
    same = combo.itemText(i) == names[i];
  if (same) return;
  const QSignalBlocker quiet(&combo);
  combo.clear();
  combo.addItems(names);
  combo.setCurrentIndex(
      std::min(static_cast<int>(panel_.CompareFittingIndex()), static_cast<int>(names.size()) - 1));
}

void HouseholdWindow::ShowReplacement() {
  const FittingRow& replacement = panel_.Replacement();
  ShowParameters(KindInfo(replacement.kind), replacement, replacement_labels_, replacement_values_,
                 replacement_units_);
}

void HouseholdWindow::RunCompare() {
  PaybackWindow& payback = main_.MakePayback();
  panel_.SetPayback(&payback.Panel());
  if (panel_.Follow()) ShowFigures();
  const std::vector<std::string> problems =
      panel_.Compare(payback.Panel(), [this] { main_.Calculate(); });
  ui_->CompareMessages->setText(FromUtf8(JoinLines(problems)));
  if (!problems.empty()) return;
  // The Payback window shows the items' values Compare gave its logic.
  for (const PaybackInputInfo& info : PaybackInputTable()) {
    if (info.input < PaybackInput::Item1OwnEnergy) continue;
    auto* edit = payback.findChild<QLineEdit*>(FromUtf8(info.name));
    if (edit == nullptr) continue;
    const QSignalBlocker quiet(edit);
    edit->setText(FromUtf8(payback.Panel().Text(info.input)));
  }
  if (main_.Logic().State().LastComparison) main_.OpenPayback();
}

void HouseholdWindow::FollowOnTop() {
  tolvarn::FollowOnTop(*this, main_.Logic().Fields().CheckValue(Field::OnTop) == 1);
}

void HouseholdWindow::KeepAboveOwner() {
  tolvarn::KeepAboveOwner(*this, main_);
}

void HouseholdWindow::FollowTheme() {
  // The warning's red, made legible on the theme's background.
  for (QLabel* label : {ui_->Messages, ui_->CompareMessages, ui_->MoneyNotice}) {
    QPalette warning = QApplication::palette(label);
    warning.setColor(QPalette::WindowText,
                     Legible(QColor(192, 0, 0), warning.color(QPalette::Window)));
    label->setPalette(warning);
  }
}

void HouseholdWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) FollowTheme();
  // Coming back from the main window or the Payback window: their changes show.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Refresh();
  QWidget::changeEvent(event);
}

void HouseholdWindow::closeEvent(QCloseEvent* event) {
  const BoxOwner owner(isVisible() ? this : nullptr);
  panel_.Close();
  ui_->Status->setText(FromUtf8(panel_.Status()));
  event->accept();
}

}  // namespace tolvarn
