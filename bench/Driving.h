#pragma once

#include "support/ScriptedBoxes.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QDialog;
class QWidget;
class DGrid;

// Playing the person at the keyboard and mouse, and the clock they would hold.
namespace driving {

// Lets every queued event, timer and repaint run, as the screen would show them.
void settle();

// Waits until the window is on the screen (at most a few seconds); false if it never is.
bool waitShown(QWidget *window);
bool waitActive(QWidget *window);

// Milliseconds from the start of action until everything it caused has been handled.
double timed(const std::function<void()> &action);
double elapsedMs(const QElapsedTimer &timer);

// Clicks a cell of the grid by the grid's row numbering (the header row is 0).
void clickCell(::DGrid *grid, int gridRow, int col);

// While it lives, a timer asks the event loop every 50 ms for a turn, as the clock of a window
// does; the longest wait between two turns (or since the last one) says how long the window
// could neither paint nor take a key.
class EventLoopTicks
{
public:
    static constexpr int intervalMs = 50;
    EventLoopTicks();
    EventLoopTicks(const EventLoopTicks &) = delete;
    EventLoopTicks &operator=(const EventLoopTicks &) = delete;

    int ticks() const { return m_ticks; }
    double longestGapMs() const;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
    int m_ticks = 0;
};

// Answers the program's message boxes while it lives: Yes to every question, and keeps
// the texts of every box, so that a refused action is not mistaken for a fast one.
class Boxes : public ScriptedBoxes
{
public:
    Boxes() { answerEveryQuestion(true); }
};

// While it lives, each window the program opens modally is shown, handed to drive, and
// closed afterwards. The timer handed in at construction is read when the window is on the
// screen: the time from the click that opened it.
class Windows
{
public:
    using Drive = std::function<void(QDialog *dialog, double openMs)>;
    Windows(const QElapsedTimer *since, Drive drive);
    ~Windows();
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;
};

} // namespace driving
