#include "store/KindStore.h"
#include "store/StoreError.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QObject>

#include <csignal>
#include <functional>

#include <sys/resource.h>

using namespace database_access;

using Ids = QVector<qint64>;

class SummaryKindChangesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineJoinsTheIds();
    void addingPutsTheKindFirst();
    void addingDropsWhatFollowsAZero();
    void addingAKindListedAlreadyWritesNothing();
    void removingKeepsTheOthersInOrder();
    void removingAKindAfterAZero();
    void aFailedWriteLeavesTheOldFileAndList();
    void aWriteCutShortLeavesTheOldFileAndList();
    void aNewKindNeverTakesAnIdStillNamed();
};

namespace {

// Runs change with this process allowed to write files of no more than a few bytes, as on a
// disk that fills up after them; true when it threw StoreError.
bool throwsWhenFilesCannotGrow(const std::function<void()> &change)
{
    rlimit before {};
    if (::getrlimit(RLIMIT_FSIZE, &before) != 0)
        qFatal("getrlimit failed");
    // A write past the limit then fails with EFBIG instead of ending the process.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 3;
    if (::setrlimit(RLIMIT_FSIZE, &small) != 0)
        qFatal("setrlimit failed");
    bool threw = false;
    try {
        change();
    } catch (const StoreError &) {
        threw = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    return threw;
}

} // namespace

void SummaryKindChangesTest::lineJoinsTheIds()
{
    QCOMPARE(SKinds_Line({}), QString());
    QCOMPARE(SKinds_Line({ 12 }), QStringLiteral("12"));
    QCOMPARE(SKinds_Line({ 7, 3, 12 }), QStringLiteral("7,3,12"));
    QCOMPARE(SKinds_Line({ 9007199254740991, 0, 4 }), QStringLiteral("9007199254740991,0,4"));
    // Every line it writes reads back as the same ids.
    for (const Ids &ids : { Ids { 5 }, Ids { 1, 2, 3 }, Ids { 40, 0, 2 } })
        QCOMPARE(Parse_SKinds_Line(SKinds_Line(ids)), ids);
}

void SummaryKindChangesTest::addingPutsTheKindFirst()
{
    TestLedger ledger;
    QVERIFY(Add_Summary_Kind(5));
    QCOMPARE(ledger.readSKinds(), QByteArray("5\r\n"));
    QCOMPARE(SKinds, Ids { 5 });
    ledger.writeSKinds(" 7 , 3\r\n");
    QVERIFY(Add_Summary_Kind(12));
    QCOMPARE(ledger.readSKinds(), QByteArray("12,7,3\r\n"));
    QCOMPARE(SKinds, (Ids { 12, 7, 3 }));
}

void SummaryKindChangesTest::addingDropsWhatFollowsAZero()
{
    TestLedger ledger;
    ledger.writeSKinds("7,0,3\r\n");
    QVERIFY(Add_Summary_Kind(5));
    QCOMPARE(ledger.readSKinds(), QByteArray("5,7\r\n"));
    QCOMPARE(SKinds, (Ids { 5, 7 }));
}

void SummaryKindChangesTest::addingAKindListedAlreadyWritesNothing()
{
    TestLedger ledger;
    // The file keeps its own look: a write would have rewritten it.
    const QByteArray content("1,2\r\n 7 ,0,3\r\n");
    ledger.writeSKinds(content);
    QVERIFY(!Add_Summary_Kind(7));
    // An id after the 0 counts as listed too: the kind manager shows it.
    QVERIFY(!Add_Summary_Kind(3));
    QCOMPARE(ledger.readSKinds(), content);
    QCOMPARE(SKinds, (Ids { 7, 0, 3 }));
}

void SummaryKindChangesTest::removingKeepsTheOthersInOrder()
{
    TestLedger ledger;
    ledger.writeSKinds("5,7,3,9\r\n");
    Remove_Summary_Kind(7);
    QCOMPARE(ledger.readSKinds(), QByteArray("5,3,9\r\n"));
    QCOMPARE(SKinds, (Ids { 5, 3, 9 }));
    Remove_Summary_Kind(9);
    QCOMPARE(ledger.readSKinds(), QByteArray("5,3\r\n"));
    // The last one left is framed by blanks.
    Remove_Summary_Kind(5);
    QCOMPARE(ledger.readSKinds(), QByteArray(" 3 \r\n"));
    QCOMPARE(SKinds, Ids { 3 });
    Remove_Summary_Kind(3);
    QCOMPARE(ledger.readSKinds(), QByteArray("\r\n"));
    QVERIFY(SKinds.isEmpty());
}

void SummaryKindChangesTest::removingAKindAfterAZero()
{
    TestLedger ledger;
    ledger.writeSKinds("7,4,0,3\r\n");
    Remove_Summary_Kind(3);
    QCOMPARE(ledger.readSKinds(), QByteArray("7,4\r\n"));
    QCOMPARE(SKinds, (Ids { 7, 4 }));
}

void SummaryKindChangesTest::aFailedWriteLeavesTheOldFileAndList()
{
    TestLedger ledger;
    const QByteArray content("7,3\r\n");
    ledger.writeSKinds(content);
    const QString path = ledger.path(QStringLiteral("SKinds.txt"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY_THROWS_EXCEPTION(StoreError, Add_Summary_Kind(5));
    QCOMPARE(ledger.readSKinds(), content);
    QCOMPARE(SKinds, (Ids { 7, 3 }));
    QVERIFY_THROWS_EXCEPTION(StoreError, Remove_Summary_Kind(7));
    QCOMPARE(ledger.readSKinds(), content);
    QCOMPARE(SKinds, (Ids { 7, 3 }));

    // Writable again, the same changes go through.
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(Add_Summary_Kind(5));
    Remove_Summary_Kind(7);
    QCOMPARE(ledger.readSKinds(), QByteArray("5,3\r\n"));
}

void SummaryKindChangesTest::aWriteCutShortLeavesTheOldFileAndList()
{
    TestLedger ledger;
    const QByteArray content("7,3\r\n");
    ledger.writeSKinds(content);
    QVERIFY(throwsWhenFilesCannotGrow([] { Add_Summary_Kind(12); }));
    QCOMPARE(ledger.readSKinds(), content);
    QCOMPARE(SKinds, (Ids { 7, 3 }));
    ledger.writeSKinds("7,3,12\r\n");
    QVERIFY(throwsWhenFilesCannotGrow([] { Remove_Summary_Kind(3); }));
    QCOMPARE(ledger.readSKinds(), QByteArray("7,3,12\r\n"));
    QCOMPARE(SKinds, (Ids { 7, 3, 12 }));
}

void SummaryKindChangesTest::aNewKindNeverTakesAnIdStillNamed()
{
    TestLedger ledger;
    // Another tool's ledger: a kind table without AUTOINCREMENT, which reuses the highest id freed.
    Exec_SQL(QStringLiteral("DROP TABLE kind"));
    Exec_SQL(QStringLiteral("CREATE TABLE kind (a_kind INTEGER PRIMARY KEY, name TEXT, key_order INTEGER)"));
    for (const char *name : { "甲", "乙", "丙" })
        KindStore::addKind(QString::fromUtf8(name), KindStore::nextKeyOrder());
    // 丙 was a summary kind, deleted while SKinds.txt could not be rewritten: the file still names it.
    ledger.writeSKinds("3\r\n");
    SKinds.clear();
    Exec_SQL(QStringLiteral("DELETE FROM kind WHERE a_kind=3"));
    QCOMPARE(KindStore::addKind(QStringLiteral("丁"), 4), 4);
    // An entry naming a kind that is gone keeps its id from being handed out too.
    ledger.addEntry(QStringLiteral("2024-05-01"), 9, 0, QStringLiteral("x"), 1, {}, 1);
    QCOMPARE(KindStore::addKind(QStringLiteral("戊"), 5), 10);
}

QUILLORY_TEST_MAIN(SummaryKindChangesTest)
#include "summary_kind_changes_test.moc"
