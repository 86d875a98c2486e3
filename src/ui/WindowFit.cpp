#include "ui/WindowFit.h"

#include "ui/Twips.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

namespace {

// Before the window manager has framed a window its frame is unknown; this much is kept
// free for a title bar and borders so that a fitted window's frame stays on the screen.
const QMargins usualFrame(4, 28, 4, 4);

int share(double part, int extra)
{
    return int(std::lround(part * extra));
}

// The least extra room (negative: room lacking) an axis allows: fixed controls stay inside,
// growing ones keep their least size, moving ones stay inside as they move.
int leastExtra(int designEnd, int designSize, int windowSize, double move, double grow, int least)
{
    int extra = std::numeric_limits<int>::min();
    if (grow > 0)
        extra = std::max(extra, int(std::ceil((least - designSize) / grow)));
    const double follows = move + grow;
    if (follows < 1)
        extra = std::max(extra, int(std::ceil((designEnd - windowSize) / (1 - follows))));
    return extra;
}

} // namespace

WindowFit::WindowFit(QWidget *window, int widthTwips, int heightTwips)
    : QObject(window)
    , m_window(window)
    , m_design(twipsSize(widthTwips, heightTwips))
{
    for (QObject *child : window->children()) {
        auto *control = qobject_cast<QWidget *>(child);
        if (control != nullptr && !control->isWindow())
            m_fixed.append(control->geometry());
    }
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    window->resize(m_design);
    window->installEventFilter(this);
    updateMinimum();
}

void WindowFit::follow(QWidget *control, Share share, QSize least)
{
    const QRect place = control->geometry();
    m_fixed.removeOne(place);
    m_followers.append({ control, place, share, least });
    updateMinimum();
    apply();
}

void WindowFit::redesign(QWidget *control, int left, int top, int width, int height)
{
    for (Follower &f : m_followers) {
        if (f.control == control)
            f.design = twipsRect(left, top, width, height);
    }
    updateMinimum();
    apply();
}

void WindowFit::updateMinimum()
{
    int extraX = -m_design.width();
    int extraY = -m_design.height();
    for (const QRect &r : m_fixed) {
        extraX = std::max(extraX, r.right() + 1 - m_design.width());
        extraY = std::max(extraY, r.bottom() + 1 - m_design.height());
    }
    for (const Follower &f : m_followers) {
        extraX = std::max(extraX,
            leastExtra(f.design.right() + 1, f.design.width(), m_design.width(), f.share.moveX, f.share.growX,
                f.least.width()));
        extraY = std::max(extraY,
            leastExtra(f.design.bottom() + 1, f.design.height(), m_design.height(), f.share.moveY, f.share.growY,
                f.least.height()));
    }
    m_window->setMinimumSize(m_design.width() + std::min(0, extraX), m_design.height() + std::min(0, extraY));
}

void WindowFit::apply()
{
    const int dx = m_window->width() - m_design.width();
    const int dy = m_window->height() - m_design.height();
    for (const Follower &f : m_followers) {
        const QRect &d = f.design;
        // Both edges are rounded, not the size, so controls that share the room meet exactly.
        const int left = d.x() + share(f.share.moveX, dx);
        const int top = d.y() + share(f.share.moveY, dy);
        const int right = d.x() + d.width() + share(f.share.moveX + f.share.growX, dx);
        const int bottom = d.y() + d.height() + share(f.share.moveY + f.share.growY, dy);
        f.control->setGeometry(
            left, top, std::max(f.least.width(), right - left), std::max(f.least.height(), bottom - top));
    }
}

void WindowFit::fitToScreen()
{
    const QScreen *screen = m_window->screen();
    if (screen == nullptr)
        return;
    const QRect free = screen->availableGeometry();
    QMargins frame(m_window->geometry().left() - m_window->frameGeometry().left(),
        m_window->geometry().top() - m_window->frameGeometry().top(),
        m_window->frameGeometry().right() - m_window->geometry().right(),
        m_window->frameGeometry().bottom() - m_window->geometry().bottom());
    // Until the window manager has framed the window, its position is that of its inside:
    // a title bar kept on the screen lies above that point.
    const QPoint inside = frame.isNull() ? QPoint(usualFrame.left(), usualFrame.top()) : QPoint();
    if (frame.isNull())
        frame = usualFrame;
    const QRect room = free.marginsRemoved(frame);
    const QSize size = m_design.boundedTo(room.size()).expandedTo(m_window->minimumSize());
    if (size != m_window->size())
        m_window->resize(size);
    // Keep the whole window, frame included, on the free area, its top-left corner first.
    QPoint corner = m_window->pos() - inside;
    const QSize outer = size.grownBy(frame);
    corner.setX(std::max(free.left(), std::min(corner.x(), free.right() + 1 - outer.width())));
    corner.setY(std::max(free.top(), std::min(corner.y(), free.bottom() + 1 - outer.height())));
    if (corner + inside != m_window->pos())
        m_window->move(corner + inside);
}

bool WindowFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Resize)
            apply();
        else if (event->type() == QEvent::Show && !m_fitted) {
            m_fitted = true;
            fitToScreen();
        }
    }
    return QObject::eventFilter(watched, event);
}

void designedSize(QWidget *window, QSize size)
{
    if (const QScreen *screen = window->screen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    window->resize(size);
}

} // namespace ui
