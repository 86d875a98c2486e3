#pragma once

#include "platform/EInvoice.h"
#include "store/InvoiceStore.h"

#include <QString>
#include <QVector>

#include <optional>

// What an import of e-invoice files would do, one row per invoice, before anything is written:
// the entry each would become (its kind, direction and description proposed from what was chosen
// for the store before) and its state. An invoice in several of the files is one row.
namespace InvoicePreview {

enum class State {
    New, // 新增
    Imported, // 已匯入: already in the ledger, not brought in again
    Voided, // 作廢: not imported
    VoidedAfterImport, // 已匯入後作廢: its entry is offered for deletion
    TotalDiffers, // 金額不符: its items do not add up to its total; imported at the total
};

QString stateText(State state);

struct Row
{
    EInvoice::Invoice invoice;
    QString store; // the company's short name
    State state = State::New;
    bool ticked = false;
    qint64 kind = 0;
    int inout = 0;
    QString content;
    QString note; // the invoice number and its items
    qint64 key = 0; // the entry already made, for Imported and VoidedAfterImport
};

QVector<Row> rows(const QVector<EInvoice::File> &files);

// What a finished import says: 「新增 N 筆，已存在 M 筆未重複匯入，作廢 V 張略過，共 X 元」.
QString summary(const QVector<Row> &rows, int added);

// Brings the ticked rows in (new invoices as entries, voided ones' entries taken out) as one
// change; gives what it did, for taking it back.
InvoiceStore::Outcome bringIn(const QVector<Row> &rows);

} // namespace InvoicePreview
