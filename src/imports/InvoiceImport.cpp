#include "imports/InvoiceImport.h"

#include "imports/ImportSteps.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "store/Backup.h"
#include "store/InvoiceStore.h"
#include "store/KindStore.h"
#include "store/database_access.h"
#include "ui/ChoiceDelegate.h"
#include "ui/Controls.h"
#include "ui/FileDialog.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/StorableText.h"
#include "ui/WindowFit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum Column { Tick, Date, Store, Amount, Items, Kind, Direction, Content, State, Columns };

} // namespace

InvoiceImport::InvoiceImport(QWidget *parent)
    : QDialog(parent)
    , invoices(ui::named(new QTableView(this), "invoices", QStringLiteral("發票")))
    , info(ui::named(new QLabel(this), "info"))
    , m_model(new QStandardItemModel(0, Columns, this))
{
    setObjectName(QStringLiteral("InvoiceImport"));
    setWindowTitle(QStringLiteral("匯入電子發票"));
    setFont(ui::mingFont(10.5));
    m_model->setHorizontalHeaderLabels({ QStringLiteral("匯入"), QStringLiteral("日期"), QStringLiteral("商店"),
        QStringLiteral("金額"), QStringLiteral("品項"), QStringLiteral("類別"), QStringLiteral("收支"),
        QStringLiteral("帳目名稱"), QStringLiteral("狀態") });
    invoices->setModel(m_model);
    invoices->verticalHeader()->hide();
    invoices->horizontalHeader()->setStretchLastSection(true);
    invoices->setEditTriggers(QAbstractItemView::AllEditTriggers);
    QVector<std::pair<QString, qint64>> kinds;
    for (const KindStore::Kind &kind : KindStore::kindsByOrder())
        kinds.append({ kind.name, kind.id });
    invoices->setItemDelegateForColumn(Kind, new ui::ChoiceDelegate(kinds, invoices));
    invoices->setItemDelegateForColumn(
        Direction, new ui::ChoiceDelegate({ { QStringLiteral("支出"), 0 }, { QStringLiteral("收入"), 1 } }, invoices));
    info->setWordWrap(true);

    QDialogButtonBox *buttons = imports::okAndCancel(this, &cmd_ok, &cmd_cancel, [this] { bringIn(); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(invoices);
    layout->addWidget(info);
    layout->addWidget(buttons);
    ui::designedSize(this, QSize(900, 480));
}

bool InvoiceImport::chooseFiles()
{
    const QStringList paths = ui::askOpenFileNames(
        this, QStringLiteral("匯入電子發票"), QStringLiteral("電子發票檔 (*.csv *.txt);;所有檔案 (*)"));
    return !paths.isEmpty() && readFiles(paths);
}

bool InvoiceImport::readFiles(const QStringList &paths)
{
    QVector<EInvoice::File> files;
    for (const QString &path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            ui::showMessage(
                this, QStringLiteral("無法讀取 %1：%2").arg(QFileInfo(path).fileName(), file.errorString()));
            return false;
        }
        QString why;
        const std::optional<EInvoice::File> read = EInvoice::read(file.readAll(), &why);
        if (!read) {
            ui::showMessage(this, QStringLiteral("%1 %2\n沒有匯入任何發票。").arg(QFileInfo(path).fileName(), why));
            return false;
        }
        files.append(*read);
    }
    m_rows = InvoicePreview::rows(files);
    fill();
    return true;
}

void InvoiceImport::fill()
{
    m_model->removeRows(0, m_model->rowCount());
    for (const InvoicePreview::Row &row : std::as_const(m_rows)) {
        QList<QStandardItem *> cells;
        for (int c = 0; c < Columns; ++c) {
            auto *cell = new QStandardItem;
            cell->setEditable(c == Kind || c == Direction || c == Content);
            cells.append(cell);
        }
        const bool importable
            = row.state != InvoicePreview::State::Imported && row.state != InvoicePreview::State::Voided;
        cells[Tick]->setCheckable(importable);
        cells[Tick]->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
        cells[Date]->setText(DateText::shownSlashed(row.invoice.date));
        cells[Store]->setText(row.store);
        cells[Amount]->setText(Numbers::groupThousands(row.invoice.amount().text()));
        cells[Amount]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cells[Items]->setText(QString::number(row.invoice.items.size()));
        cells[Items]->setToolTip(row.note);
        const std::optional<KindStore::Kind> kind = KindStore::kindById(row.kind);
        cells[Kind]->setText(kind ? kind->name : QString());
        cells[Kind]->setData(row.kind, Qt::UserRole);
        cells[Direction]->setText(row.inout == 1 ? QStringLiteral("收入") : QStringLiteral("支出"));
        cells[Direction]->setData(row.inout, Qt::UserRole);
        cells[Content]->setText(row.content);
        cells[State]->setText(InvoicePreview::stateText(row.state));
        m_model->appendRow(cells);
    }
    invoices->resizeColumnsToContents();
    int ticked = 0;
    for (const InvoicePreview::Row &row : std::as_const(m_rows))
        ticked += row.ticked ? 1 : 0;
    info->setText(QStringLiteral("%1 張發票，勾選的 %2 張會在按「確定」後記進帳本；類別、收支和帳目名稱可以先改。"
                                 "「已匯入後作廢」的勾選後，會刪掉當初匯入的那筆帳目。")
                      .arg(m_rows.size())
                      .arg(ticked));
}

void InvoiceImport::bringIn()
{
    for (int r = 0; r < m_model->rowCount(); ++r) {
        InvoicePreview::Row &row = m_rows[r];
        row.ticked = m_model->item(r, Tick)->isCheckable() && m_model->item(r, Tick)->checkState() == Qt::Checked;
        row.kind = m_model->item(r, Kind)->data(Qt::UserRole).toLongLong();
        row.inout = m_model->item(r, Direction)->data(Qt::UserRole).toInt();
        row.content = m_model->item(r, Content)->text();
        if (row.ticked && Numbers::trimBlanks(row.content).isEmpty()) {
            ui::showMessage(this, QStringLiteral("%1 的發票請輸入帳目名稱").arg(m_model->item(r, Date)->text()));
            return;
        }
        if (row.ticked && !ui::storableText(this, QStringLiteral("帳目名稱"), row.content))
            return;
    }
    if (!imports::backedUp(this))
        return;
    const InvoiceStore::Outcome outcome = InvoicePreview::bringIn(m_rows);
    imports::tell(this, outcome, InvoicePreview::summary(m_rows, int(outcome.keys.size())));
    accept();
}
