#include "store/SummaryKinds.h"

#include "app/Startup.h"
#include "store/database_access.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QStringDecoder>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    void otherEncodingsAreRead_data();
    void otherEncodingsAreRead();
    void hugeUtf16FileIsReadFromItsTail();
    void onlyARegularFileIsOpened();
    void startUpSaysWhenTheFileIsNoRegularFile();
};

namespace {

QByteArray utf16(const QString &text, bool little, bool mark)
{
    QByteArray bytes = mark ? QByteArray(little ? "\xFF\xFE" : "\xFE\xFF") : QByteArray();
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF);
        const char high = char(c.unicode() >> 8);
        bytes.append(little ? low : high);
        bytes.append(little ? high : low);
    }
    return bytes;
}

// Runs load on a thread of its own; false if it has not ended after a few seconds (then a
// writer is opened on the FIFO to let it end).
bool endsSoon(const std::function<void()> &load, const QString &fifo)
{
    std::unique_ptr<QThread> thread(QThread::create(load));
    thread->start();
    if (thread->wait(QDeadlineTimer(5000)))
        return true;
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
    thread->wait();
    return false;
}

} // namespace

void SummaryKindsTest::loadsTheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Ids>("table");
    QTest::addColumn<Ids>("list");
    QTest::newRow("three ids") << QByteArray("7,3,12\r\n") << Ids { 7, 3, 12 } << Ids { 7, 3, 12 };
    QTest::newRow("no line end") << QByteArray("7,3,12") << Ids { 7, 3, 12 } << Ids { 7, 3, 12 };
    QTest::newRow("unix line end") << QByteArray("7,3\n") << Ids { 7, 3 } << Ids { 7, 3 };
    QTest::newRow("two lines, the last counts") << QByteArray("1,2\r\n5,6\r\n") << Ids { 5, 6 } << Ids { 5, 6 };
    QTest::newRow("trailing empty line") << QByteArray("7,3\r\n\r\n") << Ids {} << Ids {};
    QTest::newRow("one id framed by blanks") << QByteArray(" 9 \r\n") << Ids { 9 } << Ids { 9 };
    QTest::newRow("blanks around ids") << QByteArray(" 7 , 3,12 \r\n") << Ids { 7, 3, 12 } << Ids { 7, 3, 12 };
    QTest::newRow("zero ends the list") << QByteArray("7,0,3\r\n") << Ids { 7, 0, 3 } << Ids { 7 };
    QTest::newRow("empty piece ends the list") << QByteArray("7,,3\r\n") << Ids { 7, 0, 3 } << Ids { 7 };
    QTest::newRow("empty line") << QByteArray("\r\n") << Ids {} << Ids {};
    QTest::newRow("empty file") << QByteArray() << Ids {} << Ids {};
    QTest::newRow("garbage piece reads as 0") << QByteArray("abc,5\r\n") << Ids { 0, 5 } << Ids {};
    QTest::newRow("number then letters") << QByteArray("12abc,4\r\n") << Ids { 12, 4 } << Ids { 12, 4 };
    QTest::newRow("fraction rounds half to even") << QByteArray("2.5,3.5\r\n") << Ids { 2, 4 } << Ids { 2, 4 };
    QTest::newRow("too large stops the load") << QByteArray("4,99999999999999999999,5\r\n") << Ids { 4 } << Ids { 4 };
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe,\x01", 5) << Ids { 0, 0 } << Ids {};
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
    SKinds = { 4, 5 };
    Load_SKinds();
    QVERIFY(SKinds.isEmpty());
    Save_SKinds(QStringLiteral("3"));
    QCOMPARE(ledger.readSKinds(), QByteArray("3\r\n"));
    Load_SKinds();
    QCOMPARE(SKinds, Ids { 3 });
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
    QCOMPARE(SKinds, (Ids { 8, 2 }));
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
        { QStringLiteral("7,3,12"), { 7, 3, 12 } },
        { QStringLiteral(" 12 "), { 12 } },
        { QString(), {} },
        { QStringLiteral("5"), { 5 } },
    };
    for (const auto &[line, ids] : lines) {
        Save_SKinds(line);
        Load_SKinds();
        QCOMPARE(SKinds_List(), ids);
    }
}

void SummaryKindsTest::otherEncodingsAreRead_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Ids>("list");
    const QString twoLines = QStringLiteral("1,2\r\n7,3,12\r\n");
    QTest::newRow("UTF-16 LE with mark") << utf16(twoLines, true, true) << Ids { 7, 3, 12 };
    QTest::newRow("UTF-16 BE with mark") << utf16(twoLines, false, true) << Ids { 7, 3, 12 };
    QTest::newRow("UTF-16 LE without mark") << utf16(twoLines, true, false) << Ids { 7, 3, 12 };
    QTest::newRow("UTF-16 BE without mark") << utf16(twoLines, false, false) << Ids { 7, 3, 12 };
    QTest::newRow("UTF-16 LE, one line") << utf16(QStringLiteral("5,6\r\n"), true, true) << Ids { 5, 6 };
    QTest::newRow("UTF-16 mark alone") << QByteArray("\xFF\xFE") << Ids {};
    // The mark is no piece of the first id.
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF"
                                                   "4,9\r\n")
                                     << Ids { 4, 9 };
}

void SummaryKindsTest::otherEncodingsAreRead()
{
    QFETCH(QByteArray, content);
    QFETCH(Ids, list);
    TestLedger ledger;
    ledger.writeSKinds(content);
    QCOMPARE(SKinds_List(), list);
    QCOMPARE(Load_SKinds(), QString());
}

void SummaryKindsTest::hugeUtf16FileIsReadFromItsTail()
{
    // Both lengths: the tail then starts on either byte of a character.
    for (const int junk : { 700000, 700001 }) {
        TestLedger ledger;
        const QString text = QString(junk, QLatin1Char('z')) + QStringLiteral("\r\n8,2\r\n");
        ledger.writeSKinds(utf16(text, true, true));
        QCOMPARE(SKinds, (Ids { 8, 2 }));
        ledger.writeSKinds(utf16(text, false, true));
        QCOMPARE(SKinds, (Ids { 8, 2 }));
    }
}

void SummaryKindsTest::onlyARegularFileIsOpened()
{
    TestLedger ledger;
    const QString path = ledger.path(QStringLiteral("SKinds.txt"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    SKinds = { 4 };
    QString said;
    QVERIFY2(endsSoon([&said] { said = Load_SKinds(); }, path), "loading waited on a FIFO");
    QVERIFY(SKinds.isEmpty());
    QVERIFY2(said.contains(QStringLiteral("SKinds.txt")) && said.contains(QStringLiteral("不是一般的檔案")),
        qPrintable(said));

    QFile copy;
    bool opened = true;
    QVERIFY(endsSoon([&] { opened = Open_SKinds_File(copy) == SummaryFileOpen::Opened; }, path));
    QVERIFY(!opened);
    QVERIFY(!copy.isOpen());

    // A folder of that name is no file either.
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
    SKinds = { 4 };
    QVERIFY(Load_SKinds().contains(QStringLiteral("不是一般的檔案")));
    QVERIFY(SKinds.isEmpty());
}

void SummaryKindsTest::startUpSaysWhenTheFileIsNoRegularFile()
{
    TestLedger ledger;
    Close_DB();
    const QString path = ledger.path(QStringLiteral("SKinds.txt"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    ScriptedBoxes boxes;
    bool started = false;
    // Boxes are answered on the window's thread, so the start runs here; a hang would be cut
    // short by the writer opened from a thread of the test.
    std::unique_ptr<QThread> rescue(QThread::create([&path] {
        QThread::msleep(5000);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }));
    QElapsedTimer timer;
    timer.start();
    rescue->start();
    started = startUp(BackupTiming::AfterMenuShown);
    const qint64 took = timer.elapsed();
    rescue->wait();
    QVERIFY2(took < 4000, qPrintable(QString::number(took)));
    QVERIFY(started);
    QVERIFY(Is_Open());
    QCOMPARE(boxes.texts().size(), 1);
    QVERIFY(boxes.texts().first().contains(QStringLiteral("SKinds.txt")));
    QVERIFY(SKinds.isEmpty());
}

QUILLORY_TEST_MAIN(SummaryKindsTest)
#include "skinds_test.moc"
