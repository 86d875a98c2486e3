#include "app/JetOffer.h"

#include "app/ImportFolder.h"
#include "app/ImportProgress.h"
#include "app/ImportRunner.h"
#include "app/OldLedgerFile.h"
#include "ui/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString untouched = QStringLiteral("舊的 db1.mdb 沒有更動。");
// Reading the catalogue takes moments even for a large file.
constexpr int lookLimitMs = 60 * 1000;

QString summaryOf(const QString &reportPath)
{
    QFile report(reportPath);
    if (!report.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("（找不到轉入報告 import-report.txt。）");
    // The report opens with its summary; the details follow after a blank line.
    QStringList lines;
    while (!report.atEnd() && lines.size() < 30) {
        const QString line = QString::fromUtf8(report.readLine(4096)).trimmed();
        if (line.isEmpty()) {
            if (lines.isEmpty())
                continue;
            break;
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

QString keptCopyIn(const QString &folder)
{
    const QStringList copies = QDir(folder).entryList({ QStringLiteral("db1-jet-*.mdb") }, QDir::Files, QDir::Name);
    return copies.isEmpty() ? QString() : copies.last();
}

QString whyNot(const ImportRunner::Outcome &outcome)
{
    return outcome.ok ? QStringLiteral("轉入程式結束了，新帳本卻沒有放到 db1.mdb。") : outcome.message;
}

QString leftBehind(const QStringList &names)
{
    return names.isEmpty()
        ? QString()
        : QStringLiteral("\n轉入留下的這些檔案無法清除或還原，請自行刪除：%1").arg(names.join(QStringLiteral("、")));
}

void tellBroughtOver(const QString &folder, const ImportRunner::Outcome &outcome)
{
    QString text;
    if (outcome.cancelled)
        text = QStringLiteral("取消的時候，轉入已經完成了：");
    else if (!outcome.ok)
        text = QStringLiteral("轉入程式結束時出了問題（%1），不過新帳本在那之前已經核對完成、放好了：")
                   .arg(outcome.message);
    text += QStringLiteral("舊帳本已經轉入成 Quillory 的帳本 db1.mdb。\n\n%1\n\n完整的報告在 import-report.txt。")
                .arg(summaryOf(QDir(folder).filePath(QStringLiteral("import-report.txt"))));
    const QString copy = keptCopyIn(folder);
    if (!copy.isEmpty())
        text += QStringLiteral("\n舊檔案原封不動地保留為 %1。").arg(copy);
    ui::showMessage(nullptr, text);
}

OldLedgerStep bringOver(const QString &oldFile, const QString &folder)
{
    const QString program = ImportRunner::program();
    if (program.isEmpty()) {
        ui::showMessage(nullptr, QStringLiteral("找不到轉入程式 quillory-import，無法轉入舊帳本。\n") + untouched);
        return OldLedgerStep::Ended;
    }
    // What the folder holds, not how the program ended, says whether the old ledger came over:
    // it may be stopped or cancelled a moment before or after its rename of the new ledger.
    const ImportFolder before(folder);
    ImportRunner runner(program, oldFile, folder, ImportRunner::timeoutMs());
    ImportRunner::Outcome outcome;
    {
        ImportProgress dialog;
        QObject::connect(&runner, &ImportRunner::progress, &dialog, &ImportProgress::showProgress);
        QObject::connect(&dialog, &QProgressDialog::canceled, &runner, &ImportRunner::cancel);
        dialog.show();
        outcome = runner.run();
    }
    switch (before.ledger()) {
    case ImportFolder::Ledger::New:
        before.clearPieces();
        tellBroughtOver(folder, outcome);
        return OldLedgerStep::BroughtOver;
    case ImportFolder::Ledger::Old:
        ui::showMessage(nullptr,
            QStringLiteral("舊帳本沒有轉入。\n%1\n%2%3").arg(whyNot(outcome), untouched, leftBehind(before.putBack())));
        return OldLedgerStep::Ended;
    case ImportFolder::Ledger::Other:
        break;
    }
    // Something else changed db1.mdb meanwhile: the copy of the old file stays.
    const QStringList left = before.putBack();
    const QString copy = keptCopyIn(folder);
    ui::showMessage(nullptr,
        QStringLiteral("舊帳本沒有轉入。\n%1\ndb1.mdb 已經不是轉入前的那個檔案，轉入時有別的程式更動或移走了它。%2%3")
            .arg(whyNot(outcome), copy.isEmpty() ? QString() : QStringLiteral("\n舊檔案的副本保留為 %1。").arg(copy),
                leftBehind(left)));
    return OldLedgerStep::Ended;
}

} // namespace

OldLedgerStep offerToBringOver(const QString &ledgerPath)
{
    const QFileInfo file(ledgerPath);
    switch (oldLedgerFormatOf(ledgerPath)) {
    case OldLedgerFormat::NotAccess:
        return OldLedgerStep::NotOld;
    case OldLedgerFormat::Jet3:
        ui::showMessage(nullptr,
            QStringLiteral("db1.mdb 是 Access 97 的資料庫，Quillory 只能轉入 Access 2000 到 2003 "
                           "格式的舊帳本。請先用 Access 把它轉換成 2000 格式。\n")
                + untouched);
        return OldLedgerStep::Ended;
    case OldLedgerFormat::Ace:
        ui::showMessage(nullptr,
            QStringLiteral("db1.mdb 是 Access 2007 以後的資料庫（.accdb 格式），Quillory 只能轉入 "
                           "Access 2000 到 2003 格式的舊帳本。請先用 Access 把它另存成 2000 "
                           "格式。\n")
                + untouched);
        return OldLedgerStep::Ended;
    case OldLedgerFormat::Jet4:
        break;
    }
    // Only a file that holds a ledger is offered; the look is made by the import program too,
    // so that no damaged file is read in this process.
    const QString program = ImportRunner::program();
    if (!program.isEmpty()) {
        const ImportRunner::Look look
            = ImportRunner::look(program, file.absoluteFilePath(), std::min(ImportRunner::timeoutMs(), lookLimitMs));
        if (look.notALedger) {
            ui::showMessage(nullptr,
                QStringLiteral("%1\nQuillory 無法開啟它，裡面也沒有可以轉入的帳目。\n資料夾裡的檔案都沒有更動。")
                    .arg(look.message));
            return OldLedgerStep::Ended;
        }
    }
    const bool yes = ui::askYesNo(nullptr,
        QStringLiteral("這個資料夾的 db1.mdb 是舊的 Access 帳本，Quillory 不能直接開啟它。\n"
                       "要把它轉入成 Quillory 的帳本嗎？\n\n"
                       "舊檔案會先複製一份保留下來（db1-jet-日期-時間.mdb），本身不會被更改；"
                       "轉入的每一筆都會核對過，才會換成新的 db1.mdb。"));
    if (!yes) {
        ui::showMessage(nullptr,
            QStringLiteral("db1.mdb 是舊的 Access 帳本，沒有轉入，Quillory 無法開啟它。\n"
                           "檔案沒有更動；下次啟動 Quillory 時可以再選擇轉入，"
                           "或執行 quillory-import db1.mdb。"));
        return OldLedgerStep::Ended;
    }
    return bringOver(file.absoluteFilePath(), file.absolutePath());
}
