// Colours of the program's own that stay legible on whatever background a theme gives, dark
// themes included.
#pragma once

#include <QColor>

namespace tolvarn {

// The contrast ratio of two colours as WCAG 2 measures it: 1 (none) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// `wanted` where it stands out from `background` by `ratio`; else `wanted` mixed towards white
// (on a dark background) or black (on a light one), no further than it takes.
QColor Legible(const QColor& wanted, const QColor& background, double ratio = 4.5);

}  // namespace tolvarn
