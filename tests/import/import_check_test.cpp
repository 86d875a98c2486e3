// The check before the new ledger replaces the old one: whatever was written wrongly, lost or
// added is found, so the import stops instead of renaming a ledger that differs.
#include "ImportRun.h"

#include "import/ImportCheck.h"
#include "jet/JetDatabase.h"
#include "store/LedgerSchema.h"
#include "store/database_access.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

class ImportCheckTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        const QString old = m_dir.filePath(QStringLiteral("old.mdb"));
        QVERIFY2(
            jetcases::runPython({ jetcases::script(QStringLiteral("ledger_jet.py")), old, QStringLiteral("--entries"),
                                    QStringLiteral("200"), QStringLiteral("--seed"), QStringLiteral("4") },
                &error),
            qPrintable(error));
        const JetDatabase db = JetDatabase::fromFile(old);
        m_plan = planImport(db);
        const QString ledger = m_dir.filePath(QStringLiteral("new.mdb"));
        LedgerSchema::createLedger(ledger, false);
        database_access::Open_DB(ledger);
        ImportStore::fill(m_plan.contents);
        m_written.contents = ImportStore::readAll();
        m_written.sums = ImportStore::yearSums();
        m_written.integrity = ImportStore::integrityCheck();
        database_access::Close_DB();
    }

    void aFaithfulLedgerPasses()
    {
        QCOMPARE(differencesOf(m_plan, m_written), QStringList());
        QVERIFY(importReport(m_plan, m_written, {}, QStringLiteral("old.mdb"), QStringLiteral("db1-jet-x.mdb"))
                    .startsWith(QStringLiteral("轉入核對：全部相符\n")));
    }

    void everyKindOfDifferenceIsFound_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("found");
        QTest::newRow("an amount one bit off") << 0 << "a_count";
        QTest::newRow("an entry lost") << 1 << "data_main 讀 200 筆，寫 199 筆";
        QTest::newRow("a date a day late") << 2 << "a_date";
        QTest::newRow("a kind renamed") << 3 << "寫得不對";
        QTest::newRow("a day note cut") << 4 << "的日記寫得不對";
        QTest::newRow("a year's sum off") << 5 << "年支出";
        QTest::newRow("the engine finds damage") << 6 << "資料庫檢查";
        QTest::newRow("a direction renamed") << 7 << "inout";
    }

    void everyKindOfDifferenceIsFound()
    {
        QFETCH(int, change);
        QFETCH(QString, found);
        WrittenLedger w = m_written;
        switch (change) {
        case 0:
            w.contents.entries[17].count = std::nextafter(w.contents.entries[17].count, 1e300);
            break;
        case 1:
            w.contents.entries.removeAt(50);
            break;
        case 2:
            w.contents.entries[3].date = w.contents.entries[3].date.addDays(1);
            break;
        case 3:
            w.contents.kinds[2].name += QStringLiteral("x");
            break;
        case 4:
            w.contents.notes[0].note.chop(1);
            break;
        case 5:
            w.sums[0].sum += Decimal(1, -2);
            break;
        case 6:
            w.integrity = QStringLiteral("row 3 missing from index data_main_key");
            break;
        case 7:
            w.contents.directions[1].text = QStringLiteral("收");
            break;
        }
        const QStringList differences = differencesOf(m_plan, w);
        QVERIFY2(!differences.isEmpty() && differences.join(QLatin1Char('\n')).contains(found),
            qPrintable(differences.join(QLatin1Char('\n'))));
        const QString report = importReport(m_plan, w, differences, QStringLiteral("old.mdb"), QString());
        QVERIFY2(report.startsWith(QStringLiteral("轉入核對：有 %1 處不符，沒有轉入").arg(differences.size())),
            qPrintable(report));
    }

private:
    QTemporaryDir m_dir;
    ImportPlan m_plan;
    WrittenLedger m_written;
};

QTEST_GUILESS_MAIN(ImportCheckTest)
#include "import_check_test.moc"
