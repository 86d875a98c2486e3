#pragma once

#include "platform/Statement.h"
#include "store/InvoiceStore.h"

#include <QVector>

// What an import of a statement would do, one row per transaction, before anything is written.
namespace StatementPreview {

enum class State {
    New, // 新增
    Imported, // 已匯入: this very row came in before
    LooksImported, // 可能重複: an entry of that day, direction, amount and description exists
};

QString stateText(State state);

struct Row
{
    Statement::Transaction transaction;
    State state = State::New;
    bool ticked = true;
    qint64 kind = 0;
};

// Rows already in the ledger, or that look so, come unticked; never left out.
QVector<Row> rows(const QVector<Statement::Transaction> &transactions, qint64 expenseKind, qint64 incomeKind);

// Brings the ticked rows in as one change.
InvoiceStore::Outcome bringIn(const QVector<Row> &rows, const QString &source);

QString summary(const QVector<Row> &rows, int added);

} // namespace StatementPreview
