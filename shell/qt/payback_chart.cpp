#include "shell/qt/payback_chart.h"

#include "shell/qt/legible_colour.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "core/number_text.h"
#include "shell/payback_panel.h"

namespace tolvarn {
namespace {

constexpr int kMostTicks = 6;
constexpr int kMargin = 8;
constexpr int kTickLength = 4;
constexpr double kMarkRadius = 4.5;

// An axis value as text: as many decimals as its step needs.
QString TickText(double value, double step) {
  int decimals = 0;
  while (decimals < 4 &&
         std::abs(step * std::pow(10, decimals) - std::round(step * std::pow(10, decimals))) > 1e-9)
    ++decimals;
  return QString::fromStdString(FormatFixed(std::abs(value) < step * 1e-9 ? 0 : value, decimals));
}

}  // namespace

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

void PaybackChart::Draw(QPainter& painter) const {
  painter.fillRect(rect(), palette().color(QPalette::Base));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(font());
  const QFontMetrics metrics(font());
  const QColor ink = palette().color(QPalette::Text);
  if (costs_.empty()) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter, tr("No comparison to draw"));
    return;
  }

  double low = 0;
  double high = 0;
  for (const auto& year : costs_)
    for (const double cost : year) {
      low = std::min(low, cost);
      high = std::max(high, cost);
    }
  const std::vector<double> y_ticks = AxisTicks(low, high, kMostTicks);
  const int last_year = static_cast<int>(costs_.size()) - 1;
  const std::vector<double> x_ticks = AxisTicks(0, std::max(last_year, 1), kMostTicks);
  const double y_step = y_ticks[1] - y_ticks[0];

  // The plot area: room for the cost labels on the left, the legend on top, the years below.
  int label_width = metrics.horizontalAdvance(currency_);
  for (const double tick : y_ticks)
    label_width = std::max(label_width, metrics.horizontalAdvance(TickText(tick, y_step)));
  const int line = metrics.height();
  // Rows from the top: the legend, the currency over the cost axis, half a line for the top
  // value's label; below the plot, the years and "Year".
  const int top = kMargin + 2 * line + line / 2;
  const QRect plot(kMargin + label_width + kTickLength + 2, top,
                   width() - 2 * kMargin - label_width - kTickLength - 2 -
                       metrics.horizontalAdvance(QStringLiteral("00")) / 2,
                   height() - top - kMargin - 2 * line - kTickLength);
  if (plot.width() < 20 || plot.height() < 20) return;
  const double x_low = x_ticks.front();
  const double x_high = x_ticks.back();
  const double y_low = y_ticks.front();
  const double y_high = y_ticks.back();
  const auto at = [&](double year, double cost) {
    return QPointF(plot.left() + (year - x_low) / (x_high - x_low) * plot.width(),
                   plot.bottom() - (cost - y_low) / (y_high - y_low) * plot.height());
  };

  // Grid and axes.
  QPen grid(palette().color(QPalette::Mid));
  grid.setWidthF(0.5);
  QPen axis(ink);
  axis.setWidthF(1);
  painter.setPen(grid);
  for (const double tick : y_ticks)
    painter.drawLine(at(x_low, tick), at(x_high, tick));
  painter.setPen(axis);
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  painter.drawLine(at(x_low, std::clamp(0.0, y_low, y_high)),
                   at(x_high, std::clamp(0.0, y_low, y_high)));
  for (const double tick : y_ticks) {
    const QPointF point = at(x_low, tick);
    painter.drawLine(point, point - QPointF(kTickLength, 0));
    painter.drawText(QRectF(kMargin, point.y() - line / 2.0, label_width, line),
                     Qt::AlignRight | Qt::AlignVCenter, TickText(tick, y_step));
  }
  for (const double tick : x_ticks) {
    const QPointF point(at(tick, y_low).x(), plot.bottom());
    painter.drawLine(point, point + QPointF(0, kTickLength));
    painter.drawText(QRectF(point.x() - 40, plot.bottom() + kTickLength, 80, line),
                     Qt::AlignHCenter | Qt::AlignTop, TickText(tick, 1));
  }
  painter.drawText(QRectF(plot.left(), plot.bottom() + kTickLength + line, plot.width(), line),
                   Qt::AlignHCenter | Qt::AlignTop, tr("Year"));
  painter.drawText(QRectF(kMargin, kMargin + line, label_width + kTickLength, line),
                   Qt::AlignRight | Qt::AlignVCenter, currency_);

  // The two lines.
  for (int item = 1; item <= 2; ++item) {
    QPainterPath path;
    for (size_t year = 0; year < costs_.size(); ++year) {
      const QPointF point = at(static_cast<double>(year), costs_[year][item - 1]);
      if (year == 0)
        path.moveTo(point);
      else
        path.lineTo(point);
    }
    QPen pen(ItemColour(item, palette().color(QPalette::Base)));
    pen.setWidthF(2);
    painter.setPen(pen);
    painter.drawPath(path);
  }

  // The break-even point, on the dearer item's line where the other's meets it.
  if (break_even_ && break_even_->years >= 0 && break_even_->years <= last_year) {
    const double t = break_even_->years;
    const auto before = static_cast<size_t>(std::floor(t));
    const size_t after = std::min(before + 1, costs_.size() - 1);
    const size_t k = static_cast<size_t>(break_even_->item - 1);
    const double cost = costs_[before][k] +
                        (t - static_cast<double>(before)) * (costs_[after][k] - costs_[before][k]);
    const QPointF point = at(t, cost);
    QPen dashed(ink);
    dashed.setStyle(Qt::DashLine);
    painter.setPen(dashed);
    painter.drawLine(QPointF(point.x(), plot.bottom()), point);
    painter.setPen(QPen(ink, 1.5));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawEllipse(point, kMarkRadius, kMarkRadius);
    painter.setBrush(Qt::NoBrush);
    // Named at the foot of its dashed line, clear of the two cost lines.
    const QString label = tr("Break-even");
    const double left =
        std::min(point.x() + 3, plot.right() - metrics.horizontalAdvance(label) - 2.0);
    painter.drawText(QPointF(left, plot.bottom() - metrics.descent() - 3), label);
  }

  // The legend, above the plot.
  int x = plot.left();
  for (int item = 1; item <= 2; ++item) {
    const QString name = tr("Item %1").arg(item);
    const double middle = kMargin + line / 2.0;
    painter.setPen(QPen(ItemColour(item, palette().color(QPalette::Base)), 2));
    painter.drawLine(QPointF(x, middle), QPointF(x + 18, middle));
    painter.setPen(ink);
    painter.drawText(QRectF(x + 22, kMargin, metrics.horizontalAdvance(name) + 2, line),
                     Qt::AlignLeft | Qt::AlignVCenter, name);
    x += 22 + metrics.horizontalAdvance(name) + 16;
  }
}

}  // namespace tolvarn
