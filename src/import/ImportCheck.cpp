#include "import/ImportCheck.h"

#include "platform/DateText.h"

#include <QHash>

#include <bit>
#include <cstdint>
#include <set>

namespace {

constexpr int shownDifferences = 20;

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

QString entryDifference(const EntryStore::Entry &want, const EntryStore::Entry &got)
{
    QStringList columns;
    if (want.date != got.date)
        columns << QStringLiteral("a_date %1≠%2").arg(DateText::iso(want.date), DateText::iso(got.date));
    if (want.kind != got.kind)
        columns << QStringLiteral("a_kind %1≠%2").arg(want.kind).arg(got.kind);
    if (want.inout != got.inout)
        columns << QStringLiteral("a_inout %1≠%2").arg(want.inout).arg(got.inout);
    if (want.content != got.content)
        columns << QStringLiteral("a_content");
    if (!sameBits(want.count, got.count))
        columns << QStringLiteral("a_count %1≠%2").arg(want.count, 0, 'g', 17).arg(got.count, 0, 'g', 17);
    if (want.note != got.note)
        columns << QStringLiteral("a_note");
    if (want.kindName != got.kindName)
        columns << QStringLiteral("a_kind_name");
    return columns.join(QStringLiteral("、"));
}

QString sumKey(int year, int inout)
{
    return QStringLiteral("%1 年%2").arg(year).arg(inout == 0 ? QStringLiteral("支出") : QStringLiteral("收入"));
}

std::pair<QDate, QDate> dateRange(const QVector<EntryStore::Entry> &entries)
{
    QDate first;
    QDate last;
    for (const EntryStore::Entry &e : entries) {
        if (!first.isValid() || e.date < first)
            first = e.date;
        if (!last.isValid() || e.date > last)
            last = e.date;
    }
    return { first, last };
}

const TableCount *countOf(const ImportPlan &plan, const QString &table)
{
    for (const TableCount &count : plan.counts)
        if (count.table == table)
            return &count;
    return nullptr;
}

} // namespace

QStringList differencesOf(const ImportPlan &plan, const WrittenLedger &written)
{
    QStringList out;
    const ImportStore::Contents &want = plan.contents;
    const ImportStore::Contents &got = written.contents;
    for (const TableCount &count : plan.counts)
        if (count.read != count.stored)
            out << QStringLiteral("%1 讀到 %2 筆，檔案記錄 %3 筆").arg(count.table).arg(count.read).arg(count.stored);
    const TableCount *entries = countOf(plan, QStringLiteral("data_main"));
    if (!entries || entries->read != want.entries.size() || got.entries.size() != want.entries.size())
        out << QStringLiteral("data_main 讀 %1 筆，寫 %2 筆").arg(entries ? entries->read : 0).arg(got.entries.size());
    const TableCount *kinds = countOf(plan, QStringLiteral("kind"));
    if (!kinds || kinds->read + plan.addedKinds != got.kinds.size())
        out << QStringLiteral("kind 讀 %1 筆，加 %2 筆，寫 %3 筆")
                   .arg(kinds ? kinds->read : 0)
                   .arg(plan.addedKinds)
                   .arg(got.kinds.size());
    const TableCount *notes = countOf(plan, QStringLiteral("data_note"));
    if (!notes || notes->read != got.notes.size())
        out << QStringLiteral("data_note 讀 %1 筆，寫 %2 筆").arg(notes ? notes->read : 0).arg(got.notes.size());

    // Row by row, each entry found by its key.
    QHash<qint64, qsizetype> byKey;
    for (qsizetype i = 0; i < got.entries.size(); ++i)
        byKey.insert(got.entries.at(i).key, i);
    QStringList rows;
    for (const EntryStore::Entry &e : want.entries) {
        const auto at = byKey.constFind(e.key);
        const QString diff
            = at == byKey.cend() ? QStringLiteral("不在新帳本裡") : entryDifference(e, got.entries.at(*at));
        if (!diff.isEmpty())
            rows << QStringLiteral("帳目 a_key %1：%2").arg(e.key).arg(diff);
    }
    QHash<qint64, KindStore::Kind> kindById;
    for (const KindStore::Kind &k : got.kinds)
        kindById.insert(k.id, k);
    for (const KindStore::Kind &k : want.kinds) {
        const auto at = kindById.constFind(k.id);
        if (at == kindById.cend() || at->name != k.name || at->order != k.order)
            rows << QStringLiteral("分類 %1「%2」寫得不對").arg(k.id).arg(k.name);
    }
    QHash<QDate, QString> noteByDay;
    for (const ImportStore::DayNote &n : got.notes)
        noteByDay.insert(n.date, n.note);
    for (const ImportStore::DayNote &n : want.notes)
        if (!noteByDay.contains(n.date) || noteByDay.value(n.date) != n.note)
            rows << QStringLiteral("%1 的日記寫得不對").arg(DateText::iso(n.date));
    QStringList directions;
    for (const ImportStore::Direction &d : got.directions)
        directions << QStringLiteral("%1 %2").arg(d.inout).arg(d.text);
    if (directions != QStringList { QStringLiteral("0 支出"), QStringLiteral("1 收入") })
        rows << QStringLiteral("inout 是「%1」").arg(directions.join(QStringLiteral("；")));
    out << rows.mid(0, shownDifferences);
    if (rows.size() > shownDifferences)
        out << QStringLiteral("還有 %1 處不符").arg(rows.size() - shownDifferences);

    // The sums the engine adds up in the new ledger against those of the old file's values.
    QMap<std::pair<int, int>, std::pair<Decimal, qint64>> newSums;
    for (const ImportStore::YearSum &s : written.sums)
        newSums.insert({ s.year, s.inout }, { s.sum, s.entries });
    std::set<std::pair<int, int>> slots;
    for (auto it = plan.oldSums.cbegin(); it != plan.oldSums.cend(); ++it)
        slots.insert(it.key());
    for (auto it = newSums.cbegin(); it != newSums.cend(); ++it)
        slots.insert(it.key());
    for (const auto &slot : slots) {
        const Decimal old = plan.oldSums.value(slot);
        const auto now = newSums.value(slot, { Decimal(), 0 });
        if (old != now.first || plan.oldEntries.value(slot) != now.second)
            out << QStringLiteral("%1：舊檔 %2 筆 %3，新帳本 %4 筆 %5")
                       .arg(sumKey(slot.first, slot.second))
                       .arg(plan.oldEntries.value(slot))
                       .arg(old.text())
                       .arg(now.second)
                       .arg(now.first.text());
    }

    const auto [first, last] = dateRange(got.entries);
    if (first != plan.firstDate || last != plan.lastDate)
        out << QStringLiteral("日期範圍：舊檔 %1 到 %2，新帳本 %3 到 %4")
                   .arg(DateText::iso(plan.firstDate), DateText::iso(plan.lastDate), DateText::iso(first),
                       DateText::iso(last));
    if (written.integrity != QLatin1String("ok"))
        out << QStringLiteral("資料庫檢查：%1").arg(written.integrity);
    return out;
}

QString importReport(const ImportPlan &plan, const WrittenLedger &written, const QStringList &differences,
    const QString &oldFile, const QString &keptCopy)
{
    QStringList lines;
    lines << (differences.isEmpty() ? QStringLiteral("轉入核對：全部相符")
                                    : QStringLiteral("轉入核對：有 %1 處不符，沒有轉入").arg(differences.size()));
    lines << QStringLiteral("舊檔：%1%2")
                 .arg(oldFile, keptCopy.isEmpty() ? QString() : QStringLiteral("（原封不動保留為 %1）").arg(keptCopy));
    for (const TableCount &count : plan.counts) {
        if (!count.present) {
            lines << QStringLiteral("%1：舊檔沒有這個表").arg(count.table);
            continue;
        }
        qint64 wrote = 0;
        if (count.table == QLatin1String("data_main"))
            wrote = written.contents.entries.size();
        else if (count.table == QLatin1String("kind"))
            wrote = written.contents.kinds.size();
        else if (count.table == QLatin1String("data_note"))
            wrote = written.contents.notes.size();
        else
            wrote = written.contents.directions.size();
        QString line = QStringLiteral("%1：讀 %2 筆（檔案記錄 %3 筆），寫 %4 筆")
                           .arg(count.table)
                           .arg(count.read)
                           .arg(count.stored)
                           .arg(wrote);
        if (count.table == QLatin1String("kind") && plan.addedKinds > 0)
            line += QStringLiteral("（含新增的「%1」）").arg(orphanKindName());
        lines << line;
    }
    const auto [first, last] = dateRange(written.contents.entries);
    lines << QStringLiteral("日期：舊檔 %1 到 %2，新帳本 %3 到 %4")
                 .arg(DateText::iso(plan.firstDate), DateText::iso(plan.lastDate), DateText::iso(first),
                     DateText::iso(last));
    lines << QStringLiteral("資料庫檢查（PRAGMA integrity_check）：%1").arg(written.integrity);
    lines << QString();
    if (!differences.isEmpty()) {
        lines << QStringLiteral("不符之處：");
        for (const QString &d : differences)
            lines << QStringLiteral("- %1").arg(d);
        lines << QString();
    }
    lines << QStringLiteral("每年的金額（舊檔 ／ 新帳本，一分不差地加總）：");
    QMap<std::pair<int, int>, std::pair<Decimal, qint64>> newSums;
    for (const ImportStore::YearSum &s : written.sums)
        newSums.insert({ s.year, s.inout }, { s.sum, s.entries });
    for (auto it = plan.oldSums.cbegin(); it != plan.oldSums.cend(); ++it) {
        const auto now = newSums.value(it.key(), { Decimal(), 0 });
        lines << QStringLiteral("%1 %2 筆：%3 ／ %4")
                     .arg(sumKey(it.key().first, it.key().second))
                     .arg(plan.oldEntries.value(it.key()))
                     .arg(it.value().text(), now.first.text());
    }
    lines << QString();
    lines << QStringLiteral("轉入時的處理：");
    if (plan.notices.isEmpty())
        lines << QStringLiteral("- 沒有需要特別處理的資料，每一筆都照原樣轉入。");
    for (const QString &notice : plan.notices)
        lines << QStringLiteral("- %1").arg(notice);
    lines << QStringLiteral("- 已刪除但還留在檔案頁上的資料不轉入；每個表讀到的筆數都要等於檔案記錄的筆數。");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
