#include "shell/qt/payback_chart.h"

#include "shell/qt/legible_colour.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "core/number_text.h"
#include "shell/payback_panel.h"

namespace tolvarn {
namespace {

constexpr int kMostTicks = 6;
constexpr int kMargin = 8;
constexpr int kTickLength = 4;
constexpr double kMarkRadius = 4.5;

QStringList TickTexts(const std::vector<double>& ticks) {
  QStringList texts;
  for (const std::string& text : AxisTexts(ticks))
    texts << QString::fromStdString(text);
  return texts;
}

}  // namespace

namespace {

// The highest and lowest a polyline runs (in screen terms: the least and the greatest y) over
// the x range from `left` to `right`.
std::pair<double, double> SpanOf(const QPolygonF& line, double left, double right) {
  double top = std::numeric_limits<double>::infinity();
  double bottom = -top;
  const auto take = [&](double y) {
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  };
  for (qsizetype i = 0; i + 1 < line.size(); ++i) {
    const QPointF a = line[i];
    const QPointF b = line[i + 1];
    if (b.x() < left || a.x() > right || b.x() == a.x()) continue;
    const auto y_at = [&](double x) {
      return a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x());
    };
    take(y_at(std::max(a.x(), left)));
    take(y_at(std::min(b.x(), right)));
  }
  return {top, bottom};
}

}  // namespace

QRectF PaybackChart::PlaceLabel(const std::array<QPolygonF, 2>& lines, QPointF marker, QSizeF label,
                                const QRectF& plot) {
  constexpr double kGap = 4;
  const double right_of = std::min(marker.x() + kGap + kMarkRadius, plot.right() - label.width());
  const double left_of = std::max(marker.x() - kGap - kMarkRadius - label.width(), plot.left());
  std::vector<QRectF> below;
  for (const double left : {right_of, left_of}) {
    // The mark lies on a line; beyond the lines' ends there is nothing else to avoid.
    double top = marker.y() - kMarkRadius;
    double bottom = marker.y() + kMarkRadius;
    for (const QPolygonF& line : lines) {
      const auto [line_top, line_bottom] = SpanOf(line, left, left + label.width());
      top = std::min(top, line_top);
      bottom = std::max(bottom, line_bottom);
    }
    const QRectF above(QPointF(left, top - kGap - label.height()), label);
    if (above.top() >= plot.top()) return above;
    below.emplace_back(QPointF(left, bottom + kGap), label);
  }
  for (const QRectF& rect : below)
    if (rect.bottom() <= plot.bottom()) return rect;
  return QRectF(QPointF(right_of, plot.top()), label);
}

PaybackChart::PaybackChart(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QColor PaybackChart::ItemColour(int item, const QColor& background) {
  return Legible(item == 1 ? QColor(0, 92, 184) : QColor(214, 96, 0), background);
}

void PaybackChart::SetResult(const PaybackResult* result, const std::string& currency) {
  costs_.clear();
  break_even_.reset();
  if (result != nullptr && result->ok) {
    costs_.reserve(result->years.size());
    for (const PaybackYear& year : result->years)
      costs_.push_back(year.cost);
    break_even_ = result->breakEven;
  }
  currency_ = QString::fromStdString(currency);
  picture_ = QPixmap();
  update();
}

void PaybackChart::changeEvent(QEvent* event) {
  // A new theme: drawn afresh in its colours.
  if (event->type() == QEvent::PaletteChange) {
    picture_ = QPixmap();
    update();
  }
  QWidget::changeEvent(event);
}

void PaybackChart::resizeEvent(QResizeEvent* event) {
  picture_ = QPixmap();
  QWidget::resizeEvent(event);
}

void PaybackChart::paintEvent(QPaintEvent*) {
  // Drawn at the screen's pixel density, so lines and text stay sharp on a dense screen.
  const qreal ratio = devicePixelRatioF();
  if (picture_.isNull() || picture_.devicePixelRatio() != ratio) {
    picture_ = QPixmap(size() * ratio);
    picture_.setDevicePixelRatio(ratio);
    QPainter painter(&picture_);
    Draw(painter);
  }
  QPainter(this).drawPixmap(0, 0, picture_);
}

// Where everything goes: the axes' ticks and their texts, the plot area, and the mapping from a
// (year, cost) to a point in it.
struct PaybackChart::Layout {
  std::vector<double> y_ticks, x_ticks;
  QStringList y_texts, x_texts;
  int label_width = 0;
  int line = 0;
  QRect plot;
  QPointF At(double year, double cost) const {
    const double x_low = x_ticks.front(), x_high = x_ticks.back();
    const double y_low = y_ticks.front(), y_high = y_ticks.back();
    return {plot.left() + (year - x_low) / (x_high - x_low) * plot.width(),
            plot.bottom() - (cost - y_low) / (y_high - y_low) * plot.height()};
  }
};

std::optional<PaybackChart::Layout> PaybackChart::LayOut(const QFontMetrics& metrics) const {
  double low = 0;
  double high = 0;
  for (const auto& year : costs_)
    for (const double cost : year) {
      low = std::min(low, cost);
      high = std::max(high, cost);
    }
  Layout layout;
  layout.y_ticks = AxisTicks(low, high, kMostTicks);
  layout.x_ticks = AxisTicks(0, std::max(static_cast<int>(costs_.size()) - 1, 1), kMostTicks);
  layout.y_texts = TickTexts(layout.y_ticks);
  layout.x_texts = TickTexts(layout.x_ticks);

  // The plot area: room for the cost labels on the left, the legend on top, the years below.
  layout.label_width = metrics.horizontalAdvance(currency_);
  for (const QString& text : layout.y_texts)
    layout.label_width = std::max(layout.label_width, metrics.horizontalAdvance(text));
  const int line = layout.line = metrics.height();
  // Rows from the top: the legend, the currency over the cost axis, half a line for the top
  // value's label; below the plot, the years and "Year".
  const int top = kMargin + 2 * line + line / 2;
  layout.plot = QRect(kMargin + layout.label_width + kTickLength + 2, top,
                      width() - 2 * kMargin - layout.label_width - kTickLength - 2 -
                          metrics.horizontalAdvance(QStringLiteral("00")) / 2,
                      height() - top - kMargin - 2 * line - kTickLength);
  if (layout.plot.width() < 20 || layout.plot.height() < 20) return std::nullopt;
  return layout;
}

void PaybackChart::Draw(QPainter& painter) const {
  painter.fillRect(rect(), palette().color(QPalette::Base));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(font());
  const QFontMetrics metrics(font());
  if (costs_.empty()) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter, tr("No comparison to draw"));
    return;
  }
  const std::optional<Layout> layout = LayOut(metrics);
  if (!layout) return;
  DrawAxes(painter, *layout);
  const std::array<QPolygonF, 2> lines = DrawLines(painter, *layout);
  DrawBreakEven(painter, *layout, lines, metrics);
  DrawLegend(painter, *layout, metrics);
}

void PaybackChart::DrawAxes(QPainter& painter, const Layout& layout) const {
  const double x_low = layout.x_ticks.front(), x_high = layout.x_ticks.back();
  const double y_low = layout.y_ticks.front(), y_high = layout.y_ticks.back();
  const int line = layout.line;
  const QRect& plot = layout.plot;
  QPen grid(palette().color(QPalette::Mid));
  grid.setWidthF(0.5);
  painter.setPen(grid);
  for (const double tick : layout.y_ticks)
    painter.drawLine(layout.At(x_low, tick), layout.At(x_high, tick));
  painter.setPen(QPen(palette().color(QPalette::Text), 1));
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  painter.drawLine(layout.At(x_low, std::clamp(0.0, y_low, y_high)),
                   layout.At(x_high, std::clamp(0.0, y_low, y_high)));
  for (size_t i = 0; i < layout.y_ticks.size(); ++i) {
    const QPointF point = layout.At(x_low, layout.y_ticks[i]);
    painter.drawLine(point, point - QPointF(kTickLength, 0));
    painter.drawText(QRectF(kMargin, point.y() - line / 2.0, layout.label_width, line),
                     Qt::AlignRight | Qt::AlignVCenter, layout.y_texts[static_cast<qsizetype>(i)]);
  }
  for (size_t i = 0; i < layout.x_ticks.size(); ++i) {
    const QPointF point(layout.At(layout.x_ticks[i], y_low).x(), plot.bottom());
    painter.drawLine(point, point + QPointF(0, kTickLength));
    painter.drawText(QRectF(point.x() - 40, plot.bottom() + kTickLength, 80, line),
                     Qt::AlignHCenter | Qt::AlignTop, layout.x_texts[static_cast<qsizetype>(i)]);
  }
  painter.drawText(QRectF(plot.left(), plot.bottom() + kTickLength + line, plot.width(), line),
                   Qt::AlignHCenter | Qt::AlignTop, tr("Year"));
  painter.drawText(QRectF(kMargin, kMargin + line, layout.label_width + kTickLength, line),
                   Qt::AlignRight | Qt::AlignVCenter, currency_);
}

std::array<QPolygonF, 2> PaybackChart::DrawLines(QPainter& painter, const Layout& layout) const {
  std::array<QPolygonF, 2> lines;
  for (int item = 1; item <= 2; ++item) {
    QPolygonF& points = lines[static_cast<size_t>(item - 1)];
    for (size_t year = 0; year < costs_.size(); ++year)
      points << layout.At(static_cast<double>(year), costs_[year][static_cast<size_t>(item - 1)]);
    QPen pen(ItemColour(item, palette().color(QPalette::Base)));
    pen.setWidthF(2);
    painter.setPen(pen);
    painter.drawPolyline(points);
  }
  return lines;
}

// The break-even point, on the dearer item's line where the other's meets it.
void PaybackChart::DrawBreakEven(QPainter& painter, const Layout& layout,
                                 const std::array<QPolygonF, 2>& lines,
                                 const QFontMetrics& metrics) const {
  const int last_year = static_cast<int>(costs_.size()) - 1;
  if (!break_even_ || break_even_->years < 0 || break_even_->years > last_year) return;
  const double t = break_even_->years;
  const auto before = static_cast<size_t>(std::floor(t));
  const size_t after = std::min(before + 1, costs_.size() - 1);
  const size_t k = static_cast<size_t>(break_even_->item - 1);
  const double cost = costs_[before][k] +
                      (t - static_cast<double>(before)) * (costs_[after][k] - costs_[before][k]);
  const QPointF point = layout.At(t, cost);
  const QColor ink = palette().color(QPalette::Text);
  QPen dashed(ink);
  dashed.setStyle(Qt::DashLine);
  painter.setPen(dashed);
  painter.drawLine(QPointF(point.x(), layout.plot.bottom()), point);
  painter.setPen(QPen(ink, 1.5));
  painter.setBrush(palette().color(QPalette::Base));
  painter.drawEllipse(point, kMarkRadius, kMarkRadius);
  painter.setBrush(Qt::NoBrush);
  // Named beside its mark, clear of the two cost lines.
  const QString label = tr("Break-even");
  const QRectF where = PlaceLabel(
      lines, point, QSizeF(metrics.horizontalAdvance(label) + 2, layout.line), layout.plot);
  painter.drawText(where, Qt::AlignLeft | Qt::AlignVCenter, label);
}

// The legend, above the plot.
void PaybackChart::DrawLegend(QPainter& painter, const Layout& layout,
                              const QFontMetrics& metrics) const {
  const int line = layout.line;
  int x = layout.plot.left();
  for (int item = 1; item <= 2; ++item) {
    const QString name = tr("Item %1").arg(item);
    const double middle = kMargin + line / 2.0;
    painter.setPen(QPen(ItemColour(item, palette().color(QPalette::Base)), 2));
    painter.drawLine(QPointF(x, middle), QPointF(x + 18, middle));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRectF(x + 22, kMargin, metrics.horizontalAdvance(name) + 2, line),
                     Qt::AlignLeft | Qt::AlignVCenter, name);
    x += 22 + metrics.horizontalAdvance(name) + 16;
  }
}

}  // namespace tolvarn
