#include "imports/StatementImport.h"

#include "imports/ImportSteps.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "store/Backup.h"
#include "store/KindStore.h"
#include "store/database_access.h"
#include "ui/ChoiceDelegate.h"
#include "ui/Controls.h"
#include "ui/FileDialog.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/MessageBox.h"
#include "ui/WindowFit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum Column { Tick, Date, Description, Expense, Income, Kind, State, Columns };

QComboBox *columnBox(QWidget *parent, const char *name, const QString &accessible)
{
    auto *box = ui::named(new QComboBox(parent), name, accessible);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

} // namespace

StatementImport::StatementImport(QWidget *parent)
    : QDialog(parent)
    , header_row(ui::named(new QSpinBox(this), "header_row", QStringLiteral("表頭在第幾行")))
    , date_column(columnBox(this, "date_column", QStringLiteral("日期欄")))
    , description_column(columnBox(this, "description_column", QStringLiteral("說明欄")))
    , amount_mode(columnBox(this, "amount_mode", QStringLiteral("金額")))
    , amount_column(columnBox(this, "amount_column", QStringLiteral("金額欄")))
    , sign(columnBox(this, "sign", QStringLiteral("正數是")))
    , expense_column(columnBox(this, "expense_column", QStringLiteral("支出欄")))
    , income_column(columnBox(this, "income_column", QStringLiteral("存入欄")))
    , balance_column(columnBox(this, "balance_column", QStringLiteral("餘額欄")))
    , profile_name(ui::named(new QLineEdit(this), "profile_name", QStringLiteral("設定名稱")))
    , transactions(ui::named(new QTableView(this), "transactions", QStringLiteral("明細")))
    , info(ui::named(new QLabel(this), "info"))
    , m_model(new QStandardItemModel(0, Columns, this))
{
    setObjectName(QStringLiteral("StatementImport"));
    setWindowTitle(QStringLiteral("匯入銀行或信用卡明細"));
    setFont(ui::mingFont(10.5));
    amount_mode->addItems({ QStringLiteral("一欄（正負號）"), QStringLiteral("支出和存入兩欄") });
    sign->addItems({ QStringLiteral("正數是支出（信用卡）"), QStringLiteral("正數是存入（銀行）") });
    profile_name->setPlaceholderText(QStringLiteral("例如：某某銀行信用卡"));
    m_model->setHorizontalHeaderLabels({ QStringLiteral("匯入"), QStringLiteral("日期"), QStringLiteral("說明"),
        QStringLiteral("支出"), QStringLiteral("存入"), QStringLiteral("類別"), QStringLiteral("狀態") });
    transactions->setModel(m_model);
    transactions->verticalHeader()->hide();
    transactions->horizontalHeader()->setStretchLastSection(true);
    transactions->setEditTriggers(QAbstractItemView::AllEditTriggers);
    QVector<std::pair<QString, qint64>> kinds;
    for (const KindStore::Kind &kind : KindStore::kindsByOrder())
        kinds.append({ kind.name, kind.id });
    transactions->setItemDelegateForColumn(Kind, new ui::ChoiceDelegate(kinds, transactions));
    info->setWordWrap(true);

    auto *form = new QFormLayout;
    const auto line = [](std::initializer_list<QWidget *> widgets) {
        auto *row = new QHBoxLayout;
        for (QWidget *w : widgets)
            row->addWidget(w);
        row->addStretch();
        return row;
    };
    form->addRow(QStringLiteral("表頭在第幾行"), line({ header_row }));
    form->addRow(QStringLiteral("日期、說明"), line({ date_column, description_column }));
    form->addRow(QStringLiteral("金額"), line({ amount_mode, amount_column, sign, expense_column, income_column }));
    form->addRow(QStringLiteral("餘額"), line({ balance_column }));
    form->addRow(QStringLiteral("存成設定"), profile_name);
    QDialogButtonBox *buttons = imports::okAndCancel(this, &cmd_ok, &cmd_cancel, [this] { bringIn(); });
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(transactions);
    layout->addWidget(info);
    layout->addWidget(buttons);
    ui::designedSize(this, QSize(900, 560));

    const auto changed = [this] {
        if (!m_showing)
            ui::guarded(this, [this] { preview(); });
    };
    connect(header_row, &QSpinBox::valueChanged, this, [this, changed] {
        if (m_showing)
            return;
        // Another header row: its names, and what they suggest, once more.
        showMapping(Statement::guessAt(m_table, header_row->value() - 1));
        changed();
    });
    for (QComboBox *box : { date_column, description_column, amount_mode, amount_column, sign, expense_column,
             income_column, balance_column })
        connect(box, &QComboBox::currentIndexChanged, this, changed);
}

bool StatementImport::chooseFile()
{
    const QStringList paths = ui::askOpenFileNames(
        this, QStringLiteral("匯入銀行或信用卡明細"), QStringLiteral("明細檔 (*.csv *.txt);;所有檔案 (*)"));
    return !paths.isEmpty() && readFile(paths.first());
}

bool StatementImport::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui::showMessage(this, QStringLiteral("無法讀取 %1：%2").arg(QFileInfo(path).fileName(), file.errorString()));
        return false;
    }
    m_fileName = QFileInfo(path).fileName();
    m_table = Statement::table(file.readAll());
    header_row->setRange(1, std::max<int>(1, int(m_table.rows.size())));
    Statement::Mapping m = Statement::guess(m_table);
    if (m.headerRow >= 0) {
        if (const std::optional<InvoiceStore::Profile> kept = InvoiceStore::profileFor(Statement::shape(m_table, m))) {
            m = Statement::Mapping::fromText(kept->mapping);
            profile_name->setText(kept->name);
        }
    } else {
        m.headerRow = 0;
    }
    showMapping(m);
    preview();
    return true;
}

void StatementImport::showMapping(const Statement::Mapping &m)
{
    m_showing = true;
    header_row->setValue(m.headerRow + 1);
    const QStringList names
        = m.headerRow >= 0 && m.headerRow < m_table.rows.size() ? m_table.rows.at(m.headerRow) : QStringList();
    const auto fill = [&names](QComboBox *box, int chosen, bool optional) {
        box->clear();
        if (optional)
            box->addItem(QStringLiteral("（沒有）"), -1);
        for (qsizetype i = 0; i < names.size(); ++i)
            box->addItem(QStringLiteral("%1 %2").arg(i + 1).arg(names.at(i)), int(i));
        box->setCurrentIndex(std::max(0, box->findData(chosen)));
    };
    fill(date_column, m.date, false);
    fill(description_column, m.description, false);
    fill(amount_column, m.amount, false);
    fill(expense_column, m.expense, true);
    fill(income_column, m.income, true);
    fill(balance_column, m.balance, true);
    amount_mode->setCurrentIndex(m.amount >= 0 || (m.expense < 0 && m.income < 0) ? 0 : 1);
    sign->setCurrentIndex(m.positiveIsExpense ? 0 : 1);
    m_showing = false;
}

Statement::Mapping StatementImport::mapping() const
{
    Statement::Mapping m;
    m.headerRow = header_row->value() - 1;
    m.date = date_column->currentData().toInt();
    m.description = description_column->currentData().toInt();
    if (amount_mode->currentIndex() == 0) {
        m.amount = amount_column->currentData().toInt();
    } else {
        m.expense = expense_column->currentData().toInt();
        m.income = income_column->currentData().toInt();
    }
    m.balance = balance_column->currentData().toInt();
    m.positiveIsExpense = sign->currentIndex() == 0;
    return m;
}

void StatementImport::preview()
{
    const bool single = amount_mode->currentIndex() == 0;
    amount_column->setVisible(single);
    sign->setVisible(single);
    expense_column->setVisible(!single);
    income_column->setVisible(!single);
    const QVector<KindStore::Kind> kinds = KindStore::kindsByOrder();
    const qint64 firstKind = kinds.isEmpty() ? 0 : kinds.first().id;
    m_rows = StatementPreview::rows(Statement::transactions(m_table, mapping()), firstKind, firstKind);
    m_model->removeRows(0, m_model->rowCount());
    for (const StatementPreview::Row &row : std::as_const(m_rows)) {
        QList<QStandardItem *> cells;
        for (int c = 0; c < Columns; ++c) {
            auto *cell = new QStandardItem;
            cell->setEditable(c == Kind);
            cells.append(cell);
        }
        cells[Tick]->setCheckable(true);
        cells[Tick]->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
        cells[Date]->setText(DateText::shownSlashed(row.transaction.date));
        cells[Description]->setText(row.transaction.description);
        const QString amount = Numbers::groupThousands(row.transaction.amount.text());
        cells[row.transaction.inout == 1 ? Income : Expense]->setText(amount);
        cells[Expense]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cells[Income]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const std::optional<KindStore::Kind> kind = KindStore::kindById(row.kind);
        cells[Kind]->setText(kind ? kind->name : QString());
        cells[Kind]->setData(row.kind, Qt::UserRole);
        cells[State]->setText(StatementPreview::stateText(row.state));
        m_model->appendRow(cells);
    }
    transactions->resizeColumnsToContents();
    info->setText(m_rows.isEmpty() ? QStringLiteral("用這樣的欄位讀不出任何一筆明細：請換表頭那一行或日期、金額欄。")
                                   : QStringLiteral("%1 筆明細（%2）。已匯入或可能重複的不勾選，要匯入時再勾上。")
                                         .arg(m_rows.size())
                                         .arg(m_table.encoding));
}

void StatementImport::bringIn()
{
    for (int r = 0; r < m_model->rowCount(); ++r) {
        m_rows[r].ticked = m_model->item(r, Tick)->checkState() == Qt::Checked;
        m_rows[r].kind = m_model->item(r, Kind)->data(Qt::UserRole).toLongLong();
    }
    const Statement::Mapping m = mapping();
    if (!m.isComplete() || m_rows.isEmpty()) {
        ui::showMessage(this, QStringLiteral("還沒有可以匯入的明細：請先選好表頭、日期和金額欄。"));
        return;
    }
    if (!imports::backedUp(this))
        return;
    const QString name = Numbers::trimBlanks(profile_name->text());
    InvoiceStore::saveProfile(Statement::shape(m_table, m), { name.isEmpty() ? m_fileName : name, m.text() });
    const InvoiceStore::Outcome outcome = StatementPreview::bringIn(m_rows, QStringLiteral("明細 ") + m_fileName);
    imports::tell(this, outcome, StatementPreview::summary(m_rows, int(outcome.keys.size())));
    accept();
}
