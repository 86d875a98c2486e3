#pragma once

#include <QDate>
#include <QString>

// Fills a folder with a realistic ledger for trying the program on years of data: db1.mdb
// with entries spread over the years before an end date, a few dozen kinds, notes on some
// days, and SKinds.txt naming a few kinds. The same seed gives the same ledger.
namespace LedgerGenerator {

struct Settings
{
    qint64 entries = 100000;
    int years = 30;
    quint64 seed = 1;
    QDate lastDay = QDate(2026, 12, 31);
};

// Creates folder/db1.mdb (which must not exist yet) and folder/SKinds.txt. Throws StoreError.
void generate(const QString &folder, const Settings &settings);

} // namespace LedgerGenerator
