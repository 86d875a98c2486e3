#include "app/WindowOpeners.h"

#include "entry/input_keyin.h"
#include "imports/InvoiceImport.h"
#include "imports/StatementImport.h"
#include "kinds/mang_kind.h"
#include "recurring/RecurringEditor.h"
#include "ui/Modal.h"

ui::Openers windowOpeners()
{
    ui::Openers openers;
    openers.kindManager = [](QWidget *parent, const QPoint &topLeft) {
        mang_kind window(parent);
        window.move(topLeft);
        ui::showModal(&window);
    };
    openers.recurringFromEntry = [](QWidget *parent, const EntryStore::Entry &entry) {
        RecurringStore::Item item;
        item.inout = entry.inout;
        item.kind = entry.kind;
        item.content = entry.content;
        item.amount = entry.count;
        item.note = entry.note;
        item.when.rule = Recurrence::Rule::MonthDay;
        item.when.number = entry.date.day();
        item.when.first = entry.date.addDays(1);
        item.automatic = true;
        RecurringEditor window(item, parent);
        ui::showModal(&window);
    };
    openers.invoiceImport = [](QWidget *parent) {
        InvoiceImport window(parent);
        if (window.chooseFiles())
            ui::showModal(&window);
    };
    openers.statementImport = [](QWidget *parent) {
        StatementImport window(parent);
        if (window.chooseFile())
            ui::showModal(&window);
    };
    // The daily-entry window opens the kind manager in turn, wherever it was opened from.
    openers.dailyEntry = [outer = openers](QWidget *parent, const QDate &day, qint64 entryKey) {
        ui::Openers inner = outer;
        inner.dailyEntry = nullptr;
        input_keyin window(parent, inner);
        window.showEntry(day, entryKey);
        ui::showModal(&window);
    };
    return openers;
}
