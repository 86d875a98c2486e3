#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <QVector>

class QWidget;

namespace ui {

// Makes a window whose controls are placed in twips at its designed size resizable and
// maximisable. Controls named with follow() take a share of the room the window has beyond
// its designed size (or lacks below it); every other control keeps its place. The window
// cannot be made so small that a control would leave it, and it opens at its designed size,
// or fitted to the screen's free area where that is smaller.
class WindowFit : public QObject
{
public:
    // Shares of the extra width and height: how far a control moves and how much it grows.
    struct Share
    {
        double moveX = 0;
        double growX = 0;
        double moveY = 0;
        double growY = 0;
    };

    // Build this after the window's controls are placed: those not followed keep their
    // places, and the window's minimum size keeps them inside it.
    WindowFit(QWidget *window, int widthTwips, int heightTwips);

    // least: the size in pixels the control keeps however small the window gets.
    void follow(QWidget *control, Share share, QSize least);
    // The control's designed place (in twips) changed; it goes there, plus its share.
    void redesign(QWidget *control, int left, int top, int width, int height);

    QSize designedSize() const { return m_design; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Follower
    {
        QWidget *control;
        QRect design;
        Share share;
        QSize least;
    };

    void apply();
    void updateMinimum();
    void fitToScreen();

    QWidget *m_window;
    QSize m_design;
    QVector<QRect> m_fixed; // where the controls that keep their places lie
    QVector<Follower> m_followers;
    bool m_fitted = false;
};

// Gives a window laid out by Qt's layouts the size it was designed at (in pixels at scale 1),
// no larger than the screen it opens on leaves room for, so that it fits at any scale.
void designedSize(QWidget *window, QSize size);

} // namespace ui
