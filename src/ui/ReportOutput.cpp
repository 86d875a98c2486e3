#include "ui/ReportOutput.h"

#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "ui/Modal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QSaveFile>

namespace ReportOutput {

namespace {

// Margins a home printer does not clip.
const QMarginsF margins(15, 15, 15, 15);

QPageLayout layoutOf(const PrintedReport &report)
{
    return QPageLayout(QPageSize(QPageSize::A4), report.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        margins, QPageLayout::Millimeter);
}

} // namespace

Outcome writePdf(const PrintedReport &report, const QString &path, QString *why,
    const std::function<bool(int page, int pages)> &progress)
{
    const auto fail = [why](const QString &reason) {
        if (why != nullptr)
            *why = reason;
        return Outcome::Failed;
    };
    if (const QString problem = pdfFontProblem(); !problem.isEmpty())
        return fail(problem);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    bool finished = false;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(layoutOf(report));
        writer.setResolution(300);
        writer.setTitle(report.title);
        writer.setCreator(QStringLiteral("Quillory"));
        QPainter painter(&writer);
        ReportPainter pages(report, &writer);
        finished = pages.paint(painter, progress);
    }
    if (!finished) {
        file.cancelWriting();
        return Outcome::Cancelled;
    }
    if (!file.commit())
        return fail(file.errorString());
    return Outcome::Written;
}

bool exportPdf(QWidget *parent, const PrintedReport &report, const QString &suggestedName)
{
    if (const QString problem = pdfFontProblem(); !problem.isEmpty()) {
        ui::showMessage(parent, problem);
        return false;
    }
    QString path
        = ui::askSaveFileName(parent, QStringLiteral("匯出 PDF"), suggestedName, QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    // A long report is written page by page with a bar and 取消; the window keeps drawing.
    QProgressDialog bar(QStringLiteral("正在寫出 PDF…"), QStringLiteral("取消"), 0, 1, parent);
    bar.setWindowTitle(QStringLiteral("Quillory"));
    bar.setWindowModality(Qt::WindowModal);
    bar.setMinimumDuration(500);
    QString why;
    const Outcome outcome = writePdf(report, path, &why, [&bar](int page, int pages) {
        bar.setMaximum(pages);
        bar.setValue(page);
        QCoreApplication::processEvents();
        return !bar.wasCanceled();
    });
    bar.reset();
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (outcome == Outcome::Failed)
        ui::showMessage(parent, QStringLiteral("無法寫入 %1：%2\n沒有留下寫了一半的檔案。").arg(shown, why));
    else if (outcome == Outcome::Written)
        ui::showMessage(parent, QStringLiteral("已匯出到 %1").arg(shown));
    return outcome == Outcome::Written;
}

void print(QWidget *parent, const PrintedReport &report)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(layoutOf(report));
    printer.setDocName(report.title);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("預覽列印"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&report](QPrinter *target) {
        QPainter painter(target);
        ReportPainter(report, target).paint(painter);
    });
    ui::showModal(&preview);
}

} // namespace ReportOutput
