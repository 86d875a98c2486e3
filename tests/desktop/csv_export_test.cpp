#include "entry/input_keyin.h"
#include "platform/SyncedFile.h"
#include "reports/QueryWindow.h"
#include "support/ScriptedBoxes.h"
#include "ui/FileDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <cerrno>
#include <sys/stat.h>

namespace {

// Exports a grid as a person does: a right click on a row, 匯出 CSV… from the menu, and the
// file dialog answered with answer. Returns the path the dialog proposed ("<no dialog>" when
// none opened).
QString exportThroughMenu(DGrid *grid, const QString &answer)
{
    QString proposed = QStringLiteral("<no dialog>");
    ui::setSaveFileHook([&](const QString &path) {
        proposed = path;
        return answer;
    });
    QTimer::singleShot(0, grid, [] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions()) {
            if (action->text() == QStringLiteral("匯出 CSV…")) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        menu->close();
    });
    const QRect cell = grid->visualRect(grid->model()->index(0, grid->fixedCols()));
    QWidget *window = grid->window();
    QTest::mouseClick(
        window->windowHandle(), Qt::RightButton, Qt::NoModifier, grid->viewport()->mapTo(window, cell.center()));
    QTest::qWait(0);
    ui::setSaveFileHook({});
    return proposed;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every name in a folder, hidden ones included: a cut-short export must leave nothing behind.
QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool isDirectory(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes fsync fail with EIO on the exported file (or on its folder) while it lives.
class FailingSync
{
public:
    explicit FailingSync(bool onFolder)
    {
        SyncedFile::setSyncCall([onFolder](int fd) {
            if (isDirectory(fd) != onFolder)
                return 0;
            errno = EIO;
            return -1;
        });
    }
    ~FailingSync() { SyncedFile::setSyncCall({}); }
    FailingSync(const FailingSync &) = delete;
    FailingSync &operator=(const FailingSync &) = delete;
};

const QByteArray bom("\xEF\xBB\xBF");

} // namespace

class CsvExportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesSayWhatTheGridHoldsInTheFolderLastUsed();
    void aFailedSyncIsReportedAndKeepsTheOldFile();
};

void CsvExportTest::namesSayWhatTheGridHoldsInTheFolderLastUsed()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2026, 2, 1));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    querywindow::addEntry(ledger, "2025-05-01", food, 0, "午餐", 120, 1);
    querywindow::addEntry(ledger, "2025-08-09", food, 0, "晚餐", 300, 2);
    QTemporaryDir first;
    QTemporaryDir second;
    ScriptedBoxes boxes;
    check window;
    QVERIFY(querywindow::open(window));

    // A range result, proposed in the home folder the first time; the confirmation names the
    // file written.
    querywindow::runRange(window, "2025/1/1", "2025/12/31", true);
    const QString range = first.filePath(QStringLiteral("全年.csv"));
    QCOMPARE(exportThroughMenu(window.DGrid, range),
        QDir::home().filePath(QStringLiteral("查詢-2025-01-01-2025-12-31.csv")));
    QCOMPARE(boxes.take(), QStringList({ QStringLiteral("已匯出到 ") + shown(range) }));
    QVERIFY(contentOf(range).startsWith(bom + "日期,"));
    QVERIFY(contentOf(range).contains("晚餐"));

    // A year report: its own name, in the folder just used. A name typed without an
    // extension gets .csv.
    querywindow::press(window.chk_year);
    testing::retype(window.chkyeartxt, "2025");
    querywindow::press(window.chk_year_go);
    QCOMPARE(exportThroughMenu(window.DGrid, second.filePath(QStringLiteral("年"))),
        first.filePath(QStringLiteral("年報-2025.csv")));
    const QString year = second.filePath(QStringLiteral("年.csv"));
    QCOMPARE(boxes.take(), QStringList({ QStringLiteral("已匯出到 ") + shown(year) }));
    QVERIFY(contentOf(year).startsWith(bom + "年月份,月收入,月支出,月結\r\n"));
    QVERIFY(contentOf(year).contains("2025/05,0,120,-120\r\n"));

    // A folder that is not there is told, and not remembered.
    const QString missing = second.filePath(QStringLiteral("沒有/年報.csv"));
    QCOMPARE(exportThroughMenu(window.DGrid, missing), second.filePath(QStringLiteral("年報-2025.csv")));
    const QStringList refused = boxes.take();
    QCOMPARE(refused.size(), 1);
    QVERIFY2(refused.first().startsWith(QStringLiteral("無法寫入 ") + shown(missing) + QStringLiteral("：")),
        qPrintable(refused.first()));
    window.close();

    // The day grid is named after its day, in the same folder as before; cancelling writes
    // nothing and says nothing.
    input_keyin day;
    day.show();
    QVERIFY(QTest::qWaitForWindowActive(&day));
    testing::retype(day.date_new, "2025/5/1");
    QTest::keyClick(day.date_new, Qt::Key_Return);
    QTest::qWait(0);
    QCOMPARE(day.DGrid->textAt(1, 4), QStringLiteral("午餐"));
    QCOMPARE(exportThroughMenu(day.DGrid, QString()), second.filePath(QStringLiteral("2025-05-01.csv")));
    QCOMPARE(boxes.texts(), QStringList());
    QCOMPARE(namesIn(second.path()), QStringList({ QStringLiteral("年.csv") }));
    const QString daily = second.filePath(QStringLiteral("2025-05-01.csv"));
    QCOMPARE(exportThroughMenu(day.DGrid, daily), daily);
    QCOMPARE(boxes.take(), QStringList({ QStringLiteral("已匯出到 ") + shown(daily) }));
    QVERIFY(contentOf(daily).contains(",午餐,120"));
    QCOMPARE(boxes.unexpected(), QStringList());
}

void CsvExportTest::aFailedSyncIsReportedAndKeepsTheOldFile()
{
    TestLedger ledger;
    testing::FixedClock clock(QDate(2026, 2, 1));
    const qint64 food = ledger.addKind(QStringLiteral("餐費"), 1);
    querywindow::addEntry(ledger, "2025-05-01", food, 0, "午餐", 120, 1);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("五月.csv"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("舊的內容\r\n");
    }
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ScriptedBoxes boxes;
    check window;
    QVERIFY(querywindow::open(window));
    querywindow::runRange(window, "2025/5/1", "2025/5/31", true);

    // The file's sync fails: told as a failure, the old file stays whole, no piece is left.
    {
        FailingSync failing(false);
        exportThroughMenu(window.DGrid, path);
    }
    QStringList told = boxes.take();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().startsWith(QStringLiteral("無法寫入 ") + shown(path)), qPrintable(told.first()));
    QVERIFY2(told.first().contains(QStringLiteral("磁碟讀寫錯誤")), qPrintable(told.first()));
    QCOMPARE(contentOf(path), QByteArray("舊的內容\r\n"));
    QCOMPARE(namesIn(out.path()), QStringList({ QStringLiteral("五月.csv") }));

    // The folder's sync fails after the rename: the new file is in place, whole, and that is
    // said, with what a power cut could still undo.
    {
        FailingSync failing(true);
        exportThroughMenu(window.DGrid, path);
    }
    told = boxes.take();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().startsWith(QStringLiteral("已匯出到 ") + shown(path) + QStringLiteral("，檔案是完整的")),
        qPrintable(told.first()));
    QVERIFY2(told.first().contains(QStringLiteral("資料夾的變更沒能確實存到磁碟上（磁碟讀寫錯誤）")),
        qPrintable(told.first()));
    QVERIFY(contentOf(path).contains(",午餐,120"));
    QCOMPARE(namesIn(out.path()), QStringList({ QStringLiteral("五月.csv") }));

    // With the disk well again the export is confirmed and the file keeps its permissions.
    exportThroughMenu(window.DGrid, path);
    QCOMPARE(boxes.take(), QStringList({ QStringLiteral("已匯出到 ") + shown(path) }));
    QVERIFY(contentOf(path).startsWith(bom + "日期,"));
    QVERIFY(contentOf(path).contains(",午餐,120"));
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QCOMPARE(namesIn(out.path()), QStringList({ QStringLiteral("五月.csv") }));
}

QUILLORY_TEST_MAIN(CsvExportTest)
#include "csv_export_test.moc"
