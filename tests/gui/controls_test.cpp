// Every control of the main window: its name, its kind, its caption and its tooltip, as the
// window is designed (before start-up sets captions and tooltips that depend on the settings).
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "gui_fixture.h"
#include "shell/qt/artwork.h"

namespace tolvarn {
namespace {

struct Control {
  const char* name;
  const char* kind;  // the Qt class
  const char* caption;
  const char* tooltip;
};

// Empty caption or tooltip: none.
constexpr Control kControls[] = {
    {"Label26", "QLabel", "Water Cost Calculator", ""},
    {"Status", "QLabel", "", ""},
    {"Logo", "QLabel", "", ""},
    {"Update", "QPushButton", "&Update",
     "Check the Quennix web site for the latest version of Tolvarn"},
    {"Label41", "QFrame", "", ""},
    {"Label3", "QLabel", "Water Data", ""},
    {"Label7", "QLabel", "Volume Units:", ""},
    {"VolUnits1", "QCheckBox", "", "Tick to set units to gallons"},
    {"Label44", "QLabel", "On Top:", ""},
    {"OnTop", "QCheckBox", "", "Tick to set Tolvarn to Run On Top"},
    {"Label43", "QLabel", "Auto Save:", ""},
    {"AutoSave", "QCheckBox", "",
     "Tick to save result to log file when Calculate clicked ( provided no errors occur)"},
    {"Label2", "QLabel", "Water Volume Charge:", ""},
    {"WVCost", "QLineEdit", "", "Water Volume Charge per cubic metre ( 0.1000 to 5.0000)"},
    {"WVChargeL", "QLabel", "/cu m", ""},
    {"VRateH", "QLabel", "VAT:", ""},
    {"VRate", "QLineEdit", "", "VAT Rate (0 or between 1.0 and 50.0%)"},
    {"Label4", "QLabel", "%", ""},
    {"Label8", "QLabel", "Sewerage Volume Charge:", ""},
    {"SVCost", "QLineEdit", "", "Sewerage Volume Charge per cubic metre (0 or 0.1000 to 5.0000)"},
    {"SVChargeL", "QLabel", "/cu m", ""},
    {"Label9", "QLabel", "Inflation:", ""},
    {"AnInfT", "QLineEdit", "", "Annual Inflation (-30.0 to 199.0) %"},
    {"Label10", "QLabel", "%/Yr", ""},
    {"Label33", "QLabel", "Sewerage Volume Allowance:", ""},
    {"SVAllow", "QLineEdit", "", "Sewerage Volume Allowance in % (0 or 1.0 to 99.0)"},
    {"Label22", "QLabel", "%", ""},
    {"Label1", "QLabel", "Payback Time:", ""},
    {"PPeriod", "QLineEdit", "", "Payback Period in years ( 1.0 to 10.0)"},
    {"Label6", "QLabel", "Yrs", ""},
    {"Reset_Defaults", "QPushButton", "Reset &Data", "Reset Water Data"},
    {"Save_Defaults", "QPushButton", "Sa&ve Data", "Save Water Data"},
    {"Label21", "QLabel", "Notes", ""},
    {"Notes", "QPlainTextEdit", "", "Notes relating to calculation (max 75 characters)"},
    {"Label11", "QLabel", "Comparison", ""},
    {"Label12", "QLabel", "Item 1:", ""},
    {"Label13", "QLabel", "Item 2:", ""},
    {"SaveL", "QLabel", "Saving:", ""},
    {"Label14", "QLabel", "Water Use ", ""},
    {"Item1Use", "QLineEdit", "", "Item 1 Water Use in litres (1.0 to 500.0)"},
    {"Item2Use", "QLineEdit", "", "Item 2 Water Use in litres (1.0 to 500.0)"},
    {"Item1UseL", "QLabel", "Ltr", ""},
    {"Item2UseL", "QLabel", "Ltr", ""},
    {"Label37", "QLabel", "Uses /Day", ""},
    {"Item1UseD", "QLineEdit", "", "Item 1 Uses Per Day (1 to 99)"},
    {"Item2UseD", "QLineEdit", "", "Item 2 Uses Per Day (1 to 99)"},
    {"Label35", "QLabel", "Item Cost ", ""},
    {"Item1Cost", "QLineEdit", "", "Item 1 Cost (0 to 5000)"},
    {"Item2Cost", "QLineEdit", "", "Item 2 Cost (0 to 5000)"},
    {"Label19", "QLabel", "Water Cost/Day", ""},
    {"Item1WCost", "QLineEdit", "", "Item 1 Water Cost per day"},
    {"Item2WCost", "QLineEdit", "", "Item 2 Water Cost per day"},
    {"Label20", "QLabel", "Sewerage Cost/Day", ""},
    {"Item1SCost", "QLineEdit", "", "Item 1 Sewerage Cost per day"},
    {"Item2SCost", "QLineEdit", "", "Item 2 Sewerage Cost per day"},
    {"Label23", "QLabel", "Cost /Day", ""},
    {"Item1Day", "QLineEdit", "", "Total Cost of Item 1 Per Day"},
    {"Item2Day", "QLineEdit", "", "Total Cost of Item 2 Per Day"},
    {"DaySave", "QLineEdit", "", "Difference in cost between Item 1 and Item 2 per day"},
    {"Label24", "QLabel", "Cost /Quarter", ""},
    {"Item1Qtr", "QLineEdit", "", "Total Cost of Item 1 Per Quarter"},
    {"Item2Qtr", "QLineEdit", "", "Total Cost of Item 2 Per Quarter"},
    {"QtrSave", "QLineEdit", "", "Difference in cost between Item 1 and Item 2 per quarter"},
    {"Label25", "QLabel", "Cost /Period", ""},
    {"Item1Period", "QLineEdit", "", "Total Cost of Item 1 Over Payback Period"},
    {"Item2Period", "QLineEdit", "", "Total Cost of Item 2 Over Payback Period"},
    {"PeriodSave", "QLineEdit", "",
     "Difference in cost between Item 1 and Item 2 over Payback Period"},
    {"Label5", "QLabel", "Water /Period ", ""},
    {"Item1W", "QLineEdit", "", "Item 1 water use over Payback Period in litres"},
    {"Item2W", "QLineEdit", "", "Item 2 water use over Payback Period in litres"},
    {"PeriodWater", "QLineEdit", "",
     "Difference in water used between Item 1 and Item 2 over Payback Period"},
    {"Item1WatL", "QLabel", "Ltr", ""},
    {"Item2WatL", "QLabel", "Ltr", ""},
    {"ItemWatS", "QLabel", "Ltr", ""},
    {"Line3", "Line", "", ""},
    {"Help1", "QPushButton", "&Help", "Tolvarn Help"},
    {"Archive", "QPushButton", "&Archive", "Archive Tolvarn results log file and create new one"},
    {"About", "QPushButton", "A&bout", "About Tolvarn"},
    {"ViewL", "QPushButton", "&Results",
     "View Tolvarn results log (Iit will not be updated while open)"},
    {"Clear", "QPushButton", "C&lear", "Clear all item entries and results"},
    {"Calc", "QPushButton", "&Calculate", "Calculate results"},
    {"Save", "QPushButton", "&Save", "Save results  ( each result can only be saved once)"},
    {"Exit", "QPushButton", "&Exit", "Close Tolvarn"},
};

QString CaptionOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return {};
}

TEST(MainWindowControls, EachHasItsNameKindCaptionAndTooltip) {
  FakePlatform fake;
  PosixFileSystem files("/nonexistent");
  MainWindow window({fake.boxes, fake.clock, fake.locale, files, fake.launcher}, "", [](int) {});
  for (const Control& control : kControls) {
    SCOPED_TRACE(control.name);
    QWidget* widget = window.findChild<QWidget*>(QString::fromLatin1(control.name));
    ASSERT_NE(widget, nullptr);
    const QString kind = QString::fromLatin1(widget->metaObject()->className());
    // Designer's "Line" is a QFrame drawn as a line.
    if (std::string(control.kind) == "Line") {
      EXPECT_EQ(kind, "QFrame");
      EXPECT_EQ(qobject_cast<QFrame*>(widget)->frameShape(), QFrame::HLine);
    } else {
      EXPECT_EQ(kind, QString::fromLatin1(control.kind));
    }
    EXPECT_EQ(CaptionOf(widget).toStdString(), control.caption);
    EXPECT_EQ(widget->toolTip().toStdString(), control.tooltip);
  }
  // Results are read-only; inputs are not.
  for (const Field field : AllFields()) {
    if (KindOf(field) != FieldKind::Result && KindOf(field) != FieldKind::Input) continue;
    auto* edit = window.findChild<QLineEdit*>(
        QString::fromLatin1(FieldName(field).data(), FieldName(field).size()));
    if (edit != nullptr) {
      EXPECT_EQ(edit->isReadOnly(), KindOf(field) == FieldKind::Result) << FieldName(field);
    }
  }
  // Timer1: single-shot, two seconds, stopped.
  auto* timer = window.findChild<QTimer*>("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 2000);
  EXPECT_FALSE(timer->isActive());
}

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
