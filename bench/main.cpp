// Times a person's actions in the real windows, headless, on a large ledger, and says which
// of the program's speed targets are missed.

#include "EngineFloor.h"
#include "Labels.h"
#include "Scenarios.h"

#include "LedgerGenerator.h"
#include "app/Form1.h"
#include "store/LedgerNames.h"
#include "store/ResultSet.h"
#include "store/StoreError.h"
#include "store/database_access.h"
#include "support/TestSupport.h"
#include "ui/AppSetup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>

namespace {

// The limits of a ledger of about 100,000 entries, or, with large set, of about 1,000,000.
void setTargets(BenchRun &run, bool large)
{
    for (Measurement &m : run.results) {
        const QString &a = m.action;
        if (a == labels::firstStart)
            continue;
        if (a == labels::startUp || a == labels::processStart) {
            m.limitMs = 300;
            continue;
        }
        // The import of an old ledger of 100,000 entries, every run of it.
        if (a == labels::importOld) {
            m.limitMs = 2000;
            m.limitOnSlowest = true;
            continue;
        }
        if (a == labels::monthPdf) {
            m.limitMs = 1000;
            continue;
        }
        if (a == labels::rowsPdf) {
            m.limitMs = 5000;
            m.limitOnSlowest = true;
            continue;
        }
        // What start-up adds for the recurring items, and a year's budget report, at any size.
        if (a == labels::invoicesPreview || a == labels::invoicesCommit) {
            m.limitMs = 1000;
            m.limitOnSlowest = true;
            continue;
        }
        if (a == labels::dueCheck) {
            m.limitMs = 50;
            continue;
        }
        if (a == labels::chartYear || a == labels::chartMonths || a == labels::budgetYear) {
            m.limitMs = 100;
            continue;
        }
        // The years read every entry; at 1,000,000 entries they take as long as the
        // whole-ledger queries, and like them must leave the window live.
        if (a == labels::chartYears) {
            if (!large)
                m.limitMs = 200;
            continue;
        }
        // However long a query reads, the window keeps painting and taking keys.
        if (a == labels::wholeSimplePause || a == labels::wholeDetailedPause || a == labels::chartYearsPause
            || a == labels::rowsPdfPause) {
            m.limitMs = 300;
            m.limitOnSlowest = true;
            continue;
        }
        if (large) {
            if (a != labels::wholeDetailed && a != labels::wholeSimple)
                m.limitMs = 100;
            continue;
        }
        if (a == labels::openEntry || a == labels::add || a == labels::modify || a == labels::move
            || a == labels::remove)
            m.limitMs = 20;
        else if (a == labels::dayLoad)
            m.limitMs = 5;
        else if (a == labels::yearDetailed || a == labels::yearSimple || a == labels::sort || a == labels::yearReport) {
            m.limitMs = 50;
            m.maxRatio = 3;
        } else if (a == labels::wholeDetailed)
            m.limitMs = 1000;
    }
}

QString number(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}

void print(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
}

// Prints the table and the missed targets; returns how many were missed.
int report(const BenchRun &run, qint64 entries, bool large)
{
    print(QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6 | %7")
              .arg(QStringLiteral("action"), -46)
              .arg(QStringLiteral("median ms"), 9)
              .arg(QStringLiteral("slowest ms"), 10)
              .arg(QStringLiteral("engine ms"), 9)
              .arg(QStringLiteral("ratio"), 5)
              .arg(QStringLiteral("n"), 3)
              .arg(QStringLiteral("target")));
    QStringList missed;
    for (const Measurement &m : run.results) {
        const double median = m.times.median();
        QString engine = QStringLiteral("-");
        QString ratio = QStringLiteral("-");
        double ratioValue = 0;
        if (!m.floor.isEmpty() && m.floor.median() > 0) {
            engine = number(m.floor.median());
            ratioValue = median / m.floor.median();
            ratio = number(ratioValue);
        }
        QStringList target;
        if (m.limitMs && m.limitOnSlowest) {
            target << QStringLiteral("slowest < %1 ms").arg(*m.limitMs);
            if (m.times.slowest() >= *m.limitMs)
                missed << QStringLiteral("%1: slowest %2 ms, target under %3 ms")
                              .arg(m.action.trimmed(), number(m.times.slowest()))
                              .arg(*m.limitMs);
        } else if (m.limitMs) {
            target << QStringLiteral("< %1 ms").arg(*m.limitMs);
            if (median >= *m.limitMs)
                missed << QStringLiteral("%1: median %2 ms, target under %3 ms")
                              .arg(m.action, number(median))
                              .arg(*m.limitMs);
        }
        if (m.maxRatio) {
            target << QStringLiteral("<= %1x engine").arg(*m.maxRatio);
            if (ratioValue > *m.maxRatio)
                missed << QStringLiteral("%1: %2 times the engine's time, target at most %3")
                              .arg(m.action, number(ratioValue))
                              .arg(*m.maxRatio);
        }
        print(QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6 | %7")
                  .arg(m.action, -46)
                  .arg(number(median), 9)
                  .arg(number(m.times.slowest()), 10)
                  .arg(engine, 9)
                  .arg(ratio, 5)
                  .arg(m.times.count(), 3)
                  .arg(target.join(QStringLiteral(", "))));
    }
    const double rssLimit = 200;
    print(QStringLiteral("peak resident memory after the whole-ledger detailed result: %1 MB%2")
              .arg(number(run.peakRssMb))
              .arg(large ? QString() : QStringLiteral(" (target under %1 MB)").arg(rssLimit)));
    if (!large && run.peakRssMb >= rssLimit)
        missed << QStringLiteral("peak resident memory %1 MB, target under %2 MB")
                      .arg(number(run.peakRssMb))
                      .arg(rssLimit);

    print(QString());
    print(QStringLiteral("targets for a ledger of about %1 entries (this one has %2):")
              .arg(large ? QStringLiteral("1,000,000") : QStringLiteral("100,000"))
              .arg(entries));
    if (missed.isEmpty())
        print(QStringLiteral("  all met"));
    for (const QString &m : missed)
        print(QStringLiteral("  MISSED ") + m);
    for (const QString &p : run.problems)
        print(QStringLiteral("  PROBLEM ") + p);
    return int(missed.size() + run.problems.size());
}

bool copyLedger(const QString &from, const QString &to)
{
    for (const QString &name : { QStringLiteral("db1.mdb"), QStringLiteral("SKinds.txt") }) {
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Headless unless told otherwise.
    testing::headlessUnlessTold();
    QApplication app(argc, argv);
    ui::setupApplication(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the program's windows on a large ledger."));
    parser.addHelpOption();
    parser.addOption({ QStringLiteral("ledger"),
        QStringLiteral("Folder with db1.mdb and SKinds.txt to measure on (copied first; the original is not changed)."),
        QStringLiteral("folder") });
    parser.addOption({ QStringLiteral("entries"), QStringLiteral("Without --ledger: entries to generate (100000)."),
        QStringLiteral("n"), QStringLiteral("100000") });
    parser.addOption({ QStringLiteral("years"), QStringLiteral("Without --ledger: years they span (30)."),
        QStringLiteral("y"), QStringLiteral("30") });
    parser.addOption({ QStringLiteral("seed"), QStringLiteral("Without --ledger: random seed (1)."),
        QStringLiteral("s"), QStringLiteral("1") });
    parser.addOption({ QStringLiteral("reps"), QStringLiteral("Repetitions of each action (15)."), QStringLiteral("n"),
        QStringLiteral("15") });
    parser.addOption({ QStringLiteral("whole-reps"), QStringLiteral("Repetitions of the whole-ledger queries (5)."),
        QStringLiteral("n"), QStringLiteral("5") });
    parser.addOption({ QStringLiteral("no-whole"), QStringLiteral("Skip the whole-ledger queries (for quick runs).") });
    parser.addOption({ QStringLiteral("import-entries"),
        QStringLiteral("Entries of the old Access ledger whose import is timed (100000; 0: no import)."),
        QStringLiteral("n"), QStringLiteral("100000") });
    parser.addOption({ QStringLiteral("targets"),
        QStringLiteral("Targets to check: 100k or 1m (default: by the ledger's size)."), QStringLiteral("set") });
    parser.process(app);

    QTemporaryDir work;
    if (!work.isValid()) {
        std::fputs("quillory-bench: no temporary folder\n", stderr);
        return 2;
    }
    try {
        if (parser.isSet(QStringLiteral("ledger"))) {
            if (!copyLedger(parser.value(QStringLiteral("ledger")), work.path())) {
                std::fputs("quillory-bench: the folder must hold db1.mdb and SKinds.txt\n", stderr);
                return 2;
            }
        } else {
            LedgerGenerator::Settings settings;
            settings.entries = parser.value(QStringLiteral("entries")).toLongLong();
            settings.years = parser.value(QStringLiteral("years")).toInt();
            settings.seed = parser.value(QStringLiteral("seed")).toULongLong();
            if (settings.entries < 1 || settings.years < 1) {
                std::fputs("quillory-bench: --entries and --years take positive whole numbers\n", stderr);
                return 2;
            }
            print(QStringLiteral("generating %1 entries over %2 years ...").arg(settings.entries).arg(settings.years));
            LedgerGenerator::generate(work.path(), settings);
            database_access::Close_DB();
        }
    } catch (const StoreError &error) {
        std::fprintf(stderr, "quillory-bench: %s\n", error.message().toUtf8().constData());
        return 2;
    }
    QDir::setCurrent(work.path());

    BenchRun run;
    run.reps = std::max(1, parser.value(QStringLiteral("reps")).toInt());
    run.wholeReps = parser.isSet(QStringLiteral("no-whole"))
        ? 0
        : std::max(1, parser.value(QStringLiteral("whole-reps")).toInt());

    std::unique_ptr<Form1> menu = scenarios::startUp(run);
    if (!menu) {
        for (const QString &p : run.problems)
            print(p);
        return 2;
    }
    const ResultSet extent
        = database_access::Open_Query(QStringLiteral("SELECT count(*), min(%1), max(%1) FROM %2")
                                          .arg(LedgerNames::Entries::date, LedgerNames::Entries::table));
    const QVector<ResultSet::Row> rows = extent.rows();
    const qint64 entries = rows.first().value(0).toLongLong();
    run.firstDay = QDate::fromString(rows.first().value(1).toString(), Qt::ISODate);
    run.lastDay = QDate::fromString(rows.first().value(2).toString(), Qt::ISODate);
    const bool large = parser.isSet(QStringLiteral("targets"))
        ? parser.value(QStringLiteral("targets")) == QStringLiteral("1m")
        : entries >= 500000;
    print(QStringLiteral("Quillory benchmark, %1: %2 entries from %3 to %4; %5 repetitions (%6 for the whole ledger)")
              .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")))
              .arg(entries)
              .arg(run.firstDay.toString(Qt::ISODate), run.lastDay.toString(Qt::ISODate))
              .arg(run.reps)
              .arg(run.wholeReps));
    print(QStringLiteral("Qt %1, SQLite %2, %3, %4 cores")
              .arg(QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()),
                  QSysInfo::prettyProductName())
              .arg(QThread::idealThreadCount()));
    print(QString());

    EngineFloor floor(QDir(work.path()).filePath(QStringLiteral("db1.mdb")));
    run.floor = &floor;
    scenarios::processStart(run, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillory")));
    scenarios::dailyEntry(run, *menu);
    for (int rep = 0; rep < run.reps; ++rep)
        run.line(labels::durableCommit)
            .times.add(EngineFloor::durableCommitMs(QDir(work.path()).filePath(QStringLiteral("scratch.db"))));
    scenarios::kindManager(run, *menu);
    scenarios::queries(run, *menu);
    scenarios::plans(run);
    scenarios::invoices(run);
    menu->close();
    menu.reset();
    database_access::Close_DB();
    const qint64 importEntries = parser.value(QStringLiteral("import-entries")).toLongLong();
    if (importEntries > 0)
        scenarios::importOldLedger(run, QStringLiteral(QUILLORY_IMPORT_PROGRAM), QStringLiteral(QUILLORY_JET_SCRIPTS),
            importEntries, work.path());

    setTargets(run, large);
    return report(run, entries, large) == 0 ? 0 : 1;
}
