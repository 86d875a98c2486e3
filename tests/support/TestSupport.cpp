#include "support/TestSupport.h"

#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace testing {

void keepSettingsApart()
{
    static QTemporaryDir folder;
    for (const QSettings::Format format : { QSettings::NativeFormat, QSettings::IniFormat })
        QSettings::setPath(format, QSettings::UserScope, folder.path());
}

void typeText(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString piece(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            piece += text.at(++i);
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, piece, Qt::NoModifier);
    }
}

void retype(QLineEdit *field, const QString &text)
{
    click(field);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    typeText(field, text);
}

bool showActive(QWidget *window, std::source_location where)
{
    window->show();
    // Generous, so that a loaded machine is not taken for a window that never comes up.
    if (QTest::qWaitForWindowActive(window, 20000))
        return true;
    const QString message = QStringLiteral("window %1 (%2) did not become active within 20 s")
                                .arg(window->objectName(), QString::fromLatin1(window->metaObject()->className()));
    if (QTest::currentTestFunction() != nullptr)
        QTest::qFail(qPrintable(message), where.file_name(), int(where.line()));
    else
        std::fprintf(stderr, "%s:%u: %s\n", where.file_name(), unsigned(where.line()), qPrintable(message));
    return false;
}

void headlessUnlessTold()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

namespace {

double processCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

} // namespace

void CpuTimer::start()
{
    m_startMs = processCpuMs();
}

double CpuTimer::elapsedMs() const
{
    return processCpuMs() - m_startMs;
}

} // namespace testing
