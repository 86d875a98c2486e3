#pragma once

#include <QColor>

// Text that can be read on whatever it stands on, in a light theme or a dark one.
namespace ui {

// The least contrast between text and its background that still reads easily.
constexpr double readableContrast = 4.5;

// Relative luminance of a colour (0 black to 1 white), as screens show it.
double relativeLuminance(const QColor &colour);
// From 1 (the same luminance) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);
// preferred when it stands out from background by readableContrast; otherwise preferred
// moved towards black or white, whichever stands out more, just far enough to.
QColor readableOn(const QColor &background, const QColor &preferred);

} // namespace ui
