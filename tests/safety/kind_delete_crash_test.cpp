// Kills the program at every call that changes a file while it deletes a summary kind whose
// entries move to another summary kind, one run per call, each on a fresh copy of the same
// ledger. After each kill the next start must give the totals of before or of after the
// deletion: never a ledger that still has the kind with a summary list that has lost it.

#include "safety/SafetySupport.h"

#include "app/Startup.h"

#include "store/ReportStore.h"

#include <QProcess>

using namespace safety;

namespace {

const QByteArray summaryLine = "1,2,5\r\n"; // 餐費 (deleted, its entries to 交通), 交通, 娛樂

// The next start in folder, as a person's would be: the year's income, expense and each
// summary kind's expense line, or why it failed; and what SKinds.txt then holds.
QString totalsAfterRestart(const QString &folder)
{
    QDir::setCurrent(folder);
    ScriptedBoxes boxes;
    if (!startUp())
        return QStringLiteral("start failed: ") + boxes.texts().join(u' ');
    const ReportStore::RangeFilter year { QDate(2024, 1, 1), QDate(2024, 12, 31), {}, {} };
    const ReportStore::RangeTotals sums = ReportStore::rangeTotals(
        ReportStore::rangeEntries(ReportStore::RangeMode::Detailed, year, QStringLiteral("D.a_date"), false));
    QStringList lines { sums.income.text(), sums.expense.text() };
    for (const ReportStore::KindExpense &line : ReportStore::summaryKindExpenses(year, database_access::SKinds_List()))
        lines << line.name + u'=' + line.sum.text();
    lines << onFile(QStringLiteral("db1.mdb"), QStringLiteral("PRAGMA integrity_check")) << boxes.texts()
          << QString::fromLatin1(fileBytes(QStringLiteral("SKinds.txt")));
    database_access::Close_DB();
    LedgerLock::release();
    return lines.join(u' ');
}

// The driver's exit code, or -1 when it was killed.
int runDriver(const QString &folder, long killAt, QByteArray *output)
{
    const QString bin = QCoreApplication::applicationDirPath();
    QProcess process;
    qputenv("LD_PRELOAD", QFile::encodeName(bin + QStringLiteral("/libkill_shim.so")));
    qputenv("QUILLORY_KILL_AT", QByteArray::number(qint64(killAt)));
    process.start(bin + QStringLiteral("/kind_delete_crash_driver"), { folder, QStringLiteral("餐費") });
    process.waitForFinished(30000);
    *output = process.readAllStandardOutput() + process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class KindDeleteCrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyKillPointGivesTheTotalsOfBeforeOrAfter()
    {
        LedgerFolder origin;
        QVERIFY(onFile(QStringLiteral("db1.mdb"),
            QStringLiteral("INSERT INTO data_main VALUES ('2024-03-01', 1, 0, '早餐', 65.5, '', 1, '餐費'), "
                           "('2024-03-01', 2, 0, '公車', 15, '', 2, '交通'), ('2024-03-02', 1, 0, '晚餐', 120, '', 3, "
                           "'餐費'), ('2024-03-02', 5, 0, '電影', 300, '', 4, '娛樂'), ('2024-03-03', 9, 1, '薪水', "
                           "40000, '', 5, '薪資'), ('2024-03-03', 1, 1, '退款', 20, '', 6, '餐費')"))
                    .isEmpty());
        const auto freshCopy = [&](const QString &name) {
            QDir().mkpath(origin.path(name));
            QFile::copy(origin.path(QStringLiteral("db1.mdb")), origin.path(name + QStringLiteral("/db1.mdb")));
            writeFile(origin.path(name + QStringLiteral("/SKinds.txt")), summaryLine);
            return origin.path(name);
        };
        const QString before = totalsAfterRestart(freshCopy(QStringLiteral("before")));
        QVERIFY2(before.contains(QStringLiteral("餐費=185.5")), qPrintable(before));
        // A run without a kill tells how many calls the deletion makes, and the totals after it.
        QByteArray output;
        const QString whole = freshCopy(QStringLiteral("whole"));
        QVERIFY2(runDriver(whole, 0, &output) == 0, output.constData());
        const long calls = output.mid(output.indexOf("calls ") + 6).split('\n').value(0).toLong();
        const QString after = totalsAfterRestart(whole);
        QVERIFY2(calls > 5 && !after.contains(QStringLiteral("餐費")) && after.contains(QStringLiteral("ok 2,5")),
            qPrintable(after));
        QSet<QString> seen;
        for (long at = 1; at <= calls; ++at) {
            const QString folder = freshCopy(QStringLiteral("kill-%1").arg(at));
            QVERIFY2(runDriver(folder, at, &output) == -1, qPrintable(QString::number(at)));
            // The summary file follows the ledger once the start has tidied it.
            const QString totals = totalsAfterRestart(folder);
            QVERIFY2(totals == before || totals == after,
                qPrintable(QStringLiteral("killed at call %1: %2").arg(at).arg(totals)));
            seen << totals;
        }
        QCOMPARE(seen.size(), 2); // both sides of the commit were reached
        QDir::setCurrent(origin.folder());
        // 3 and 4 are gone, 0 ends the counted list, 7 and 99 follow it; a file without gone kinds
        // is not rewritten.
        QVERIFY(
            onFile(QStringLiteral("db1.mdb"), QStringLiteral("DELETE FROM kind WHERE a_kind IN (3, 4, 99)")).isEmpty());
        writeFile(QStringLiteral("SKinds.txt"), "5,3,2,4,0,7,99\r\n");
        QVERIFY(totalsAfterRestart(origin.folder()).endsWith(QStringLiteral(" 5,2,0,7\r\n")));
        writeFile(QStringLiteral("SKinds.txt"), " 5 \r\n"); // left as it is, blanks and all
        QVERIFY(totalsAfterRestart(origin.folder()).endsWith(QStringLiteral("  5 \r\n")));
    }
};

QUILLORY_TEST_MAIN(KindDeleteCrashTest)
#include "kind_delete_crash_test.moc"
