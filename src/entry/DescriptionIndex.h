#pragma once

#include "store/DescriptionStore.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The descriptions of the ledger with how often each is used, held in memory so that the
// suggestions for every key press come without a query. Descriptions that differ only in
// outer blanks count as one.
class DescriptionIndex
{
public:
    void load(const QVector<DescriptionStore::Use> &uses);
    void add(const QString &description);
    void remove(const QString &description);

    // Up to limit descriptions that start with the typed text, then ones that contain it,
    // each group most used first. Letters match in either case. Nothing for a blank text.
    QStringList matches(const QString &typed, int limit) const;

    qsizetype size() const { return m_counts.size(); }

private:
    QHash<QString, qint64> m_counts;
};
