#pragma once

#include "import/ImportPlan.h"
#include "store/ImportStore.h"

#include <QString>
#include <QStringList>
#include <QVector>

// What the new ledger holds, read back from it after writing.
struct WrittenLedger
{
    ImportStore::Contents contents;
    QVector<ImportStore::YearSum> sums;
    QString integrity;
};

// Every difference between what the plan meant to write and what the new ledger holds: row
// counts, each row value for value (amounts bit for bit), the exact sums per year and
// direction against the old file's, the first and last date, and the engine's check.
// Empty when everything agrees.
QStringList differencesOf(const ImportPlan &plan, const WrittenLedger &written);

// The text of import-report.txt: a summary first (counts, dates, the engine's check, the
// outcome), then after a blank line the sums per year and what was brought over how.
QString importReport(const ImportPlan &plan, const WrittenLedger &written, const QStringList &differences,
    const QString &oldFile, const QString &keptCopy);
