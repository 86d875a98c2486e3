#include "app/WindowOpeners.h"

#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "ui/Modal.h"

ui::Openers windowOpeners()
{
    ui::Openers openers;
    openers.kindManager = [](QWidget *parent, const QPoint &topLeft) {
        mang_kind window(parent);
        window.move(topLeft);
        ui::showModal(&window);
    };
    // The daily-entry window opens the kind manager in turn, wherever it was opened from.
    openers.dailyEntry = [kindManager = openers.kindManager](QWidget *parent, const QDate &day, qint64 entryKey) {
        ui::Openers inner;
        inner.kindManager = kindManager;
        input_keyin window(parent, inner);
        window.showEntry(day, entryKey);
        ui::showModal(&window);
    };
    return openers;
}
