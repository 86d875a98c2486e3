#include "entry/input_keyin.h"

input_keyin::input_keyin(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("input_keyin"));
    setWindowTitle(QStringLiteral("資料新增"));
}
