// The reader of old Jet 4 ledgers against files written by the Python writer: every value as it
// went in, and a clear refusal for what cannot be read.
#include "JetCases.h"

#include "jet/JetDatabase.h"
#include "platform/Decimal.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>
#include <functional>

namespace {

// Days since 1899-12-30 the way the writer stores a date text.
double storedDays(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:[ T](\\d{2}):(\\d{2}):(\\d{2})(?:\\.(\\d{1,6}))?)?$"));
    const QRegularExpressionMatch m = form.match(text);
    const QDate day(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(day));
    double seconds = 0;
    if (m.hasCaptured(4)) {
        const QString fraction = m.captured(7).isEmpty() ? QStringLiteral("0") : m.captured(7);
        seconds = m.captured(4).toInt() * 3600 + m.captured(5).toInt() * 60 + m.captured(6).toInt()
            + fraction.toInt() / std::pow(10.0, fraction.size());
    }
    const double t = seconds / 86400.0;
    return days < 0 ? days - t : days + t;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Empty when the value read is the value written, else what differs.
QString difference(const JetValue &got, const QJsonValue &want, const QJsonObject &column)
{
    using K = JetValue::Kind;
    const QString type = column.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("bool"))
        return got.kind == K::Integer && got.integer == (want.toBool() ? 1 : 0) ? QString() : QStringLiteral("bool");
    if (want.isNull())
        return got.isNull() ? QString() : QStringLiteral("expected NULL");
    if (type == QLatin1String("decimal")) {
        // The digits as stored: exactly the value written, with the column's places.
        const int scale = column.value(QStringLiteral("scale")).toInt();
        const qsizetype point = got.text.indexOf(QLatin1Char('.'));
        return got.kind == K::Decimal && Decimal::fromText(got.text) == Decimal::fromText(want.toString())
                && (point < 0 ? 0 : got.text.size() - point - 1) == scale
            ? QString()
            : QStringLiteral("decimal %1").arg(got.text);
    }
    if (type == QLatin1String("ole"))
        return got.kind == K::Binary && got.bytes == QByteArray::fromHex(want.toString().toLatin1())
            ? QString()
            : QStringLiteral("%1 bytes").arg(got.bytes.size());
    const QString text = column.value(QStringLiteral("fixed")).toBool()
        ? want.toString().leftJustified(column.value(QStringLiteral("size")).toInt()) // padded as stored
        : want.toString();
    if (type == QLatin1String("text") || type == QLatin1String("memo"))
        return got.kind == K::Text && got.text == text ? QString()
                                                       : QStringLiteral("text %1 (%2 chars) for %3 chars")
                                                             .arg(got.text.left(40))
                                                             .arg(got.text.size())
                                                             .arg(want.toString().size());
    if (type == QLatin1String("double") || type == QLatin1String("single"))
        return got.kind == K::Double
                && sameBits(
                    got.number, type == QLatin1String("single") ? double(float(want.toDouble())) : want.toDouble())
            ? QString()
            : QStringLiteral("double %1").arg(got.number, 0, 'g', 17);
    if (type == QLatin1String("currency")) {
        const auto expected = want.isString() ? Decimal::fromText(want.toString()) : Decimal(want.toInteger());
        return got.kind == K::Currency && expected && Decimal(got.integer, -4) == *expected
            ? QString()
            : QStringLiteral("currency %1").arg(Decimal(got.integer, -4).text());
    }
    if (type == QLatin1String("datetime")) {
        const double days = want.isString() ? storedDays(want.toString()) : want.toDouble();
        if (got.kind != K::DateTime || !sameBits(got.number, days))
            return QStringLiteral("days %1 for %2").arg(got.number, 0, 'g', 17).arg(days, 0, 'g', 17);
        // The whole day is the date written, whatever the time of day.
        if (want.isString() && JetDays::day(got.number) != QDate::fromString(want.toString().left(10), Qt::ISODate))
            return QStringLiteral("day %1").arg(JetDays::day(got.number).value_or(QDate()).toString(Qt::ISODate));
        return {};
    }
    return got.kind == K::Integer && got.integer == want.toInteger() ? QString()
                                                                     : QStringLiteral("integer %1").arg(got.integer);
}

// Reads every table of the layout from the file and compares row by row.
void compareWithLayout(const QString &path)
{
    const QJsonObject layout = jetcases::layoutOf(path);
    QVERIFY2(!layout.isEmpty(), qPrintable(path));
    const JetDatabase db = JetDatabase::fromFile(path);
    QStringList expectedNames;
    for (const QJsonValue &t : layout.value(QStringLiteral("tables")).toArray())
        expectedNames.append(t.toObject().value(QStringLiteral("name")).toString());
    QStringList names = db.tableNames();
    names.sort();
    expectedNames.sort();
    QCOMPARE(names, expectedNames);
    for (const QString &name : expectedNames) {
        const QJsonObject want = jetcases::tableOf(layout, name);
        const JetTableDef def = db.table(name);
        const QJsonArray columns = want.value(QStringLiteral("columns")).toArray();
        QCOMPARE(def.columns.size(), columns.size());
        const QList<JetRow> rows = db.readRows(def);
        const QJsonArray wantRows = want.value(QStringLiteral("rows")).toArray();
        QCOMPARE(rows.size(), wantRows.size());
        for (int r = 0; r < rows.size(); ++r) {
            const QJsonArray values = wantRows[r].toArray();
            for (int c = 0; c < columns.size(); ++c) {
                const QJsonObject column = columns[c].toObject();
                QCOMPARE(def.columns[c].name, column.value(QStringLiteral("name")).toString());
                const QString diff = difference(rows[r][c], values[c], column);
                QVERIFY2(diff.isEmpty(),
                    qPrintable(QStringLiteral("%1 %2 row %3 column %4: %5")
                                   .arg(QFileInfo(path).fileName(), name)
                                   .arg(r + 1)
                                   .arg(def.columns[c].name, diff)));
            }
        }
    }
}

QString refusal(const QByteArray &bytes)
{
    try {
        const JetDatabase db(bytes);
        for (const QString &name : db.tableNames())
            db.readRows(db.table(name));
    } catch (const JetError &error) {
        return error.message();
    }
    return {};
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int u16At(const QByteArray &bytes, qsizetype at)
{
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void put32(QByteArray &bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// Where the slots that rows moved away from (offset flag 0x4000 alone) keep their pointers.
QList<qsizetype> movePointers(const QByteArray &bytes)
{
    QList<qsizetype> places;
    for (qsizetype base = 4096; base < bytes.size(); base += 4096) {
        if (bytes[base] != 1)
            continue;
        for (int r = 0; r < u16At(bytes, base + 12); ++r) {
            const int offset = u16At(bytes, base + 14 + 2 * r);
            if ((offset & 0xC000) == 0x4000)
                places << base + (offset & 0x1FFF);
        }
    }
    return places;
}

} // namespace

class JetReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        if (!jetcases::runPython({ jetcases::script(QStringLiteral("make_cases.py")), m_dir.path(),
                                     QStringLiteral("--seeds"), m_dir.filePath(QStringLiteral("seeds")) },
                &error))
            QFAIL(qPrintable(error));
        const QString ledger = m_dir.filePath(QStringLiteral("ledger.mdb"));
        const QString currency = m_dir.filePath(QStringLiteral("ledger_currency.mdb"));
        QVERIFY2(jetcases::runPython({ jetcases::script(QStringLiteral("ledger_jet.py")),
                                         m_dir.filePath(QStringLiteral("ledger_moved.mdb")), QStringLiteral("--moved"),
                                         QStringLiteral("5") },
                     &error),
            qPrintable(error));
        QVERIFY2(jetcases::runPython({ jetcases::script(QStringLiteral("ledger_jet.py")), ledger }, &error),
            qPrintable(error));
        // a_count and key_order as each type a Number column of Access may be.
        for (const QStringList &args : { QStringList { currency, QStringLiteral("--amount"), QStringLiteral("currency"),
                                             QStringLiteral("--memo-overflow"), QStringLiteral("--seed"),
                                             QStringLiteral("7"), QStringLiteral("--order"), QStringLiteral("int") },
                 QStringList { m_dir.filePath(QStringLiteral("ledger_single.mdb")), QStringLiteral("--amount"),
                     QStringLiteral("single"), QStringLiteral("--order"), QStringLiteral("byte") },
                 QStringList { m_dir.filePath(QStringLiteral("ledger_decimal.mdb")), QStringLiteral("--amount"),
                     QStringLiteral("decimal"), QStringLiteral("--order"), QStringLiteral("decimal") } })
            QVERIFY2(
                jetcases::runPython(QStringList { jetcases::script(QStringLiteral("ledger_jet.py")) } + args, &error),
                qPrintable(error));
    }

    void readsEveryCaseValueForValue_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name :
            { "nulls", "duplicate_key", "key_zero", "vanished_kind", "dates_out_of_range", "kind_order", "deleted_rows",
                "memo_overflow", "column_order", "every_type", "column_history", "wide", "no_data_note", "no_inout",
                "ledger", "ledger_currency", "ledger_moved", "ledger_single", "ledger_decimal" })
            QTest::newRow(name) << m_dir.filePath(QString::fromLatin1(name) + QStringLiteral(".mdb"));
    }

    void readsEveryCaseValueForValue()
    {
        QFETCH(QString, file);
        try {
            compareWithLayout(file);
        } catch (const JetError &error) {
            QFAIL(qPrintable(error.message()));
        }
    }

    // The small files the fuzzer starts from are whole, so its mutations begin from readable
    // ledgers: every table in them reads to its stored row count.
    void fuzzSeedsReadWhole()
    {
        for (const char *name :
            { "ledger.mdb", "memo.mdb", "deleted.mdb", "moved.mdb", "history.mdb", "wide.mdb", "types.mdb" }) {
            const QByteArray bytes = fileBytes(m_dir.filePath(QStringLiteral("seeds/") + QString::fromLatin1(name)));
            QVERIFY2(!bytes.isEmpty(), name);
            const QString message = refusal(bytes);
            QVERIFY2(message.isEmpty(), qPrintable(message));
            const JetDatabase db(bytes);
            QVERIFY(!db.tableNames().isEmpty());
            for (const QString &table : db.tableNames())
                QVERIFY(!db.readRows(db.table(table)).isEmpty() || table == QLatin1String("data_note"));
        }
    }

    void refusesWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        const auto file = [this](const char *name) { return fileBytes(m_dir.filePath(QString::fromLatin1(name))); };
        QTest::newRow("Jet 3") << file("jet3.mdb") << QStringLiteral("Access 97");
        QTest::newRow("password") << file("password.mdb") << QStringLiteral("密碼");
        QTest::newRow("ACE") << file("ace.accdb") << QStringLiteral("ACE");
        QTest::newRow("ACE named .mdb") << file("ace_as_mdb.mdb") << QStringLiteral("ACE");
        QTest::newRow("definition lost") << file("damaged.mdb") << QStringLiteral("損壞");
        QTest::newRow("cut short") << file("damaged_truncated.mdb") << QStringLiteral("損壞");
        QTest::newRow("memos sharing one chain") << file("memo_shared_chain.mdb") << QStringLiteral("一再指向");
        QTest::newRow("memo past the end") << file("seeds/memo_past_end.mdb") << QStringLiteral("損壞");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("不是 Access");
        QTest::newRow("text file") << QByteArray("a_date,a_kind\n2024-01-01,3\n") << QStringLiteral("不是 Access");
        QByteArray header = file("ledger.mdb").left(4096 * 3);
        QTest::newRow("header only") << header << QStringLiteral("損壞");
        // Moved rows whose pointers lead nowhere, or round and round.
        const QByteArray moved = file("ledger_moved.mdb");
        const QList<qsizetype> pointers = movePointers(moved);
        QVERIFY(pointers.size() > 40);
        const auto pointing = [&](const std::function<void(QByteArray &)> &change) {
            QByteArray changed = moved;
            change(changed);
            return changed;
        };
        const auto pointerAt = [&](int i) {
            return std::uint32_t(u16At(moved, pointers[i])) | (std::uint32_t(u16At(moved, pointers[i] + 2)) << 16);
        };
        QTest::newRow("moved off the file")
            << pointing([&](QByteArray &b) { put32(b, pointers[0], std::uint32_t(moved.size() / 4096 + 7) << 8); })
            << QStringLiteral("搬到了第 %1 頁第 0 格，但檔案只有").arg(moved.size() / 4096 + 7);
        const std::uint32_t targetPage = pointerAt(0) >> 8;
        const int rowsThere = u16At(moved, qsizetype(targetPage) * 4096 + 12);
        QTest::newRow("moved to an empty slot")
            << pointing([&](QByteArray &b) { put32(b, pointers[0], (targetPage << 8) | std::uint32_t(rowsThere)); })
            << QStringLiteral("那裡卻是空的");
        const auto slotOf = [&](int i) {
            for (qsizetype base = 4096; base < moved.size(); base += 4096)
                for (int r = 0; base == pointers[i] / 4096 * 4096 && r < u16At(moved, base + 12); ++r)
                    if (base + (u16At(moved, base + 14 + 2 * r) & 0x1FFF) == pointers[i])
                        return (std::uint32_t(base / 4096) << 8) | std::uint32_t(r);
            return std::uint32_t(0);
        };
        QTest::newRow("moves in a loop") << pointing([&](QByteArray &b) {
            put32(b, pointers[0], slotOf(1));
            put32(b, pointers[1], slotOf(0));
        }) << QStringLiteral("繞成了圈");
        QTest::newRow("two moved to one place") << pointing([&](QByteArray &b) { put32(b, pointers[1], pointerAt(0)); })
                                                << QStringLiteral("都說自己搬到了");
    }

    void refusesWhatItCannotRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        const QString message = refusal(bytes);
        QVERIFY2(message.contains(says), qPrintable(message));
    }

    // A table whose stored row count differs from the rows on its pages is not read at all:
    // rows that come back from the dead, or rows lost, must stop the import.
    void rowsMustMatchTheStoredCount()
    {
        QByteArray bytes = fileBytes(m_dir.filePath(QStringLiteral("deleted_rows.mdb")));
        std::uint32_t page = 0;
        std::uint32_t stored = 0;
        {
            const JetDatabase db(bytes);
            const JetTableDef def = db.table(QStringLiteral("data_main"));
            page = def.definitionPage;
            stored = def.storedRows;
            QCOMPARE(db.readRows(def).size(), qsizetype(stored));
        }
        for (const std::uint32_t count : { stored + 30, stored - 1 }) {
            QByteArray changed = bytes;
            for (int i = 0; i < 4; ++i)
                changed[qsizetype(page) * 4096 + 16 + i] = char((count >> (8 * i)) & 0xFF);
            const QString message = refusal(changed);
            QVERIFY2(message.contains(QStringLiteral("data_main")) && message.contains(QString::number(count)),
                qPrintable(message));
        }
    }

    void dayOfAStoredDateTime()
    {
        bool hasTime = false;
        QCOMPARE(JetDays::day(-1.25, &hasTime), QDate(1899, 12, 29)); // 1899-12-29 06:00
        QVERIFY(hasTime);
        QCOMPARE(JetDays::day(-0.5, &hasTime), QDate(1899, 12, 30));
        QCOMPARE(JetDays::day(45351.0 + 86399.7 / 86400.0, &hasTime), QDate(2024, 2, 29));
        QCOMPARE(JetDays::day(45351.0, &hasTime), QDate(2024, 2, 29));
        QVERIFY(!hasTime);
        QCOMPARE(JetDays::day(-700000), std::nullopt);
        QCOMPARE(JetDays::day(3000000), std::nullopt);
        QCOMPARE(JetDays::day(std::nan("")), std::nullopt);
        QCOMPARE(JetDays::day(2958465), QDate(9999, 12, 31));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(JetReaderTest)
#include "jet_reader_test.moc"
