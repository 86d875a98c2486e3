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

// What a chart draws, as texts: categories, each bar set's values, the line.
struct Drawn
{
    QStringList categories;
    QMap<QString, QStringList> sets;
    QStringList line;
    int series = 0;
};

Drawn drawnOf(QChart *chart)
{
    Drawn d;
    for (QAbstractAxis *axis : chart->axes()) {
        if (auto *c = qobject_cast<QBarCategoryAxis *>(axis))
            d.categories = c->categories();
    }
    for (QAbstractSeries *s : chart->series()) {
        ++d.series;
        if (auto *bars = qobject_cast<QAbstractBarSeries *>(s)) {
            for (QBarSet *set : bars->barSets()) {
                for (int i = 0; i < set->count(); ++i)
                    d.sets[set->label()] << number(set->at(i));
            }
        } else if (auto *line = qobject_cast<QLineSeries *>(s)) {
            for (const QPointF &p : line->points())
                d.line << number(p.y());
        }
    }
    return d;
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
    const Drawn d = drawnOf(chart);
    const QString check = a.value(1);
    const QStringList rest = a.mid(2);
    const QMap<QString, QStringList> whole
        = { { QStringLiteral("title"), { chart->title() } }, { QStringLiteral("categories"), d.categories },
              { QStringLiteral("line"), d.line }, { QStringLiteral("series"), { QString::number(d.series) } } };
    if (whole.contains(check))
        s.expectEqual(check, whole.value(check), rest);
    else if (check == QLatin1String("set"))
        s.expectEqual(rest.value(0), d.sets.value(rest.value(0)), rest.mid(1));
    else if (check == QLatin1String("bars")) {
        // Top down: the last category first, each bar the sum of its sets.
        QStringList bars;
        for (qsizetype i = d.categories.size() - 1; i >= 0; --i) {
            double sum = 0;
            for (const QStringList &set : d.sets)
                sum += set.value(i).toDouble();
            bars << d.categories.at(i) << number(sum);
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
