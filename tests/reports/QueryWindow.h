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

inline bool open(check &window)
{
    window.show();
    return QTest::qWaitForWindowActive(&window);
}

using testing::retype;

inline void press(QAbstractButton *button)
{
    testing::click(button);
    QTest::qWait(0);
}

// 月查詢 on a typed range, detailed (a row an entry) or simple (summed per day and direction).
inline void runRange(check &window, const QString &begin, const QString &end, bool detailed)
{
    testing::click(window.chkrange_3);
    retype(window.str_begin, begin);
    retype(window.str_end, end);
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

inline QStringList column(const DGrid *grid, int col)
{
    QStringList values;
    for (int r = 1; r < grid->rows(); ++r)
        values << grid->textAt(r, col);
    return values;
}

} // namespace querywindow
