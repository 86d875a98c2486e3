#include "reports/chart_view.h"

#include "platform/DateText.h"
#include "reports/ChartPages.h"
#include "store/ChartStore.h"
#include "store/KindStore.h"
#include "store/ReadConnection.h"
#include "store/SummaryKinds.h"
#include "ui/BusyWork.h"
#include "ui/FileDialog.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/PushButton.h"
#include "ui/ReportOutput.h"

#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString rangeText(const ReportStore::RangeFilter &range)
{
    return DateText::slashed(range.begin) + QStringLiteral("～") + DateText::slashed(range.end);
}

// The filters of the range query, as the person set them, for the chart's title.
QString filterText(const ReportStore::RangeFilter &range)
{
    QStringList parts;
    if (!range.description.isEmpty())
        parts << QStringLiteral("帳目名稱含「%1」").arg(range.description);
    if (range.kindName)
        parts << QStringLiteral("類別 %1").arg(*range.kindName);
    return parts.isEmpty() ? QString() : QStringLiteral("（") + parts.join(QStringLiteral("，")) + QStringLiteral("）");
}

QSet<QString> summaryKindNames()
{
    QSet<QString> names;
    for (const KindStore::Kind &k : KindStore::kindsInList(database_access::SKinds_List()))
        names.insert(k.name);
    return names;
}

QChart *kindPage(const ReportStore::RangeFilter &range, ChartStore::Direction direction)
{
    const bool expense = direction == ChartStore::Expense;
    const QVector<ChartPages::KindBar> bars
        = ChartPages::rankKinds(ChartStore::kindSums(range, direction), summaryKindNames());
    Decimal total;
    for (const ChartPages::KindBar &bar : bars)
        total += bar.sum;
    const QString word = expense ? QStringLiteral("支出") : QStringLiteral("收入");
    const QString title = word + QStringLiteral("分類　") + rangeText(range) + filterText(range)
        + QStringLiteral("　共 ") + total.text() + QStringLiteral("元");
    return ChartPages::kindChart(title, QStringLiteral("此期間沒有") + word, bars);
}

} // namespace

chart_view::chart_view(const ChartQuery &query, QWidget *parent)
    : QDialog(parent)
    , m_query(query)
{
    setObjectName(QStringLiteral("chart_view"));
    setWindowTitle(QStringLiteral("圖表"));
    resize(960, 660);
    // On a small screen (or a large scale) it opens fitted to the free room, frame included.
    if (const QScreen *shown = screen())
        resize(size().boundedTo(shown->availableGeometry().size() - QSize(8, 32)));

    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    if (m_query.year) {
        addPage(Page::Months, QStringLiteral("各月收支"));
    } else if (m_query.range) {
        addPage(Page::Expense, QStringLiteral("支出分類"));
        addPage(Page::Income, QStringLiteral("收入分類"));
    }
    if (m_query.year || m_query.range)
        addPage(Page::Budget, QStringLiteral("預算與實際"));
    addPage(Page::Years, QStringLiteral("歷年收支"));

    // Each button's accessible name is its caption without the ellipsis.
    const auto button = [this](const QString &caption, const char *name) {
        auto *b = new ui::PushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(QString(caption).remove(QStringLiteral("…")));
        return b;
    };
    cmd_save = button(QStringLiteral("存成圖檔…"), "cmd_save");
    cmd_copy = button(QStringLiteral("複製圖片"), "cmd_copy");
    cmd_print = button(QStringLiteral("列印…"), "cmd_print");
    cmd_pdf = button(QStringLiteral("匯出 PDF…"), "cmd_pdf");
    cmd_close = button(QStringLiteral("關閉"), "cmd_close");

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmd_save);
    buttons->addWidget(cmd_copy);
    buttons->addWidget(cmd_print);
    buttons->addWidget(cmd_pdf);
    buttons->addWidget(cmd_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);

    connect(cmd_save, &QPushButton::clicked, this, &chart_view::cmd_save_Click);
    connect(cmd_copy, &QPushButton::clicked, this, &chart_view::cmd_copy_Click);
    connect(cmd_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmd_print, &QPushButton::clicked, this, [this] {
        if (const std::optional<PrintedReport> report = printedReport())
            ReportOutput::print(this, *report);
    });
    connect(cmd_pdf, &QPushButton::clicked, this, [this] {
        if (const std::optional<PrintedReport> report = printedReport()) {
            const QString name = fileNameFor(m_pages.at(tabs->currentIndex()).page);
            ReportOutput::exportPdf(this, *report, QFileInfo(name).completeBaseName() + QStringLiteral(".pdf"));
        }
    });

    m_work = new ui::BusyWork(this, tabs, QStringLiteral("讀取歷年收支中，請稍候…"));
    ui::connectGuarded(tabs, &QTabWidget::currentChanged, this, [this](int tab) { ensureBuilt(tab); });
    PageSlot &first = m_pages.first();
    if (first.page == Page::Years) {
        // Read once the window is up, so the person sees it working.
        QTimer::singleShot(0, this, [this] { ui::guarded(this, [this] { ensureBuilt(tabs->currentIndex()); }); });
        return;
    }
    // The first page is read now, so a failing statement keeps the window from opening.
    first.view->setChart(buildChart(first.page));
    first.built = true;
}

void chart_view::done(int result)
{
    m_work->giveUp();
    QDialog::done(result);
}

void chart_view::addPage(Page page, const QString &caption)
{
    auto *view = new QChartView;
    view->setRenderHint(QPainter::Antialiasing);
    // Below this size the axis names no longer fit and would be cut; a smaller window (a
    // small screen, a large scale) scrolls the chart instead.
    view->setMinimumSize(640, 440);
    auto *room = new QScrollArea(tabs);
    room->setWidgetResizable(true);
    room->setFrameShape(QFrame::NoFrame);
    room->setWidget(view);
    tabs->addTab(room, caption);
    m_pages.append({ page, view, false });
}

int chart_view::tabOf(Page page) const
{
    for (int i = 0; i < m_pages.size(); ++i) {
        if (m_pages.at(i).page == page)
            return i;
    }
    return -1;
}

QChart *chart_view::buildChart(Page page) const
{
    switch (page) {
    case Page::Months:
        return ChartPages::monthChart(*m_query.year, ChartStore::monthFlows(*m_query.year));
    case Page::Expense:
        return kindPage(*m_query.range, ChartStore::Expense);
    case Page::Income:
        return kindPage(*m_query.range, ChartStore::Income);
    case Page::Budget: {
        // A year report's whole year; a range's first month.
        const int year = m_query.year ? *m_query.year : m_query.range->begin.year();
        const int month = m_query.year ? 0 : m_query.range->begin.month();
        const QString when
            = month == 0 ? QStringLiteral("%1年").arg(year) : DateText::shownYearMonth(QDate(year, month, 1));
        return ChartPages::budgetChart(QStringLiteral("預算與實際　") + when, BudgetStore::report(year, month));
    }
    case Page::Years:
        break;
    }
    QVector<ChartStore::YearFlow> years;
    database_access::Reader reader;
    const bool read = m_work->run([&reader, &years] { reader.run([&years] { years = ChartStore::yearFlows(); }); },
        [&reader] { reader.interrupt(); });
    return read ? ChartPages::yearsChart(years) : nullptr;
}

void chart_view::ensureBuilt(int tab)
{
    if (tab < 0 || tab >= m_pages.size() || m_pages.at(tab).built)
        return;
    PageSlot &slot = m_pages[tab];
    // The years are read once at a time; the other pages are quick and read at once.
    if (slot.page == Page::Years && m_work->running())
        return;
    // Built before it is handed over, so a failing or given-up reading leaves the page to try
    // again when it is shown next.
    QChart *chart = buildChart(slot.page);
    if (chart == nullptr)
        return;
    slot.view->setChart(chart);
    slot.built = true;
}

QChart *chart_view::chartAt(int tab)
{
    if (tab < 0 || tab >= m_pages.size())
        return nullptr;
    if (!ui::guarded(this, [this, tab] { ensureBuilt(tab); }) || !m_pages.at(tab).built)
        return nullptr;
    return m_pages.at(tab).view->chart();
}

QImage chart_view::picture()
{
    const int tab = tabs->currentIndex();
    if (!chartAt(tab))
        return {};
    return m_pages.at(tab).view->grab().toImage();
}

QString chart_view::fileNameFor(Page page) const
{
    switch (page) {
    case Page::Months:
        return QStringLiteral("各月收支-%1.png").arg(*m_query.year);
    case Page::Expense:
    case Page::Income: {
        const QString word = page == Page::Expense ? QStringLiteral("支出分類") : QStringLiteral("收入分類");
        return QStringLiteral("%1-%2-%3.png")
            .arg(word, DateText::iso(m_query.range->begin), DateText::iso(m_query.range->end));
    }
    case Page::Budget:
        return m_query.year ? QStringLiteral("預算與實際-%1.png").arg(*m_query.year)
                            : QStringLiteral("預算與實際-%1.png").arg(DateText::yearMonth(m_query.range->begin));
    case Page::Years:
        break;
    }
    return QStringLiteral("歷年收支.png");
}

void chart_view::cmd_save_Click()
{
    const QImage image = picture();
    if (image.isNull())
        return;
    QString path = ui::askSaveFileName(this, QStringLiteral("存成圖檔"),
        fileNameFor(m_pages.at(tabs->currentIndex()).page), QStringLiteral("PNG 圖檔 (*.png)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(QStringLiteral("png"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".png");
    // Written beside the target and renamed over it, so a failure never leaves half a file
    // where an older picture was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        ui::showMessage(this, QStringLiteral("圖檔無法寫入：%1\n%2").arg(path, file.errorString()));
        return;
    }
}

std::optional<PrintedReport> chart_view::printedReport()
{
    const int tab = tabs->currentIndex();
    QChart *chart = tab >= 0 ? chartAt(tab) : nullptr;
    if (chart == nullptr)
        return std::nullopt;
    PrintedReport report;
    report.title = chart->title().split(QLatin1Char('\n')).first();
    report.folder = QDir::current().dirName();
    report.printed = QDate::currentDate();
    report.landscape = true;
    QChartView *view = m_pages.at(tab).view;
    report.figure = [view](QPainter &painter, const QRectF &area) {
        const QRect source = view->viewport()->rect();
        QSizeF size = source.size();
        size.scale(area.size(), Qt::KeepAspectRatio);
        view->render(&painter, QRectF(area.topLeft(), size), source);
    };
    return report;
}

void chart_view::cmd_copy_Click()
{
    const QImage image = picture();
    if (!image.isNull())
        QGuiApplication::clipboard()->setImage(image);
}
