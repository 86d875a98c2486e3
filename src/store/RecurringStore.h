#pragma once

#include "platform/Recurrence.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <optional>

// Recurring items (固定收支): an entry that comes back on a schedule, and which of its
// occurrences have been dealt with. An occurrence is an item and a due date; the ledger keeps
// each one dealt with (entered, with the key of the entry it became, or skipped) once, so
// whatever the clock says, a backup put back or a start cut short, none is entered twice and
// none is lost. The two tables are made the first time an item is saved.
namespace RecurringStore {

struct Item
{
    qint64 id = 0; // 0: not saved yet
    int inout = 0;
    qint64 kind = 0;
    QString content;
    std::optional<double> amount; // nothing: 金額每次不同, asked at each occurrence
    QString note;
    Recurrence when;
    bool automatic = false; // 自動記入 (ticked in the due list) or 提醒我
};

QVector<Item> items();
std::optional<Item> item(qint64 id);

// Saves a new item (id 0; gives its id) or changes one. A changed schedule applies from the
// day after the latest occurrence already dealt with, so none of those is offered again.
qint64 saveItem(Item item);

// Files every item of one kind under another (inside the kind deletion's transaction).
void moveKind(qint64 from, qint64 to);

// Removes the item and what it remembers; the entries it made stay.
void deleteItem(qint64 id);

struct Occurrence
{
    qint64 item = 0;
    QDate date;
};

// The item's oldest occurrence not dealt with, past or to come; an invalid date when the item
// has ended and every occurrence was dealt with.
QDate firstOpen(const Item &item);

// Every occurrence due up to and including the day and not dealt with, oldest first (and by
// item within a day).
QVector<Occurrence> due(const QDate &today);

// What to do with one occurrence: enter it with this amount, or skip it (no amount).
struct Posting
{
    Occurrence occurrence;
    std::optional<double> amount;
};

struct Posted
{
    QVector<qint64> keys; // the entries made, in the order of the postings
    int skipped = 0;
    int alreadyDone = 0; // dealt with meanwhile (another window): left as they were
};

// Enters and skips the occurrences in one transaction: each entry together with the record
// that its occurrence is done. Throws StoreError, with nothing written.
Posted post(const QVector<Posting> &postings);

// Takes back a posting whole, in one transaction: the entries it made go and their
// occurrences are due again.
void takeBack(const QVector<qint64> &keys);

} // namespace RecurringStore
