#pragma once

#include <QString>
#include <QVector>

// The kinds (categories) of the ledger.
namespace KindStore {

struct Kind
{
    qint64 id = 0;     // a_kind
    QString name;      // name
    qint64 order = 0;  // key_order
};

// Every kind by ascending key_order: the order the kind lists show.
QVector<Kind> kindsByOrder();
// Every kind by ascending id.
QVector<Kind> kindsById();
// Every kind in the order the table gives them.
QVector<Kind> allKinds();

} // namespace KindStore
