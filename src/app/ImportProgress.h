#pragma once

#include <QProgressDialog>

// How far the bringing over of an old ledger has come: rows read of the rows in the old file.
class ImportProgress : public QProgressDialog
{
    Q_OBJECT

public:
    explicit ImportProgress(QWidget *parent = nullptr);

    void showProgress(qint64 read, qint64 total);
};
