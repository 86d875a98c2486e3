#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace ui {

// Runs a long piece of work on a thread of its own while the window goes on painting and
// taking input. After a short wait the window shows a busy cursor; after a longer one a
// panel over host says the work is going on, with a busy bar and a button that gives up.
class BusyWork : public QObject
{
    Q_OBJECT

public:
    static constexpr int busyCursorMs = 300;
    static constexpr int progressMs = 2000;

    BusyWork(QWidget *window, QWidget *host, QString text);

    // Runs job on a worker thread and returns when it has ended; meanwhile the event loop
    // runs. An exception of job is thrown again here. stop is called (on this thread) when
    // the person gives up, and must make job end soon. False when the work was given up.
    bool run(const std::function<void()> &job, const std::function<void()> &stop);
    bool running() const { return m_running; }
    // Gives up the work running; nothing when none runs.
    void giveUp();

    // The panel, while shown; null otherwise.
    QFrame *panel() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPanel();
    void updatePanel();

    QWidget *m_window;
    QWidget *m_host;
    QString m_text;
    QFrame *m_panel = nullptr;
    QLabel *m_panelText = nullptr;
    bool m_running = false;
    bool m_gaveUp = false;
    qint64 m_startedMs = 0;
    std::function<void()> m_stop;
};

} // namespace ui
