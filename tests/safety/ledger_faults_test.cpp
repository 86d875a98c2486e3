// The ledger file read-only, in a read-only folder, or held by another process: the run goes
// on and reports every write it cannot make, with nothing half written and the windows still
// usable. As an ordinary user, since root writes whatever the permissions say.

#include "safety/SafetySupport.h"

#include "app/Startup.h"
#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "ui/DGrid.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSysInfo>

using namespace safety;

namespace {

QStringList gridContents(const input_keyin &w)
{
    QStringList out;
    for (int r = 1; r < w.DGrid->rows(); ++r)
        out << w.DGrid->textAt(r, 4);
    return out;
}

// Types an entry into the window and presses 新增; the boxes shown.
QStringList add(input_keyin &w, ScriptedBoxes &boxes)
{
    testing::retype(w.account_name, QStringLiteral("晚餐"));
    testing::retype(w.money_inout, QStringLiteral("120"));
    testing::click(w.data_add);
    return boxes.take();
}

} // namespace

class LedgerFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aReadOnlyLedgerRefusesEveryWriteAndStaysUsable()
    {
        LedgerFolder folder;
        const QString db = folder.path(QStringLiteral("db1.mdb"));
        onFile(db,
            QStringLiteral("INSERT INTO data_main VALUES ('2024-05-15', 1, 0, '早餐', 50, '', 1, ''), ('2024-05-15', "
                           "1, 0, '午餐', 80, '', 2, '')"));
        setMode(db, 0444);
        const QByteArray before = fileBytes(db);
        testing::FixedClock clock(QDate(2024, 5, 15));
        ScriptedBoxes boxes;
        QVERIFY(startUp() && boxes.take().isEmpty());
        const QStringList content = ledgerContent();
        auto w = openEntryWindow();
        QStringList told = add(*w, boxes);
        // A move is several writes; none of them may stick. The day note is written on leaving.
        w->DGrid->setRow(2);
        testing::click(w->cmd_up_down[0]);
        testing::click(w->note_day);
        testing::typeText(w->note_day, QStringLiteral("備忘"));
        testing::click(w->account_name);
        told += boxes.take();
        QVERIFY2(told.size() == 3 && told.filter(QStringLiteral("readonly")) == told, qPrintable(told.join(u'|')));
        QCOMPARE(gridContents(*w), QStringList({ "早餐", "午餐" }));
        w.reset();
        QCOMPARE(ledgerContent(), content);
        database_access::Close_DB();
        QCOMPARE(fileBytes(db), before);
    }

    // A copy killed before the folder was made read-only left its lock, which cannot go now: the
    // ledger opens to be read only and the backup cannot be made; each is said once.
    void aReadOnlyFolderStillOpensAndReportsWrites()
    {
        LedgerFolder folder;
        writeFile(folder.path(QStringLiteral("SKinds.txt")), "2\r\n");
        writeFile(LedgerLock::lockPath(QStringLiteral("db1.mdb")),
            "999999\nquillory\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        setMode(folder.folder(), 0555);
        const QByteArray before = fileBytes(QStringLiteral("db1.mdb"));
        testing::FixedClock clock(QDate(2024, 5, 15));
        ScriptedBoxes boxes;
        QVERIFY(startUp());
        QStringList texts = boxes.take();
        QVERIFY2(texts.size() == 2 && texts.first().contains(QStringLiteral("只能查看，不能修改"))
                && texts.last().startsWith(QStringLiteral("今天的自動備份沒有成功")),
            qPrintable(texts.join(u'|')));
        QCOMPARE(database_access::SKinds, QVector<qint64> { 2 });
        const QStringList content = ledgerContent();
        auto w = openEntryWindow();
        texts = add(*w, boxes);
        QVERIFY2(texts.size() == 1 && texts.first().startsWith(QStringLiteral("帳本這次只能查看")),
            qPrintable(texts.join(u'|')));
        QCOMPARE(gridContents(*w), QStringList({ QString() }));
        w.reset();
        QCOMPARE(ledgerContent(), content);
        database_access::Close_DB();
        QCOMPARE(fileBytes(QStringLiteral("db1.mdb")), before);
        QCOMPARE(fileBytes(QStringLiteral("SKinds.txt")), QByteArray("2\r\n"));
        setMode(folder.folder(), 0700);
        QCOMPARE(folder.files(), QStringList({ "SKinds.txt", "db1.mdb", "db1.mdb.lock" })); // the old lock, untouched
    }

    // A write waits for the other process a while, and then gives up rather than hang; once
    // it lets go, the same window writes again.
    void aLockedLedgerMakesWritesWaitThenReport()
    {
        LedgerFolder folder;
        testing::FixedClock clock(QDate(2024, 5, 15));
        ScriptedBoxes boxes;
        QVERIFY(startUp());
        database_access::Exec_SQL(QStringLiteral("INSERT INTO data_main VALUES ('2024-05-15', 1, 0, '早餐', 50, '', 1, "
                                                 "''), ('2024-05-15', 1, 0, '午餐', 80, '', 2, '')"));
        const QStringList content = ledgerContent();
        auto w = openEntryWindow();
        sqlite3 *other = nullptr;
        QCOMPARE(onFile(folder.path(QStringLiteral("db1.mdb")), QStringLiteral("BEGIN IMMEDIATE"), &other), QString());
        QElapsedTimer waited;
        waited.start();
        const QStringList texts = add(*w, boxes);
        const qint64 addMs = waited.elapsed();
        sqlite3_close(other); // its transaction rolled back
        QVERIFY2(addMs >= 2500 && addMs < 10000, qPrintable(QString::number(addMs)));
        QVERIFY2(texts.size() == 1 && texts.first().contains(QStringLiteral("locked")), qPrintable(texts.join(u'|')));
        QCOMPARE(ledgerContent(), content);
        testing::click(w->data_add);
        QCOMPARE(boxes.take(), QStringList());
        QCOMPARE(gridContents(*w), QStringList({ "早餐", "午餐", "晚餐" }));
    }
};

SAFETY_TEST_MAIN(LedgerFaultsTest)
#include "ledger_faults_test.moc"
