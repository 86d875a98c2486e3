#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class DGrid;
class QPagedPaintDevice;
class QPainter;
class QRectF;

// A window's rows laid out on paper: a title, the ledger's folder and the day it was printed
// above every page, the column header repeated on every page, one line a row (never split),
// the totals after the last row, and 第 n 頁／共 m 頁 at every foot. Amounts are right-aligned
// and grouped; a row's mark (收入, 週末) is printed as a word in a column of its own and income
// rows in bold, so nothing depends on colour.
struct PrintedReport
{
    QString title;
    QString folder; // the ledger's folder name
    QDate printed;
    QStringList headers;
    QVector<QStringList> rows;
    QStringList marks; // per row; empty when no row has one
    QVector<int> amountColumns; // right-aligned and grouped
    QVector<int> widths; // relative column widths
    QStringList totals; // lines after the rows
    bool landscape = false;
    QString fileName; // the PDF's proposed name, when the report has one of its own
    // A picture drawn on the one page, under the title, instead of rows (a chart).
    std::function<void(QPainter &painter, const QRectF &area)> figure;

    // The grid's header and rows as shown (fixed columns left out), with widths from the grid.
    static PrintedReport fromGrid(const DGrid *grid, const QString &title);

    // An amount as printed: grouped by thousands, cents written out when there are any
    // (1234.5 gives 1,234.50). A text that is not a number stays as it is.
    static QString amountText(const QString &text);
};

// Lays the report out on a device and paints it, page by page.
class ReportPainter
{
public:
    ReportPainter(const PrintedReport &report, QPagedPaintDevice *device);

    int pageCount() const { return m_pages; }
    // Paints every page; progress is called before each page and may return false to stop.
    // False when stopped.
    bool paint(QPainter &painter, const std::function<bool(int page, int pages)> &progress = {});

private:
    void paintPage(QPainter &painter, int page);
    void paintFoot(QPainter &painter, int page);

    const PrintedReport &m_report;
    QPagedPaintDevice *m_device;
    int m_rowsPerPage = 1;
    int m_pages = 1;
};

// The face whose text a PDF reader extracts correctly; empty when it is installed, else why
// not (the PDF is then not written).
QString pdfFontProblem();
