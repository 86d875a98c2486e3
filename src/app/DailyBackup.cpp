#include "app/DailyBackup.h"

#include "platform/Clock.h"
#include "store/database_access.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
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
    if (outcome.ledgerDamaged) {
        const QString ledger = QFileInfo(database_access::DB_Path).fileName();
        const QString restore = outcome.newestCopy.isEmpty()
            ? QStringLiteral("目前沒有完好的備份。請先把 %1 另外複製一份保留，再設法修復。").arg(ledger)
            : QStringLiteral(
                "最新的完好備份是 %1。請關閉 Quillory，依照說明文件 README 的「Backups and "
                "how to restore one」還原：把損壞的 %2 改名保留，再把這份備份複製到帳本資料夾並命名為 %2。")
                  .arg(QDir::current().relativeFilePath(outcome.newestCopy), ledger);
        // Writing into a damaged file can only spread the damage.
        if (database_access::Is_Open())
            database_access::Refuse_Writes(
                QStringLiteral("帳本 %1 已經損壞，這次執行不再寫入帳本，所以這項變更沒有儲存。%2")
                    .arg(ledger, restore));
        ui::showMessage(parent,
            QStringLiteral("帳本 %1 已經損壞：它沒有通過完整性檢查。\n這次執行不會再寫入帳本：可以查看，"
                           "但新增、修改和刪除都會被拒絕。\n%2\n%3")
                .arg(ledger, restore, outcome.error));
        return;
    }
    if (outcome.clockBehind.isValid()) {
        ui::showMessage(parent,
            QStringLiteral("電腦的時鐘（%1）比最新的一份備份（%2）還早，日期或時間可能設錯了"
                           "（例如主機板電池沒電）。\n今天的備份已經做好並檢查過；在時鐘調好之前，"
                           "舊的備份都會保留，不會刪除。請檢查電腦的日期和時間。")
                .arg(Clock::now().toString(QStringLiteral("yyyy/M/d HH:mm")),
                    outcome.clockBehind.toString(QStringLiteral("yyyy/M/d HH:mm"))));
        return;
    }
    // A copy that cannot be made must not keep anyone from their ledger: say so once, go on.
    if (!outcome.error.isEmpty())
        ui::showMessage(
            parent, QStringLiteral("今天的自動備份沒有成功，帳本本身沒有受到影響。\n%1").arg(outcome.error));
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
