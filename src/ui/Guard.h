#pragma once

#include "store/StoreError.h"
#include "ui/MessageBox.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <exception>
#include <type_traits>
#include <utility>

namespace ui {

// Tells the person of a store error in a box over parent. Every error of the store the
// windows show goes through here.
void showStoreError(QWidget *parent, const StoreError &error);
// The same for any other failure, with what it says.
void showFailure(QWidget *parent, const std::exception &error);

// Runs an event handler. A store error (or any other exception) is shown to the person
// and the run goes on; nothing escapes into the event loop. Returns false when the handler
// failed.
template <typename Handler> bool guarded(QWidget *parent, Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const StoreError &error) {
        showStoreError(parent, error);
    } catch (const std::exception &error) {
        showFailure(parent, error);
    }
    return false;
}

// Runs handler, guarded as above, whenever sender emits signal, with the signal's values
// if it takes them; window is the parent of the boxes and ends the connection when it goes.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(Sender *sender, Signal signal, QWidget *window, Handler handler)
{
    Q_ASSERT_X(window != nullptr, "ui::connectGuarded", "a guarded handler needs a window for its boxes");
    return QObject::connect(sender, signal, window, [window, handler = std::move(handler)](const auto &...values) {
        if constexpr (std::is_invocable_v<const Handler &, decltype(values)...>)
            guarded(window, [&] { handler(values...); });
        else
            guarded(window, handler);
    });
}

} // namespace ui
