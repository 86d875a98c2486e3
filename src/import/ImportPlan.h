#pragma once

#include "platform/Decimal.h"
#include "store/ImportStore.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <stdexcept>
#include <utility>

class JetDatabase;

// The import stops: the old file cannot be brought over as it stands. Carries the message
// for the person, naming the table, the row and what is wrong with it.
class ImportError : public std::runtime_error
{
public:
    explicit ImportError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Rows of one old table: how many the file says it holds and how many were read.
struct TableCount
{
    QString table;
    bool present = true;
    qint64 stored = 0;
    qint64 read = 0;
};

// What the new ledger will hold, and what the old file held, worked out from the old file's
// rows before anything is written.
struct ImportPlan
{
    ImportStore::Contents contents;
    QVector<TableCount> counts; // data_main, kind, data_note, inout
    // Kinds the import adds (the kind that receives entries of kinds no longer there).
    qint64 addedKinds = 0;
    // The old file's exact sums per (year, direction), from the values as stored there.
    QMap<std::pair<int, int>, Decimal> oldSums;
    QMap<std::pair<int, int>, qint64> oldEntries;
    QDate firstDate;
    QDate lastDate;
    // One line for each thing brought over in a way of its own: what and how.
    QStringList notices;
};

// Reads the four tables of an old ledger and works out the new one. progress is called with
// rows read so far and the rows of all the tables. Throws ImportError (or JetError from the
// reading) for anything that cannot be brought over exactly.
ImportPlan planImport(const JetDatabase &db, const std::function<void(qint64, qint64)> &progress = {});

// The name of the kind that receives entries whose kind is no longer in the kind table.
QString orphanKindName();
