#include "shell/qt/payback_window.h"

#include "shell/qt/qt_text.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QWindow>
#include <algorithm>

#include "shell/qt/kept_above.h"
#include "shell/qt/legible_colour.h"
#include "shell/qt/payback_chart.h"
#include "shell/qt/qt_message_boxes.h"
#include "ui_payback_window.h"

namespace tolvarn {
namespace {

// The access keys the form's own controls take: Export, Close, US gallons, Metered (its "r",
// as every other letter of it is an earlier caption's).
constexpr std::string_view kFormKeys = "ecur";

}  // namespace

// The table by year, read from the panel's texts as the view asks for them, so that only the
// rows in sight are ever turned into Qt strings.
class PaybackTableModel final : public QAbstractTableModel {
 public:
  explicit PaybackTableModel(const PaybackPanel& panel) : panel_(panel) {}

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : PaybackPanel::kColumns;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= std::min(rows_, panel_.Rows())) return {};
    if (role == Qt::DisplayRole) return FromUtf8(panel_.Cell(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return FromUtf8(panel_.ColumnTitle(section));
  }
  // Follows the panel's rows, adding or removing only the difference, so that the view keeps
  // its column widths and does no more than redraw.
  void Update() {
    const int rows = panel_.Rows();
    if (rows > rows_) {
      beginInsertRows({}, rows_, rows - 1);
      rows_ = rows;
      endInsertRows();
    } else if (rows < rows_) {
      beginRemoveRows({}, rows, rows_ - 1);
      rows_ = rows;
      endRemoveRows();
    }
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, PaybackPanel::kColumns - 1));
    emit headerDataChanged(Qt::Horizontal, 0, PaybackPanel::kColumns - 1);
  }

 private:
  const PaybackPanel& panel_;
  int rows_ = 0;
};

PaybackWindow::PaybackWindow(TolvarnMain& logic, FileSystem& files, MessageBoxes& boxes,
                             QWidget* owner)
    : QWidget(nullptr, Qt::Window),
      ui_(std::make_unique<Ui::PaybackWindow>()),
      logic_(logic),
      owner_(owner),
      panel_(files, boxes),
      model_(std::make_unique<PaybackTableModel>(panel_)) {
  ui_->setupUi(this);
  ask_file_name_ = [](QWidget* owner, const QString& suggested) {
    return QFileDialog::getSaveFileName(owner, tr("Export CSV"), suggested,
                                        tr("Comma-separated values (*.csv)"));
  };
  BindInputs();

  QFont bold = font();
  bold.setBold(true);
  ui_->Headline->setFont(bold);
  FollowTheme();
  ui_->Chart->setAccessibleName(tr("Payback chart"));
  ui_->Table->setAccessibleName(tr("Payback by year"));

  ui_->Table->setModel(model_.get());
  ui_->Table->verticalHeader()->hide();
  // Each column as wide as its title and a wide figure, and wider when a figure needs it.
  const QFontMetrics metrics(font());
  ui_->Table->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
  const int figure = metrics.horizontalAdvance(QStringLiteral("-\u00A300000.00"));
  const int gallons = metrics.horizontalAdvance(QStringLiteral("(gallons)"));
  for (int column = 0; column < PaybackPanel::kColumns; ++column) {
    int title = column == 0 ? 0 : std::max(figure, gallons);
    for (const QString& line : FromUtf8(panel_.ColumnTitle(column)).split(QLatin1Char('\n')))
      title = std::max(title, metrics.horizontalAdvance(line));
    least_widths_[static_cast<size_t>(column)] = title + 12;
    ui_->Table->setColumnWidth(column, title + 12);
  }
  // Room for five rows of the table however small the window is made.
  ui_->Table->setMinimumHeight(ui_->Table->horizontalHeader()->sizeHint().height() +
                               5 * ui_->Table->verticalHeader()->defaultSectionSize() +
                               2 * ui_->Table->frameWidth() +
                               ui_->Table->horizontalScrollBar()->sizeHint().height());

  connect(ui_->ExportCsv, &QPushButton::clicked, this, &PaybackWindow::ExportCsv);
  connect(ui_->Close, &QPushButton::clicked, this, &QWidget::close);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  resize(sizeHint().expandedTo(QSize(960, 640)));
}

PaybackWindow::~PaybackWindow() = default;

void PaybackWindow::FollowTheme() {
  // The warning's red, made legible on the theme's background.
  QPalette warning = QApplication::palette(ui_->Messages);
  warning.setColor(QPalette::WindowText,
                   Legible(QColor(192, 0, 0), warning.color(QPalette::Window)));
  ui_->Messages->setPalette(warning);
}

void PaybackWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) FollowTheme();
  QWidget::changeEvent(event);
}

void PaybackWindow::BindInputs() {
  const auto& table = PaybackInputTable();
  std::vector<std::string_view> labels;
  for (const PaybackInputInfo& info : table)
    labels.push_back(info.label);
  const std::vector<std::string> captions = WithAccessKeys(labels, kFormKeys);
  for (size_t i = 0; i < kPaybackInputCount; ++i) {
    const PaybackInputInfo& info = table[i];
    const QString name = FromUtf8(info.name);
    auto* edit = findChild<QLineEdit*>(name);
    auto* label = findChild<QLabel*>(name + QStringLiteral("Label"));
    auto* unit = findChild<QLabel*>(name + QStringLiteral("Unit"));
    Q_ASSERT(edit != nullptr && label != nullptr && unit != nullptr);
    edits_[i] = edit;
    label->setText(FromUtf8(captions[i]) + QLatin1Char(':'));
    unit->setText(FromUtf8(info.unit));
    edit->setToolTip(FromUtf8(info.tooltip));
    edit->setText(FromUtf8(panel_.Text(info.input)));
    // Every keystroke works the comparison out again (well under a millisecond), so a message
    // or a new figure shows at once.
    connect(edit, &QLineEdit::textChanged, this, [this, input = info.input](const QString& text) {
      panel_.SetText(input, text.toStdString());
      ShowResults();
    });
  }
  connect(ui_->USGallons, &QCheckBox::toggled, this, [this](bool on) {
    panel_.SetUSGallons(on);
    ShowResults();
  });
  connect(ui_->Metered, &QCheckBox::toggled, this, [this](bool on) {
    panel_.SetMetered(on);
    ShowResults();
  });
}

void PaybackWindow::Open() {
  if (!panel_.Opened()) {
    panel_.Open();
    for (size_t i = 0; i < kPaybackInputCount; ++i) {
      const QSignalBlocker quiet(edits_[i]);
      edits_[i]->setText(FromUtf8(panel_.Text(PaybackInputTable()[i].input)));
    }
    for (QCheckBox* box : {ui_->USGallons, ui_->Metered}) {
      const QSignalBlocker quiet(box);
      box->setChecked(box == ui_->USGallons ? panel_.USGallons() : panel_.Metered());
    }
    edits_[0]->setFocus();
  }
  panel_.Follow(logic_.State().LastComparison, logic_.State().CurrencySymbol);
  ShowResults();
  FollowOnTop();
  KeepAboveOwner();
  show();
  raise();
  activateWindow();
}

void PaybackWindow::Refresh() {
  FollowOnTop();
  if (panel_.Follow(logic_.State().LastComparison, logic_.State().CurrencySymbol)) ShowResults();
}

void PaybackWindow::FollowOnTop() {
  tolvarn::FollowOnTop(*this, logic_.Fields().CheckValue(Field::OnTop) == 1);
}

void PaybackWindow::KeepAboveOwner() {
  if (owner_ != nullptr) tolvarn::KeepAboveOwner(*this, *owner_);
}

void PaybackWindow::ShowResults() {
  const QString notice = FromUtf8(panel_.Notice());
  ui_->Messages->setText(notice);
  ui_->Messages->setVisible(!notice.isEmpty());
  ui_->Headline->setText(FromUtf8(panel_.Headline()));
  // The chart's text for a screen reader: what it shows, in words.
  const QString described =
      panel_.Headline().empty() ? tr("No comparison to draw") : FromUtf8(panel_.Headline());
  if (ui_->Chart->accessibleDescription() != described)
    ui_->Chart->setAccessibleDescription(described);
  ui_->Totals->setText(FromUtf8(panel_.Totals()));
  ui_->Status->setText(FromUtf8(panel_.Status()));
  const QString currency = FromUtf8(panel_.Currency());
  if (currency != last_currency_) {
    last_currency_ = currency;
    ui_->EnergyPriceUnit->setText(FromUtf8(panel_.Unit(PaybackInput::EnergyPrice)));
    ui_->OwnEnergyPriceUnit->setText(FromUtf8(panel_.Unit(PaybackInput::OwnEnergyPrice)));
  }
  model_->Update();
  FitColumns();
  ui_->Chart->SetResult(panel_.Result(), panel_.Currency());
  ui_->ExportCsv->setEnabled(panel_.CanExport());
}

void PaybackWindow::FitColumns() {
  // A figure is as wide as its digits (all alike) and its few other signs, so the widest of a
  // column is the one with the most digits, a minus sign settling a tie: one measure a column,
  // not one a cell.
  const QFontMetrics metrics(ui_->Table->font());
  for (int column = 0; column < PaybackPanel::kColumns; ++column) {
    int widest_row = -1;
    size_t widest_score = 0;
    for (int row = 0; row < panel_.Rows(); ++row) {
      const std::string& cell = panel_.Cell(row, column);
      size_t score = 2 * static_cast<size_t>(std::count_if(cell.begin(), cell.end(), [](char c) {
                       return c >= '0' && c <= '9';
                     }));
      score += cell.find('-') != std::string::npos ? 1 : 0;
      if (score > widest_score) {
        widest_score = score;
        widest_row = row;
      }
    }
    int width = least_widths_[static_cast<size_t>(column)];
    if (widest_row >= 0)
      width = std::max(width,
                       metrics.horizontalAdvance(FromUtf8(panel_.Cell(widest_row, column))) + 12);
    if (ui_->Table->columnWidth(column) != width) ui_->Table->setColumnWidth(column, width);
  }
}

void PaybackWindow::ExportCsv() {
  if (!panel_.CanExport()) return;
  const QString name = ask_file_name_(this, QDir::home().filePath(QStringLiteral("payback.csv")));
  if (name.isEmpty()) return;
  const BoxOwner owner(this);
  panel_.Export(QFile::encodeName(name).toStdString());
  ui_->Status->setText(FromUtf8(panel_.Status()));
}

void PaybackWindow::closeEvent(QCloseEvent* event) {
  // A box over this window while it is in sight; closed with the program, over the main one.
  const BoxOwner owner(isVisible() ? this : nullptr);
  panel_.Close();
  ui_->Status->setText(FromUtf8(panel_.Status()));
  event->accept();
}

}  // namespace tolvarn
