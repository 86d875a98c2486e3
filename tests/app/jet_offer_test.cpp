// Start-up in a folder whose db1.mdb is an old Access ledger: the offer to bring it over, and
// what each answer and each way the importer can end leave in the folder and on the screen.
// Most cases use a double that honours quillory-import's command line and misbehaves on
// request; the last ones run the real quillory-import on old ledgers written by the test writer.

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

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

using namespace database_access;

namespace {

QByteArray accessHeader(const char *engine, char version)
{
    QByteArray page(4096, '\0');
    page.replace(0, 4, QByteArray("\x00\x01\x00\x00", 4));
    page.replace(4, int(qstrlen(engine)), engine);
    page[0x14] = version;
    // Bytes of a "ledger" that must come through every refusal unchanged.
    for (int i = 0x100; i < page.size(); ++i)
        page[i] = char(i * 7);
    return page;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file of a folder with its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files.insert(name, file.readAll());
    }
    return files;
}

// Every entry of a folder (hidden ones and folders too) with its size and SHA-256.
QMap<QString, QString> fingerprints(const QString &folder)
{
    QMap<QString, QString> prints;
    const QDir dir(folder);
    for (const QFileInfo &info :
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (info.isDir()) {
            prints.insert(info.fileName(), QStringLiteral("folder"));
            continue;
        }
        QFile file(info.filePath());
        QCryptographicHash sha(QCryptographicHash::Sha256);
        if (!file.open(QIODevice::ReadOnly) || !sha.addData(&file)) {
            prints.insert(info.fileName(), QStringLiteral("unreadable"));
            continue;
        }
        prints.insert(info.fileName(),
            QStringLiteral("%1 bytes, %2").arg(info.size()).arg(QString::fromLatin1(sha.result().toHex())));
    }
    return prints;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether a process started by this one stands stopped (as the kill shim leaves it when told
// to stop instead of killing).
bool aChildIsStopped()
{
    const QByteArray me = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // pid (name) state parent ...
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(0) == "T" && fields.at(1) == me)
            return true;
    }
    return false;
}

// The import program with the kill shim preloaded, from its start, in the programs this one
// starts while it lives: killed (or stopped) just before its file-changing call numbered at,
// or at its exit when that is one more than its calls; at 0 it counts them into countFile.
class ShimmedImporter
{
public:
    ShimmedImporter(qint64 at, bool stop, const QString &countFile = QString())
    {
        qputenv("LD_PRELOAD", QFile::encodeName(QCoreApplication::applicationDirPath() + "/libkill_shim.so"));
        qputenv("QUILLORY_KILL_FROM_START", "--progress");
        qputenv("QUILLORY_KILL_AT", QByteArray::number(at));
        qputenv("QUILLORY_KILL_SIGNAL", stop ? "STOP" : "KILL");
        qputenv("QUILLORY_KILL_COUNT_FILE", QFile::encodeName(countFile));
        ImportRunner::setProgramForTests(QStringLiteral(QUILLORY_IMPORT_PROGRAM));
    }
    ~ShimmedImporter()
    {
        for (const char *name : { "LD_PRELOAD", "QUILLORY_KILL_FROM_START", "QUILLORY_KILL_AT", "QUILLORY_KILL_SIGNAL",
                 "QUILLORY_KILL_COUNT_FILE" })
            qunsetenv(name);
    }
    ShimmedImporter(const ShimmedImporter &) = delete;
    ShimmedImporter &operator=(const ShimmedImporter &) = delete;
};

// A folder holding an old ledger, made the working directory, with the double as the importer.
class OldLedgerFolder
{
public:
    explicit OldLedgerFolder(const QByteArray &db1 = accessHeader("Standard Jet DB", 1))
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        writeFile(QStringLiteral("db1.mdb"), db1);
        writeFile(QStringLiteral("SKinds.txt"), "1,2\r\n");
        ImportRunner::setProgramForTests(
            QCoreApplication::applicationDirPath() + QStringLiteral("/import_double_driver"));
    }
    ~OldLedgerFolder()
    {
        Close_DB();
        ImportRunner::setProgramForTests(QString());
        ImportRunner::setTimeoutForTests(0);
        qunsetenv("QUILLORY_IMPORT_DOUBLE");
        QDir::setCurrent(m_previous);
    }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace

class JetOfferTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recognisesOldLedgersByTheirFirstPage();
    void yesBringsTheLedgerOverAndOpensIt();
    void noLeavesTheFolderUntouched();
    void refusedFormatsAreNotOffered();
    void aFailedImportLeavesTheFolderAsItWas_data();
    void aFailedImportLeavesTheFolderAsItWas();
    void cancellingStopsTheImport();

    // The real quillory-import, on old ledgers written by the test writer.
    void writeOldLedgers();
    void yesWithTheRealImporterBringsEveryEntryOver();
    void noWithARealOldLedgerLeavesEveryByte();
    void aDamagedOldLedgerIsRefusedAndLeavesTheFolder_data();
    void aDamagedOldLedgerIsRefusedAndLeavesTheFolder();
    void anAccessFileWithoutALedgerIsNotOffered_data();
    void anAccessFileWithoutALedgerIsNotOffered();
    void anImportCutShortLeavesTheFolderOrTheNewLedger_data();
    void anImportCutShortLeavesTheFolderOrTheNewLedger();

private:
    QTemporaryDir m_written;
};

void JetOfferTest::recognisesOldLedgersByTheirFirstPage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db1.mdb"));
    QCOMPARE(oldLedgerFormatOf(path), OldLedgerFormat::NotAccess); // missing
    const struct
    {
        QByteArray bytes;
        OldLedgerFormat format;
    } cases[] = {
        { accessHeader("Standard Jet DB", 1), OldLedgerFormat::Jet4 },
        { accessHeader("Standard Jet DB", 0), OldLedgerFormat::Jet3 },
        { accessHeader("Standard ACE DB", 2), OldLedgerFormat::Ace },
        { accessHeader("Standard Jet DB", 1).left(0x14), OldLedgerFormat::NotAccess },
        { accessHeader("Standard Jet XX", 1), OldLedgerFormat::NotAccess },
        { accessHeader("Standard Jet DB", 1).replace(1, 1, "\x02"), OldLedgerFormat::NotAccess },
        { QByteArray(), OldLedgerFormat::NotAccess },
    };
    for (const auto &c : cases) {
        writeFile(path, c.bytes);
        QCOMPARE(oldLedgerFormatOf(path), c.format);
    }
    LedgerSchema::createLedger(dir.filePath(QStringLiteral("new.mdb")));
    QCOMPARE(oldLedgerFormatOf(dir.filePath(QStringLiteral("new.mdb"))), OldLedgerFormat::NotAccess);
}

void JetOfferTest::yesBringsTheLedgerOverAndOpensIt()
{
    OldLedgerFolder folder;
    const QByteArray old = snapshot(folder.folder()).value(QStringLiteral("db1.mdb"));
    qputenv("QUILLORY_IMPORT_DOUBLE", "slow");
    ScriptedBoxes boxes;
    boxes.answer(true);

    // What the progress dialog shows while the import runs.
    QStringList labels;
    int maximum = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<ImportProgress *>(w);
            if (dialog && dialog->isVisible()) {
                if (labels.isEmpty() || labels.last() != dialog->labelText())
                    labels << dialog->labelText();
                maximum = dialog->maximum();
            }
        }
    });
    watch.start(20);
    QVERIFY(startUp());
    watch.stop();

    QVERIFY(boxes.unexpected().isEmpty());
    const QStringList texts = boxes.texts();
    QCOMPARE(texts.size(), 2);
    QVERIFY(texts.at(0).contains(QStringLiteral("要把它轉入成 Quillory 的帳本嗎？")));
    QVERIFY(texts.at(1).contains(QStringLiteral("data_main：讀 40 筆，寫 40 筆\n核對：全部相符")));
    QVERIFY2(!texts.at(1).contains(QStringLiteral("詳細")), qPrintable(texts.at(1)));
    QVERIFY(labels.contains(QStringLiteral("正在轉入舊帳本：已讀 40 / 40 筆")));
    QVERIFY2(labels.size() >= 3, qPrintable(labels.join(QLatin1Char('|'))));
    QCOMPARE(maximum, 40);

    // The old file is kept byte for byte under the name the summary gives; nothing unfinished stays.
    const QMap<QString, QByteArray> after = snapshot(folder.folder());
    QStringList copies = QDir(folder.folder()).entryList({ QStringLiteral("db1-jet-*.mdb") });
    QCOMPARE(copies.size(), 1);
    QCOMPARE(after.value(copies.first()), old);
    QVERIFY(texts.at(1).contains(copies.first()));
    QVERIFY(!after.contains(QStringLiteral("db1-import.mdb.partial")));

    // The new ledger is the one open, and the main menu works on it.
    QVERIFY(Is_Open());
    QVERIFY(Open_Query(QStringLiteral("SELECT count(*) FROM kind")).rows().first().value(0).toInt() > 0);
    Form1 menu;
    menu.show();
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QCOMPARE(SKinds_List(), QVector<qint64>({ 1, 2 }));
}

void JetOfferTest::noLeavesTheFolderUntouched()
{
    OldLedgerFolder folder;
    const QMap<QString, QByteArray> before = snapshot(folder.folder());
    ScriptedBoxes boxes;
    boxes.answer(false);
    QVERIFY(!startUp());
    QVERIFY(!Is_Open());
    QCOMPARE(snapshot(folder.folder()), before);
    QCOMPARE(boxes.texts().size(), 2);
    QVERIFY(boxes.texts().at(1).contains(QStringLiteral("沒有轉入")));
    QVERIFY(boxes.unexpected().isEmpty());
}

void JetOfferTest::refusedFormatsAreNotOffered()
{
    for (const auto &[engine, version, words] : { std::tuple { "Standard Jet DB", char(0), "Access 97" },
             std::tuple { "Standard ACE DB", char(2), ".accdb" } }) {
        OldLedgerFolder folder(accessHeader(engine, version));
        const QMap<QString, QByteArray> before = snapshot(folder.folder());
        ScriptedBoxes boxes;
        QVERIFY(!startUp());
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY2(boxes.texts().first().contains(QString::fromUtf8(words)), qPrintable(boxes.texts().first()));
        QVERIFY(boxes.unexpected().isEmpty());
        QCOMPARE(snapshot(folder.folder()), before);
    }
}

void JetOfferTest::aFailedImportLeavesTheFolderAsItWas_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("message");
    QTest::newRow("refused") << "fail"
                             << "舊帳本 data_main 第 7 列的日期無法讀取，轉入停止。";
    QTest::newRow("no word") << "silent"
                             << "結束碼 2";
    QTest::newRow("hangs") << "hang"
                           << "還沒有完成，已經停止";
    QTest::newRow("crashes") << "crash"
                             << "意外中止";
    QTest::newRow("no program") << ""
                                << "無法啟動轉入程式";
}

void JetOfferTest::aFailedImportLeavesTheFolderAsItWas()
{
    QFETCH(QString, mode);
    QFETCH(QString, message);
    OldLedgerFolder folder;
    if (mode.isEmpty())
        ImportRunner::setProgramForTests(folder.folder() + QStringLiteral("/no-such-importer"));
    else
        qputenv("QUILLORY_IMPORT_DOUBLE", mode.toUtf8());
    ImportRunner::setTimeoutForTests(1500);
    const QMap<QString, QByteArray> before = snapshot(folder.folder());
    ScriptedBoxes boxes;
    boxes.answer(true);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!startUp());
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY(!Is_Open());
    QCOMPARE(snapshot(folder.folder()), before);
    QCOMPARE(boxes.texts().size(), 2);
    const QString told = boxes.texts().at(1);
    QVERIFY2(told.contains(message), qPrintable(told));
    QVERIFY(told.contains(QStringLiteral("舊的 db1.mdb 沒有更動")));
    // Only the importer's last line is for the person, not what it said on the way.
    QVERIFY(!told.contains(QStringLiteral("reading data_main")));
}

void JetOfferTest::cancellingStopsTheImport()
{
    OldLedgerFolder folder;
    qputenv("QUILLORY_IMPORT_DOUBLE", "hang");
    const QMap<QString, QByteArray> before = snapshot(folder.folder());
    ScriptedBoxes boxes;
    boxes.answer(true);
    QTimer person;
    QObject::connect(&person, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<ImportProgress *>(w) && w->isVisible()) {
                if (auto *cancel = w->findChild<QPushButton *>(QStringLiteral("cancel")))
                    QTest::mouseClick(cancel, Qt::LeftButton);
            }
        }
    });
    person.start(300);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!startUp());
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(snapshot(folder.folder()), before);
    QVERIFY(boxes.texts().at(1).contains(QStringLiteral("已經取消轉入")));
}

void JetOfferTest::writeOldLedgers()
{
    QVERIFY(m_written.isValid());
    QString error;
    QVERIFY2(jetcases::runPython(
                 { jetcases::script(QStringLiteral("ledger_jet.py")), m_written.filePath(QStringLiteral("family.mdb")),
                     QStringLiteral("--entries"), QStringLiteral("300"), QStringLiteral("--years"),
                     QStringLiteral("2023,2024"), QStringLiteral("--seed"), QStringLiteral("21") },
                 &error),
        qPrintable(error));
    // A few entries, for going through the import call by call.
    QVERIFY2(jetcases::runPython(
                 { jetcases::script(QStringLiteral("ledger_jet.py")), m_written.filePath(QStringLiteral("small.mdb")),
                     QStringLiteral("--entries"), QStringLiteral("12"), QStringLiteral("--years"),
                     QStringLiteral("2024"), QStringLiteral("--seed"), QStringLiteral("5") },
                 &error),
        qPrintable(error));
    // The writer's damaged files, among its other cases.
    QVERIFY2(jetcases::runPython({ jetcases::script(QStringLiteral("make_cases.py")), m_written.path() }, &error),
        qPrintable(error));
    // Access files that are no ledger: an address book, and a ledger's kinds without its entries.
    const QString write = QStringLiteral(
        "import sys; sys.path.insert(0, sys.argv[1]); import jet4, ledger_jet\n"
        "book = {'name': 'contacts', 'columns': [{'name': 'name', 'type': 'text'}, {'name': 'phone', 'type': 'text'}],"
        " 'rows': [['王小明', '02-1234-5678']]}\n"
        "jet4.write_mdb(sys.argv[2], [book])\n"
        "kinds = [t for t in ledger_jet.ledger_layout(10)['tables'] if t['name'] != 'data_main']\n"
        "jet4.write_mdb(sys.argv[3], kinds + [book])\n");
    QVERIFY2(jetcases::runPython({ QStringLiteral("-c"), write, QStringLiteral(QUILLORY_JET_SCRIPTS),
                                     m_written.filePath(QStringLiteral("contacts.mdb")),
                                     m_written.filePath(QStringLiteral("kinds_only.mdb")) },
                 &error),
        qPrintable(error));
}

void JetOfferTest::yesWithTheRealImporterBringsEveryEntryOver()
{
    const QString written = m_written.filePath(QStringLiteral("family.mdb"));
    const QByteArray old = fileBytes(written);
    QVERIFY(!old.isEmpty());
    OldLedgerFolder folder(old);
    QCOMPARE(oldLedgerFormatOf(QStringLiteral("db1.mdb")), OldLedgerFormat::Jet4);
    ImportRunner::setProgramForTests(QStringLiteral(QUILLORY_IMPORT_PROGRAM));
    ScriptedBoxes boxes;
    boxes.answer(true);
    QVERIFY(startUp());
    QVERIFY(boxes.unexpected().isEmpty());

    const QJsonObject entries = jetcases::tableOf(jetcases::layoutOf(written), QStringLiteral("data_main"));
    const QJsonArray rows = entries.value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), 300);
    const QStringList texts = boxes.texts();
    QCOMPARE(texts.size(), 2);
    QVERIFY(texts.at(0).contains(QStringLiteral("要把它轉入成 Quillory 的帳本嗎？")));
    QVERIFY2(texts.at(1).contains(QStringLiteral("轉入核對：全部相符")), qPrintable(texts.at(1)));
    QVERIFY2(texts.at(1).contains(QStringLiteral("data_main：讀 300 筆（檔案記錄 300 筆），寫 300 筆")),
        qPrintable(texts.at(1)));

    // The old file kept byte for byte beside the report; nothing unfinished left.
    const QDir dir(folder.folder());
    const QStringList copies = dir.entryList({ QStringLiteral("db1-jet-*.mdb") }, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^db1-jet-\\d{8}-\\d{6}\\.mdb$")).match(copies.first()).hasMatch());
    QCOMPARE(fileBytes(dir.filePath(copies.first())), old);
    QVERIFY(texts.at(1).contains(copies.first()));
    const QString report = QString::fromUtf8(fileBytes(dir.filePath(QStringLiteral("import-report.txt"))));
    QVERIFY2(report.startsWith(QStringLiteral("轉入核對：全部相符\n")), qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("PRAGMA integrity_check）：ok")));
    QVERIFY(!dir.exists(QStringLiteral("db1-import.mdb.partial")));
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("SKinds.txt"))), QByteArray("1,2\r\n"));

    // db1.mdb is now the ledger open, and it holds every entry as written.
    QCOMPARE(oldLedgerFormatOf(dir.filePath(QStringLiteral("db1.mdb"))), OldLedgerFormat::NotAccess);
    QVERIFY(Is_Open());
    QMap<qint64, std::pair<QString, double>> stored;
    for (const ResultSet::Row &row :
        Open_Query(QStringLiteral("SELECT a_key, a_content, a_count FROM data_main")).rows())
        stored.insert(row.value(0).toLongLong(), { row.value(1).toString(), row.value(2).toDouble() });
    QCOMPARE(stored.size(), rows.size());
    const QMap<QString, int> c = importrun::columnsOf(entries);
    const QString amountType = entries.value(QStringLiteral("columns"))
                                   .toArray()
                                   .at(c.value(QStringLiteral("a_count")))
                                   .toObject()
                                   .value(QStringLiteral("type"))
                                   .toString();
    for (const QJsonValue &v : rows) {
        const QJsonArray row = v.toArray();
        const qint64 key = row.at(c.value(QStringLiteral("a_key"))).toInteger();
        QVERIFY2(stored.contains(key), qPrintable(QString::number(key)));
        QCOMPARE(stored.value(key).first, row.at(c.value(QStringLiteral("a_content"))).toString());
        QVERIFY2(
            importrun::sameAmount(row.at(c.value(QStringLiteral("a_count"))), amountType, stored.value(key).second),
            qPrintable(QString::number(key)));
    }

    Form1 menu;
    menu.show();
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QCOMPARE(SKinds_List(), QVector<qint64>({ 1, 2 }));
}

void JetOfferTest::noWithARealOldLedgerLeavesEveryByte()
{
    OldLedgerFolder folder(fileBytes(m_written.filePath(QStringLiteral("family.mdb"))));
    ImportRunner::setProgramForTests(QStringLiteral(QUILLORY_IMPORT_PROGRAM));
    const QMap<QString, QString> before = fingerprints(folder.folder());
    QCOMPARE(before.size(), 2);
    ScriptedBoxes boxes;
    boxes.answer(false);
    QVERIFY(!startUp());
    QVERIFY(!Is_Open());
    QCOMPARE(fingerprints(folder.folder()), before);
    QCOMPARE(boxes.texts().size(), 2);
    QVERIFY(boxes.texts().at(1).contains(QStringLiteral("沒有轉入")));
    QVERIFY(boxes.unexpected().isEmpty());
}

void JetOfferTest::aDamagedOldLedgerIsRefusedAndLeavesTheFolder_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("definition page lost") << "damaged.mdb";
    QTest::newRow("cut short") << "damaged_truncated.mdb";
}

void JetOfferTest::aDamagedOldLedgerIsRefusedAndLeavesTheFolder()
{
    QFETCH(QString, file);
    OldLedgerFolder folder(fileBytes(m_written.filePath(file)));
    QCOMPARE(oldLedgerFormatOf(QStringLiteral("db1.mdb")), OldLedgerFormat::Jet4);
    ImportRunner::setProgramForTests(QStringLiteral(QUILLORY_IMPORT_PROGRAM));
    const QMap<QString, QString> before = fingerprints(folder.folder());
    ScriptedBoxes boxes;
    boxes.answer(true);
    QVERIFY(!startUp());
    QVERIFY(!Is_Open());
    QCOMPARE(fingerprints(folder.folder()), before);
    QVERIFY(boxes.unexpected().isEmpty());
    QCOMPARE(boxes.texts().size(), 2);
    const QString told = boxes.texts().at(1);
    QVERIFY2(told.contains(QStringLiteral("損壞")), qPrintable(told));
    QVERIFY(told.contains(QStringLiteral("舊的 db1.mdb 沒有更動")));

    // The program stays usable: the same folder, once it holds a ledger, starts as usual.
    QVERIFY(QFile::remove(QStringLiteral("db1.mdb")));
    LedgerSchema::createLedger(QStringLiteral("db1.mdb"));
    ScriptedBoxes again;
    QVERIFY(startUp());
    QVERIFY(again.unexpected().isEmpty());
}

void JetOfferTest::anAccessFileWithoutALedgerIsNotOffered_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("says");
    QTest::newRow("an address book") << "contacts.mdb"
                                     << "沒有帳本的表格 data_main、kind（它的表格是 contacts）";
    QTest::newRow("kinds without entries") << "kinds_only.mdb"
                                           << "沒有帳本的表格 data_main（";
}

// One message, no question, and the folder stays as it was.
void JetOfferTest::anAccessFileWithoutALedgerIsNotOffered()
{
    QFETCH(QString, file);
    QFETCH(QString, says);
    OldLedgerFolder folder(fileBytes(m_written.filePath(file)));
    QCOMPARE(oldLedgerFormatOf(QStringLiteral("db1.mdb")), OldLedgerFormat::Jet4);
    ImportRunner::setProgramForTests(QStringLiteral(QUILLORY_IMPORT_PROGRAM));
    const QMap<QString, QString> before = fingerprints(folder.folder());
    ScriptedBoxes boxes;
    QVERIFY(!startUp());
    QVERIFY(!Is_Open());
    QCOMPARE(fingerprints(folder.folder()), before);
    QVERIFY(boxes.unexpected().isEmpty());
    QCOMPARE(boxes.texts().size(), 1);
    const QString told = boxes.texts().first();
    QVERIFY2(told.contains(QStringLiteral("db1.mdb 是 Access 資料庫，但不是舊的帳本")) && told.contains(says)
            && told.contains(QStringLiteral("資料夾裡的檔案都沒有更動")),
        qPrintable(told));
}

void JetOfferTest::anImportCutShortLeavesTheFolderOrTheNewLedger_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("saidLanded");
    QTest::newRow("killed")
        << false << "轉入程式意外中止"
        << "轉入程式結束時出了問題（轉入程式意外中止，轉入沒有完成。），不過新帳本在那之前已經核對完成";
    QTest::newRow("cancelled") << true << "已經取消轉入"
                               << "取消的時候，轉入已經完成了";
}

// The import program killed, or cancelled with 取消, at each of its calls that change a file
// and at its exit: before its rename of the new ledger the folder is as it was, byte for byte;
// after it the new ledger is in place, whole, and opened. Either way the message says which.
void JetOfferTest::anImportCutShortLeavesTheFolderOrTheNewLedger()
{
    QFETCH(bool, cancel);
    QFETCH(QString, said);
    QFETCH(QString, saidLanded);
    const QByteArray old = fileBytes(m_written.filePath(QStringLiteral("small.mdb")));
    QVERIFY(!old.isEmpty());
    // The report of an earlier try, which the new one replaces.
    const auto earlierReport = [] { writeFile(QStringLiteral("import-report.txt"), "轉入核對：有 1 處不符\n"); };
    qint64 calls = 0;
    {
        OldLedgerFolder folder(old);
        earlierReport();
        const QString countFile = m_written.filePath(QStringLiteral("calls"));
        ShimmedImporter counting(0, false, countFile);
        ScriptedBoxes boxes;
        boxes.answer(true);
        QVERIFY(startUp());
        Close_DB();
        LedgerLock::release();
        calls = fileBytes(countFile).trimmed().toLongLong();
        QVERIFY2(calls > 10, qPrintable(QString::number(calls)));
    }
    QTimer person;
    QObject::connect(&person, &QTimer::timeout, [&] {
        if (!aChildIsStopped())
            return;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<ImportProgress *>(w) && w->isVisible())
                QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cancel")), Qt::LeftButton);
        }
    });
    person.start(10);
    QList<qint64> landed;
    for (qint64 at = 1; at <= calls + 1; ++at) {
        OldLedgerFolder folder(old);
        earlierReport();
        const QMap<QString, QString> before = fingerprints(folder.folder());
        ShimmedImporter shim(at, cancel);
        ScriptedBoxes boxes;
        boxes.answer(true);
        const bool opened = startUp();
        const QString told = boxes.texts().value(1);
        const QString where = QStringLiteral("at call %1 of %2: %3").arg(at).arg(calls).arg(told);
        QVERIFY2(boxes.unexpected().isEmpty() && boxes.texts().size() == 2, qPrintable(where));
        if (!opened) {
            QVERIFY2(fingerprints(folder.folder()) == before, qPrintable(where));
            QVERIFY2(told.contains(said) && told.contains(QStringLiteral("舊的 db1.mdb 沒有更動")), qPrintable(where));
            continue;
        }
        landed << at;
        const QDir dir(folder.folder());
        const QStringList copies = dir.entryList({ QStringLiteral("db1-jet-*") });
        QVERIFY2(Is_Open() && copies.size() == 1 && fileBytes(dir.filePath(copies.first())) == old, qPrintable(where));
        QVERIFY2(fileBytes(dir.filePath(QStringLiteral("import-report.txt"))).startsWith("轉入核對：全部相符\n"),
            qPrintable(where));
        QVERIFY2(
            dir.entryList({ QStringLiteral("*partial*") }, QDir::Files | QDir::Hidden).isEmpty(), qPrintable(where));
        QVERIFY2(told.startsWith(saidLanded) && told.contains(QStringLiteral("轉入核對：全部相符")), qPrintable(where));
        Close_DB();
        LedgerLock::release();
    }
    // Killed at the rename itself the old ledger stays; only after it is the new one in place.
    QCOMPARE(landed, QList<qint64>({ calls + 1 }));
}

QUILLORY_TEST_MAIN(JetOfferTest)
#include "jet_offer_test.moc"
