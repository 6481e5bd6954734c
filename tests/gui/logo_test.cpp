// The logo the window shows.
#include <QApplication>

#include "gui_fixture.h"
#include "shell/qt/artwork.h"

namespace tolvarn {
namespace {

// The logo the window shows comes from pixels the build drew: they must be the drawing itself,
// at both sizes, in the pixel format the window reads them in.
TEST(Logo, IsTheDrawingAtEitherScale) {
  for (const qreal ratio : {1.0, 2.0}) {
    const QPixmap shown = LogoPixmap(ratio);
    EXPECT_EQ(shown.devicePixelRatio(), ratio);
    const QImage drawn = DrawLogo(ratio);
    EXPECT_EQ(shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), drawn)
        << "at ratio " << ratio;
  }
  // Screens between the two take the larger drawing, scaled down by the toolkit.
  EXPECT_EQ(LogoPixmap(1.5).devicePixelRatio(), 2.0);
  EXPECT_EQ(LogoPixmap(1.5).width(), 2 * kLogoWidth);
}

}  // namespace
}  // namespace tolvarn
