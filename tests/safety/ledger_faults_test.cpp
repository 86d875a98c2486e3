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

const QString twoEntries = QStringLiteral("INSERT INTO data_main VALUES ('2024-05-15', 1, 0, '早餐', 50, '', 1, ''), "
                                          "('2024-05-15', 1, 0, '午餐', 80, '', 2, '')");

// db1.mdb's bytes, the real start-up on the working directory on 2024-05-15, what it said, what
// the ledger then held, and the daily-entry window.
struct Started
{
    QByteArray file = fileBytes(QStringLiteral("db1.mdb"));
    testing::FixedClock clock { QDate(2024, 5, 15) };
    ScriptedBoxes boxes;
    bool started = startUp();
    QStringList told = boxes.take();
    QStringList content = ledgerContent();
    std::unique_ptr<input_keyin> w = openEntryWindow();

    // Types an entry and presses 新增; the boxes shown.
    QStringList add()
    {
        testing::retype(w->account_name, QStringLiteral("晚餐"));
        testing::retype(w->money_inout, QStringLiteral("120"));
        testing::click(w->data_add);
        return boxes.take();
    }
    QStringList grid() const
    {
        QStringList out;
        for (int r = 1; r < w->DGrid->rows(); ++r)
            out << w->DGrid->textAt(r, 4);
        return out;
    }
    // The window closed, the ledger holds what it did at the start, and db1.mdb is as it was.
    void closeUnchanged()
    {
        w.reset();
        QCOMPARE(ledgerContent(), content);
        database_access::Close_DB();
        QCOMPARE(fileBytes(QStringLiteral("db1.mdb")), file);
    }
};

} // namespace

class LedgerFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aReadOnlyLedgerRefusesEveryWriteAndStaysUsable()
    {
        LedgerFolder folder;
        onFile(QStringLiteral("db1.mdb"), twoEntries);
        setMode(QStringLiteral("db1.mdb"), 0444);
        Started s;
        QVERIFY(s.started && s.told.isEmpty());
        QStringList told = s.add();
        // A move is several writes; none of them may stick. The day note is written on leaving.
        s.w->DGrid->setRow(2);
        testing::click(s.w->cmd_up_down[0]);
        testing::click(s.w->note_day);
        testing::typeText(s.w->note_day, QStringLiteral("備忘"));
        testing::click(s.w->account_name);
        told += s.boxes.take();
        QVERIFY2(told.size() == 3 && told.filter(QStringLiteral("readonly")) == told, qPrintable(told.join(u'|')));
        QCOMPARE(s.grid(), QStringList({ "早餐", "午餐" }));
        s.closeUnchanged();
    }

    // A copy killed before the folder was made read-only left its lock, which cannot go now: the
    // ledger opens to be read only and the backup cannot be made; each is said once.
    void aReadOnlyFolderStillOpensAndReportsWrites()
    {
        LedgerFolder folder;
        writeFile(QStringLiteral("SKinds.txt"), "2\r\n");
        writeFile(LedgerLock::lockPath(QStringLiteral("db1.mdb")),
            "999999\nquillory\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        setMode(folder.folder(), 0555);
        const QStringList before = folderPicture(folder.folder());
        Started s;
        QVERIFY2(s.started && s.told.size() == 2 && s.told.first().contains(QStringLiteral("只能查看，不能修改"))
                && s.told.last().startsWith(QStringLiteral("今天的自動備份沒有成功")),
            qPrintable(s.told.join(u'|')));
        QCOMPARE(database_access::SKinds, QVector<qint64> { 2 });
        const QStringList texts = s.add();
        QVERIFY2(texts.size() == 1 && texts.first().startsWith(QStringLiteral("帳本這次只能查看")),
            qPrintable(texts.join(u'|')));
        QCOMPARE(s.grid(), QStringList({ QString() }));
        s.closeUnchanged();
        QCOMPARE(folderPicture(folder.folder()), before); // SKinds.txt and the old lock untouched, nothing added
    }

    // A write waits for the other process a while, and then gives up rather than hang; once
    // it lets go, the same window writes again.
    void aLockedLedgerMakesWritesWaitThenReport()
    {
        LedgerFolder folder;
        onFile(QStringLiteral("db1.mdb"), twoEntries);
        Started s;
        sqlite3 *other = nullptr;
        QCOMPARE(onFile(QStringLiteral("db1.mdb"), QStringLiteral("BEGIN IMMEDIATE"), &other), QString());
        QElapsedTimer waited;
        waited.start();
        const QStringList texts = s.add();
        const qint64 addMs = waited.elapsed();
        sqlite3_close(other); // its transaction rolled back
        QVERIFY2(addMs >= 2500 && addMs < 10000, qPrintable(QString::number(addMs)));
        QVERIFY2(texts.size() == 1 && texts.first().contains(QStringLiteral("locked")), qPrintable(texts.join(u'|')));
        QCOMPARE(ledgerContent(), s.content);
        testing::click(s.w->data_add);
        QCOMPARE(s.boxes.take(), QStringList());
        QCOMPARE(s.grid(), QStringList({ "早餐", "午餐", "晚餐" }));
    }
};

SAFETY_TEST_MAIN(LedgerFaultsTest)
#include "ledger_faults_test.moc"
