// The query window and its charts played from the scenarios beside this file.

#include "support/Scenario.h"

#include "reports/chart_view.h"
#include "reports/check.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QClipboard>
#include <QImage>
#include <QLineSeries>

namespace {

QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// chart saved NAME | chart copied | chart TAB title|categories|set NAME|line|series|bars (LABEL VALUE)...
void checkChart(Scenario &s, const QStringList &a)
{
    auto *view = qobject_cast<chart_view *>(s.find(QStringLiteral("window")));
    if (!view)
        return s.fail(QStringLiteral("no chart window"));
    const QString what = a.value(0);
    const QImage picture = view->picture();
    if (what == QLatin1String("saved")) {
        const QImage saved(s.ledger().path(a.value(1)));
        const bool same = saved.convertToFormat(QImage::Format_RGB32) == picture.convertToFormat(QImage::Format_RGB32);
        return s.expectEqual(what, { QString::number(same) }, { QStringLiteral("1") });
    }
    if (what == QLatin1String("copied")) {
        const QSize copied = QApplication::clipboard()->image().size();
        return s.expectEqual(
            what, { QString::number(copied == picture.size() && !copied.isEmpty()) }, { QStringLiteral("1") });
    }
    QChart *chart = view->chartAt(what.toInt());
    if (!chart)
        return s.fail(QStringLiteral("no chart ") + what);
    // What the chart draws, as texts: categories, each bar set's values, the line.
    QStringList categories;
    QMap<QString, QStringList> sets;
    QStringList line;
    for (QAbstractAxis *axis : chart->axes()) {
        if (auto *c = qobject_cast<QBarCategoryAxis *>(axis))
            categories = c->categories();
    }
    for (QAbstractSeries *series : chart->series()) {
        if (auto *bars = qobject_cast<QAbstractBarSeries *>(series)) {
            for (QBarSet *set : bars->barSets()) {
                for (int i = 0; i < set->count(); ++i)
                    sets[set->label()] << number(set->at(i));
            }
        } else if (auto *points = qobject_cast<QLineSeries *>(series)) {
            for (const QPointF &p : points->points())
                line << number(p.y());
        }
    }
    const QString check = a.value(1);
    const QStringList rest = a.mid(2);
    const QMap<QString, QStringList> whole = { { QStringLiteral("title"), { chart->title() } },
        { QStringLiteral("categories"), categories }, { QStringLiteral("line"), line },
        { QStringLiteral("series"), { QString::number(chart->series().size()) } } };
    if (whole.contains(check))
        s.expectEqual(check, whole.value(check), rest);
    else if (check == QLatin1String("set"))
        s.expectEqual(rest.value(0), sets.value(rest.value(0)), rest.mid(1));
    else if (check == QLatin1String("bars")) {
        // Top down: the last category first, each bar the sum of its sets.
        QStringList bars;
        for (qsizetype i = categories.size() - 1; i >= 0; --i) {
            double sum = 0;
            for (const QStringList &set : sets)
                sum += set.value(i).toDouble();
            bars << categories.at(i) << number(sum);
        }
        s.expectEqual(check, bars, rest);
    } else
        s.fail(QStringLiteral("no chart check ") + check);
}

} // namespace

class QueryScenarios : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void play_data() { Scenario::addRows(__FILE__); }
    void play()
    {
        Scenario s;
        s.window(QStringLiteral("query"), [] { return new check(); });
        s.command(QStringLiteral("chart"), checkChart);
        s.run();
    }
};

QUILLORY_TEST_MAIN(QueryScenarios)
#include "check_test.moc"
