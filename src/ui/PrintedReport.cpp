#include "ui/PrintedReport.h"

#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "ui/DGrid.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The Ming face writes a text layer that readers extract as the characters printed; a common
// CJK face maps characters such as 支 月 日 金 to radicals of the same shape instead.
const QString printFace = QStringLiteral("AR PL UMing TW");
const QString incomeMark = QStringLiteral("收入");

QFont face(double points, bool bold = false)
{
    QFont font(printFace);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

QString pdfFontProblem()
{
    if (QFontDatabase::families().contains(printFace))
        return {};
    return QStringLiteral("找不到字型 %1（Debian 套件 fonts-arphic-uming），寫出的 PDF 裡的中文字會無法搜尋和複製，"
                          "所以沒有寫出。請先安裝這個字型。")
        .arg(printFace);
}

QString PrintedReport::amountText(const QString &text)
{
    const std::optional<Decimal> value = Decimal::fromText(text);
    if (!value)
        return text;
    QString shown = Numbers::groupThousands(value->text());
    // Cents written out: 1,234.5 is printed 1,234.50.
    const qsizetype point = shown.indexOf(QLatin1Char('.'));
    if (point >= 0 && shown.size() - point - 1 < 2)
        shown += QLatin1Char('0');
    return shown;
}

PrintedReport PrintedReport::fromGrid(const DGrid *grid, const QString &title)
{
    PrintedReport report;
    report.title = title;
    report.printed = QDate::currentDate();
    const int first = grid->fixedCols();
    for (int col = first; col < grid->cols(); ++col) {
        report.headers << (grid->fixedRows() > 0 ? grid->textAt(0, col) : QString());
        report.widths << std::max(1, grid->colWidth(col));
    }
    report.rows.reserve(grid->rows());
    for (int row = grid->fixedRows(); row < grid->rows(); ++row) {
        QStringList cells;
        cells.reserve(grid->cols() - first);
        for (int col = first; col < grid->cols(); ++col)
            cells << grid->textAt(row, col);
        report.rows << cells;
    }
    return report;
}

ReportPainter::ReportPainter(const PrintedReport &report, QPagedPaintDevice *device)
    : m_report(report)
    , m_device(device)
{
    const QFontMetricsF body(face(9), device);
    const QFontMetricsF title(face(14, true), device);
    const double rowHeight = body.height() * 1.3;
    const double above = title.height() * 1.4 + body.height() * 2.2 + rowHeight;
    const double below = body.height() * 2;
    m_rowsPerPage = std::max(1, int(std::floor((device->height() - above - below) / rowHeight)));
    const qsizetype lines = report.rows.size() + (report.totals.isEmpty() ? 0 : report.totals.size() + 1);
    m_pages = report.figure ? 1 : std::max(1, int((lines + m_rowsPerPage - 1) / m_rowsPerPage));
}

bool ReportPainter::paint(QPainter &painter, const std::function<bool(int page, int pages)> &progress)
{
    for (int page = 0; page < m_pages; ++page) {
        if (progress && !progress(page, m_pages))
            return false;
        if (page > 0)
            m_device->newPage();
        paintPage(painter, page);
    }
    return true;
}

void ReportPainter::paintPage(QPainter &painter, int page)
{
    const double width = m_device->width();
    const QFont bodyFont = face(9);
    const QFont boldFont = face(9, true);
    const QFontMetricsF body(bodyFont, m_device);
    const QFontMetricsF titleMetrics(face(14, true), m_device);
    const double rowHeight = body.height() * 1.3;
    double y = 0;

    painter.setPen(Qt::black);
    painter.setFont(face(14, true));
    painter.drawText(QRectF(0, y, width, titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter, m_report.title);
    y += titleMetrics.height() * 1.4;
    painter.setFont(bodyFont);
    const QString about
        = QStringLiteral("帳本：%1　　列印日期：%2").arg(m_report.folder, DateText::shown(m_report.printed));
    painter.drawText(QRectF(0, y, width, body.height()), Qt::AlignLeft | Qt::AlignVCenter, about);
    y += body.height() * 2.2;
    if (m_report.figure) {
        m_report.figure(painter, QRectF(0, y, width, m_device->height() - body.height() * 2 - y));
        paintFoot(painter, page);
        return;
    }

    // Columns: the marks first when there are any, then the report's own, by their widths.
    const bool marked = !m_report.marks.isEmpty();
    QVector<double> widths;
    if (marked)
        widths << 0;
    for (int w : m_report.widths)
        widths << w;
    const double markWidth = marked ? body.horizontalAdvance(QStringLiteral("標記標")) : 0;
    double total = 0;
    for (double w : widths)
        total += w;
    QVector<double> lefts;
    double x = 0;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        lefts << x;
        widths[i] = (marked && i == 0) ? markWidth : widths[i] / total * (width - markWidth);
        x += widths[i];
    }
    const double pad = body.averageCharWidth() * 0.5;
    const auto drawRow = [&](const QStringList &cells, const QString &mark, bool header) {
        const QFont &font = header || mark == incomeMark ? boldFont : bodyFont;
        painter.setFont(font);
        const QFontMetricsF metrics(font, m_device);
        QStringList shown = cells;
        if (marked)
            shown.prepend(mark);
        for (qsizetype c = 0; c < shown.size() && c < widths.size(); ++c) {
            const qsizetype own = marked ? c - 1 : c;
            const bool amount = own >= 0 && m_report.amountColumns.contains(int(own));
            const QString text
                = metrics.elidedText(amount && !header ? PrintedReport::amountText(shown.at(c)) : shown.at(c),
                    Qt::ElideRight, widths.at(c) - 2 * pad);
            const QRectF cell(lefts.at(c) + pad, y, widths.at(c) - 2 * pad, rowHeight);
            painter.drawText(cell, (amount ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, text);
        }
        y += rowHeight;
    };

    drawRow(m_report.headers, marked ? QStringLiteral("標記") : QString(), true);
    painter.drawLine(QPointF(0, y), QPointF(width, y));

    const qsizetype first = qsizetype(page) * m_rowsPerPage;
    const qsizetype rows = m_report.rows.size();
    for (qsizetype line = first; line < first + m_rowsPerPage; ++line) {
        if (line < rows) {
            drawRow(m_report.rows.at(line), m_report.marks.value(line), false);
            continue;
        }
        const qsizetype totalLine = line - rows - 1; // one blank line between rows and totals
        if (totalLine >= m_report.totals.size())
            break;
        if (totalLine >= 0) {
            painter.setFont(bodyFont);
            painter.drawText(
                QRectF(0, y, width, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, m_report.totals.at(totalLine));
        }
        y += rowHeight;
    }

    paintFoot(painter, page);
}

void ReportPainter::paintFoot(QPainter &painter, int page)
{
    const QFont bodyFont = face(9);
    const QFontMetricsF body(bodyFont, m_device);
    painter.setFont(bodyFont);
    const QString foot = QStringLiteral("第 %1 頁／共 %2 頁").arg(page + 1).arg(m_pages);
    painter.drawText(
        QRectF(0, m_device->height() - body.height(), m_device->width(), body.height()), Qt::AlignCenter, foot);
}
