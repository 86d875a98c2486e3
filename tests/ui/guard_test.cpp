#include "ui/Guard.h"

#include "support/ScriptedBoxes.h"
#include "support/TestSupport.h"

#include <QDialog>
#include <QSpinBox>

#include <memory>
#include <stdexcept>

namespace {

struct Logged
{
    QtMsgType type;
    QString category;
    QString text;
};

QList<Logged> &logged()
{
    static QList<Logged> messages;
    return messages;
}

// Records every message logged while it lives, with its category.
class CapturedLog
{
public:
    CapturedLog()
    {
        logged().clear();
        m_previous = qInstallMessageHandler(&record);
    }
    ~CapturedLog() { qInstallMessageHandler(m_previous); }
    CapturedLog(const CapturedLog &) = delete;
    CapturedLog &operator=(const CapturedLog &) = delete;

    QList<Logged> warnings() const
    {
        QList<Logged> found;
        for (const Logged &message : logged()) {
            if (message.type == QtWarningMsg)
                found << message;
        }
        return found;
    }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        logged().append({ type, QString::fromLatin1(context.category ? context.category : ""), text });
    }
    QtMessageHandler m_previous = nullptr;
};

} // namespace

class GuardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aStoreErrorIsShownAndTheRunGoesOn();
    void anyOtherFailureIsShownWithWhatItSays();
    void aConnectedHandlerGetsTheSignalsValues();
    void aConnectedHandlerMayIgnoreTheValues();
    void aConnectedFailureIsShownOverTheWindow();
    void theConnectionEndsWithTheWindow();
    void aShownStoreErrorIsLoggedAsAWarning();
    void aShownFailureIsLoggedToo();
    void aHandlerThatSucceedsLogsNothing();
};

void GuardTest::aStoreErrorIsShownAndTheRunGoesOn()
{
    ScriptedBoxes boxes;
    QDialog window;
    QVERIFY(!ui::guarded(&window, [] { throw StoreError(QStringLiteral("資料庫錯誤：disk I/O error")); }));
    QCOMPARE(boxes.take(), QStringList { QStringLiteral("資料庫錯誤：disk I/O error") });
    int runs = 0;
    QVERIFY(ui::guarded(&window, [&runs] { ++runs; }));
    QCOMPARE(runs, 1);
    QVERIFY(boxes.texts().isEmpty());
}

void GuardTest::anyOtherFailureIsShownWithWhatItSays()
{
    ScriptedBoxes boxes;
    QDialog window;
    QVERIFY(!ui::guarded(&window, [] { throw std::runtime_error("out of range"); }));
    QCOMPARE(boxes.take(), QStringList { QStringLiteral("發生錯誤：out of range") });
}

void GuardTest::aConnectedHandlerGetsTheSignalsValues()
{
    ScriptedBoxes boxes;
    QDialog window;
    auto *spin = new QSpinBox(&window);
    QList<int> seen;
    ui::connectGuarded(spin, &QSpinBox::valueChanged, &window, [&seen](int value) { seen << value; });
    spin->setValue(3);
    spin->setValue(7);
    QCOMPARE(seen, QList<int>({ 3, 7 }));
    QVERIFY(boxes.texts().isEmpty());
}

void GuardTest::aConnectedHandlerMayIgnoreTheValues()
{
    ScriptedBoxes boxes;
    QDialog window;
    auto *spin = new QSpinBox(&window);
    int runs = 0;
    ui::connectGuarded(spin, &QSpinBox::valueChanged, &window, [&runs] { ++runs; });
    spin->setValue(5);
    QCOMPARE(runs, 1);
}

void GuardTest::aConnectedFailureIsShownOverTheWindow()
{
    ScriptedBoxes boxes;
    QDialog window;
    auto *spin = new QSpinBox(&window);
    ui::connectGuarded(spin, &QSpinBox::valueChanged, &window, [](int value) {
        if (value > 5)
            throw StoreError(QStringLiteral("too many: %1").arg(value));
    });
    spin->setValue(4);
    QVERIFY(boxes.texts().isEmpty());
    spin->setValue(9);
    QCOMPARE(boxes.take(), QStringList { QStringLiteral("too many: 9") });
    // The failure did not escape: the next signal runs the handler as before.
    spin->setValue(8);
    QCOMPARE(boxes.take(), QStringList { QStringLiteral("too many: 8") });
}

void GuardTest::theConnectionEndsWithTheWindow()
{
    ScriptedBoxes boxes;
    QSpinBox spin;
    int runs = 0;
    {
        auto window = std::make_unique<QDialog>();
        ui::connectGuarded(&spin, &QSpinBox::valueChanged, window.get(), [&runs] { ++runs; });
        spin.setValue(1);
    }
    spin.setValue(2);
    QCOMPARE(runs, 1);
}

void GuardTest::aShownStoreErrorIsLoggedAsAWarning()
{
    ScriptedBoxes boxes;
    QDialog window;
    auto *spin = new QSpinBox(&window);
    ui::connectGuarded(spin, &QSpinBox::valueChanged, &window,
        [] { throw StoreError(QStringLiteral("資料庫錯誤：database is locked")); });
    CapturedLog log;
    spin->setValue(1);
    QCOMPARE(boxes.take(), QStringList { QStringLiteral("資料庫錯誤：database is locked") });
    const QList<Logged> warnings = log.warnings();
    QCOMPARE(warnings.size(), 1);
    QCOMPARE(warnings.first().category, QStringLiteral("quillory.ui"));
    QVERIFY2(warnings.first().text.contains(QStringLiteral("資料庫錯誤：database is locked")),
        qPrintable(warnings.first().text));
}

void GuardTest::aShownFailureIsLoggedToo()
{
    ScriptedBoxes boxes;
    QDialog window;
    CapturedLog log;
    QVERIFY(!ui::guarded(&window, [] { throw std::runtime_error("bad allocation"); }));
    const QList<Logged> warnings = log.warnings();
    QCOMPARE(warnings.size(), 1);
    QCOMPARE(warnings.first().category, QStringLiteral("quillory.ui"));
    QVERIFY(warnings.first().text.contains(QStringLiteral("bad allocation")));
}

void GuardTest::aHandlerThatSucceedsLogsNothing()
{
    ScriptedBoxes boxes;
    QDialog window;
    CapturedLog log;
    QVERIFY(ui::guarded(&window, [] {}));
    QVERIFY(log.warnings().isEmpty());
    QVERIFY(boxes.texts().isEmpty());
}

QUILLORY_TEST_MAIN(GuardTest)
#include "guard_test.moc"
