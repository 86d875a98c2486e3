#include "ui/Guard.h"

#include "support/ScriptedBoxes.h"
#include "support/TestSupport.h"

#include <QDialog>
#include <QSpinBox>

#include <memory>
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

    void aConnectedHandlerGetsTheValuesUntilTheWindowGoes()
    {
        ScriptedBoxes boxes;
        QSpinBox spin;
        auto window = std::make_unique<QDialog>();
        QList<int> seen;
        int runs = 0;
        ui::connectGuarded(&spin, &QSpinBox::valueChanged, window.get(), [&seen](int value) {
            seen << value;
            if (value > 5)
                throw StoreError(QStringLiteral("too many: %1").arg(value));
        });
        ui::connectGuarded(&spin, &QSpinBox::valueChanged, window.get(), [&runs] { ++runs; });
        spin.setValue(3);
        spin.setValue(9);
        spin.setValue(8); // the failure did not escape: the handler runs as before
        QCOMPARE(seen, QList<int>({ 3, 9, 8 }));
        QCOMPARE(boxes.take(), QStringList({ "too many: 9", "too many: 8" }));
        window.reset();
        spin.setValue(1);
        QCOMPARE(runs, 3);
        QCOMPARE(seen.size(), 3);
    }
};

QUILLORY_TEST_MAIN(GuardTest)
#include "guard_test.moc"
