#include "Driving.h"

#include "ui/DGrid.h"
#include "ui/Modal.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QWindow>

#include <algorithm>

namespace driving {

void settle()
{
    // The grid moves its view to the current cell from a zero timer, and repaints arrive as
    // posted events: a few rounds empty both queues.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace {

bool waitFor(const std::function<bool()> &done)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (done())
            return true;
    }
    return false;
}

} // namespace

bool waitShown(QWidget *window)
{
    return waitFor([window] { return window->windowHandle() && window->windowHandle()->isExposed(); });
}

bool waitActive(QWidget *window)
{
    window->activateWindow();
    return waitFor([window] { return QApplication::activeWindow() == window; });
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double timed(const std::function<void()> &action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    settle();
    return elapsedMs(timer);
}

void clickCell(::DGrid *grid, int gridRow, int col)
{
    const QModelIndex index = grid->model()->index(gridRow - grid->fixedRows(), col);
    grid->scrollTo(index);
    settle();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->visualRect(index).center());
    settle();
}

EventLoopTicks::EventLoopTicks()
{
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        const qint64 now = m_clock.nsecsElapsed();
        m_longestNs = std::max(m_longestNs, now - m_lastNs);
        m_lastNs = now;
        ++m_ticks;
    });
    m_timer.start(intervalMs);
}

double EventLoopTicks::longestGapMs() const
{
    return double(std::max(m_longestNs, m_clock.nsecsElapsed() - m_lastNs)) / 1e6;
}

Windows::Windows(const QElapsedTimer *since, Drive drive)
{
    ui::setModalHook([since, drive](QDialog *dialog) {
        dialog->show();
        waitShown(dialog);
        const double openMs = elapsedMs(*since);
        waitActive(dialog);
        drive(dialog, openMs);
        dialog->close();
        settle();
        return dialog->result();
    });
}

Windows::~Windows()
{
    ui::setModalHook({});
}

} // namespace driving
