// The kinds, day notes and directions of an old ledger.
#include "import/ImportReading.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>

using namespace importreading;

namespace importparts {

namespace {

constexpr double largestWhole = 9007199254740992.0; // 2^53: every whole number up to it is exact

bool whole(const std::optional<double> &order)
{
    return order && std::isfinite(*order) && std::trunc(*order) == *order && std::fabs(*order) <= largestWhole;
}

QString orderText(const std::optional<double> &order)
{
    return order ? QString::number(*order, 'g', 17) : QStringLiteral("空白");
}

} // namespace

void planKinds(const JetDatabase &db, const JetTableDef &table, ImportPlan &plan, QMap<QString, qint64> &nulls,
    const std::function<void()> &onRow)
{
    const int idColumn = requiredColumn(table, QStringLiteral("a_kind"), integerTypes());
    const int nameColumn = requiredColumn(table, QStringLiteral("name"), textTypes());
    const int orderColumn = requiredColumn(table, QStringLiteral("key_order"), numberTypes());
    if (otherOrder(table, { QStringLiteral("a_kind"), QStringLiteral("name"), QStringLiteral("key_order") }))
        plan.notices << QStringLiteral("kind 表的欄位順序和 Quillory 的不同，依欄位名稱轉入。");
    noteFixedText(table, { nameColumn }, plan.notices);
    const QList<JetRow> rows = db.readRows(table, onRow);
    plan.counts.append({ QStringLiteral("kind"), true, table.storedRows, rows.size() });

    QHash<qint64, qsizetype> rowOfId;
    QVector<std::optional<double>> orders;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const JetRow &row = rows.at(r);
        if (row.at(idColumn).kind != JetValue::Kind::Integer)
            throw ImportError(
                QStringLiteral("%1沒有分類編號（a_kind），無法轉入。").arg(rowName(QStringLiteral("kind"), r)));
        const qint64 id = row.at(idColumn).integer;
        if (rowOfId.contains(id))
            throw ImportError(
                QStringLiteral("kind 第 %1 列和第 %2 列的分類編號都是 %3，無法轉入；請在 Access 裡改正再試。")
                    .arg(rowOfId.value(id) + 1)
                    .arg(r + 1)
                    .arg(id));
        rowOfId.insert(id, r);
        KindStore::Kind kind;
        kind.id = id;
        kind.name = textOf(row.at(nameColumn), QStringLiteral("kind.name"), nulls);
        plan.contents.kinds.append(kind);
        orders.append(numberOf(row.at(orderColumn)));
        if (!orders.last())
            ++nulls[QStringLiteral("kind.key_order")];
    }

    QVector<KindStore::Kind> &kinds = plan.contents.kinds;
    if (std::all_of(orders.cbegin(), orders.cend(), whole)) {
        for (qsizetype i = 0; i < kinds.size(); ++i)
            kinds[i].order = static_cast<qint64>(*orders.at(i));
        QVector<qint64> sorted;
        for (const KindStore::Kind &kind : kinds)
            sorted << kind.order;
        std::sort(sorted.begin(), sorted.end());
        bool gaps = false;
        for (qsizetype i = 0; i < sorted.size(); ++i)
            gaps = gaps || sorted.at(i) != i + 1;
        if (gaps)
            plan.notices << QStringLiteral(
                "kind 的 key_order 有空號或重複（不是 1 到 %1），照原值轉入，分類的順序不變。")
                                .arg(kinds.size());
        return;
    }
    // The order is what counts: number them 1..N in it, blanks last, equal values by id.
    QVector<qsizetype> byOrder(kinds.size());
    for (qsizetype i = 0; i < byOrder.size(); ++i)
        byOrder[i] = i;
    std::stable_sort(byOrder.begin(), byOrder.end(), [&](qsizetype a, qsizetype b) {
        const std::optional<double> &x = orders.at(a);
        const std::optional<double> &y = orders.at(b);
        if (x.has_value() != y.has_value())
            return x.has_value();
        if (x && *x != *y)
            return *x < *y;
        return kinds.at(a).id < kinds.at(b).id;
    });
    QStringList changes;
    for (qsizetype n = 0; n < byOrder.size(); ++n) {
        KindStore::Kind &kind = kinds[byOrder.at(n)];
        kind.order = n + 1;
        if (!whole(orders.at(byOrder.at(n))) || *orders.at(byOrder.at(n)) != double(n + 1))
            changes << QStringLiteral("「%1」%2→%3").arg(kind.name, orderText(orders.at(byOrder.at(n)))).arg(n + 1);
    }
    plan.notices << QStringLiteral("kind 的 key_order 有不是整數或空白的值，依原來的順序重新編成 1 到 %1：%2。")
                        .arg(kinds.size())
                        .arg(shortList(changes));
}

void placeOrphans(ImportPlan &plan)
{
    QSet<qint64> ids;
    qint64 maxId = 0;
    qint64 maxOrder = 0;
    for (const KindStore::Kind &kind : plan.contents.kinds) {
        ids.insert(kind.id);
        maxId = std::max(maxId, kind.id);
        maxOrder = std::max(maxOrder, kind.order);
    }
    QMap<qint64, qint64> missing; // old id -> entries
    for (const EntryStore::Entry &e : plan.contents.entries)
        if (!ids.contains(e.kind))
            ++missing[e.kind];
    if (missing.isEmpty())
        return;
    qint64 home = 0;
    bool existing = false;
    for (const KindStore::Kind &kind : plan.contents.kinds)
        if (kind.name == orphanKindName()) {
            home = kind.id;
            existing = true;
            break;
        }
    if (!existing) {
        home = maxId + 1;
        plan.contents.kinds.append({ home, orphanKindName(), maxOrder + 1 });
        plan.addedKinds = 1;
    }
    qint64 moved = 0;
    for (EntryStore::Entry &e : plan.contents.entries)
        if (!ids.contains(e.kind)) {
            e.kind = home;
            ++moved;
        }
    QStringList gone;
    for (auto it = missing.cbegin(); it != missing.cend(); ++it)
        gone << QStringLiteral("%1（%2 筆）")
                    .arg(it.key() == noKind() ? QStringLiteral("空白") : QString::number(it.key()))
                    .arg(it.value());
    plan.notices << QStringLiteral("%1 筆帳目的分類在 kind 表裡已經沒有了（分類編號 %2），改歸%3分類「%4」（編號 %5）；"
                                   "帳目上原來的分類名稱照舊保留。")
                        .arg(moved)
                        .arg(shortList(gone))
                        .arg(existing ? QStringLiteral("原有的") : QStringLiteral("新增的"), orphanKindName())
                        .arg(home);
}

void planNotes(const JetDatabase &db, const JetTableDef &table, ImportPlan &plan, QMap<QString, qint64> &nulls,
    qint64 *timesDropped, const std::function<void()> &onRow)
{
    const int dateColumn = requiredColumn(table, QStringLiteral("a_date"), dateTypes());
    const int noteColumn = requiredColumn(table, QStringLiteral("a_note"), textTypes());
    noteFixedText(table, { noteColumn }, plan.notices);
    const QList<JetRow> rows = db.readRows(table, onRow);
    plan.counts.append({ QStringLiteral("data_note"), true, table.storedRows, rows.size() });
    QHash<QDate, qsizetype> rowOfDay;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        bool hadTime = false;
        const QDate day = dayOf(rows.at(r).at(dateColumn), rowName(QStringLiteral("data_note"), r), &hadTime);
        if (hadTime)
            ++*timesDropped;
        if (rowOfDay.contains(day))
            throw ImportError(QStringLiteral("data_note 第 %1 列和第 %2 列都是 %3 的日記，一天只能有一則，無法轉入；"
                                             "請在 Access 裡合併成一則再試。")
                                  .arg(rowOfDay.value(day) + 1)
                                  .arg(r + 1)
                                  .arg(day.toString(Qt::ISODate)));
        rowOfDay.insert(day, r);
        plan.contents.notes.append(
            { day, textOf(rows.at(r).at(noteColumn), QStringLiteral("data_note.a_note"), nulls) });
    }
}

void planDirections(
    const JetDatabase &db, const JetTableDef &table, ImportPlan &plan, const std::function<void()> &onRow)
{
    const QList<JetRow> rows = db.readRows(table, onRow);
    plan.counts.append({ QStringLiteral("inout"), true, table.storedRows, rows.size() });
    const int number = table.columnIndex(QStringLiteral("inout"));
    const int text = table.columnIndex(QStringLiteral("text"));
    QStringList found;
    for (const JetRow &row : rows) {
        const std::optional<double> n = number >= 0 ? numberOf(row.at(number)) : std::nullopt;
        const QString t = text >= 0 && row.at(text).kind == JetValue::Kind::Text ? row.at(text).text : QString();
        found << QStringLiteral("%1 %2").arg(n ? QString::number(*n, 'g', 17) : QStringLiteral("空白"), t);
    }
    std::sort(found.begin(), found.end());
    if (found != QStringList { QStringLiteral("0 支出"), QStringLiteral("1 收入") })
        plan.notices << QStringLiteral("舊檔 inout 表的內容是「%1」，新帳本照 Quillory 的固定內容：0 支出、1 收入。")
                            .arg(found.join(QStringLiteral("；")));
}

} // namespace importparts
