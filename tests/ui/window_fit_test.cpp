// Every window can be resized and maximised: the grids and the two note boxes take the room
// it gains or loses, every other control keeps its place, and no control ever leaves the
// window. On a screen too small for a window (1366x768 at scale 2, run as
// window_fit_scale2_test) the window opens fitted to the screen's free area.

#include "app/Form1.h"
#include "entry/input_keyin.h"
#include "kinds/mang_kind.h"
#include "kinds/mang_kind_assign.h"
#include "reports/check.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "ui/DGrid.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QScreen>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// The window's own controls: those it placed itself, inside it or inside one of its frames.
QList<QWidget *> controls(QWidget *window)
{
    QList<QWidget *> found;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QWidget *parent = w->parentWidget();
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) || w->isWindow())
            continue;
        if (parent == window || qobject_cast<const QGroupBox *>(parent) != nullptr)
            found << w;
    }
    return found;
}

QHash<QWidget *, QRect> places(QWidget *window)
{
    QHash<QWidget *, QRect> p;
    for (QWidget *w : controls(window))
        p.insert(w, w->geometry());
    return p;
}

// Names the first shown control that does not lie wholly inside the window.
QString outside(QWidget *window)
{
    for (QWidget *w : controls(window)) {
        if (!w->isVisibleTo(window))
            continue;
        const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
        if (!window->rect().contains(inWindow))
            return w->objectName();
    }
    return {};
}

struct Subject
{
    const char *name;
    std::function<QWidget *()> make;
    // The controls that take the room; every other one keeps its place.
    std::function<QList<QWidget *>(QWidget *)> growing;
};

QList<Subject> subjects()
{
    return {
        { "main menu", [] { return new Form1; }, [](QWidget *) { return QList<QWidget *> {}; } },
        { "daily entry", [] { return new input_keyin; },
            [](QWidget *w) {
                auto *d = static_cast<input_keyin *>(w);
                return QList<QWidget *> { d->DGrid, d->note_day, d->cmd_up_down[0], d->cmd_up_down[1] };
            } },
        { "kind manager", [] { return new mang_kind; }, [](QWidget *) { return QList<QWidget *> {}; } },
        { "reassignment", [] { return new mang_kind_assign(QStringLiteral("餐費"), 1, 3); },
            [](QWidget *) { return QList<QWidget *> {}; } },
        { "query", [] { return new check; },
            [](QWidget *w) {
                auto *c = static_cast<check *>(w);
                return QList<QWidget *> { c->DGrid, c->msg_field };
            } },
    };
}

// The grid and note boxes among the controls that take the room, which must grow and shrink
// with the window.
QList<QWidget *> boxesOf(const Subject &s, QWidget *w)
{
    QList<QWidget *> boxes = s.growing(w);
    boxes.removeIf([](QWidget *c) { return qobject_cast<QAbstractButton *>(c) != nullptr; });
    return boxes;
}

void settle()
{
    QTest::qWait(0);
    QCoreApplication::processEvents();
}

bool scaledSmallScreen()
{
    return qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2");
}

} // namespace

class WindowFitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_ledger = std::make_unique<TestLedger>(true); }

    void windowsFollowTheirSize()
    {
        if (scaledSmallScreen())
            QSKIP("the designed sizes do not fit this screen");
        for (const Subject &s : subjects()) {
            std::unique_ptr<QWidget> w(s.make());
            const QSize designed = w->size();
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            settle();
            QVERIFY2(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint), s.name);
            // A screen with room shows the window at its designed size.
            QCOMPARE(w->size(), designed);
            const QHash<QWidget *, QRect> before = places(w.get());
            const QList<QWidget *> growing = s.growing(w.get()), boxes = boxesOf(s, w.get());

            for (const QSize &size : { designed * 1.6, QSize(designed.width() + 40, designed.height()), designed / 3,
                     QSize(designed.width(), designed.height() - 60) }) {
                w->resize(size);
                settle();
                const QString what
                    = QStringLiteral("%1 at %2x%3").arg(QString::fromUtf8(s.name)).arg(w->width()).arg(w->height());
                QVERIFY2(w->width() >= w->minimumWidth() && w->height() >= w->minimumHeight(), qPrintable(what));
                QVERIFY2(outside(w.get()).isEmpty(), qPrintable(what + QStringLiteral(": ") + outside(w.get())));
                for (auto it = before.cbegin(); it != before.cend(); ++it) {
                    if (!growing.contains(it.key()))
                        QVERIFY2(it.key()->geometry() == it.value(),
                            qPrintable(what + QLatin1Char(' ') + it.key()->objectName()));
                }
                const int dw = w->width() - designed.width();
                const int dh = w->height() - designed.height();
                for (QWidget *box : boxes) {
                    const QRect was = before.value(box);
                    QVERIFY2(dw == 0 || (box->width() > was.width()) == (dw > 0), qPrintable(what + box->objectName()));
                    QVERIFY2(
                        dh == 0 || (box->height() > was.height()) == (dh > 0), qPrintable(what + box->objectName()));
                }
            }
            // Smaller than designed is possible where a grid or note can give up room.
            w->resize(designed / 3);
            settle();
            if (!boxes.isEmpty())
                QVERIFY2(w->height() < designed.height(), s.name);

            w->showMaximized();
            QTRY_VERIFY(w->width() > designed.width());
            QVERIFY2(outside(w.get()).isEmpty(), s.name);
            if (!boxes.isEmpty())
                QVERIFY(boxes.first()->height() > before.value(boxes.first()).height());
        }
    }

    void windowsFitASmallScreen()
    {
        if (!scaledSmallScreen())
            QSKIP("run as window_fit_scale2_test, on 1366x768 at scale 2");
        const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(free.size(), QSize(683, 384));
        for (const Subject &s : subjects()) {
            std::unique_ptr<QWidget> w(s.make());
            const QSize designed = w->size();
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            settle();
            QVERIFY2(free.contains(w->frameGeometry()), s.name);
            QVERIFY2(outside(w.get()).isEmpty(), qPrintable(QString::fromUtf8(s.name) + outside(w.get())));
            if (designed.height() + 8 > free.height()) {
                QVERIFY2(w->height() < designed.height(), s.name);
                for (QWidget *box : boxesOf(s, w.get()))
                    QVERIFY(box->height() >= 30);
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
