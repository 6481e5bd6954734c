// The program's own pictures. They are drawn by code, so they stay sharp at any scaling; the
// logo, which every start shows, is drawn once when the program is built and kept as pixels,
// since drawing it costs as much as the rest of the window together.
#pragma once

#include <QImage>
#include <QPixmap>

namespace tolvarn {

inline constexpr int kLogoWidth = 55;
inline constexpr int kLogoHeight = 58;

// The logo at the top right of the main window: 55 x 58, drawn at `device_pixel_ratio`.
QImage DrawLogo(qreal device_pixel_ratio);
// The logo as the build drew it: at twice the size where the screen has more than one pixel
// to a point, else at its size.
QPixmap LogoPixmap(qreal device_pixel_ratio);
// The About window's background: 164 x 314.
QPixmap DrawAboutBackground(qreal device_pixel_ratio = 1);

}  // namespace tolvarn
