#include "ui/StorableText.h"

#include "ui/MessageBox.h"

namespace ui {

bool storableText(QWidget *parent, const QString &field, const QString &text)
{
    if (text.isValidUtf16())
        return true;
    showMessage(parent,
        QStringLiteral("「%1」裡有不完整的字元（不成對的代理字元），無法照原樣儲存。"
                       "請刪掉它或重新輸入後再儲存。")
            .arg(field));
    return false;
}

} // namespace ui
