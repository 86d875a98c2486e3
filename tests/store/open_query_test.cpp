// Open_Query reads results straight from the engine. Whatever it returns must be what the Qt
// driver returns for the same statement on the same connection: the same column names, the
// same values of the same types (whole numbers, reals, texts of any script, NULL, blobs), and
// the same refusals.

#include "store/StoreError.h"
#include "store/database_access.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

struct DriverResult
{
    QStringList columns;
    QList<QVariantList> rows;
};

DriverResult throughDriver(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("quillory"), false));
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        qFatal("driver refused the statement");
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec())
        qFatal("driver could not run the statement");
    DriverResult result;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        result.columns << record.fieldName(i);
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < record.count(); ++i)
            row << query.value(i);
        result.rows << row;
    }
    return result;
}

QString describe(const QVariant &v)
{
    return QStringLiteral("%1(%2%3)")
        .arg(QString::fromLatin1(v.metaType().name()), v.isNull() ? QStringLiteral("null ") : QString(), v.toString());
}

} // namespace

class OpenQueryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resultsMatchTheDriverValueForValue_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("values");
        QTest::newRow("whole entries") << QStringLiteral("SELECT * FROM data_main ORDER BY a_key") << QVariantList();
        QTest::newRow("aliases, a join, a correlated sub-select")
            << QStringLiteral("SELECT D.a_date AS \"日期\", I.text AS \"收支\", sum(a_count) AS \"日帳目\","
                              " (SELECT n.a_note FROM data_note n WHERE D.a_date = n.a_date) AS \"日註解\""
                              " FROM data_main D INNER JOIN inout I ON D.a_inout = I.inout"
                              " WHERE D.a_date BETWEEN ? AND ? GROUP BY D.a_date, I.text ORDER BY D.a_date")
            << QVariantList { QStringLiteral("2024-01-01"), QStringLiteral("2024-12-31") };
        QTest::newRow("literals of every kind")
            << QStringLiteral("SELECT 1, -9007199254740993, 2.5, 1e300, NULL, x'00ff41', '', 'a''b', 3 AS \"q\"\"x\"")
            << QVariantList();
        QTest::newRow("bound values of every kind come back as bound")
            << QStringLiteral("SELECT ? AS a, ? AS b, ? AS c, ? AS d, ? AS e, ? AS f, ? AS g")
            << QVariantList { QVariant(qint64(1) << 40), QVariant(7), QVariant(true), QVariant(-0.125),
                   QVariant(QStringLiteral("餐費 🍜 'x' \\ %")), QVariant(QByteArray("\x01\x02", 2)),
                   QVariant(QMetaType::fromType<int>()) };
        // Texts that repeat from row to row, change by one character or in length, give way
        // to a number or NULL and come back, in short and long forms.
        const QString longText = QString(15, QChar(0x7532));
        QTest::newRow("repeating and changing texts down a column")
            << QStringLiteral("SELECT column1, column2 FROM (VALUES ('甲', 'x'), ('甲', 'x'), ('乙', 1), ('', 'x'),"
                              " (NULL, NULL), ('', 'y'), ('甲乙', 'x'), (?, ?), (?, ?), (?, ?), ('甲', 'x'))")
            << QVariantList { longText, longText, longText + QChar(0x4E59), longText, longText + QChar(0x4E59),
                   longText.left(14) + QChar(0x4E59) };
        QTest::newRow("no rows") << QStringLiteral("SELECT a_key FROM data_main WHERE a_key < 0") << QVariantList();
    }

    void resultsMatchTheDriverValueForValue()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        TestLedger ledger;
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        ledger.addEntry(QStringLiteral("2024-05-01"), food, 0, QStringLiteral("便當 'x'"), 85, QStringLiteral(""), 1);
        ledger.addEntry(
            QStringLiteral("2024-05-01"), food, 1, QStringLiteral("refund"), 12.75, QStringLiteral("註"), 2);
        ledger.addEntry(QStringLiteral("2024-05-03"), food, 0, QStringLiteral("😀"), -3.5, QStringLiteral("a\nb"), 7);
        ledger.setDayNote(QStringLiteral("2024-05-01"), QStringLiteral("下雨"));

        const DriverResult expected = throughDriver(sql, values);
        const ResultSet actual = database_access::Open_Query(sql, values);
        QCOMPARE(actual.columns(), expected.columns);
        const QVector<ResultSet::Row> rows = actual.rows();
        QCOMPARE(rows.size(), expected.rows.size());
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QCOMPARE(rows.at(r).size(), expected.rows.at(r).size());
            for (qsizetype c = 0; c < rows.at(r).size(); ++c) {
                const QVariant &a = rows.at(r).at(c);
                const QVariant &e = expected.rows.at(r).at(c);
                if (a.metaType() != e.metaType() || a.isNull() != e.isNull() || a != e)
                    QFAIL(qPrintable(QStringLiteral("row %1 column %2: %3, the driver gives %4")
                                         .arg(r)
                                         .arg(c)
                                         .arg(describe(a), describe(e))));
            }
        }
    }

    void aNullTextIsBoundAsAnEmptyText()
    {
        TestLedger ledger;
        const ResultSet result = database_access::Open_Query(
            QStringLiteral("SELECT ? IS NULL, length(?)"), { QVariant(QString()), QVariant(QString()) });
        QCOMPARE(result.rows().first().at(0).toLongLong(), 0);
        QCOMPARE(result.rows().first().at(1).toLongLong(), 0);
    }

    void refusalsNameTheEnginesReason_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown table") << QStringLiteral("SELECT * FROM nowhere") << QVariantList()
                                       << QStringLiteral("no such table: nowhere");
        QTest::newRow("too few values") << QStringLiteral("SELECT ?, ?") << QVariantList { 1 }
                                        << QStringLiteral("Parameter count mismatch");
        QTest::newRow("too many values") << QStringLiteral("SELECT ?") << QVariantList { 1, 2 }
                                         << QStringLiteral("Parameter count mismatch");
        QTest::newRow("two statements") << QStringLiteral("SELECT 1; DELETE FROM data_main") << QVariantList()
                                        << QStringLiteral("multiple statements");
        QTest::newRow("error while stepping") << QStringLiteral("SELECT abs(-9223372036854775807 - 1)")
                                              << QVariantList() << QStringLiteral("integer overflow");
    }

    void refusalsNameTheEnginesReason()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        QFETCH(QString, reason);
        TestLedger ledger;
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        ledger.addEntry(QStringLiteral("2024-05-01"), food, 0, QStringLiteral("x"), 1, QStringLiteral(""), 1);
        try {
            database_access::Open_Query(sql, values);
            QFAIL("the statement ran");
        } catch (const StoreError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("資料庫錯誤：")), qPrintable(error.message()));
            QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
        }
        // Nothing of the refused text ran.
        QCOMPARE(ledger.scalar(QStringLiteral("SELECT count(*) FROM data_main")).toLongLong(), 1);
        QCOMPARE(database_access::Open_Query(QStringLiteral("SELECT 5")).rows().first().first().toLongLong(), 5);
    }
};

QUILLORY_TEST_MAIN(OpenQueryTest)
#include "open_query_test.moc"
