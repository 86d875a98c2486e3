// Reports written to PDF from the windows' menus, read back with poppler's tools: the text a
// reader extracts, the fonts, the pages.

#include "reports/QueryWindow.h"

#include "entry/input_keyin.h"
#include "platform/DateText.h"
#include "reports/chart_view.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "ui/FileDialog.h"
#include "ui/PrintedReport.h"
#include "ui/ReportOutput.h"

#include <QAction>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace querywindow;

namespace {

QString run(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The PDF's text layer, page by page, as laid out.
QStringList pagesOf(const QString &pdf)
{
    QStringList pages = run(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") })
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// Presses the menu's item (匯出 PDF… unless named) on the grid, answering the file dialog with
// path; the boxes shown, then the name proposed.
QStringList exportFrom(DGrid *grid, const QString &path, const QString &item = QStringLiteral("匯出 PDF…"))
{
    ScriptedBoxes boxes;
    QString proposed;
    ui::setSaveFileHook([&](const QString &offered) {
        proposed = offered;
        return path;
    });
    for (QAction *action : grid->findChildren<QAction *>()) {
        if (action->text() == item)
            action->trigger();
    }
    ui::setSaveFileHook({});
    return boxes.texts() << QFileInfo(proposed).fileName();
}

// Every font embedded, and no character of the radical blocks a wrong face writes instead of
// 支 月 日 金.
void checkTextLayer(const QString &pdf, const QStringList &pages)
{
    const QStringList fonts = run(QStringLiteral("pdffonts"), { pdf }).split(QLatin1Char('\n')).mid(2);
    QVERIFY(!fonts.filter(QRegularExpression(QStringLiteral("\\S"))).isEmpty());
    for (const QString &font : fonts.filter(QRegularExpression(QStringLiteral("\\S"))))
        QVERIFY2(font.contains(QRegularExpression(QStringLiteral("\\byes\\s+(yes|no)\\s+(yes|no)\\s+\\d+"))),
            qPrintable(font));
    static const QRegularExpression radicals(QStringLiteral("[\\x{2E80}-\\x{2FDF}]"));
    QVERIFY(!pages.join(QString()).contains(radicals));
}

} // namespace

class PrintReportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aLongRangeResultOnPagesAReaderCanSearch();
    void theYearReportAndADay();
    void aFailedOrStoppedWriteLeavesNoFile();
};

void PrintReportTest::aLongRangeResultOnPagesAReaderCanSearch()
{
    testing::FixedClock clock(QDate(2025, 12, 31));
    TestLedger ledger;
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    const qint64 pay = ledger.addKind(QStringLiteral("薪資"), 2);
    // Each row as its line must read: the mark, the date, kind and direction, the description
    // and the grouped amount, on one line.
    QList<QRegularExpression> rows;
    for (int i = 1; i <= 500; ++i) {
        const QDate day = QDate(2025, 1, 1).addDays(i % 365);
        const bool isIncome = i % 50 == 0;
        addEntry(ledger, DateText::iso(day), isIncome ? pay : food, isIncome, QStringLiteral("項目%1").arg(i),
            1000 + i + 0.5, i);
        const QString mark = isIncome  ? QStringLiteral("收入")
            : DateText::isWeekend(day) ? QStringLiteral("週末")
                                       : QString();
        rows << QRegularExpression(
            QStringLiteral("^ *%1 *%2\\(.\\) +\\S+ +\\S+ +項目%3 +%4 *$")
                .arg(mark, QRegularExpression::escape(DateText::slashed(day)))
                .arg(i)
                .arg(QRegularExpression::escape(PrintedReport::amountText(QStringLiteral("%1.5").arg(1000 + i)))),
            QRegularExpression::MultilineOption);
    }
    check window;
    QVERIFY(open(window));
    runRange(window, QStringLiteral("2025/1/1"), QStringLiteral("2025/12/31"), true);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("range.pdf"));
    const QStringList said = exportFrom(window.DGrid, pdf);
    QCOMPARE(said.last(), QStringLiteral("查詢-2025-01-01-2025-12-31.pdf"));
    QVERIFY2(said.first().startsWith(QStringLiteral("已匯出到")), qPrintable(said.join('|')));

    const QStringList pages = pagesOf(pdf);
    QVERIFY(pages.size() > 5);
    QVERIFY(run(QStringLiteral("pdfinfo"), { pdf })
                .contains(QRegularExpression(QStringLiteral("Pages: +%1\\n").arg(pages.size()))));
    for (int p = 0; p < pages.size(); ++p) {
        QVERIFY(pages.at(p).contains(QStringLiteral("查詢 2025/01/01～2025/12/31（明細）")));
        QVERIFY(pages.at(p).contains(QRegularExpression(QStringLiteral("日期\\s+種類\\s+收支\\s+帳目名\\s+帳目"))));
        QVERIFY(pages.at(p).contains(QStringLiteral("第 %1 頁／共 %2 頁").arg(p + 1).arg(pages.size())));
    }
    const QString text = pages.join(QString());
    for (const QRegularExpression &row : rows)
        QVERIFY2(text.contains(row), qPrintable(row.pattern()));
    const auto words
        = [](QString t) { return t.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")); };
    for (const QString &line : window.msg_field->text().split(QLatin1Char('\n')))
        QVERIFY2(words(pages.last()).contains(words(line).trimmed()), qPrintable(line));
    checkTextLayer(pdf, pages);

    // Summed per day, the day's sum is the amount printed.
    runRange(window, QStringLiteral("2025/1/1"), QStringLiteral("2025/12/31"), false);
    const QString simple = dir.filePath(QStringLiteral("simple.pdf"));
    exportFrom(window.DGrid, simple);
    const QString days = pagesOf(simple).join(QString());
    QVERIFY(days.contains(QStringLiteral("查詢 2025/01/01～2025/12/31（每日合計）")));
    QVERIFY(days.contains(QRegularExpression(QStringLiteral("2025/01/02\\(四\\) +支出 +2,368\\s"))));
}

void PrintReportTest::theYearReportAndADay()
{
    testing::FixedClock clock(QDate(2025, 12, 31));
    TestLedger ledger;
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    addEntry(ledger, QStringLiteral("2025-05-01"), food, 0, QStringLiteral("金門高粱"), 1234.5, 1);
    addEntry(ledger, QStringLiteral("2025-05-01"), food, 1, QStringLiteral("月薪"), 56000, 2);
    QTemporaryDir dir;
    {
        check window;
        QVERIFY(open(window));
        runYear(window, QStringLiteral("2025"));
        const QString pdf = dir.filePath(QStringLiteral("year.pdf"));
        QCOMPARE(exportFrom(window.DGrid, pdf).last(), QStringLiteral("年報-2025.pdf"));
        const QStringList pages = pagesOf(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages.first().contains(QStringLiteral("2025 年各月收支")));
        QVERIFY(
            pages.first().contains(QRegularExpression(QStringLiteral("2025/05\\s+56,000\\s+1,234.50\\s+54,765.50"))));
        QVERIFY(pages.first().contains(QRegularExpression(QStringLiteral("年支出: +1234.5 元"))));
        checkTextLayer(pdf, pages);

        // Its chart on a page of its own, the chart's words still text.
        const QString chartPdf = dir.filePath(QStringLiteral("chart.pdf"));
        ModalDriver driver;
        QStringList said;
        driver.next([&](QDialog *dialog) {
            ui::setSaveFileHook([&](const QString &offered) {
                said << QFileInfo(offered).fileName();
                return chartPdf;
            });
            testing::click(qobject_cast<chart_view *>(dialog)->cmd_pdf);
            ui::setSaveFileHook({});
        });
        ScriptedBoxes boxes;
        press(window.cmd_chart);
        QCOMPARE(said, QStringList { QStringLiteral("各月收支-2025.pdf") });
        const QStringList chart = pagesOf(chartPdf);
        QCOMPARE(chart.size(), 1);
        for (const QString &word : { QStringLiteral("2025年各月收支"), QStringLiteral("12月"), QStringLiteral("支出") })
            QVERIFY2(chart.first().contains(word), qPrintable(word));
        checkTextLayer(chartPdf, chart);
    }
    input_keyin entry;
    testing::showActive(&entry);
    entry.showEntry(QDate(2025, 5, 1), 0);
    const QString pdf = dir.filePath(QStringLiteral("day.pdf"));
    QCOMPARE(exportFrom(entry.DGrid, pdf).last(), QStringLiteral("2025-05-01.pdf"));
    const QStringList pages = pagesOf(pdf);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages.first().contains(QStringLiteral("2025/5/1 (四) 的帳目")));
    QVERIFY(pages.first().contains(
        QRegularExpression(QStringLiteral("收入\\s+2025/5/1\\s+餐費\\s+收入\\s+月薪\\s+56,000"))));
    QVERIFY(pages.first().contains(QStringLiteral("今天支出 1234.5元")));
    checkTextLayer(pdf, pages);

    // The whole month of the day, with its sums.
    const QString month = dir.filePath(QStringLiteral("month.pdf"));
    QCOMPARE(exportFrom(entry.DGrid, month, QStringLiteral("匯出本月 PDF…")).last(), QStringLiteral("2025-05.pdf"));
    const QStringList monthPages = pagesOf(month);
    QCOMPARE(monthPages.size(), 1);
    QVERIFY(monthPages.first().contains(QStringLiteral("2025/05 的帳目")));
    QVERIFY(monthPages.first().contains(
        QRegularExpression(QStringLiteral("2025/5/1 \\(四\\) +餐費 +支出 +金門高粱 +1,234.50"))));
    QVERIFY(monthPages.first().contains(
        QRegularExpression(QStringLiteral("本月收入 56000元\\s+本月支出 1234.5元\\s+結餘 54765.5元"))));

    // Ctrl+P opens the print preview of the same page.
    ModalDriver driver;
    int previewPages = 0;
    driver.next([&](QDialog *dialog) {
        auto *preview = dialog->findChild<QPrintPreviewWidget *>();
        QVERIFY(preview != nullptr);
        preview->updatePreview();
        previewPages = preview->pageCount();
    });
    entry.DGrid->setFocus();
    QTest::keyClick(entry.DGrid, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(driver.shown().size(), 1);
    QCOMPARE(previewPages, 1);
}

void PrintReportTest::aFailedOrStoppedWriteLeavesNoFile()
{
    PrintedReport report;
    report.title = QStringLiteral("報表");
    report.headers = { QStringLiteral("日期"), QStringLiteral("金額") };
    report.widths = { 1, 1 };
    report.rows = QVector<QStringList>(3000, { QStringLiteral("2025/1/1"), QStringLiteral("1") });
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("kept.pdf"));
    QFile old(kept);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older file");
    old.close();
    // Stopped at the third page: the older file stays as it was, nothing beside it.
    QCOMPARE(ReportOutput::writePdf(report, kept, nullptr, [](int page, int) { return page < 2; }),
        ReportOutput::Outcome::Cancelled);
    QString why;
    QCOMPARE(ReportOutput::writePdf(report, dir.filePath(QStringLiteral("no/such/folder.pdf")), &why),
        ReportOutput::Outcome::Failed);
    QVERIFY(!why.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("kept.pdf") });
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("an older file"));
}

QUILLORY_TEST_MAIN(PrintReportTest)
#include "print_report_test.moc"
