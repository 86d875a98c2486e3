#include "app/Startup.h"

#include "app/Form1.h"
#include "platform/Clock.h"
#include "store/Backup.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "ui/MessageBox.h"

#include <QApplication>

bool startUp()
{
    using namespace database_access;
    Base_Dir = QString();
    DB_Path = Base_Dir + QStringLiteral("db1.mdb");
    SKinds_File = QStringLiteral("SKinds.txt");
    try {
        Open_DB(DB_Path);
    } catch (const StoreError &error) {
        ui::showMessage(nullptr, error.message());
        return false;
    }
    Load_SKinds();
    // A copy that cannot be made must not keep anyone from their ledger: say so once, go on.
    const Backup::Outcome backup = Backup::backupIfDue(DB_Path, Clock::now());
    if (!backup.error.isEmpty())
        ui::showMessage(nullptr, QStringLiteral("今天的自動備份沒有成功，帳本本身沒有受到影響。\n%1").arg(backup.error));
    return true;
}

int runProgram(QApplication &app)
{
    if (!startUp())
        return 1;
    int status = 0;
    {
        Form1 menu;
        menu.show();
        status = app.exec();
    }
    database_access::Close_DB();
    return status;
}
