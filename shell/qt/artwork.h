// The program's own pictures, drawn rather than shipped, so they stay sharp at any scaling.
#pragma once

#include <QPixmap>

namespace tolvarn {

// The logo at the top right of the main window: 55 x 58.
QPixmap DrawLogo(qreal device_pixel_ratio = 1);
// The About window's background: 164 x 314.
QPixmap DrawAboutBackground(qreal device_pixel_ratio = 1);

}  // namespace tolvarn
