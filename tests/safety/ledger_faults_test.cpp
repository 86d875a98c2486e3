// The ledger file in trouble: damaged, read-only, in a read-only folder, or held by another
// process. The run either refuses it at start-up with a message, or goes on and reports
// every write it cannot make, with nothing half written and the window still usable.

#include "safety/RefusedStart.h"

#include "app/Startup.h"
#include "entry/EntryWindow.h"
#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "reports/QueryWindow.h"
#include "reports/chart_view.h"
#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "ui/DGrid.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"

#include <QChart>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QSysInfo>

#include <memory>

using namespace safety;

namespace {

enum class Damage { ZeroBytes, Garbage, HeaderOnly, FirstPageOnly, HalfCut, PlainSqlite, TableMissing, Folder, Pipe };

// A ledger big enough to span many pages, so that a cut file loses real data.
void fillLedger(int entries)
{
    database_access::Open_DB(QStringLiteral("db1.mdb"));
    {
        database_access::Transaction transaction;
        for (int i = 1; i <= entries; ++i) {
            database_access::Exec_SQL(QStringLiteral("INSERT INTO data_main VALUES (?, 1, 0, ?, ?, '', ?, '')"),
                { QStringLiteral("2024-05-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                    QStringLiteral("帳目 %1 ").repeated(8).arg(i), i, i });
        }
        transaction.commit();
    }
    database_access::Close_DB();
}

void makePlainSqlite(const QString &path, bool ledgerTablesButOne)
{
    QFile::remove(path);
    if (ledgerTablesButOne) {
        LedgerSchema::createLedger(path, false);
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        if (ledgerTablesButOne)
            query.exec(QStringLiteral("DROP TABLE inout"));
        else
            query.exec(QStringLiteral("CREATE TABLE notes (a TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("maker"));
}

std::unique_ptr<input_keyin> openEntryWindow()
{
    auto w = std::make_unique<input_keyin>();
    testing::showActive(w.get());
    QTest::qWait(0);
    return w;
}

QStringList gridContents(const input_keyin &w)
{
    QStringList out;
    for (int r = 1; r < w.DGrid->rows(); ++r)
        out << w.DGrid->textAt(r, 4);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class LedgerFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theConnectionUsesTheSafeSettings();
    void damagedLedgerEndsTheRunUntouched_data();
    void damagedLedgerEndsTheRunUntouched();
    void readOnlyLedgerRefusesEveryWriteAndStaysUsable();
    void readOnlyFolderStillOpensAndReportsWrites();
    void lockedLedgerMakesWritesWaitThenReport();
    void strayEntriesCountAlikeEverywhereOnceGathered();
};

void LedgerFaultsTest::theConnectionUsesTheSafeSettings()
{
    LedgerFolder folder;
    ScriptedBoxes boxes;
    QVERIFY(startUp());
    QCOMPARE(boxes.texts(), QStringList());
    // FULL is 2; the rollback journal keeps the ledger in db1.mdb alone once the run ends.
    QCOMPARE(database_access::Open_Query(QStringLiteral("PRAGMA synchronous")).rows().first().first().toInt(), 2);
    QCOMPARE(database_access::Open_Query(QStringLiteral("PRAGMA journal_mode")).rows().first().first().toString(),
        QStringLiteral("delete"));
    QCOMPARE(database_access::Open_Query(QStringLiteral("PRAGMA busy_timeout")).rows().first().first().toInt(), 3000);
    // As the end of a run leaves it: the connection closed and the ledger's lock given up.
    database_access::Close_DB();
    LedgerLock::release();
    const QStringList left = QDir(folder.folder()).entryList(QDir::Files);
    QCOMPARE(left, QStringList { QStringLiteral("db1.mdb") });
}

void LedgerFaultsTest::damagedLedgerEndsTheRunUntouched_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::newRow("zero-byte file") << Damage::ZeroBytes;
    QTest::newRow("garbage") << Damage::Garbage;
    QTest::newRow("cut inside the header") << Damage::HeaderOnly;
    QTest::newRow("only the first page left") << Damage::FirstPageOnly;
    QTest::newRow("cut in half") << Damage::HalfCut;
    QTest::newRow("SQLite file of something else") << Damage::PlainSqlite;
    QTest::newRow("ledger missing a table") << Damage::TableMissing;
    QTest::newRow("a folder named db1.mdb") << Damage::Folder;
    QTest::newRow("a pipe named db1.mdb") << Damage::Pipe; // opening it must not wait for a writer
}

void LedgerFaultsTest::damagedLedgerEndsTheRunUntouched()
{
    QFETCH(Damage, damage);
    LedgerFolder folder;
    const QString db = folder.path(QStringLiteral("db1.mdb"));
    fillLedger(600);
    const QByteArray whole = fileBytes(db);
    QVERIFY(whole.size() > 16 * 4096);
    switch (damage) {
    case Damage::ZeroBytes:
        writeFile(db, {});
        break;
    case Damage::Garbage: {
        QByteArray noise(whole.size(), '\0');
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        writeFile(db, noise);
        break;
    }
    case Damage::HeaderOnly:
        writeFile(db, whole.left(60));
        break;
    case Damage::FirstPageOnly:
        writeFile(db, whole.left(4096));
        break;
    case Damage::HalfCut:
        writeFile(db, whole.left(whole.size() / 2));
        break;
    case Damage::PlainSqlite:
        makePlainSqlite(db, false);
        break;
    case Damage::TableMissing:
        makePlainSqlite(db, true);
        break;
    case Damage::Folder:
        QFile::remove(db);
        QVERIFY(QDir(folder.folder()).mkdir(QStringLiteral("db1.mdb")));
        break;
    case Damage::Pipe:
        QFile::remove(db);
        QCOMPARE(::mkfifo(QFile::encodeName(db).constData(), 0600), 0);
        break;
    }
    checkStartRefused(folder);
}

void LedgerFaultsTest::readOnlyLedgerRefusesEveryWriteAndStaysUsable()
{
    LedgerFolder folder;
    const QString db = folder.path(QStringLiteral("db1.mdb"));
    database_access::Open_DB(QStringLiteral("db1.mdb"));
    database_access::Exec_SQL(
        QStringLiteral("INSERT INTO data_main VALUES ('2024-05-15', 1, 0, '早餐', 50, '', 1, '')"));
    database_access::Exec_SQL(
        QStringLiteral("INSERT INTO data_main VALUES ('2024-05-15', 1, 0, '午餐', 80, '', 2, '')"));
    database_access::Close_DB();
    setMode(db, 0444);
    const QByteArray before = fileBytes(db);
    testing::FixedClock clock(QDate(2024, 5, 15));

    ScriptedBoxes boxes;
    QVERIFY(startUp());
    QCOMPARE(boxes.take(), QStringList());
    const QStringList content = ledgerContent();
    {
        auto w = openEntryWindow();
        QCOMPARE(gridContents(*w), QStringList({ "早餐", "午餐" }));

        testing::retype(w->account_name, QStringLiteral("晚餐"));
        testing::retype(w->money_inout, QStringLiteral("120"));
        testing::click(w->data_add);
        QStringList texts = boxes.take();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts.first().contains(QStringLiteral("readonly")), qPrintable(texts.first()));
        // What the person typed is still there to try again.
        QCOMPARE(w->account_name->text(), QStringLiteral("晚餐"));
        QCOMPARE(gridContents(*w), QStringList({ "早餐", "午餐" }));

        // A move is several writes; none of them may stick.
        w->DGrid->setRow(2);
        testing::click(w->cmd_up_down[0]);
        texts = boxes.take();
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().contains(QStringLiteral("readonly")));
        QCOMPARE(gridContents(*w), QStringList({ "早餐", "午餐" }));

        // The day note is written on leaving the box.
        testing::click(w->note_day);
        testing::typeText(w->note_day, QStringLiteral("備忘"));
        testing::click(w->account_name);
        texts = boxes.take();
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().contains(QStringLiteral("readonly")));

        // Reading goes on: another day and back.
        testing::retype(w->date_new, QStringLiteral("2024/5/14"));
        QTest::keyClick(w->date_new, Qt::Key_Return);
        QCOMPARE(gridContents(*w), QStringList({ QString() }));
        testing::retype(w->date_new, QStringLiteral("2024/5/15"));
        QTest::keyClick(w->date_new, Qt::Key_Return);
        QCOMPARE(gridContents(*w), QStringList({ "早餐", "午餐" }));
        w->close();
    }
    {
        auto manager = std::make_unique<mang_kind>();
        QVERIFY(testing::showActive(manager.get()));
        const int kinds = manager->kind->count();
        testing::retype(manager->kind_name, QStringLiteral("新種類"));
        testing::click(manager->kind_add);
        const QStringList texts = boxes.take();
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().contains(QStringLiteral("readonly")));
        QCOMPARE(manager->kind->count(), kinds);
    }
    QCOMPARE(ledgerContent(), content);
    database_access::Close_DB();
    QCOMPARE(fileBytes(db), before);
}

void LedgerFaultsTest::readOnlyFolderStillOpensAndReportsWrites()
{
    LedgerFolder folder;
    const QString db = folder.path(QStringLiteral("db1.mdb"));
    writeFile(folder.path(QStringLiteral("SKinds.txt")), "2\r\n");
    // A copy killed before the folder was made read-only left its lock, which cannot go now.
    writeFile(LedgerLock::lockPath(QStringLiteral("db1.mdb")),
        "999999\nquillory\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    setMode(folder.folder(), 0555);
    const QByteArray before = fileBytes(db);
    testing::FixedClock clock(QDate(2024, 5, 15));

    ScriptedBoxes boxes;
    QVERIFY(startUp());
    // No lock file can be written, so the ledger opens to be read only; the backup cannot be
    // made either. Each is said once and the run goes on.
    QStringList texts = boxes.take();
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts.first().contains(QStringLiteral("只能查看，不能修改")), qPrintable(texts.first()));
    QVERIFY(texts.last().startsWith(QStringLiteral("今天的自動備份沒有成功")));
    QCOMPARE(database_access::SKinds, QVector<qint64> { 2 });
    const QStringList content = ledgerContent();

    auto w = openEntryWindow();
    testing::retype(w->account_name, QStringLiteral("晚餐"));
    testing::retype(w->money_inout, QStringLiteral("120"));
    testing::click(w->data_add);
    texts = boxes.take();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().startsWith(QStringLiteral("帳本這次只能查看")), qPrintable(texts.first()));
    QCOMPARE(gridContents(*w), QStringList({ QString() }));
    w->close();
    w.reset();

    QCOMPARE(ledgerContent(), content);
    database_access::Close_DB();
    QCOMPARE(fileBytes(db), before);
    QCOMPARE(fileBytes(folder.path(QStringLiteral("SKinds.txt"))), QByteArray("2\r\n"));
    setMode(folder.folder(), 0700);
    QStringList left = QDir(folder.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    left.sort();
    QCOMPARE(left, QStringList({ "SKinds.txt", "db1.mdb", "db1.mdb.lock" })); // the old lock, untouched
}

void LedgerFaultsTest::lockedLedgerMakesWritesWaitThenReport()
{
    LedgerFolder folder;
    testing::FixedClock clock(QDate(2024, 5, 15));
    ScriptedBoxes boxes;
    QVERIFY(startUp());
    database_access::Exec_SQL(
        QStringLiteral("INSERT INTO data_main VALUES ('2024-05-15', 1, 0, '早餐', 50, '', 1, '')"));
    database_access::Exec_SQL(
        QStringLiteral("INSERT INTO data_main VALUES ('2024-05-15', 1, 0, '午餐', 80, '', 2, '')"));
    const QStringList content = ledgerContent();

    auto w = openEntryWindow();
    {
        OtherConnection other(folder.path(QStringLiteral("db1.mdb")));
        QVERIFY(other.exec(QStringLiteral("BEGIN IMMEDIATE")));

        testing::retype(w->account_name, QStringLiteral("晚餐"));
        testing::retype(w->money_inout, QStringLiteral("120"));
        QElapsedTimer waited;
        waited.start();
        testing::click(w->data_add);
        const qint64 addMs = waited.restart();
        w->DGrid->setRow(2);
        testing::click(w->cmd_up_down[0]);
        const qint64 moveMs = waited.elapsed();

        // Each write waits for the other process a while, and then gives up rather than hang.
        for (qint64 ms : { addMs, moveMs }) {
            QVERIFY2(ms >= 2500, qPrintable(QString::number(ms)));
            QVERIFY2(ms < 10000, qPrintable(QString::number(ms)));
        }
        const QStringList texts = boxes.take();
        QCOMPARE(texts.size(), 2);
        for (const QString &text : texts)
            QVERIFY2(text.contains(QStringLiteral("locked")), qPrintable(text));
        QCOMPARE(gridContents(*w), QStringList({ "早餐", "午餐" }));
        QCOMPARE(ledgerContent(), content);
    }

    // Once the other process lets go, the same window writes again.
    testing::click(w->data_add);
    QCOMPARE(boxes.take(), QStringList());
    QCOMPARE(gridContents(*w), QStringList({ "早餐", "午餐", "晚餐" }));
}

void LedgerFaultsTest::strayEntriesCountAlikeEverywhereOnceGathered()
{
    LedgerFolder folder;
    database_access::Open_DB(QStringLiteral("db1.mdb"));
    // A kind that does not exist, and a direction that is neither expense nor income, which
    // another tool's layout, without this program's check on it, lets in.
    database_access::Exec_SQL(QStringLiteral("DROP TABLE data_main"));
    database_access::Exec_SQL(QStringLiteral(
        "CREATE TABLE data_main (a_date TEXT NOT NULL, a_kind INTEGER NOT NULL, a_inout INTEGER NOT NULL, a_content "
        "TEXT NOT NULL, a_count REAL NOT NULL, a_note TEXT NOT NULL, a_key INTEGER NOT NULL, a_kind_name TEXT NOT "
        "NULL)"));
    database_access::Exec_SQL(QStringLiteral("CREATE UNIQUE INDEX data_main_key ON data_main (a_key)"));
    for (const auto &[key, kind, inout, amount] : { std::tuple { 1, 1, 0, 30 }, std::tuple { 2, 999, 0, 1000 },
             std::tuple { 3, 1, 2, 2000 }, std::tuple { 4, 1, 0, 45 } })
        database_access::Exec_SQL(QStringLiteral("INSERT INTO data_main VALUES (?, ?, ?, 'x', ?, '', ?, '')"),
            { key == 4 ? QStringLiteral("2024-05-20") : QStringLiteral("2024-05-15"), kind, inout, amount, key });
    database_access::Close_DB();
    testing::FixedClock clock(QDate(2024, 5, 31));
    const auto start = [](bool gather) {
        ScriptedBoxes boxes;
        boxes.answer(gather);
        const bool started = startUp();
        const QStringList texts = boxes.texts().filter(QStringLiteral("未分類"));
        return started && texts.size() == 1
            && texts.first().contains(QStringLiteral("1 筆帳目的類別已經不在類別清單裡"))
            && texts.first().contains(QStringLiteral("1 筆帳目既不是支出也不是收入"));
    };
    QVERIFY(start(false)); // asked, and left as it is until the next start
    const QStringList before = ledgerContent();
    database_access::Close_DB();
    LedgerLock::release();
    QVERIFY(start(true));
    QCOMPARE(
        database_access::Open_Query(QStringLiteral("SELECT count(*) AS n FROM data_main d JOIN kind k ON "
                                                   "k.a_kind = d.a_kind WHERE k.name = '未分類' AND d.a_inout = 0"))
            .integer(QStringLiteral("n")),
        2);
    QVERIFY(ledgerContent() != before);

    // The day, the range query, the year report and its chart now all count every entry.
    ScriptedBoxes boxes;
    auto w = openEntryWindow();
    testing::retype(w->date_new, QStringLiteral("2024/5/15"));
    QTest::keyClick(w->date_new, Qt::Key_Return);
    QCOMPARE(w->Label6->text(), QStringLiteral("今天支出 3030元"));
    check window;
    QVERIFY(querywindow::open(window));
    querywindow::runRange(window, QStringLiteral("2024/5/1"), QStringLiteral("2024/5/31"), true);
    QVERIFY2(
        window.msg_field->text().contains(QStringLiteral("總支出 : 3075\n")), qPrintable(window.msg_field->text()));
    querywindow::runYear(window, QStringLiteral("2024"));
    QVERIFY2(
        window.msg_field->text().contains(QStringLiteral("年支出: 3075 元")), qPrintable(window.msg_field->text()));
    ModalDriver driver;
    QString title;
    driver.next([&](QDialog *dialog) { title = qobject_cast<chart_view *>(dialog)->chartAt(0)->title(); });
    querywindow::press(window.cmd_chart);
    QVERIFY2(title.contains(QStringLiteral("支出 3075元")), qPrintable(title));
    QCOMPARE(boxes.texts(), QStringList());
}

SAFETY_TEST_MAIN(LedgerFaultsTest)
#include "ledger_faults_test.moc"
