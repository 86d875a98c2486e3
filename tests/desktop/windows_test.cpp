// The program's windows played together from the scenarios beside this file.

#include "support/Scenario.h"

#include "app/Form1.h"
#include "app/WindowOpeners.h"
#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "platform/DateText.h"
#include "platform/SyncedFile.h"
#include "reports/check.h"
#include "store/database_access.h"

#include <QFile>
#include <QLineEdit>

#include <cerrno>
#include <sys/stat.h>

namespace {

bool isDirectory(int fd)
{
    struct stat st
    {
    };
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

class WindowScenarios : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void play_data() { Scenario::addRows(__FILE__); }
    void play()
    {
        Scenario s;
        const ui::Openers openers = windowOpeners();
        s.window(QStringLiteral("entry"), [&openers] { return new input_keyin(nullptr, openers); });
        s.window(QStringLiteral("query"), [&openers] { return new check(nullptr, openers); });
        s.window(QStringLiteral("kinds"), [] { return new mang_kind(); });
        s.window(QStringLiteral("menu"), [] { return new Form1(); });
        // A date and an amount typed, the day loaded, the entry added.
        s.command(QStringLiteral("add-on"), [](Scenario &sc, const QStringList &a) {
            testing::retype(qobject_cast<QLineEdit *>(sc.find(QStringLiteral("date_new"))), a.value(0));
            QTest::keyClick(sc.find(QStringLiteral("date_new")), Qt::Key_Return);
            testing::retype(qobject_cast<QLineEdit *>(sc.find(QStringLiteral("money_inout"))), a.value(1));
            testing::click(sc.find(QStringLiteral("data_add")));
        });
        // The disk failing to sync the written file, or its folder.
        s.command(QStringLiteral("fail-sync"), [](Scenario &, const QStringList &a) {
            if (a.value(0) == QLatin1String("off"))
                return SyncedFile::setSyncCall({});
            const bool onFolder = a.value(0) == QLatin1String("folder");
            SyncedFile::setSyncCall([onFolder](int fd) {
                if (isDirectory(fd) != onFolder)
                    return 0;
                errno = EIO;
                return -1;
            });
        });
        // The page of the index the descriptions are counted through, overwritten.
        s.command(QStringLiteral("damage-index"), [](Scenario &sc, const QStringList &) {
            const qint64 page = sc.ledger()
                                    .scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type = 'index' "
                                                           "AND tbl_name = 'data_main' AND sql LIKE '%a_content%'"))
                                    .toLongLong();
            const int size = sc.ledger().scalar(QStringLiteral("PRAGMA page_size")).toInt();
            database_access::Close_DB();
            QFile file(sc.ledger().path(QStringLiteral("db1.mdb")));
            if (page < 2 || !file.open(QIODevice::ReadWrite) || !file.seek((page - 1) * size)
                || file.write(QByteArray(size, '\x5a')) != size)
                sc.fail(QStringLiteral("index not damaged"));
            file.close();
            database_access::Open_DB(QStringLiteral("db1.mdb"));
        });
        s.command(QStringLiteral("roc-shown"),
            [](Scenario &, const QStringList &a) { DateText::setRocShown(a.value(0) == QLatin1String("yes")); });
        s.run();
        SyncedFile::setSyncCall({});
        DateText::setRocShown(false);
    }
};

QUILLORY_TEST_MAIN(WindowScenarios)
#include "windows_test.moc"
