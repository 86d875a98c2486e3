// Rows read in a dark theme: every coloured row keeps its colour and gets text that stands out
// from it, and rows left white take the theme's base colour.

#include "reports/QueryWindow.h"
#include "ui/Readable.h"

#include <QPalette>

using namespace querywindow;

namespace {

QPalette darkPalette()
{
    QPalette p;
    const QColor window(53, 53, 53);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

// Every data cell reads; returns the colours the rows were drawn on, white rows as "white".
QSet<QRgb> checkRows(const DGrid *grid, const char *what)
{
    QSet<QRgb> seen;
    for (int r = grid->fixedRows(); r < grid->rows(); ++r) {
        const QColor set = grid->backgroundAt(r, 0);
        for (int c = 0; c < grid->cols(); ++c) {
            // Drawn with its own colours, or the grid's palette where it has none.
            const QModelIndex index = grid->model()->index(r - grid->fixedRows(), c);
            const QVariant ownBackground = index.data(Qt::BackgroundRole);
            const QVariant ownText = index.data(Qt::ForegroundRole);
            const QColor background
                = ownBackground.isValid() ? ownBackground.value<QColor>() : grid->palette().color(QPalette::Base);
            const double ratio = ui::contrastRatio(
                background, ownText.isValid() ? ownText.value<QColor>() : grid->palette().color(QPalette::Text));
            // Rows left white follow the theme; the others keep their colour.
            const QColor wanted = set == white ? grid->palette().color(QPalette::Base) : set;
            if (ratio < ui::readableContrast || (wanted.isValid() && background != wanted)) {
                qWarning("%s row %d col %d: contrast %.2f on %s", what, r, c, ratio, qPrintable(background.name()));
                return {};
            }
        }
        seen.insert(set.rgb());
    }
    return seen;
}

} // namespace

class ReadableRowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The light theme's row colours are the scenarios' checks; here the dark one.
    void everyRowColourReadsInADarkTheme()
    {
        QApplication::setPalette(darkPalette());
        TestLedger ledger;
        testing::FixedClock clock(QDate(2024, 6, 10));
        const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
        const qint64 salary = ledger.addKind(QStringLiteral("薪資"), 2);
        // A Friday, a Saturday expense, a Sunday income, a Monday income.
        addEntry(ledger, QStringLiteral("2024-05-03"), food, 0, QStringLiteral("午餐"), 100, 1);
        addEntry(ledger, QStringLiteral("2024-05-04"), food, 0, QStringLiteral("晚餐"), 200, 2);
        addEntry(ledger, QStringLiteral("2024-05-05"), salary, 1, QStringLiteral("獎金"), 1000, 3);
        addEntry(ledger, QStringLiteral("2024-05-06"), salary, 1, QStringLiteral("薪水"), 3000, 4);

        check window;
        QVERIFY(open(window));
        typeRange(window, QStringLiteral("2024/5/1"), QStringLiteral("2024/5/31"));
        for (QRadioButton *mode : { window.chk_mon_detail, window.chk_mon_easy }) {
            press(mode);
            press(window.chk_month);
            QCOMPARE(window.DGrid->rows(), 5);
            const QSet<QRgb> seen = checkRows(window.DGrid, "range");
            QCOMPARE(seen, (QSet<QRgb> { white.rgb(), weekend.rgb(), income.rgb() }));
        }
        press(window.chk_year);
        window.chkyeartxt->setText(QStringLiteral("2024"));
        press(window.chk_year_go);
        QVERIFY(!checkRows(window.DGrid, "year").isEmpty());
    }
};

QUILLORY_TEST_MAIN(ReadableRowsTest)
#include "readable_rows_test.moc"
