// The daily-entry window played from the scenarios beside this file.

#include "support/Scenario.h"

#include "app/WindowOpeners.h"
#include "entry/input_keyin.h"

class EntryScenarios : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void play_data() { Scenario::addRows(__FILE__); }
    void play()
    {
        Scenario s;
        const ui::Openers openers = windowOpeners();
        s.window(QStringLiteral("entry"), [&openers] { return new input_keyin(nullptr, openers); });
        // A day and entry taken from a query result, as the query window hands them over.
        s.command(QStringLiteral("show-entry"), [](Scenario &sc, const QStringList &a) {
            auto *w = qobject_cast<input_keyin *>(sc.find(QStringLiteral("input_keyin")));
            if (w && !w->showEntry(QDate::fromString(a.value(0), Qt::ISODate), a.value(1).toLongLong()))
                sc.fail(QStringLiteral("entry not shown"));
        });
        s.run();
    }
};

QUILLORY_TEST_MAIN(EntryScenarios)
#include "input_keyin_editing_test.moc"
