// The main window's fonts and its logo.
#include <QApplication>
#include <QFontInfo>

#include "gui_fixture.h"
#include "shell/qt/artwork.h"

namespace tolvarn {
namespace {

// Arial throughout, in the sizes of the original form, and resolved to the face it names.
TEST(MainWindowControls, TheWindowIsDrawnInArialAtItsSizes) {
  FakePlatform fake;
  PosixFileSystem files("/nonexistent");
  MainWindow window({fake.boxes, fake.clock, fake.locale, files, fake.launcher}, "", [](int) {});
  const auto font_of = [&window](const char* name) {
    return window.findChild<QWidget*>(QString::fromLatin1(name))->font();
  };
  for (const char* name : {"Calc", "WVCost", "Label21", "Item1Day", "AutoSave"}) {
    EXPECT_EQ(font_of(name).family(), "Arial") << name;
    EXPECT_EQ(font_of(name).pointSizeF(), 9.75) << name;
    EXPECT_FALSE(font_of(name).bold()) << name;
  }
  EXPECT_EQ(font_of("Label26").pointSizeF(), 14.25);
  EXPECT_EQ(font_of("Notes").pointSizeF(), 9.0);
  EXPECT_TRUE(font_of("Status").bold());
  EXPECT_EQ(font_of("Status").pointSizeF(), 9.75);
  // What the font system makes of it: Arial's metric twin, not a stand-in.
  EXPECT_EQ(QFontInfo(font_of("WVCost")).family(), "Liberation Sans");
}

// The logo the window shows comes from pixels the build drew: they must be the drawing itself,
// at both sizes, in the pixel format the window reads them in.
TEST(MainWindowControls, TheLogoIsTheDrawingAtEitherScale) {
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
