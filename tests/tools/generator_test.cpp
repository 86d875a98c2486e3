// The made-up ledger the benchmarks and demonstrations use: the same seed gives the same
// ledger, and it looks like a household's.

#include "LedgerGenerator.h"
#include "store/database_access.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

using namespace database_access;

namespace {

QStringList answers(const QString &folder, const QString &sql)
{
    Open_DB(folder + QStringLiteral("/db1.mdb"));
    QStringList out;
    for (const ResultSet::Row &row : Open_Query(sql).rows()) {
        for (const QVariant &v : row)
            out << v.toString();
    }
    Close_DB();
    return out;
}

} // namespace

class GeneratorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameSeedSameLedgerLikeAHousehold()
    {
        QTemporaryDir dir;
        LedgerGenerator::Settings settings { .entries = 3000, .years = 2, .seed = 7 };
        const QString all = QStringLiteral("SELECT * FROM data_main, kind USING (a_kind) ORDER BY a_key");
        QStringList ledgers;
        for (const QString &folder : { dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("b")) }) {
            LedgerGenerator::generate(folder, settings);
            ledgers << answers(folder, all).join(u'|');
            settings.seed = 8;
        }
        QVERIFY_THROWS_EXCEPTION(StoreError, LedgerGenerator::generate(dir.filePath(QStringLiteral("a")), settings));
        QVERIFY(ledgers.at(0) != ledgers.at(1));
        LedgerGenerator::generate(dir.filePath(QStringLiteral("c")), settings);
        QCOMPARE(answers(dir.filePath(QStringLiteral("c")), all).join(u'|'), ledgers.at(1));

        // About a fifth income, two years, many kinds, keys rising with the dates, several a day.
        const QStringList stats = answers(dir.filePath(QStringLiteral("a")),
            QStringLiteral(
                "SELECT count(*), round(avg(a_inout), 1), substr(min(a_date), 1, 4), substr(max(a_date), 1, "
                "4), count(DISTINCT a_kind) >= 24, max(a_key), sum(a_count <> round(a_count)) > 0, "
                "count(DISTINCT a_date) < 3000, (SELECT count(*) FROM data_main a JOIN data_main b ON "
                "b.a_key = a.a_key + 1 WHERE b.a_date < a.a_date), (SELECT count(*) > 20 FROM data_note),"
                "(SELECT count(*) FROM data_main WHERE a_kind NOT IN (SELECT a_kind FROM kind)) FROM data_main"));
        QCOMPARE(stats, QStringList({ "3000", "0.2", "2025", "2026", "1", "3000", "1", "1", "0", "1", "0" }));
        QFile skinds(dir.filePath(QStringLiteral("a/SKinds.txt")));
        QVERIFY(skinds.open(QIODevice::ReadOnly) && skinds.readAll().endsWith("\r\n"));
    }
};

QUILLORY_TEST_MAIN(GeneratorTest)
#include "generator_test.moc"
