#include "app/DailyBackup.h"

#include "platform/Clock.h"
#include "store/database_access.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>

struct DailyBackup::State
{
    Backup::Outcome outcome;
    bool told = false;
};

namespace {

// How long the closing program waits quietly before it says what it waits for.
constexpr unsigned long quietWaitMs = 300;

void tellOnce(QWidget *parent, DailyBackup::State &state)
{
    if (state.told)
        return;
    state.told = true;
    tellBackupOutcome(parent, state.outcome);
}

} // namespace

void tellBackupOutcome(QWidget *parent, const Backup::Outcome &outcome)
{
    // A copy that cannot be made must not keep anyone from their ledger: say so once, go on.
    if (!outcome.error.isEmpty())
        ui::showMessage(parent, QStringLiteral("今天的自動備份沒有成功，帳本本身沒有受到影響。\n%1").arg(outcome.error));
}

DailyBackup::DailyBackup(QWidget *parent)
    : m_state(std::make_shared<State>())
{
    const QString ledger = database_access::DB_Path;
    const QDateTime now = Clock::now();
    std::shared_ptr<State> state = m_state;
    m_worker = QThread::create([ledger, now, state] { state->outcome = Backup::backupIfDue(ledger, now); });
    QPointer<QWidget> window(parent);
    QObject::connect(m_worker, &QThread::finished, qApp, [state, window] { tellOnce(window, *state); });
    m_worker->start(QThread::LowPriority);
}

DailyBackup::~DailyBackup()
{
    // The copy reads the ledger file; the program must not let go of it before the copy ends.
    m_worker->wait();
    delete m_worker;
}

bool DailyBackup::running() const
{
    return !m_worker->isFinished();
}

void DailyBackup::finish()
{
    if (!m_worker->wait(quietWaitMs)) {
        QProgressDialog notice(QStringLiteral("正在完成今天的自動備份，請稍候…"), QString(), 0, 0);
        notice.setWindowTitle(QStringLiteral("Quillory"));
        notice.setMinimumDuration(0);
        notice.show();
        while (!m_worker->wait(50))
            QApplication::processEvents();
    }
    // Once the main menu has closed, the signal of the end is never delivered: tell it here.
    tellOnce(nullptr, *m_state);
}
