#include "shell/qt/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace tolvarn {
namespace {

QPixmap Canvas(int width, int height, qreal ratio) {
  QPixmap pixmap(qRound(width * ratio), qRound(height * ratio));
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A water drop standing in the box given by its top point and its width and height.
QPainterPath Drop(QPointF top, qreal width, qreal height) {
  QPainterPath path(top);
  const qreal radius = width / 2;
  const QPointF centre(top.x(), top.y() + height - radius);
  path.cubicTo(QPointF(top.x() + radius * 0.3, top.y() + height * 0.35),
               QPointF(centre.x() + radius, centre.y() - radius * 0.6),
               QPointF(centre.x() + radius, centre.y()));
  path.arcTo(QRectF(centre.x() - radius, centre.y() - radius, width, width), 0, -180);
  path.cubicTo(QPointF(centre.x() - radius, centre.y() - radius * 0.6),
               QPointF(top.x() - radius * 0.3, top.y() + height * 0.35), top);
  return path;
}

}  // namespace

QImage DrawLogo(qreal ratio) {
  QImage image(qRound(kLogoWidth * ratio), qRound(kLogoHeight * ratio),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPainterPath drop = Drop(QPointF(27.5, 2), 40, 52);
  QRadialGradient water(QPointF(22, 34), 30);
  water.setColorAt(0, QColor(120, 200, 255));
  water.setColorAt(1, QColor(0, 90, 170));
  painter.setPen(QPen(QColor(0, 60, 120), 1.5));
  painter.setBrush(water);
  painter.drawPath(drop);
  // A coin in the drop: water costs money.
  painter.setPen(QPen(QColor(150, 110, 0), 1.2));
  painter.setBrush(QColor(255, 205, 60));
  painter.drawEllipse(QPointF(27.5, 38), 9, 9);
  painter.setPen(QPen(QColor(150, 110, 0), 1.2));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(27.5, 38), 5.5, 5.5);
  // Highlight.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 150));
  painter.drawEllipse(QPointF(19, 28), 3.5, 6);
  painter.end();
  return image;
}

QPixmap DrawAboutBackground(qreal ratio) {
  QPixmap pixmap = Canvas(164, 314, ratio);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 314);
  sky.setColorAt(0, QColor(10, 70, 140));
  sky.setColorAt(1, QColor(0, 25, 60));
  painter.fillRect(QRectF(0, 0, 164, 314), sky);
  // Waves across the lower half.
  for (int i = 0; i < 4; ++i) {
    QPainterPath wave;
    const qreal y = 200 + i * 18;
    wave.moveTo(0, y);
    for (qreal x = 0; x < 164; x += 41)
      wave.cubicTo(x + 14, y - 8, x + 27, y + 8, x + 41, y);
    wave.lineTo(164, 314);
    wave.lineTo(0, 314);
    wave.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 140, 210, 45 + i * 20));
    painter.drawPath(wave);
  }
  return pixmap;
}

}  // namespace tolvarn
