#include "import/ImportPlan.h"

#include "import/ImportReading.h"

#include <QHash>
#include <QSet>

#include <cmath>

using namespace importreading;

namespace {

const QStringList entryColumns
    = { QStringLiteral("a_date"), QStringLiteral("a_kind"), QStringLiteral("a_inout"), QStringLiteral("a_content"),
          QStringLiteral("a_count"), QStringLiteral("a_note"), QStringLiteral("a_key"), QStringLiteral("a_kind_name") };

// An amount as the new ledger stores it (a double) and the exact decimal the old file held.
// Refused when the double cannot carry that decimal exactly.
std::pair<double, Decimal> amountOf(const JetValue &value, const QString &where, QMap<QString, qint64> &nulls)
{
    switch (value.kind) {
    case JetValue::Kind::Double:
        if (value.type == JetType::Float && std::isfinite(value.number)) {
            const Decimal exact = *exactNumberOf(value);
            return { exact.toDouble(), exact };
        }
        if (!std::isfinite(value.number))
            throw ImportError(QStringLiteral("%1的金額不是數字（%2），無法轉入；請在 Access 裡改正這一筆再試。")
                                  .arg(where)
                                  .arg(value.number));
        // -0 and 0 are the same amount; the engine keeps only the latter.
        return { value.number == 0 ? 0.0 : value.number, Decimal::fromDouble(value.number) };
    case JetValue::Kind::Currency:
    case JetValue::Kind::Integer:
    case JetValue::Kind::Decimal: {
        const std::optional<Decimal> read = exactNumberOf(value);
        if (!read)
            throw ImportError(QStringLiteral("%1的金額 %2 不是數字，無法轉入。").arg(where, value.text));
        const Decimal exact = *read;
        const double stored = exact.toDouble();
        if (Decimal::fromDouble(stored) != exact)
            throw ImportError(QStringLiteral("%1的金額 %2 超過 15 位有效數字，新帳本無法一分不差地保存，無法轉入。")
                                  .arg(where, exact.text()));
        return { stored, exact };
    }
    default:
        ++nulls[QStringLiteral("data_main.a_count")];
        return { 0.0, Decimal() };
    }
}

class Planner
{
public:
    Planner(const JetDatabase &db, const std::function<void(qint64, qint64)> &progress)
        : m_db(db)
        , m_progress(progress)
    {
    }

    ImportPlan run();

private:
    void planEntries(const JetTableDef &table);
    void renumberKeys(const QVector<std::optional<qint64>> &keys);
    void noteNulls();
    void onRow()
    {
        ++m_read;
        if (m_progress)
            m_progress(m_read, m_total);
    }

    const JetDatabase &m_db;
    const std::function<void(qint64, qint64)> &m_progress;
    qint64 m_read = 0;
    qint64 m_total = 0;
    qint64 m_timesDropped = 0;
    qint64 m_noteTimesDropped = 0;
    QMap<QString, qint64> m_nulls;
    ImportPlan m_plan;
};

ImportPlan Planner::run()
{
    for (const char *required : { "data_main", "kind" })
        if (!m_db.hasTable(QString::fromLatin1(required)))
            throw ImportError(QStringLiteral("這個 Access 檔裡沒有表格 %1，不是舊的帳本，無法轉入。")
                                  .arg(QString::fromLatin1(required)));
    const JetTableDef entries = m_db.table(QStringLiteral("data_main"));
    const JetTableDef kinds = m_db.table(QStringLiteral("kind"));
    const bool hasNotes = m_db.hasTable(QStringLiteral("data_note"));
    const bool hasDirections = m_db.hasTable(QStringLiteral("inout"));
    const JetTableDef notes = hasNotes ? m_db.table(QStringLiteral("data_note")) : JetTableDef();
    const JetTableDef directions = hasDirections ? m_db.table(QStringLiteral("inout")) : JetTableDef();
    m_total = qint64(entries.storedRows) + kinds.storedRows + notes.storedRows + directions.storedRows;
    const std::function<void()> row = [this] { onRow(); };

    planEntries(entries);
    importparts::planKinds(m_db, kinds, m_plan, m_nulls, row);
    importparts::placeOrphans(m_plan);
    if (hasNotes) {
        importparts::planNotes(m_db, notes, m_plan, m_nulls, &m_noteTimesDropped, row);
    } else {
        m_plan.counts.append({ QStringLiteral("data_note"), false, 0, 0 });
        m_plan.notices << QStringLiteral("舊檔沒有 data_note 表，新帳本沒有日記。");
    }
    if (hasDirections) {
        importparts::planDirections(m_db, directions, m_plan, row);
    } else {
        m_plan.counts.append({ QStringLiteral("inout"), false, 0, 0 });
        m_plan.notices << QStringLiteral("舊檔沒有 inout 表，新帳本照 Quillory 的固定內容：0 支出、1 收入。");
    }
    m_plan.contents.directions = { { 0, QStringLiteral("支出") }, { 1, QStringLiteral("收入") } };
    if (m_timesDropped + m_noteTimesDropped > 0)
        m_plan.notices << QStringLiteral(
            "%1 筆帳目和 %2 則日記的日期帶有時刻，只轉入日期（時刻捨去，不進位到下一天）。")
                              .arg(m_timesDropped)
                              .arg(m_noteTimesDropped);
    noteNulls();
    return m_plan;
}

void Planner::planEntries(const JetTableDef &table)
{
    const int date = requiredColumn(table, QStringLiteral("a_date"), dateTypes());
    const int kind = requiredColumn(table, QStringLiteral("a_kind"), integerTypes());
    const int inout = requiredColumn(table, QStringLiteral("a_inout"), integerTypes());
    const int content = requiredColumn(table, QStringLiteral("a_content"), textTypes());
    const int count = requiredColumn(table, QStringLiteral("a_count"), numberTypes());
    const int note = requiredColumn(table, QStringLiteral("a_note"), textTypes());
    const int key = requiredColumn(table, QStringLiteral("a_key"), integerTypes());
    const int kindName = requiredColumn(table, QStringLiteral("a_kind_name"), textTypes());
    if (otherOrder(table, entryColumns))
        m_plan.notices << QStringLiteral("data_main 表的欄位順序和 Quillory 的不同，依欄位名稱轉入。");
    noteFixedText(table, { content, note, kindName }, m_plan.notices);

    const QList<JetRow> rows = m_db.readRows(table, [this] { onRow(); });
    m_plan.counts.append({ QStringLiteral("data_main"), true, table.storedRows, rows.size() });
    QVector<std::optional<qint64>> keys;
    keys.reserve(rows.size());
    qsizetype longest = 0;
    qint64 outside = 0;
    QStringList undated;
    m_plan.contents.entries.reserve(rows.size());
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const JetRow &row = rows.at(r);
        const bool hasKey = row.at(key).kind == JetValue::Kind::Integer;
        keys.append(hasKey ? std::optional<qint64>(row.at(key).integer) : std::nullopt);
        const QString where = rowName(QStringLiteral("data_main"), r)
            + (hasKey ? QStringLiteral("（a_key %1）").arg(row.at(key).integer) : QString());
        EntryStore::Entry e;
        bool hadTime = false;
        const std::optional<QDate> day = storedDay(row.at(date), &hadTime);
        if (!day) {
            // Kept where the person can find it: the query of 1899-12-30 shows it.
            e.date = dayZero();
            undated << QStringLiteral("第 %1 列%2（%3）")
                           .arg(r + 1)
                           .arg(hasKey ? QStringLiteral(" a_key %1").arg(row.at(key).integer) : QString(),
                               storedDayText(row.at(date)));
        } else {
            e.date = *day;
            if (hadTime)
                ++m_timesDropped;
            if (e.date.year() < 1900 || e.date.year() >= 2100)
                ++outside;
        }
        // An entry without a kind is one whose kind is gone; no kind has this id.
        e.kind = row.at(kind).kind == JetValue::Kind::Integer ? row.at(kind).integer : noKind();
        if (row.at(kind).kind != JetValue::Kind::Integer)
            ++m_nulls[QStringLiteral("data_main.a_kind")];
        if (row.at(inout).kind != JetValue::Kind::Integer) {
            ++m_nulls[QStringLiteral("data_main.a_inout")];
        } else if (row.at(inout).integer == 0 || row.at(inout).integer == 1) {
            e.inout = static_cast<int>(row.at(inout).integer);
        } else {
            throw ImportError(QStringLiteral("%1的收支（a_inout）是 %2，不是 0 支出或 1 收入，無法轉入。")
                                  .arg(where)
                                  .arg(row.at(inout).integer));
        }
        e.content = textOf(row.at(content), QStringLiteral("data_main.a_content"), m_nulls);
        const auto [stored, exact] = amountOf(row.at(count), where, m_nulls);
        e.count = stored;
        e.note = textOf(row.at(note), QStringLiteral("data_main.a_note"), m_nulls);
        e.kindName = textOf(row.at(kindName), QStringLiteral("data_main.a_kind_name"), m_nulls);
        longest = std::max({ longest, e.note.size(), e.content.size() });

        const std::pair<int, int> slot { e.date.year(), e.inout };
        m_plan.oldSums[slot] += exact;
        ++m_plan.oldEntries[slot];
        if (!m_plan.firstDate.isValid() || e.date < m_plan.firstDate)
            m_plan.firstDate = e.date;
        if (!m_plan.lastDate.isValid() || e.date > m_plan.lastDate)
            m_plan.lastDate = e.date;
        m_plan.contents.entries.append(e);
    }
    renumberKeys(keys);
    if (outside > 0)
        m_plan.notices << QStringLiteral(
            "%1 筆帳目的日期在 1900 年以前或 2100 年以後，照原日期轉入（最早 %2，最晚 %3）。")
                              .arg(outside)
                              .arg(m_plan.firstDate.toString(Qt::ISODate), m_plan.lastDate.toString(Qt::ISODate));
    if (!undated.isEmpty())
        m_plan.notices << QStringLiteral(
            "%1 筆帳目沒有日期或日期不在西元 1 到 9999 年之間，放在 %2（舊程式的第 0 天），"
            "查詢那一天就能找到並改正：%3。")
                              .arg(undated.size())
                              .arg(dayZero().toString(Qt::ISODate), shortList(undated, 50));
    if (longest > 255)
        m_plan.notices << QStringLiteral("最長的帳目文字有 %1 個字元，整段轉入。").arg(longest);
}

// Every key is kept but 0 (the old program's key while it moves an entry), a blank key and
// the second and later of equal keys: those get new keys after the largest one, in file order.
void Planner::renumberKeys(const QVector<std::optional<qint64>> &keys)
{
    qint64 largest = 0;
    for (const std::optional<qint64> &k : keys)
        if (k)
            largest = std::max(largest, *k);
    QSet<qint64> taken;
    QStringList zero;
    QStringList blank;
    QStringList repeated;
    for (qsizetype r = 0; r < keys.size(); ++r) {
        const std::optional<qint64> &k = keys.at(r);
        if (k && *k != 0 && !taken.contains(*k)) {
            taken.insert(*k);
            m_plan.contents.entries[r].key = *k;
            continue;
        }
        const qint64 fresh = ++largest;
        m_plan.contents.entries[r].key = fresh;
        const QString change = QStringLiteral("第 %1 列→%2").arg(r + 1).arg(fresh);
        if (!k)
            blank << change;
        else if (*k == 0)
            zero << change;
        else
            repeated << QStringLiteral("第 %1 列（%2）→%3").arg(r + 1).arg(*k).arg(fresh);
    }
    if (!zero.isEmpty())
        m_plan.notices << QStringLiteral("%1 筆帳目的 a_key 是 0（舊程式搬移帳目時用的暫時編號），改成新的編號：%2。")
                              .arg(zero.size())
                              .arg(shortList(zero));
    if (!blank.isEmpty())
        m_plan.notices
            << QStringLiteral("%1 筆帳目沒有 a_key，給了新的編號：%2。").arg(blank.size()).arg(shortList(blank));
    if (!repeated.isEmpty())
        m_plan.notices << QStringLiteral("%1 筆帳目的 a_key 和前面的帳目重複，前面的保留原編號，這些改成新的編號：%2。")
                              .arg(repeated.size())
                              .arg(shortList(repeated));
}

void Planner::noteNulls()
{
    if (m_nulls.isEmpty())
        return;
    QStringList parts;
    for (auto it = m_nulls.cbegin(); it != m_nulls.cend(); ++it)
        parts << QStringLiteral("%1 %2 個").arg(it.key()).arg(it.value());
    m_plan.notices << QStringLiteral("空白（NULL）的欄位：%1；文字寫成空字串，金額、收支寫成 0，"
                                     "分類空白的帳目歸入「%2」，key_order 空白的分類排在最後。")
                          .arg(parts.join(QStringLiteral("、")), orphanKindName());
}

} // namespace

QString orphanKindName()
{
    return QStringLiteral("舊分類");
}

ImportPlan planImport(const JetDatabase &db, const std::function<void(qint64, qint64)> &progress)
{
    return Planner(db, progress).run();
}
