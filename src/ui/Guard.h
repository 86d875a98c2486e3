#pragma once

#include "store/StoreError.h"
#include "ui/MessageBox.h"

#include <QString>

#include <exception>
#include <utility>

class QWidget;

namespace ui {

// Runs an event handler. A store error (or any other exception) is shown to the person
// and the run goes on; nothing escapes into the event loop. Returns false when the handler
// failed.
template <typename Handler> bool guarded(QWidget *parent, Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const StoreError &error) {
        showMessage(parent, error.message());
    } catch (const std::exception &error) {
        showMessage(parent, QStringLiteral("發生錯誤：%1").arg(QString::fromUtf8(error.what())));
    }
    return false;
}

} // namespace ui
