#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Layouts are given in twips (1/1440 inch); at 96 dpi a pixel is 15 twips.
namespace ui {

constexpr int twipsPerPixel = 15;

constexpr int twips(int value)
{
    return (value + (value >= 0 ? twipsPerPixel / 2 : -twipsPerPixel / 2)) / twipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return { twips(left), twips(top), twips(width), twips(height) };
}

inline QSize twipsSize(int width, int height)
{
    return { twips(width), twips(height) };
}

// Places a control at left, top with width and height, all in twips.
void place(QWidget *widget, int left, int top, int width, int height);

} // namespace ui
