#pragma once

#include "store/InvoicePreview.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

// 匯入電子發票: the invoices of the files chosen, one row each with its date, store, total, items,
// the kind, direction and description proposed (all can be changed) and its state; rows can be
// unticked. Nothing is written before 確定, which brings the ticked ones in as one change (after
// the day's backup), says what it did and offers to take it back.
class InvoiceImport : public QDialog
{
    Q_OBJECT

public:
    // Asks for the files first; returns false (and shows nothing) when none were chosen or one
    // could not be read (the person is told which line).
    explicit InvoiceImport(QWidget *parent = nullptr);
    bool chooseFiles();
    bool readFiles(const QStringList &paths);

    QTableView *invoices;
    QLabel *info;
    QPushButton *cmd_ok;
    QPushButton *cmd_cancel;

private:
    void fill();
    void bringIn();

    QVector<InvoicePreview::Row> m_rows;
    QStandardItemModel *m_model;
};
