#pragma once

#include <QDate>
#include <QDialog>

class QStandardItemModel;
class QTableView;

// 設定預算: every kind with its monthly budget and the amount of one month that replaces it there,
// both typed into the table; an empty cell has none. 確定 checks every amount before saving any.
class BudgetEditor : public QDialog
{
    Q_OBJECT

public:
    explicit BudgetEditor(const QDate &month, QWidget *parent = nullptr);

    QTableView *budgets;

private:
    void save();

    QDate m_month;
    QStandardItemModel *m_model;
};
