// The kind manager played from the scenarios beside this file.

#include "support/Scenario.h"

#include "kinds/mang_kind.h"

#include <QSqlDatabase>
#include <QSqlQuery>

class KindScenarios : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void play_data() { Scenario::addRows(__FILE__); }
    void play()
    {
        Scenario s;
        s.window(QStringLiteral("kinds"), [] { return new mang_kind(); });
        // Another program reading the ledger, so that a commit cannot finish.
        s.command(QStringLiteral("hold-reader"), [](Scenario &sc, const QStringList &) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
            db.setDatabaseName(sc.ledger().path(QStringLiteral("db1.mdb")));
            if (!db.open())
                return sc.fail(QStringLiteral("no reader"));
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("BEGIN")) || !query.exec(QStringLiteral("SELECT count(*) FROM kind")))
                sc.fail(QStringLiteral("no reader"));
        });
        s.command(QStringLiteral("release-reader"), [](Scenario &, const QStringList &) {
            QSqlDatabase::database(QStringLiteral("reader")).close();
            QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        });
        s.run();
    }
};

QUILLORY_TEST_MAIN(KindScenarios)
#include "mang_kind_test.moc"
