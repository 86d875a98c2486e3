#include "ui/Guard.h"

#include "support/ScriptedBoxes.h"
#include "support/TestSupport.h"

#include <QDialog>

#include <stdexcept>

namespace {

// The warnings logged while it lives, as "category: text".
QStringList &warnings()
{
    static QStringList seen;
    return seen;
}

struct CapturedLog
{
    QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &c, const QString &t) {
              if (type == QtWarningMsg)
                  warnings() << QString::fromLatin1(c.category ? c.category : "") + QStringLiteral(": ") + t;
          });
    ~CapturedLog()
    {
        qInstallMessageHandler(previous);
        warnings().clear();
    }
};

} // namespace

class GuardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aFailureIsShownLoggedAndTheRunGoesOn()
    {
        ScriptedBoxes boxes;
        CapturedLog log;
        QDialog window;
        QVERIFY(!ui::guarded(&window, [] { throw StoreError(QStringLiteral("資料庫錯誤：disk I/O error")); }));
        QVERIFY(!ui::guarded(&window, [] { throw std::runtime_error("out of range"); }));
        QCOMPARE(boxes.take(), QStringList({ "資料庫錯誤：disk I/O error", "發生錯誤：out of range" }));
        QCOMPARE(warnings().size(), 2);
        QVERIFY(warnings().at(0).startsWith("quillory.ui: ") && warnings().at(0).contains("disk I/O error"));
        QVERIFY(warnings().at(1).startsWith("quillory.ui: ") && warnings().at(1).contains("out of range"));
        int runs = 0;
        QVERIFY(ui::guarded(&window, [&runs] { ++runs; }));
        QCOMPARE(runs, 1);
        QCOMPARE(warnings().size(), 2);
    }
};

QUILLORY_TEST_MAIN(GuardTest)
#include "guard_test.moc"
