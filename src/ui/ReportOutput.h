#pragma once

#include "ui/PrintedReport.h"

#include <QString>

#include <functional>

class QWidget;

// A report to paper (through a print preview) or to a PDF file.
namespace ReportOutput {

enum class Outcome { Written, Cancelled, Failed };

// Writes the report as an A4 PDF at path, whole or not at all: a failure or a stop leaves no
// file there, and an older file of that name as it was. why says what failed.
Outcome writePdf(const PrintedReport &report, const QString &path, QString *why = nullptr,
    const std::function<bool(int page, int pages)> &progress = {});

// From a window: asks where to write (proposing suggestedName in the last folder used), writes
// with a progress bar and 取消 when it takes a while, and tells what came of it.
bool exportPdf(QWidget *parent, const PrintedReport &report, const QString &suggestedName);

// Opens the print preview, from which the report is printed.
void print(QWidget *parent, const PrintedReport &report);

} // namespace ReportOutput
