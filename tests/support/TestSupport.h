#pragma once

#include "platform/Clock.h"
#include "ui/AppSetup.h"

#include <QApplication>
#include <QDateTime>
#include <QString>
#include <QTest>

#include <source_location>

class QLineEdit;
class QWidget;

namespace testing {

// Types text into a widget key by key, Chinese and emoji included.
void typeText(QWidget *widget, const QString &text);

// Clicks a field and replaces all it holds by typing, as a person does.
void retype(QLineEdit *field, const QString &text);

// Clicks a widget in its middle, as a person does (focus moves to it first).
void click(QWidget *widget);

// Shows a window and waits until it is the active one, as it is when a person starts to type
// into it. A window that is not active in time fails the running test there, with a message
// naming the window and the line that showed it, so that no later key or click goes astray
// unnoticed; in a helper program outside a test the message goes to stderr. Returns whether
// the window became active.
bool showActive(QWidget *window, std::source_location where = std::source_location::current());

// The helper programs the tests start, and the benchmark, run headless unless QT_QPA_PLATFORM
// names a platform. Call before the application object is made.
void headlessUnlessTold();

// The settings the program keeps (the 民國 or 西元 dates) go to a folder of this test run,
// removed when it ends, so that no test reads or writes the person's own.
void keepSettingsApart();

// The processor time the whole test process (every thread of it) has used since start(),
// in milliseconds. A speed limit checked against it holds on a loaded machine, where the
// wall clock also counts the time other programs held the processor.
class CpuTimer
{
public:
    void start();
    double elapsedMs() const;

private:
    double m_startMs = 0;
};

// Sets today and now for the time of a test.
class FixedClock
{
public:
    explicit FixedClock(const QDateTime &moment) { Clock::set(moment); }
    explicit FixedClock(const QDate &day) { Clock::set(QDateTime(day, QTime(10, 30, 0))); }
    ~FixedClock() { Clock::set({}); }
    FixedClock(const FixedClock &) = delete;
    FixedClock &operator=(const FixedClock &) = delete;
};

} // namespace testing

// Like QTEST_MAIN, with the program's fonts and translations set up.
#define QUILLORY_TEST_MAIN(TestClass)                                                                                  \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        ui::setupApplication(app);                                                                                     \
        testing::keepSettingsApart();                                                                                  \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
