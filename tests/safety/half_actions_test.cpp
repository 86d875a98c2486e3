// Actions of several steps, failing at each step in turn: afterwards the ledger, SKinds.txt
// and the summary-kind table are exactly as before, the person is told, and the next try
// works. And SKinds.txt that cannot be written, whatever the reason, stays whole.

#include "safety/SafetySupport.h"

#include "entry/EntryWindow.h"
#include "kinds/KindWindowDriving.h"
#include "kinds/mang_kind_assign.h"
#include "support/ModalDriver.h"

#include <csignal>
#include <sys/resource.h>

using namespace safety;
using database_access::SKinds;

namespace {

enum class Step { Statement1, Statement2, Statement3, SummaryFile, Commit };
enum class KindAction { MoveDown, DeleteWithReassignment };
enum class FileTrouble { ReadOnlyFile, ReadOnlyFolder, WriteFails };
enum class SummaryEdit { Add, Remove };

struct Picture
{
    QStringList ledger;
    QByteArray file;
    QVector<qint64> table;
    bool operator==(const Picture &) const = default;
};

Picture picture(const QString &folder)
{
    return { ledgerContent(), fileBytes(folder + QStringLiteral("/SKinds.txt")), SKinds };
}

char *describe(const Picture &p)
{
    return QTest::toString(p.ledger.join(QLatin1Char('\n')) + QStringLiteral("\nfile: ") + QString::fromUtf8(p.file));
}

// Makes the chosen step of the next action fail. Statements count from 1 in the order they run.
class Failing
{
public:
    Failing(Step step, const QString &folder)
        : m_folder(folder)
    {
        int failAt = 0;
        switch (step) {
        case Step::Statement1:
            failAt = 1;
            break;
        case Step::Statement2:
            failAt = 2;
            break;
        case Step::Statement3:
            failAt = 3;
            break;
        case Step::SummaryFile:
            setMode(folder + QStringLiteral("/SKinds.txt"), 0444);
            break;
        case Step::Commit:
            database_access::Set_Commit_Hook([] { throw StoreError(QStringLiteral("資料庫錯誤：disk I/O error")); });
            break;
        }
        if (failAt > 0) {
            database_access::Set_Statement_Hook([this, failAt](const QString &) {
                if (++m_statements == failAt)
                    throw StoreError(QStringLiteral("資料庫錯誤：disk I/O error"));
            });
        }
    }
    ~Failing() { clear(); }

    void clear()
    {
        database_access::Set_Statement_Hook({});
        database_access::Set_Commit_Hook({});
        setMode(m_folder + QStringLiteral("/SKinds.txt"), 0644);
    }

private:
    QString m_folder;
    int m_statements = 0;
};

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(KindAction)
Q_DECLARE_METATYPE(FileTrouble)
Q_DECLARE_METATYPE(SummaryEdit)

namespace QTest {
template <> char *toString(const Picture &p)
{
    return describe(p);
}
} // namespace QTest

class HalfActionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void movingAnEntryIsAllOrNothing_data();
    void movingAnEntryIsAllOrNothing();
    void kindChangesAreAllOrNothing_data();
    void kindChangesAreAllOrNothing();
    void summaryFileThatCannotBeWrittenStaysWhole_data();
    void summaryFileThatCannotBeWrittenStaysWhole();
};

void HalfActionsTest::movingAnEntryIsAllOrNothing_data()
{
    QTest::addColumn<Step>("step");
    QTest::newRow("parking the first key") << Step::Statement1;
    QTest::newRow("taking over its key") << Step::Statement2;
    QTest::newRow("giving back the parked key") << Step::Statement3;
    QTest::newRow("commit") << Step::Commit;
}

void HalfActionsTest::movingAnEntryIsAllOrNothing()
{
    QFETCH(Step, step);
    EntryWindow s;
    s.ledger.writeSKinds("1\r\n");
    s.ledger.addEntry("2024-05-15", s.food, 0, "早餐", 50, "", 3);
    s.ledger.addEntry("2024-05-15", s.food, 0, "午餐", 80, "", 8);
    s.ledger.addEntry("2024-05-15", s.food, 0, "晚餐", 120, "", 9);
    input_keyin *w = s.open();
    const Picture before = picture(s.ledger.folder());
    {
        Failing failing(step, s.ledger.folder());
        s.clickRow(2);
        s.press(w->cmd_up_down[1]);
        QCOMPARE(s.boxes.take(), QStringList { "資料庫錯誤：disk I/O error" });
        QCOMPARE(picture(s.ledger.folder()), before);
        QCOMPARE(s.contents(), QStringList({ "早餐", "午餐", "晚餐" }));
    }
    // Nothing is left half open: the same move goes through now.
    s.clickRow(2);
    s.press(w->cmd_up_down[1]);
    QCOMPARE(s.boxes.take(), QStringList());
    QCOMPARE(s.contents(), QStringList({ "早餐", "晚餐", "午餐" }));
    QCOMPARE(s.ledger.rows("SELECT a_content, a_key FROM data_main ORDER BY a_key"),
        QList<QVariantList>({ { "早餐", 3 }, { "晚餐", 8 }, { "午餐", 9 } }));
}

void HalfActionsTest::kindChangesAreAllOrNothing_data()
{
    QTest::addColumn<KindAction>("action");
    QTest::addColumn<Step>("step");
    QTest::newRow("move: first order") << KindAction::MoveDown << Step::Statement1;
    QTest::newRow("move: second order") << KindAction::MoveDown << Step::Statement2;
    QTest::newRow("move: commit") << KindAction::MoveDown << Step::Commit;
    QTest::newRow("delete: moving the entries") << KindAction::DeleteWithReassignment << Step::Statement1;
    QTest::newRow("delete: the kind's row") << KindAction::DeleteWithReassignment << Step::Statement2;
    QTest::newRow("delete: SKinds.txt") << KindAction::DeleteWithReassignment << Step::SummaryFile;
    QTest::newRow("delete: commit") << KindAction::DeleteWithReassignment << Step::Commit;
}

void HalfActionsTest::kindChangesAreAllOrNothing()
{
    QFETCH(KindAction, action);
    QFETCH(Step, step);
    TestLedger ledger;
    const qint64 a = ledger.addKind("甲", 1);
    const qint64 b = ledger.addKind("乙", 2);
    const qint64 c = ledger.addKind("丙", 3);
    ledger.addEntry("2024-05-01", b, 0, "一", 10, "", 1, "乙");
    ledger.addEntry("2024-05-02", b, 1, "二", 20, "", 2, "乙");
    ledger.addEntry("2024-05-02", c, 0, "三", 30, "", 3, "丙");
    ledger.writeSKinds(QByteArray::number(c) + "," + QByteArray::number(b) + "," + QByteArray::number(a) + "\r\n");
    ScriptedBoxes boxes;
    ModalDriver driver;
    auto window = kinds_testing::openManager();
    const QStringList kindsShown = kinds_testing::itemTexts(window->kind);
    const QStringList summaryShown = kinds_testing::itemTexts(window->skinds);
    const Picture before = picture(ledger.folder());

    const auto act = [&] {
        kinds_testing::clickItem(window->kind, 1);
        if (action == KindAction::MoveDown) {
            testing::click(window->cmd_down);
            return;
        }
        driver.next([](QDialog *dialog) {
            auto *assign = qobject_cast<mang_kind_assign *>(dialog);
            QTest::keyClick(assign->cob_kind, Qt::Key_Down);
            QTest::keyClick(assign->cob_kind, Qt::Key_Down); // 丙
            testing::click(assign->cmd_ok);
        });
        boxes.answer(true);
        testing::click(window->kind_del);
    };
    {
        Failing failing(step, ledger.folder());
        act();
        const QStringList texts = boxes.take();
        QVERIFY(!texts.isEmpty());
        QVERIFY2(texts.last() != QStringLiteral("Delete\rDone!"), qPrintable(texts.join(" / ")));
        QCOMPARE(picture(ledger.folder()), before);
        QCOMPARE(kinds_testing::itemTexts(window->kind), kindsShown);
        QCOMPARE(kinds_testing::itemTexts(window->skinds), summaryShown);
    }

    act();
    QCOMPARE(driver.unexpected(), QStringList());
    boxes.take();
    if (action == KindAction::MoveDown) {
        QCOMPARE(kinds_testing::itemTexts(window->kind), QStringList({ "甲", "丙", "乙" }));
        QCOMPARE(
            ledger.rows("SELECT a_kind FROM kind ORDER BY key_order"), QList<QVariantList>({ { a }, { c }, { b } }));
    } else {
        QCOMPARE(kinds_testing::itemTexts(window->kind), QStringList({ "甲", "丙" }));
        QCOMPARE(
            ledger.rows("SELECT a_kind FROM data_main ORDER BY a_key"), QList<QVariantList>({ { c }, { c }, { c } }));
        QCOMPARE(ledger.readSKinds(), QByteArray::number(a) + "," + QByteArray::number(c) + "\r\n");
        QCOMPARE(SKinds, QVector<qint64>({ a, c }));
    }
}

void HalfActionsTest::summaryFileThatCannotBeWrittenStaysWhole_data()
{
    QTest::addColumn<FileTrouble>("trouble");
    QTest::addColumn<SummaryEdit>("edit");
    QTest::newRow("read-only file, adding") << FileTrouble::ReadOnlyFile << SummaryEdit::Add;
    QTest::newRow("read-only file, removing") << FileTrouble::ReadOnlyFile << SummaryEdit::Remove;
    QTest::newRow("read-only folder, adding") << FileTrouble::ReadOnlyFolder << SummaryEdit::Add;
    QTest::newRow("read-only folder, removing") << FileTrouble::ReadOnlyFolder << SummaryEdit::Remove;
    QTest::newRow("no room left, adding") << FileTrouble::WriteFails << SummaryEdit::Add;
    QTest::newRow("no room left, removing") << FileTrouble::WriteFails << SummaryEdit::Remove;
}

void HalfActionsTest::summaryFileThatCannotBeWrittenStaysWhole()
{
    QFETCH(FileTrouble, trouble);
    QFETCH(SummaryEdit, edit);
    TestLedger ledger;
    const qint64 a = ledger.addKind("甲", 1);
    const qint64 b = ledger.addKind("乙", 2);
    const qint64 c = ledger.addKind("丙", 3);
    const QByteArray line = QByteArray::number(c) + "," + QByteArray::number(b) + "\r\n";
    ledger.writeSKinds(line);
    ScriptedBoxes boxes;
    auto window = kinds_testing::openManager();
    const Picture before = picture(ledger.folder());
    const QStringList summaryShown = kinds_testing::itemTexts(window->skinds);

    rlimit oldLimit {};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    switch (trouble) {
    case FileTrouble::ReadOnlyFile:
        setMode(ledger.path("SKinds.txt"), 0444);
        break;
    case FileTrouble::ReadOnlyFolder:
        setMode(ledger.folder(), 0555);
        break;
    case FileTrouble::WriteFails: {
        // As on a full disk: no file may grow past two bytes, and the write says so.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = oldLimit;
        tiny.rlim_cur = 2;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
        break;
    }
    }
    if (edit == SummaryEdit::Add)
        kinds_testing::doubleClickItem(window->kind, 0);
    else
        kinds_testing::doubleClickItem(window->skinds, 0);
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    setMode(ledger.folder(), 0700);
    setMode(ledger.path("SKinds.txt"), 0644);

    const QStringList texts = boxes.take();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().startsWith(QStringLiteral("無法儲存結算分類檔 SKinds.txt：")), qPrintable(texts.first()));
    QCOMPARE(picture(ledger.folder()), before);
    QCOMPARE(kinds_testing::itemTexts(window->skinds), summaryShown);
    // No temporary file is left beside it.
    QStringList files = QDir(ledger.folder()).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, QStringList({ "SKinds.txt", "db1.mdb" }));

    // With the trouble gone, the same edit goes through.
    if (edit == SummaryEdit::Add) {
        kinds_testing::doubleClickItem(window->kind, 0);
        QCOMPARE(ledger.readSKinds(), QByteArray::number(a) + "," + line);
    } else {
        kinds_testing::doubleClickItem(window->skinds, 0);
        QCOMPARE(ledger.readSKinds(), " " + QByteArray::number(c) + " \r\n");
    }
    QCOMPARE(boxes.take(), QStringList());
}

SAFETY_TEST_MAIN(HalfActionsTest)
#include "half_actions_test.moc"
