#include "ui/BusyWork.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <memory>

namespace ui {

BusyWork::BusyWork(QWidget *window, QWidget *host, QString text)
    : QObject(window)
    , m_window(window)
    , m_host(host)
    , m_text(std::move(text))
{
    m_host->installEventFilter(this);
}

QFrame *BusyWork::panel() const
{
    return m_panel != nullptr && m_panel->isVisible() ? m_panel : nullptr;
}

bool BusyWork::run(const std::function<void()> &job, const std::function<void()> &stop)
{
    Q_ASSERT_X(QThread::currentThread() == thread(), "BusyWork::run", "the window's own thread runs its jobs");
    if (m_running)
        return false;
    m_running = true;
    m_gaveUp = false;
    m_stop = stop;
    QElapsedTimer clock;
    clock.start();

    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&job, &failure] {
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer cursorTimer;
    cursorTimer.setSingleShot(true);
    connect(&cursorTimer, &QTimer::timeout, this, [this] { m_window->setCursor(Qt::BusyCursor); });
    QTimer panelTimer;
    panelTimer.setInterval(1000);
    connect(&panelTimer, &QTimer::timeout, this, [this, &clock, &panelTimer] {
        m_startedMs = clock.elapsed();
        if (panelTimer.interval() != 1000)
            panelTimer.setInterval(1000);
        showPanel();
    });
    worker->start();
    cursorTimer.start(busyCursorMs);
    panelTimer.start(progressMs);
    // A job done at once needs no round of the event loop.
    if (!worker->wait(QDeadlineTimer(0)))
        loop.exec();
    // The loop also ends when the whole program is asked to; the job must not outlive this.
    if (!worker->isFinished()) {
        giveUp();
        worker->wait();
    }
    cursorTimer.stop();
    panelTimer.stop();
    m_window->unsetCursor();
    if (m_panel != nullptr)
        m_panel->hide();
    m_running = false;
    m_stop = {};
    if (m_gaveUp)
        return false;
    if (failure)
        std::rethrow_exception(failure);
    return true;
}

void BusyWork::giveUp()
{
    if (!m_running || m_gaveUp)
        return;
    m_gaveUp = true;
    if (m_stop)
        m_stop();
}

void BusyWork::showPanel()
{
    if (m_panel == nullptr) {
        m_panel = new QFrame(m_host);
        m_panel->setObjectName(QStringLiteral("busy_panel"));
        m_panel->setFrameShape(QFrame::Box);
        m_panel->setAutoFillBackground(true);
        auto *rows = new QVBoxLayout(m_panel);
        m_panelText = new QLabel(m_panel);
        m_panelText->setObjectName(QStringLiteral("busy_text"));
        auto *bar = new QProgressBar(m_panel);
        bar->setObjectName(QStringLiteral("busy_bar"));
        bar->setRange(0, 0); // no end known: the bar just moves
        bar->setTextVisible(false);
        auto *stop = new QPushButton(QStringLiteral("取消"), m_panel);
        stop->setObjectName(QStringLiteral("busy_stop"));
        stop->setAccessibleName(QStringLiteral("取消"));
        // Keys typed meanwhile stay with the field the person is in.
        stop->setFocusPolicy(Qt::NoFocus);
        connect(stop, &QPushButton::clicked, this, &BusyWork::giveUp);
        auto *line = new QHBoxLayout;
        line->addWidget(bar, 1);
        line->addWidget(stop);
        rows->addWidget(m_panelText);
        rows->addLayout(line);
    }
    updatePanel();
    m_panel->setGeometry(m_host->rect());
    m_panel->show();
    m_panel->raise();
}

void BusyWork::updatePanel()
{
    m_panelText->setText(m_text + QStringLiteral("（已 %1 秒）").arg(m_startedMs / 1000));
}

bool BusyWork::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host && event->type() == QEvent::Resize && m_panel != nullptr)
        m_panel->setGeometry(m_host->rect());
    return QObject::eventFilter(watched, event);
}

} // namespace ui
