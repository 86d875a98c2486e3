#pragma once

#include "store/EntryStore.h"

#include <QDate>
#include <QPoint>
#include <QtGlobal>

#include <functional>

class QWidget;

namespace ui {

// The windows one window opens from another. Whoever builds a window hands it these, so that
// no window builds another itself; each returns once the window it opened has closed. A
// window given none leaves the command that would open it doing nothing.
struct Openers
{
    // The kind manager over parent, its top left corner at topLeft (screen coordinates).
    std::function<void(QWidget *parent, const QPoint &topLeft)> kindManager;
    // The daily-entry window over parent, showing day with the entry of entryKey current
    // (0 shows only the day).
    std::function<void(QWidget *parent, const QDate &day, qint64 entryKey)> dailyEntry;
    // A new recurring item over parent, filled from an entry: the same each month from the
    // month after the entry's, which is already in the ledger.
    std::function<void(QWidget *parent, const EntryStore::Entry &entry)> recurringFromEntry;
    // 匯入電子發票 over parent: the files asked for, their invoices previewed and brought in.
    std::function<void(QWidget *parent)> invoiceImport;
    // 匯入銀行或信用卡明細 over parent: a statement file asked for, previewed and brought in.
    std::function<void(QWidget *parent)> statementImport;
};

} // namespace ui
