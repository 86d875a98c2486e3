#pragma once

#include <QString>
#include <QVector>

// The descriptions (a_content) already written in the ledger, for offering them again.
namespace DescriptionStore {

struct Use
{
    QString text; // a_content as stored
    qint64 count = 0; // how many entries carry it
};

// Every distinct description with the number of entries that carry it, most used first.
// One grouped query, so a window can read them all once and look them up in memory.
QVector<Use> descriptionUses();

} // namespace DescriptionStore
