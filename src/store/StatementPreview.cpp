#include "store/StatementPreview.h"

#include "platform/Numbers.h"
#include "store/KindStore.h"

namespace StatementPreview {

namespace {

QString identity(const Statement::Transaction &t)
{
    return QStringLiteral("明細 ") + t.fingerprint;
}

} // namespace

QString stateText(State state)
{
    switch (state) {
    case State::New:
        return QStringLiteral("新增");
    case State::Imported:
        return QStringLiteral("已匯入");
    case State::LooksImported:
        return QStringLiteral("可能重複");
    }
    return {};
}

QVector<Row> rows(const QVector<Statement::Transaction> &transactions, qint64 expenseKind, qint64 incomeKind)
{
    QStringList ids;
    for (const Statement::Transaction &t : transactions)
        ids << identity(t);
    const QHash<QString, InvoiceStore::Known> known = InvoiceStore::known(ids);
    QVector<Row> out;
    for (const Statement::Transaction &t : transactions) {
        Row row { t, State::New, true, t.inout == 1 ? incomeKind : expenseKind };
        if (known.contains(identity(t)))
            row.state = State::Imported;
        else if (InvoiceStore::similarEntry(t.date, t.inout, t.amount.toDouble(), t.description))
            row.state = State::LooksImported;
        row.ticked = row.state == State::New;
        out.append(row);
    }
    return out;
}

InvoiceStore::Outcome bringIn(const QVector<Row> &rows, const QString &source)
{
    QVector<InvoiceStore::Incoming> incoming;
    for (const Row &row : rows) {
        if (!row.ticked)
            continue;
        const Statement::Transaction &t = row.transaction;
        const std::optional<KindStore::Kind> kind = KindStore::kindById(row.kind);
        QString note = source;
        if (t.balance)
            note += QStringLiteral("，餘額 %1").arg(Numbers::groupThousands(t.balance->text()));
        incoming.append({ identity(t), QString(),
            { t.date, row.kind, t.inout, t.description, t.amount.toDouble(), note, 0,
                kind ? kind->name : QString() } });
    }
    return InvoiceStore::bringIn(incoming, {});
}

QString summary(const QVector<Row> &rows, int added)
{
    int already = 0;
    Decimal expense, income;
    for (const Row &row : rows) {
        if (!row.ticked) {
            ++already;
            continue;
        }
        (row.transaction.inout == 1 ? income : expense) += row.transaction.amount;
    }
    return QStringLiteral("新增 %1 筆，%2 筆未勾選（已匯入或可能重複）沒有匯入，支出 %3 元，存入 %4 元")
        .arg(added)
        .arg(already)
        .arg(Numbers::groupThousands(expense.text()), Numbers::groupThousands(income.text()));
}

} // namespace StatementPreview
