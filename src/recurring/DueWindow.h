#pragma once

#include "store/RecurringStore.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

// 到期的固定收支: every occurrence due up to today and not yet dealt with, oldest first, each with
// a tick, its date and an amount that can be changed (and must be typed for 金額每次不同). 記入
// enters the ticked ones in one step, 略過這次 passes them by without an entry, 以後再說 closes and
// leaves them due; 復原 takes the last 記入 back whole.
class DueWindow : public QDialog
{
    Q_OBJECT

public:
    explicit DueWindow(QWidget *parent = nullptr);

    // Whether anything is due today.
    bool anythingDue() const;

    QTableView *due;
    QLabel *summary;
    QPushButton *cmd_enter;
    QPushButton *cmd_skip;
    QPushButton *cmd_later;
    QPushButton *cmd_undo;

private:
    void load();
    // The ticked rows as postings; nothing when one that is to be entered lacks a good amount.
    std::optional<QVector<RecurringStore::Posting>> ticked(bool withAmounts);
    void enter();
    void skip();
    void undo();

    QStandardItemModel *m_model;
    QVector<RecurringStore::Occurrence> m_due;
    QVector<qint64> m_lastKeys;
};
