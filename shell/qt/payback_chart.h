// The payback chart: each item's cumulative cost by year as a line, the break-even point
// marked, axes labelled in the currency and in years, and a legend. Drawn with QPainter into a
// picture at the screen's pixel density, kept until the figures or the size change.
#pragma once

#include <QFontMetrics>
#include <QPixmap>
#include <QPolygonF>
#include <QWidget>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/payback.h"

namespace tolvarn {

class PaybackChart final : public QWidget {
  Q_OBJECT

 public:
  explicit PaybackChart(QWidget* parent = nullptr);

  // The figures to draw (none: an empty frame) and the currency symbol of the cost axis.
  void SetResult(const PaybackResult* result, const std::string& currency);

  // The line colour of an item: the program's blue or orange, lightened or darkened where the
  // theme's background would swallow it. Public, so that its contrast can be checked on any theme.
  static QColor ItemColour(int item, const QColor& background);

  // Where the break-even label of size `label` goes: beside the `marker`, clear of both
  // `lines` (above them where there is room, else below), inside `plot`.
  static QRectF PlaceLabel(const std::array<QPolygonF, 2>& lines, QPointF marker, QSizeF label,
                           const QRectF& plot);

  QSize sizeHint() const override { return {360, 240}; }
  QSize minimumSizeHint() const override { return {240, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Layout;
  std::optional<Layout> LayOut(const QFontMetrics& metrics) const;
  void Draw(QPainter& painter) const;
  void DrawAxes(QPainter& painter, const Layout& layout) const;
  std::array<QPolygonF, 2> DrawLines(QPainter& painter, const Layout& layout) const;
  void DrawBreakEven(QPainter& painter, const Layout& layout, const std::array<QPolygonF, 2>& lines,
                     const QFontMetrics& metrics) const;
  void DrawLegend(QPainter& painter, const Layout& layout, const QFontMetrics& metrics) const;

  std::vector<std::array<double, 2>> costs_;  // by year from 0
  std::optional<BreakEven> break_even_;
  QString currency_;
  QPixmap picture_;  // empty: to be drawn afresh
};

}  // namespace tolvarn
