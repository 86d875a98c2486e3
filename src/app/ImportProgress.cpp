#include "app/ImportProgress.h"

#include <QPushButton>

#include <limits>

ImportProgress::ImportProgress(QWidget *parent)
    : QProgressDialog(parent)
{
    setObjectName(QStringLiteral("ImportProgress"));
    setWindowTitle(QStringLiteral("Quillory"));
    setWindowModality(Qt::ApplicationModal);
    setLabelText(QStringLiteral("正在讀取舊帳本……"));
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    setCancelButton(cancel);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(0);
    // Until the importer has counted the old file's rows, a busy bar.
    setRange(0, 0);
    setMinimumWidth(360);
}

void ImportProgress::showProgress(qint64 read, qint64 total)
{
    // The bar counts in int; a file of more rows than that is shown to scale.
    const qint64 scale = total / std::numeric_limits<int>::max() + 1;
    setRange(0, int(total / scale));
    setValue(int(qMin(read, total) / scale));
    setLabelText(QStringLiteral("正在轉入舊帳本：已讀 %1 / %2 筆").arg(read).arg(total));
}
