#include "ui/Guard.h"

#include "ui/MessageBox.h"
#include "ui/UiLog.h"

namespace ui {

void showStoreError(QWidget *parent, const StoreError &error)
{
    // Logged first: the box waits for the person.
    qCWarning(lcUi).noquote() << "store error shown:" << error.message();
    showMessage(parent, error.message());
}

void showFailure(QWidget *parent, const std::exception &error)
{
    qCWarning(lcUi).noquote() << "failure shown:" << QString::fromUtf8(error.what());
    showMessage(parent, QStringLiteral("發生錯誤：%1").arg(QString::fromUtf8(error.what())));
}

} // namespace ui
