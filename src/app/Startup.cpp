#include "app/Startup.h"

#include "app/DailyBackup.h"
#include "app/Form1.h"
#include "app/JetOffer.h"
#include "platform/Clock.h"
#include "store/Backup.h"
#include "store/KindStore.h"
#include "store/LedgerLock.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QFileInfo>

namespace {

// Two copies on one ledger would silently put back each other's changes, so the second one
// says why it will not start and touches nothing.
bool takeLedgerLock(const QString &ledger)
{
    if (LedgerLock::take(ledger) != LedgerLock::Outcome::HeldElsewhere)
        return true;
    ui::showMessage(nullptr,
        QStringLiteral("這本帳本（%1）已經在另一個 Quillory 視窗裡開著了。\n"
                       "同一本帳本一次只能由一個 Quillory 開啟，請回到已開著的那個視窗。")
            .arg(QFileInfo(ledger).absoluteFilePath()));
    return false;
}

} // namespace

bool startUp(BackupTiming timing)
{
    using namespace database_access;
    Base_Dir = QString();
    DB_Path = Base_Dir + QStringLiteral("db1.mdb");
    SKinds_File = QStringLiteral("SKinds.txt");
    // Taken before anything is read or brought over: the other copy may be writing the file.
    if (!takeLedgerLock(DB_Path))
        return false;
    if (offerToBringOver(DB_Path) == OldLedgerStep::Ended) {
        LedgerLock::release();
        return false;
    }
    try {
        Open_DB(DB_Path);
    } catch (const StoreError &error) {
        LedgerLock::release();
        ui::showStoreError(nullptr, error);
        return false;
    }
    // A summary file that is there but gave nothing is said, so that no one takes the missing
    // summary lines for totals of nothing.
    const QString summaryProblem = Load_SKinds();
    if (!summaryProblem.isEmpty())
        ui::showMessage(nullptr, summaryProblem);
    try {
        KindStore::dropGoneSummaryKinds();
    } catch (const StoreError &) {
        // Only tidying: the ids of gone kinds count for nothing in any total.
    }
    if (timing == BackupTiming::DuringStartUp) {
        const Backup::Outcome backup = Backup::backupIfDue(DB_Path, Clock::now());
        tellBackupOutcome(nullptr, backup);
    }
    return true;
}

int runProgram(QApplication & /*app*/)
{
    if (!startUp(BackupTiming::AfterMenuShown))
        return 1;
    int status = 0;
    {
        Form1 menu;
        menu.show();
        DailyBackup backup(&menu);
        status = QApplication::exec();
        backup.finish();
    }
    database_access::Close_DB();
    LedgerLock::release();
    return status;
}
