#include "reports/check.h"

check::check(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("check"));
    setWindowTitle(QStringLiteral("查詢功能"));
}
