#include <cstdint>

#include "shell/qt/artwork.h"

namespace tolvarn {

// Made when the program is built, by tolvarn-logo-pixels.
extern const std::uint32_t kLogoPixels1x[];
extern const std::uint32_t kLogoPixels2x[];

QPixmap LogoPixmap(qreal device_pixel_ratio) {
  const int scale = device_pixel_ratio > 1 ? 2 : 1;
  const QImage image(reinterpret_cast<const uchar*>(scale == 2 ? kLogoPixels2x : kLogoPixels1x),
                     kLogoWidth * scale, kLogoHeight * scale, kLogoWidth * scale * 4,
                     QImage::Format_ARGB32_Premultiplied);
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

}  // namespace tolvarn
