#include "kinds/mang_kind.h"

mang_kind::mang_kind(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("mang_kind"));
    setWindowTitle(QStringLiteral("Kind Manager"));
}
