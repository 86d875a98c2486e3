// Start-up in a folder whose db1.mdb is an old Access ledger: the offer to bring it over, and
// what each answer and each way the importer can end leave in the folder and on the screen.
// A double that honours quillory-import's command line misbehaves on request; the real
// quillory-import runs on old ledgers written by the test writer, and is killed or cancelled
// at each of its calls that change a file.

#include "app/Form1.h"
#include "app/ImportProgress.h"
#include "app/ImportRunner.h"
#include "app/OldLedgerFile.h"
#include "app/Startup.h"
#include "import/ImportRun.h"
#include "store/LedgerLock.h"
#include "store/LedgerSchema.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "support/ScriptedBoxes.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <array>

using namespace database_access;
using importrun::bytesOf;
using importrun::snapshot;
using testing::writeFile;

namespace {

QByteArray accessHeader(const char *engine, char version)
{
    QByteArray page = (QByteArray("\x00\x01\x00\x00", 4) + engine).leftJustified(4096, '\0');
    page[0x14] = version;
    for (int i = 0x100; i < page.size(); ++i)
        page[i] = char(i * 7); // bytes that must come through every refusal unchanged
    return page;
}

// Whether a process started by this one stands stopped, as the kill shim leaves it.
bool aChildIsStopped()
{
    const QByteArray me = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray text = bytesOf(QStringLiteral("/proc/%1/stat").arg(pid));
        if (text.mid(text.lastIndexOf(')') + 2).startsWith("T " + me + ' ')) // its state, its parent, ...
            return true;
    }
    return false;
}

// A folder holding an old ledger beside summary kinds, made the working directory, with the
// double as the importer (behaving as `mode` says) or the real one (mode "real").
class OldLedgerFolder
{
public:
    explicit OldLedgerFolder(const QByteArray &db1, const QByteArray &mode, bool earlierReport = false)
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        writeFile(QStringLiteral("db1.mdb"), db1);
        writeFile(QStringLiteral("SKinds.txt"), "1,2\r\n");
        if (earlierReport) // an earlier try's; without it, a failure must leave none behind
            writeFile(QStringLiteral("import-report.txt"), "轉入核對：有 1 處不符\n");
        qputenv("QUILLORY_IMPORT_DOUBLE", mode);
        ImportRunner::setProgramForTests(mode == "real"
                ? QStringLiteral(QUILLORY_IMPORT_PROGRAM)
                : QCoreApplication::applicationDirPath() + QStringLiteral("/import_double_driver"));
        before = snapshot(m_dir.path());
    }
    ~OldLedgerFolder()
    {
        Close_DB();
        LedgerLock::release();
        ImportRunner::setProgramForTests(QString());
        ImportRunner::setTimeoutForTests(0);
        QDir::setCurrent(m_previous);
    }
    bool unchanged() const { return snapshot(m_dir.path()) == before; }
    // The new ledger open, the old file kept byte for byte under the name told, no piece left.
    bool landed(const QString &told) const
    {
        const QStringList copies = QDir().entryList({ QStringLiteral("db1-jet-*") });
        return Is_Open() && copies.size() == 1 && told.contains(copies.first())
            && bytesOf(copies.first()) == before.value(QStringLiteral("db1.mdb"))
            && QDir().entryList({ QStringLiteral("*partial*") }, QDir::Files | QDir::Hidden).isEmpty();
    }
    // Starts up answering the offer; whether the new ledger opened.
    bool start(bool answer)
    {
        boxes.answer(answer);
        return startUp();
    }

    QMap<QString, QByteArray> before;
    ScriptedBoxes boxes;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace

class JetOfferTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { jetcases::writeCases(m_written.path()); }

    // Not an old ledger: missing, empty, cut short, another engine's name, another first word,
    // this program's own ledger. (Access 97, 2000 and 2007 files are recognised below.)
    void recognisesOldLedgersByTheirFirstPage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("db1.mdb"));
        QCOMPARE(oldLedgerFormatOf(path), OldLedgerFormat::NotAccess);
        LedgerSchema::createLedger(path);
        for (const QByteArray &bytes : { bytesOf(path), QByteArray(), accessHeader("Standard Jet DB", 1).left(0x14),
                 accessHeader("Standard Jet XX", 1), accessHeader("Standard Jet DB", 1).replace(1, 1, "\x02") }) {
            writeFile(path, bytes);
            QCOMPARE(oldLedgerFormatOf(path), OldLedgerFormat::NotAccess);
        }
    }

    // Every way the importer fails, and every file that is not offered or is refused: told in
    // one message after the offer (or alone, when nothing is offered), the folder as it was.
    void failuresAndRefusalsLeaveTheFolderAsItWas_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QString>("told");
        // The file (written by the writer; none: an Access 2000 header), the importer (the double's
        // behaviour, or the real one) and what is told; the real one is offered only small.mdb.
        const std::initializer_list<std::array<const char *, 4>> rows = { { "No", "small.mdb", "real", "沒有轉入" },
            { "refused", "", "fail", "舊帳本 data_main 第 7 列的日期無法讀取，轉入停止。" },
            { "no word", "", "silent", "結束碼 2" }, { "hangs", "", "hang", "還沒有完成，已經停止" },
            { "crashes", "", "crash", "意外中止" }, { "no program", "", "none", "無法啟動轉入程式" },
            { "Access 97", "jet3.mdb", "real", "Access 97" }, { ".accdb", "ace_as_mdb.mdb", "real", ".accdb" },
            { "an address book", "contacts.mdb", "real", "沒有帳本的表格 data_main、kind（它的表格是 contacts）" },
            { "kinds without entries", "kinds_only.mdb", "real", "沒有帳本的表格 data_main（" } };
        for (const auto &[name, file, mode, told] : rows)
            QTest::newRow(name) << QByteArray(file) << QByteArray(mode) << QString::fromUtf8(told);
    }

    void failuresAndRefusalsLeaveTheFolderAsItWas()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, mode);
        QFETCH(QString, told);
        const bool offered = mode != "real" || file == "small.mdb";
        OldLedgerFolder folder(file.isEmpty() ? accessHeader("Standard Jet DB", 1)
                                              : bytesOf(m_written.filePath(QString::fromLatin1(file))),
            mode);
        if (mode == "none")
            ImportRunner::setProgramForTests(QStringLiteral("/no-such-importer"));
        ImportRunner::setTimeoutForTests(1500);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!folder.start(!told.contains(u"沒有轉入")));
        QVERIFY(clock.elapsed() < 10000 && !Is_Open() && folder.unchanged() && folder.boxes.unexpected().isEmpty());
        const QStringList texts = folder.boxes.texts();
        QCOMPARE(texts.size(), offered ? 2 : 1);
        // Only the importer's last line is for the person, not what it said on the way.
        QVERIFY2(texts.last().contains(told) && !texts.last().contains(u"reading data_main")
                && texts.last().contains(
                    offered && told != QStringLiteral("沒有轉入") ? u"舊的 db1.mdb 沒有更動" : u""),
            qPrintable(texts.last()));
    }

    // The import program killed, or cancelled with 取消, at each of its calls that change a
    // file and at its exit: before its rename of the new ledger the folder is as it was, byte
    // for byte; after it the new ledger is in place, whole, and opened. The message says which.
    void anImportCutShortLeavesTheFolderOrTheNewLedger()
    {
        const QByteArray old = bytesOf(m_written.filePath(QStringLiteral("small.mdb")));
        const QString countFile = m_written.filePath(QStringLiteral("calls"));
        const auto shim = [&](qint64 at, bool stop) {
            qputenv("LD_PRELOAD", QFile::encodeName(QCoreApplication::applicationDirPath() + "/libkill_shim.so"));
            qputenv("QUILLORY_KILL_FROM_START", "--progress");
            qputenv("QUILLORY_KILL_AT", QByteArray::number(at));
            qputenv("QUILLORY_KILL_SIGNAL", stop ? "STOP" : "KILL");
            qputenv("QUILLORY_KILL_COUNT_FILE", QFile::encodeName(countFile));
        };
        shim(0, false);
        qint64 calls = 0;
        {
            // Left to finish: every entry comes over, an earlier try's report is replaced, the
            // summary kinds are kept and the menu works on the new ledger.
            OldLedgerFolder folder(old, "real", true);
            QVERIFY(folder.start(true));
            calls = bytesOf(countFile).trimmed().toLongLong();
            QVERIFY2(calls > 10, qPrintable(QString::number(calls)));
            const QString told = folder.boxes.texts().value(1);
            QVERIFY2(
                folder.landed(told) && told.contains(QStringLiteral("data_main：讀 12 筆（檔案記錄 12 筆），寫 12 筆")),
                qPrintable(told));
            QVERIFY(bytesOf(QStringLiteral("import-report.txt")).startsWith("轉入核對：全部相符\n"));
            QCOMPARE(bytesOf(QStringLiteral("SKinds.txt")), QByteArray("1,2\r\n"));
            int compared = 0;
            const QJsonObject layout = jetcases::layoutOf(m_written.filePath(QStringLiteral("small.mdb")));
            QCOMPARE(importrun::differenceFromOld(layout, ImportStore::readAll(), &compared), QString());
            QCOMPARE(compared, 12);
            Form1 menu;
            QVERIFY(testing::showActive(&menu) && SKinds_List() == QVector<qint64>({ 1, 2 }));
        }
        QTimer person; // clicks 取消 on the progress window while the importer stands stopped
        QObject::connect(&person, &QTimer::timeout, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<ImportProgress *>(w) && w->isVisible() && aChildIsStopped())
                    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cancel")), Qt::LeftButton);
        });
        person.start(10);
        // Killed at the rename itself the old ledger stays; only after it is the new one in place.
        for (const bool cancel : { false, true })
            for (qint64 at = 1; at <= calls + 1; ++at) {
                shim(at, cancel);
                OldLedgerFolder folder(old, "real", true);
                const bool opened = folder.start(true);
                const QString told = folder.boxes.texts().value(1);
                const QString where = QStringLiteral("at call %1 of %2: %3").arg(at).arg(calls).arg(told);
                QVERIFY2(folder.boxes.texts().size() == 2 && folder.boxes.unexpected().isEmpty()
                        && opened == (at == calls + 1),
                    qPrintable(where));
                QVERIFY2(opened ? folder.landed(told)
                            && bytesOf(QStringLiteral("import-report.txt")).startsWith("轉入核對：全部相符\n")
                            && told.contains(QStringLiteral("轉入核對：全部相符"))
                            && told.startsWith(cancel
                                    ? QStringLiteral("取消的時候，轉入已經完成了")
                                    : QStringLiteral("轉入程式結束時出了問題（轉入程式意外中止，轉入沒有完成。）"
                                                     "，不過新帳本在那之前已經核對完成"))
                                : folder.unchanged() && told.contains(QStringLiteral("舊的 db1.mdb 沒有更動"))
                            && told.contains(
                                cancel ? QStringLiteral("已經取消轉入") : QStringLiteral("轉入程式意外中止")),
                    qPrintable(where));
            }
        for (const char *name : { "LD_PRELOAD", "QUILLORY_KILL_FROM_START", "QUILLORY_KILL_AT", "QUILLORY_KILL_SIGNAL",
                 "QUILLORY_KILL_COUNT_FILE" })
            qunsetenv(name);
    }

private:
    QTemporaryDir m_written;
};

QUILLORY_TEST_MAIN(JetOfferTest)
#include "jet_offer_test.moc"
