#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QObject>

using namespace database_access;

using Ids = QVector<qint64>;

class SummaryKindsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadsTheFile_data();
    void loadsTheFile();
    void missingFileIsEmptyAndSaveCreatesIt();
    void hugeFileIsReadFromItsTail();
    void saveWritesOneLineWithCrLf();
    void saveRoundTripsEveryWrittenLine();
};

void SummaryKindsTest::loadsTheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Ids>("table");
    QTest::addColumn<Ids>("list");
    QTest::newRow("three ids") << QByteArray("7,3,12\r\n") << Ids{7, 3, 12} << Ids{7, 3, 12};
    QTest::newRow("no line end") << QByteArray("7,3,12") << Ids{7, 3, 12} << Ids{7, 3, 12};
    QTest::newRow("unix line end") << QByteArray("7,3\n") << Ids{7, 3} << Ids{7, 3};
    QTest::newRow("two lines, the last counts") << QByteArray("1,2\r\n5,6\r\n") << Ids{5, 6} << Ids{5, 6};
    QTest::newRow("trailing empty line") << QByteArray("7,3\r\n\r\n") << Ids{} << Ids{};
    QTest::newRow("one id framed by blanks") << QByteArray(" 9 \r\n") << Ids{9} << Ids{9};
    QTest::newRow("blanks around ids") << QByteArray(" 7 , 3,12 \r\n") << Ids{7, 3, 12} << Ids{7, 3, 12};
    QTest::newRow("zero ends the list") << QByteArray("7,0,3\r\n") << Ids{7, 0, 3} << Ids{7};
    QTest::newRow("empty piece ends the list") << QByteArray("7,,3\r\n") << Ids{7, 0, 3} << Ids{7};
    QTest::newRow("empty line") << QByteArray("\r\n") << Ids{} << Ids{};
    QTest::newRow("empty file") << QByteArray() << Ids{} << Ids{};
    QTest::newRow("garbage piece reads as 0") << QByteArray("abc,5\r\n") << Ids{0, 5} << Ids{};
    QTest::newRow("number then letters") << QByteArray("12abc,4\r\n") << Ids{12, 4} << Ids{12, 4};
    QTest::newRow("fraction rounds half to even") << QByteArray("2.5,3.5\r\n") << Ids{2, 4} << Ids{2, 4};
    QTest::newRow("too large stops the load") << QByteArray("4,99999999999999999999,5\r\n") << Ids{4} << Ids{4};
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe,\x01", 5) << Ids{0, 0} << Ids{};
    QByteArray sixty;
    Ids sixtyIds;
    for (int i = 1; i <= 60; ++i) {
        sixty += QByteArray::number(i) + (i < 60 ? "," : "\r\n");
        sixtyIds.append(i);
    }
    // No cap at 51: every id of the line counts.
    QTest::newRow("sixty ids") << sixty << sixtyIds << sixtyIds;
}

void SummaryKindsTest::loadsTheFile()
{
    QFETCH(QByteArray, content);
    QFETCH(Ids, table);
    QFETCH(Ids, list);
    TestLedger ledger;
    ledger.writeSKinds(content);
    QCOMPARE(SKinds, table);
    QCOMPARE(SKinds_List(), list);
}

void SummaryKindsTest::missingFileIsEmptyAndSaveCreatesIt()
{
    TestLedger ledger;
    QVERIFY(!QFile::exists(QStringLiteral("SKinds.txt")));
    SKinds = {4, 5};
    Load_SKinds();
    QVERIFY(SKinds.isEmpty());
    Save_SKinds(QStringLiteral("3"));
    QCOMPARE(ledger.readSKinds(), QByteArray("3\r\n"));
    Load_SKinds();
    QCOMPARE(SKinds, Ids{3});
}

void SummaryKindsTest::hugeFileIsReadFromItsTail()
{
    TestLedger ledger;
    QByteArray content;
    const QByteArray junkLine(1000, 'z');
    for (int i = 0; i < 3000; ++i)
        content += junkLine + "\r\n";
    content += "8,2\r\n";
    ledger.writeSKinds(content);
    QCOMPARE(SKinds, (Ids{8, 2}));
}

void SummaryKindsTest::saveWritesOneLineWithCrLf()
{
    TestLedger ledger;
    ledger.writeSKinds("1,2,3\r\n4\r\n");
    Save_SKinds(QStringLiteral("7,3,12"));
    QCOMPARE(ledger.readSKinds(), QByteArray("7,3,12\r\n"));
    Save_SKinds(QString());
    QCOMPARE(ledger.readSKinds(), QByteArray("\r\n"));
    Load_SKinds();
    QVERIFY(SKinds.isEmpty());
    // No temporary file is left beside it.
    QCOMPARE(QDir(ledger.folder()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void SummaryKindsTest::saveRoundTripsEveryWrittenLine()
{
    TestLedger ledger;
    const QList<QPair<QString, Ids>> lines = {
        {QStringLiteral("7,3,12"), {7, 3, 12}},
        {QStringLiteral(" 12 "), {12}},
        {QString(), {}},
        {QStringLiteral("5"), {5}},
    };
    for (const auto &[line, ids] : lines) {
        Save_SKinds(line);
        Load_SKinds();
        QCOMPARE(SKinds_List(), ids);
    }
}

QUILLORY_TEST_MAIN(SummaryKindsTest)
#include "skinds_test.moc"
