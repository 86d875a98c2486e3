#include "reports/check.h"

#include "store/EntryStore.h"
#include "ui/BusyWork.h"
#include "ui/DGrid.h"
#include "ui/MessageBox.h"

void check::openDayOfRow(int row)
{
    if (!m_openers.dailyEntry || m_work->running() || !m_shownRange || row < DGrid->fixedRows() || row >= DGrid->rows())
        return;
    const qint64 rowKey = DGrid->rowKey(row);
    if (rowKey == 0)
        return;
    const RangeRequest request = *m_shownRange;
    QDate day;
    qint64 entryKey = 0;
    if (request.mode == ReportStore::RangeMode::Detailed) {
        // The entry as it stands now: it may have been changed since the query ran.
        const std::optional<EntryStore::Entry> entry = EntryStore::entryByKey(rowKey);
        if (!entry) {
            ui::showMessage(this, QStringLiteral("這筆帳目已經不在帳本裡了。"));
            showRange(request);
            return;
        }
        day = entry->date;
        entryKey = rowKey;
    } else {
        day = QDate::fromJulianDay(rowKey);
    }

    m_openers.dailyEntry(this, day, entryKey);

    // The result shows what the daily-entry window changed, at the same place when the row
    // is still there.
    showRange(request);
    for (int r = DGrid->fixedRows(); r < DGrid->rows(); ++r) {
        if (DGrid->rowKey(r) == rowKey) {
            DGrid->setRow(r);
            break;
        }
    }
}
