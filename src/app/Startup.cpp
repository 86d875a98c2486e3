#include "app/Startup.h"

#include "app/DailyBackup.h"
#include "app/Form1.h"
#include "app/JetOffer.h"
#include "platform/Clock.h"
#include "store/Backup.h"
#include "store/EntryStore.h"
#include "store/KindStore.h"
#include "store/LedgerLock.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

namespace {

QString lockedSince(const LedgerLock::Result &lock)
{
    return lock.since.isValid()
        ? QStringLiteral("（從 %1 起）").arg(lock.since.toString(QStringLiteral("yyyy/M/d HH:mm")))
        : QString();
}

// Two copies on one ledger file would silently put back each other's changes, so the second one
// says why it will not start and touches nothing. A lock file that cannot be written leaves the
// ledger to be read only; why is set to the reason.
bool takeLedgerLock(const QString &ledger, QString &readOnlyWhy)
{
    const QString path = QFileInfo(ledger).absoluteFilePath();
    LedgerLock::Result lock = LedgerLock::take(ledger);
    if (lock.outcome == LedgerLock::Outcome::OtherComputer) {
        const bool stillOpen = ui::askYesNo(nullptr,
            QStringLiteral("這本帳本（%1）有一個鎖定檔，是電腦「%2」%3開啟它時留下的："
                           "那部電腦的 Quillory 還開著它，或是當時沒有正常結束"
                           "（當機、斷電，或隨身碟沒有退出就拔掉）。\n\n"
                           "兩部電腦同時修改同一本帳本，會互相蓋掉對方的修改。\n"
                           "電腦「%2」現在還開著這本帳本嗎？")
                .arg(path, lock.computer, lockedSince(lock)));
        if (stillOpen) {
            ui::showMessage(nullptr,
                QStringLiteral("請先在電腦「%1」上關閉 Quillory，再在這裡開啟這本帳本。帳本沒有任何更動。")
                    .arg(lock.computer));
            return false;
        }
        lock = LedgerLock::takeOver(ledger);
    }
    switch (lock.outcome) {
    case LedgerLock::Outcome::Taken:
        return true;
    case LedgerLock::Outcome::NotPossible:
        readOnlyWhy = lock.why;
        return true;
    case LedgerLock::Outcome::NotAFile:
        ui::showMessage(nullptr,
            QStringLiteral("無法開啟帳本資料庫 db1.mdb：%1 不是一般的檔案（可能是具名管道、裝置或資料夾）。")
                .arg(path));
        return false;
    case LedgerLock::Outcome::HeldElsewhere:
    case LedgerLock::Outcome::OtherComputer:
        break;
    }
    const QString who
        = lock.process > 0 ? QStringLiteral("（程序 %1%2）").arg(lock.process).arg(lockedSince(lock)) : QString();
    ui::showMessage(nullptr,
        QStringLiteral("這本帳本（%1）已經在另一個 Quillory 視窗裡開著了%2。\n"
                       "同一本帳本一次只能由一個 Quillory 開啟，請回到已開著的那個視窗"
                       "（它也可能是經由連結或另一個路徑開啟了同一個檔案）。")
            .arg(path, who));
    return false;
}

// Entries with a kind that is gone or a direction that is neither expense nor income would be
// counted by some windows and not by others. They are found at every start, said with what
// they mean, and put where every total counts them once the person agrees.
void offerToGatherStrays()
{
    const EntryStore::Strays strays = EntryStore::countStrays();
    if (!strays.any())
        return;
    QStringList found;
    if (strays.unknownKind > 0)
        found << QStringLiteral("%1 筆帳目的類別已經不在類別清單裡").arg(strays.unknownKind);
    if (strays.oddDirection > 0)
        found << QStringLiteral("%1 筆帳目既不是支出也不是收入").arg(strays.oddDirection);
    const QString unsorted = QStringLiteral("未分類");
    const bool yes = ui::askYesNo(nullptr,
        QStringLiteral("帳本裡有%1（可能是其他程式寫入的）。\n"
                       "這些帳目在每日帳目、查詢和年報裡不是都算得到，所以各處的合計會對不上。\n\n"
                       "要把它們都歸到類別「%2」嗎？收支不明的會當作支出。"
                       "之後可以在查詢視窗選類別「%2」找出它們，逐筆改正。")
            .arg(found.join(QStringLiteral("，")), unsorted));
    if (yes)
        EntryStore::gatherStrays(unsorted);
}

} // namespace

bool startUp(BackupTiming timing)
{
    using namespace database_access;
    Base_Dir = QString();
    DB_Path = Base_Dir + QStringLiteral("db1.mdb");
    SKinds_File = QStringLiteral("SKinds.txt");
    // Taken before anything is read or brought over: the other copy may be writing the file.
    QString readOnlyWhy;
    if (!takeLedgerLock(DB_Path, readOnlyWhy))
        return false;
    const OldLedgerStep old = offerToBringOver(DB_Path);
    if (old == OldLedgerStep::Ended) {
        LedgerLock::release();
        return false;
    }
    // The new ledger is another file than the one locked: lock it before it is opened.
    if (old == OldLedgerStep::BroughtOver && !takeLedgerLock(DB_Path, readOnlyWhy))
        return false;
    try {
        Open_DB(DB_Path);
    } catch (const StoreError &error) {
        LedgerLock::release();
        ui::showStoreError(nullptr, error);
        return false;
    }
    if (!readOnlyWhy.isEmpty()) {
        Refuse_Writes(QStringLiteral("帳本這次只能查看，不能修改：無法建立它的鎖定檔（%1）。").arg(readOnlyWhy));
        ui::showMessage(nullptr,
            QStringLiteral("無法在帳本的資料夾建立鎖定檔 db1.mdb.lock（%1）。\n"
                           "鎖定檔讓同一本帳本一次只由一個 Quillory 修改，所以這次帳本只能查看，不能修改。")
                .arg(readOnlyWhy));
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
    if (readOnlyWhy.isEmpty())
        ui::guarded(nullptr, [] { offerToGatherStrays(); });
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
        QTimer::singleShot(0, &menu, [&menu] { menu.offerDueRecurring(); });
        status = QApplication::exec();
        backup.finish();
    }
    database_access::Close_DB();
    LedgerLock::release();
    return status;
}
