#pragma once

#include <QString>
#include <QVector>

#include <optional>

// The kinds (categories) of the ledger.
namespace KindStore {

struct Kind
{
    qint64 id = 0; // a_kind
    QString name; // name
    qint64 order = 0; // key_order
};

// Every kind by ascending key_order: the order the kind lists show.
QVector<Kind> kindsByOrder();
// Every kind by ascending id.
QVector<Kind> kindsById();
// Every kind in the order the table gives them.
QVector<Kind> allKinds();

// One kind by its id; nothing when there is no such kind.
std::optional<Kind> kindById(qint64 id);
// The kinds whose ids are listed, by ascending key_order. Ids without a kind (0 among them)
// are passed over; an id listed twice gives its kind once.
QVector<Kind> kindsInList(const QVector<qint64> &ids);

// True when a kind other than exceptId bears exactly this name.
bool nameTaken(const QString &name, qint64 exceptId = 0);
// The key_order a new kind takes so that it is shown last: the highest plus 1, or 1 when
// there is no kind yet.
qint64 nextKeyOrder();
// Adds a kind and returns the id the database gave it.
qint64 addKind(const QString &name, qint64 keyOrder);
// Changes a kind's name. Entries keep the name they were written with.
void renameKind(qint64 id, const QString &name);
// Exchanges the key_order of two kinds, both or neither. Throws StoreError when either
// kind no longer exists.
void swapKeyOrder(qint64 firstId, qint64 secondId);

// How many entries carry this kind.
qint64 entryCountOfKind(qint64 id);

// Deletes a kind as one change: its entries move to reassignTo (when given) and its row goes;
// then, when summaryKinds is given, SKinds.txt is rewritten naming those ids in that order and
// SKinds loaded again. A failure before the commit (SKinds.txt read-only included) changes nothing; a failed
// save of SKinds.txt after it is reported as StoreError with the kind deleted.
void deleteKind(qint64 id, std::optional<qint64> reassignTo, const std::optional<QVector<qint64>> &summaryKinds);

// Takes out of SKinds.txt and SKinds the ids whose kind no longer exists (left by a deletion
// cut short after its commit). Ids of existing kinds are never touched; nothing is written
// when nothing is gone.
void dropGoneSummaryKinds();

} // namespace KindStore
