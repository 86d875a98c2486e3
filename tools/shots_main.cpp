// Draws the program's windows into PNG files for the guide, on a generated ledger whose last
// entries are this month's, so that the pictures follow the windows as they change.
// Run by scripts/screenshots.sh.

#include "LedgerGenerator.h"

#include "app/Form1.h"
#include "app/WindowOpeners.h"
#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "platform/Clock.h"
#include "recurring/DueWindow.h"
#include "recurring/RecurringWindow.h"
#include "reports/BudgetWindow.h"
#include "reports/ChartQuery.h"
#include "reports/chart_view.h"
#include "reports/check.h"
#include "store/BudgetStore.h"
#include "store/KindStore.h"
#include "store/RecurringStore.h"
#include "store/StoreError.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "ui/AppSetup.h"
#include "ui/PushButton.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString folder;

// Shows the window, lets it draw and lay itself out, and writes it as folder/name.png.
bool shoot(QWidget &window, const QString &name)
{
    window.show();
    for (int round = 0; round < 5; ++round)
        QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "quillory-shots: cannot write %s\n", qPrintable(path));
        return false;
    }
    window.hide();
    return true;
}

// A monthly rent, a yearly insurance and a weekly market day, all falling due, and a budget for
// the kinds that have one, so that those windows show what a household keeps in them.
void addPlans(const QDate &today)
{
    const QVector<KindStore::Kind> kinds = KindStore::kindsByOrder();
    const auto item = [&](int kindIndex, const char *content, std::optional<double> amount, Recurrence when) {
        RecurringStore::Item plan;
        plan.inout = 0;
        plan.kind = kinds.value(kindIndex % int(kinds.size())).id;
        plan.content = QString::fromUtf8(content);
        plan.amount = amount;
        plan.when = when;
        RecurringStore::saveItem(plan);
    };
    const QDate start = today.addMonths(-2);
    item(0, "房租", 18000, { Recurrence::Rule::MonthDay, 1, 5, start, {}, 0 });
    item(1, "水電瓦斯", std::nullopt, { Recurrence::Rule::EveryMonths, 2, 1, start, {}, 0 });
    item(2, "市場買菜", 1200, { Recurrence::Rule::Weekly, 6, 1, today.addDays(-14), {}, 0 });
    for (int index = 0; index < std::min<int>(4, int(kinds.size())); ++index)
        BudgetStore::setMonthly(kinds[index].id, Decimal(5000 + 2500 * index));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ui::setupApplication(app);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2 || arguments[1].startsWith(QLatin1Char('-'))) {
        std::fputs("Usage: quillory-shots FOLDER\nDraws the windows into FOLDER/*.png for the guide.\n", stderr);
        return 2;
    }
    folder = QDir(arguments[1]).absolutePath();
    QDir().mkpath(folder);
    QTemporaryDir ledger;
    const QDate today = Clock::today();
    try {
        LedgerGenerator::Settings settings;
        settings.entries = 2400;
        settings.years = 2;
        settings.lastDay = today;
        LedgerGenerator::generate(ledger.path(), settings);
        QDir::setCurrent(ledger.path());
        database_access::Open_DB(QStringLiteral("db1.mdb"));
        database_access::Load_SKinds();
        addPlans(today);
    } catch (const StoreError &error) {
        std::fprintf(stderr, "quillory-shots: %s\n", qPrintable(error.message()));
        return 1;
    }

    bool written = true;
    Form1 menu;
    written &= shoot(menu, QStringLiteral("menu"));
    input_keyin entry(nullptr, windowOpeners());
    written &= shoot(entry, QStringLiteral("entry"));
    mang_kind kinds;
    written &= shoot(kinds, QStringLiteral("kinds"));

    check query(nullptr, windowOpeners());
    query.show();
    query.str_begin->setText(today.addDays(1 - today.day()).toString(QStringLiteral("yyyy/M/d")));
    query.str_end->setText(today.toString(QStringLiteral("yyyy/M/d")));
    query.chk_mon_detail->setChecked(true);
    query.chk_month->click();
    written &= shoot(query, QStringLiteral("query"));
    check year(nullptr, windowOpeners());
    year.show();
    year.chk_year->click();
    year.chkyeartxt->setText(QString::number(today.year()));
    year.chk_year_go->click();
    written &= shoot(year, QStringLiteral("year"));

    chart_view chart(ChartQuery::ofYear(today.year()));
    written &= shoot(chart, QStringLiteral("chart"));
    RecurringWindow recurring;
    written &= shoot(recurring, QStringLiteral("recurring"));
    DueWindow due;
    written &= shoot(due, QStringLiteral("due"));
    BudgetWindow budgets(today);
    written &= shoot(budgets, QStringLiteral("budgets"));

    database_access::Close_DB();
    return written ? 0 : 1;
}
