// The reader of old Jet 4 ledgers against files written by the Python writer: every value as it
// went in, and a clear refusal for what cannot be read.
#include "JetCases.h"

#include "jet/JetDatabase.h"
#include "platform/Decimal.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <bit>

using namespace Qt::StringLiterals;

namespace {

QString bits(double d)
{
    return QString::number(std::bit_cast<quint64>(d), 16);
}

QString isoDay(std::optional<QDate> day)
{
    return day ? day->toString(Qt::ISODate) : u"none"_s;
}

// A value read, in a form that names its kind and is exact: numbers by their bits or digits.
QString shown(const JetValue &v)
{
    using K = JetValue::Kind;
    switch (v.kind) {
    case K::Null:
        return u"NULL"_s;
    case K::Integer:
        return u"int %1"_s.arg(v.integer);
    case K::Double:
        return u"double %1"_s.arg(bits(v.number));
    case K::DateTime:
        return u"days %1 %2"_s.arg(bits(v.number), isoDay(JetDays::day(v.number)));
    case K::Currency:
        return u"currency "_s + Decimal(v.integer, -4).text();
    case K::Decimal:
        return u"decimal "_s + v.text;
    case K::Text:
        return u"text "_s + v.text;
    case K::Binary:
        return u"bytes "_s + QString::fromLatin1(v.bytes.toHex());
    default:
        return u"unsupported"_s;
    }
}

// Days since 1899-12-30 the way the writer stores a date text: before that day the whole part
// counts back and the time of day is added away from zero.
double storedDays(const QString &text)
{
    const QTime time = text.size() > 10 ? QTime::fromString(text.mid(11), Qt::ISODateWithMs) : QTime(0, 0);
    const double days = double(QDate(1899, 12, 30).daysTo(QDate::fromString(text.left(10), Qt::ISODate)));
    const double t = (time.msecsSinceStartOfDay() / 1000 + time.msec() / 1000.0) / 86400.0;
    return days < 0 ? days - t : days + t;
}

// A value written, in the form shown() gives it when read back exactly.
QString expected(const QJsonValue &want, const QJsonObject &column)
{
    const QString type = column.value(u"type"_s).toString();
    const auto is = [&](const char *name) { return type == QLatin1String(name); };
    if (is("bool"))
        return u"int %1"_s.arg(want.toBool() ? 1 : 0);
    if (want.isNull())
        return u"NULL"_s;
    if (is("decimal")) { // the digits as written, with the column's places
        const int scale = column.value(u"scale"_s).toInt();
        const QStringList parts = want.toString().split(QLatin1Char('.'));
        return u"decimal "_s + parts[0]
            + (scale ? u"."_s + parts.value(1).leftJustified(scale, QLatin1Char('0')) : QString());
    }
    if (is("ole"))
        return u"bytes "_s + want.toString().toLower();
    if (is("text") || is("memo")) // fixed-length text padded as stored
        return u"text "_s
            + want.toString().leftJustified(column.value(u"fixed"_s).toBool() ? column.value(u"size"_s).toInt() : 0);
    if (is("double") || is("single"))
        return u"double "_s + bits(is("single") ? double(float(want.toDouble())) : want.toDouble());
    if (is("currency"))
        return u"currency "_s + Decimal::fromText(want.toString())->text();
    if (is("datetime")) {
        const double days = want.isString() ? storedDays(want.toString()) : want.toDouble();
        return u"days %1 %2"_s.arg(bits(days), want.isString() ? want.toString().left(10) : isoDay(JetDays::day(days)));
    }
    return u"int %1"_s.arg(want.toInteger());
}

// Reads every table of the layout from the file and compares value by value.
void compareWithLayout(const QString &path)
{
    const QJsonObject layout = jetcases::layoutOf(path);
    QVERIFY2(!layout.isEmpty(), qPrintable(path));
    const JetDatabase db = JetDatabase::fromFile(path);
    // As many tables as written, each found by its name.
    const QJsonArray tables = layout.value(u"tables"_s).toArray();
    QCOMPARE(db.tableNames().size(), tables.size());
    for (const QJsonValue &table : tables) {
        const QJsonObject want = table.toObject();
        const QString name = want.value(u"name"_s).toString();
        const JetTableDef def = db.table(name);
        const QJsonArray columns = want.value(u"columns"_s).toArray();
        const QJsonArray wantRows = want.value(u"rows"_s).toArray();
        const QList<JetRow> rows = db.readRows(def);
        QCOMPARE(std::pair(def.columns.size(), rows.size()), std::pair(columns.size(), wantRows.size()));
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < columns.size(); ++c) {
                const QString where = u"%1 row %2 %3: "_s.arg(name).arg(r + 1).arg(def.columns[c].name);
                QCOMPARE(def.columns[c].name, columns[c].toObject().value(u"name"_s).toString());
                QCOMPARE(where + shown(rows[r][c]), where + expected(wantRows[r].toArray()[c], columns[c].toObject()));
            }
    }
}

std::uint32_t at(const QByteArray &bytes, qsizetype offset, int size = 2)
{
    const char *p = bytes.constData() + offset;
    return size == 4 ? qFromLittleEndian<quint32>(p) : qFromLittleEndian<quint16>(p);
}

// The bytes with 32-bit values put at the offsets given.
QByteArray patched(QByteArray bytes, std::initializer_list<std::pair<qsizetype, std::uint32_t>> values)
{
    for (const auto &[offset, value] : values)
        qToLittleEndian<quint32>(value, bytes.data() + offset);
    return bytes;
}

// The slots rows moved away from (offset flag 0x4000 alone): each slot's place as page << 8 | row,
// and where on the file its pointer lies.
QList<std::pair<std::uint32_t, qsizetype>> movedSlots(const QByteArray &bytes)
{
    QList<std::pair<std::uint32_t, qsizetype>> slots;
    for (qsizetype base = 4096; base < bytes.size(); base += 4096)
        for (std::uint32_t r = 0; bytes[base] == 1 && r < at(bytes, base + 12); ++r)
            if (const std::uint32_t offset = at(bytes, base + 14 + 2 * r); (offset & 0xC000) == 0x4000)
                slots.append({ std::uint32_t(base / 4096) << 8 | r, base + (offset & 0x1FFF) });
    return slots;
}

// The case files the reader refuses, and what it says.
const std::pair<const char *, const char *> refused[] = { { "jet3.mdb", "Access 97" }, { "password.mdb", "密碼" },
    { "ace.accdb", "ACE" }, { "ace_as_mdb.mdb", "ACE" }, { "damaged.mdb", "損壞" }, { "damaged_truncated.mdb", "損壞" },
    { "memo_shared_chain.mdb", "一再指向" }, { "memo_past_end.mdb", "損壞" } };

} // namespace

class JetReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        jetcases::writeCases(m_dir.path());
    }

    void readsEveryCaseValueForValue_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &name : QDir(m_dir.path()).entryList({ u"*.mdb"_s }))
            if (std::ranges::none_of(refused, [&](const auto &file) { return name == QLatin1String(file.first); }))
                QTest::newRow(qPrintable(name)) << m_dir.filePath(name);
    }

    void readsEveryCaseValueForValue()
    {
        QFETCH(QString, file);
        QVERIFY_THROWS_NO_EXCEPTION(compareWithLayout(file)); // a refusal fails the case with its message
    }

    void refusesWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        const auto file
            = [this](const char *name) { return jetcases::bytesOf(m_dir.filePath(QString::fromLatin1(name))); };
        for (const auto &[name, says] : refused)
            QTest::newRow(name) << file(name) << QString::fromUtf8(says);
        QTest::newRow("empty") << QByteArray() << u"不是 Access"_s;
        QTest::newRow("header only") << file("ledger.mdb").left(4096 * 3) << u"損壞"_s;
        // Moved rows whose pointers lead nowhere, or round and round.
        const QByteArray moved = file("ledger_moved.mdb");
        const auto slots = movedSlots(moved);
        QVERIFY(slots.size() > 40);
        const std::uint32_t past = std::uint32_t(moved.size() / 4096 + 7);
        const std::uint32_t target = at(moved, slots[0].second, 4), rowsThere = at(moved, (target >> 8) * 4096 + 12);
        QTest::newRow("moved off the file")
            << patched(moved, { { slots[0].second, past << 8 } }) << u"搬到了第 %1 頁第 0 格，但檔案只有"_s.arg(past);
        QTest::newRow("moved to an empty slot")
            << patched(moved, { { slots[0].second, (target & ~0xFFu) | rowsThere } }) << u"那裡卻是空的"_s;
        QTest::newRow("moves in a loop") << patched(
            moved, { { slots[0].second, slots[1].first }, { slots[1].second, slots[0].first } })
                                         << u"繞成了圈"_s;
        QTest::newRow("two moved to one place")
            << patched(moved, { { slots[1].second, target } }) << u"都說自己搬到了"_s;
        // A stored row count other than the rows on the pages: rows back from the dead, or lost.
        const QByteArray deleted = file("deleted_rows.mdb");
        const JetTableDef def = JetDatabase(deleted).table(u"data_main"_s);
        for (const std::uint32_t count : { def.storedRows + 30, def.storedRows - 1 })
            QTest::newRow("stored row count")
                << patched(deleted, { { qsizetype(def.definitionPage) * 4096 + 16, count } })
                << u"data_main 記錄有 %1 筆"_s.arg(count);
    }

    void refusesWhatItCannotRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        try {
            const JetDatabase db(bytes);
            for (const QString &name : db.tableNames())
                db.readRows(db.table(name));
            QFAIL("every table read");
        } catch (const JetError &error) {
            QVERIFY2(error.message().contains(says), qPrintable(error.message()));
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(JetReaderTest)
#include "jet_reader_test.moc"
