#include "shell/qt/legible_colour.h"

#include <algorithm>
#include <cmath>

namespace tolvarn {
namespace {

double Luminance(const QColor& colour) {
  const auto linear = [](double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double lighter = std::max(Luminance(a), Luminance(b));
  const double darker = std::min(Luminance(a), Luminance(b));
  return (lighter + 0.05) / (darker + 0.05);
}

QColor Legible(const QColor& wanted, const QColor& background, double ratio) {
  const QColor towards = Luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
  QColor mixed = wanted;
  for (int step = 1; step <= 20 && ContrastRatio(mixed, background) < ratio; ++step) {
    const double share = step / 20.0;
    const auto mix = [share](int from, int to) {
      return static_cast<int>(std::lround(from + (to - from) * share));
    };
    mixed = QColor(mix(wanted.red(), towards.red()), mix(wanted.green(), towards.green()),
                   mix(wanted.blue(), towards.blue()));
  }
  return mixed;
}

}  // namespace tolvarn
