#include "store/InvoicePreview.h"

#include "platform/Numbers.h"
#include "store/InvoiceStore.h"
#include "store/KindStore.h"

#include <QHash>

namespace InvoicePreview {

namespace {

QString noteOf(const EInvoice::Invoice &invoice)
{
    QStringList items;
    for (const EInvoice::Item &item : invoice.items)
        items << QString(item.name).replace(QLatin1Char('\n'), QLatin1Char(' ')) + QLatin1Char(' ')
                + item.amount.text();
    QString note = QStringLiteral("發票 %1").arg(invoice.number);
    if (!items.isEmpty())
        note += QStringLiteral("：") + items.join(QStringLiteral("、"));
    if (invoice.totalDiffers())
        note += QStringLiteral("（品項合計 %1 元，與發票金額 %2 元不符）")
                    .arg(invoice.itemsSum().text(), invoice.amount().text());
    return note;
}

} // namespace

QString stateText(State state)
{
    switch (state) {
    case State::New:
        return QStringLiteral("新增");
    case State::Imported:
        return QStringLiteral("已匯入");
    case State::Voided:
        return QStringLiteral("作廢");
    case State::VoidedAfterImport:
        return QStringLiteral("已匯入後作廢");
    case State::TotalDiffers:
        return QStringLiteral("金額不符");
    }
    return {};
}

QVector<Row> rows(const QVector<EInvoice::File> &files)
{
    // One invoice however many files hold it: a total from a mailed file beats a download's
    // sum, and voiding seen anywhere wins.
    QVector<EInvoice::Invoice> invoices;
    QHash<QString, qsizetype> at;
    for (const EInvoice::File &file : files)
        for (const EInvoice::Invoice &invoice : file.invoices) {
            const QString id = invoice.identity();
            if (!at.contains(id)) {
                at.insert(id, invoices.size());
                invoices.append(invoice);
                continue;
            }
            EInvoice::Invoice &kept = invoices[at.value(id)];
            const bool voided = kept.voided || invoice.voided;
            if (!kept.total && invoice.total)
                kept = invoice;
            kept.voided = voided;
        }
    QStringList ids;
    for (const EInvoice::Invoice &invoice : invoices)
        ids << invoice.identity();
    const QHash<QString, InvoiceStore::Known> known = InvoiceStore::known(ids);
    const QVector<KindStore::Kind> kinds = KindStore::kindsByOrder();
    QHash<QString, InvoiceStore::Choice> proposed;
    QVector<Row> out;
    for (const EInvoice::Invoice &invoice : invoices) {
        Row row;
        row.invoice = invoice;
        row.store = EInvoice::shortName(invoice.seller);
        row.note = noteOf(invoice);
        // Every invoice of a store gets what was chosen for it, read once.
        if (!proposed.contains(row.store)) {
            InvoiceStore::Choice choice { kinds.isEmpty() ? 0 : kinds.first().id, 0, row.store };
            if (const std::optional<InvoiceStore::Choice> chosen = InvoiceStore::choiceFor(row.store))
                choice = *chosen;
            else if (const std::optional<EntryStore::Entry> earlier = EntryStore::latestWithDescription(row.store))
                choice = { earlier->kind, earlier->inout, row.store };
            proposed.insert(row.store, choice);
        }
        const InvoiceStore::Choice &choice = proposed[row.store];
        row.kind = choice.kind;
        row.inout = choice.inout;
        row.content = choice.content;
        const auto seen = known.constFind(invoice.identity());
        if (seen != known.constEnd()) {
            row.key = seen->key;
            row.state = invoice.voided && !seen->voided ? State::VoidedAfterImport : State::Imported;
        } else {
            row.state = invoice.voided ? State::Voided : invoice.totalDiffers() ? State::TotalDiffers : State::New;
        }
        row.ticked = row.state == State::New || row.state == State::TotalDiffers;
        out.append(row);
    }
    return out;
}

InvoiceStore::Outcome bringIn(const QVector<Row> &rows)
{
    QVector<InvoiceStore::Incoming> incoming;
    QVector<std::pair<QString, qint64>> voidings;
    for (const Row &row : rows) {
        if (!row.ticked)
            continue;
        if (row.state == State::New || row.state == State::TotalDiffers) {
            const std::optional<KindStore::Kind> kind = KindStore::kindById(row.kind);
            incoming.append({ row.invoice.identity(), row.store,
                { row.invoice.date, row.kind, row.inout, row.content, row.invoice.amount().toDouble(), row.note, 0,
                    kind ? kind->name : QString() } });
        } else if (row.state == State::VoidedAfterImport) {
            voidings.append({ row.invoice.identity(), row.key });
        }
    }
    return InvoiceStore::bringIn(incoming, voidings);
}

QString summary(const QVector<Row> &rows, int added)
{
    int already = 0;
    int voided = 0;
    Decimal total;
    for (const Row &row : rows) {
        if (row.state == State::Imported)
            ++already;
        if (row.state == State::Voided || (row.state == State::VoidedAfterImport && !row.ticked))
            ++voided;
        if (row.ticked && (row.state == State::New || row.state == State::TotalDiffers))
            total += row.invoice.amount();
    }
    return QStringLiteral("新增 %1 筆，已存在 %2 筆未重複匯入，作廢 %3 張略過，共 %4 元")
        .arg(added)
        .arg(already)
        .arg(voided)
        .arg(Numbers::groupThousands(total.text()));
}

} // namespace InvoicePreview
