#include "ui/Guard.h"

#include "ui/MessageBox.h"

namespace ui {

void showStoreError(QWidget *parent, const StoreError &error)
{
    showMessage(parent, error.message());
}

void showFailure(QWidget *parent, const std::exception &error)
{
    showMessage(parent, QStringLiteral("發生錯誤：%1").arg(QString::fromUtf8(error.what())));
}

} // namespace ui
