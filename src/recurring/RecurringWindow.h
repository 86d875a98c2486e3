#pragma once

#include <QDialog>

class QPushButton;
class QStandardItemModel;
class QTableView;

// 固定收支: the recurring items, each with what it enters, how often and when it falls due next;
// 新增, 修改 (or a double click) and 刪除 change them, 到期的固定收支 opens the list of what is due.
class RecurringWindow : public QDialog
{
    Q_OBJECT

public:
    explicit RecurringWindow(QWidget *parent = nullptr);

    QTableView *items;
    QPushButton *cmd_add;
    QPushButton *cmd_change;
    QPushButton *cmd_delete;
    QPushButton *cmd_due;
    QPushButton *cmd_close;

    // Reads the items again from the ledger.
    void load();

private:
    qint64 currentId() const;
    void edit(qint64 id);
    void remove();

    QStandardItemModel *m_model;
};
