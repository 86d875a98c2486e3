#pragma once

#include "platform/Statement.h"
#include "store/StatementPreview.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;

// 匯入銀行或信用卡明細: a statement CSV of any bank, its header row and its date, description and
// amount columns (one signed column, or 支出 and 存入) proposed from the column names, or from the
// way this bank's files were read before, and changed by the person with the preview following;
// the way is kept under a name for the next file of the same shape. Rows already brought in, or
// that look so, come unticked. 確定 brings the ticked rows in as one change, after the day's backup.
class StatementImport : public QDialog
{
    Q_OBJECT

public:
    explicit StatementImport(QWidget *parent = nullptr);
    bool chooseFile();
    bool readFile(const QString &path);

    QSpinBox *header_row;
    QComboBox *date_column;
    QComboBox *description_column;
    QComboBox *amount_mode; // one signed column, or 支出 and 存入
    QComboBox *amount_column;
    QComboBox *sign; // for one signed column: 正數是支出 or 正數是存入
    QComboBox *expense_column;
    QComboBox *income_column;
    QComboBox *balance_column;
    QLineEdit *profile_name;
    QTableView *transactions;
    QLabel *info;
    QPushButton *cmd_ok;
    QPushButton *cmd_cancel;

private:
    Statement::Mapping mapping() const;
    void showMapping(const Statement::Mapping &m);
    void preview();
    void bringIn();

    QString m_fileName;
    Statement::Table m_table;
    QVector<StatementPreview::Row> m_rows;
    QStandardItemModel *m_model;
    bool m_showing = false;
};
