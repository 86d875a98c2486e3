// The chart window opened from the query window: every bar and label against sums the test
// works out itself from the entries it wrote, and the picture saved and copied.

#include "reports/QueryWindow.h"

#include "platform/Decimal.h"
#include "reports/chart_view.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "ui/FileDialog.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QLineSeries>
#include <QMap>
#include <QPalette>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>

using namespace querywindow;

namespace {

struct Entry
{
    const char *date;
    QString kind;
    int inout;
    const char *amount;
    QString content;
};

Decimal dec(const char *text)
{
    return Decimal::fromText(QString::fromLatin1(text)).value();
}

// A ledger of the given entries; kinds are made as first named.
class Ledger
{
public:
    explicit Ledger(const QList<Entry> &entries)
        : m_entries(entries)
    {
        qint64 key = 0;
        for (const Entry &e : entries) {
            if (!m_kinds.contains(e.kind))
                m_kinds.insert(e.kind, m_ledger.addKind(e.kind, m_kinds.size() + 1));
            addEntry(m_ledger, QString::fromLatin1(e.date), m_kinds.value(e.kind), e.inout, e.content,
                QString::fromLatin1(e.amount).toDouble(), ++key);
        }
    }
    void setSummaryKinds(const QStringList &names)
    {
        QStringList ids;
        for (const QString &n : names)
            ids << QString::number(m_kinds.value(n));
        m_ledger.writeSKinds(ids.join(QLatin1Char(',')).toLatin1());
    }
    const QList<Entry> &entries() const { return m_entries; }
    TestLedger &ledger() { return m_ledger; }

private:
    TestLedger m_ledger;
    QList<Entry> m_entries;
    QMap<QString, qint64> m_kinds;
};

// What a chart draws, read from its series and axes.
struct Drawn
{
    QString title;
    QStringList categories;
    QMap<QString, QList<double>> sets;
    QList<QPointF> line;
    int seriesCount = 0;
};

Drawn drawnOf(QChart *chart)
{
    Drawn d;
    if (!chart)
        return d;
    d.title = chart->title();
    for (QAbstractAxis *axis : chart->axes()) {
        if (auto *c = qobject_cast<QBarCategoryAxis *>(axis))
            d.categories = c->categories();
    }
    for (QAbstractSeries *s : chart->series()) {
        ++d.seriesCount;
        if (auto *bars = qobject_cast<QAbstractBarSeries *>(s)) {
            for (QBarSet *set : bars->barSets()) {
                QList<double> values;
                for (int i = 0; i < set->count(); ++i)
                    values << set->at(i);
                d.sets.insert(set->label(), values);
            }
        } else if (auto *line = qobject_cast<QLineSeries *>(s)) {
            d.line = line->points();
        }
    }
    return d;
}

QStringList tabCaptions(chart_view *view)
{
    QStringList captions;
    for (int i = 0; i < view->tabs->count(); ++i)
        captions << view->tabs->tabText(i);
    return captions;
}

// Presses 圖表 and hands the chart window to inspect while it is open.
bool openCharts(check &window, const std::function<void(chart_view *)> &inspect)
{
    ModalDriver driver;
    bool seen = false;
    driver.next([&](QDialog *dialog) {
        auto *view = qobject_cast<chart_view *>(dialog);
        if (!view)
            return;
        seen = true;
        inspect(view);
    });
    press(window.cmd_chart);
    return seen && driver.unexpected().isEmpty();
}

void runRange(check &window, const QString &begin, const QString &end)
{
    typeRange(window, begin, end);
    press(window.chk_month);
}

QString yuan(const Decimal &d)
{
    return d.text() + QStringLiteral("元");
}

// A kind bar as the test expects it, top to bottom.
struct Bar
{
    QString label;
    double value;
};

// The bars of a kind chart top down: label and length (both sets added up).
QList<Bar> kindBars(const Drawn &d)
{
    QList<Bar> bars;
    for (qsizetype i = d.categories.size() - 1; i >= 0; --i) {
        double value = 0;
        for (const QList<double> &set : d.sets)
            value += set.at(i);
        bars.append({ d.categories.at(i), value });
    }
    return bars;
}

QString percent(const Decimal &part, const Decimal &total)
{
    return QString::number(part.toDouble() / total.toDouble() * 100.0, 'f', 1) + QLatin1Char('%');
}

} // namespace

class ChartViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void yearReportChartsTheTwelveMonths();
    void rangeQueryChartsKindsLargestFirstWithTheRestAsOthers();
    void rangeChartsFollowTheKindFilterAndShowNegativeSums();
    void anEmptyRangeSaysSoInsteadOfBars();
    void everyYearOfTheLedgerWithGapsAsZero();
    void picturesAreSavedAsPngAndCopied();
    void theButtonSitsInFreeRoomAndIsReachedByTab();
    void aDarkDesktopGetsDarkChartsThatKeepTheirColours();
};

void ChartViewTest::yearReportChartsTheTwelveMonths()
{
    testing::FixedClock clock(QDate(2026, 2, 1));
    Ledger data({
        { "2025-01-05", QStringLiteral("薪資"), 1, "0.1", QStringLiteral("a") },
        { "2025-01-31", QStringLiteral("薪資"), 1, "0.2", QStringLiteral("b") },
        { "2025-01-10", QStringLiteral("餐費"), 0, "100", QStringLiteral("c") },
        { "2025-03-01", QStringLiteral("餐費"), 0, "50.5", QStringLiteral("d") },
        { "2025-03-31", QStringLiteral("餐費"), 0, "-20", QStringLiteral("退款") }, // a refund
        { "2025-12-31", QStringLiteral("薪資"), 1, "1000", QStringLiteral("e") },
        { "2025-12-31", QStringLiteral("餐費"), 0, "0.3", QStringLiteral("f") },
        { "2024-12-31", QStringLiteral("餐費"), 0, "999", QStringLiteral("g") }, // other years
        { "2026-01-01", QStringLiteral("薪資"), 1, "999", QStringLiteral("h") },
    });
    Decimal income[12];
    Decimal expense[12];
    for (const Entry &e : data.entries()) {
        const QDate day = QDate::fromString(QString::fromLatin1(e.date), Qt::ISODate);
        if (day.year() == 2025)
            (e.inout == 1 ? income : expense)[day.month() - 1] += dec(e.amount);
    }

    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    // The year report, and so its chart, ignores the range query's filters.
    retype(window.account_name, QStringLiteral("沒有這個"));
    runYear(window, QStringLiteral("2025"));
    QVERIFY(openCharts(window, [&](chart_view *view) {
        QCOMPARE(tabCaptions(view),
            QStringList({ QStringLiteral("各月收支"), QStringLiteral("預算與實際"), QStringLiteral("歷年收支") }));
        QCOMPARE(view->tabOf(chart_view::Page::Months), 0);
        const Drawn d = drawnOf(view->chartAt(0));
        QCOMPARE(d.categories.size(), 12);
        QCOMPARE(d.categories.first(), QStringLiteral("1月"));
        QCOMPARE(d.categories.last(), QStringLiteral("12月"));
        QCOMPARE(d.line.size(), 12);
        Decimal yearIncome;
        Decimal yearExpense;
        for (int m = 0; m < 12; ++m) {
            QCOMPARE(d.sets.value(QStringLiteral("收入")).at(m), income[m].toDouble());
            QCOMPARE(d.sets.value(QStringLiteral("支出")).at(m), expense[m].toDouble());
            QCOMPARE(d.line.at(m), QPointF(m, (income[m] - expense[m]).toDouble()));
            yearIncome += income[m];
            yearExpense += expense[m];
        }
        QCOMPARE(d.sets.value(QStringLiteral("收入")).at(1), 0.0); // February has no entries
        QCOMPARE(d.title,
            QStringLiteral("2025年各月收支　收入 %1　支出 %2　結餘 %3")
                .arg(yuan(yearIncome), yuan(yearExpense), yuan(yearIncome - yearExpense)));
        QCOMPARE(yuan(yearIncome), QStringLiteral("1000.3元"));
        QCOMPARE(yuan(yearExpense - yearIncome), QStringLiteral("-869.5元"));
    }));
    QVERIFY(boxes.texts().isEmpty());
}

void ChartViewTest::rangeQueryChartsKindsLargestFirstWithTheRestAsOthers()
{
    testing::FixedClock clock(QDate(2026, 2, 1));
    QList<Entry> entries;
    // Fourteen kinds; kind i spends i × 100 + 0.3 in two entries, all with 餐 in the text.
    static QList<QByteArray> amounts;
    for (int i = 1; i <= 14; ++i) {
        const QString kind = QStringLiteral("K%1").arg(i, 2, 10, QLatin1Char('0'));
        amounts << QByteArray::number(i * 100) + ".1";
        entries.append({ "2025-05-10", kind, 0, amounts.last().constData(), QStringLiteral("午餐") });
        entries.append({ "2025-05-20", kind, 0, "0.2", QStringLiteral("早餐") });
    }
    entries.append({ "2025-05-31", QStringLiteral("K05"), 0, "-700", QStringLiteral("餐券退款") }); // K05 below zero
    entries.append({ "2025-05-15", QStringLiteral("K13"), 0, "5000", QStringLiteral("電影") }); // not 餐
    entries.append({ "2025-04-30", QStringLiteral("K01"), 0, "99999", QStringLiteral("晚餐") }); // before the range
    entries.append({ "2025-05-01", QStringLiteral("K01"), 1, "30000", QStringLiteral("餐費補助") });
    entries.append({ "2025-05-02", QStringLiteral("K02"), 1, "0.1", QStringLiteral("餐") });
    entries.append({ "2025-05-03", QStringLiteral("K02"), 1, "0.2", QStringLiteral("餐") });
    Ledger data(entries);
    data.setSummaryKinds({ QStringLiteral("K14"), QStringLiteral("K03"), QStringLiteral("K01") });

    // Expected, from the entries: in May, with 餐 in the text, by kind, largest first.
    auto expected = [&](int inout) {
        QMap<QString, Decimal> sums;
        for (const Entry &e : data.entries()) {
            const QString date = QString::fromLatin1(e.date);
            if (e.inout == inout && date >= QStringLiteral("2025-05-01") && date <= QStringLiteral("2025-05-31")
                && e.content.contains(QStringLiteral("餐")))
                sums[e.kind] += dec(e.amount);
        }
        QList<std::pair<QString, Decimal>> sorted(sums.keyValueBegin(), sums.keyValueEnd());
        std::stable_sort(
            sorted.begin(), sorted.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
        return sorted;
    };

    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    retype(window.account_name, QStringLiteral("餐"));
    runRange(window, QStringLiteral("2025/05/01"), QStringLiteral("2025/05/31"));
    QVERIFY(openCharts(window, [&](chart_view *view) {
        QCOMPARE(tabCaptions(view),
            QStringList({ QStringLiteral("支出分類"), QStringLiteral("收入分類"), QStringLiteral("預算與實際"),
                QStringLiteral("歷年收支") }));

        const auto kinds = expected(0);
        QCOMPARE(kinds.size(), 14);
        Decimal total;
        for (const auto &k : kinds)
            total += k.second;
        QCOMPARE(total.text(), QStringLiteral("9804.2"));
        const Drawn d = drawnOf(view->chartAt(view->tabOf(chart_view::Page::Expense)));
        QVERIFY2(d.title.contains(QStringLiteral("2025/05/01～2025/05/31")), qPrintable(d.title));
        QVERIFY2(d.title.contains(QStringLiteral("「餐」")), qPrintable(d.title));
        QVERIFY2(d.title.endsWith(QStringLiteral("共 9804.2元")), qPrintable(d.title));
        const QList<Bar> bars = kindBars(d);
        QCOMPARE(bars.size(), 12);
        // Named: the summary kinds, wherever they rank, and the largest others up to eleven
        // bars, largest first; the rest as one bar, last.
        const QStringList summary = { QStringLiteral("K14"), QStringLiteral("K03"), QStringLiteral("K01") };
        QList<std::pair<QString, Decimal>> named;
        Decimal rest;
        int others = 0;
        int plainRoom = 11 - int(summary.size());
        for (const auto &k : kinds) {
            if (summary.contains(k.first)) {
                named.append(k);
            } else if (plainRoom > 0) {
                named.append(k);
                --plainRoom;
            } else {
                rest += k.second;
                ++others;
            }
        }
        QCOMPARE(named.size(), 11);
        for (int i = 0; i < 11; ++i) {
            const auto &[name, sum] = named.at(i);
            const QString mark = summary.contains(name) ? QStringLiteral("★") : QString();
            QCOMPARE(bars.at(i).label,
                mark + name + QStringLiteral("  ") + yuan(sum) + QStringLiteral("  ") + percent(sum, total));
            QCOMPARE(bars.at(i).value, sum.toDouble());
        }
        QCOMPARE(bars.first().label, QStringLiteral("★K14  1400.3元  14.3%"));
        QCOMPARE(bars.at(10).label, QStringLiteral("★K01  100.3元  1.0%")); // the smallest but one, kept
        // K04, K02 and K05 (below zero) as one bar.
        QCOMPARE(others, 3);
        QCOMPARE(bars.at(11).label,
            QStringLiteral("其他（3 類）  ") + yuan(rest) + QStringLiteral("  ") + percent(rest, total));
        QCOMPARE(rest.text(), QStringLiteral("400.9"));
        QCOMPARE(bars.at(11).value, rest.toDouble());
        // Summary kinds are drawn in a set of their own.
        const QList<double> marked = d.sets.value(QStringLiteral("★ 結算分類"));
        QCOMPARE(marked.size(), 12);
        QCOMPARE(marked.last(), kinds.at(0).second.toDouble()); // the top bar is the last category
        QCOMPARE(d.sets.value(QStringLiteral("一般分類")).last(), 0.0);

        const auto incomeKinds = expected(1);
        const Drawn in = drawnOf(view->chartAt(view->tabOf(chart_view::Page::Income)));
        const QList<Bar> incomeBars = kindBars(in);
        QCOMPARE(incomeBars.size(), 2);
        QCOMPARE(incomeBars.at(0).label, QStringLiteral("★K01  30000元  100.0%"));
        QCOMPARE(incomeBars.at(0).value, 30000.0);
        QCOMPARE(incomeBars.at(1).label, QStringLiteral("K02  0.3元  0.0%"));
        QCOMPARE(incomeBars.at(1).value, incomeKinds.at(1).second.toDouble());
        QVERIFY(in.title.endsWith(QStringLiteral("共 30000.3元")));
    }));
    QVERIFY(boxes.texts().isEmpty());
}

void ChartViewTest::rangeChartsFollowTheKindFilterAndShowNegativeSums()
{
    testing::FixedClock clock(QDate(2026, 2, 1));
    Ledger data({
        { "2025-05-10", QStringLiteral("餐費"), 0, "120", QStringLiteral("午餐") },
        { "2025-05-11", QStringLiteral("退款"), 0, "-30.5", QStringLiteral("退貨") },
        { "2025-05-12", QStringLiteral("退款"), 0, "-0.25", QStringLiteral("退貨") },
        { "2025-05-12", QStringLiteral("退款"), 0, "0", QStringLiteral("退貨") },
    });
    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    QVERIFY(chooseKind(window, QStringLiteral("退款")));
    // Entry by entry or summed per day, the range and its filters are the same, and so are
    // the charts.
    for (QRadioButton *mode : { window.chk_mon_easy, window.chk_mon_detail }) {
        press(mode);
        runRange(window, QStringLiteral("2025/05/01"), QStringLiteral("2025/05/31"));
        QCOMPARE(window.DGrid->rows() - 1, mode == window.chk_mon_easy ? 2 : 3); // days or entries
        QVERIFY(openCharts(window, [&](chart_view *view) {
            const Drawn d = drawnOf(view->chartAt(0));
            // A total below zero has no shares.
            const QList<Bar> bars = kindBars(d);
            QCOMPARE(bars.size(), 1);
            QCOMPARE(bars.at(0).label, QStringLiteral("退款  -30.75元"));
            QCOMPARE(bars.at(0).value, -30.75);
            QVERIFY2(d.title.contains(QStringLiteral("類別 退款")), qPrintable(d.title));
        }));
    }
}

void ChartViewTest::anEmptyRangeSaysSoInsteadOfBars()
{
    testing::FixedClock clock(QDate(2026, 2, 1));
    Ledger data({ { "2025-05-10", QStringLiteral("餐費"), 0, "120", QStringLiteral("午餐") } });
    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    runRange(window, QStringLiteral("2025/06/01"), QStringLiteral("2025/06/30"));
    QVERIFY(openCharts(window, [&](chart_view *view) {
        const Drawn out = drawnOf(view->chartAt(0));
        QCOMPARE(out.seriesCount, 0);
        QVERIFY2(out.title.contains(QStringLiteral("此期間沒有支出")), qPrintable(out.title));
        const Drawn in = drawnOf(view->chartAt(1));
        QCOMPARE(in.seriesCount, 0);
        QVERIFY2(in.title.contains(QStringLiteral("此期間沒有收入")), qPrintable(in.title));
        QVERIFY(!view->picture().isNull());
    }));
    QVERIFY(boxes.texts().isEmpty());
}

void ChartViewTest::everyYearOfTheLedgerWithGapsAsZero()
{
    testing::FixedClock clock(QDate(2026, 2, 1));
    Ledger data({
        { "2022-03-01", QStringLiteral("薪資"), 1, "500.5", QStringLiteral("a") },
        { "2022-12-31", QStringLiteral("餐費"), 0, "0.7", QStringLiteral("b") },
        { "2024-01-01", QStringLiteral("餐費"), 0, "800", QStringLiteral("c") },
        { "2024-07-01", QStringLiteral("餐費"), 0, "-100", QStringLiteral("d") },
        { "2025-02-02", QStringLiteral("薪資"), 1, "0.1", QStringLiteral("e") },
        { "2025-02-03", QStringLiteral("薪資"), 1, "0.2", QStringLiteral("f") },
    });
    QMap<int, std::pair<Decimal, Decimal>> years;
    for (int y = 2022; y <= 2025; ++y)
        years[y];
    for (const Entry &e : data.entries()) {
        auto &flow = years[QString::fromLatin1(e.date).left(4).toInt()];
        (e.inout == 1 ? flow.first : flow.second) += dec(e.amount);
    }

    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    // Before any query only the years are there.
    QVERIFY(openCharts(window, [&](chart_view *view) {
        QCOMPARE(tabCaptions(view), QStringList({ QStringLiteral("歷年收支") }));
        const Drawn d = drawnOf(view->chartAt(0));
        QCOMPARE(d.categories,
            QStringList(
                { QStringLiteral("2022"), QStringLiteral("2023"), QStringLiteral("2024"), QStringLiteral("2025") }));
        QCOMPARE(d.title, QStringLiteral("歷年收支　2022～2025年"));
        int i = 0;
        for (auto it = years.cbegin(); it != years.cend(); ++it, ++i) {
            QCOMPARE(d.sets.value(QStringLiteral("收入")).at(i), it->first.toDouble());
            QCOMPARE(d.sets.value(QStringLiteral("支出")).at(i), it->second.toDouble());
            QCOMPARE(d.sets.value(QStringLiteral("結餘")).at(i), (it->first - it->second).toDouble());
        }
        QCOMPARE(d.sets.value(QStringLiteral("結餘")).at(1), 0.0);
        QCOMPARE(d.sets.value(QStringLiteral("結餘")).at(2), -700.0);
    }));
    // After a query the years are the last tab, read when it is first shown.
    runRange(window, QStringLiteral("2024/01/01"), QStringLiteral("2024/12/31"));
    QVERIFY(openCharts(window, [&](chart_view *view) {
        const int tab = view->tabOf(chart_view::Page::Years);
        QCOMPARE(tab, 3);
        view->tabs->setCurrentIndex(tab);
        QCOMPARE(drawnOf(view->chartAt(tab)).categories.size(), 4);
    }));
    QVERIFY(boxes.texts().isEmpty());
}

void ChartViewTest::picturesAreSavedAsPngAndCopied()
{
    testing::FixedClock clock(QDate(2026, 2, 1));
    Ledger data({ { "2025-05-10", QStringLiteral("餐費"), 0, "120", QStringLiteral("午餐") } });
    QTemporaryDir out;
    ScriptedBoxes boxes;
    check window;
    QVERIFY(open(window));
    runYear(window, QStringLiteral("2025"));
    QStringList suggested;
    QString answer = out.filePath(QStringLiteral("二〇二五"));
    ui::setSaveFileHook([&](const QString &proposed) {
        suggested << QFileInfo(proposed).fileName();
        return answer;
    });
    QVERIFY(openCharts(window, [&](chart_view *view) {
        const QImage shown = view->picture();
        QVERIFY(!shown.isNull());
        press(view->cmd_save);
        // The name gets its .png.
        const QImage saved(out.filePath(QStringLiteral("二〇二五.png")));
        QCOMPARE(saved.size(), shown.size());
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), shown.convertToFormat(QImage::Format_RGB32));

        // A folder that is not there: told, nothing written.
        answer = out.filePath(QStringLiteral("沒有/圖.png"));
        press(view->cmd_save);
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY2(boxes.texts().first().startsWith(QStringLiteral("圖檔無法寫入：") + answer),
            qPrintable(boxes.texts().first()));

        // Cancelling writes nothing and says nothing.
        answer.clear();
        press(view->cmd_save);
        QCOMPARE(boxes.texts().size(), 1);

        QApplication::clipboard()->clear();
        press(view->cmd_copy);
        QCOMPARE(QApplication::clipboard()->image().size(), shown.size());

        press(view->cmd_close);
        QVERIFY(!view->isVisible());
    }));
    ui::setSaveFileHook({});
    QCOMPARE(suggested,
        QStringList({ QStringLiteral("各月收支-2025.png"), QStringLiteral("各月收支-2025.png"),
            QStringLiteral("各月收支-2025.png") }));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList({ QStringLiteral("二〇二五.png") }));
}

void ChartViewTest::theButtonSitsInFreeRoomAndIsReachedByTab()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2024, 6, 10));
    check window;
    QVERIFY(open(window));
    QCOMPARE(window.cmd_chart->text(), QStringLiteral("圖表"));
    // It overlaps no other control in either view.
    auto overlaps = [&] {
        QStringList hit;
        const QRect mine = window.cmd_chart->geometry();
        for (QWidget *w : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (w != window.cmd_chart && w->isVisible() && w->geometry().intersects(mine))
                hit << w->objectName();
        }
        return hit;
    };
    QCOMPARE(overlaps(), QStringList());
    press(window.chk_year);
    retype(window.chkyeartxt, QStringLiteral("2020"));
    press(window.chk_year_go);
    QVERIFY(window.DGrid->isVisible());
    QCOMPARE(overlaps(), QStringList());

    window.chk_year->setFocus();
    QTest::keyClick(window.chk_year, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.cmd_chart);
    ModalDriver driver;
    driver.next([](QDialog *) {});
    QTest::keyClick(window.cmd_chart, Qt::Key_Space);
    QCOMPARE(driver.shown(), QStringList({ QStringLiteral("chart_view") }));
}

void ChartViewTest::aDarkDesktopGetsDarkChartsThatKeepTheirColours()
{
    testing::FixedClock clock(QDate(2026, 2, 1));
    Ledger data({
        { "2025-05-10", QStringLiteral("餐費"), 0, "120", QStringLiteral("午餐") },
        { "2025-05-11", QStringLiteral("薪資"), 1, "900", QStringLiteral("五月") },
    });
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Window, QColor(49, 54, 59));
    dark.setColor(QPalette::WindowText, QColor(239, 240, 241));
    dark.setColor(QPalette::Base, QColor(35, 38, 41));
    dark.setColor(QPalette::Text, QColor(239, 240, 241));

    QMap<QString, QColor> lightColours;
    for (const QPalette &palette : { before, dark }) {
        QApplication::setPalette(palette);
        ScriptedBoxes boxes;
        check window;
        QVERIFY(open(window));
        runYear(window, QStringLiteral("2025"));
        QVERIFY(openCharts(window, [&](chart_view *view) {
            QChart *chart = view->chartAt(0);
            QVERIFY(chart);
            const bool isDark = palette.color(QPalette::Window).lightness() < 128;
            QCOMPARE(chart->theme(), isDark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
            // Income and expense keep their own colours in either face.
            for (QAbstractSeries *s : chart->series()) {
                if (auto *bars = qobject_cast<QAbstractBarSeries *>(s)) {
                    for (QBarSet *set : bars->barSets()) {
                        if (isDark)
                            QCOMPARE(set->color(), lightColours.value(set->label()));
                        else
                            lightColours.insert(set->label(), set->color());
                    }
                }
            }
        }));
    }
    QApplication::setPalette(before);
    QCOMPARE(lightColours.size(), 2);
    QVERIFY(lightColours.value(QStringLiteral("收入")) != lightColours.value(QStringLiteral("支出")));
}

QUILLORY_TEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
