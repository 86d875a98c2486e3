#include "ui/Guard.h"

#include "support/ScriptedBoxes.h"
#include "support/TestSupport.h"

#include <QDialog>

#include <stdexcept>

class GuardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each failure is shown once and the run goes on.
    void aFailureIsShownAndTheRunGoesOn()
    {
        ScriptedBoxes boxes;
        QDialog window;
        QVERIFY(!ui::guarded(&window, [] { throw StoreError(QStringLiteral("資料庫錯誤：disk I/O error")); }));
        QVERIFY(!ui::guarded(&window, [] { throw std::runtime_error("out of range"); }));
        QCOMPARE(boxes.take(), QStringList({ "資料庫錯誤：disk I/O error", "發生錯誤：out of range" }));
        int runs = 0;
        QVERIFY(ui::guarded(&window, [&runs] { ++runs; }));
        QCOMPARE(runs, 1);
    }
};

QUILLORY_TEST_MAIN(GuardTest)
#include "guard_test.moc"
