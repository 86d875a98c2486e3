#pragma once

#include "entry/input_keyin.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "ui/DGrid.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

// A ledger with three kinds, the clock on Wednesday 2024/5/15, answering boxes from a script,
// and the daily-entry window open and active on it.
struct EntryWindow
{
    testing::FixedClock clock { QDate(2024, 5, 15) };
    TestLedger ledger;
    ScriptedBoxes boxes;
    qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    qint64 transport = ledger.addKind(QStringLiteral("交通"), 2);
    qint64 salary = ledger.addKind(QStringLiteral("薪資"), 3);
    std::unique_ptr<input_keyin> w; // opening no other window

    input_keyin *open()
    {
        w = std::make_unique<input_keyin>();
        testing::showActive(w.get());
        settle();
        return w.get();
    }

    static void settle() { QTest::qWait(0); }

    // Grid rows count from the header row 0, as the window counts them.
    void clickRow(int gridRow, int col = 4)
    {
        ::DGrid *grid = w->DGrid;
        const QRect cell = grid->visualRect(grid->model()->index(gridRow - grid->fixedRows(), col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        settle();
    }

    void press(QWidget *button)
    {
        testing::click(button);
        settle();
    }

    // The texts of grid row r, columns 1 to 6.
    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 1; c < 7; ++c)
            cells << w->DGrid->textAt(r, c);
        return cells;
    }

    QList<QVariantList> entries() const
    {
        return ledger.rows(QStringLiteral("SELECT a_date, a_kind, a_inout, a_content, a_count, a_note, a_key, "
                                          "a_kind_name FROM data_main ORDER BY a_key"));
    }

    QList<QVariantList> notes() const
    {
        return ledger.rows(QStringLiteral("SELECT a_date, a_note FROM data_note ORDER BY a_date"));
    }
};
