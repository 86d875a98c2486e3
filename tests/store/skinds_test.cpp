// SKinds.txt as other tools and older versions leave it: missing, huge, in UTF-16 with or
// without a mark, or no file at all but a FIFO or a folder, which must not hang the start.

#include "app/Startup.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QStringEncoder>
#include <QThread>

#include <atomic>
#include <numeric>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace database_access;
using Ids = QVector<qint64>;

namespace {

QByteArray utf16(const QString &text, bool little, bool mark)
{
    QStringEncoder encoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
        mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

// Runs work; true when it ended within a few seconds (a writer opened on the FIFO after them
// lets a hung reader go).
bool endsSoon(const std::function<void()> &work, const QString &fifo)
{
    std::atomic_bool done = false;
    std::unique_ptr<QThread> rescue(QThread::create([&fifo, &done] {
        for (int waited = 0; waited < 4000 && !done; waited += 20)
            QThread::msleep(20);
        ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK)); // no reader: nothing to close
    }));
    QElapsedTimer timer;
    timer.start();
    rescue->start();
    work();
    done = true;
    const bool soon = timer.elapsed() < 3000;
    rescue->wait();
    return soon;
}

} // namespace

class SummaryKindsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The last line of any file is read: content -> the table read, the list in use (up to
    // the first 0).
    void theLastLineOfAnyFileIsReadAndChanged()
    {
        TestLedger ledger;
        SKinds = { 4, 5 };
        Load_SKinds();
        QVERIFY(SKinds.isEmpty());
        Save_SKinds(QStringLiteral("3"));
        QCOMPARE(ledger.readSKinds(), QByteArray("3\r\n"));
        const QString twoLines = QStringLiteral("1,2\r\n7,3,12\r\n");
        Ids manyIds(61);
        std::iota(manyIds.begin(), manyIds.end(), 1);
        const QByteArray many = SKinds_Line(manyIds).toLatin1();
        const QList<std::tuple<QByteArray, Ids, Ids>> files
            = { { "7,3,12", { 7, 3, 12 }, { 7, 3, 12 } }, { "1,2\r\n 5 , 6 \n", { 5, 6 }, { 5, 6 } },
                  { "7,3\r\n\r\n", {}, {} }, { "7,0,3\r\n", { 7, 0, 3 }, { 7 } }, { "7,,3", { 7, 0, 3 }, { 7 } },
                  { "abc,5", { 0, 5 }, {} }, { "12abc,4", { 12, 4 }, { 12, 4 } }, { "2.5,3.5", { 2, 4 }, { 2, 4 } },
                  { "4,99999999999999999999,5", { 4 }, { 4 } }, { QByteArray("\x00\xff\xfe,\x01", 5), { 0, 0 }, {} },
                  { QByteArray("\xEF\xBB\xBF") + "4,9\r\n", { 4, 9 }, { 4, 9 } },
                  { utf16(twoLines, true, true), { 7, 3, 12 }, { 7, 3, 12 } },
                  { utf16(twoLines, false, true), { 7, 3, 12 }, { 7, 3, 12 } },
                  { utf16(twoLines, true, false), { 7, 3, 12 }, { 7, 3, 12 } },
                  { utf16(twoLines, false, false), { 7, 3, 12 }, { 7, 3, 12 } }, { "\xFF\xFE", {}, {} },
                  { QByteArray(3000 * 1002, 'z') + "\r\n8,2\r\n", { 8, 2 }, { 8, 2 } },
                  // The tail of a huge UTF-16 file starts on either byte of a character.
                  { utf16(QString(700000, u'z') + QStringLiteral("\r\n8,2\r\n"), true, true), { 8, 2 }, { 8, 2 } },
                  { utf16(QString(700001, u'z') + QStringLiteral("\r\n8,2\r\n"), false, true), { 8, 2 }, { 8, 2 } },
                  { many, manyIds, manyIds } }; // no cap at 51 ids
        for (const auto &[content, table, list] : files) {
            ledger.writeSKinds(content);
            QCOMPARE(SKinds, table);
            QCOMPARE(SKinds_List(), list);
        }
        Save_SKinds(QString());
        QCOMPARE(ledger.readSKinds(), QByteArray("\r\n"));
        QCOMPARE(QDir(ledger.folder()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
        // A summary kind added or taken away: file before, change (+ adds, - removes), file after
        // ("" when nothing is written).
        QCOMPARE(SKinds_Line({ 9007199254740991, 0, 4 }), QStringLiteral("9007199254740991,0,4"));
        const QList<std::tuple<QByteArray, int, QByteArray>> changes = {
            { " 7 , 3\r\n", 12, "12,7,3\r\n" },
            { "7,0,3\r\n", 5, "5,7\r\n" },
            { "1,2\r\n 7 ,0,3\r\n", 7, "" },
            { "7,0,3\r\n", 3, "" },
            { "5,7,3,9\r\n", -7, "5,3,9\r\n" },
            { "5,3\r\n", -5, " 3 \r\n" },
            { " 3 \r\n", -3, "\r\n" },
            { "7,4,0,3\r\n", -3, "7,4\r\n" },
        };
        for (const auto &[before, change, after] : changes) {
            ledger.writeSKinds(before);
            QCOMPARE(change > 0 ? Add_Summary_Kind(change) : (Remove_Summary_Kind(-change), true), !after.isEmpty());
            QCOMPARE(ledger.readSKinds(), after.isEmpty() ? before : after);
            QCOMPARE(SKinds, Parse_SKinds_Line(Last_SKinds_Line(ledger.readSKinds())));
        }
        // A FIFO or a folder is no file: it is not read, and the start goes on.
        const QString path = ledger.path(QStringLiteral("SKinds.txt"));
        QVERIFY(QFile::remove(path) && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        SKinds = { 4 };
        QString said;
        QVERIFY2(endsSoon([&said] { said = Load_SKinds(); }, path), "loading waited on a FIFO");
        QVERIFY2(SKinds.isEmpty() && said.contains(QStringLiteral("SKinds.txt")) && said.contains(u"不是一般的檔案"),
            qPrintable(said));
        // The start says so once and goes on; the box is answered on this thread.
        Close_DB();
        ScriptedBoxes boxes;
        bool started = false;
        QVERIFY(endsSoon([&started] { started = startUp(BackupTiming::AfterMenuShown); }, path));
        QVERIFY(started && Is_Open() && SKinds.isEmpty());
        QVERIFY(boxes.texts().size() == 1 && boxes.texts().first().contains(QStringLiteral("SKinds.txt")));
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        SKinds = { 4 };
        QVERIFY(Load_SKinds().contains(QStringLiteral("不是一般的檔案")) && SKinds.isEmpty());
    }
};

QUILLORY_TEST_MAIN(SummaryKindsTest)
#include "skinds_test.moc"
