#include "ui/Readable.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    const auto channel = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

} // namespace

double relativeLuminance(const QColor &colour)
{
    const QColor c = colour.toRgb();
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &background, const QColor &preferred)
{
    const QColor start = preferred.toRgb();
    if (contrastRatio(background, start) >= readableContrast)
        return start;
    // Black or white always reaches the ratio against any background; the one that stands out
    // more is the direction to move in, keeping as much of the preferred hue as can be kept.
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const QColor target = contrastRatio(background, black) >= contrastRatio(background, white) ? black : white;
    for (int step = 1; step < 20; ++step) {
        const QColor candidate = mixed(start, target, step / 20.0);
        if (contrastRatio(background, candidate) >= readableContrast)
            return candidate;
    }
    return target;
}

} // namespace ui
