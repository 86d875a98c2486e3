#include "imports/ImportSteps.h"

#include "platform/Clock.h"
#include "store/Backup.h"
#include "store/database_access.h"
#include "ui/Controls.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace imports {

QDialogButtonBox *okAndCancel(
    QDialog *window, QPushButton **ok, QPushButton **cancel, const std::function<void()> &bringIn)
{
    auto *buttons = new QDialogButtonBox(window);
    *ok = ui::named(
        buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole), "cmd_ok", QStringLiteral("確定"));
    *cancel = ui::named(
        buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole), "cmd_cancel", QStringLiteral("取消"));
    ui::connectGuarded(buttons, &QDialogButtonBox::accepted, window, [bringIn] { bringIn(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);
    return buttons;
}

bool backedUp(QWidget *parent)
{
    const Backup::Outcome backup = Backup::backupIfDue(database_access::DB_Path, Clock::now());
    if (backup.error.isEmpty())
        return true;
    ui::showMessage(parent, QStringLiteral("今天的備份沒有做成，所以沒有匯入：%1").arg(backup.error));
    return false;
}

void tell(QWidget *parent, const InvoiceStore::Outcome &outcome, const QString &summary)
{
    if (outcome.keys.isEmpty() && outcome.removed.isEmpty()) {
        ui::showMessage(parent, summary);
        return;
    }
    if (ui::askChoice(parent, summary, { QStringLiteral("好"), QStringLiteral("復原這次匯入") }) != 1)
        return;
    InvoiceStore::takeBack(outcome);
    ui::showMessage(parent, QStringLiteral("已經復原，帳本回到這次匯入之前的樣子。"));
}

} // namespace imports
