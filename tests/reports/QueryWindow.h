#pragma once

// Helpers for driving the query window as a person does.

#include "reports/check.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "ui/DGrid.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>

namespace querywindow {

// An entry whose texts are never null (the ledger holds no NULL texts).
inline void addEntry(TestLedger &ledger, const QString &isoDate, qint64 kind, int inout, const QString &content,
    double amount, qint64 key, const QString &note = QStringLiteral(""), const QString &kindName = QStringLiteral(""))
{
    ledger.addEntry(isoDate, kind, inout, content.isNull() ? QStringLiteral("") : content, amount,
        note.isNull() ? QStringLiteral("") : note, key, kindName.isNull() ? QStringLiteral("") : kindName);
}

inline bool open(check &window)
{
    window.show();
    return QTest::qWaitForWindowActive(&window);
}

using testing::retype;

inline void typeRange(check &window, const QString &begin, const QString &end)
{
    testing::click(window.chkrange_3);
    retype(window.str_begin, begin);
    retype(window.str_end, end);
}

inline void press(QAbstractButton *button)
{
    testing::click(button);
    QTest::qWait(0);
}

// 月查詢 on a typed range, detailed (a row an entry) or simple (summed per day and direction).
inline void runRange(check &window, const QString &begin, const QString &end, bool detailed)
{
    typeRange(window, begin, end);
    testing::click(detailed ? window.chk_mon_detail : window.chk_mon_easy);
    press(window.chk_month);
}

// The year report of the year typed.
inline void runYear(check &window, const QString &year)
{
    press(window.chk_year);
    retype(window.chkyeartxt, year);
    press(window.chk_year_go);
}

// Every row of the grid, the header row first.
inline QList<QStringList> cells(const DGrid *grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid->rows(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->cols(); ++c)
            row << grid->textAt(r, c);
        rows << row;
    }
    return rows;
}

inline QStringList column(const DGrid *grid, int col)
{
    QStringList values;
    for (int r = 1; r < grid->rows(); ++r)
        values << grid->textAt(r, col);
    return values;
}

inline const QColor white(255, 255, 255);
inline const QColor weekend(255, 128, 128);
inline const QColor income(255, 0, 0);

} // namespace querywindow
