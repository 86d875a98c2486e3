// Kills the program at every call that changes a file while it deletes a summary kind whose
// entries move to another summary kind, one run per call, each on a fresh copy of the same
// ledger. After each kill the next start must give the totals of before or of after the
// deletion: never a ledger that still has the kind with a summary list that has lost it.

#include "safety/SafetySupport.h"

#include "app/Startup.h"
#include "store/KindStore.h"
#include "store/ReportStore.h"
#include "support/ScriptedBoxes.h"

#include <QProcess>
#include <QRegularExpression>

using namespace safety;

namespace {

const QString doomed = QStringLiteral("餐費"); // a summary kind with entries
const QByteArray summaryLine = "1,2,5\r\n"; // 餐費, 交通 (which takes the entries), 娛樂

void arrangeLedger()
{
    database_access::Open_DB(QStringLiteral("db1.mdb"));
    const QString insert = QStringLiteral("INSERT INTO data_main VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    const QVariantList rows[] = {
        { "2024-03-01", 1, 0, "早餐", 65.5, "", 1, "餐費" },
        { "2024-03-01", 2, 0, "公車", 15, "", 2, "交通" },
        { "2024-03-02", 1, 0, "晚餐", 120, "", 3, "餐費" },
        { "2024-03-02", 5, 0, "電影", 300, "", 4, "娛樂" },
        { "2024-03-03", 9, 1, "薪水", 40000, "", 5, "薪資" },
        { "2024-03-03", 1, 1, "退款", 20, "", 6, "餐費" },
    };
    for (const QVariantList &row : rows)
        database_access::Exec_SQL(insert, row);
    database_access::Close_DB();
    writeFile(QStringLiteral("SKinds.txt"), summaryLine);
}

// What the query window would show for the year: the income, the expense and each summary
// kind's expense line.
QString totals()
{
    ReportStore::RangeFilter filter;
    filter.begin = QDate(2024, 1, 1);
    filter.end = QDate(2024, 12, 31);
    const ResultSet result
        = ReportStore::rangeEntries(ReportStore::RangeMode::Detailed, filter, QStringLiteral("D.a_date"), false);
    const ReportStore::RangeTotals sums = ReportStore::rangeTotals(result);
    QStringList lines { sums.income.text(), sums.expense.text() };
    for (const ReportStore::KindExpense &line :
        ReportStore::summaryKindExpenses(filter, database_access::SKinds_List()))
        lines << line.name + QLatin1Char('=') + line.sum.text();
    lines.sort();
    return lines.join(QLatin1Char(' '));
}

// The next start in folder, as a person's would be: the totals it shows, or why it failed.
QString totalsAfterRestart(const QString &folder)
{
    QDir::setCurrent(folder);
    ScriptedBoxes boxes;
    if (!startUp())
        return QStringLiteral("start failed: ") + boxes.texts().join(QLatin1Char(' '));
    QString answer = totals();
    const QString integrity
        = database_access::Open_Query(QStringLiteral("PRAGMA integrity_check")).rows().first().first().toString();
    if (integrity != QStringLiteral("ok"))
        answer = QStringLiteral("damaged: ") + integrity;
    if (!boxes.texts().isEmpty())
        answer += QStringLiteral(" boxes: ") + boxes.texts().join(QLatin1Char(' '));
    database_access::Close_DB();
    LedgerLock::release();
    return answer;
}

struct Run
{
    QProcess::ExitStatus status = QProcess::NormalExit;
    int code = 0;
    QByteArray output;
};

Run runDriver(const QString &folder, long killAt)
{
    const QString bin = QCoreApplication::applicationDirPath();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), bin + QStringLiteral("/libkill_shim.so"));
    environment.insert(QStringLiteral("QUILLORY_KILL_AT"), QString::number(killAt));
    process.setProcessEnvironment(environment);
    process.start(bin + QStringLiteral("/kind_delete_crash_driver"), { folder, doomed });
    process.waitForFinished(30000);
    return { process.exitStatus(), process.exitCode(),
        process.readAllStandardOutput() + process.readAllStandardError() };
}

} // namespace

class KindDeleteCrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyKillPointGivesTheTotalsOfBeforeOrAfter();
    void theNextStartDropsOnlyIdsOfGoneKinds();
};

void KindDeleteCrashTest::everyKillPointGivesTheTotalsOfBeforeOrAfter()
{
    LedgerFolder origin;
    arrangeLedger();
    const QString before = totalsAfterRestart(origin.folder());
    QVERIFY2(before.contains(doomed), qPrintable(before));
    const auto freshCopy = [&](const QString &name) {
        const QString folder = origin.path(name);
        QDir().mkpath(folder);
        QFile::copy(origin.path(QStringLiteral("db1.mdb")), folder + QStringLiteral("/db1.mdb"));
        writeFile(folder + QStringLiteral("/SKinds.txt"), summaryLine);
        return folder;
    };

    // A run without a kill tells how many calls the deletion makes, and the totals after it.
    const QString whole = freshCopy(QStringLiteral("whole"));
    const Run counting = runDriver(whole, 0);
    QVERIFY2(counting.status == QProcess::NormalExit && counting.code == 0, counting.output.constData());
    const QRegularExpressionMatch counted
        = QRegularExpression(QStringLiteral("^calls (\\d+)$"), QRegularExpression::MultilineOption)
              .match(QString::fromUtf8(counting.output));
    const long calls = counted.captured(1).toLong();
    QVERIFY2(calls > 5, counting.output.constData());
    const QString after = totalsAfterRestart(whole);
    QVERIFY2(!after.contains(doomed) && after != before, qPrintable(after));
    const QByteArray summaryAfter = fileBytes(whole + QStringLiteral("/SKinds.txt"));
    QVERIFY2(summaryAfter != summaryLine && !summaryAfter.startsWith("1,"), summaryAfter.constData());
    qInfo("%ld kill points; before: %s; after: %s", calls, qPrintable(before), qPrintable(after));

    int endedBefore = 0;
    int endedAfter = 0;
    for (long at = 1; at <= calls; ++at) {
        const QString folder = freshCopy(QStringLiteral("kill-%1").arg(at));
        const Run killed = runDriver(folder, at);
        QVERIFY2(killed.status == QProcess::CrashExit, qPrintable(QStringLiteral("call %1 not killed").arg(at)));
        const QString seen = totalsAfterRestart(folder);
        QVERIFY2(
            seen == before || seen == after, qPrintable(QStringLiteral("killed at call %1: %2").arg(at).arg(seen)));
        (seen == before ? endedBefore : endedAfter) += 1;
        // The file follows the ledger once the start has tidied it: as it was, or as the
        // whole deletion leaves it.
        const QByteArray summary = fileBytes(folder + QStringLiteral("/SKinds.txt"));
        QVERIFY2(summary == (seen == before ? summaryLine : summaryAfter),
            qPrintable(QStringLiteral("killed at call %1: SKinds.txt %2").arg(at).arg(QString::fromUtf8(summary))));
    }
    // Both sides of the commit were reached.
    QVERIFY(endedBefore > 0);
    QVERIFY(endedAfter > 0);
    QDir::setCurrent(origin.folder());
}

void KindDeleteCrashTest::theNextStartDropsOnlyIdsOfGoneKinds()
{
    LedgerFolder folder;
    // 3 and 4 are gone, 0 ends the counted list, 7 and 99 follow it; a blank-framed file
    // without gone kinds is left exactly as it is.
    database_access::Open_DB(QStringLiteral("db1.mdb"));
    database_access::Exec_SQL(QStringLiteral("DELETE FROM kind WHERE a_kind IN (3, 4, 99)"));
    database_access::Close_DB();
    writeFile(QStringLiteral("SKinds.txt"), "5,3,2,4,0,7,99\r\n");
    const QString started = totalsAfterRestart(folder.folder());
    QVERIFY2(!started.startsWith(QStringLiteral("start failed")), qPrintable(started));
    QCOMPARE(fileBytes(QStringLiteral("SKinds.txt")), QByteArray("5,2,0,7\r\n"));

    writeFile(QStringLiteral("SKinds.txt"), " 5 \r\n");
    const QFileInfo untouched(QStringLiteral("SKinds.txt"));
    const QDateTime written = untouched.lastModified();
    QTest::qWait(20);
    totalsAfterRestart(folder.folder());
    QCOMPARE(fileBytes(QStringLiteral("SKinds.txt")), QByteArray(" 5 \r\n"));
    QCOMPARE(QFileInfo(QStringLiteral("SKinds.txt")).lastModified(), written);
}

QUILLORY_TEST_MAIN(KindDeleteCrashTest)
#include "kind_delete_crash_test.moc"
