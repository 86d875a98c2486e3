#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;

// 預算: each expense kind's budget for a month or a year against what it spent, with what is left
// (a minus in the expense colour when it went over) and how much of it was used, a totals line,
// the kinds that spent without a budget under 未編列預算, and 只看超支 to see only what went over.
// 設定預算… sets the monthly amounts and those of the month in view.
class BudgetWindow : public QDialog
{
    Q_OBJECT

public:
    explicit BudgetWindow(const QDate &month, QWidget *parent = nullptr);

    QComboBox *period; // 月 or 年
    QSpinBox *year;
    QSpinBox *month;
    QCheckBox *over_only;
    QTableView *report;
    QPushButton *cmd_set;
    QPushButton *cmd_close;

    // Reads the report again for the period chosen.
    void load();

private:
    void setBudgets();

    QStandardItemModel *m_model;
};
