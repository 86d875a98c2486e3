// Every window opens on the screen's free area, also on one too small for it (1366x768 at
// scale 2, run as window_fit_scale2_test), and can be resized and maximised: its grids and note
// boxes take the room it gains or loses, and no control ever leaves the window.

#include "app/Form1.h"
#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "kinds/mang_kind_assign.h"
#include "reports/check.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QGroupBox>
#include <QScreen>

#include <functional>
#include <memory>

namespace {

// Names the first shown control, placed inside the window or one of its frames, that does not
// lie wholly inside the window.
QString outside(QWidget *window)
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QWidget *parent = w->parentWidget();
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) || w->isWindow()
            || !w->isVisibleTo(window) || (parent != window && qobject_cast<const QGroupBox *>(parent) == nullptr))
            continue;
        if (!window->rect().contains(QRect(w->mapTo(window, QPoint(0, 0)), w->size())))
            return w->objectName();
    }
    return {};
}

// Each window, and the grids and note boxes that take the room it gains or loses.
const QList<std::pair<std::function<QWidget *()>, QStringList>> subjects = {
    { [] { return new Form1; }, {} },
    { [] { return new input_keyin; }, { "DGrid", "note_day" } },
    { [] { return new mang_kind; }, {} },
    { [] { return new mang_kind_assign(QStringLiteral("餐費"), 1, 3); }, {} },
    { [] { return new check; }, { "DGrid", "msg_field" } },
};

} // namespace

class WindowFitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_ledger = std::make_unique<TestLedger>(true); }

    // On the default screen, and run as window_fit_scale2_test on one too small for the windows.
    void windowsFitASmallScreen()
    {
        const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
        for (const auto &[make, boxNames] : subjects) {
            const std::unique_ptr<QWidget> w(make());
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()) && w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
            QTest::qWait(0);
            QVERIFY(free.contains(w->frameGeometry()));
            const QSize fitted = w->size();
            QMap<QString, QSize> before;
            for (const QString &name : boxNames) {
                before.insert(name, w->findChild<QWidget *>(name)->size());
                QVERIFY(before.value(name).height() >= 30);
            }
            for (const QSize &size : { fitted * 1.6, fitted / 3, QSize() }) {
                if (size.isValid())
                    w->resize(size);
                else
                    w->showMaximized();
                QTRY_VERIFY(size.isValid() || w->width() > fitted.width() || w->height() > fitted.height());
                const QString what = QString::fromLatin1(w->metaObject()->className())
                    + QStringLiteral(" at %1x%2").arg(w->width()).arg(w->height());
                QVERIFY2(outside(w.get()).isEmpty(), qPrintable(what + QLatin1Char(' ') + outside(w.get())));
                // The boxes grow and shrink with the window.
                const int dw = w->width() - fitted.width();
                const int dh = w->height() - fitted.height();
                for (const QString &name : boxNames) {
                    const QSize now = w->findChild<QWidget *>(name)->size();
                    const QSize was = before.value(name);
                    QVERIFY2((dw == 0 || (now.width() > was.width()) == (dw > 0))
                            && (dh == 0 || (now.height() > was.height()) == (dh > 0)),
                        qPrintable(what + QLatin1Char(' ') + name));
                }
            }
        }
    }

private:
    // The windows' dates and the query window's clock read this moment, never the machine's.
    testing::FixedClock m_clock { QDate(2024, 6, 10) };
    std::unique_ptr<TestLedger> m_ledger;
};

QUILLORY_TEST_MAIN(WindowFitTest)
#include "window_fit_test.moc"
