#pragma once

#include "Samples.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class EngineFloor;
class Form1;

// The person's sessions the benchmark plays, each filling its lines of the report. Every
// action is checked for having done its work; what went wrong is collected in problems.
struct BenchRun
{
    int reps = 15;
    int wholeReps = 5; // 0: no whole-ledger queries
    QDate firstDay; // of the ledger
    QDate lastDay;
    EngineFloor *floor = nullptr;
    QVector<Measurement> results;
    QStringList problems;
    double peakRssMb = 0;

    Measurement &line(const QString &action);
};

namespace scenarios {

// In-process: opening the ledger and loading the summary kinds, then the main menu until it
// is on the screen. The first start of a day also makes the daily backup; it is reported
// on a line of its own. Leaves the program started with the menu shown.
std::unique_ptr<Form1> startUp(BenchRun &run);

// The real program, started as a process in the ledger's folder, until it has drawn its
// main menu; then it is stopped. Skipped when the program is not beside the benchmark.
void processStart(BenchRun &run, const QString &program);

// The daily-entry window: opening it, stepping through days, and adding, changing, moving
// and deleting an entry on each day (the ledger ends as it began, but for one key order).
void dailyEntry(BenchRun &run, Form1 &menu);

void kindManager(BenchRun &run, Form1 &menu);

// The query window: range queries over a month, a year and the whole ledger in both modes,
// a sort press and the year report, each beside the engine's time for its statements.
void queries(BenchRun &run, Form1 &menu);

// Recurring items and budgets: the due check start-up makes, and a year's budget report.
void plans(BenchRun &run);

// A year of e-invoices read, previewed and brought in (and taken back after each run).
void invoices(BenchRun &run);

// An old Access ledger of the given entries, written by the tests' writer (its scripts in
// scripts, run with python3) into work, then brought over by the real importer, each time
// into a fresh folder, timed from its start to its exit. Each new ledger is opened and its
// entries counted. Run with no ledger of the program open.
void importOldLedger(
    BenchRun &run, const QString &program, const QString &scripts, qint64 entries, const QString &work);

} // namespace scenarios
