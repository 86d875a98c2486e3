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
#include "ui/PrintedReport.h"
#include "ui/ReportOutput.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>

namespace {

QString run(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// pdf NAME pages N | has REGEX... | every-page REGEX... | last-page REGEX... | fonts
// The text a reader's tools extract, page by page as laid out; fonts all embedded, and none of
// the radicals a wrong face writes instead of 支 月 日 金.
void checkPdf(Scenario &s, const QStringList &a)
{
    const QString pdf = s.ledger().path(a.value(0));
    QStringList pages = run(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") })
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    const QString what = a.value(1);
    if (what == QLatin1String("pages"))
        return s.expectEqual(what, { QString::number(pages.size()) }, { a.value(2) });
    if (what == QLatin1String("fonts")) {
        QStringList wrong;
        const QStringList fonts = run(QStringLiteral("pdffonts"), { pdf }).split(QLatin1Char('\n')).mid(2);
        for (const QString &font : fonts.filter(QRegularExpression(QStringLiteral("\\S")))) {
            if (!font.contains(QRegularExpression(QStringLiteral("\\byes\\s+(yes|no)\\s+(yes|no)\\s+\\d+"))))
                wrong << font;
        }
        if (fonts.filter(QRegularExpression(QStringLiteral("\\S"))).isEmpty()
            || pages.join(QString()).contains(QRegularExpression(QStringLiteral("[\\x{2E80}-\\x{2FDF}]"))))
            wrong << QStringLiteral("no fonts, or radicals in the text");
        return s.expectEqual(what, wrong, {});
    }
    const QStringList texts = what == QLatin1String("every-page") ? pages
        : what == QLatin1String("last-page")                      ? pages.mid(pages.size() - 1)
                                                                  : QStringList { pages.join(QString()) };
    QStringList missing;
    for (const QString &text : texts) {
        for (const QString &pattern : a.mid(2)) {
            if (!text.contains(QRegularExpression(pattern, QRegularExpression::MultilineOption)))
                missing << pattern;
        }
    }
    s.expectEqual(QStringLiteral("not found in ") + a.value(0), missing, {});
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
                struct stat st = {};
                if ((::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) != onFolder)
                    return 0;
                errno = EIO;
                return -1;
            });
        });
        // The page of the index the descriptions are counted through, overwritten.
        s.command(QStringLiteral("damage-index"), [](Scenario &sc, const QStringList &) {
            const QString root = QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type = 'index' "
                                                "AND tbl_name = 'data_main' AND sql LIKE '%a_content%'");
            const qint64 page = sc.ledger().scalar(root).toLongLong();
            const int size = sc.ledger().scalar(QStringLiteral("PRAGMA page_size")).toInt();
            database_access::Close_DB();
            QFile file(sc.ledger().path(QStringLiteral("db1.mdb")));
            if (page < 2 || !file.open(QIODevice::ReadWrite) || !file.seek((page - 1) * size)
                || file.write(QByteArray(size, '\x5a')) != size)
                sc.fail(QStringLiteral("index not damaged"));
            file.close();
            database_access::Open_DB(QStringLiteral("db1.mdb"));
        });
        s.command(QStringLiteral("pdf"), checkPdf);
        s.command(QStringLiteral("preview-pages"), [](Scenario &sc, const QStringList &a) {
            auto *preview = sc.find(QStringLiteral("window"))->findChild<QPrintPreviewWidget *>();
            if (!preview)
                return sc.fail(QStringLiteral("no preview"));
            preview->updatePreview();
            sc.expectEqual(QStringLiteral("preview pages"), { QString::number(preview->pageCount()) }, { a.value(0) });
        });
        s.command(QStringLiteral("roc-shown"),
            [](Scenario &, const QStringList &a) { DateText::setRocShown(a.value(0) == QLatin1String("yes")); });
        s.run();
        SyncedFile::setSyncCall({});
        DateText::setRocShown(false);
    }

    void aFailedOrStoppedPdfLeavesNoFile()
    {
        PrintedReport report;
        report.title = QStringLiteral("報表");
        report.headers = { QStringLiteral("日期"), QStringLiteral("金額") };
        report.widths = { 1, 1 };
        report.rows = QVector<QStringList>(3000, { QStringLiteral("2025/1/1"), QStringLiteral("1") });
        QTemporaryDir dir;
        const QString kept = dir.filePath(QStringLiteral("kept.pdf"));
        QFile old(kept);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older file") > 0);
        old.close();
        // Stopped at the third page: the older file stays as it was, nothing beside it.
        QCOMPARE(ReportOutput::writePdf(report, kept, nullptr, [](int page, int) { return page < 2; }),
            ReportOutput::Outcome::Cancelled);
        QString why;
        QCOMPARE(ReportOutput::writePdf(report, dir.filePath(QStringLiteral("no/such/folder.pdf")), &why),
            ReportOutput::Outcome::Failed);
        QVERIFY(!why.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("kept.pdf") });
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("an older file"));
    }
};

QUILLORY_TEST_MAIN(WindowScenarios)
#include "windows_test.moc"
