#include "Scenarios.h"

#include "ChartTiming.h"
#include "Driving.h"
#include "EngineFloor.h"
#include "Labels.h"
#include "platform/EInvoice.h"
#include "store/BudgetStore.h"
#include "store/InvoicePreview.h"
#include "store/InvoiceStore.h"
#include "store/KindStore.h"
#include "store/RecurringStore.h"

#include "app/Form1.h"
#include "app/Startup.h"
#include "entry/input_keyin.h"
#include "platform/DateText.h"
#include "reports/chart_view.h"
#include "reports/check.h"
#include "store/ReportStore.h"
#include "store/StoreError.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "ui/DGrid.h"
#include "ui/PushButton.h"
#include "ui/ReportOutput.h"
#include "ui/RichTextBox.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

Measurement &BenchRun::line(const QString &action)
{
    for (Measurement &m : results) {
        if (m.action == action)
            return m;
    }
    results.push_back(Measurement { action, {}, {}, {}, {}, false });
    return results.back();
}

namespace scenarios {

namespace {

using driving::settle;
using driving::timed;
using testing::click;

void expectNoBoxes(BenchRun &run, driving::Boxes &boxes, const QString &action)
{
    const QStringList texts = boxes.take();
    if (!texts.isEmpty())
        run.problems << action + QStringLiteral(": unexpected message: ") + texts.join(QStringLiteral(" | "));
}

// The entries the day grid shows; an empty day still has its one blank row.
int entryCount(const ::DGrid *grid)
{
    const int rows = grid->rows() - 1;
    return rows == 1 && grid->textAt(1, 1).isEmpty() ? 0 : rows;
}

const QString benchName = QStringLiteral("量測 bench");

void playEntrySession(BenchRun &run, input_keyin &w, driving::Boxes &boxes)
{
    w.date_new->setFocus();
    settle();
    for (int rep = 0; rep < run.reps; ++rep) {
        // Days back from today, one arrow press each.
        run.line(labels::dayLoad).times.add(timed([&] { QTest::keyClick(w.date_new, Qt::Key_Up); }));
        expectNoBoxes(run, boxes, labels::dayLoad);
        const int before = entryCount(w.DGrid);

        // The person fills the fields and is in the remark when pressing 新增.
        w.kind->setCurrentIndex(rep % std::max(1, w.kind->count()));
        w.account_name->setText(benchName);
        w.money_inout->setText(QStringLiteral("123.45"));
        w.note_one->setText(QStringLiteral("bench"));
        w.note_one->setFocus();
        settle();
        run.line(labels::add).times.add(timed([&] { click(w.data_add); }));
        expectNoBoxes(run, boxes, labels::add);
        const int last = w.DGrid->rows() - 1;
        if (entryCount(w.DGrid) != before + 1 || w.DGrid->textAt(last, 4) != benchName) {
            run.problems << QStringLiteral("adding an entry: the new entry is not in the day");
            return;
        }

        driving::clickCell(w.DGrid, last, 4);
        w.money_inout->setText(QStringLiteral("67.8"));
        w.money_inout->setFocus();
        settle();
        run.line(labels::modify).times.add(timed([&] { click(w.data_modifty); }));
        expectNoBoxes(run, boxes, labels::modify);
        if (w.DGrid->textAt(last, 5) != QStringLiteral("67.8"))
            run.problems << QStringLiteral("modifying an entry: the amount did not change");

        int row = last;
        if (last >= 2) {
            driving::clickCell(w.DGrid, last, 4);
            run.line(labels::move).times.add(timed([&] { click(w.cmd_up_down[0]); }));
            expectNoBoxes(run, boxes, labels::move);
            row = last - 1;
            if (w.DGrid->textAt(row, 4) != benchName)
                run.problems << QStringLiteral("moving an entry: the entry did not move up");
        }

        driving::clickCell(w.DGrid, row, 4);
        run.line(labels::remove).times.add(timed([&] { click(w.data_del); }));
        const QStringList asked = boxes.take();
        if (asked.size() != 1 || !asked.first().contains(benchName))
            run.problems << QStringLiteral("deleting an entry: boxes were: ") + asked.join(QStringLiteral(" | "));
        if (entryCount(w.DGrid) != before)
            run.problems << QStringLiteral("deleting an entry: the day did not get its old entries back");
        w.date_new->setFocus();
        settle();
    }
}

ReportStore::RangeFilter wholeDays(const QDate &begin, const QDate &end)
{
    ReportStore::RangeFilter filter;
    filter.begin = begin;
    filter.end = end;
    return filter;
}

// One range query pressed reps times, each time beside the engine on the same statements.
// With pauseLabel, also the longest the event loop waited for a turn during each press.
void rangeQuery(BenchRun &run, check &w, driving::Boxes &boxes, const QString &label, const QDate &begin,
    const QDate &end, bool detailed, int reps, const QString &pauseLabel = QString())
{
    w.str_begin->setText(DateText::slashed(begin));
    w.str_end->setText(DateText::slashed(end));
    (detailed ? w.chk_mon_detail : w.chk_mon_easy)->setChecked(true);
    settle();
    const auto mode = detailed ? ReportStore::RangeMode::Detailed : ReportStore::RangeMode::Simple;
    const ReportStore::RangeFilter filter = wholeDays(begin, end);
    for (int rep = 0; rep < reps; ++rep) {
        const EngineFloor::Run rows
            = run.floor->run(ReportStore::rangeStatement(mode, filter, w.orderField(), w.orderDescending()));
        const EngineFloor::Run kinds
            = run.floor->run(ReportStore::summaryKindStatement(filter, database_access::SKinds_List()));
        run.line(label).floor.add(rows.ms + kinds.ms);
        std::optional<driving::EventLoopTicks> ticks;
        if (!pauseLabel.isEmpty())
            ticks.emplace();
        run.line(label).times.add(timed([&] { click(w.chk_month); }));
        if (ticks)
            run.line(pauseLabel).times.add(ticks->longestGapMs());
        expectNoBoxes(run, boxes, label);
        if (w.DGrid->rows() - 1 != rows.rows)
            run.problems << label
                    + QStringLiteral(": the grid shows %1 rows, the engine found %2")
                          .arg(w.DGrid->rows() - 1)
                          .arg(rows.rows);
    }
}

void playQuerySession(BenchRun &run, check &w, driving::Boxes &boxes, ChartTiming &charts)
{
    click(w.chkrange_3);
    settle();
    const QDate monthStart = QDate(run.lastDay.year(), run.lastDay.month(), 1).addMonths(-1);
    const QDate monthEnd = monthStart.addMonths(1).addDays(-1);
    const int year = run.lastDay.year() - 1;
    const QDate yearStart(year, 1, 1);
    const QDate yearEnd(year, 12, 31);

    rangeQuery(run, w, boxes, labels::monthDetailed, monthStart, monthEnd, true, run.reps);
    QTemporaryDir pdfs;
    for (int rep = 0; rep < run.reps; ++rep) {
        run.line(labels::monthPdf).times.add(timed([&] {
            const std::optional<PrintedReport> report = w.printedReport();
            if (!report
                || ReportOutput::writePdf(*report, pdfs.filePath(QStringLiteral("month.pdf")))
                    != ReportOutput::Outcome::Written)
                run.problems << QStringLiteral("month to PDF: not written");
        }));
    }
    rangeQuery(run, w, boxes, labels::monthSimple, monthStart, monthEnd, false, run.reps);
    rangeQuery(run, w, boxes, labels::yearSimple, yearStart, yearEnd, false, run.reps);
    rangeQuery(run, w, boxes, labels::yearDetailed, yearStart, yearEnd, true, run.reps);
    if (std::optional<PrintedReport> rows = w.printedReport(); rows && !rows->rows.isEmpty()) {
        const QVector<QStringList> yearRows = rows->rows;
        const QStringList marks = rows->marks;
        rows->rows.clear();
        rows->marks.clear();
        for (int i = 0; i < 20000; ++i) {
            rows->rows << yearRows.at(i % yearRows.size());
            rows->marks << marks.value(i % yearRows.size());
        }
        const driving::EventLoopTicks ticks;
        run.line(labels::rowsPdf).times.add(timed([&] {
            ReportOutput::writePdf(*rows, pdfs.filePath(QStringLiteral("rows.pdf")), nullptr, [](int, int) {
                QCoreApplication::processEvents();
                return true;
            });
        }));
        run.line(labels::rowsPdfPause).times.add(ticks.longestGapMs());
    }
    openCharts(run, w, charts, labels::chartYear);
    expectNoBoxes(run, boxes, labels::chartYear);

    // The sort press runs the one-year query again, ordered by amount, alternately up and down.
    const ReportStore::RangeFilter yearFilter = wholeDays(yearStart, yearEnd);
    for (int rep = 0; rep < run.reps; ++rep) {
        const EngineFloor::Run rows = run.floor->run(ReportStore::rangeStatement(
            ReportStore::RangeMode::Detailed, yearFilter, QStringLiteral("a_count"), !w.orderDescending()));
        const EngineFloor::Run kinds
            = run.floor->run(ReportStore::summaryKindStatement(yearFilter, database_access::SKinds_List()));
        run.line(labels::sort).floor.add(rows.ms + kinds.ms);
        run.line(labels::sort).times.add(timed([&] { click(w.cmd_stor_account); }));
        expectNoBoxes(run, boxes, labels::sort);
        if (w.DGrid->rows() - 1 != rows.rows)
            run.problems << QStringLiteral("sort press: the grid lost rows");
    }

    for (int rep = 0; rep < run.reps; ++rep) {
        click(w.chk_year);
        settle();
        w.chkyeartxt->setText(QString::number(year));
        run.line(labels::yearReport).floor.add(run.floor->run(ReportStore::monthSumsStatement(year)).ms);
        run.line(labels::yearReport).times.add(timed([&] { click(w.chk_year_go); }));
        expectNoBoxes(run, boxes, labels::yearReport);
        if (w.DGrid->rows() != 13 || !w.msg_field->text().contains(QStringLiteral("年收入")))
            run.problems << QStringLiteral("year report: no months shown");
    }
    openCharts(run, w, charts, labels::chartMonths);
    expectNoBoxes(run, boxes, labels::chartMonths);

    if (run.wholeReps == 0)
        return;
    rangeQuery(
        run, w, boxes, labels::wholeSimple, run.firstDay, run.lastDay, false, run.wholeReps, labels::wholeSimplePause);
    rangeQuery(run, w, boxes, labels::wholeDetailed, run.firstDay, run.lastDay, true, run.wholeReps,
        labels::wholeDetailedPause);
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    run.peakRssMb = double(usage.ru_maxrss) / 1024.0;
}

// Opens a window from the main menu run.reps times, timing each opening under openLabel, and
// plays the person's session in the first one (when a session is given). The chart window the
// query window opens is timed from the press of 圖表, not from the opening of the query window.
template <typename Window>
void openFromMenu(BenchRun &run, QAbstractButton *opener, const QString &openLabel,
    const std::function<void(Window &, driving::Boxes &, ChartTiming &)> &play)
{
    driving::Boxes boxes;
    QElapsedTimer since;
    bool played = false;
    ChartTiming charts;
    driving::Windows windows(&since, [&](QDialog *dialog, double openMs) {
        if (auto *view = qobject_cast<chart_view *>(dialog)) {
            driveCharts(run, *view, driving::elapsedMs(charts.since), charts);
            return;
        }
        run.line(openLabel).times.add(openMs);
        expectNoBoxes(run, boxes, openLabel);
        auto *w = qobject_cast<Window *>(dialog);
        if (w == nullptr || played || !play)
            return;
        played = true;
        play(*w, boxes, charts);
    });
    for (int rep = 0; rep < run.reps; ++rep) {
        since.start();
        click(opener);
        settle();
    }
}

} // namespace

std::unique_ptr<Form1> startUp(BenchRun &run)
{
    driving::Boxes boxes;
    std::unique_ptr<Form1> menu;
    for (int rep = 0; rep <= run.reps; ++rep) {
        if (menu) {
            menu->close();
            menu.reset();
            settle();
        }
        QElapsedTimer timer;
        timer.start();
        if (!::startUp()) {
            run.problems << QStringLiteral("start-up failed: ") + boxes.take().join(QStringLiteral(" | "));
            return {};
        }
        menu = std::make_unique<Form1>();
        menu->show();
        driving::waitShown(menu.get());
        run.line(rep == 0 ? labels::firstStart : labels::startUp).times.add(driving::elapsedMs(timer));
        expectNoBoxes(run, boxes, labels::startUp);
    }
    driving::waitActive(menu.get());
    return menu;
}

void processStart(BenchRun &run, const QString &program)
{
    if (!QFileInfo(program).isExecutable()) {
        run.problems << QStringLiteral("process start not measured: %1 not found").arg(program);
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Qt's own painting log says when the menu first reaches the screen; the program
    // itself is not changed for this.
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.widgets.painting=true"));
    for (int rep = 0; rep < run.reps; ++rep) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QDir::currentPath());
        process.setReadChannel(QProcess::StandardError);
        QElapsedTimer timer;
        timer.start();
        process.start(program, {});
        QByteArray log;
        bool drawn = false;
        while (!drawn && timer.elapsed() < 10000 && process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(50);
            log += process.readAllStandardError();
            drawn = log.contains("Flushing");
        }
        const double ms = driving::elapsedMs(timer);
        process.kill();
        process.waitForFinished(5000);
        if (!drawn) {
            run.problems << QStringLiteral("process start: the menu was never drawn");
            return;
        }
        run.line(labels::processStart).times.add(ms);
    }
}

void dailyEntry(BenchRun &run, Form1 &menu)
{
    openFromMenu<input_keyin>(run, menu.Input, labels::openEntry,
        [&](input_keyin &w, driving::Boxes &boxes, ChartTiming &) { playEntrySession(run, w, boxes); });
}

void kindManager(BenchRun &run, Form1 &menu)
{
    openFromMenu<QDialog>(run, menu.Command1, labels::openKinds, {});
}

void queries(BenchRun &run, Form1 &menu)
{
    openFromMenu<check>(run, menu.cmd_check, labels::openCheck,
        [&](check &w, driving::Boxes &boxes, ChartTiming &charts) { playQuerySession(run, w, boxes, charts); });
}

void plans(BenchRun &run)
{
    const QDate start = run.lastDay.addYears(-1);
    QVector<RecurringStore::Posting> dealtWith;
    for (int i = 0; i < 100; ++i) {
        using R = Recurrence::Rule;
        const Recurrence when { i % 4 == 0 ? R::Weekly
                : i % 4 == 1               ? R::Yearly
                : i % 4 == 2               ? R::MonthLast
                                           : R::MonthDay,
            i % 4 == 0       ? 1 + i % 7
                : i % 4 == 1 ? 1 + i % 12
                             : 1 + i % 31,
            1 + i % 28, start, {}, 0 };
        RecurringStore::saveItem({ 0, 0, KindStore::kindsByOrder().value(i % 5).id, QStringLiteral("固定 %1").arg(i),
            100.0 + i, {}, when, i % 2 == 0 });
    }
    const QVector<RecurringStore::Occurrence> due = RecurringStore::due(run.lastDay);
    for (qsizetype i = 0; i < due.size() / 2; ++i)
        dealtWith.append({ due.at(i), std::nullopt });
    RecurringStore::post(dealtWith);
    for (int rep = 0; rep < run.reps; ++rep)
        run.line(labels::dueCheck).times.add(timed([&] {
            if (RecurringStore::due(run.lastDay).isEmpty())
                run.problems << QStringLiteral("due check: nothing due");
        }));

    QVector<BudgetStore::Setting> budgets;
    for (const KindStore::Kind &kind : KindStore::kindsByOrder())
        budgets.append({ kind.id, QDate(), Decimal(5000) });
    BudgetStore::set(budgets);
    const int year = run.lastDay.year() - 1;
    for (int rep = 0; rep < run.reps; ++rep)
        run.line(labels::budgetYear).times.add(timed([&] {
            if (BudgetStore::report(year, 0).isEmpty())
                run.problems << QStringLiteral("budget report: no lines");
        }));
}

void invoices(BenchRun &run)
{
    QByteArray text(
        "\xEF\xBB\xBF載具自訂名稱,發票日期,發票號碼,發票金額,發票狀態,折讓,賣方統一編號,賣方名稱,賣方地址,買方統編,"
        "消費明細_數量,消費明細_單價,消費明細_金額,消費明細_品名\n");
    const QDate first(run.lastDay.year() - 1, 1, 1);
    for (int i = 0; i < 1500; ++i) {
        const QByteArray head = QStringLiteral("手機條碼,%1,AB%2,")
                                    .arg(first.addDays(i % 365).toString(QStringLiteral("yyyyMMdd")))
                                    .arg(10000000 + i)
                                    .toUtf8();
        for (int item = 0; item < 4; ++item)
            text += head
                + QStringLiteral("%1,開立已確認,否,%2,範例商店%3股份有限公司,臺北市範例路%3號,,1,%1,%1,品項%4\n")
                      .arg(30 + item * 5)
                      .arg(10000000 + i % 40, 8, 10, QLatin1Char('0'))
                      .arg(i % 40)
                      .arg(item)
                      .toUtf8();
    }
    for (int rep = 0; rep < run.reps; ++rep) {
        QVector<InvoicePreview::Row> rows;
        run.line(labels::invoicesPreview).times.add(timed([&] {
            QString why;
            const std::optional<EInvoice::File> file = EInvoice::read(text, &why);
            if (file)
                rows = InvoicePreview::rows({ *file });
        }));
        if (rows.size() != 1500) {
            run.problems << QStringLiteral("e-invoices: %1 rows previewed, not 1500").arg(rows.size());
            return;
        }
        InvoiceStore::Outcome outcome;
        run.line(labels::invoicesCommit).times.add(timed([&] { outcome = InvoicePreview::bringIn(rows); }));
        if (outcome.keys.size() != 1500)
            run.problems << QStringLiteral("e-invoices: %1 brought in, not 1500").arg(outcome.keys.size());
        InvoiceStore::takeBack(outcome);
    }
}

void importOldLedger(BenchRun &run, const QString &program, const QString &scripts, qint64 entries, const QString &work)
{
    if (!QFileInfo(program).isExecutable()) {
        run.problems << QStringLiteral("import not measured: %1 not found").arg(program);
        return;
    }
    const QString old = QDir(work).filePath(QStringLiteral("old-ledger.mdb"));
    QStringList years;
    for (int year = 2006; year <= 2025; ++year)
        years << QString::number(year);
    QProcess writer;
    writer.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer writing;
    writing.start();
    writer.start(QStringLiteral("python3"),
        { QDir(scripts).filePath(QStringLiteral("ledger_jet.py")), old, QStringLiteral("--entries"),
            QString::number(entries), QStringLiteral("--years"), years.join(QLatin1Char(',')), QStringLiteral("--seed"),
            QStringLiteral("100") });
    if (!writer.waitForFinished(30 * 60 * 1000) || writer.exitStatus() != QProcess::NormalExit
        || writer.exitCode() != 0) {
        run.problems << QStringLiteral("import not measured: the old ledger was not written: %1 %2")
                            .arg(writer.errorString(), QString::fromUtf8(writer.readAll()).trimmed());
        return;
    }
    std::printf("old Access ledger for the import: %lld entries, %.1f MB, written in %.0f s\n",
        static_cast<long long>(entries), double(QFileInfo(old).size()) / (1024.0 * 1024.0),
        driving::elapsedMs(writing) / 1000.0);

    // An import takes seconds; a few runs say enough.
    const int reps = std::min(run.reps, 3);
    for (int rep = 0; rep < reps; ++rep) {
        const QDir folder(QDir(work).filePath(QStringLiteral("import-%1").arg(rep)));
        if (!folder.mkpath(QStringLiteral(".")) || !QFile::copy(old, folder.filePath(QStringLiteral("db1.mdb")))) {
            run.problems << QStringLiteral("import: no folder for run %1").arg(rep + 1);
            return;
        }
        QFile summary(folder.filePath(QStringLiteral("SKinds.txt")));
        if (!summary.open(QIODevice::WriteOnly) || summary.write("1,2\r\n") != 5) {
            run.problems << QStringLiteral("import: SKinds.txt not written");
            return;
        }
        summary.close();

        // As the program runs it: with progress lines, into the old file's folder.
        QProcess importer;
        importer.setWorkingDirectory(folder.path());
        importer.setStandardInputFile(QProcess::nullDevice());
        importer.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        importer.start(
            program, { QStringLiteral("--progress"), folder.filePath(QStringLiteral("db1.mdb")), folder.path() });
        const bool finished = importer.waitForFinished(10 * 60 * 1000);
        const double ms = driving::elapsedMs(timer);
        if (!finished || importer.exitStatus() != QProcess::NormalExit || importer.exitCode() != 0) {
            importer.kill();
            importer.waitForFinished(5000);
            const QStringList said
                = QString::fromUtf8(importer.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
            run.problems << QStringLiteral("import: quillory-import failed: %1").arg(said.last());
            return;
        }
        QFile report(folder.filePath(QStringLiteral("import-report.txt")));
        if (!report.open(QIODevice::ReadOnly) || !report.readLine().startsWith("轉入核對：全部相符")) {
            run.problems << QStringLiteral("import: the report does not say that everything agrees");
            return;
        }
        qint64 brought = -1;
        try {
            database_access::Open_DB(folder.filePath(QStringLiteral("db1.mdb")));
            brought = database_access::Open_Query(QStringLiteral("SELECT count(*) FROM data_main"))
                          .rows()
                          .first()
                          .value(0)
                          .toLongLong();
        } catch (const StoreError &error) {
            run.problems << QStringLiteral("import: the new ledger does not open: %1").arg(error.message());
        }
        database_access::Close_DB();
        if (brought != entries) {
            run.problems << QStringLiteral("import: the new ledger holds %1 entries of %2").arg(brought).arg(entries);
            return;
        }
        run.line(labels::importOld).times.add(ms);
    }
}

} // namespace scenarios
