#include "support/TestSupport.h"

#include <QWidget>

namespace testing {

void typeText(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString piece(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            piece += text.at(++i);
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, piece, Qt::NoModifier);
    }
}

void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

} // namespace testing
