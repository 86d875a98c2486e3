#pragma once

#include "platform/Clock.h"
#include "ui/AppSetup.h"

#include <QApplication>
#include <QDateTime>
#include <QString>
#include <QTest>

class QWidget;

namespace testing {

// Types text into a widget key by key, Chinese and emoji included.
void typeText(QWidget *widget, const QString &text);

// Clicks a widget in its middle, as a person does (focus moves to it first).
void click(QWidget *widget);

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
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
